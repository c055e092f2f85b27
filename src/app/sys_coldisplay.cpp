#include "app/sys_coldisplay.h"

#include "app/DbGrid.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

Tfrm_sys_coldisplay::Tfrm_sys_coldisplay(const QColor &windowColour, const QColor &controlColour,
                                         const QStringList &captions, const QStringList &shown, QWidget *parent)
    : Tfrm_base_form(parent)
{
    setObjectName(QStringLiteral("frm_sys_coldisplay"));
    setWindowTitle(QStringLiteral("设置表格显示列"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    applyThemeColours(windowColour, controlColour);

    QSet<int> shownPositions;
    for (const QString &text : shown) {
        bool ok = false;
        const int pos = text.trimmed().toInt(&ok);
        if (ok)
            shownPositions.insert(pos);
    }

    m_list = new QListWidget(this);
    m_list->setObjectName(QStringLiteral("chklstColumns"));
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int pos = 0; pos < captions.size(); ++pos) {
        auto *item = new QListWidgetItem(captions.at(pos), m_list);
        item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
        item->setCheckState(shownPositions.contains(pos) ? Qt::Checked : Qt::Unchecked);
    }
    m_list->setFixedSize(260, 360);

    m_chkAll = new QCheckBox(QStringLiteral("全选"), this);
    m_chkAll->setObjectName(QStringLiteral("chkAll"));
    // Starts ticked when every line is, so one click clears them all.
    m_chkAll->setChecked(!captions.isEmpty() && checkedPositions().size() == captions.size());
    connect(m_chkAll, &QCheckBox::clicked, this, &Tfrm_sys_coldisplay::setAllChecked);

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("btnOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("取消"), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_chkAll);
    bottom->addStretch(1);
    bottom->addWidget(ok);
    bottom->addWidget(cancel);

    auto *main = new QVBoxLayout(this);
    main->setContentsMargins(12, 12, 12, 12);
    main->addWidget(m_list);
    main->addLayout(bottom);
    main->setSizeConstraint(QLayout::SetFixedSize);
}

bool Tfrm_sys_coldisplay::Execute(const QColor &windowColour, const QColor &controlColour,
                                  const QStringList &captions, QStringList &shown, QWidget *parent)
{
    Tfrm_sys_coldisplay dialog(windowColour, controlColour, captions, shown, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    shown = dialog.checkedPositions();
    return true;
}

QStringList Tfrm_sys_coldisplay::checkedPositions() const
{
    QStringList positions;
    for (int pos = 0; pos < m_list->count(); ++pos) {
        if (m_list->item(pos)->checkState() == Qt::Checked)
            positions << QString::number(pos);
    }
    return positions;
}

void Tfrm_sys_coldisplay::setAllChecked(bool checked)
{
    for (int pos = 0; pos < m_list->count(); ++pos)
        m_list->item(pos)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
}

bool ChooseGridColumns(DbGrid *grid, const QColor &windowColour, const QColor &controlColour, QWidget *parent)
{
    if (!grid)
        return false;
    const int count = grid->columnCount();
    QStringList captions;
    QStringList shown;
    for (int pos = 0; pos < count; ++pos) {
        const int col = grid->columnAtPosition(pos);
        captions << grid->columnTitle(col);
        if (grid->isColumnVisible(col))
            shown << QString::number(pos);
    }
    if (!Tfrm_sys_coldisplay::Execute(windowColour, controlColour, captions, shown, parent))
        return false;

    QSet<int> visible;
    for (const QString &text : shown)
        visible.insert(text.toInt());
    // The order is read once, before any column changes.
    QList<int> columns;
    for (int pos = 0; pos < count; ++pos)
        columns << grid->columnAtPosition(pos);
    for (int pos = 0; pos < count; ++pos)
        grid->setColumnVisible(columns.at(pos), visible.contains(pos));
    return true;
}

#include "config/sys_easy.h"

#include "app/Conversions.h"
#include "app/DbGrid.h"
#include "app/MapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "data/Dataset.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

void colourWidget(QWidget *w, const QColor &colour)
{
    if (!colour.isValid())
        return;
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    w->setPalette(p);
}

} // namespace

Tfrm_sys_easy::Tfrm_sys_easy(const QColor &windowColour, const QColor &gridColour, const QString &table,
                             const QString &field, QWidget *parent)
    : Tfrm_base_dbdialog(parent)
    , m_table(table)
    , m_startField(field)
{
    setObjectName(QStringLiteral("frm_sys_easy"));
    setWindowTitle(QStringLiteral("设置文本列字段快捷录入"));

    m_pnlTop = new QWidget(this);
    m_pnlTop->setObjectName(QStringLiteral("pnlTop"));
    m_lblField = new QLabel(QStringLiteral("选择字段"), m_pnlTop);
    m_dbcb1 = new MapListCombo(m_pnlTop);
    m_dbcb1->setObjectName(QStringLiteral("dbcb1"));
    m_dbcb1->setMapList(true);
    m_dbcb1->setMinimumWidth(160);
    m_lblHint = new QLabel(QStringLiteral("提示:只有在[设置列字段]中,<快捷录入>打钩的才会显示。"), m_pnlTop);
    m_lblHint->setWordWrap(true);
    auto *top = new QHBoxLayout(m_pnlTop);
    top->setContentsMargins(8, 6, 8, 6);
    top->addWidget(m_lblField);
    top->addWidget(m_dbcb1);
    top->addWidget(m_lblHint, 1);
    if (auto *box = qobject_cast<QVBoxLayout *>(layout()))
        box->insertWidget(1, m_pnlTop);

    DbGrid *grid = dbgrid1();
    grid->setRowHeight(25);
    grid->setTitleHeight(25);
    grid->addColumn(QStringLiteral("SEASY"), QStringLiteral("快捷值"), 100);
    grid->addColumn(QStringLiteral("SVALUE"), QStringLiteral("完整值"), 400);

    applyThemeColours(windowColour, gridColour);
    colourWidget(tbmain(), windowColour);
    colourWidget(m_pnlTop, windowColour);
    if (windowColour.isValid())
        grid->setFixedColor(windowColour);
    ColourControl(m_dbcb1, gridColour);
    if (gridColour.isValid()) {
        grid->setColor(gridColour);
        grid->setOddRowColor(gridColour);
        grid->setEvenRowColor(gridColour);
    }
    resize(580, 480);

    connect(m_dbcb1, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        if (!m_filling)
            RunCommand([this] { dbcb1Change(); });
    });
    connect(&Qry1(), &Dataset::newRecord, this, [this] { Qry1NewRecord(); });
}

void Tfrm_sys_easy::Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                            const QString &field, QWidget *parent)
{
    Tfrm_sys_easy dialog(windowColour, gridColour, table, field, parent);
    dialog.exec();
}

void Tfrm_sys_easy::FormShow()
{
    // Qry1 stays closed until a field is picked.
    m_filling = true;
    const bool filled = FillComboFromSql(
        Qry(),
        QStringLiteral("select SFIELD, SFIELDNAME1 from S_FIELD where stable=%1 and ieasy=1 and idisplay=1 "
                       "order by SFIELDNAME1")
            .arg(QuoteSql(m_table)),
        true, m_dbcb1);
    m_filling = false;
    if (filled && m_dbcb1->count() > 0 && !m_startField.isEmpty())
        m_dbcb1->setCurrentCode(m_startField);
}

void Tfrm_sys_easy::dbcb1Change()
{
    const QString field = m_dbcb1->currentCode();
    if (field.isEmpty() || field == m_field)
        return;
    // A phrase typed for the previous field is stored before its list goes;
    // if that fails the row and the previous pick stay for correction.
    if (!storePendingRow()) {
        const QSignalBlocker block(m_dbcb1);
        m_dbcb1->setCurrentCode(m_field);
        return;
    }
    LoadList(field);
}

bool Tfrm_sys_easy::LoadList(const QString &field)
{
    m_field.clear();
    if (!OpenSql(Qry1(), QStringLiteral("select * from s_easy where stable=%1 and  sfield=%2")
                             .arg(QuoteSql(m_table), QuoteSql(field))))
        return false;
    m_field = field;
    return true;
}

void Tfrm_sys_easy::Qry1NewRecord()
{
    if (m_field.isEmpty())
        return;
    Qry1().setValue(QStringLiteral("STABLE"), m_table);
    Qry1().setValue(QStringLiteral("SFIELD"), m_field);
}

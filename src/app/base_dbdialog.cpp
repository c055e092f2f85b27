#include "app/base_dbdialog.h"

#include "app/AppIcons.h"
#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "data/Dataset.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const QString kDeleteQuestion = QStringLiteral("删除后将不能再恢复，确认要删除吗？");
}

Tfrm_base_dbdialog::Tfrm_base_dbdialog(QWidget *parent)
    : Tfrm_base_dbform(parent)
    , m_qry1(new Dataset(this))
{
    m_qry1->setObjectName(QStringLiteral("Qry1"));
    // Fixed border: the derived dialog's designed size stays.
    setWindowFlags(windowFlags() | Qt::MSWindowsFixedSizeDialogHint);

    m_tbmain = new QToolBar(this);
    m_tbmain->setObjectName(QStringLiteral("tbmain"));
    m_tbmain->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    m_tbmain->setIconSize(QSize(16, 16));
    m_tlbAdd = addButton(QStringLiteral("tlbAdd"), QStringLiteral("增加"), QStringLiteral("list-add"), &Tfrm_base_dbdialog::tlbAddClick);
    m_tlbEdit = addButton(QStringLiteral("tlbEdit"), QStringLiteral("修改"), QStringLiteral("document-properties"), &Tfrm_base_dbdialog::tlbEditClick);
    m_tlbDel = addButton(QStringLiteral("tlbDel"), QStringLiteral("删除"), QStringLiteral("edit-delete"), &Tfrm_base_dbdialog::tlbDelClick);
    m_tbmain->addSeparator();
    m_tlbSave = addButton(QStringLiteral("tlbSave"), QStringLiteral("保存"), QStringLiteral("document-save"), &Tfrm_base_dbdialog::tlbSaveClick);
    m_tlbUndo = addButton(QStringLiteral("tlbUndo"), QStringLiteral("撤消"), QStringLiteral("edit-undo"), &Tfrm_base_dbdialog::tlbUndoClick);
    m_tbmain->addSeparator();
    m_tbExit = addButton(QStringLiteral("tbExit"), QStringLiteral("关闭"), QStringLiteral("window-close"), &Tfrm_base_dbdialog::tbExitClick);

    m_dbgrid1 = new DbGrid(this);
    m_dbgrid1->setObjectName(QStringLiteral("dbgrid1"));
    m_dbgrid1->setOptions(m_dbgrid1->options() | DbGrid::Editing | DbGrid::ColumnResize);
    QFont gridFont(QStringLiteral("微软雅黑"));
    gridFont.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei")});
    gridFont.setPixelSize(15);
    m_dbgrid1->setTitleFont(gridFont);
    m_dbgrid1->setFooterFont(gridFont);
    m_dbgrid1->setDataset(m_qry1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_tbmain);
    layout->addWidget(m_dbgrid1, 1);

    connect(m_qry1, &Dataset::stateChanged, this, &Tfrm_base_dbdialog::ds1StateChange);
    ds1StateChange();
}

Tfrm_base_dbdialog::~Tfrm_base_dbdialog() = default;

QAction *Tfrm_base_dbdialog::addButton(const QString &name, const QString &caption, const QString &icon,
                                       void (Tfrm_base_dbdialog::*slot)())
{
    auto *action = new QAction(AppIcon(icon), caption, this);
    action->setObjectName(name + QStringLiteral("Action"));
    m_tbmain->addAction(action);
    m_tbmain->widgetForAction(action)->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, slot] { RunCommand([&] { (this->*slot)(); }); });
    return action;
}

void Tfrm_base_dbdialog::ds1StateChange()
{
    SetSaveUndoButtons(*m_qry1, m_tlbSave, m_tlbUndo);
}

void Tfrm_base_dbdialog::tlbAddClick()
{
    if (!m_qry1->isOpen())
        return;
    m_qry1->append();
    m_dbgrid1->setFocus();
}

void Tfrm_base_dbdialog::tlbEditClick()
{
    if (!m_qry1->isOpen() || m_qry1->isEmpty())
        return;
    m_qry1->edit();
    m_dbgrid1->setFocus();
}

void Tfrm_base_dbdialog::tlbDelClick()
{
    if (!m_qry1->isOpen() || m_qry1->recordCount() < 1)
        return;
    if (AskConfirm(kDeleteQuestion) != MsgResultOk)
        return;
    // A row being added has not reached the table: dropping it is the delete.
    if (m_qry1->state() == Dataset::State::Insert)
        m_qry1->cancel();
    else
        m_qry1->remove();
}

void Tfrm_base_dbdialog::tlbSaveClick()
{
    m_dbgrid1->commitEditor();
    if (m_qry1->isOpen() && m_qry1->isEditing())
        m_qry1->post();
}

void Tfrm_base_dbdialog::tlbUndoClick()
{
    if (m_qry1->isOpen() && m_qry1->isEditing())
        m_qry1->cancel();
}

void Tfrm_base_dbdialog::tbExitClick()
{
    close();
}

bool Tfrm_base_dbdialog::storePendingRow()
{
    m_dbgrid1->commitEditor();
    if (!m_qry1->isOpen() || !m_qry1->isEditing())
        return true;
    return RunCommand([this] {
        if (m_qry1->isModified())
            m_qry1->post();
        else
            m_qry1->cancel();
    });
}

void Tfrm_base_dbdialog::clearCurrentRow(const QStringList &fields)
{
    if (!m_qry1->isOpen() || m_qry1->isEmpty())
        return;
    m_dbgrid1->commitEditor();
    if (!m_qry1->isEditing())
        m_qry1->edit();
    for (const QString &field : fields)
        m_qry1->setValue(field, QVariant());
    m_qry1->post();
}

void Tfrm_base_dbdialog::FormShow()
{
    OpenSql(*m_qry1, m_qry1->sql());
}

void Tfrm_base_dbdialog::showEvent(QShowEvent *event)
{
    Tfrm_base_dbform::showEvent(event);
    if (!m_shown) {
        m_shown = true;
        FormShow();
    }
}

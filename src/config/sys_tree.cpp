#include "config/sys_tree.h"

#include "app/Conversions.h"
#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "config/SettingsDialogLook.h"
#include "data/Dataset.h"

#include <QAction>

Tfrm_sys_tree::Tfrm_sys_tree(const QColor &windowColour, const QColor &gridColour, const QString &table,
                             QWidget *parent)
    : Tfrm_base_dbdialog(parent)
    , m_table(table)
{
    setObjectName(QStringLiteral("frm_sys_tree"));
    setWindowTitle(QStringLiteral("设置树层次显示顺序"));
    m_pnlTop = AddSettingsPanel(this, {QStringLiteral("主界面左边树提供五个层次显示，位置如图所示。"),
                                       QStringLiteral("可以自定义设置，1  表示第一层显示字段。"),
                                       QStringLiteral("树节点生成是根据数据记录智能自动生成的，"),
                                       QStringLiteral("用户增加、维护数据记录，树节点自动变化的。")});

    // The five levels are fixed rows: no adding, and delete only clears.
    tlbAdd()->setVisible(false);
    tlbEdit()->setVisible(false);
    disconnect(tlbDel(), &QAction::triggered, this, nullptr);
    connect(tlbDel(), &QAction::triggered, this, [this] { RunCommand([this] { ClearCurrentRow(); }); });

    DbGrid *grid = dbgrid1();
    grid->setOption(DbGrid::RecordNumbers, true);
    const int no = grid->addColumn(QStringLiteral("INO"), QStringLiteral("序号"), 40);
    grid->setColumnReadOnly(no, true);
    grid->setColumnVisible(no, false);
    grid->addColumn(QStringLiteral("SFIELD"), QStringLiteral("字段名称"), 218);

    ColourSettingsDialog(this, m_pnlTop, windowColour, gridColour);
    resize(330, 420);

    Qry1().setSql(QStringLiteral("select * from s_tree where stable=") + QuoteSql(m_table)
                  + QStringLiteral(" order by ino"));
}

void Tfrm_sys_tree::Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                            QWidget *parent)
{
    Tfrm_sys_tree dialog(windowColour, gridColour, table, parent);
    dialog.exec();
}

void Tfrm_sys_tree::FormShow()
{
    // The fifth level always exists and starts with the title.
    Dataset &q = Qry();
    if (!OpenSql(q, QStringLiteral("select * from s_tree where stable=") + QuoteSql(m_table)
                        + QStringLiteral(" and  INO=5")))
        return;
    if (q.isEmpty()) {
        try {
            ExecSql(q, QStringLiteral("insert into S_TREE(INO,SFIELD,STABLE)values(5,'AS01',") + QuoteSql(m_table)
                           + QStringLiteral(")"));
        } catch (const SqlError &) {
            return; // already shown; the grid stays closed rather than lack a level
        }
    }
    if (!FillColumnListsFromSql(dbgrid1(), dbgrid1()->columnByField(QStringLiteral("SFIELD")), q,
                                QStringLiteral("select sfield,sfieldname1 from s_field where stable=")
                                    + QuoteSql(m_table) + QStringLiteral(" and idisplay=1 order by ino")))
        return;
    Tfrm_base_dbdialog::FormShow();
}

void Tfrm_sys_tree::ClearCurrentRow()
{
    clearCurrentRow({QStringLiteral("SFIELD")});
}

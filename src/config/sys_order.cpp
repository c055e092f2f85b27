#include "config/sys_order.h"

#include "app/Conversions.h"
#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "config/SettingsDialogLook.h"
#include "data/Dataset.h"

#include <QAction>

namespace {
const QString kEntryOrder = QStringLiteral("录入顺序");
}

Tfrm_sys_order::Tfrm_sys_order(const QColor &windowColour, const QColor &gridColour, const QString &table,
                               QWidget *parent)
    : Tfrm_base_dbdialog(parent)
    , m_table(table)
{
    setObjectName(QStringLiteral("frm_sys_order"));
    setWindowTitle(QStringLiteral("设置表格排序方式"));
    m_pnlTop = AddSettingsPanel(this, {QStringLiteral("主界面表格提供五个排序"), QStringLiteral("方式设置，如图所示。")});

    // The five steps are fixed rows: no adding, and delete only clears.
    tlbAdd()->setVisible(false);
    tlbEdit()->setVisible(false);
    disconnect(tlbDel(), &QAction::triggered, this, nullptr);
    connect(tlbDel(), &QAction::triggered, this, [this] { RunCommand([this] { ClearCurrentRow(); }); });

    DbGrid *grid = dbgrid1();
    grid->setOption(DbGrid::RecordNumbers, true);
    const int no = grid->addColumn(QStringLiteral("INO"), QStringLiteral("序号"), 40);
    grid->setColumnReadOnly(no, true);
    grid->setColumnVisible(no, false);
    grid->addColumn(QStringLiteral("SFIELD"), QStringLiteral("字段名称"), 172);
    const int type = grid->addColumn(QStringLiteral("STYPE"), QStringLiteral("排序方式"), 89);
    grid->setColumnLists(type, {QStringLiteral("ASC"), QStringLiteral("DESC")},
                         {QStringLiteral("升序"), QStringLiteral("降序")});

    ColourSettingsDialog(this, m_pnlTop, windowColour, gridColour);
    resize(330, 400);

    Qry1().setSql(QStringLiteral("select * from s_order where stable=") + QuoteSql(m_table)
                  + QStringLiteral(" order by ino"));
}

void Tfrm_sys_order::Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                             QWidget *parent)
{
    Tfrm_sys_order dialog(windowColour, gridColour, table, parent);
    dialog.exec();
}

QString Tfrm_sys_order::EntryOrderField(const QString &table)
{
    // The key column is named by the table's letter: N_A, N_AB -> AIID, N_B -> BIID.
    return table.mid(2, 1) + QStringLiteral("IID");
}

void Tfrm_sys_order::FormShow()
{
    DbGrid *grid = dbgrid1();
    const int col = grid->columnByField(QStringLiteral("SFIELD"));
    // The combined table sorts by the fields of both record tables.
    const QString sql = m_table == QLatin1String("N_AB")
        ? QStringLiteral("select sfield,sfieldname1 from s_field where stable in('N_A','N_B') and idisplay=1 "
                         "order by stable, ino")
        : QStringLiteral("select sfield,sfieldname1 from s_field where stable=") + QuoteSql(m_table)
            + QStringLiteral(" and idisplay=1 order by  ino");
    if (!FillColumnListsFromSql(grid, col, Qry(), sql))
        return;
    grid->setColumnLists(col, grid->columnKeyList(col) << EntryOrderField(m_table),
                         grid->columnPickList(col) << kEntryOrder);
    Tfrm_base_dbdialog::FormShow();
}

void Tfrm_sys_order::ClearCurrentRow()
{
    clearCurrentRow({QStringLiteral("SFIELD"), QStringLiteral("STYPE")});
}

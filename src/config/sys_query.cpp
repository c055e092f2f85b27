#include "config/sys_query.h"

#include "app/Conversions.h"
#include "app/DbGrid.h"
#include "app/SqlHelpers.h"
#include "config/SettingsDialogLook.h"
#include "data/Dataset.h"

Tfrm_sys_query::Tfrm_sys_query(const QColor &windowColour, const QColor &gridColour, const QString &table,
                               QWidget *parent)
    : Tfrm_base_dbdialog(parent)
    , m_table(table)
{
    setObjectName(QStringLiteral("frm_sys_query"));
    setWindowTitle(QStringLiteral("设置显示查询条件"));
    m_pnlTop = AddSettingsPanel(this, {QStringLiteral("查询条件区提供八个查询条件设置，位置如图所示。")});

    DbGrid *grid = dbgrid1();
    const int no = grid->addColumn(QStringLiteral("INO"), QStringLiteral("查询条件区位置"), 165);
    QStringList keys, picks;
    for (int i = 1; i <= 8; ++i) {
        keys << QString::number(i);
        picks << QStringLiteral("%1#位置").arg(i);
    }
    grid->setColumnLists(no, keys, picks);
    grid->setColumnAlignment(no, Qt::AlignHCenter);
    grid->addColumn(QStringLiteral("SFIELD"), QStringLiteral("查询条件字段名称"), 204);

    ColourSettingsDialog(this, m_pnlTop, windowColour, gridColour);
    resize(420, 420);

    Qry1().setSql(QStringLiteral("select * from s_query where stable=") + QuoteSql(m_table)
                  + QStringLiteral(" order by ino"));
    connect(&Qry1(), &Dataset::newRecord, this,
            [this] { Qry1().setValue(QStringLiteral("STABLE"), m_table); });
}

void Tfrm_sys_query::Execute(const QColor &windowColour, const QColor &gridColour, const QString &table,
                             QWidget *parent)
{
    Tfrm_sys_query dialog(windowColour, gridColour, table, parent);
    dialog.exec();
}

void Tfrm_sys_query::FormShow()
{
    if (!FillColumnListsFromSql(dbgrid1(), dbgrid1()->columnByField(QStringLiteral("SFIELD")), Qry(),
                                QStringLiteral("select sfield,sfieldname1 from s_field where stable=")
                                    + QuoteSql(m_table) + QStringLiteral(" and idisplay=1 order by ino")))
        return;
    Tfrm_base_dbdialog::FormShow();
}

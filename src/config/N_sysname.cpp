#include "config/N_sysname.h"

#include "app/DbGrid.h"
#include "config/SystemNames.h"
#include "data/Dataset.h"

#include <QAction>
#include <QToolBar>

Tfrm_N_sysname::Tfrm_N_sysname(const QColor &windowColour, const QColor &gridColour, QWidget *parent)
    : Tfrm_base_dbdialog(parent)
{
    setObjectName(QStringLiteral("frm_N_sysname"));
    setWindowTitle(QStringLiteral("设置系统名称"));
    resize(420, 180);
    // Both rows exist from start-up: nothing to add or delete here.
    tlbAdd()->setVisible(false);
    tlbDel()->setVisible(false);

    DbGrid *grid = dbgrid1();
    grid->setOptions(grid->options() | DbGrid::RecordNumbers);
    grid->setRowHeight(25);
    grid->setTitleHeight(25);
    grid->addColumn(QStringLiteral("SVALUE"), QStringLiteral("自定义名称"), 347);

    applyThemeColours(windowColour, gridColour);
    tbmain()->setAutoFillBackground(true);
    QPalette toolbarPalette = tbmain()->palette();
    toolbarPalette.setColor(QPalette::Window, windowColour);
    tbmain()->setPalette(toolbarPalette);
    grid->setFixedColor(windowColour);
    grid->setColor(gridColour);
    grid->setOddRowColor(gridColour);
    grid->setEvenRowColor(gridColour);

    Qry1().setSql(QStringLiteral("select svalue, sname from S_SET where sname='N_SYS' or sname='N_MOD'"));
}

bool Tfrm_N_sysname::Execute(const QColor &windowColour, const QColor &gridColour, QWidget *parent)
{
    {
        Tfrm_N_sysname dialog(windowColour, gridColour, parent);
        dialog.exec();
    }
    Dataset query;
    return ReloadSystemNames(query);
}

#include "browse/N_A_main.h"

#include "app/ColourHolder.h"
#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "app/PropStorage.h"
#include "app/SqlHelpers.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>

Tfrm_N_A_main::Tfrm_N_A_main(QWidget *parent)
    : Tfrm_base_dbsingle(parent)
{
    setObjectName(QStringLiteral("frm_N_A_main"));
    setWindowTitle(shared().sysTitle);
    Qry1().setSql(QStringLiteral("select *\nfrom N_A a where 1=1"));
    captureBaseSql();

    DbGrid *grid = dbgrid1();
    for (const QString &code : volumeFieldCodes()) {
        const int col = grid->addColumn(code, code, 75);
        const QChar type = code.at(1);
        grid->setColumnFooterSum(col, type == QLatin1Char('I') || type == QLatin1Char('F'));
    }
    grid->setRowHeight(25);
    grid->setTitleHeight(25);

    QAction *close = actClose();
    disconnect(close, &QAction::triggered, this, nullptr);
    connect(close, &QAction::triggered, this, &Tfrm_N_A_main::actCloseExecute);
    connect(action(QStringLiteral("actDoQuery")), &QAction::triggered, this, [this] { RunCommand([this] { RunQuery(); }); });

    PropStorage *storage = createPropStorage(QStringLiteral("frm_N_A_main"));
    storage->addAction(action(QStringLiteral("actSetDoQuery")));
    storage->addGrid(grid, DbGrid::StoreAll);
    storage->addColour(edtColorbg1());
    storage->addColour(edtColorbg2());
    storage->addColour(edtColorS());

    ApplyFieldCaptions();
    LoadCodeLists();
    // The dictionary gives the designed columns; until the main window's own
    // refresh cycle arrives, what the user chose in the column dialog and
    // kept in the appearance file wins over it.
    ApplyColumnVisibility();
}

QStringList Tfrm_N_A_main::volumeFieldCodes()
{
    QStringList codes;
    auto add = [&codes](const char *type, int from, int to) {
        for (int i = from; i <= to; ++i)
            codes << QStringLiteral("A%1%2").arg(QLatin1String(type)).arg(i, 2, 10, QLatin1Char('0'));
    };
    add("S", 1, 15);
    add("S", 50, 50);
    add("I", 1, 4);
    add("F", 1, 4);
    add("C", 1, 10);
    add("D", 1, 4);
    return codes;
}

void Tfrm_N_A_main::ApplyFieldCaptions()
{
    DbGrid *grid = dbgrid1();
    for (int col = 0; col < grid->columnCount(); ++col) {
        const QString caption = shared().caption(grid->columnField(col));
        if (!caption.isEmpty())
            grid->setColumnTitle(col, caption);
    }
}

void Tfrm_N_A_main::ApplyColumnVisibility()
{
    if (!OpenSql(Qry(), QStringLiteral("select * from S_FIELD where STABLE='N_A'")))
        return;
    DbGrid *grid = dbgrid1();
    for (Qry().first(); !Qry().eof(); Qry().next()) {
        const int col = grid->columnByField(Qry().text(QStringLiteral("SFIELD")));
        if (col >= 0)
            grid->setColumnVisible(col, Qry().value(QStringLiteral("IDISPLAY")).toInt() == 1);
    }
}

void Tfrm_N_A_main::LoadCodeLists()
{
    DbGrid *grid = dbgrid1();
    for (int col = 0; col < grid->columnCount(); ++col) {
        const QString code = grid->columnField(col).toUpper();
        if (code.at(1) == QLatin1Char('C'))
            FillColumnListsFromSql(grid, col, Qry(),
                                   QStringLiteral("select %1, %1NAME from N_%1 order by %1ORDER").arg(code));
    }
}

void Tfrm_N_A_main::RunQuery()
{
    OpenSql(Qry1(), baseSql() + shared().orderA);
}

void Tfrm_N_A_main::FormShow()
{
    Tfrm_base_dbsingle::FormShow();
    if (action(QStringLiteral("actSetDoQuery"))->isChecked())
        RunQuery();
}

bool Tfrm_N_A_main::closeCommandAsks(const QString &executableName)
{
    return executableName.toUpper() != QLatin1String("PELU.EXE");
}

void Tfrm_N_A_main::actCloseExecute()
{
    if (!closeCommandAsks(QFileInfo(QCoreApplication::applicationFilePath()).fileName())) {
        close();
        return;
    }
    if (AskConfirm(QStringLiteral("确认要退出系统吗?")) == MsgResultOk)
        QCoreApplication::quit();
}

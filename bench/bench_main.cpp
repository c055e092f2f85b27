// The main window over a store of demo volumes:
//  - showing it with "打开窗口执行查询" checked, against the sum of the bare
//    statements it runs (each read forward-only, every column of every row);
//  - the navigation tree's level-1 statement and one expansion, through the
//    tree, against the same statements run bare, and their query plans.
//
//   bench_main [--sizes 1000000] [--pg HOST,PORT | --no-pg] [--cache DIR] [--admin PATH]
//
// Environment: PELU_BENCH_SIZES, PELU_BENCH_PG, PELU_ADMIN.

#include "BenchStores.h"

#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "browse/N_A_main.h"
#include "browse/NavTree.h"
#include "browse/TreeStatements.h"
#include "data/Connection.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTreeWidget>

#include <algorithm>

namespace {

double seconds(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e9;
}

// Runs a statement as the plainest client would; seconds.
double bare(const QString &sql)
{
    QElapsedTimer t;
    t.start();
    QSqlQuery q(Connection::database());
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw SqlError(q.lastError().text() + QStringLiteral("\n") + sql);
    const int n = q.record().count();
    qint64 seen = 0;
    while (q.next())
        for (int c = 0; c < n; ++c)
            seen += q.value(c).isNull() ? 0 : 1;
    Q_UNUSED(seen);
    return seconds(t);
}

QStringList plan(const QString &sql)
{
    const bool pg = shared().isNetwork();
    QSqlQuery q(Connection::database());
    if (!q.exec((pg ? QStringLiteral("explain ") : QStringLiteral("explain query plan ")) + sql))
        return {q.lastError().text()};
    QStringList lines;
    while (q.next())
        lines << (pg ? q.value(0).toString() : q.value(3).toString());
    return lines;
}

// What the data module and the login leave in the shared state.
void prepareSharedState()
{
    Dataset q;
    shared().orderA = BuildOrderClause(q, QStringLiteral("N_A"));
    shared().orderB = BuildOrderClause(q, QStringLiteral("N_B"));
    q.open(QStringLiteral("select a.INO,a.SFIELD,b.SFIELDTYPE from S_TREE a, S_FIELD b where a.SFIELD=b.SFIELD "
                          "and a.STABLE=b.STABLE and a.STABLE='N_A' "));
    for (q.first(); !q.eof(); q.next()) {
        const int level = q.text(QStringLiteral("INO")).toInt();
        if (level >= 1 && level <= 5)
            shared().treeLevels[level - 1] = {q.text(QStringLiteral("SFIELD")), q.text(QStringLiteral("SFIELDTYPE"))};
    }
    for (const char *r : {"IRADD", "IREDIT", "IRDEL", "IRSET", "IRPRINT", "IREXPORT", "IRBIN"})
        shared().user.rights.insert(QLatin1String(r), 1);
    shared().user.name = QStringLiteral("bench");
}

// The statements showing the window runs, in its order.
QStringList showStatements(const QString &firstVolume)
{
    QStringList s;
    for (int i = 1; i <= 10; ++i)
        s << QStringLiteral("select AC%1, AC%1NAME from N_AC%1 order by AC%1ORDER").arg(i, 2, 10, QLatin1Char('0'));
    for (int i = 1; i <= 10; ++i)
        s << QStringLiteral("select BC%1, BC%1NAME from N_BC%1 order by BC%1ORDER").arg(i, 2, 10, QLatin1Char('0'));
    s << QStringLiteral("select ino, sfield from s_query where stable='N_A' order by ino");
    s << TreeRootSql(shared().treeLevels);
    s << QStringLiteral("select * from S_FIELD where STABLE='N_A'") << QStringLiteral("select * from S_FIELD where STABLE='N_B'");
    s << QStringLiteral("select *\nfrom N_A a where 1=1") + shared().orderA;
    // The documents load once when the volumes open and once more at the end of the query.
    const QString docs = QStringLiteral("select * from   N_B a where 1=1 and a.AIID=") + firstVolume + shared().orderB;
    s << docs << docs;
    return s;
}

struct Result {
    QString store;
    double window = 0, bareSum = 0;
    double rootTree = 0, rootBare = 0, childTree = 0, childBare = 0;
    QStringList rootPlan, childPlan;
};

Result measure(const QString &store)
{
    Result r;
    r.store = store;
    prepareSharedState();
    {
        // A first run warms the store's pages, as the bare runs below find them.
        Tfrm_N_A_main warm;
        warm.show();
        QApplication::processEvents();
    }
    QElapsedTimer t;
    t.start();
    auto *w = new Tfrm_N_A_main;
    w->show();
    QApplication::processEvents();
    r.window = seconds(t);
    const QString firstVolume = w->Qry1().isEmpty() ? QString() : w->Qry1().text(QStringLiteral("AIID"));
    delete w;
    for (const QString &sql : showStatements(firstVolume))
        r.bareSum += bare(sql);

    // The tree on its own, best of three each way.
    Dataset scratch;
    QTreeWidget tv;
    QWidget panel;
    NavTree tree(&tv, &panel, &scratch, [] {});
    const QString rootSql = TreeRootSql(shared().treeLevels);
    QString childSql;
    r.rootTree = r.rootBare = r.childTree = r.childBare = 1e9;
    for (int round = 0; round < 3; ++round) {
        t.restart();
        tree.BuildTreeRoot();
        r.rootTree = std::min(r.rootTree, seconds(t));
        r.rootBare = std::min(r.rootBare, bare(rootSql));
        if (tv.topLevelItemCount() == 0)
            continue;
        QTreeWidgetItem *first = tv.topLevelItem(0);
        childSql = TreeChildSql(shared().treeLevels, 1, {TreeNodeRec(first).s1}, shared().edition);
        t.restart();
        tree.tv1Expanding(first);
        r.childTree = std::min(r.childTree, seconds(t));
        r.childBare = std::min(r.childBare, bare(childSql));
    }
    r.rootPlan = plan(rootSql);
    if (!childSql.isEmpty())
        r.childPlan = plan(childSql);
    return r;
}

void report(const Result &r)
{
    const double showRatio = r.window / r.bareSum;
    say(QStringLiteral("  showing the main window: %1 s; the bare statements it runs: %2 s; ratio %3 %4 (target <= 1.5)")
            .arg(r.window, 0, 'f', 3)
            .arg(r.bareSum, 0, 'f', 3)
            .arg(showRatio, 0, 'f', 2)
            .arg(showRatio <= 1.5 ? QStringLiteral("ok") : QStringLiteral("MISSED")));
    say(QStringLiteral("  tree level 1: %1 s through the tree, %2 s bare (ratio %3)")
            .arg(r.rootTree, 0, 'f', 3)
            .arg(r.rootBare, 0, 'f', 3)
            .arg(r.rootTree / r.rootBare, 0, 'f', 2));
    for (const QString &line : r.rootPlan)
        say(QStringLiteral("    plan: ") + line);
    say(QStringLiteral("  one expansion: %1 s through the tree, %2 s bare (ratio %3)")
            .arg(r.childTree, 0, 'f', 3)
            .arg(r.childBare, 0, 'f', 3)
            .arg(r.childBare > 0 ? r.childTree / r.childBare : 0, 0, 'f', 2));
    for (const QString &line : r.childPlan)
        say(QStringLiteral("    plan: ") + line);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setBenchFont();

    BenchArguments parsed;
    if (!parseBenchArguments(app.arguments(), {1000000}, {}, parsed))
        return 2;
    const BenchStoreOptions &stores = parsed.stores;
    const QList<qint64> &sizes = parsed.sizes;
    int failures = 0;
    for (const qint64 n : sizes) {
        for (const bool pg : {false, true}) {
            if (pg && stores.pg.isEmpty())
                continue;
            const QString store = pg ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite");
            say(QStringLiteral("%1, %2 volumes").arg(store).arg(n));
            try {
                if (pg)
                    openPostgresBenchStore(stores, n);
                else
                    openSqliteBenchStore(stores, n);
                // The designed look: no appearance file is read or kept.
                shared().uiIniPath = QStringLiteral("/tmp/pelu-bench-mavo120-%1.ini").arg(QCoreApplication::applicationPid());
                QFile::remove(shared().uiIniPath);
                const Result r = measure(store);
                report(r);
                failures += r.window / r.bareSum > 1.5 ? 1 : 0;
            } catch (const AppError &e) {
                say(QStringLiteral("  failed: %1").arg(e.message()));
                ++failures;
            }
            QFile::remove(shared().uiIniPath);
            Connection::close();
        }
    }
    return failures == 0 ? 0 : 1;
}

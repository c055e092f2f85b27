// A batch edit of one field over every demo volume (empty condition text),
// through the batch edit window's apply with scripted message boxes, followed
// by the main window's query again, against the bare UPDATE and the bare
// query read forward-only.
//
// The cached stores stay as they are: the SQLite store is copied to a
// temporary folder, the PostgreSQL store to a database of its own made from
// it as a template and dropped afterwards.
//
//   bench_batchedit [--sizes 1000000] [--rounds 3] [--pg HOST,PORT | --no-pg] [--cache DIR] [--admin PATH]
//
// Environment: PELU_BENCH_SIZES, PELU_BENCH_PG, PELU_ADMIN.

#include "BenchStores.h"

#include "app/DbMapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "browse/QueryConditions.h"
#include "data/Connection.h"
#include "data/Dataset.h"
#include "data/SharedState.h"
#include "edit/N_A_batchedit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QThread>

#include <cstdio>
#include <memory>
#include <vector>

namespace {

const QString kField = QStringLiteral("AS15");
const QString kBaseSql = QStringLiteral("select *\nfrom N_A a where 1=1");

double seconds(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e9;
}

void run(QSqlDatabase db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw SqlError(q.lastError().text() + QStringLiteral("\n") + sql);
}

// Seconds of one way: the statement, and the query after it.
struct Timing {
    double update = 0, query = 0;
    double total() const { return update + query; }
};

// The bare UPDATE and the bare query, read forward-only.
Timing bare(const QString &value, const QString &select)
{
    Timing r;
    QElapsedTimer t;
    t.start();
    run(Connection::database(), QStringLiteral("update N_A set %1='%2' where 1=1 ").arg(kField, value));
    r.update = seconds(t);
    t.restart();
    QSqlQuery q(Connection::database());
    q.setForwardOnly(true);
    if (!q.exec(select))
        throw SqlError(q.lastError().text() + QStringLiteral("\n") + select);
    const int n = q.record().count();
    qint64 seen = 0;
    while (q.next())
        for (int c = 0; c < n; ++c)
            seen += q.value(c).isNull() ? 0 : 1;
    Q_UNUSED(seen);
    r.query = seconds(t);
    return r;
}

// The window's apply and the main window's query after it.
Timing throughWindow(const QString &value, const QString &select, qint64 expected)
{
    Timing r;
    QElapsedTimer t;
    t.start();
    {
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_batchedit w{QString()};
        w.dbcb1()->setCurrentCode(kField);
        if (w.fieldCode() != kField)
            throw AppError(QStringLiteral("%1 cannot be picked").arg(kField));
        w.dbed3()->setText(value);
        if (!w.btn1Click() || boxes.shown.size() != 1 || boxes.shown.first().text != QStringLiteral("批量修改成功！"))
            throw AppError(QStringLiteral("the batch edit failed: %1")
                               .arg(boxes.shown.isEmpty() ? QString() : boxes.shown.first().text));
    }
    r.update = seconds(t);
    t.restart();
    Dataset volumes;
    volumes.open(select);
    r.query = seconds(t);
    if (volumes.recordCount() != expected)
        throw AppError(QStringLiteral("the query found %1 volumes").arg(volumes.recordCount()));
    return r;
}

// Every volume holds value in the field: the statement reached them all.
void checkAll(const QString &value, qint64 expected)
{
    const qint64 n = scalar(QStringLiteral("select count(*) from N_A where %1='%2'").arg(kField, value));
    if (n != expected)
        throw AppError(QStringLiteral("%1 of %2 volumes changed").arg(n).arg(expected));
}

// Runs sql on the server's maintenance database as its administrator.
void pgAdmin(const QString &server, const QString &sql)
{
    const QString name = QStringLiteral("bench_batchedit_admin");
    {
        QSqlDatabase db = Connection::openPostgres(name, Connection::parseServer(server), QStringLiteral("postgres"),
                                                   QStringLiteral("postgres"), QString());
        run(db, sql);
    }
    QSqlDatabase::removeDatabase(name);
}

// The server of the PostgreSQL copy being measured; empty for SQLite.
QString g_pgServer;

// PostgreSQL keeps the old row versions of a full-table update and writes
// them out at its checkpoints: both ways start from a vacuumed table and a
// fresh checkpoint, so neither pays for what the other left.
void settle()
{
    if (g_pgServer.isEmpty())
        return;
    run(Connection::database(), QStringLiteral("vacuum N_A"));
    pgAdmin(g_pgServer, QStringLiteral("checkpoint"));
}

// What the data module leaves in the shared state for the main window's query.
void prepareSharedState()
{
    Dataset q;
    shared().orderA = BuildOrderClause(q, QStringLiteral("N_A"));
    shared().user.name = QStringLiteral("bench");
}

// Medians over the rounds: the whole, and each part on its own.
struct Summary {
    double total = 0, update = 0, query = 0;
};

Summary summarise(const std::vector<Timing> &rounds)
{
    std::vector<double> total, update, query;
    for (const Timing &t : rounds) {
        total.push_back(t.total());
        update.push_back(t.update);
        query.push_back(t.query);
    }
    return {median(total), median(update), median(query)};
}

struct Result {
    Summary window, bare;
};

Result measure(qint64 volumes, int rounds)
{
    prepareSharedState();
    const QString select = QueryConditions::volumeStatement(kBaseSql, QString(), shared().orderA);
    // A first bare run warms the store's pages for both ways.
    bare(QStringLiteral("warm"), select);
    std::vector<Timing> window, plain;
    for (int round = 0; round < rounds; ++round) {
        // Alternating which way goes first evens out what one leaves the other.
        for (int step = 0; step < 2; ++step) {
            const bool viaWindow = (round + step) % 2 == 0;
            const QString value = QStringLiteral("JJ-%1%2").arg(round).arg(viaWindow ? 'w' : 'b');
            settle();
            if (viaWindow)
                window.push_back(throughWindow(value, select, volumes));
            else
                plain.push_back(bare(value, select));
            checkAll(value, volumes);
        }
    }
    return {summarise(window), summarise(plain)};
}

// The cached store copied, opened as the shared connection; the copy goes
// with the returned folder.
std::unique_ptr<QTemporaryDir> openSqliteCopy(const BenchStoreOptions &o, qint64 volumes)
{
    const QString cached = openSqliteBenchStore(o, volumes);
    Connection::close();
    auto dir = std::make_unique<QTemporaryDir>(QStringLiteral("/tmp/pelu-bench-batchedit-XXXXXX"));
    if (!dir->isValid() || !QFile::copy(Connection::singleUserStorePath(cached), Connection::singleUserStorePath(dir->path())))
        throw AppError(QStringLiteral("cannot copy the store of %1 volumes").arg(volumes));
    shared().setEditionAndFolder(QStringLiteral("0"), dir->path());
    Connection::openSingleUser(dir->path());
    return dir;
}

QString pgCopyName(qint64 volumes)
{
    return QStringLiteral("pelu_bench_batchedit_%1").arg(volumes);
}

void dropPgCopy(const BenchStoreOptions &o, qint64 volumes)
{
    pgAdmin(o.pg, QStringLiteral("drop database if exists %1 with (force)").arg(pgCopyName(volumes)));
}

void openPgCopy(const BenchStoreOptions &o, qint64 volumes)
{
    const QString cached = openPostgresBenchStore(o, volumes);
    Connection::close();
    dropPgCopy(o, volumes);
    // A template must have no other session: another benchmark reading the
    // cached store only delays the copy.
    const QString create = QStringLiteral("create database %1 owner %2 template %3")
                               .arg(pgCopyName(volumes), Schema::networkLogin(), cached);
    for (int attempt = 1;; ++attempt) {
        try {
            pgAdmin(o.pg, create);
            break;
        } catch (const SqlError &) {
            if (attempt == 60)
                throw;
            QThread::sleep(2);
        }
    }
    shared().networkDbNameOverride = pgCopyName(volumes);
    Connection::openNetwork(o.pg);
    g_pgServer = o.pg;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setBenchFont();

    BenchArguments parsed;
    if (!parseBenchArguments(app.arguments(), {1000000}, {QStringLiteral("--rounds")}, parsed))
        return 2;
    const BenchStoreOptions &stores = parsed.stores;
    const QList<qint64> &sizes = parsed.sizes;
    const int rounds = qMax(1, parsed.extras.value(QStringLiteral("--rounds"), QStringLiteral("3")).toInt());
    int failures = 0;
    for (const qint64 n : sizes) {
        for (const bool pg : {false, true}) {
            if (pg && stores.pg.isEmpty())
                continue;
            say(QStringLiteral("%1, %2 volumes, field %3, median of %4 rounds")
                    .arg(pg ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite"))
                    .arg(n)
                    .arg(kField)
                    .arg(rounds));
            std::unique_ptr<QTemporaryDir> copy;
            try {
                if (pg)
                    openPgCopy(stores, n);
                else
                    copy = openSqliteCopy(stores, n);
                const Result r = measure(n, rounds);
                const double ratio = r.window.total / r.bare.total;
                say(QStringLiteral("  batch edit and query again: %1 s; bare UPDATE and query: %2 s; ratio %3 %4 "
                                   "(target <= 1.2)")
                        .arg(r.window.total, 0, 'f', 3)
                        .arg(r.bare.total, 0, 'f', 3)
                        .arg(ratio, 0, 'f', 2)
                        .arg(ratio <= 1.2 ? QStringLiteral("ok") : QStringLiteral("MISSED")));
                say(QStringLiteral("    update: %1 s through the window, %2 s bare; query: %3 s into the dataset, %4 s bare")
                        .arg(r.window.update, 0, 'f', 3)
                        .arg(r.bare.update, 0, 'f', 3)
                        .arg(r.window.query, 0, 'f', 3)
                        .arg(r.bare.query, 0, 'f', 3));
                failures += ratio > 1.2 ? 1 : 0;
            } catch (const AppError &e) {
                say(QStringLiteral("  failed: %1").arg(e.message()));
                ++failures;
            }
            Connection::close();
            g_pgServer.clear();
            if (pg) {
                try {
                    dropPgCopy(stores, n);
                } catch (const AppError &e) {
                    say(QStringLiteral("  the copy %1 stays: %2").arg(pgCopyName(n), e.message()));
                }
            }
        }
    }
    return failures == 0 ? 0 : 1;
}

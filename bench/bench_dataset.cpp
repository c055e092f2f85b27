// Opening the volume table into a Dataset, against the plain forward-only
// read of every value it is built from; and the memory the rows take, against
// the table's own size in the store. Both stores, several sizes.
//
//   bench_dataset [--sizes 10000,100000] [--repeat N] [--pg HOST,PORT | --no-pg]
//                 [--cache DIR] [--admin PATH-TO-pelu-admin]
//
// Environment: PELU_BENCH_SIZES, PELU_BENCH_REPEAT, PELU_BENCH_PG, PELU_ADMIN.
// Stores are made once with the administration tool and reused from the cache
// folder (SQLite) or the server (PostgreSQL databases pelu_bench_<N>).

#include "BenchStores.h"

#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

const QString kSql = QStringLiteral("select * from N_A a where 1=1");

struct Options {
    QList<qint64> sizes{100000, 1000000};
    int repeat = 0; // 0: by size
    BenchStoreOptions stores;
};

struct Result {
    QString store;
    qint64 rows = 0;
    double queryBest = 0, queryMedian = 0, datasetBest = 0, datasetMedian = 0;
    qint64 memory = 0, rssGrowth = 0, table = 0, tableWithIndexes = 0;
};

qint64 rssBytes()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong() * 1024;
    return 0;
}

// Times the plain read and the dataset's open alternately.
void measure(Result &r, int repeat)
{
    std::vector<double> query, dataset;
    for (int i = 0; i < repeat; ++i) {
        {
            QElapsedTimer t;
            t.start();
            QSqlQuery q(Connection::database());
            q.setForwardOnly(true);
            if (!q.exec(kSql))
                throw SqlError(q.lastError().text());
            const int n = q.record().count();
            qint64 rows = 0, nonNull = 0;
            while (q.next()) {
                ++rows;
                for (int c = 0; c < n; ++c)
                    nonNull += q.value(c).isNull() ? 0 : 1;
            }
            query.push_back(t.nsecsElapsed() / 1e9);
            r.rows = rows;
            if (nonNull == 0 && rows > 0)
                say(QStringLiteral("  (every value was null)"));
        }
        {
            Dataset ds;
            const qint64 rssBefore = rssBytes();
            QElapsedTimer t;
            t.start();
            ds.open(kSql);
            dataset.push_back(t.nsecsElapsed() / 1e9);
            r.memory = ds.memoryUsage();
            r.rssGrowth = std::max(r.rssGrowth, rssBytes() - rssBefore);
            if (ds.recordCount() != r.rows)
                throw AppError(QStringLiteral("dataset holds %1 rows, the query gave %2").arg(ds.recordCount()).arg(r.rows));
        }
    }
    r.queryBest = *std::min_element(query.begin(), query.end());
    r.datasetBest = *std::min_element(dataset.begin(), dataset.end());
    r.queryMedian = median(query);
    r.datasetMedian = median(dataset);
}

void sqliteTableSize(Result &r, const QString &folder)
{
    bool ok = false;
    r.table = scalar(QStringLiteral("select sum(pgsize) from dbstat where name='N_A'"), &ok);
    if (ok) {
        r.tableWithIndexes = scalar(QStringLiteral("select sum(pgsize) from dbstat where tbl_name='N_A' or name in "
                                                   "(select name from sqlite_master where tbl_name='N_A')"));
        return;
    }
    // Without dbstat: the page count of a copy that holds only the table.
    const QString copy = folder + QStringLiteral("/n_a_only.db");
    QFile::remove(copy);
    QSqlQuery q(Connection::database());
    if (!q.exec(QStringLiteral("attach database '%1' as sizing").arg(copy))
        || !q.exec(QStringLiteral("create table sizing.N_A as select * from main.N_A")))
        throw SqlError(q.lastError().text());
    r.table = scalar(QStringLiteral("select page_count from sizing.pragma_page_count()"))
        * scalar(QStringLiteral("select page_size from sizing.pragma_page_size()"));
    r.tableWithIndexes = -1;
    q.exec(QStringLiteral("detach database sizing"));
    QFile::remove(copy);
}

Result benchSqlite(const Options &o, qint64 volumes)
{
    Result r;
    r.store = QStringLiteral("SQLite");
    const QString folder = openSqliteBenchStore(o.stores, volumes);
    measure(r, o.repeat > 0 ? o.repeat : (volumes >= 1000000 ? 3 : 5));
    sqliteTableSize(r, folder);
    Connection::close();
    return r;
}

Result benchPostgres(const Options &o, qint64 volumes)
{
    Result r;
    r.store = QStringLiteral("PostgreSQL");
    openPostgresBenchStore(o.stores, volumes);
    measure(r, o.repeat > 0 ? o.repeat : (volumes >= 1000000 ? 3 : 5));
    r.table = scalar(QStringLiteral("select pg_table_size('n_a')"));
    r.tableWithIndexes = scalar(QStringLiteral("select pg_total_relation_size('n_a')"));
    Connection::close();
    return r;
}

QString mb(qint64 bytes)
{
    return bytes < 0 ? QStringLiteral("-") : QString::number(bytes / 1048576.0, 'f', 1);
}

void report(const QList<Result> &results)
{
    say(QString());
    say(QStringLiteral("Opening \"%1\" into a Dataset against a forward-only QSqlQuery reading value(i) of every column").arg(kSql));
    say(QStringLiteral("(targets: time ratio <= 1.5, memory ratio <= 2; memory = Dataset::memoryUsage(), table = the table's pages without indexes)"));
    say(QString());
    say(QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11")
            .arg(QStringLiteral("store"), -11)
            .arg(QStringLiteral("rows"), 8)
            .arg(QStringLiteral("query s"), 8)
            .arg(QStringLiteral("dataset s"), 9)
            .arg(QStringLiteral("ratio best/med"), 15)
            .arg(QStringLiteral("memory MB"), 10)
            .arg(QStringLiteral("rss+ MB"), 8)
            .arg(QStringLiteral("table MB"), 9)
            .arg(QStringLiteral("+idx MB"), 8)
            .arg(QStringLiteral("mem ratio"), 9)
            .arg(QStringLiteral("verdict"), 8));
    for (const Result &r : results) {
        const double timeRatio = r.datasetBest / r.queryBest;
        const double memRatio = r.table > 0 ? double(r.memory) / double(r.table) : 0;
        const bool ok = timeRatio <= 1.5 && memRatio <= 2.0;
        say(QStringLiteral("%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11")
                .arg(r.store, -11)
                .arg(r.rows, 8)
                .arg(r.queryMedian, 8, 'f', 3)
                .arg(r.datasetMedian, 9, 'f', 3)
                .arg(QStringLiteral("%1 / %2").arg(timeRatio, 0, 'f', 2).arg(r.datasetMedian / r.queryMedian, 0, 'f', 2), 15)
                .arg(mb(r.memory), 10)
                .arg(mb(r.rssGrowth), 8)
                .arg(mb(r.table), 9)
                .arg(mb(r.tableWithIndexes), 8)
                .arg(memRatio, 9, 'f', 2)
                .arg(ok ? QStringLiteral("ok") : QStringLiteral("MISSED"), 8));
    }
}

bool parse(const QStringList &args, Options &o)
{
    auto sizes = [&](const QString &text) {
        o.sizes = parseSizes(text);
        return !o.sizes.isEmpty();
    };
    if (qEnvironmentVariableIsSet("PELU_BENCH_SIZES") && !sizes(qEnvironmentVariable("PELU_BENCH_SIZES")))
        return false;
    if (qEnvironmentVariableIsSet("PELU_BENCH_REPEAT"))
        o.repeat = qEnvironmentVariableIntValue("PELU_BENCH_REPEAT");
    if (qEnvironmentVariableIsSet("PELU_BENCH_PG"))
        o.stores.pg = qEnvironmentVariable("PELU_BENCH_PG");
    o.stores.admin = qEnvironmentVariable("PELU_ADMIN");
    for (int i = 1; i < args.size(); ++i) {
        const QString &a = args.at(i);
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--sizes") && hasValue) {
            if (!sizes(args.at(++i)))
                return false;
        } else if (a == QLatin1String("--repeat") && hasValue) {
            o.repeat = args.at(++i).toInt();
        } else if (a == QLatin1String("--pg") && hasValue) {
            o.stores.pg = args.at(++i);
        } else if (a == QLatin1String("--no-pg")) {
            o.stores.pg.clear();
        } else if (a == QLatin1String("--cache") && hasValue) {
            o.stores.cache = args.at(++i);
        } else if (a == QLatin1String("--admin") && hasValue) {
            o.stores.admin = args.at(++i);
        } else {
            return false;
        }
    }
    if (o.stores.admin.isEmpty())
        o.stores.admin = QCoreApplication::applicationDirPath() + QStringLiteral("/pelu-admin");
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Options o;
    if (!parse(app.arguments(), o)) {
        std::fprintf(stderr, "usage: bench_dataset [--sizes N,N] [--repeat N] [--pg HOST,PORT | --no-pg] [--cache DIR] [--admin PATH]\n");
        return 2;
    }
    QList<Result> results;
    int failures = 0;
    for (const qint64 n : o.sizes) {
        for (const bool pg : {false, true}) {
            if (pg && o.stores.pg.isEmpty())
                continue;
            say(QStringLiteral("%1, %2 volumes").arg(pg ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite")).arg(n));
            try {
                results.append(pg ? benchPostgres(o, n) : benchSqlite(o, n));
                report({results.last()});
                say(QString());
            } catch (const AppError &e) {
                Connection::close();
                say(QStringLiteral("  failed: %1").arg(e.message()));
                ++failures;
            }
        }
    }
    report(results);
    return failures == 0 ? 0 : 1;
}

#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <vector>

// Stores for the benchmarks: made once with the administration tool
// ("init" and "demo") and reused from the cache folder (SQLite) or the
// benchmark's PostgreSQL server (databases pelu_bench_<N>).

void say(const QString &text);
// The first column of the first row as a number, -1 on failure.
qint64 scalar(const QString &sql, bool *ok = nullptr);
double median(std::vector<double> v);

// Parses "10000,100000"; an empty list when an entry is not a positive number.
QList<qint64> parseSizes(const QString &text);
// PELU_BENCH_SIZES when set, otherwise the defaults.
QList<qint64> benchSizes(const QList<qint64> &defaults);
// The font the window benchmarks paint with: the offscreen platform picks
// none that shows Chinese.
void setBenchFont();

struct BenchStoreOptions {
    QString cache = QStringLiteral("/tmp/pelu-bench-cache");
    QString pg = QStringLiteral("127.0.0.1,55433"); // empty: no PostgreSQL
    QString admin;                                  // pelu-admin
};

// Opens (making it first when missing or of another size) the store with
// that many demo volumes as the shared connection. Throws AppError.
// Returns the store's folder (SQLite) or database name (PostgreSQL).
QString openSqliteBenchStore(const BenchStoreOptions &o, qint64 volumes);
QString openPostgresBenchStore(const BenchStoreOptions &o, qint64 volumes);

// The command line the store benchmarks share: --sizes N,N, --pg HOST,PORT,
// --no-pg, --cache DIR and --admin PATH, over PELU_BENCH_SIZES, PELU_BENCH_PG and
// PELU_ADMIN; extraOptions each take one value and land in extras. A missing
// --admin means pelu-admin beside the benchmark. False, with the usage on
// stderr, for anything else or sizes that are not positive numbers.
struct BenchArguments {
    BenchStoreOptions stores;
    QList<qint64> sizes;
    QHash<QString, QString> extras;
};
bool parseBenchArguments(const QStringList &args, const QList<qint64> &defaultSizes,
                         const QStringList &extraOptions, BenchArguments &out);

#include "BenchStores.h"

#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/SharedState.h"
#include "data/StoreBuilder.h"

#include <QDir>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QGuiApplication>
#include <QProcess>
#include <QSqlQuery>

#include <algorithm>
#include <cstdio>
#include <vector>

void say(const QString &text)
{
    std::printf("%s\n", text.toUtf8().constData());
    std::fflush(stdout);
}

qint64 scalar(const QString &sql, bool *ok)
{
    QSqlQuery q(Connection::database());
    const bool good = q.exec(sql) && q.next();
    if (ok)
        *ok = good;
    return good ? q.value(0).toLongLong() : -1;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QList<qint64> parseSizes(const QString &text)
{
    QList<qint64> sizes;
    for (const QString &s : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const qint64 n = s.trimmed().toLongLong(&ok);
        if (!ok || n <= 0)
            return {};
        sizes << n;
    }
    return sizes;
}

QList<qint64> benchSizes(const QList<qint64> &defaults)
{
    return qEnvironmentVariableIsSet("PELU_BENCH_SIZES") ? parseSizes(qEnvironmentVariable("PELU_BENCH_SIZES")) : defaults;
}

bool parseBenchArguments(const QStringList &args, const QList<qint64> &defaultSizes,
                         const QStringList &extraOptions, BenchArguments &out)
{
    out.stores.admin = qEnvironmentVariable("PELU_ADMIN");
    if (qEnvironmentVariableIsSet("PELU_BENCH_PG"))
        out.stores.pg = qEnvironmentVariable("PELU_BENCH_PG");
    out.sizes = benchSizes(defaultSizes);
    bool good = true;
    for (int i = 1; i < args.size() && good; ++i) {
        const QString &arg = args.at(i);
        const bool value = i + 1 < args.size();
        if (arg == QLatin1String("--sizes") && value)
            out.sizes = parseSizes(args.at(++i));
        else if (arg == QLatin1String("--pg") && value)
            out.stores.pg = args.at(++i);
        else if (arg == QLatin1String("--no-pg"))
            out.stores.pg.clear();
        else if (arg == QLatin1String("--cache") && value)
            out.stores.cache = args.at(++i);
        else if (arg == QLatin1String("--admin") && value)
            out.stores.admin = args.at(++i);
        else if (extraOptions.contains(arg) && value)
            out.extras.insert(arg, args.at(++i));
        else
            good = false;
    }
    if (!good || out.sizes.isEmpty()) {
        QString extras;
        for (const QString &o : extraOptions)
            extras += QStringLiteral(" [%1 N]").arg(o);
        std::fprintf(stderr, "usage: %s [--sizes N,N]%s [--pg HOST,PORT | --no-pg] [--cache DIR] [--admin PATH]\n",
                     qPrintable(QFileInfo(args.value(0)).fileName()), qPrintable(extras));
        return false;
    }
    if (out.stores.admin.isEmpty())
        out.stores.admin = QCoreApplication::applicationDirPath() + QStringLiteral("/pelu-admin");
    return true;
}

void setBenchFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("WenQuanYi Micro Hei")});
    font.setPixelSize(15);
    QGuiApplication::setFont(font);
}

namespace {

void runAdmin(const BenchStoreOptions &o, const QStringList &args)
{
    say(QStringLiteral("  pelu-admin %1").arg(args.join(QLatin1Char(' '))));
    QProcess p;
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.start(o.admin, args);
    if (!p.waitForStarted())
        throw AppError(QStringLiteral("cannot start %1").arg(o.admin));
    QByteArray last;
    while (!p.waitForFinished(1000)) {
        const QByteArray out = p.readAllStandardOutput();
        if (!out.isEmpty())
            last = out.trimmed().split('\n').last();
    }
    if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        throw AppError(QStringLiteral("pelu-admin %1 failed (%2)").arg(args.first()).arg(p.exitCode()));
    const QByteArray out = p.readAllStandardOutput().trimmed();
    say(QStringLiteral("  ") + QString::fromUtf8(out.isEmpty() ? last : out.split('\n').last()));
}

} // namespace

QString openSqliteBenchStore(const BenchStoreOptions &o, qint64 volumes)
{
    const QString folder = QStringLiteral("%1/sqlite-%2").arg(o.cache).arg(volumes);
    shared() = SharedState();
    shared().setEditionAndFolder(QStringLiteral("0"), folder);
    bool ready = false;
    if (QFile::exists(Connection::singleUserStorePath(folder))) {
        try {
            Connection::openSingleUser(folder);
            ready = scalar(QStringLiteral("select count(*) from N_A")) == volumes;
        } catch (const AppError &) {
        }
        Connection::close();
    }
    if (!ready) {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
        runAdmin(o, {QStringLiteral("init"), folder});
        runAdmin(o, {QStringLiteral("demo"), folder, QStringLiteral("--volumes"), QString::number(volumes)});
    }
    Connection::openSingleUser(folder);
    return folder;
}

QString openPostgresBenchStore(const BenchStoreOptions &o, qint64 volumes)
{
    const QString name = QStringLiteral("pelu_bench_%1").arg(volumes);
    shared() = SharedState();
    shared().setEditionAndFolder(QStringLiteral("1"), o.cache);
    shared().networkDbNameOverride = name;
    bool ready = false;
    try {
        Connection::openNetwork(o.pg);
        ready = scalar(QStringLiteral("select count(*) from N_A")) == volumes;
    } catch (const AppError &) {
    }
    Connection::close();
    if (!ready) {
        StoreBuilder::NetworkTarget t;
        t.server = o.pg;
        t.database = name;
        try {
            StoreBuilder::dropNetwork(t);
        } catch (const AppError &) {
        }
        runAdmin(o, {QStringLiteral("init"), QStringLiteral("--server"), o.pg, QStringLiteral("--database"), name});
        runAdmin(o, {QStringLiteral("demo"), QStringLiteral("--server"), o.pg, QStringLiteral("--database"), name,
                     QStringLiteral("--volumes"), QString::number(volumes)});
    }
    Connection::openNetwork(o.pg);
    return name;
}

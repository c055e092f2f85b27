// pelu-admin: makes new stores and fills them with sample data.
//
//   pelu-admin init FOLDER
//   pelu-admin init --server HOST[,PORT] [--admin-user U] [--admin-password P]
//   pelu-admin demo FOLDER --volumes N
//   pelu-admin demo --server HOST[,PORT] --volumes N
//
// --database NAME names another network database than pelu100 (tests, benchmarks).

#include "app/MessageBoxes.h"
#include "data/DemoData.h"
#include "data/StoreBuilder.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QStringList>

#include <cstdio>

namespace {

void out(const QString &text)
{
    std::fprintf(stdout, "%s\n", text.toLocal8Bit().constData());
    std::fflush(stdout);
}

void err(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

int usage()
{
    err(QStringLiteral("usage:\n"
                       "  pelu-admin init FOLDER\n"
                       "  pelu-admin init --server HOST[,PORT] [--admin-user U] [--admin-password P] [--database NAME]\n"
                       "  pelu-admin demo FOLDER --volumes N\n"
                       "  pelu-admin demo --server HOST[,PORT] --volumes N [--database NAME]"));
    return 2;
}

struct Args {
    QString command;
    QString folder;
    bool network = false;
    StoreBuilder::NetworkTarget target;
    qint64 volumes = -1;
};

bool parse(const QStringList &argv, Args &a)
{
    if (argv.size() < 2)
        return false;
    a.command = argv.at(1);
    for (int i = 2; i < argv.size(); ++i) {
        const QString &arg = argv.at(i);
        auto value = [&](QString &into) {
            if (i + 1 >= argv.size())
                return false;
            into = argv.at(++i);
            return true;
        };
        if (arg == QLatin1String("--server")) {
            a.network = true;
            if (!value(a.target.server))
                return false;
        } else if (arg == QLatin1String("--admin-user")) {
            if (!value(a.target.adminUser))
                return false;
        } else if (arg == QLatin1String("--admin-password")) {
            if (!value(a.target.adminPassword))
                return false;
        } else if (arg == QLatin1String("--database")) {
            if (!value(a.target.database))
                return false;
        } else if (arg == QLatin1String("--volumes")) {
            QString n;
            if (!value(n))
                return false;
            bool ok = false;
            a.volumes = n.toLongLong(&ok);
            if (!ok || a.volumes < 0)
                return false;
        } else if (arg.startsWith(QLatin1String("--")) || !a.folder.isEmpty()) {
            return false;
        } else {
            a.folder = arg;
        }
    }
    if (a.network == !a.folder.isEmpty())
        return false; // exactly one of FOLDER and --server
    if (a.command == QLatin1String("demo"))
        return a.volumes >= 0;
    return a.command == QLatin1String("init") && a.volumes < 0;
}

int runInit(const Args &a)
{
    if (a.network) {
        StoreBuilder::initNetwork(a.target);
        out(QStringLiteral("已创建网络版数据库 %1（服务器 %2）。超级管理员 0000 的密码为空，请立即修改。")
                .arg(a.target.database, a.target.server));
    } else {
        StoreBuilder::initSingleUser(a.folder);
        out(QStringLiteral("已创建单机版数据库 %1/data100.dbf。超级管理员 0000 的密码为空，请立即修改。").arg(a.folder));
    }
    return 0;
}

int runDemo(const Args &a)
{
    const QString conn = QStringLiteral("pelu_demo");
    int rc = 0;
    {
        QSqlDatabase db = a.network ? StoreBuilder::openNetworkStore(a.target, conn)
                                    : StoreBuilder::openSingleUserStore(a.folder, conn);
        QElapsedTimer timer;
        timer.start();
        const DemoData::Counts c = DemoData::generate(db, a.volumes, [&](qint64 done) {
            out(QStringLiteral("  %1 / %2").arg(done).arg(a.volumes));
        });
        out(QStringLiteral("已添加示例数据：案卷 %1 条，卷内文件 %2 条，借阅记录 %3 条（%4 秒）。")
                .arg(c.volumes)
                .arg(c.documents)
                .arg(c.lendings)
                .arg(timer.elapsed() / 1000.0, 0, 'f', 1));
        db.close();
    }
    QSqlDatabase::removeDatabase(conn);
    return rc;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    Args a;
    if (!parse(app.arguments(), a))
        return usage();
    try {
        return a.command == QLatin1String("init") ? runInit(a) : runDemo(a);
    } catch (const AppError &e) {
        err(e.message());
    } catch (const std::exception &e) {
        err(QString::fromLocal8Bit(e.what()));
    }
    return 1;
}

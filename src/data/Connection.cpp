#include "data/Connection.h"

#include "app/MessageBoxes.h"
#include "data/SharedState.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

namespace Connection {

namespace {
const char *const kName = "conPublic";

QString driverMessage(const QSqlError &e)
{
    QString text = e.driverText();
    const QString db = e.databaseText();
    if (!db.isEmpty() && db != text)
        text = text.isEmpty() ? db : text + QLatin1Char(' ') + db;
    return text.trimmed();
}
} // namespace

QString name()
{
    return QLatin1String(kName);
}

QSqlDatabase database()
{
    return QSqlDatabase::database(QLatin1String(kName), false);
}

bool isOpen()
{
    return QSqlDatabase::contains(QLatin1String(kName)) && database().isOpen();
}

Dialect dialect()
{
    return database().driverName() == QLatin1String("QPSQL") ? Dialect::PostgreSQL : Dialect::SQLite;
}

ServerAddress parseServer(const QString &server, const QString &defaultHost)
{
    ServerAddress a;
    const QString s = server.trimmed();
    const int comma = s.indexOf(QLatin1Char(','));
    a.host = (comma < 0 ? s : s.left(comma)).trimmed();
    if (a.host.isEmpty())
        a.host = defaultHost;
    if (comma >= 0) {
        bool ok = false;
        const int port = s.mid(comma + 1).trimmed().toInt(&ok);
        a.port = ok ? port : -1;
    }
    return a;
}

QString singleUserStorePath(const QString &folder)
{
    return folder + QStringLiteral("/data100.dbf");
}

QSqlDatabase openSQLite(const QString &connectionName, const QString &folder)
{
    const QString path = singleUserStorePath(folder);
    if (!QFileInfo::exists(path))
        throw SqlError(QStringLiteral("找不到数据库文件“%1”。").arg(QDir::toNativeSeparators(path)));
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName);
        // mode=rw never creates a file, so a vanished store stays an error.
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=10000"));
        db.setDatabaseName(QStringLiteral("file:") + path + QStringLiteral("?mode=rw"));
        if (!db.open()) {
            failure = driverMessage(db.lastError());
        } else {
            // SQLite opens any file lazily: read the catalogue to be sure it is a store.
            QSqlQuery probe(db);
            if (probe.exec(QStringLiteral("select count(*) from sqlite_master")))
                return db;
            failure = driverMessage(probe.lastError());
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(connectionName);
    throw SqlError(failure);
}

void openSingleUser(const QString &folder)
{
    close();
    openSQLite(QLatin1String(kName), folder);
}

QSqlDatabase openPostgres(const QString &connectionName, const ServerAddress &server, const QString &database,
                          const QString &user, const QString &password)
{
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connectionName);
    db.setHostName(server.host);
    if (server.port > 0)
        db.setPort(server.port);
    db.setDatabaseName(database);
    db.setUserName(user);
    db.setPassword(password);
    db.setConnectOptions(QStringLiteral("connect_timeout=10"));
    if (!db.open()) {
        const QString msg = driverMessage(db.lastError());
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName);
        throw SqlError(msg);
    }
    return db;
}

void openNetwork(const QString &server)
{
    close();
    QSqlDatabase db = openPostgres(QLatin1String(kName), parseServer(server), shared().networkDbName(),
                                   Schema::networkLogin(), Schema::databasePassword());
}

void close()
{
    if (!QSqlDatabase::contains(QLatin1String(kName)))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(QLatin1String(kName), false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(QLatin1String(kName));
}

} // namespace Connection

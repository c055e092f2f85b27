#include "data/StoreBuilder.h"

#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/Schema.h"
#include "data/StoreSeed.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>

namespace StoreBuilder {

namespace {

void run(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw SqlError(q.lastError().text() + QStringLiteral("\n\r") + sql);
}

void createSchema(QSqlDatabase &db, Dialect dialect)
{
    if (!db.transaction())
        throw SqlError(db.lastError().text());
    try {
        for (const QString &sql : Schema::createStatements(dialect))
            run(db, sql);
        StoreSeed::fill(db);
        if (!db.commit())
            throw SqlError(db.lastError().text());
    } catch (...) {
        db.rollback();
        throw;
    }
}

// PostgreSQL identifiers made of letters, digits and underscores only, so the
// name can stand unquoted in DDL.
void checkIdentifier(const QString &name)
{
    static const QRegularExpression ok(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]{0,62}$"));
    if (!ok.match(name).hasMatch())
        throw AppError(QStringLiteral("数据库名称“%1”无效。").arg(name));
}

QString quoteLiteral(const QString &s)
{
    return QLatin1Char('\'') + QString(s).replace(QLatin1Char('\''), QStringLiteral("''")) + QLatin1Char('\'');
}

class ConnectionGuard {
public:
    explicit ConnectionGuard(QString name) : m_name(std::move(name)) {}
    ~ConnectionGuard()
    {
        if (QSqlDatabase::contains(m_name)) {
            QSqlDatabase::database(m_name, false).close();
            QSqlDatabase::removeDatabase(m_name);
        }
    }
private:
    QString m_name;
};

QString uniqueName(const char *prefix)
{
    return QLatin1String(prefix) + QUuid::createUuid().toString(QUuid::Id128);
}

} // namespace

void initSingleUser(const QString &folder)
{
    const QString path = Connection::singleUserStorePath(folder);
    if (QFileInfo::exists(path))
        throw AppError(QStringLiteral("数据库“%1”已存在，未做任何改动。").arg(QDir::toNativeSeparators(path)));
    if (!QDir().mkpath(folder))
        throw AppError(QStringLiteral("无法创建文件夹“%1”。").arg(QDir::toNativeSeparators(folder)));

    // Build under a temporary name and rename at the end, so a failure never
    // leaves a half-made store that the program would open.
    const QString temp = path + QStringLiteral(".new");
    QFile::remove(temp);
    const QString conn = uniqueName("pelu_init_");
    try {
        ConnectionGuard guard(conn);
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), conn);
        db.setDatabaseName(temp);
        if (!db.open())
            throw SqlError(db.lastError().text());
        createSchema(db, Dialect::SQLite);
        db.close();
    } catch (...) {
        QFile::remove(temp);
        throw;
    }
    if (!QFile::rename(temp, path)) {
        QFile::remove(temp);
        throw AppError(QStringLiteral("无法创建数据库“%1”。").arg(QDir::toNativeSeparators(path)));
    }
    QDir dir(folder);
    dir.mkpath(QStringLiteral("N_UPFILE"));
    dir.mkpath(QStringLiteral("N_PRINT"));
}

void initNetwork(const NetworkTarget &target)
{
    checkIdentifier(target.database);
    const Connection::ServerAddress addr = Connection::parseServer(target.server);
    const QString adminConn = uniqueName("pelu_admin_");
    ConnectionGuard adminGuard(adminConn);
    QSqlDatabase admin = Connection::openPostgres(adminConn, addr, QStringLiteral("postgres"), target.adminUser,
                                                  target.adminPassword);
    {
        QSqlQuery q(admin);
        q.prepare(QStringLiteral("select 1 from pg_database where datname = ?"));
        q.addBindValue(target.database.toLower());
        if (!q.exec())
            throw SqlError(q.lastError().text());
        if (q.next())
            throw AppError(QStringLiteral("数据库“%1”已存在，未做任何改动。").arg(target.database));
    }

    bool createdRole = false;
    {
        QSqlQuery q(admin);
        q.prepare(QStringLiteral("select 1 from pg_roles where rolname = ?"));
        q.addBindValue(Schema::networkLogin());
        if (!q.exec())
            throw SqlError(q.lastError().text());
        if (!q.next()) {
            QSqlQuery create(admin);
            const QString sql = QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD %2")
                                    .arg(Schema::networkLogin(), quoteLiteral(Schema::databasePassword()));
            if (create.exec(sql)) {
                createdRole = true;
            } else {
                // Another init may have made the login meanwhile; only a missing login is an error.
                if (!q.exec() || !q.next())
                    throw SqlError(create.lastError().text() + QStringLiteral("\n\r") + sql);
            }
        }
    }

    bool createdDb = false;
    try {
        run(admin, QStringLiteral("CREATE DATABASE %1 OWNER %2 ENCODING 'UTF8' TEMPLATE template0")
                       .arg(target.database, Schema::networkLogin()));
        createdDb = true;
        const QString conn = uniqueName("pelu_init_");
        ConnectionGuard guard(conn);
        QSqlDatabase db = Connection::openPostgres(conn, addr, target.database, Schema::networkLogin(),
                                                   Schema::databasePassword());
        createSchema(db, Dialect::PostgreSQL);
        db.close();
    } catch (...) {
        QSqlQuery q(admin);
        if (createdDb)
            q.exec(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(target.database));
        if (createdRole)
            q.exec(QStringLiteral("DROP ROLE IF EXISTS %1").arg(Schema::networkLogin()));
        throw;
    }
}

void dropNetwork(const NetworkTarget &target)
{
    checkIdentifier(target.database);
    const QString adminConn = uniqueName("pelu_admin_");
    ConnectionGuard adminGuard(adminConn);
    QSqlDatabase admin = Connection::openPostgres(adminConn, Connection::parseServer(target.server),
                                                  QStringLiteral("postgres"), target.adminUser, target.adminPassword);
    run(admin, QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(target.database));
}

QSqlDatabase openSingleUserStore(const QString &folder, const QString &connectionName)
{
    const QString path = Connection::singleUserStorePath(folder);
    if (!QFileInfo::exists(path))
        throw AppError(QStringLiteral("找不到数据库文件“%1”，请先运行 pelu-admin init。").arg(QDir::toNativeSeparators(path)));
    return Connection::openSQLite(connectionName, folder);
}

QSqlDatabase openNetworkStore(const NetworkTarget &target, const QString &connectionName)
{
    return Connection::openPostgres(connectionName, Connection::parseServer(target.server), target.database,
                                    Schema::networkLogin(), Schema::databasePassword());
}

} // namespace StoreBuilder

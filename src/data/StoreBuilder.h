#pragma once

#include <QSqlDatabase>
#include <QString>

// Creates new stores: the administration tool's work. The program itself
// never creates tables.
namespace StoreBuilder {

struct NetworkTarget {
    QString server;                                // "host" or "host,port"
    QString adminUser = QStringLiteral("postgres"); // may create databases and logins
    QString adminPassword;
    QString database = QStringLiteral("pelu100");
};

// data100.dbf with the folders N_UPFILE and N_PRINT in folder. Refuses (AppError,
// nothing changed) when the store exists; a failure leaves no store behind.
void initSingleUser(const QString &folder);

// The network store: database, login pelu100_login with the fixed password,
// schema and seed rows. Refuses when the database exists; a failure drops what
// it created.
void initNetwork(const NetworkTarget &target);

// Drops a network store's database (tests and benchmarks).
void dropNetwork(const NetworkTarget &target);

// Opens an existing store as a separate connection of this name, for the
// administration tool: the single-user file in folder, or the network
// database as the store's own login.
// Throws SqlError when the store cannot be opened.
QSqlDatabase openSingleUserStore(const QString &folder, const QString &connectionName);
QSqlDatabase openNetworkStore(const NetworkTarget &target, const QString &connectionName);

} // namespace StoreBuilder

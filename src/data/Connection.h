#pragma once

#include "data/Schema.h"

#include <QSqlDatabase>
#include <QString>

// The one shared connection ("conPublic") that every query of every window uses.
namespace Connection {

QString name();
QSqlDatabase database();
bool isOpen();
Dialect dialect();

struct ServerAddress {
    QString host;
    int port = -1; // -1: the server's default port
};
// "host" or "host,port"; ",7789" means the default host on port 7789.
ServerAddress parseServer(const QString &server, const QString &defaultHost = QStringLiteral("127.0.0.1"));

// The store file of the single-user edition in a folder.
QString singleUserStorePath(const QString &folder);

// Opens the single-user store in folder as the shared connection. A missing or
// unreadable file is an error (SqlError with the driver's or our message);
// nothing is created.
void openSingleUser(const QString &folder);
// The same as a separate connection of this name (the administration tool).
QSqlDatabase openSQLite(const QString &connectionName, const QString &folder);
// Opens the network store (database name from the shared state) on server.
void openNetwork(const QString &server);
void close();

// A separate named connection to a PostgreSQL server with explicit credentials,
// for the administration tool. Throws SqlError when it cannot connect.
QSqlDatabase openPostgres(const QString &connectionName, const ServerAddress &server, const QString &database,
                          const QString &user, const QString &password);

} // namespace Connection

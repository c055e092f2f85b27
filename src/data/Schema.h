#pragma once

#include <QList>
#include <QString>
#include <QStringList>

// The tables of the archive database, described once as data; each store
// gets its own DDL from this description.

enum class ColType { AutoNumber, Integer, SmallInt, Float, DateTime, Text };
enum class Dialect { SQLite, PostgreSQL };

struct ColumnDef {
    QString name;
    ColType type;
    int width = 0; // text width in characters; 0 = unbounded
};

struct IndexDef {
    QString name;
    QStringList columns;
    bool unique = false;
};

struct TableDef {
    QString name;
    QList<ColumnDef> columns;
    // Columns that find one row when the dataset writes it back. Empty means
    // "every column" (the row's original values locate it).
    QStringList keyColumns;
    QList<IndexDef> indexes;

    const ColumnDef *column(const QString &name) const; // without regard to case
    QString autoNumberColumn() const;                   // empty when there is none
};

namespace Schema {

// The 38 field codes of a record table, in dictionary order: letter 'A' or 'B'.
QStringList fieldCodes(QChar tableLetter);
bool isFieldCode(const QString &code);
// Type letter of a field code ('S', 'I', 'F', 'C', 'D'), or a null QChar.
QChar fieldType(const QString &code);

const QList<TableDef> &tables();
const TableDef *table(const QString &name); // without regard to case

QString columnSql(const ColumnDef &col, Dialect dialect);
// CREATE TABLE and CREATE INDEX statements for every table, in order.
QStringList createStatements(Dialect dialect);

// The fixed password of the store: the network store login uses it.
QString databasePassword();
QString networkLogin();

} // namespace Schema

#pragma once

#include "data/SharedState.h"

#include <QString>
#include <QStringList>

// The statements of the navigation tree: one "select distinct" per level,
// over the volume table with the path's conditions. Every statement gives the
// caption, then the five record values (the path, "null" below the node).

// A level value written into a condition: text levels as a literal, date
// levels as the edition's day number, the other types bare.
QString TreeQuotedValue(const TreeLevel &level, const QString &value, const QString &edition);

// The first level's nodes.
QString TreeRootSql(const TreeLevel (&levels)[5]);

// The children of a node at level k (1..4); values holds the node's record
// values (at least k of them). Empty when level k + 1 has no field.
QString TreeChildSql(const TreeLevel (&levels)[5], int k, const QStringList &values, const QString &edition);

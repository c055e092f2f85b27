#pragma once

#include <QString>

class Dataset;

// The display order of a table's field dictionary (S_FIELD.INO). Each change
// rewrites the numbers of the whole table in one transaction: a failure is
// shown (the statement's error box) and leaves every row as it was, then
// throws SilentAbort.
namespace FieldOrder {

// Swaps the field with its neighbour step places away (-1 up, +1 down) and
// numbers the table 1, 2, 3 ... in that order. Returns the field's new
// number; 0 when it is already first or last (nothing written).
int moveField(Dataset &query, const QString &table, const QString &fieldCode, int step);

// Numbers the table 1, 2, 3 ...: displayed fields first, each group in its
// old order.
void renumber(Dataset &query, const QString &table);

} // namespace FieldOrder

#pragma once

#include <QSqlDatabase>

// The rows a new store starts with: the field dictionary (76 S_FIELD rows),
// the code lists those fields need, tree levels, query positions, sort
// orders, settings rows and the super administrator "0000".
namespace StoreSeed {

// Inserts every seed row into an empty store whose tables exist. The caller
// owns the transaction. Throws SqlError on failure.
void fill(QSqlDatabase db);

} // namespace StoreSeed

#pragma once

#include <QSqlDatabase>
#include <QString>

class Dataset;

// The two ways every window runs SQL on a query, and the helpers built on them.

// Closes the query, sets the text, opens it and moves to the first row. A
// database failure shows "错误" with the driver's message, "\n\r" and the SQL,
// and gives false with the query closed.
bool OpenSql(Dataset &query, const QString &sql);

// Closes the query and runs a statement without result set. A database
// failure shows the same box as OpenSql and then rethrows the SqlError so the
// caller's remaining steps do not run.
bool ExecSql(Dataset &query, const QString &sql);

// One transaction on a dataset's connection, rolled back unless committed.
// begin() and commit() show a failure with the driver's message and give
// false; a commit that fails is rolled back.
class SqlTransaction {
public:
    explicit SqlTransaction(Dataset &dataset);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction &) = delete;
    SqlTransaction &operator=(const SqlTransaction &) = delete;

    bool begin();
    bool commit();
    void rollback();

private:
    QSqlDatabase m_db;
    bool m_open = false;
};

// While the dataset is editing or inserting: ask whether to save; OK posts,
// anything else cancels; result true. Otherwise nothing happens, false.
bool ConfirmSaveChanges(Dataset &dataset);

// The sort clause of a table key from S_ORDER, e.g. " order by AS01 ,AI02 DESC";
// empty when the key has no rows.
QString BuildOrderClause(Dataset &query, const QString &tableKey);

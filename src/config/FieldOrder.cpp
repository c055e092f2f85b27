#include "config/FieldOrder.h"

#include "app/Conversions.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "data/Dataset.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QStringList>

namespace {

// The field codes of the table in the given order; throws SilentAbort when
// the read failed (OpenSql has shown it).
QStringList readCodes(Dataset &query, const QString &table, const QString &order)
{
    if (!OpenSql(query, QStringLiteral("select * from S_FIELD  where stable=") + QuoteSql(table) + order))
        throw SilentAbort();
    QStringList codes;
    const int fieldCol = query.fieldIndex(QStringLiteral("SFIELD"));
    for (int pos = 0; pos < query.recordCount(); ++pos)
        codes << query.textAt(pos, fieldCol);
    return codes;
}

// Gives codes[i] the number i + 1, all or none.
void writeNumbers(Dataset &query, const QString &table, const QStringList &codes)
{
    QSqlDatabase db = query.database();
    const bool ownTransaction = db.isOpen() && db.transaction();
    try {
        for (int i = 0; i < codes.size(); ++i) {
            ExecSql(query, QStringLiteral("update S_FIELD set INO=") + QString::number(i + 1)
                               + QStringLiteral(" where STABLE=") + QuoteSql(table) + QStringLiteral(" and SFIELD=")
                               + QuoteSql(codes.at(i)));
        }
    } catch (const AppError &) {
        if (ownTransaction)
            db.rollback();
        throw SilentAbort();
    }
    if (ownTransaction && !db.commit()) {
        const QString message = db.lastError().text();
        db.rollback();
        ShowError(message);
        throw SilentAbort();
    }
}

} // namespace

namespace FieldOrder {

int moveField(Dataset &query, const QString &table, const QString &fieldCode, int step)
{
    // The code breaks ties, so both reads of the same numbers agree.
    QStringList codes = readCodes(query, table, QStringLiteral(" order by ino, sfield"));
    const int from = codes.indexOf(fieldCode);
    const int to = from + step;
    if (from < 0 || to < 0 || to >= codes.size())
        return 0;
    codes.swapItemsAt(from, to);
    writeNumbers(query, table, codes);
    return to + 1;
}

void renumber(Dataset &query, const QString &table)
{
    // A field without a display mark counts as hidden on both stores.
    writeNumbers(query, table,
                 readCodes(query, table, QStringLiteral("  order by coalesce(idisplay,0) desc, ino, sfield")));
}

} // namespace FieldOrder

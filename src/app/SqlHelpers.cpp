#include "app/SqlHelpers.h"

#include "app/Conversions.h"
#include "app/MessageBoxes.h"
#include "data/Dataset.h"

#include <QSqlError>

namespace {

void showSqlFailure(const AppError &e, const QString &sql)
{
    ShowError(e.message() + QStringLiteral("\n\r") + sql);
}

} // namespace

SqlTransaction::SqlTransaction(Dataset &dataset)
    : m_db(dataset.database())
{
}

SqlTransaction::~SqlTransaction()
{
    rollback();
}

bool SqlTransaction::begin()
{
    m_open = m_db.transaction();
    if (!m_open)
        ShowError(QStringLiteral("开始事务失败：") + m_db.lastError().text());
    return m_open;
}

bool SqlTransaction::commit()
{
    if (m_db.commit()) {
        m_open = false;
        return true;
    }
    ShowError(QStringLiteral("提交事务失败：") + m_db.lastError().text());
    rollback();
    return false;
}

void SqlTransaction::rollback()
{
    if (m_open)
        m_db.rollback();
    m_open = false;
}

bool OpenSql(Dataset &query, const QString &sql)
{
    try {
        query.close();
        query.setSql(sql);
        query.open();
        query.first();
        return true;
    } catch (const AppError &e) {
        query.close();
        showSqlFailure(e, sql);
        return false;
    }
}

bool ExecSql(Dataset &query, const QString &sql)
{
    try {
        query.close();
        query.setSql(sql);
        query.exec(sql);
        return true;
    } catch (const AppError &e) {
        showSqlFailure(e, sql);
        throw;
    }
}

bool ConfirmSaveChanges(Dataset &dataset)
{
    if (!dataset.isEditing())
        return false;
    if (AskConfirm(QStringLiteral("数据已修改，要保存吗?")) == MsgResultOk)
        dataset.post();
    else
        dataset.cancel();
    return true;
}

QString BuildOrderClause(Dataset &query, const QString &tableKey)
{
    const QString sql = QStringLiteral("select sfield, stype from  s_order where stable=") + QuoteSql(tableKey)
        + QStringLiteral(" order by ino");
    if (!OpenSql(query, sql))
        return QString();
    QString list;
    const int fieldCol = query.fieldIndex(QStringLiteral("sfield"));
    const int typeCol = query.fieldIndex(QStringLiteral("stype"));
    for (int pos = 0; pos < query.recordCount(); ++pos) {
        // A field of blanks would leave a broken clause; treat it as empty.
        const QString field = query.textAt(pos, fieldCol).trimmed();
        if (field.isEmpty())
            continue;
        // Only "DESC" in upper case sorts descending.
        if (query.textAt(pos, typeCol) == QLatin1String("DESC"))
            list += field + QStringLiteral(" DESC,");
        else
            list += field + QStringLiteral(" ,");
    }
    if (list.isEmpty())
        return QString();
    list.chop(1);
    return QStringLiteral(" order by ") + list;
}

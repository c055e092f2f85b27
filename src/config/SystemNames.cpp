#include "config/SystemNames.h"

#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QSqlDatabase>
#include <QSqlError>

namespace {

QString readOrCreate(Dataset &query, const QString &name, const QString &defaultValue)
{
    if (!OpenSql(query, QStringLiteral("select SVALUE from S_SET where SNAME='") + name + QLatin1Char('\'')))
        throw SilentAbort();
    if (!query.isEmpty())
        return query.text(QStringLiteral("SVALUE"));
    ExecSql(query, QStringLiteral("insert into S_SET(SNAME,SVALUE) VALUES('") + name + QStringLiteral("','")
                       + defaultValue + QStringLiteral("')"));
    return defaultValue;
}

} // namespace

bool ReloadSystemNames(Dataset &query)
{
    QSqlDatabase db = query.database();
    const bool ownTransaction = db.isOpen() && db.transaction();
    QString title, module;
    try {
        title = readOrCreate(query, QStringLiteral("N_SYS"), QStringLiteral("澜图科技档案管理系统V12.0"));
        module = readOrCreate(query, QStringLiteral("N_MOD"), QStringLiteral("科技档案管理"));
    } catch (...) {
        // OpenSql and ExecSql have shown the failure.
        if (ownTransaction)
            db.rollback();
        return false;
    }
    if (ownTransaction && !db.commit()) {
        const QString message = db.lastError().text();
        db.rollback();
        ShowError(message);
        return false;
    }
    shared().sysTitle = title;
    shared().modName = module;
    return true;
}

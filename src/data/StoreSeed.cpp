#include "data/StoreSeed.h"

#include "app/MessageBoxes.h"

#include <QSqlError>
#include <QSqlQuery>

namespace StoreSeed {

void fill(QSqlDatabase db)
{
    // Temporary: the full dictionary comes with the seed content.
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("insert into S_USER(SUSERID,SUSERNAME,SPASSWORD) values('0000','超级管理员','')")))
        throw SqlError(q.lastError().text());
}

} // namespace StoreSeed

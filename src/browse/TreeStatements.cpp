#include "browse/TreeStatements.h"

#include "app/Conversions.h"

#include <QDate>

namespace {

bool isCode(const TreeLevel &level)
{
    return level.type == QLatin1String("C");
}

} // namespace

QString TreeQuotedValue(const TreeLevel &level, const QString &value, const QString &edition)
{
    if (level.type == QLatin1String("S"))
        return QuoteSql(value);
    if (level.type == QLatin1String("D")) {
        // The store keeps dates as day numbers; a date literal would be read
        // as arithmetic and match nothing.
        const QDate date = QDate::fromString(value, Qt::ISODate);
        return date.isValid() ? DateToSqlNumber(edition, date) : QuoteSql(value);
    }
    return value;
}

QString TreeRootSql(const TreeLevel (&levels)[5])
{
    const QString &f = levels[0].field;
    if (isCode(levels[0]))
        return QStringLiteral("select distinct b.") + f + QStringLiteral("NAME,a.") + f
               + QStringLiteral(",'null','null','null','null',b.") + f + QStringLiteral("ORDER ")
               + QStringLiteral(" from N_A a , N_") + f + QStringLiteral(" b ") + QStringLiteral(" where a.") + f
               + QStringLiteral("=b.") + f + QStringLiteral(" order by b.") + f + QStringLiteral("ORDER");
    return QStringLiteral("select distinct a.") + f + QStringLiteral(",a.") + f
           + QStringLiteral(" as a1,'null','null','null','null'") + QStringLiteral(" from N_A a where a.") + f
           + QStringLiteral(" is not null") + QStringLiteral(" order by ") + f;
}

QString TreeChildSql(const TreeLevel (&levels)[5], int k, const QStringList &values, const QString &edition)
{
    if (k < 1 || k > 4 || values.size() < k)
        return QString();
    const TreeLevel &level = levels[k];
    const QString &f = level.field;
    if (f.isEmpty())
        return QString();

    // The path as text constants of the select list and as conditions.
    QString constants;
    QString path;
    for (int j = 0; j < k; ++j) {
        constants += QLatin1Char(',') + QuoteSql(values.at(j));
        path += QStringLiteral(" and a.") + levels[j].field + QLatin1Char('=')
                + TreeQuotedValue(levels[j], values.at(j), edition);
    }

    if (isCode(level)) {
        static const char *const nulls[] = {",'null','null','null',b.", ",'null','null',b.", " ,'null',b.", ",b."};
        return QStringLiteral("select distinct b.") + f + QStringLiteral("NAME") + constants + QStringLiteral(",a.")
               + f + QLatin1String(nulls[k - 1]) + f + QStringLiteral("ORDER ") + QStringLiteral(" from N_A a, N_")
               + f + QStringLiteral(" b ") + QStringLiteral(" where a.") + f + QStringLiteral("=b.") + f + path
               + QStringLiteral(" order by b.") + f + QStringLiteral("ORDER");
    }
    static const char *const nulls[] = {" as a1,'null','null','null'", " as a1,'null','null'", " as a1,'null'",
                                        " as a1"};
    // The first condition opens the where clause.
    const QString where = QStringLiteral(" where") + path.mid(QStringLiteral(" and").size());
    return QStringLiteral("select distinct a.") + f + constants + QStringLiteral(",a.") + f
           + QLatin1String(nulls[k - 1]) + QStringLiteral(" from N_A a") + where + QStringLiteral(" and a.") + f
           + QStringLiteral(" is not null") + QStringLiteral(" order by ") + f;
}

#include "edit/RecordRules.h"

namespace RecordRules {

namespace {

const QDate kSerialBase(1899, 12, 30);

} // namespace

QString startingValue(const QString &newType, const QString &fieldType, const QString &stored)
{
    if (stored.isEmpty() || newType == QLatin1String("3"))
        return QString();
    if (newType == QLatin1String("2")) {
        const QString type = fieldType.toUpper();
        if (type == QLatin1String("S") || type == QLatin1String("I")) {
            bool ok = false;
            const qlonglong n = stored.trimmed().toLongLong(&ok);
            // Only a whole number counts on: "A-12" gives nothing, "0099" 100.
            if (!ok)
                return QString();
            return QString::number(n + 1);
        }
    }
    return stored;
}

QString daySerial(const QDate &date)
{
    return date.isValid() ? QString::number(kSerialBase.daysTo(date)) : QString();
}

QDate dateFromSerial(const QString &text)
{
    bool ok = false;
    const double serial = text.trimmed().toDouble(&ok);
    if (!ok || text.trimmed().isEmpty())
        return QDate();
    return kSerialBase.addDays(static_cast<qint64>(serial));
}

QString composeReference(const QString &as07, const QString &ai01, bool hasAc03, const QString &ac03Code,
                         bool hasAc02, const QString &ac02Code, const QString &ai02)
{
    QString ref;
    if (!as07.isEmpty())
        ref += as07 + QLatin1Char('-');
    ref += QStringLiteral("WS·") + ai01 + QLatin1Char('-');
    if (hasAc03)
        ref += ac03Code + QLatin1Char('-');
    if (hasAc02)
        ref += ac02Code + QLatin1Char('-');
    if (!ai02.isEmpty())
        ref += ai02.rightJustified(4, QLatin1Char('0'));
    return ref;
}

} // namespace RecordRules

#include "app/Conversions.h"

#include "app/MessageBoxes.h"

#include <QDir>
#include <QLocale>
#include <QRegularExpression>

#include <cmath>

namespace {

// A part of an eight-character date that is not a number counts as 0.
int partOrZero(const QString &part)
{
    bool ok = false;
    const int v = part.toInt(&ok);
    return ok ? v : 0;
}

// The program's date format is yyyy-MM-dd; like the framework's own date
// reader it also takes single-digit months and days and surrounding blanks.
QDate parseProcessDate(const QString &text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{4})-(\\d{1,2})-(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return QDate();
    return QDate(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
}

const QDate &dayZero()
{
    static const QDate zero(1899, 12, 30);
    return zero;
}

// General format with at most 15 significant digits, written out in full.
QString formatGeneral(double v)
{
    if (v == 0.0 || !std::isfinite(v))
        return QStringLiteral("0");
    const int magnitude = int(std::floor(std::log10(std::fabs(v))));
    const int decimals = qMax(0, 14 - magnitude);
    QString s = QLocale::c().toString(v, 'f', decimals);
    s.remove(QLatin1Char(',')); // no group separators
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

} // namespace

QString GetTempDir()
{
    QString dir = QDir::tempPath();
    if (!dir.endsWith(QLatin1Char('/')))
        dir += QLatin1Char('/');
    return dir;
}

QDate ParseDateText(const QString &text)
{
    if (text.size() == 8) {
        // Eight characters in the program's own format ("2024-2-3") are a
        // valid date as typed, not a broken yyyymmdd.
        const QDate typed = parseProcessDate(text);
        if (typed.isValid())
            return typed;
        const int year = partOrZero(text.mid(0, 4));
        const int month = partOrZero(text.mid(4, 2));
        const int day = partOrZero(text.mid(6, 2));
        const QDate d = year >= 1 ? QDate(year, month, day) : QDate();
        if (!d.isValid())
            throw ConvertError(QStringLiteral("“%1”不是有效的日期").arg(text));
        return d;
    }
    const QDate d = parseProcessDate(text);
    if (!d.isValid())
        throw SilentAbort();
    return d;
}

double DateToDayNumber(const QDateTime &dateTime)
{
    const double days = double(dayZero().daysTo(dateTime.date()));
    const double fraction = dateTime.time().isValid() ? dateTime.time().msecsSinceStartOfDay() / 86400000.0 : 0.0;
    // Before day zero the time of day still counts away from zero.
    return days < 0 ? days - fraction : days + fraction;
}

QString DateToSqlNumber(const QString &edition, const QDateTime &dateTime)
{
    // An empty date must not turn into day zero silently.
    if (!dateTime.date().isValid())
        throw ConvertError(QStringLiteral("无效的日期"));
    double v = DateToDayNumber(dateTime);
    if (edition == QLatin1String("1"))
        v -= 2;
    return formatGeneral(v);
}

QString DateToSqlNumber(const QString &edition, const QDate &date)
{
    return DateToSqlNumber(edition, QDateTime(date, QTime(0, 0)));
}

QString IfThenStr(bool flag, const QString &whenTrue, const QString &whenFalse)
{
    return flag ? whenTrue : whenFalse;
}

QString RemoveCR(const QString &text)
{
    QString s = text;
    s.remove(QLatin1Char('\r'));
    return s;
}

QString QuoteSql(const QString &text)
{
    QString s = text;
    s.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + s + QLatin1Char('\'');
}

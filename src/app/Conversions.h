#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>

// Small text and date conversions shared by every window.

// The system temporary folder with a trailing "/".
QString GetTempDir();

// A date typed or imported as text. Exactly eight digits are read as
// yyyymmdd; an impossible date throws ConvertError. Any other text is read in
// the program's date format (yyyy-MM-dd, single-digit month and day allowed);
// when that fails the caller is unwound by SilentAbort.
QDate ParseDateText(const QString &text);

// A date as the decimal day number written into SQL: days since 1899-12-30
// (a fraction for the time of day), two fewer in the network edition "1".
// Up to 15 significant digits, '.' as decimal separator, never an exponent.
QString DateToSqlNumber(const QString &edition, const QDate &date);
QString DateToSqlNumber(const QString &edition, const QDateTime &dateTime);
// The day number itself (edition "0" counting).
double DateToDayNumber(const QDateTime &dateTime);

QString IfThenStr(bool flag, const QString &whenTrue, const QString &whenFalse);

// The text without carriage returns; line feeds stay.
QString RemoveCR(const QString &text);

// A SQL string literal: the text between single quotes with inner quotes
// doubled, so typed text can never end the literal early.
QString QuoteSql(const QString &text);

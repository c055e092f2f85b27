#pragma once

#include <QDate>
#include <QString>

// The value rules of the record windows, apart from any window.
namespace RecordRules {

// The starting value of a new record's field from this user's stored value
// (S_NEWVALUE.SNEWVALUE) and the field's S_FIELD.INEWTYPE and type letter:
// "1" repeats it, "2" adds one to a text or integer field, "3" gives none.
// A null string means no value.
QString startingValue(const QString &newType, const QString &fieldType, const QString &stored);

// A date as the whole-day serial number stored as a default value (days since
// 1899-12-30), and back; an empty or unreadable text is no date.
QString daySerial(const QDate &date);
QDate dateFromSerial(const QString &text);

// The volume reference composed when the volume number is left, e.g.
// "J001-WS·2023-Y-BGS-0007". A code part is used when its combo holds a code
// (hasAc03 / hasAc02), even when its short code came back empty.
QString composeReference(const QString &as07, const QString &ai01, bool hasAc03, const QString &ac03Code,
                         bool hasAc02, const QString &ac02Code, const QString &ai02);

} // namespace RecordRules

#pragma once

#include <QString>

// The keyed digit-string scrambling of settings kept in S_SET (the FTP
// password). It hides the value from a casual look at the table only.
//
// Bytes are those of the text's UTF-8 form. Only the first 85 bytes survive
// (255 digits); longer values cannot be restored.
QString EncodeSetting(const QString &plain);
// Throws ConvertError when a three-digit group is not a number.
QString DecodeSetting(const QString &digits);

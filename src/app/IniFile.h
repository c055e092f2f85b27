#pragma once

#include <QString>
#include <QStringList>

// A Windows-style INI file read and written as plain "key=value" lines:
// sections and keys without regard to case, values as they stand (a comma is
// part of the value, no quoting), other lines kept when a value is written.
class IniFile {
public:
    explicit IniFile(const QString &path);

    QString readString(const QString &section, const QString &key, const QString &defaultValue) const;
    // Writes the file at once; false when it cannot be written.
    bool writeString(const QString &section, const QString &key, const QString &value);

private:
    QStringList load() const;

    QString m_path;
};

#include "app/IniFile.h"

#include <QFile>
#include <QSaveFile>

namespace {

bool isSection(const QString &line, QString *name = nullptr)
{
    const QString t = line.trimmed();
    if (!t.startsWith(QLatin1Char('[')) || !t.endsWith(QLatin1Char(']')))
        return false;
    if (name)
        *name = t.mid(1, t.size() - 2).trimmed();
    return true;
}

// The key of a "key=value" line, empty for other lines.
QString keyOf(const QString &line)
{
    const int eq = line.indexOf(QLatin1Char('='));
    if (eq <= 0 || line.trimmed().startsWith(QLatin1Char(';')))
        return {};
    return line.left(eq).trimmed();
}

} // namespace

IniFile::IniFile(const QString &path) : m_path(path) {}

QStringList IniFile::load() const
{
    QFile f(m_path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(f.readAll());
    text.remove(QLatin1Char('\r'));
    return text.split(QLatin1Char('\n'));
}

QString IniFile::readString(const QString &section, const QString &key, const QString &defaultValue) const
{
    QString current;
    for (const QString &line : load()) {
        if (isSection(line, &current))
            continue;
        if (current.compare(section, Qt::CaseInsensitive) == 0 && keyOf(line).compare(key, Qt::CaseInsensitive) == 0
            && !keyOf(line).isEmpty())
            return line.mid(line.indexOf(QLatin1Char('=')) + 1).trimmed();
    }
    return defaultValue;
}

bool IniFile::writeString(const QString &section, const QString &key, const QString &value)
{
    QStringList lines = load();
    while (!lines.isEmpty() && lines.last().trimmed().isEmpty())
        lines.removeLast();
    const QString entry = key + QLatin1Char('=') + value;
    QString current;
    int sectionEnd = -1; // index after the last line of the section
    bool done = false;
    for (int i = 0; i < lines.size() && !done; ++i) {
        if (isSection(lines.at(i), &current)) {
            if (sectionEnd >= 0)
                break;
            if (current.compare(section, Qt::CaseInsensitive) == 0)
                sectionEnd = i + 1;
            continue;
        }
        if (sectionEnd < 0)
            continue;
        if (keyOf(lines.at(i)).compare(key, Qt::CaseInsensitive) == 0 && !keyOf(lines.at(i)).isEmpty()) {
            lines[i] = entry;
            done = true;
        } else if (!lines.at(i).trimmed().isEmpty()) {
            sectionEnd = i + 1;
        }
    }
    if (!done) {
        if (sectionEnd >= 0) {
            lines.insert(sectionEnd, entry);
        } else {
            if (!lines.isEmpty())
                lines.append(QString());
            lines.append(QLatin1Char('[') + section + QLatin1Char(']'));
            lines.append(entry);
        }
    }
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    f.write((lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toUtf8());
    return f.commit();
}

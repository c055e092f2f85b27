#include "app/SettingsCipher.h"

#include "app/MessageBoxes.h"

#include <QByteArray>

#include <algorithm>

namespace {

// The backslashes are ordinary characters of the key.
constexpr char kKey[] = R"(pw7nq3zx\r5ub9e@kvhm64tc1yjs0+ogf;2ldir\xw8aq-cnz5^bte7kfmu3g9ysp6hv@jlo4rdx1qnw+zk2eac)";
static_assert(sizeof(kKey) - 1 == 87, "the settings key has 87 characters");

constexpr int kMaxDigits = 255;

bool isTrimmed(unsigned char c)
{
    return c <= ' ';
}

} // namespace

QString EncodeSetting(const QString &plain)
{
    const QByteArray bytes = plain.toUtf8();
    // Only 255 digits are kept, so bytes after the 85th cannot matter.
    const int n = std::min<int>(bytes.size(), kMaxDigits / 3);
    QString digits;
    digits.reserve(n * 3);
    for (int i = 0; i < n; ++i) {
        const int x = (static_cast<unsigned char>(bytes.at(i)) ^ static_cast<unsigned char>(kKey[i])) & 0xFF;
        digits += QStringLiteral("%1").arg(x, 3, 10, QLatin1Char('0'));
    }
    std::reverse(digits.begin(), digits.end());
    return digits;
}

QString DecodeSetting(const QString &digits)
{
    QString text = digits.left(kMaxDigits);
    std::reverse(text.begin(), text.end());
    const int n = int(text.size()) / 3;
    QByteArray bytes;
    bytes.reserve(n);
    for (int i = 0; i < n; ++i) {
        const QString group = text.mid(i * 3, 3);
        bool ok = !group.isEmpty();
        for (const QChar c : group)
            ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!ok)
            throw ConvertError(QStringLiteral("“%1”不是有效的整数").arg(group));
        const int b = group.toInt();
        bytes.append(char((b ^ static_cast<unsigned char>(kKey[i])) & 0xFF));
    }
    int begin = 0;
    int end = bytes.size();
    while (begin < end && isTrimmed(static_cast<unsigned char>(bytes.at(begin))))
        ++begin;
    while (end > begin && isTrimmed(static_cast<unsigned char>(bytes.at(end - 1))))
        --end;
    return QString::fromUtf8(bytes.mid(begin, end - begin));
}

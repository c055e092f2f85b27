#include "app/AppIcons.h"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <QPixmap>

namespace {

const char *const kThemeRoot = "/usr/share/icons/Adwaita";
const int kSizes[] = {16, 22, 24, 32, 48};
// The folders of the theme that hold full-colour pictures.
const char *const kContexts[] = {"legacy", "mimetypes", "places", "devices", "status"};

// A rounded tile with the first letter of the name, coloured by the name so
// that different commands do not look alike.
QIcon drawnIcon(const QString &name)
{
    QIcon icon;
    const QColor colour = QColor::fromHsv(int(qHash(name) % 360), 140, 190);
    for (int size : kSizes) {
        QPixmap pm(size, size);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(colour.darker(140));
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(0.5, 0.5, size - 1, size - 1), size / 5.0, size / 5.0);
        QFont f;
        f.setPixelSize(size * 2 / 3);
        f.setBold(true);
        p.setFont(f);
        p.setPen(Qt::white);
        p.drawText(pm.rect(), Qt::AlignCenter, name.left(1).toUpper());
        icon.addPixmap(pm);
    }
    return icon;
}

} // namespace

QIcon AppIcon(const QString &name)
{
    static QHash<QString, QIcon> cache;
    auto it = cache.constFind(name);
    if (it != cache.constEnd())
        return *it;

    QIcon icon;
    for (const char *context : kContexts) {
        for (int size : kSizes) {
            const QString path = QStringLiteral("%1/%2x%2/%3/%4.png")
                                     .arg(QLatin1String(kThemeRoot)).arg(size).arg(QLatin1String(context), name);
            if (QFile::exists(path))
                icon.addFile(path, QSize(size, size));
        }
        if (!icon.isNull())
            break;
    }
    if (icon.isNull())
        icon = drawnIcon(name);
    cache.insert(name, icon);
    return icon;
}

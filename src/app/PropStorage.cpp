#include "app/PropStorage.h"

#include "app/ColourHolder.h"
#include "data/SharedState.h"

#include <QAction>
#include <QEvent>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QSplitter>
#include <QWidget>

#include <optional>
#include <utility>

namespace {

// Extents beyond this are not a screen's; a value like that is damage.
constexpr int maxExtent = 100000;

std::optional<bool> readBool(const QVariant &value)
{
    const QString text = value.toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        return true;
    if (text == QLatin1String("false") || text == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<int> readInt(const QVariant &value, int min, int max)
{
    bool ok = false;
    const int n = value.toString().trimmed().toInt(&ok);
    if (!ok || n < min || n > max)
        return std::nullopt;
    return n;
}

} // namespace

PropStorage::PropStorage(const QString &section, QObject *parent)
    : QObject(parent)
    , m_section(section)
{
}

QString PropStorage::iniPath() const
{
    return m_iniPath.isEmpty() ? shared().uiIniPath : m_iniPath;
}

bool PropStorage::addObject(Kind kind, QObject *object, const QString &suffix, DbGrid::StoredProperties props)
{
    Q_ASSERT(object && !object->objectName().isEmpty());
    if (!object || object->objectName().isEmpty())
        return false;
    Entry entry;
    entry.kind = kind;
    entry.object = object;
    entry.key = object->objectName() + suffix;
    entry.gridProps = props;
    m_entries.append(entry);
    return true;
}

void PropStorage::addAction(QAction *action)
{
    addObject(Kind::Action, action, QString());
}

void PropStorage::addGrid(DbGrid *grid, DbGrid::StoredProperties what)
{
    addObject(Kind::Grid, grid, QString(), what);
}

void PropStorage::addColour(QWidget *widget)
{
    addObject(Kind::Colour, widget, QStringLiteral(".Color"));
}

void PropStorage::addWidth(QWidget *widget)
{
    addObject(Kind::Width, widget, QStringLiteral(".Width"));
}

void PropStorage::addHeight(QWidget *widget)
{
    addObject(Kind::Height, widget, QStringLiteral(".Height"));
}

void PropStorage::addInt(const QString &key, std::function<int()> get, std::function<void(int)> set, int min,
                         int max)
{
    Q_ASSERT(!key.isEmpty() && get && set);
    if (key.isEmpty() || !get || !set)
        return;
    Entry entry;
    entry.kind = Kind::Int;
    entry.key = key;
    entry.get = std::move(get);
    entry.set = std::move(set);
    entry.min = min;
    entry.max = max;
    m_entries.append(entry);
}

bool PropStorage::restore()
{
    const QString path = iniPath();
    if (path.isEmpty() || !QFileInfo::exists(path))
        return true; // nothing stored yet: the designed look
    QSettings settings(path, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError)
        return false;
    settings.beginGroup(m_section);
    for (const Entry &entry : std::as_const(m_entries))
        restoreEntry(settings, entry);
    settings.endGroup();
    return true;
}

bool PropStorage::save()
{
    const QString path = iniPath();
    if (path.isEmpty())
        return false;
    {
        QSettings probe(path, QSettings::IniFormat);
        // A file that cannot be parsed would never be read again; start a
        // new one rather than keep appending to it.
        if (probe.status() == QSettings::FormatError)
            QFile::remove(path);
    }
    QSettings settings(path, QSettings::IniFormat);
    settings.beginGroup(m_section);
    for (const Entry &entry : std::as_const(m_entries))
        saveEntry(settings, entry);
    settings.endGroup();
    settings.sync();
    if (settings.status() == QSettings::AccessError)
        return false;
    // The status may still tell of the content read before writing; what
    // counts is whether the file now reads back.
    QSettings check(path, QSettings::IniFormat);
    return check.status() == QSettings::NoError;
}

void PropStorage::restoreEntry(QSettings &settings, const Entry &entry)
{
    if (entry.kind == Kind::Int) {
        if (const auto n = readInt(settings.value(entry.key), entry.min, entry.max))
            entry.set(*n);
        return;
    }
    QObject *object = entry.object.data();
    if (!object)
        return;
    switch (entry.kind) {
    case Kind::Action: {
        auto *action = qobject_cast<QAction *>(object);
        if (!action || !action->isCheckable())
            return;
        if (const auto checked = readBool(settings.value(entry.key)))
            action->setChecked(*checked);
        return;
    }
    case Kind::Grid: {
        auto *grid = qobject_cast<DbGrid *>(object);
        if (!grid || !settings.childGroups().contains(entry.key))
            return;
        settings.beginGroup(entry.key);
        grid->restoreState(settings, entry.gridProps);
        settings.endGroup();
        return;
    }
    case Kind::Colour: {
        const QColor colour(settings.value(entry.key).toString().trimmed());
        if (!colour.isValid())
            return;
        if (auto *holder = qobject_cast<ColourHolder *>(object)) {
            holder->setColour(colour);
        } else if (auto *widget = qobject_cast<QWidget *>(object)) {
            QPalette pal = widget->palette();
            pal.setColor(QPalette::Window, colour);
            widget->setPalette(pal);
            widget->setAutoFillBackground(true);
        }
        return;
    }
    case Kind::Width:
    case Kind::Height: {
        auto *widget = qobject_cast<QWidget *>(object);
        const auto extent = readInt(settings.value(entry.key), 0, maxExtent);
        if (widget && extent)
            applyExtent(widget, entry.kind == Kind::Width ? Qt::Horizontal : Qt::Vertical, *extent);
        return;
    }
    case Kind::Int:
        return;
    }
}

void PropStorage::saveEntry(QSettings &settings, const Entry &entry) const
{
    if (entry.kind == Kind::Int) {
        settings.setValue(entry.key, entry.get());
        return;
    }
    QObject *object = entry.object.data();
    if (!object)
        return;
    switch (entry.kind) {
    case Kind::Action:
        if (auto *action = qobject_cast<QAction *>(object))
            settings.setValue(entry.key, action->isChecked());
        return;
    case Kind::Grid:
        if (auto *grid = qobject_cast<DbGrid *>(object)) {
            settings.beginGroup(entry.key);
            grid->saveState(settings, entry.gridProps);
            settings.endGroup();
        }
        return;
    case Kind::Colour:
        if (auto *holder = qobject_cast<ColourHolder *>(object))
            settings.setValue(entry.key, holder->colour().name());
        else if (auto *widget = qobject_cast<QWidget *>(object))
            settings.setValue(entry.key, widget->palette().color(QPalette::Window).name());
        return;
    case Kind::Width:
    case Kind::Height:
        if (auto *widget = qobject_cast<QWidget *>(object); widget && widget->isVisible())
            settings.setValue(entry.key, entry.kind == Kind::Width ? widget->width() : widget->height());
        return;
    case Kind::Int:
        return;
    }
}

void PropStorage::applyExtent(QWidget *widget, Qt::Orientation orientation, int extent)
{
    const bool horizontal = orientation == Qt::Horizontal;
    auto *splitter = qobject_cast<QSplitter *>(widget->parentWidget());
    if (splitter && splitter->orientation() == orientation) {
        if (!splitter->isVisible()) {
            // Before the first show the splitter's sizes are not real yet.
            m_pending.append({widget, orientation, extent});
            splitter->installEventFilter(this);
            return;
        }
        const int index = splitter->indexOf(widget);
        QList<int> sizes = splitter->sizes();
        if (index < 0 || sizes.size() < 2)
            return;
        // The neighbour gives or takes the difference, so the rest keep theirs.
        const int neighbour = index + 1 < sizes.size() ? index + 1 : index - 1;
        const int available = sizes[index] + sizes[neighbour];
        const int share = qBound(0, extent, available);
        sizes[neighbour] = available - share;
        sizes[index] = share;
        splitter->setSizes(sizes);
        return;
    }
    if (widget->isWindow()) {
        if (horizontal)
            widget->resize(extent, widget->height());
        else
            widget->resize(widget->width(), extent);
        return;
    }
    if (horizontal) {
        if (widget->minimumWidth() == widget->maximumWidth())
            widget->setFixedWidth(extent);
        else
            widget->resize(extent, widget->height());
    } else {
        if (widget->minimumHeight() == widget->maximumHeight())
            widget->setFixedHeight(extent);
        else
            widget->resize(widget->width(), extent);
    }
}

bool PropStorage::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Show) {
        auto *splitter = qobject_cast<QSplitter *>(watched);
        if (splitter) {
            splitter->removeEventFilter(this);
            const QList<PendingExtent> pending = m_pending;
            m_pending.clear();
            for (const PendingExtent &p : pending) {
                if (!p.widget)
                    continue;
                if (p.widget->parentWidget() == splitter)
                    applyExtent(p.widget, p.orientation, p.extent);
                else
                    m_pending.append(p); // another splitter's
            }
        }
    }
    return QObject::eventFilter(watched, event);
}

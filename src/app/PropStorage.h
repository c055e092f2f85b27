#pragma once

#include "app/DbGrid.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

#include <climits>
#include <functional>

class QAction;
class QSettings;
class QWidget;

// A window's share of the appearance file (shared().uiIniPath): the look the
// user left it in, kept between runs under one group per window. What cannot
// be read (no file, a broken file, a value that makes no sense) is skipped,
// so the window keeps its designed look. Every object must have an object
// name; it is the key.
class PropStorage : public QObject {
    Q_OBJECT
public:
    explicit PropStorage(const QString &section, QObject *parent = nullptr);

    QString section() const { return m_section; }
    // The file used instead of the shared appearance file (tests).
    void setIniPath(const QString &path) { m_iniPath = path; }
    QString iniPath() const;

    // The action's check mark.
    void addAction(QAction *action);
    // The grid's properties, in a group named after the grid.
    void addGrid(DbGrid *grid, DbGrid::StoredProperties what);
    // A ColourHolder's colour, or the background (window role) of any other
    // widget.
    void addColour(QWidget *widget);
    // Width or height. A widget inside a splitter gets its share of the
    // splitter (once the splitter is shown); a window is resized; a widget of
    // fixed width keeps a fixed width. A hidden widget's extent is not saved
    // (its geometry is not current), so the stored one stays.
    void addWidth(QWidget *widget);
    void addHeight(QWidget *widget);
    // Any whole number (a combo's item index, a dialog's filter index); a
    // stored value outside min..max is skipped.
    void addInt(const QString &key, std::function<int()> get, std::function<void(int)> set, int min = INT_MIN,
                int max = INT_MAX);

    // False when the file could not be read; nothing was changed then.
    bool restore();
    // False when the file could not be written.
    bool save();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Kind { Action, Grid, Colour, Width, Height, Int };
    struct Entry {
        Kind kind;
        QPointer<QObject> object;
        QString key;
        DbGrid::StoredProperties gridProps;
        std::function<int()> get;
        std::function<void(int)> set;
        int min = INT_MIN;
        int max = INT_MAX;
    };

    bool addObject(Kind kind, QObject *object, const QString &suffix, DbGrid::StoredProperties props = {});
    void restoreEntry(QSettings &settings, const Entry &entry);
    void saveEntry(QSettings &settings, const Entry &entry) const;
    void applyExtent(QWidget *widget, Qt::Orientation orientation, int extent);

    struct PendingExtent {
        QPointer<QWidget> widget;
        Qt::Orientation orientation;
        int extent;
    };

    QString m_section;
    QString m_iniPath;
    QList<Entry> m_entries;
    QList<PendingExtent> m_pending; // splitter shares waiting for the splitter's first show
};

#pragma once

#include <QComboBox>
#include <QStringList>

// A combo box whose items are "name\tcode" texts. With map-list mode on it
// shows the name and reads and writes the code; with it off an item is shown
// and read as its whole text. An item without a TAB has its whole text as
// both name and code.
class MapListCombo : public QComboBox {
    Q_OBJECT
public:
    explicit MapListCombo(QWidget *parent = nullptr);

    bool mapList() const { return m_mapList; }
    // Switching the mode shows the existing items the new way.
    void setMapList(bool on);

    // Adds one item text as described above.
    void addListItem(const QString &item);
    void addListItems(const QStringList &items);
    // The item texts as added.
    QStringList listItems() const;
    QString listItem(int index) const;

    // The code of an item (map-list mode), or its whole text.
    QString codeAt(int index) const;
    // The stored value: the current item's code; an editable combo without a
    // matching item gives its edit text. Empty when nothing is selected.
    QString currentCode() const;
    // Selects the item whose code is code; no item matches: no selected item
    // (an editable combo shows the text).
    void setCurrentCode(const QString &code);
    // No selected item.
    void clearSelection();

    static QString nameOf(const QString &item);
    static QString codeOf(const QString &item);

private:
    void showItem(int index);

    bool m_mapList = false;
};

#include "app/MapListCombo.h"

namespace {
// The item text as added; the display role holds what the user sees.
constexpr int kItemRole = Qt::UserRole + 1;
}

MapListCombo::MapListCombo(QWidget *parent)
    : QComboBox(parent)
{
}

QString MapListCombo::nameOf(const QString &item)
{
    const int tab = item.indexOf(QLatin1Char('\t'));
    return tab < 0 ? item : item.left(tab);
}

QString MapListCombo::codeOf(const QString &item)
{
    const int tab = item.indexOf(QLatin1Char('\t'));
    return tab < 0 ? item : item.mid(tab + 1);
}

void MapListCombo::setMapList(bool on)
{
    if (m_mapList == on)
        return;
    m_mapList = on;
    for (int i = 0; i < count(); ++i)
        showItem(i);
}

void MapListCombo::showItem(int index)
{
    const QString item = listItem(index);
    setItemText(index, m_mapList ? nameOf(item) : item);
    setItemData(index, m_mapList ? codeOf(item) : item, Qt::UserRole);
}

void MapListCombo::addListItem(const QString &item)
{
    // Adding to an empty combo must not select the item: a filled combo starts
    // without a selection until the user or the program picks one.
    const int before = currentIndex();
    const QString typed = isEditable() ? currentText() : QString();
    addItem(QString());
    const int index = count() - 1;
    setItemData(index, item, kItemRole);
    showItem(index);
    if (before < 0 && currentIndex() >= 0) {
        setCurrentIndex(-1);
        if (isEditable())
            setEditText(typed);
    }
}

void MapListCombo::addListItems(const QStringList &items)
{
    for (const QString &item : items)
        addListItem(item);
}

QStringList MapListCombo::listItems() const
{
    QStringList items;
    items.reserve(count());
    for (int i = 0; i < count(); ++i)
        items << listItem(i);
    return items;
}

QString MapListCombo::listItem(int index) const
{
    return itemData(index, kItemRole).toString();
}

QString MapListCombo::codeAt(int index) const
{
    if (index < 0 || index >= count())
        return QString();
    const QString item = listItem(index);
    return m_mapList ? codeOf(item) : item;
}

QString MapListCombo::currentCode() const
{
    const int index = currentIndex();
    if (isEditable() && (index < 0 || itemText(index) != currentText()))
        return currentText();
    return codeAt(index);
}

void MapListCombo::setCurrentCode(const QString &code)
{
    for (int i = 0; i < count(); ++i) {
        if (codeAt(i) == code) {
            setCurrentIndex(i);
            return;
        }
    }
    setCurrentIndex(-1);
    if (isEditable())
        setEditText(code);
}

void MapListCombo::clearSelection()
{
    setCurrentIndex(-1);
    if (isEditable())
        setEditText(QString());
}

#include "app/WidgetHelpers.h"

#include "app/MapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "data/Dataset.h"

#include <QAbstractButton>
#include <QAction>
#include <QPalette>
#include <QTreeWidget>

namespace {

constexpr int kRecRole = Qt::UserRole;
constexpr int kImageRole = Qt::UserRole + 1;
constexpr int kSelectedImageRole = Qt::UserRole + 2;
constexpr char kImagesProperty[] = "peluTreeImages";

QString columnText(const Dataset &query, int pos, int col)
{
    return col < query.fieldCount() ? query.textAt(pos, col) : QString();
}

QIcon nodeIcon(const QList<QIcon> &images, int imageIndex, int selectedIndex)
{
    QIcon icon;
    const auto addMode = [&](int index, QIcon::Mode mode) {
        if (index < 0 || index >= images.size())
            return;
        const QIcon &image = images.at(index);
        QList<QSize> sizes = image.availableSizes();
        if (sizes.isEmpty())
            sizes << QSize(16, 16);
        for (const QSize &size : sizes)
            icon.addPixmap(image.pixmap(size), mode);
    };
    addMode(imageIndex, QIcon::Normal);
    addMode(selectedIndex, QIcon::Selected);
    return icon;
}

void addPlaceholder(QTreeWidgetItem *node)
{
    node->addChild(new QTreeWidgetItem(QStringList(QString())));
}

} // namespace

void SetSaveUndoButtons(Dataset &dataset, QAbstractButton *save, QAbstractButton *undo)
{
    const bool editing = dataset.isEditing();
    if (save)
        save->setEnabled(editing);
    if (undo)
        undo->setEnabled(editing);
}

void SetSaveUndoButtons(Dataset &dataset, QAction *save, QAction *undo)
{
    const bool editing = dataset.isEditing();
    if (save)
        save->setEnabled(editing);
    if (undo)
        undo->setEnabled(editing);
}

void ColourControl(QWidget *control, const QColor &colour)
{
    if (!colour.isValid())
        return;
    QPalette p = control->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Button, colour);
    control->setPalette(p);
}

void ColourPanel(QWidget *panel, const QColor &colour)
{
    if (!panel || !colour.isValid())
        return;
    panel->setAutoFillBackground(true);
    QPalette p = panel->palette();
    p.setColor(QPalette::Window, colour);
    p.setColor(QPalette::Button, colour);
    panel->setPalette(p);
}

bool FillComboFromSql(Dataset &query, const QString &sql, bool mapped, MapListCombo *combo)
{
    try {
        combo->clear();
        combo->setMapList(mapped);
        // OpenSql has already shown the failure with its statement.
        if (!OpenSql(query, sql))
            return false;
        const int needed = mapped ? 2 : 1;
        if (query.fieldCount() < needed)
            throw AppError(QStringLiteral("查询结果的列数不足%1列").arg(needed));
        QStringList items;
        items.reserve(query.recordCount());
        for (int pos = 0; pos < query.recordCount(); ++pos) {
            if (mapped) {
                items << query.textAt(pos, 1) + QLatin1Char('\t') + query.textAt(pos, 0);
            } else {
                const QString text = query.textAt(pos, 0);
                items << (text.isEmpty() ? QStringLiteral("(空白)") : text);
            }
        }
        combo->addListItems(items);
        return true;
    } catch (const AppError &e) {
        ShowError(e.message());
        return false;
    }
}

QString TGRec::value(int level) const
{
    switch (level) {
    case 1: return s1;
    case 2: return s2;
    case 3: return s3;
    case 4: return s4;
    case 5: return s5;
    default: return QString();
    }
}

void SetTreeImages(QTreeWidget *tree, const QList<QIcon> &images)
{
    tree->setProperty(kImagesProperty, QVariant::fromValue(images));
}

QList<QIcon> TreeImages(const QTreeWidget *tree)
{
    return tree->property(kImagesProperty).value<QList<QIcon>>();
}

TGRec TreeNodeRec(const QTreeWidgetItem *node)
{
    return node ? node->data(0, kRecRole).value<TGRec>() : TGRec();
}

int TreeNodeImageIndex(const QTreeWidgetItem *node)
{
    const QVariant v = node ? node->data(0, kImageRole) : QVariant();
    return v.isValid() ? v.toInt() : -1;
}

int TreeNodeSelectedImageIndex(const QTreeWidgetItem *node)
{
    const QVariant v = node ? node->data(0, kSelectedImageRole) : QVariant();
    return v.isValid() ? v.toInt() : -1;
}

QTreeWidgetItem *AddTreeNode(QTreeWidget *tree, QTreeWidgetItem *parent, bool useImages, int imageIndex,
                             int selectedIndex, const QString &caption, const TGRec &rec)
{
    auto *item = new QTreeWidgetItem(QStringList(caption));
    item->setData(0, kRecRole, QVariant::fromValue(rec));
    if (useImages) {
        item->setData(0, kImageRole, imageIndex);
        item->setData(0, kSelectedImageRole, selectedIndex);
        const QIcon icon = nodeIcon(TreeImages(tree), imageIndex, selectedIndex);
        if (!icon.isNull())
            item->setIcon(0, icon);
    }
    if (parent)
        parent->addChild(item);
    else
        tree->addTopLevelItem(item);
    return item;
}

bool LoadTreeNodes(QTreeWidget *tree, QTreeWidgetItem *node, bool leafLevel, int selectedIndex, int imageIndex,
                   bool useImages, const QString &sql, Dataset &query)
{
    if (node) {
        // Only a node never expanded still has just its placeholder.
        if (node->childCount() != 1 || !node->child(0)->text(0).isEmpty())
            return true;
        delete node->takeChild(0);
    }
    if (!OpenSql(query, sql))
        return false;
    for (int pos = 0; pos < query.recordCount(); ++pos) {
        const TGRec rec{columnText(query, pos, 1), columnText(query, pos, 2), columnText(query, pos, 3),
                        columnText(query, pos, 4), columnText(query, pos, 5)};
        QTreeWidgetItem *child =
            AddTreeNode(tree, node, useImages, imageIndex, selectedIndex, columnText(query, pos, 0), rec);
        if (!node || !leafLevel)
            addPlaceholder(child);
    }
    return true;
}

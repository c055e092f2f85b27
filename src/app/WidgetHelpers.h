#pragma once

#include <QIcon>
#include <QList>
#include <QMetaType>
#include <QString>

class Dataset;
class MapListCombo;
class QAbstractButton;
class QAction;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;
class QColor;

// Helpers that put query results and dataset states into widgets.

// The background of a control (and of its buttons) in a theme colour; an
// invalid colour leaves it alone.
void ColourControl(QWidget *control, const QColor &colour);

// A panel or toolbar filled with a theme colour (its buttons too); an
// invalid colour leaves it alone.
void ColourPanel(QWidget *panel, const QColor &colour);

// Save and undo enabled exactly while the dataset is editing or inserting.
void SetSaveUndoButtons(Dataset &dataset, QAbstractButton *save, QAbstractButton *undo);
void SetSaveUndoButtons(Dataset &dataset, QAction *save, QAction *undo);

// Clears the combo, sets its map-list mode to mapped and adds one item per
// row: "column 1\tcolumn 0" when mapped, otherwise column 0 ("(空白)" when
// empty). A failure is shown and gives false.
bool FillComboFromSql(Dataset &query, const QString &sql, bool mapped, MapListCombo *combo);

// The five path values of a navigation-tree node, level 1 to 5.
struct TGRec {
    QString s1, s2, s3, s4, s5;
    QString value(int level) const; // level 1..5; empty otherwise
    bool operator==(const TGRec &o) const
    {
        return s1 == o.s1 && s2 == o.s2 && s3 == o.s3 && s4 == o.s4 && s5 == o.s5;
    }
};
Q_DECLARE_METATYPE(TGRec)

// The pictures a tree's nodes refer to by index (kept on the tree).
void SetTreeImages(QTreeWidget *tree, const QList<QIcon> &images);
QList<QIcon> TreeImages(const QTreeWidget *tree);

// The record a node carries, and its image indexes (-1 when it has none).
TGRec TreeNodeRec(const QTreeWidgetItem *node);
int TreeNodeImageIndex(const QTreeWidgetItem *node);
int TreeNodeSelectedImageIndex(const QTreeWidgetItem *node);

// A child of parent (a top-level node when parent is null) with the caption
// and the record; with useImages its image indexes are set and its icon shows
// the tree's image, the selected image while it is selected.
QTreeWidgetItem *AddTreeNode(QTreeWidget *tree, QTreeWidgetItem *parent, bool useImages, int imageIndex,
                             int selectedIndex, const QString &caption, const TGRec &rec);

// Loads the rows of sql (caption, then the five record values) as nodes.
// Without a node: every row becomes a top-level node with a placeholder child
// (empty caption) so it shows an expand button. With a node: only while its
// single child is the placeholder, which is replaced by the rows, each with
// its own placeholder unless leafLevel. Gives false when the statement failed.
bool LoadTreeNodes(QTreeWidget *tree, QTreeWidgetItem *node, bool leafLevel, int selectedIndex, int imageIndex,
                   bool useImages, const QString &sql, Dataset &query);

#pragma once

#include <QObject>
#include <QString>

#include <functional>

class Dataset;
class QColor;
class QTreeWidget;
class QTreeWidgetItem;
class QWidget;

// The navigation tree of the archive browser: groups the volume records by
// the five tree levels of the shared state, loads a node's children at its
// first expansion and, on a mouse click, writes the node's path into the
// query panel's controls and runs the query.
class NavTree : public QObject {
    Q_OBJECT
public:
    // tv1: the tree to drive; queryPanel: the widget under which the panel's
    // controls (dbedAS01, dbcbAC03, ...) are found by name; scratch: the query
    // the statements run on; runQuery: the panel's query, called after a click.
    NavTree(QTreeWidget *tv1, QWidget *queryPanel, Dataset *scratch, std::function<void()> runQuery,
            QObject *parent = nullptr);

    QTreeWidget *tree() const { return m_tv1; }

    // The control background colour of the window.
    void setBackgroundColour(const QColor &colour);

    // Clears the tree and loads level 1. False when the statement failed
    // (reported, tree empty).
    bool BuildTreeRoot();
    // Loads the children of a node at its first expansion.
    void tv1Expanding(QTreeWidgetItem *node);
    // Writes the node's path into the panel and runs the query.
    void tv1Click(QTreeWidgetItem *node);
    // No node selected (the panel's clearing).
    void clearSelection();
    // After the tree settings: the levels again from S_TREE, then the tree.
    void reloadLevels();

    // 1 for a top-level node; 0 for none.
    static int nodeLevel(const QTreeWidgetItem *node);

private:
    QTreeWidget *m_tv1;
    QWidget *m_panel;
    Dataset *m_scratch;
    std::function<void()> m_runQuery;
};

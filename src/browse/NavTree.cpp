#include "browse/NavTree.h"

#include "app/AppIcons.h"
#include "app/MapListCombo.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "browse/TreeStatements.h"
#include "data/Dataset.h"
#include "data/SharedState.h"
#include "data/base_dm.h"

#include <QLineEdit>
#include <QPalette>
#include <QStyledItemDelegate>
#include <QTreeWidget>

namespace {

// Set on a node once its first expansion has run, so a node whose only real
// child has an empty caption is never taken for a placeholder again.
constexpr int kLoadedRole = Qt::UserRole + 16;

// The selected node's caption in the highlighted-text colour, whether the
// tree has the focus or not.
class SelectedCaptionDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->state & QStyle::State_Selected) {
            const QColor text = option->palette.color(QPalette::Active, QPalette::HighlightedText);
            const QColor back = option->palette.color(QPalette::Active, QPalette::Highlight);
            for (QPalette::ColorGroup g : {QPalette::Active, QPalette::Inactive}) {
                option->palette.setColor(g, QPalette::HighlightedText, text);
                option->palette.setColor(g, QPalette::Highlight, back);
            }
        }
    }
};

bool isPanelEditorField(const QString &f)
{
    if (f.size() != 4)
        return false;
    bool ok = false;
    const int n = f.mid(2).toInt(&ok);
    if (!ok)
        return false;
    if (f.startsWith(QLatin1String("AS")))
        return (n >= 1 && n <= 15) || n == 50;
    if (f.startsWith(QLatin1String("AI")) || f.startsWith(QLatin1String("AF")))
        return n >= 1 && n <= 4;
    return false;
}

bool isPanelComboField(const QString &f)
{
    if (f.size() != 4 || !f.startsWith(QLatin1String("AC")))
        return false;
    bool ok = false;
    const int n = f.mid(2).toInt(&ok);
    return ok && n >= 1 && n <= 10;
}

} // namespace

NavTree::NavTree(QTreeWidget *tv1, QWidget *queryPanel, Dataset *scratch, std::function<void()> runQuery,
                 QObject *parent)
    : QObject(parent), m_tv1(tv1), m_panel(queryPanel), m_scratch(scratch), m_runQuery(std::move(runQuery))
{
    m_tv1->setColumnCount(1);
    m_tv1->setHeaderHidden(true);
    m_tv1->setIndentation(19);
    m_tv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tv1->setSelectionMode(QAbstractItemView::SingleSelection);
    m_tv1->setToolTip(QStringLiteral("点击树型层次节点进行相应查询"));
    m_tv1->setItemDelegate(new SelectedCaptionDelegate(m_tv1));
    SetTreeImages(m_tv1, {AppIcon(QStringLiteral("folder")), AppIcon(QStringLiteral("folder-open")),
                          AppIcon(QStringLiteral("text-x-generic")), AppIcon(QStringLiteral("x-office-document"))});

    connect(m_tv1, &QTreeWidget::itemExpanded, this, &NavTree::tv1Expanding);
    // A mouse click queries; moving the selection with the keys does not.
    connect(m_tv1, &QTreeWidget::itemClicked, this, [this](QTreeWidgetItem *item) { tv1Click(item); });
}

void NavTree::setBackgroundColour(const QColor &colour)
{
    QPalette pal = m_tv1->palette();
    pal.setColor(QPalette::Base, colour);
    m_tv1->setPalette(pal);
}

int NavTree::nodeLevel(const QTreeWidgetItem *node)
{
    int level = 0;
    for (; node; node = node->parent())
        ++level;
    return level;
}

bool NavTree::BuildTreeRoot()
{
    m_tv1->clear();
    const TreeLevel(&levels)[5] = shared().treeLevels;
    m_scratch->setDateField(QStringLiteral("a1"), levels[0].type == QLatin1String("D"));
    return LoadTreeNodes(m_tv1, nullptr, false, 1, 0, true, TreeRootSql(levels), *m_scratch);
}

void NavTree::tv1Expanding(QTreeWidgetItem *node)
{
    const int k = nodeLevel(node);
    if (k < 1 || k > 4 || node->data(0, kLoadedRole).toBool())
        return;
    node->setData(0, kLoadedRole, true);
    const TreeLevel(&levels)[5] = shared().treeLevels;
    if (levels[k].field.isEmpty()) {
        qDeleteAll(node->takeChildren());
        return;
    }
    const TGRec rec = TreeNodeRec(node);
    const QStringList values{rec.s1, rec.s2, rec.s3, rec.s4, rec.s5};
    const QString sql = TreeChildSql(levels, k, values, shared().edition);
    // A date level's own value column holds the day number; read it as a date.
    m_scratch->setDateField(QStringLiteral("a1"), levels[k].type == QLatin1String("D"));
    const bool leaf = k == 4;
    LoadTreeNodes(m_tv1, node, leaf, leaf ? 3 : 1, leaf ? 2 : 0, true, sql, *m_scratch);
}

void NavTree::tv1Click(QTreeWidgetItem *node)
{
    if (!node)
        return;
    const TGRec rec = TreeNodeRec(node);
    const TreeLevel(&levels)[5] = shared().treeLevels;
    for (int j = 1; j <= 5; ++j) {
        const QString value = rec.value(j);
        if (value == QLatin1String("null"))
            continue;
        const QString &f = levels[j - 1].field;
        if (isPanelEditorField(f)) {
            if (auto *ed = m_panel->findChild<QLineEdit *>(QStringLiteral("dbed") + f))
                ed->setText(value);
        } else if (isPanelComboField(f)) {
            if (auto *cb = m_panel->findChild<MapListCombo *>(QStringLiteral("dbcb") + f))
                cb->setCurrentCode(value);
        }
    }
    if (m_runQuery)
        m_runQuery();
}

void NavTree::clearSelection()
{
    m_tv1->clearSelection();
    m_tv1->setCurrentItem(nullptr);
}

void NavTree::reloadLevels()
{
    Tfrm_base_dm::readTreeLevels(*m_scratch, QStringLiteral("select a.INO,a.SFIELD,b.SFIELDTYPE from S_TREE a, S_FIELD b where "
                                                            "a.SFIELD=b.SFIELD and a.STABLE=b.STABLE and a.STABLE='N_A' "));
    BuildTreeRoot();
}

#include "app/DbGrid.h"

#include "app/DatasetModel.h"
#include "app/DbGridFooter.h"
#include "app/DbGridHeader.h"
#include "app/MapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QComboBox>
#include <QKeyEvent>
#include <QMetaEnum>
#include <QPainter>
#include <QScrollBar>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTimer>

#include <cmath>
#include <optional>

namespace {

// --- cells -----------------------------------------------------------------

class DbGridDelegate : public QStyledItemDelegate {
public:
    explicit DbGridDelegate(DbGrid *grid)
        : QStyledItemDelegate(grid)
        , m_grid(grid)
    {
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        QStyleOptionViewItem opt(option);
        initStyleOption(&opt, index);
        QColor bg = index.row() % 2 == 0 ? m_grid->oddRowColor() : m_grid->evenRowColor();
        QColor fg = m_grid->palette().color(QPalette::Text);
        if (opt.state & QStyle::State_Selected) {
            const QColor selected = m_grid->selectedRowColor();
            if (selected.isValid()) {
                bg = selected;
                fg = Qt::black;
            } else {
                bg = m_grid->palette().color(QPalette::Active, QPalette::Highlight);
                fg = m_grid->palette().color(QPalette::Active, QPalette::HighlightedText);
            }
        }
        painter->fillRect(opt.rect, bg);
        painter->setPen(m_grid->lineColour());
        painter->drawLine(opt.rect.topRight(), opt.rect.bottomRight());
        painter->drawLine(opt.rect.bottomLeft(), opt.rect.bottomRight());

        opt.state &= ~QStyle::State_Selected;
        if (m_grid->options().testFlag(DbGrid::RowSelect))
            opt.state &= ~QStyle::State_HasFocus;
        opt.backgroundBrush = Qt::NoBrush;
        opt.palette.setColor(QPalette::Text, fg);
        opt.rect.adjust(0, 0, -1, -1);
        QStyle *style = opt.widget ? opt.widget->style() : QApplication::style();
        if (opt.features & QStyleOptionViewItem::HasCheckIndicator) {
            QStyleOptionViewItem check(opt);
            const QRect box = style->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &opt, opt.widget);
            check.rect = QRect(QPoint(0, 0), box.size());
            check.rect.moveCenter(opt.rect.center());
            check.state &= ~(QStyle::State_On | QStyle::State_Off | QStyle::State_NoChange);
            check.state |= opt.checkState == Qt::Checked ? QStyle::State_On : QStyle::State_Off;
            style->drawPrimitive(QStyle::PE_IndicatorItemViewItemCheck, &check, painter, opt.widget);
        } else {
            style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);
        }
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override
    {
        const DatasetModel::Column &c = column(index);
        if (c.checkBox)
            return nullptr;
        const QPersistentModelIndex cell(index);
        auto beginEdit = [cell] {
            if (auto *model = const_cast<DatasetModel *>(qobject_cast<const DatasetModel *>(cell.model())))
                model->beginEdit(cell.row());
        };
        if (!c.keyList.isEmpty()) {
            auto *combo = new QComboBox(parent);
            combo->setFrame(false);
            combo->addItems(c.pickList.mid(0, c.keyList.size()));
            connect(combo, QOverload<int>::of(&QComboBox::activated), combo, beginEdit);
            return combo;
        }
        QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            connect(line, &QLineEdit::textEdited, line, beginEdit);
        return editor;
    }

    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            combo->setCurrentIndex(column(index).keyList.indexOf(index.data(Qt::EditRole).toString()));
            return;
        }
        QStyledItemDelegate::setEditorData(editor, index);
    }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        if (auto *combo = qobject_cast<QComboBox *>(editor)) {
            const QStringList &keys = column(index).keyList;
            const int i = combo->currentIndex();
            if (i >= 0 && i < keys.size())
                model->setData(index, keys.at(i), Qt::EditRole);
            return;
        }
        QStyledItemDelegate::setModelData(editor, model, index);
    }

protected:
    // A check-box cell toggles on a click anywhere in it, or on Space.
    bool editorEvent(QEvent *event, QAbstractItemModel *model, const QStyleOptionViewItem &option,
                     const QModelIndex &index) override
    {
        if (!index.isValid() || !column(index).checkBox || !(index.flags() & Qt::ItemIsUserCheckable))
            return QStyledItemDelegate::editorEvent(event, model, option, index);
        bool toggle = false;
        switch (event->type()) {
        case QEvent::MouseButtonRelease: {
            const auto *me = static_cast<QMouseEvent *>(event);
            toggle = me->button() == Qt::LeftButton && option.rect.contains(me->position().toPoint());
            break;
        }
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::KeyPress: {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key != Qt::Key_Space && key != Qt::Key_Select)
                return false;
            toggle = true;
            break;
        }
        default:
            return false;
        }
        if (!toggle)
            return false;
        const bool checked = index.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        return model->setData(index, checked ? Qt::Unchecked : Qt::Checked, Qt::CheckStateRole);
    }

private:
    const DatasetModel::Column &column(const QModelIndex &index) const
    {
        return m_grid->datasetModel()->column(index.column());
    }

    DbGrid *m_grid;
};

// --- appearance file values ------------------------------------------------

std::optional<int> readInt(const QVariant &v, int min, int max)
{
    bool ok = false;
    const int x = v.toString().trimmed().toInt(&ok);
    if (!ok || x < min || x > max)
        return std::nullopt;
    return x;
}

std::optional<bool> readBool(const QVariant &v)
{
    const QString s = v.toString().trimmed().toLower();
    if (s == QLatin1String("true") || s == QLatin1String("1"))
        return true;
    if (s == QLatin1String("false") || s == QLatin1String("0"))
        return false;
    return std::nullopt;
}

std::optional<QColor> readColour(const QVariant &v)
{
    const QString s = v.toString().trimmed();
    if (!s.startsWith(QLatin1Char('#')))
        return std::nullopt;
    const QColor c(s);
    if (!c.isValid())
        return std::nullopt;
    return c;
}

std::optional<QFont> readFont(const QVariant &v)
{
    const QString s = v.toString().trimmed();
    QFont f;
    if (s.isEmpty() || !f.fromString(s) || f.family().isEmpty())
        return std::nullopt;
    return f;
}

QString optionsText(DbGrid::Options o)
{
    QStringList names;
    const QMetaEnum e = QMetaEnum::fromType<DbGrid::Options>();
    for (int i = 0; i < e.keyCount(); ++i) {
        if (o.testFlag(DbGrid::Option(e.value(i))))
            names << QLatin1String(e.key(i));
    }
    return names.join(QLatin1Char('|'));
}

std::optional<DbGrid::Options> readOptions(const QVariant &v)
{
    const QString s = v.toString().trimmed();
    if (!v.isValid())
        return std::nullopt;
    DbGrid::Options o;
    if (s.isEmpty())
        return o;
    const QMetaEnum e = QMetaEnum::fromType<DbGrid::Options>();
    for (const QString &name : s.split(QLatin1Char('|'))) {
        bool ok = false;
        const int x = e.keyToValue(name.trimmed().toLatin1().constData(), &ok);
        if (!ok)
            return std::nullopt;
        o |= DbGrid::Option(x);
    }
    return o;
}

QString sumText(double v, bool integral)
{
    if (integral)
        return QString::number(qint64(std::llround(v)));
    if (v == 0)
        return QStringLiteral("0");
    QString s = QString::number(v, 'g', 15);
    if (s.contains(QLatin1Char('e'))) {
        s = QString::number(v, 'f', 6);
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    return s;
}

// The appearance dialog offers up to 80; designed grids with wrapped titles
// (the users window) go higher.
constexpr int maxTitleHeight = 120;
constexpr int maxRowHeight = 500;
constexpr int maxColumnWidth = 5000;

} // namespace

// ---------------------------------------------------------------------------

struct DbGrid::Private {
    DatasetModel *model = nullptr;
    QPointer<Dataset> dataset;
    QMetaObject::Connection currentConnection;
    DbGridHeader *header = nullptr;
    DbGridHeader *rowHeader = nullptr;
    DbGridFooter *footer = nullptr;
    QPointer<QAbstractButton> corner;

    QColor colour = Qt::white;
    QColor fixed = QColor(240, 240, 240);
    QColor odd = Qt::white;
    QColor even = Qt::white;
    QColor footerColour = Qt::white;
    QColor selected;
    QFont titleFont;
    QFont footerFont;
    bool flat = false;
    int titleHeight = 0;
    int rowHeight = 22;
    int footerRowCount = 0;
    bool sumsActive = false;
    Options options = ColumnResize | ColumnMove;
    bool titleSort = true;

    bool syncing = false;
    bool inGeometry = false;
    int lastColumn = -1;

    bool footerShown() const { return footerRowCount == 1; }
};

DbGrid::DbGrid(QWidget *parent)
    : QTableView(parent)
    , d(std::make_unique<Private>())
{
    d->titleFont = d->footerFont = font();
    d->rowHeight = fontMetrics().height() + 8;
    d->model = new DatasetModel(this);
    d->footer = new DbGridFooter(this);
    d->footer->hide();

    d->header = new DbGridHeader(Qt::Horizontal, this);
    d->rowHeader = new DbGridHeader(Qt::Vertical, this);
    setHorizontalHeader(d->header);
    setVerticalHeader(d->rowHeader);
    d->header->setFont(d->titleFont);
    d->header->setDefaultSectionSize(75);
    d->rowHeader->setMinimumSectionSize(1);
    d->rowHeader->setDefaultSectionSize(d->rowHeight);

    d->corner = findChild<QAbstractButton *>(QString(), Qt::FindDirectChildrenOnly);
    if (d->corner)
        d->corner->installEventFilter(this);
    setCornerButtonEnabled(false);

    setItemDelegate(new DbGridDelegate(this));
    setModel(d->model);
    setShowGrid(false);
    setWordWrap(false);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerItem);

    QPalette pal = palette();
    pal.setColor(QPalette::Base, d->colour);
    pal.setColor(QPalette::Text, Qt::black);
    pal.setColor(QPalette::ButtonText, Qt::black);
    setPalette(pal);

    auto repaintFooter = [this] {
        if (d->footer->isVisible())
            d->footer->update();
    };
    connect(d->header, &QHeaderView::sectionClicked, this, &DbGrid::clickTitle);
    connect(d->header, &QHeaderView::sectionResized, this, [this, repaintFooter](int col, int, int size) {
        if (size > 0)
            d->model->setColumnWidth(col, size);
        repaintFooter();
    });
    connect(d->header, &QHeaderView::sectionMoved, this, repaintFooter);
    connect(d->header, &QHeaderView::geometriesChanged, this, repaintFooter);
    connect(horizontalScrollBar(), &QScrollBar::valueChanged, this, repaintFooter);
    connect(d->model, &DatasetModel::rowsChanged, this, repaintFooter);
    connect(d->model, &DatasetModel::columnChanged, this, [this, repaintFooter] {
        d->header->viewport()->update();
        repaintFooter();
    });
    connect(d->model, &DatasetModel::columnsRebuilt, this, &DbGrid::resetColumnLayout);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex &current) { onViewCurrentChanged(current); });

    applyOptions();
}

DbGrid::~DbGrid()
{
    // The base classes still hide and resize the headers after this body;
    // nothing of this class may hear of it.
    d->header->disconnect(this);
    d->rowHeader->disconnect(this);
    horizontalScrollBar()->disconnect(this);
    d->model->disconnect(this);
    if (selectionModel())
        selectionModel()->disconnect(this);
    if (d->corner)
        d->corner->removeEventFilter(this);
}

// --- data source -------------------------------------------------------------

void DbGrid::setDataset(Dataset *dataset)
{
    if (d->dataset == dataset)
        return;
    disconnect(d->currentConnection);
    d->dataset = dataset;
    d->model->setDataset(dataset);
    if (dataset)
        d->currentConnection = connect(dataset, &Dataset::currentChanged, this, &DbGrid::syncToDataset);
    syncToDataset(dataset && dataset->isOpen() ? dataset->pos() : -1);
}

Dataset *DbGrid::dataset() const
{
    return d->dataset;
}

DatasetModel *DbGrid::datasetModel() const
{
    return d->model;
}

void DbGrid::syncToDataset(int pos)
{
    d->rowHeader->viewport()->update();
    if (!d->dataset || pos < 0 || pos >= d->model->rowCount() || d->model->columnCount() == 0) {
        d->syncing = true;
        selectionModel()->clearCurrentIndex();
        selectionModel()->clearSelection();
        d->syncing = false;
        return;
    }
    const QModelIndex current = currentIndex();
    int col = current.isValid() ? current.column() : d->lastColumn;
    if (col < 0 || col >= d->model->columnCount() || d->header->isSectionHidden(col)) {
        col = -1;
        for (int v = 0; v < d->header->count() && col < 0; ++v) {
            if (!d->header->isSectionHidden(d->header->logicalIndex(v)))
                col = d->header->logicalIndex(v);
        }
        if (col < 0)
            col = 0;
    }
    const QModelIndex index = d->model->index(pos, col);
    if (current == index && selectionModel()->isSelected(index))
        return;
    d->syncing = true;
    QItemSelectionModel::SelectionFlags command = QItemSelectionModel::ClearAndSelect;
    if (d->options.testFlag(RowSelect))
        command |= QItemSelectionModel::Rows;
    selectionModel()->setCurrentIndex(index, command);
    d->syncing = false;
    // A hidden grid has no real viewport yet; the view scrolls on show.
    if (isVisible())
        scrollTo(index);
}

void DbGrid::onViewCurrentChanged(const QModelIndex &current)
{
    d->rowHeader->viewport()->update();
    if (current.isValid())
        d->lastColumn = current.column();
    if (d->syncing || !current.isValid() || !d->dataset || !d->dataset->isOpen())
        return;
    if (current.row() == d->dataset->pos())
        return;
    try {
        d->dataset->setPos(current.row());
    } catch (const AppError &e) {
        ShowError(e.message());
        // Back to the row the dataset stayed on, once the click is over.
        QTimer::singleShot(0, this, [this] {
            if (d->dataset)
                syncToDataset(d->dataset->pos());
        });
    }
}

// --- columns -----------------------------------------------------------------

int DbGrid::addColumn(const QString &fieldName, const QString &title, int width)
{
    const int col = d->model->addColumn(fieldName, title, width);
    d->header->resizeSection(col, d->model->column(col).width);
    return col;
}

void DbGrid::clearColumns()
{
    d->model->clearColumns();
}

int DbGrid::columnCount() const
{
    return d->model->columnCount();
}

int DbGrid::columnByField(const QString &fieldName) const
{
    for (int c = 0; c < d->model->columnCount(); ++c) {
        if (d->model->column(c).field.compare(fieldName, Qt::CaseInsensitive) == 0)
            return c;
    }
    return -1;
}

QString DbGrid::columnField(int col) const
{
    return d->model->validColumn(col) ? d->model->column(col).field : QString();
}

QString DbGrid::columnTitle(int col) const
{
    return d->model->validColumn(col) ? d->model->column(col).title : QString();
}

void DbGrid::setColumnTitle(int col, const QString &title)
{
    d->model->setColumnTitle(col, title);
}

bool DbGrid::isColumnVisible(int col) const
{
    return d->model->validColumn(col) && !d->header->isSectionHidden(col);
}

void DbGrid::setColumnVisible(int col, bool visible)
{
    if (d->model->validColumn(col))
        d->header->setSectionHidden(col, !visible);
}

int DbGrid::columnAtPosition(int pos) const
{
    return d->header->logicalIndex(pos);
}

int DbGrid::positionOfColumn(int col) const
{
    return d->model->validColumn(col) ? d->header->visualIndex(col) : -1;
}

void DbGrid::setColumnLists(int col, const QStringList &keyList, const QStringList &pickList)
{
    d->model->setColumnLists(col, keyList, pickList);
}

QStringList DbGrid::columnKeyList(int col) const
{
    return d->model->validColumn(col) ? d->model->column(col).keyList : QStringList();
}

QStringList DbGrid::columnPickList(int col) const
{
    return d->model->validColumn(col) ? d->model->column(col).pickList : QStringList();
}

void DbGrid::setColumnCheckBox(int col, bool on, const QVariant &checkedValue, const QVariant &uncheckedValue)
{
    d->model->setColumnCheckBox(col, on, checkedValue, uncheckedValue);
}

bool DbGrid::isColumnCheckBox(int col) const
{
    return d->model->validColumn(col) && d->model->column(col).checkBox;
}

void DbGrid::setColumnReadOnly(int col, bool readOnly)
{
    d->model->setColumnReadOnly(col, readOnly);
}

void DbGrid::setColumnAlignment(int col, Qt::Alignment alignment)
{
    d->model->setColumnAlignment(col, alignment & Qt::AlignHorizontal_Mask);
}

bool DbGrid::isColumnReadOnly(int col) const
{
    return d->model->validColumn(col) && d->model->column(col).readOnly;
}

void DbGrid::setColumnFooterSum(int col, bool on)
{
    d->model->setColumnFooterSum(col, on);
}

bool DbGrid::columnFooterSum(int col) const
{
    return d->model->validColumn(col) && d->model->column(col).footerSum;
}

double DbGrid::footerSum(int col) const
{
    return columnFooterSum(col) ? d->model->columnSum(col) : 0.0;
}

QString DbGrid::footerText(int col) const
{
    if (!columnFooterSum(col) || !d->sumsActive || !d->model->hasData())
        return {};
    return sumText(footerSum(col), d->model->columnIsIntegral(col));
}

void DbGrid::resetColumnLayout()
{
    // Automatic columns for a new field list: designed order, all shown.
    for (int c = 0; c < d->model->columnCount(); ++c) {
        d->header->setSectionHidden(c, false);
        d->header->resizeSection(c, d->model->column(c).width);
    }
    for (int c = 0; c < d->model->columnCount(); ++c) {
        const int from = d->header->visualIndex(c);
        if (from != c)
            d->header->moveSection(from, c);
    }
}

// --- title buttons and sorting ---------------------------------------------

Dataset::SortOrder DbGrid::columnSortMarker(int col) const
{
    return d->model->validColumn(col) ? d->model->column(col).marker : Dataset::SortOrder::None;
}

void DbGrid::setColumnSortMarker(int col, Dataset::SortOrder marker)
{
    d->model->setColumnMarker(col, marker);
}

void DbGrid::setTitleSort(bool on)
{
    d->titleSort = on;
}

bool DbGrid::titleSort() const
{
    return d->titleSort;
}

void DbGrid::commitEditor()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    QWidget *editor = QApplication::focusWidget();
    if (!editor || !viewport()->isAncestorOf(editor))
        return;
    commitData(editor);
    closeEditor(editor, QAbstractItemDelegate::NoHint);
}

void DbGrid::clickTitle(int col)
{
    if (!d->model->validColumn(col))
        return;
    Dataset *ds = d->dataset;
    // Copies: the sort resets the model under the column list.
    const QString field = d->model->column(col).field;
    const Dataset::SortOrder marker = d->model->column(col).marker;
    if (d->titleSort && ds && ds->isOpen() && !ds->isEmpty() && d->model->column(col).fieldIndex >= 0) {
        Dataset::SortOrder next = Dataset::SortOrder::None;
        switch (marker) {
        case Dataset::SortOrder::None: next = Dataset::SortOrder::Descending; break;
        case Dataset::SortOrder::Descending: next = Dataset::SortOrder::Ascending; break;
        case Dataset::SortOrder::Ascending: next = Dataset::SortOrder::None; break;
        }
        try {
            if (next == Dataset::SortOrder::None)
                ds->clearSort();
            else
                ds->sortBy(field, next);
            d->model->setColumnMarker(col, next);
        } catch (const AppError &e) {
            ShowError(e.message());
        }
    }
    emit titleBtnClick(col);
}

// --- look --------------------------------------------------------------------

QColor DbGrid::color() const
{
    return d->colour;
}

void DbGrid::setColor(const QColor &c)
{
    if (!c.isValid())
        return;
    d->colour = c;
    QPalette pal = palette();
    pal.setColor(QPalette::Base, c);
    setPalette(pal);
    viewport()->update();
    d->footer->update();
}

QColor DbGrid::fixedColor() const
{
    return d->fixed;
}

void DbGrid::setFixedColor(const QColor &c)
{
    if (!c.isValid())
        return;
    d->fixed = c;
    d->header->viewport()->update();
    d->rowHeader->viewport()->update();
    if (d->corner)
        d->corner->update();
    viewport()->update();
    d->footer->update();
}

QColor DbGrid::oddRowColor() const
{
    return d->odd;
}

void DbGrid::setOddRowColor(const QColor &c)
{
    if (c.isValid()) {
        d->odd = c;
        viewport()->update();
    }
}

QColor DbGrid::evenRowColor() const
{
    return d->even;
}

void DbGrid::setEvenRowColor(const QColor &c)
{
    if (c.isValid()) {
        d->even = c;
        viewport()->update();
    }
}

QColor DbGrid::footerColor() const
{
    return d->footerColour;
}

void DbGrid::setFooterColor(const QColor &c)
{
    if (c.isValid()) {
        d->footerColour = c;
        d->footer->update();
    }
}

QColor DbGrid::selectedRowColor() const
{
    return d->selected;
}

void DbGrid::setSelectedRowColor(const QColor &c)
{
    d->selected = c;
    viewport()->update();
}

QFont DbGrid::titleFont() const
{
    return d->titleFont;
}

void DbGrid::setTitleFont(const QFont &f)
{
    d->titleFont = f;
    d->header->setFont(f);
    d->header->updateGeometry();
    updateGeometries();
    d->header->viewport()->update();
}

QFont DbGrid::footerFont() const
{
    return d->footerFont;
}

void DbGrid::setFooterFont(const QFont &f)
{
    d->footerFont = f;
    updateGeometries();
    d->footer->update();
}

bool DbGrid::isFlat() const
{
    return d->flat;
}

void DbGrid::setFlat(bool flat)
{
    d->flat = flat;
    d->header->viewport()->update();
    d->rowHeader->viewport()->update();
    if (d->corner)
        d->corner->update();
    viewport()->update();
    d->footer->update();
}

int DbGrid::titleHeight() const
{
    return d->titleHeight;
}

void DbGrid::setTitleHeight(int h)
{
    d->titleHeight = qBound(0, h, maxTitleHeight);
    d->header->updateGeometry();
    updateGeometries();
    d->header->viewport()->update();
}

int DbGrid::rowHeight() const
{
    return d->rowHeight;
}

void DbGrid::setRowHeight(int h)
{
    if (h < 1)
        return;
    h = qMin(h, maxRowHeight);
    if (h == d->rowHeight && d->rowHeader->defaultSectionSize() == h)
        return;
    d->rowHeight = h;
    d->rowHeader->setDefaultSectionSize(h);
    updateGeometries();
}

int DbGrid::footerRowCount() const
{
    return d->footerRowCount;
}

void DbGrid::setFooterRowCount(int n)
{
    d->footerRowCount = qBound(0, n, 1);
    updateGeometries();
}

bool DbGrid::sumsActive() const
{
    return d->sumsActive;
}

void DbGrid::setSumsActive(bool on)
{
    d->sumsActive = on;
    d->footer->update();
}

DbGrid::Options DbGrid::options() const
{
    return d->options;
}

void DbGrid::setOptions(Options o)
{
    d->options = o;
    applyOptions();
}

void DbGrid::setOption(Option o, bool on)
{
    setOptions(on ? d->options | o : d->options & ~Options(o));
}

void DbGrid::applyOptions()
{
    const Options o = d->options;
    d->rowHeader->setVisible(o.testFlag(RecordNumbers));
    setSelectionMode(SingleSelection);
    setSelectionBehavior(o.testFlag(RowSelect) ? SelectRows : SelectItems);
    d->model->setEditable(o.testFlag(Editing));
    setEditTriggers(o.testFlag(Editing) ? (DoubleClicked | EditKeyPressed | AnyKeyPressed | SelectedClicked)
                                        : NoEditTriggers);
    d->header->setSectionResizeMode(o.testFlag(ColumnResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
    d->header->setSectionsMovable(o.testFlag(ColumnMove));
    d->rowHeader->setSectionResizeMode(o.testFlag(RowResize) ? QHeaderView::Interactive : QHeaderView::Fixed);
    if (d->dataset && d->dataset->isOpen()) {
        // Select the current row the new way (whole row or one cell).
        selectionModel()->clearSelection();
        syncToDataset(d->dataset->pos());
    }
    d->header->viewport()->update();
    d->rowHeader->viewport()->update();
    if (d->corner)
        d->corner->update();
    viewport()->update();
    updateGeometries();
}

QColor DbGrid::lineColour() const
{
    return d->flat ? d->fixed.darker(112) : QColor(160, 160, 160);
}

void DbGrid::copyAppearanceFrom(const DbGrid &model)
{
    setColor(model.color());
    setFixedColor(model.fixedColor());
    setOddRowColor(model.oddRowColor());
    setEvenRowColor(model.evenRowColor());
    setFont(model.font());
    setTitleFont(model.titleFont());
    setFooterFont(model.footerFont());
    setFlat(model.isFlat());
    setTitleHeight(model.titleHeight());
    setFooterColor(model.footerColor());
    setFooterRowCount(model.footerRowCount());
    setSumsActive(model.sumsActive());
    setOptions(model.options());
}

// --- appearance file ---------------------------------------------------------

void DbGrid::saveState(QSettings &settings, StoredProperties what) const
{
    if (what & StoreColour)
        settings.setValue(QStringLiteral("Color"), d->colour.name());
    if (what & StoreEvenRowColour)
        settings.setValue(QStringLiteral("EvenRowColor"), d->even.name());
    if (what & StoreFixedColour)
        settings.setValue(QStringLiteral("FixedColor"), d->fixed.name());
    if (what & StoreFlat)
        settings.setValue(QStringLiteral("Flat"), d->flat);
    if (what & StoreFont)
        settings.setValue(QStringLiteral("Font"), font().toString());
    if (what & StoreFooterColour)
        settings.setValue(QStringLiteral("FooterColor"), d->footerColour.name());
    if (what & StoreFooterRowCount)
        settings.setValue(QStringLiteral("FooterRowCount"), d->footerRowCount);
    if (what & StoreHeight)
        settings.setValue(QStringLiteral("Height"), height());
    if (what & StoreOddRowColour)
        settings.setValue(QStringLiteral("OddRowColor"), d->odd.name());
    if (what & StoreOptions)
        settings.setValue(QStringLiteral("Options"), optionsText(d->options));
    if (what & StoreRowHeight)
        settings.setValue(QStringLiteral("RowHeight"), d->rowHeight);
    if (what & StoreSumsActive)
        settings.setValue(QStringLiteral("SumsActive"), d->sumsActive);
    if (what & StoreTitleFont)
        settings.setValue(QStringLiteral("TitleFont"), d->titleFont.toString());
    if (what & StoreTitleHeight)
        settings.setValue(QStringLiteral("TitleHeight"), d->titleHeight);
    if (what & StoreColumns) {
        // By field name in grid order, so that columns added, removed or
        // renamed in a later version do not shift the others.
        settings.remove(QStringLiteral("Columns"));
        const int n = columnCount();
        settings.beginWriteArray(QStringLiteral("Columns"), n);
        for (int pos = 0; pos < n; ++pos) {
            const int col = columnAtPosition(pos);
            const bool shown = isColumnVisible(col);
            settings.setArrayIndex(pos);
            settings.setValue(QStringLiteral("Field"), columnField(col));
            settings.setValue(QStringLiteral("Width"), shown ? d->header->sectionSize(col) : d->model->column(col).width);
            settings.setValue(QStringLiteral("Visible"), shown);
        }
        settings.endArray();
    }
}

void DbGrid::restoreState(QSettings &settings, StoredProperties what)
{
    if (settings.status() != QSettings::NoError)
        return; // an unreadable file counts as empty
    auto value = [&](const char *key) { return settings.value(QLatin1String(key)); };
    auto colour = [&](StoredProperty p, const char *key, void (DbGrid::*set)(const QColor &)) {
        if (what & p) {
            if (const auto c = readColour(value(key)))
                (this->*set)(*c);
        }
    };
    colour(StoreColour, "Color", &DbGrid::setColor);
    colour(StoreEvenRowColour, "EvenRowColor", &DbGrid::setEvenRowColor);
    colour(StoreFixedColour, "FixedColor", &DbGrid::setFixedColor);
    colour(StoreFooterColour, "FooterColor", &DbGrid::setFooterColor);
    colour(StoreOddRowColour, "OddRowColor", &DbGrid::setOddRowColor);
    if (what & StoreFlat) {
        if (const auto b = readBool(value("Flat")))
            setFlat(*b);
    }
    if (what & StoreFont) {
        if (const auto f = readFont(value("Font")))
            setFont(*f);
    }
    if (what & StoreTitleFont) {
        if (const auto f = readFont(value("TitleFont")))
            setTitleFont(*f);
    }
    if (what & StoreFooterRowCount) {
        if (const auto n = readInt(value("FooterRowCount"), 0, 1))
            setFooterRowCount(*n);
    }
    if (what & StoreHeight) {
        if (const auto h = readInt(value("Height"), 1, 20000))
            resize(width(), *h);
    }
    if (what & StoreOptions) {
        if (const auto o = readOptions(value("Options")))
            setOptions(*o);
    }
    if (what & StoreRowHeight) {
        if (const auto h = readInt(value("RowHeight"), 1, maxRowHeight))
            setRowHeight(*h);
    }
    if (what & StoreSumsActive) {
        if (const auto b = readBool(value("SumsActive")))
            setSumsActive(*b);
    }
    if (what & StoreTitleHeight) {
        if (const auto h = readInt(value("TitleHeight"), 0, maxTitleHeight))
            setTitleHeight(*h);
    }
    if (!(what & StoreColumns))
        return;

    const int n = columnCount();
    QVector<int> order;
    QVector<bool> placed(n, false);
    QHash<QString, int> seen; // the k-th entry of a field name is the k-th column of that name
    const int entries = settings.beginReadArray(QStringLiteral("Columns"));
    for (int i = 0; i < entries; ++i) {
        settings.setArrayIndex(i);
        const QString field = settings.value(QStringLiteral("Field")).toString().trimmed();
        if (field.isEmpty())
            continue;
        int k = seen[field.toLower()]++;
        int col = -1;
        for (int c = 0; c < n && col < 0; ++c) {
            if (d->model->column(c).field.compare(field, Qt::CaseInsensitive) == 0 && k-- == 0)
                col = c;
        }
        if (col < 0 || placed[col])
            continue;
        placed[col] = true;
        order << col;
        if (const auto w = readInt(settings.value(QStringLiteral("Width")), 1, maxColumnWidth)) {
            d->model->setColumnWidth(col, *w);
            d->header->resizeSection(col, *w);
        }
        if (const auto shown = readBool(settings.value(QStringLiteral("Visible"))))
            setColumnVisible(col, *shown);
    }
    settings.endArray();
    if (order.isEmpty())
        return;
    // Columns the file does not name keep their designed place among the others.
    for (int c = 0; c < n; ++c) {
        if (!placed[c])
            order.insert(qMin(c, int(order.size())), c);
    }
    for (int pos = 0; pos < n; ++pos) {
        const int from = d->header->visualIndex(order.at(pos));
        if (from != pos)
            d->header->moveSection(from, pos);
    }
}

// --- geometry ----------------------------------------------------------------

// QTableView's layout with one addition: the footer row between the cells
// and the horizontal scroll bar.
void DbGrid::updateGeometries()
{
    if (d->inGeometry)
        return;
    d->inGeometry = true;
    QHeaderView *vh = verticalHeader();
    QHeaderView *hh = horizontalHeader();

    int width = 0;
    if (!vh->isHidden())
        width = qMin(qMax(vh->minimumWidth(), vh->sizeHint().width()), vh->maximumWidth());
    int height = 0;
    if (!hh->isHidden())
        height = qMin(qMax(hh->minimumHeight(), hh->sizeHint().height()), hh->maximumHeight());
    const int footerHeight = d->footer && d->footerShown() ? d->footer->preferredHeight() : 0;
    const bool reverse = isRightToLeft();
    if (reverse)
        setViewportMargins(0, height, width, footerHeight);
    else
        setViewportMargins(width, height, 0, footerHeight);

    const QRect vg = viewport()->geometry();
    const int verticalLeft = reverse ? vg.right() + 1 : (vg.left() - width);
    vh->setGeometry(verticalLeft, vg.top(), width, vg.height());
    if (vh->isHidden())
        QMetaObject::invokeMethod(vh, "updateGeometries");
    const int horizontalTop = vg.top() - height;
    hh->setGeometry(vg.left(), horizontalTop, vg.width(), height);
    if (hh->isHidden())
        QMetaObject::invokeMethod(hh, "updateGeometries");

    if (d->corner) {
        if (hh->isHidden() || vh->isHidden()) {
            d->corner->setHidden(true);
        } else {
            d->corner->setHidden(false);
            d->corner->setGeometry(verticalLeft, horizontalTop, width, height);
        }
    }
    if (footerHeight > 0) {
        d->footer->setGeometry(reverse ? vg.left() : verticalLeft, vg.bottom() + 1, vg.width() + width, footerHeight);
        d->footer->show();
        d->footer->update();
    } else if (d->footer) {
        d->footer->hide();
    }

    QSize vsize = viewport()->size();
    const QSize max = maximumViewportSize();
    const uint horizontalLength = uint(hh->length());
    const uint verticalLength = uint(vh->length());
    if (uint(max.width()) >= horizontalLength && uint(max.height()) >= verticalLength)
        vsize = max;

    // Sections all fit or the scroll bar pages by whole sections (rows all
    // have one height but may be hidden: count from the end).
    auto fitScrollBar = [](QHeaderView *header, QScrollBar *bar, ScrollMode mode, int extent, uint length) {
        const int count = header->count();
        int inViewport = 0;
        for (int used = 0, pos = count - 1; pos >= 0; --pos) {
            const int logical = header->logicalIndex(pos);
            if (!header->isSectionHidden(logical)) {
                used += header->sectionSize(logical);
                if (used > extent)
                    break;
                ++inViewport;
            }
        }
        inViewport = qMax(inViewport, 1);
        if (mode == ScrollPerItem) {
            const int visible = count - header->hiddenSectionCount();
            bar->setRange(0, visible - inViewport);
            bar->setPageStep(inViewport);
            if (inViewport >= visible)
                header->setOffset(0);
            bar->setSingleStep(1);
        } else {
            bar->setPageStep(extent);
            bar->setRange(0, int(length) - extent);
            bar->setSingleStep(qMax(extent / (inViewport + 1), 2));
        }
    };
    fitScrollBar(hh, horizontalScrollBar(), horizontalScrollMode(), vsize.width(), horizontalLength);
    fitScrollBar(vh, verticalScrollBar(), verticalScrollMode(), vsize.height(), verticalLength);

    d->inGeometry = false;
    QAbstractItemView::updateGeometries();
}

// --- events ------------------------------------------------------------------

void DbGrid::keyPressEvent(QKeyEvent *event)
{
    Dataset *ds = d->dataset;
    const bool plain = event->modifiers() == Qt::NoModifier || event->modifiers() == Qt::KeypadModifier;
    try {
        if (event->key() == Qt::Key_Escape && state() != EditingState && ds && ds->isEditing()) {
            ds->cancel();
            event->accept();
            return;
        }
        if (d->options.testFlag(RowSelect) && plain && ds && ds->isOpen() && state() != EditingState) {
            switch (event->key()) {
            case Qt::Key_Left:
                horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
                event->accept();
                return;
            case Qt::Key_Right:
                horizontalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
                event->accept();
                return;
            case Qt::Key_Home:
                ds->first();
                event->accept();
                return;
            case Qt::Key_End:
                ds->last();
                event->accept();
                return;
            default:
                break;
            }
        }
    } catch (const AppError &e) {
        ShowError(e.message());
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DbGrid::changeEvent(QEvent *event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        d->rowHeader->setFont(font());
        updateGeometries();
    }
}

bool DbGrid::eventFilter(QObject *watched, QEvent *event)
{
    if (d && watched == d->corner && event->type() == QEvent::Paint) {
        QPainter painter(d->corner);
        DbGridHeader::paintFixedCell(&painter, d->corner->rect(), this);
        return true;
    }
    return QTableView::eventFilter(watched, event);
}

// --- column lists ------------------------------------------------------------

bool FillColumnListsFromSql(DbGrid *grid, int col, Dataset &query, const QString &sql)
{
    if (!grid || col < 0 || col >= grid->columnCount())
        return false;
    grid->setColumnLists(col, {}, {});
    if (!OpenSql(query, sql))
        return false;
    if (query.fieldCount() < 2) {
        ShowError(QStringLiteral("代码列表的查询需要两列（代码和名称）：\n\r%1").arg(sql));
        return false;
    }
    QStringList keys;
    QStringList picks;
    const int n = query.recordCount();
    keys.reserve(n);
    picks.reserve(n);
    for (int p = 0; p < n; ++p) {
        keys << query.textAt(p, 0).trimmed();
        picks << query.textAt(p, 1).trimmed();
    }
    grid->setColumnLists(col, keys, picks);
    return true;
}

void FillColumnListsFromItems(DbGrid *grid, int col, const QStringList &items)
{
    if (!grid || col < 0 || col >= grid->columnCount())
        return;
    QStringList keys;
    QStringList picks;
    for (const QString &item : items) {
        picks << MapListCombo::nameOf(item);
        keys << MapListCombo::codeOf(item);
    }
    grid->setColumnLists(col, keys, picks);
}

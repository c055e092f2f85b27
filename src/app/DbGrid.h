#pragma once

#include "data/Dataset.h"

#include <QColor>
#include <QFont>
#include <QPointer>
#include <QStringList>
#include <QTableView>

#include <memory>

class DatasetModel;
class DbGridFooter;
class DbGridHeader;
class QSettings;

// The data grid of every list and dialog window: a table view over a dataset
// whose current row follows the dataset's and back. Columns are either
// designed (addColumn) or, when none were designed, one per dataset field.
// Column numbers are the designed (logical) numbers; the user may move
// columns, which changes only their place on screen ("grid order").
class DbGrid : public QTableView {
    Q_OBJECT
public:
    enum Option {
        RecordNumbers = 0x01, // the record-number column at the left
        Titles3D = 0x02,      // raised title buttons
        RowSelect = 0x04,     // whole-row selection (list windows)
        Editing = 0x08,       // cells editable in place (dialog grids)
        ColumnResize = 0x10,
        ColumnMove = 0x20,
        RowResize = 0x40,
    };
    Q_DECLARE_FLAGS(Options, Option)
    Q_FLAG(Options)

    // Properties written by saveState / read by restoreState.
    enum StoredProperty {
        StoreColour = 0x0001,        // cell colour
        StoreColumns = 0x0002,       // column order, visibility, widths
        StoreEvenRowColour = 0x0004,
        StoreFixedColour = 0x0008,
        StoreFlat = 0x0010,
        StoreFont = 0x0020,
        StoreFooterColour = 0x0040,
        StoreFooterRowCount = 0x0080,
        StoreHeight = 0x0100,        // the widget's height
        StoreOddRowColour = 0x0200,
        StoreOptions = 0x0400,
        StoreRowHeight = 0x0800,
        StoreSumsActive = 0x1000,
        StoreTitleFont = 0x2000,
        StoreTitleHeight = 0x4000,
        StoreAll = 0x7fff,
    };
    Q_DECLARE_FLAGS(StoredProperties, StoredProperty)

    explicit DbGrid(QWidget *parent = nullptr);
    ~DbGrid() override;

    // --- data source ---------------------------------------------------------
    void setDataset(Dataset *dataset);
    Dataset *dataset() const;
    DatasetModel *datasetModel() const;

    // --- columns -------------------------------------------------------------
    // Designed columns; the title defaults to the field name.
    int addColumn(const QString &fieldName, const QString &title = QString(), int width = 75);
    void clearColumns();
    int columnCount() const;
    // The first column showing fieldName (without regard to case), -1 if none.
    int columnByField(const QString &fieldName) const;
    QString columnField(int col) const;
    QString columnTitle(int col) const;
    void setColumnTitle(int col, const QString &title);
    bool isColumnVisible(int col) const;
    void setColumnVisible(int col, bool visible);
    // Grid order: the column shown at position pos (0-based, hidden columns
    // included), and the position of a column.
    int columnAtPosition(int pos) const;
    int positionOfColumn(int col) const;

    // Key list (stored codes) and pick list (shown names): a cell shows the
    // pick-list entry at the position of its value in the key list; a value
    // not in the key list shows as stored. In an editable grid the cell edits
    // with a drop-down of the pick list and stores the key.
    void setColumnLists(int col, const QStringList &keyList, const QStringList &pickList);
    QStringList columnKeyList(int col) const;
    QStringList columnPickList(int col) const;
    // A check-box column: checked when the value equals checkedValue; a click
    // in an editable grid stores checkedValue or uncheckedValue.
    void setColumnCheckBox(int col, bool on, const QVariant &checkedValue = 1, const QVariant &uncheckedValue = 0);
    bool isColumnCheckBox(int col) const;
    void setColumnReadOnly(int col, bool readOnly);
    // Horizontal alignment of the cells (Qt::AlignLeft, AlignHCenter,
    // AlignRight); by default numbers right, other values left.
    void setColumnAlignment(int col, Qt::Alignment alignment);
    bool isColumnReadOnly(int col) const;
    // The column carries a sum in the footer (integer and float fields).
    void setColumnFooterSum(int col, bool on);
    bool columnFooterSum(int col) const;
    // The footer value of a sum column over all rows of the dataset, and the
    // text shown for it ("" when the column has no sum or sums are off).
    double footerSum(int col) const;
    QString footerText(int col) const;

    // --- title buttons and sorting -------------------------------------------
    Dataset::SortOrder columnSortMarker(int col) const;
    void setColumnSortMarker(int col, Dataset::SortOrder marker);
    // When on (the default) a title click on a grid whose dataset holds rows
    // advances the clicked column's marker (none, descending, ascending, none)
    // and sorts the dataset by it in the client; other markers stay.
    void setTitleSort(bool on);
    bool titleSort() const;
    // Does what a click on the column's title does.
    void clickTitle(int col);

    // Writes an open cell editor's text into the dataset and closes it: a
    // toolbar button takes no focus from the editor, so its save must ask.
    // A refused value has shown its message and is not written.
    void commitEditor();

    // --- look ----------------------------------------------------------------
    QColor color() const;            // cell colour
    void setColor(const QColor &c);
    QColor fixedColor() const;       // title (fixed cells) colour
    void setFixedColor(const QColor &c);
    QColor oddRowColor() const;      // rows 1, 3, 5 ... as users count
    void setOddRowColor(const QColor &c);
    QColor evenRowColor() const;
    void setEvenRowColor(const QColor &c);
    QColor footerColor() const;
    void setFooterColor(const QColor &c);
    // The selected row's background (text then drawn black); invalid: the
    // style's highlight.
    QColor selectedRowColor() const;
    void setSelectedRowColor(const QColor &c);
    // The cell font is QWidget::font().
    QFont titleFont() const;
    void setTitleFont(const QFont &f);
    QFont footerFont() const;
    void setFooterFont(const QFont &f);
    bool isFlat() const;             // flat title and cell borders
    // The lines between cells: a shade of the fixed colour when flat.
    QColor lineColour() const;
    void setFlat(bool flat);
    int titleHeight() const;         // 0..120; 0: fits the title font
    void setTitleHeight(int h);
    int rowHeight() const;
    void setRowHeight(int h);
    int footerRowCount() const;      // 0 or 1
    void setFooterRowCount(int n);
    bool sumsActive() const;
    void setSumsActive(bool on);
    Options options() const;
    void setOptions(Options o);
    void setOption(Option o, bool on);

    // What a model grid hands on to grids that copy its look: colour, fixed,
    // odd and even row colours, fonts (cell, title, footer), flat, title
    // height, footer colour, footer row count, sums active and options.
    void copyAppearanceFrom(const DbGrid &model);

    // --- appearance file -----------------------------------------------------
    // Written into / read from the settings' current group under key names of
    // the grid's own; values that are missing or unreadable leave the
    // designed ones.
    void saveState(QSettings &settings, StoredProperties what) const;
    void restoreState(QSettings &settings, StoredProperties what);

signals:
    // After a title click was handled (whether it sorted or not).
    void titleBtnClick(int col);

protected:
    void updateGeometries() override;
    void keyPressEvent(QKeyEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void applyOptions();
    void syncToDataset(int pos);
    void onViewCurrentChanged(const QModelIndex &current);
    void resetColumnLayout();

    struct Private;
    std::unique_ptr<Private> d;
    friend class DbGridFooter;
    friend class DbGridHeader;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(DbGrid::Options)
Q_DECLARE_OPERATORS_FOR_FLAGS(DbGrid::StoredProperties)

// Fills a grid column's lists from the rows of sql: column 0 (trimmed) to the
// key list, column 1 (trimmed) to the pick list. A failure is shown and
// gives false with the lists left empty.
bool FillColumnListsFromSql(DbGrid *grid, int col, Dataset &query, const QString &sql);
// The same from map-list items "name\tcode": the name to the pick list, the
// code to the key list.
void FillColumnListsFromItems(DbGrid *grid, int col, const QStringList &items);

#pragma once

#include "data/Dataset.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>
#include <QStringList>
#include <QVector>

#include <vector>

// The table model of a data grid: reads the rows of a dataset in place (the
// model row is the dataset position, nothing is copied) through the grid's
// column list. Columns are designed (addColumn) or, while none are, one per
// field of the dataset as last opened.
class DatasetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title;
        int width = 75;        // last width while shown
        QStringList keyList;   // stored codes
        QStringList pickList;  // names shown for them
        QHash<QString, int> keyPos;
        bool checkBox = false;
        QVariant checkedValue = 1;
        QVariant uncheckedValue = 0;
        bool readOnly = false;
        bool footerSum = false;
        Qt::Alignment alignment;   // none: by the field's kind
        Dataset::SortOrder marker = Dataset::SortOrder::None;
        int fieldIndex = -1;   // in the open dataset, -1 when absent
    };

    explicit DatasetModel(QObject *parent = nullptr);
    ~DatasetModel() override;

    void setDataset(Dataset *dataset);
    Dataset *dataset() const { return m_dataset; }
    // A usable dataset: set and open.
    bool hasData() const { return m_dataset && m_dataset->isOpen(); }

    // --- columns -------------------------------------------------------------
    bool designed() const { return m_designed; }
    int addColumn(const QString &field, const QString &title, int width);
    void clearColumns();
    const Column &column(int col) const { return m_columns.at(col); }
    bool validColumn(int col) const { return col >= 0 && col < m_columns.size(); }
    void setColumnTitle(int col, const QString &title);
    void setColumnWidth(int col, int width);
    void setColumnLists(int col, const QStringList &keys, const QStringList &picks);
    void setColumnCheckBox(int col, bool on, const QVariant &checked, const QVariant &unchecked);
    void setColumnReadOnly(int col, bool readOnly);
    void setColumnAlignment(int col, Qt::Alignment alignment);
    void setColumnFooterSum(int col, bool on);
    void setColumnMarker(int col, Dataset::SortOrder marker);

    // In-place editing; off: no cell is editable.
    void setEditable(bool on);
    bool editable() const { return m_editable; }

    // What a cell shows: the value's text, a code's pick-list name; check-box
    // cells give their state instead ("" / "√").
    QString displayText(int row, int col) const;
    bool isChecked(int row, int col) const;
    bool isNumeric(int col) const;
    // Sum of a column over all rows, nulls left out. Kept until the rows change.
    double columnSum(int col) const;
    bool columnIsIntegral(int col) const;

    // --- QAbstractItemModel --------------------------------------------------
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Moves the dataset to the row, puts it into edit state and sets the
    // field; a refused value is shown and gives false.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    // Puts the row into edit state as soon as the user types into one of
    // its cells, so that save and undo show the pending change at once.
    void beginEdit(int row);

signals:
    // The automatic columns were replaced by those of another field list.
    void columnsRebuilt();
    // A column's look changed (title, lists, marker); the grid repaints.
    void columnChanged(int col);
    // Rows or values changed: sums are stale.
    void rowsChanged();

private:
    void onDataReset();
    void onRowChanged(int pos);
    void onRowInserted(int pos);
    void onRowRemoved(int pos);
    void resolveFields();
    bool autoColumnsMatch() const;
    void invalidateSums();
    QString codeName(const Column &c, const QString &text) const;

    QPointer<Dataset> m_dataset;
    QVector<Column> m_columns;
    bool m_designed = false;
    bool m_editable = false;
    int m_rows = 0;
    mutable std::vector<double> m_sums;
    mutable std::vector<char> m_sumValid;
    QList<QMetaObject::Connection> m_connections;
};

#pragma once

#include <QDate>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>

class DatasetStorage; // compact column store, private to Dataset.cpp

// The query component of every window: a static client cursor over any SQL
// text on the shared connection. All rows are fetched at open and held
// compactly (typed columns with null flags, never a QVariant per cell);
// values become QVariant only at this class's boundary.
//
// Positions ("pos") are 0-based indexes in the current order (the query's
// order, or the client-side sort); recNo() is 1-based as users see it. A
// bookmark names a row, not a position, so it survives a sort.
class Dataset : public QObject {
    Q_OBJECT
public:
    enum class State { Inactive, Browse, Edit, Insert };
    enum class SortOrder { None, Ascending, Descending };
    // How a column is held. Dates are day numbers in the store and QDate here.
    enum class FieldKind { Int32, Int64, Double, Date, Text };
    using Bookmark = qint64; // -1: no row
    Q_ENUM(State)
    Q_ENUM(SortOrder)
    Q_ENUM(FieldKind)

    explicit Dataset(QObject *parent = nullptr); // uses the shared connection at open time
    explicit Dataset(const QString &connectionName, QObject *parent = nullptr);
    ~Dataset() override;

    // --- statement -----------------------------------------------------------
    void setSql(const QString &sql);
    QString sql() const;
    // Runs sql(); throws SqlError with the driver's message on failure, leaving
    // the dataset closed. Emits afterOpen and afterScroll.
    void open();
    void open(const QString &sql);
    void close();
    bool isOpen() const;
    // Runs a statement without result set on the same connection; throws
    // SqlError. Returns the number of rows affected.
    int exec(const QString &sql);
    QSqlDatabase database() const;

    // Where edits are written back. By default the first table after "from"
    // in the SQL text, with the key columns of its schema description (every
    // column of the row when the table has no key).
    void setUpdateTable(const QString &table, const QStringList &keyColumns = {});
    QString updateTable() const;

    // --- fields --------------------------------------------------------------
    int fieldCount() const;
    QString fieldName(int col) const;           // as the driver returned it
    int fieldIndex(const QString &name) const;  // without regard to case; -1 when absent
    bool hasField(const QString &name) const { return fieldIndex(name) >= 0; }
    FieldKind fieldKind(int col) const;
    // The auto-number key of the update table: the store assigns it, so
    // setValue refuses it.
    bool fieldReadOnly(int col) const;
    // Makes a column a date column (by default: field codes like AD01/BD04 and
    // columns whose name starts with 'D', such as DSDATE). Call before open().
    void setDateField(const QString &name, bool isDate = true);

    // Current row. value() gives QVariant() for null, QDate for dates, int,
    // qlonglong, double or QString otherwise. Throws AppError for an unknown
    // field name.
    QVariant value(const QString &name) const;
    QVariant value(int col) const;
    bool isNull(const QString &name) const;
    // The value as text: "" for null, dates "yyyy-MM-dd", numbers in their
    // shortest exact decimal form.
    QString text(const QString &name) const;
    // Only in Edit or Insert state (throws AppError otherwise). Accepts QDate,
    // QDateTime, numbers and text; an empty text or null QVariant sets null.
    // Text that is not a number of a numeric field throws ConvertError.
    void setValue(const QString &name, const QVariant &value);

    // Any row, by position in the current order (for grid models).
    QVariant valueAt(int pos, int col) const;
    bool isNullAt(int pos, int col) const;
    QString textAt(int pos, int col) const;
    // The day number of a date column at pos (NaN for null).
    double dayNumberAt(int pos, int col) const;

    // --- navigation ----------------------------------------------------------
    int recordCount() const;
    int pos() const;  // -1 when empty
    int recNo() const; // pos() + 1; 0 when empty
    void setPos(int pos);
    bool bof() const;
    bool eof() const;
    bool isEmpty() const { return recordCount() == 0; }
    void first();
    void prior();
    void next();
    void last();
    Bookmark bookmark() const;
    Bookmark bookmarkAt(int pos) const;
    bool bookmarkValid(Bookmark b) const;
    bool gotoBookmark(Bookmark b); // false when the row is gone
    // Moves to the first row (in the current order) whose field equals value;
    // text compares without regard to case when caseInsensitive; partial
    // matches the beginning of the text. False (and no move) when none.
    bool locate(const QString &field, const QVariant &value, bool caseInsensitive = false, bool partial = false);

    // --- editing -------------------------------------------------------------
    // Every move, append, sort and locate first leaves Edit/Insert state: a
    // modified row is posted (which may throw), an untouched one cancelled.
    // Values set by newRecord handlers do not count as modifications.
    State state() const;
    bool isModified() const;
    bool isEditing() const { return state() == State::Edit || state() == State::Insert; }
    void append(); // new row at the end, Insert state, emits newRecord
    void edit();   // current row into Edit state
    // Writes the row back with bound parameters (insert reads the new key
    // back). On failure throws SqlError and stays in Edit/Insert state with
    // the user's values.
    void post();
    void cancel();
    // Deletes the current row from the table, then from the dataset. Throws
    // SqlError (row kept) on failure.
    void remove();

    // --- controls ------------------------------------------------------------
    // While disabled, the view notifications (dataReset, rowChanged,
    // rowInserted, rowRemoved, currentChanged) are held back; enabling again
    // sends one dataReset and currentChanged if anything was held. Calls nest.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const;

    // --- client-side sort ----------------------------------------------------
    // Sorts the fetched rows; text in pinyin order, nulls first ascending.
    // SortOrder::None returns to the query's order. The current row stays current.
    void sortBy(const QString &field, SortOrder order);
    void clearSort();
    QString sortField() const;
    SortOrder sortOrder() const;

    // Memory held by the rows (for benchmarks).
    qint64 memoryUsage() const;

signals:
    // Events for window code; sent whether controls are disabled or not.
    void afterOpen();
    void afterClose();
    void afterScroll();
    void stateChanged(Dataset::State state);
    void newRecord();
    void afterPost();
    void afterDelete();

    // View notifications (held while controls are disabled).
    void dataReset();
    void rowChanged(int pos);
    void rowInserted(int pos);
    void rowRemoved(int pos);
    void currentChanged(int pos);

private:
    struct Private;
    std::unique_ptr<Private> d;
};

#include "app/DatasetModel.h"

#include "app/MessageBoxes.h"

#include <cmath>

DatasetModel::DatasetModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

DatasetModel::~DatasetModel() = default;

void DatasetModel::setDataset(Dataset *dataset)
{
    if (m_dataset == dataset)
        return;
    for (const auto &c : std::as_const(m_connections))
        disconnect(c);
    m_connections.clear();
    m_dataset = dataset;
    if (dataset) {
        m_connections << connect(dataset, &Dataset::dataReset, this, &DatasetModel::onDataReset)
                      << connect(dataset, &Dataset::rowChanged, this, &DatasetModel::onRowChanged)
                      << connect(dataset, &Dataset::rowInserted, this, &DatasetModel::onRowInserted)
                      << connect(dataset, &Dataset::rowRemoved, this, &DatasetModel::onRowRemoved)
                      << connect(dataset, &QObject::destroyed, this, [this] {
                             beginResetModel();
                             m_rows = 0;
                             endResetModel();
                             invalidateSums();
                         });
    }
    onDataReset();
}

// --- columns -----------------------------------------------------------------

int DatasetModel::addColumn(const QString &field, const QString &title, int width)
{
    if (!m_designed && !m_columns.isEmpty()) {
        // The first designed column replaces the automatic ones.
        beginRemoveColumns({}, 0, int(m_columns.size()) - 1);
        m_columns.clear();
        m_sums.clear();
        m_sumValid.clear();
        endRemoveColumns();
    }
    m_designed = true;
    Column c;
    c.field = field;
    c.title = title.isEmpty() ? field : title;
    c.width = width > 0 ? width : 75;
    c.fieldIndex = hasData() ? m_dataset->fieldIndex(field) : -1;
    const int col = int(m_columns.size());
    beginInsertColumns({}, col, col);
    m_columns.append(c);
    m_sums.push_back(0);
    m_sumValid.push_back(0);
    endInsertColumns();
    return col;
}

void DatasetModel::clearColumns()
{
    if (!m_columns.isEmpty()) {
        beginRemoveColumns({}, 0, int(m_columns.size()) - 1);
        m_columns.clear();
        m_sums.clear();
        m_sumValid.clear();
        endRemoveColumns();
    }
    m_designed = false;
    onDataReset();
}

void DatasetModel::setColumnTitle(int col, const QString &title)
{
    if (!validColumn(col))
        return;
    m_columns[col].title = title;
    emit headerDataChanged(Qt::Horizontal, col, col);
    emit columnChanged(col);
}

void DatasetModel::setColumnWidth(int col, int width)
{
    if (validColumn(col) && width > 0)
        m_columns[col].width = width;
}

void DatasetModel::setColumnLists(int col, const QStringList &keys, const QStringList &picks)
{
    if (!validColumn(col))
        return;
    Column &c = m_columns[col];
    c.keyList = keys;
    c.pickList = picks;
    c.keyPos.clear();
    for (int i = 0; i < keys.size(); ++i) {
        if (!c.keyPos.contains(keys.at(i)))
            c.keyPos.insert(keys.at(i), i);
    }
    if (m_rows > 0)
        emit dataChanged(index(0, col), index(m_rows - 1, col), {Qt::DisplayRole, Qt::TextAlignmentRole});
    emit columnChanged(col);
}

void DatasetModel::setColumnCheckBox(int col, bool on, const QVariant &checked, const QVariant &unchecked)
{
    if (!validColumn(col))
        return;
    Column &c = m_columns[col];
    c.checkBox = on;
    c.checkedValue = checked;
    c.uncheckedValue = unchecked;
    if (m_rows > 0)
        emit dataChanged(index(0, col), index(m_rows - 1, col));
    emit columnChanged(col);
}

void DatasetModel::setColumnReadOnly(int col, bool readOnly)
{
    if (validColumn(col))
        m_columns[col].readOnly = readOnly;
}

void DatasetModel::setColumnAlignment(int col, Qt::Alignment alignment)
{
    if (!validColumn(col))
        return;
    m_columns[col].alignment = alignment;
    if (m_rows > 0)
        emit dataChanged(index(0, col), index(m_rows - 1, col), {Qt::TextAlignmentRole});
}

void DatasetModel::setColumnFooterSum(int col, bool on)
{
    if (!validColumn(col))
        return;
    m_columns[col].footerSum = on;
    m_sumValid[size_t(col)] = 0;
    emit columnChanged(col);
}

void DatasetModel::setColumnMarker(int col, Dataset::SortOrder marker)
{
    if (!validColumn(col) || m_columns[col].marker == marker)
        return;
    m_columns[col].marker = marker;
    emit headerDataChanged(Qt::Horizontal, col, col);
    emit columnChanged(col);
}

void DatasetModel::setEditable(bool on)
{
    m_editable = on;
}

// --- values ------------------------------------------------------------------

QString DatasetModel::codeName(const Column &c, const QString &text) const
{
    const auto it = c.keyPos.constFind(text);
    if (it == c.keyPos.constEnd() || *it >= c.pickList.size())
        return text;
    return c.pickList.at(*it);
}

QString DatasetModel::displayText(int row, int col) const
{
    if (!validColumn(col) || row < 0 || row >= m_rows || !hasData() || row >= m_dataset->recordCount())
        return {};
    const Column &c = m_columns.at(col);
    if (c.fieldIndex < 0)
        return {};
    if (c.checkBox)
        return isChecked(row, col) ? QStringLiteral("√") : QString();
    const QString text = m_dataset->textAt(row, c.fieldIndex);
    return c.keyPos.isEmpty() ? text : codeName(c, text);
}

bool DatasetModel::isChecked(int row, int col) const
{
    const Column &c = m_columns.at(col);
    if (c.fieldIndex < 0 || m_dataset->isNullAt(row, c.fieldIndex))
        return false;
    // Compared as text, so 1, 1.0 and '1' all match a checked value of 1.
    const QString text = m_dataset->textAt(row, c.fieldIndex);
    if (c.checkedValue.typeId() == QMetaType::Double)
        return text.toDouble() == c.checkedValue.toDouble();
    return text == c.checkedValue.toString();
}

bool DatasetModel::isNumeric(int col) const
{
    if (!validColumn(col) || !hasData())
        return false;
    const int f = m_columns.at(col).fieldIndex;
    if (f < 0)
        return false;
    const auto k = m_dataset->fieldKind(f);
    return k == Dataset::FieldKind::Int32 || k == Dataset::FieldKind::Int64 || k == Dataset::FieldKind::Double;
}

bool DatasetModel::columnIsIntegral(int col) const
{
    if (!validColumn(col) || !hasData() || m_columns.at(col).fieldIndex < 0)
        return false;
    const auto k = m_dataset->fieldKind(m_columns.at(col).fieldIndex);
    return k == Dataset::FieldKind::Int32 || k == Dataset::FieldKind::Int64;
}

double DatasetModel::columnSum(int col) const
{
    if (!validColumn(col) || !hasData())
        return 0;
    if (m_sumValid[size_t(col)])
        return m_sums[size_t(col)];
    double sum = 0;
    const int f = m_columns.at(col).fieldIndex;
    if (f >= 0 && isNumeric(col)) {
        const int n = m_dataset->recordCount();
        for (int p = 0; p < n; ++p) {
            if (!m_dataset->isNullAt(p, f))
                sum += m_dataset->valueAt(p, f).toDouble();
        }
    }
    m_sums[size_t(col)] = sum;
    m_sumValid[size_t(col)] = 1;
    return sum;
}

void DatasetModel::invalidateSums()
{
    std::fill(m_sumValid.begin(), m_sumValid.end(), 0);
    emit rowsChanged();
}

// --- dataset notifications ---------------------------------------------------

bool DatasetModel::autoColumnsMatch() const
{
    const int n = hasData() ? m_dataset->fieldCount() : 0;
    if (n != m_columns.size())
        return false;
    for (int i = 0; i < n; ++i) {
        if (m_columns.at(i).field.compare(m_dataset->fieldName(i), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

void DatasetModel::resolveFields()
{
    for (Column &c : m_columns)
        c.fieldIndex = hasData() ? m_dataset->fieldIndex(c.field) : -1;
}

void DatasetModel::onDataReset()
{
    // Closing keeps the automatic columns, so that reopening the same
    // statement keeps the user's layout.
    const bool rebuild = !m_designed && hasData() && !autoColumnsMatch();
    beginResetModel();
    if (rebuild) {
        m_columns.clear();
        const int n = hasData() ? m_dataset->fieldCount() : 0;
        for (int i = 0; i < n; ++i) {
            Column c;
            c.field = c.title = m_dataset->fieldName(i);
            m_columns.append(c);
        }
        m_sums.assign(size_t(n), 0);
        m_sumValid.assign(size_t(n), 0);
    }
    resolveFields();
    m_rows = hasData() ? m_dataset->recordCount() : 0;
    endResetModel();
    invalidateSums();
    if (rebuild)
        emit columnsRebuilt();
}

void DatasetModel::onRowChanged(int pos)
{
    if (pos >= 0 && pos < m_rows && !m_columns.isEmpty())
        emit dataChanged(index(pos, 0), index(pos, int(m_columns.size()) - 1));
    invalidateSums();
}

void DatasetModel::onRowInserted(int pos)
{
    if (pos < 0 || pos > m_rows) {
        onDataReset();
        return;
    }
    beginInsertRows({}, pos, pos);
    ++m_rows;
    endInsertRows();
    invalidateSums();
}

void DatasetModel::onRowRemoved(int pos)
{
    if (pos < 0 || pos >= m_rows) {
        onDataReset();
        return;
    }
    beginRemoveRows({}, pos, pos);
    --m_rows;
    endRemoveRows();
    invalidateSums();
}

// --- QAbstractItemModel ------------------------------------------------------

int DatasetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int DatasetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant DatasetModel::data(const QModelIndex &index, int role) const
{
    const int row = index.row();
    const int col = index.column();
    if (!index.isValid() || row >= m_rows || col >= m_columns.size() || !m_dataset)
        return {};
    const Column &c = m_columns.at(col);
    if (c.fieldIndex < 0 || row >= m_dataset->recordCount())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        if (c.checkBox)
            return {};
        return c.keyPos.isEmpty() ? m_dataset->textAt(row, c.fieldIndex) : codeName(c, m_dataset->textAt(row, c.fieldIndex));
    case Qt::EditRole:
        // Pick-list columns edit the stored code; others the text as shown.
        return m_dataset->textAt(row, c.fieldIndex);
    case Qt::CheckStateRole:
        if (!c.checkBox)
            return {};
        return isChecked(row, col) ? Qt::Checked : Qt::Unchecked;
    case Qt::TextAlignmentRole:
        if (c.checkBox)
            return int(Qt::AlignCenter);
        if (c.alignment)
            return int(c.alignment | Qt::AlignVCenter);
        if (c.keyPos.isEmpty() && isNumeric(col))
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return int(Qt::AlignLeft | Qt::AlignVCenter);
    default:
        return {};
    }
}

QVariant DatasetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    return validColumn(section) ? m_columns.at(section).title : QVariant();
}

Qt::ItemFlags DatasetModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !validColumn(index.column()))
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const Column &c = m_columns.at(index.column());
    if (m_editable && !c.readOnly && c.fieldIndex >= 0 && hasData() && !m_dataset->fieldReadOnly(c.fieldIndex)) {
        f |= Qt::ItemIsEditable;
        if (c.checkBox)
            f |= Qt::ItemIsUserCheckable;
    }
    return f;
}

void DatasetModel::beginEdit(int row)
{
    if (!m_dataset || !m_dataset->isOpen() || m_dataset->isEditing())
        return;
    try {
        if (m_dataset->pos() != row)
            m_dataset->setPos(row);
        m_dataset->edit();
    } catch (const AppError &e) {
        ShowError(e.message());
    }
}

bool DatasetModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!(flags(index) & Qt::ItemIsEditable))
        return false;
    const Column &c = m_columns.at(index.column());
    QVariant v = value;
    if (role == Qt::CheckStateRole) {
        if (!c.checkBox)
            return false;
        v = Qt::CheckState(value.toInt()) == Qt::Checked ? c.checkedValue : c.uncheckedValue;
    } else if (role != Qt::EditRole) {
        return false;
    }
    const QString field = m_dataset->fieldName(c.fieldIndex);
    try {
        if (m_dataset->pos() != index.row())
            m_dataset->setPos(index.row());
        if (role == Qt::EditRole && !m_dataset->isEditing() && v.toString() == m_dataset->text(field))
            return true; // untouched cell: no edit state
        m_dataset->edit();
        m_dataset->setValue(field, v);
    } catch (const AppError &e) {
        ShowError(e.message());
        return false;
    }
    return true;
}

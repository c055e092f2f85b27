#include "data/Dataset.h"

#include "app/Conversions.h"

#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/Schema.h"

#include <QCollator>
#include <QDateTime>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <type_traits>
#include <vector>

#ifdef Q_OS_LINUX
#include <sys/mman.h>
#include <unistd.h>
#ifdef MADV_POPULATE_WRITE
constexpr int kPopulateWrite = MADV_POPULATE_WRITE;
#else
constexpr int kPopulateWrite = 23; // Linux 5.14
#endif
#endif

using FieldKind = Dataset::FieldKind;

namespace {


bool fitsInt32(qint64 v)
{
    return v >= std::numeric_limits<qint32>::min() && v <= std::numeric_limits<qint32>::max();
}

// Whole doubles within the range where qint64 holds them exactly.
bool wholeInt64(double d, qint64 *out)
{
    if (!std::isfinite(d) || d != std::floor(d) || std::fabs(d) > 9007199254740992.0)
        return false;
    *out = qint64(d);
    return true;
}

QString numberText(double d)
{
    return QString::number(d, 'g', QLocale::FloatingPointShortest);
}

// Day numbers count from 1899-12-30 with the time of day as a fraction that,
// before that day, counts away from zero; the network store's numbers are two
// smaller (shift 2), as the SQL text helpers write them.
const QDate kDayZero(1899, 12, 30);

QDate dateOf(double shift, double dayNumber)
{
    return kDayZero.addDays(qint64(std::trunc(dayNumber + shift)));
}

double dayNumberOf(double shift, const QDateTime &dt)
{
    return DateToDayNumber(dt) - shift;
}

double dayNumberOf(double shift, const QDate &date)
{
    return double(kDayZero.daysTo(date)) - shift;
}

// "yyyy-MM-dd" with an optional time; one-digit months and days and '/' too.
bool parseDateText(const QString &text, double shift, double *dayNumber)
{
    const QString t = text.trimmed();
    static const char *const formats[] = {"yyyy-MM-dd", "yyyy-M-d", "yyyy/M/d", "yyyy-MM-dd hh:mm:ss",
                                          "yyyy-MM-dd hh:mm", "yyyy-M-d h:m:s", "yyyy-MM-ddThh:mm:ss",
                                          "yyyy-MM-dd hh:mm:ss.zzz"};
    for (const char *f : formats) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(f));
        if (dt.isValid()) {
            *dayNumber = dayNumberOf(shift, dt);
            return true;
        }
    }
    return false;
}

bool isIdentChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

// The first table named after a "from" outside brackets, quotes and comments.
QString firstTableAfterFrom(const QString &sql)
{
    const int n = sql.size();
    int depth = 0;
    int i = 0;
    bool expectTable = false;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'')) {
            for (++i; i < n && sql.at(i) != QLatin1Char('\''); ++i) {
            }
            ++i;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            while (i < n && sql.at(i) != QLatin1Char('\n'))
                ++i;
        } else if (c == QLatin1Char('(')) {
            ++depth;
            ++i;
            expectTable = false;
        } else if (c == QLatin1Char(')')) {
            --depth;
            ++i;
        } else if (isIdentChar(c) || c == QLatin1Char('"') || c == QLatin1Char('[')) {
            int start = i;
            QString word;
            if (c == QLatin1Char('"') || c == QLatin1Char('[')) {
                const QChar close = c == QLatin1Char('"') ? QLatin1Char('"') : QLatin1Char(']');
                for (++i; i < n && sql.at(i) != close; ++i) {
                }
                word = sql.mid(start + 1, i - start - 1);
                ++i;
            } else {
                while (i < n && (isIdentChar(sql.at(i)) || sql.at(i) == QLatin1Char('.')))
                    ++i;
                word = sql.mid(start, i - start);
            }
            if (expectTable)
                return word.mid(word.lastIndexOf(QLatin1Char('.')) + 1);
            if (depth == 0 && word.compare(QLatin1String("from"), Qt::CaseInsensitive) == 0)
                expectTable = true;
        } else {
            if (!c.isSpace())
                expectTable = false;
            ++i;
        }
    }
    return {};
}

ColType schemaType(const QString &table, const QString &column, bool *found)
{
    *found = false;
    if (const TableDef *t = Schema::table(table)) {
        if (const ColumnDef *c = t->column(column)) {
            *found = true;
            return c->type;
        }
    }
    for (const TableDef &t : Schema::tables()) {
        if (const ColumnDef *c = t.column(column)) {
            *found = true;
            return c->type;
        }
    }
    return ColType::Text;
}

// Field codes of date fields and the lending dates: by name, as the stores
// hold every date as a plain number.
bool dateByName(const QString &name)
{
    if (Schema::isFieldCode(name))
        return Schema::fieldType(name) == QLatin1Char('D');
    return name.startsWith(QLatin1Char('D'), Qt::CaseInsensitive);
}

QString sqlErrorText(const QSqlError &e)
{
    const QString t = e.text().trimmed();
    return t.isEmpty() ? QStringLiteral("数据库操作失败。") : t;
}

} // namespace

// ---------------------------------------------------------------------------
// A growable array of plain values. Large ones live in their own mapping and
// grow and shrink with mremap, so filling a column of a million rows never
// copies it (std::vector would copy it about twice: growing and fitting).
template <typename T>
class PodBuffer {
    static_assert(std::is_trivially_copyable_v<T>);

public:
    PodBuffer() = default;
    PodBuffer(const PodBuffer &) = delete;
    PodBuffer &operator=(const PodBuffer &) = delete;
    PodBuffer(PodBuffer &&o) noexcept { swap(o); }
    PodBuffer &operator=(PodBuffer &&o) noexcept
    {
        PodBuffer(std::move(o)).swap(*this);
        return *this;
    }
    ~PodBuffer() { release(); }

    void swap(PodBuffer &o) noexcept
    {
        std::swap(m_data, o.m_data);
        std::swap(m_size, o.m_size);
        std::swap(m_cap, o.m_cap);
        std::swap(m_mapped, o.m_mapped);
    }

    size_t size() const { return m_size; }
    bool empty() const { return m_size == 0; }
    size_t capacity() const { return m_cap; }
    T *data() { return m_data; }
    const T *data() const { return m_data; }
    T &operator[](size_t i) { return m_data[i]; }
    const T &operator[](size_t i) const { return m_data[i]; }
    T &back() { return m_data[m_size - 1]; }
    const T *begin() const { return m_data; }
    const T *end() const { return m_data + m_size; }

    void push_back(T v)
    {
        if (m_size == m_cap)
            grow(m_size + 1);
        m_data[m_size++] = v;
    }
    void append(const T *p, size_t n)
    {
        if (m_size + n > m_cap)
            grow(m_size + n);
        if (n)
            std::memcpy(m_data + m_size, p, n * sizeof(T));
        m_size += n;
    }
    template <typename U>
    void assignFrom(const PodBuffer<U> &src)
    {
        PodBuffer out;
        out.grow(src.size());
        for (size_t i = 0; i < src.size(); ++i)
            out.m_data[i] = T(src[i]);
        out.m_size = src.size();
        swap(out);
    }
    void shrinkToFit()
    {
        if (m_cap > m_size)
            resizeStorage(m_size);
    }

private:
    static constexpr size_t kMapFrom = size_t(1) << 20;
    static constexpr size_t kMapStep = size_t(2) << 20;
    T *m_data = nullptr;
    size_t m_size = 0;
    size_t m_cap = 0;
    bool m_mapped = false;

    void grow(size_t need)
    {
        size_t cap = std::max<size_t>(16, m_cap + m_cap / 2);
        // A mapping grows without copying, so it can grow in small steps that
        // are filled in at once (much cheaper than a fault per page).
        if (m_mapped)
            cap = std::min(cap, m_cap + kMapStep / sizeof(T));
        resizeStorage(std::max(cap, need));
    }

    void release()
    {
        if (!m_data)
            return;
#ifdef Q_OS_LINUX
        if (m_mapped)
            munmap(m_data, m_cap * sizeof(T));
        else
#endif
            std::free(m_data);
        m_data = nullptr;
        m_size = m_cap = 0;
        m_mapped = false;
    }

    void resizeStorage(size_t cap)
    {
        if (cap == 0) {
            release();
            return;
        }
#ifdef Q_OS_LINUX
        static const size_t page = size_t(sysconf(_SC_PAGESIZE));
        size_t bytes = cap * sizeof(T);
        if (bytes >= kMapFrom || m_mapped) {
            bytes = (bytes + page - 1) / page * page;
            void *p = MAP_FAILED;
            const size_t oldBytes = m_mapped ? m_cap * sizeof(T) : 0;
            if (m_mapped)
                p = mremap(m_data, oldBytes, bytes, MREMAP_MAYMOVE);
            else
                p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (p == MAP_FAILED)
                throw std::bad_alloc();
            if (bytes > oldBytes) // best effort: older kernels refuse, pages then fault in one by one
                madvise(static_cast<char *>(p) + oldBytes, bytes - oldBytes, kPopulateWrite);
            if (!m_mapped && m_data) {
                std::memcpy(p, m_data, m_size * sizeof(T));
                std::free(m_data);
            }
            m_data = static_cast<T *>(p);
            m_cap = bytes / sizeof(T);
            m_mapped = true;
            return;
        }
#endif
        void *p = std::realloc(m_data, cap * sizeof(T));
        if (!p)
            throw std::bad_alloc();
        m_data = static_cast<T *>(p);
        m_cap = cap;
    }
};

// ---------------------------------------------------------------------------
// Column store: per column one typed vector holding the non-null values only,
// a presence bitmap, and per 64 slots the number of values before them, so a
// slot finds its value with one popcount. Archive tables leave many fields
// empty; those cost a bit and a half per row. Slots are only ever appended; a
// posted edit writes the row into a new slot.

class DatasetStorage {
public:
    struct Column {
        QString name;
        FieldKind kind = FieldKind::Text;
        bool decided = true; // false: kind still taken from the values
        PodBuffer<quint64> present; // bit set: the slot holds a value
        PodBuffer<quint32> rank;    // values held before each word of present
        quint32 values = 0;
        PodBuffer<qint32> i32;
        PodBuffer<qint64> i64;
        PodBuffer<double> dbl; // Double and Date
        PodBuffer<quint32> offsets; // Text: end of each value in chars (the first starts at 0)
        PodBuffer<char16_t> chars;

        bool isNull(int slot) const { return !((present[size_t(slot) >> 6] >> (slot & 63)) & 1U); }
        // Index of a non-null slot's value.
        size_t idx(int slot) const
        {
            const size_t w = size_t(slot) >> 6;
            const quint64 below = present[w] & ((quint64(1) << (slot & 63)) - 1);
            return rank[w] + size_t(__builtin_popcountll(below));
        }
        QStringView textAt(size_t k) const
        {
            const quint32 b = k ? offsets[k - 1] : 0;
            return QStringView(chars.data() + b, qsizetype(offsets[k] - b));
        }
        QStringView textView(int slot) const { return textAt(idx(slot)); }
        qint64 bytes() const
        {
            return qint64(present.capacity() * sizeof(quint64) + rank.capacity() * sizeof(quint32)
                          + i32.capacity() * sizeof(qint32)
                          + i64.capacity() * sizeof(qint64) + dbl.capacity() * sizeof(double)
                          + offsets.capacity() * sizeof(quint32) + chars.capacity() * sizeof(char16_t));
        }
    };

    std::vector<Column> cols;
    int slotCount = 0;
    double dayShift = 0; // 2 in the network store

    // --- appending one slot, column by column (the caller ends it with endSlot)
    void markSlot(Column &c, bool present)
    {
        const size_t s = size_t(slotCount);
        if ((s & 63) == 0) {
            c.present.push_back(0);
            c.rank.push_back(c.values);
        }
        if (present) {
            c.present.back() |= quint64(1) << (s & 63);
            ++c.values;
        }
    }
    void pushNull(Column &c) { markSlot(c, false); }
    void pushText(Column &c, const QChar *data, qsizetype len)
    {
        markSlot(c, true);
        c.chars.append(reinterpret_cast<const char16_t *>(data), size_t(len));
        if (c.chars.size() > std::numeric_limits<quint32>::max())
            throw AppError(QStringLiteral("字段 %1 的文字太多，无法全部装入。").arg(c.name));
        c.offsets.push_back(quint32(c.chars.size()));
    }
    void pushText(Column &c, const QString &s) { pushText(c, s.constData(), s.size()); }

    // A value the store returned, converted to the column's kind; a value that
    // does not fit widens the column (int -> int64 -> double -> text) instead
    // of being lost.
    void pushFetched(Column &c, const QVariant &v)
    {
        if (v.isNull()) {
            pushNull(c);
            return;
        }
        const int t = v.typeId();
        switch (c.kind) {
        case FieldKind::Text:
            if (t == QMetaType::QString) {
                pushText(c, *static_cast<const QString *>(v.constData()));
                return;
            }
            break;
        case FieldKind::Int32:
            if (t == QMetaType::Int) {
                markSlot(c, true);
                c.i32.push_back(*static_cast<const int *>(v.constData()));
                return;
            }
            if (t == QMetaType::LongLong) {
                const qint64 x = *static_cast<const qlonglong *>(v.constData());
                if (fitsInt32(x)) {
                    markSlot(c, true);
                    c.i32.push_back(qint32(x));
                    return;
                }
            }
            break;
        case FieldKind::Int64:
            if (t == QMetaType::LongLong || t == QMetaType::Int) {
                markSlot(c, true);
                c.i64.push_back(v.toLongLong());
                return;
            }
            break;
        case FieldKind::Double:
        case FieldKind::Date:
            if (t == QMetaType::Double) {
                markSlot(c, true);
                c.dbl.push_back(*static_cast<const double *>(v.constData()));
                return;
            }
            if (t == QMetaType::LongLong || t == QMetaType::Int) {
                markSlot(c, true);
                c.dbl.push_back(double(v.toLongLong()));
                return;
            }
            break;
        }
        pushSlow(c, v);
    }

    void pushSlow(Column &c, const QVariant &v)
    {
        enum { Int, Real, Date, Text } cls;
        qint64 iv = 0;
        double dv = 0;
        QString sv;
        switch (v.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Char:
        case QMetaType::SChar:
        case QMetaType::UChar:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
            cls = Int;
            iv = v.toLongLong();
            break;
        case QMetaType::ULong:
        case QMetaType::ULongLong:
            if (v.toULongLong() <= quint64(std::numeric_limits<qint64>::max())) {
                cls = Int;
                iv = v.toLongLong();
            } else {
                cls = Real;
                dv = v.toDouble();
            }
            break;
        case QMetaType::Float:
        case QMetaType::Double:
            cls = Real;
            dv = v.toDouble();
            break;
        case QMetaType::QDate:
            cls = Date;
            dv = dayNumberOf(dayShift, v.toDate());
            break;
        case QMetaType::QDateTime:
            cls = Date;
            dv = dayNumberOf(dayShift, v.toDateTime());
            break;
        case QMetaType::QByteArray:
            cls = Text;
            sv = QString::fromUtf8(v.toByteArray());
            break;
        default:
            cls = Text;
            sv = v.toString();
            break;
        }
        if (cls == Text && c.decided && c.kind != FieldKind::Text) {
            // Stores without strict types may hand numbers and dates back as text.
            bool ok = false;
            const QString s = sv.trimmed();
            if (s.isEmpty()) { // a blank in a number column holds no value
                pushNull(c);
                return;
            }
            iv = s.toLongLong(&ok);
            if (ok) {
                cls = Int;
            } else if (dv = s.toDouble(&ok); ok) {
                cls = Real;
            } else if (c.kind == FieldKind::Date && parseDateText(s, dayShift, &dv)) {
                cls = Date;
            }
        }
        if (!c.decided) {
            c.decided = true;
            if (cls == Text)
                widen(c, FieldKind::Text);
            else if (cls == Date)
                widen(c, FieldKind::Date);
            else if (cls == Real)
                widen(c, FieldKind::Double);
        }
        switch (c.kind) {
        case FieldKind::Int32:
            if (cls == Int && fitsInt32(iv)) {
                markSlot(c, true);
                c.i32.push_back(qint32(iv));
                return;
            }
            if (cls == Real && wholeInt64(dv, &iv) && fitsInt32(iv)) {
                markSlot(c, true);
                c.i32.push_back(qint32(iv));
                return;
            }
            if (cls == Int || (cls == Real && wholeInt64(dv, &iv))) {
                widen(c, FieldKind::Int64);
                markSlot(c, true);
                c.i64.push_back(iv);
                return;
            }
            widen(c, cls == Text ? FieldKind::Text : FieldKind::Double);
            break;
        case FieldKind::Int64:
            if (cls == Int || (cls == Real && wholeInt64(dv, &iv))) {
                markSlot(c, true);
                c.i64.push_back(iv);
                return;
            }
            widen(c, cls == Text ? FieldKind::Text : FieldKind::Double);
            break;
        case FieldKind::Double:
        case FieldKind::Date:
            if (cls == Text)
                widen(c, FieldKind::Text);
            break;
        case FieldKind::Text:
            break;
        }
        if (c.kind == FieldKind::Text) {
            if (cls == Int)
                sv = QString::number(iv);
            else if (cls == Real)
                sv = numberText(dv);
            else if (cls == Date)
                sv = v.typeId() == QMetaType::QDateTime ? v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"))
                                                        : v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
            pushText(c, sv);
        } else {
            markSlot(c, true);
            c.dbl.push_back(cls == Int ? double(iv) : dv);
        }
    }

    // Changes a column's kind, converting the slotCount it already holds.
    void widen(Column &c, FieldKind to)
    {
        if (c.kind == to)
            return;
        if (to == FieldKind::Text) {
            PodBuffer<quint32> offsets;
            PodBuffer<char16_t> chars;
            for (size_t k = 0; k < c.values; ++k) {
                const QString t = valueText(c, k);
                chars.append(reinterpret_cast<const char16_t *>(t.constData()), size_t(t.size()));
                offsets.push_back(quint32(chars.size()));
            }
            c.offsets.swap(offsets);
            c.chars.swap(chars);
        } else if (to == FieldKind::Int64) {
            c.i64.assignFrom(c.i32);
        } else if (to == FieldKind::Double || to == FieldKind::Date) {
            if (c.kind == FieldKind::Int32)
                c.dbl.assignFrom(c.i32);
            else if (c.kind == FieldKind::Int64)
                c.dbl.assignFrom(c.i64);
        }
        c.i32 = PodBuffer<qint32>();
        c.i64 = PodBuffer<qint64>();
        if (to != FieldKind::Double && to != FieldKind::Date)
            c.dbl = PodBuffer<double>();
        c.kind = to;
    }

    // --- reading
    // A present text, empty or not, is never the null string: a column whose
    // values are all empty holds no characters, and a view of them would give
    // a null string, which binds as NULL.
    static QString presentText(const Column &c, size_t k)
    {
        QString t = c.textAt(k).toString();
        if (t.isNull())
            t = QStringLiteral("");
        return t;
    }

    QString valueText(const Column &c, size_t k) const
    {
        switch (c.kind) {
        case FieldKind::Int32: return QString::number(c.i32[k]);
        case FieldKind::Int64: return QString::number(c.i64[k]);
        case FieldKind::Double: return numberText(c.dbl[k]);
        case FieldKind::Date: return dateOf(dayShift, c.dbl[k]).toString(QStringLiteral("yyyy-MM-dd"));
        case FieldKind::Text: return presentText(c, k);
        }
        return {};
    }
    QString cellText(const Column &c, int s) const { return c.isNull(s) ? QString() : valueText(c, c.idx(s)); }

    // The cell as the edit buffer holds it: int, qlonglong, double (dates as
    // day numbers) or QString; QVariant() for null.
    QVariant rawCell(const Column &c, int s) const
    {
        if (c.isNull(s))
            return {};
        const size_t k = c.idx(s);
        switch (c.kind) {
        case FieldKind::Int32: return int(c.i32[k]);
        case FieldKind::Int64: return qlonglong(c.i64[k]);
        case FieldKind::Double:
        case FieldKind::Date: return c.dbl[k];
        case FieldKind::Text: return presentText(c, k);
        }
        return {};
    }

    void pushRaw(Column &c, const QVariant &v)
    {
        if (v.isNull()) {
            pushNull(c);
            return;
        }
        switch (c.kind) {
        case FieldKind::Int32: markSlot(c, true); c.i32.push_back(qint32(v.toInt())); break;
        case FieldKind::Int64: markSlot(c, true); c.i64.push_back(v.toLongLong()); break;
        case FieldKind::Double:
        case FieldKind::Date: markSlot(c, true); c.dbl.push_back(v.toDouble()); break;
        case FieldKind::Text: pushText(c, v.toString()); break;
        }
    }

    int appendRow(const QVector<QVariant> &raw)
    {
        for (size_t i = 0; i < cols.size(); ++i)
            pushRaw(cols[i], raw.at(int(i)));
        return slotCount++;
    }

    void finishFetch()
    {
        for (Column &c : cols) {
            if (!c.decided) { // only nulls came: text takes any value later
                widen(c, FieldKind::Text);
                c.decided = true;
            }
            c.present.shrinkToFit();
            c.rank.shrinkToFit();
            c.i32.shrinkToFit();
            c.i64.shrinkToFit();
            c.dbl.shrinkToFit();
            c.offsets.shrinkToFit();
            c.chars.shrinkToFit();
        }
    }

    qint64 bytes() const
    {
        qint64 b = 0;
        for (const Column &c : cols)
            b += c.bytes();
        return b;
    }
};

// ---------------------------------------------------------------------------

struct Dataset::Private {
    Dataset *q = nullptr;
    QString connectionName; // empty: the shared connection
    QString sql;
    State state = State::Inactive;

    DatasetStorage store;
    QHash<QString, int> exactIndex; // names as the driver returned them
    QHash<QString, int> lowerIndex;
    QHash<QString, bool> dateOverrides; // lower-case name -> date or not

    // Rows: a row id (the bookmark) names a slot; the order lists row ids.
    std::vector<qint32> slotOf; // -1: deleted, or the pending insert
    std::vector<qint32> order;  // current order
    std::vector<qint32> base;   // the query's order while a sort is active, else empty
    int pos = -1;
    bool bof = true;
    bool eof = true;

    // Sort
    QString sortField;
    SortOrder sortOrder = SortOrder::None;

    // Update table
    QString explicitTable;
    QStringList explicitKeys;
    bool hasExplicitTable = false;
    QString table;             // effective update table
    QStringList keyColumns;    // its key columns (empty: every column)
    QString autoColumn;        // its auto-number column
    std::vector<QString> tableColumn; // per result column: the table's column name, or empty
    int autoCol = -1;          // result column of the auto-number key

    // Edit buffer (Edit and Insert states)
    QVector<QVariant> original;
    QVector<QVariant> current;
    QVector<bool> changed;
    bool modified = false;
    bool inNewRecord = false;
    qint32 editRow = -1;       // row id being edited or inserted
    qint32 rowBeforeInsert = -1;

    // Controls
    int disableCount = 0;
    bool heldView = false;

    QSqlDatabase db() const
    {
        return QSqlDatabase::database(connectionName.isEmpty() ? Connection::name() : connectionName, false);
    }

    bool isNetworkStore() const { return db().driverName() == QLatin1String("QPSQL"); }

    // --- view notifications
    template <typename Fn>
    void view(Fn &&fn)
    {
        if (disableCount > 0)
            heldView = true;
        else
            fn();
    }

    void requireOpen() const
    {
        if (state == State::Inactive)
            throw AppError(QStringLiteral("数据集没有打开，不能执行此操作。"));
    }

    int col(const QString &name) const
    {
        const int c = q->fieldIndex(name);
        if (c < 0)
            throw AppError(QStringLiteral("找不到字段“%1”。").arg(name));
        return c;
    }

    bool editingPos(int p) const { return (state == State::Edit || state == State::Insert) && p == pos; }

    int posOfRow(qint32 row) const
    {
        const auto it = std::find(order.begin(), order.end(), row);
        return it == order.end() ? -1 : int(it - order.begin());
    }

    QVariant raw(int p, int c) const
    {
        if (editingPos(p))
            return current.at(c);
        return store.rawCell(store.cols[size_t(c)], slotOf[size_t(order[size_t(p)])]);
    }

    // Leaves Edit/Insert state before a move: posts a modified row, cancels
    // an untouched one.
    void checkBrowseMode()
    {
        if (state == State::Edit || state == State::Insert) {
            if (modified)
                q->post();
            else
                q->cancel();
        }
    }

    void setState(State s)
    {
        if (state == s)
            return;
        state = s;
        emit q->stateChanged(s);
    }

    void moveTo(int p)
    {
        pos = p;
        view([&] { emit q->currentChanged(pos); });
    }

    void resolveUpdateTable()
    {
        table = hasExplicitTable ? explicitTable : firstTableAfterFrom(sql);
        keyColumns.clear();
        autoColumn.clear();
        QStringList columns;
        if (const TableDef *t = Schema::table(table)) {
            table = t->name;
            keyColumns = t->keyColumns;
            autoColumn = t->autoNumberColumn();
            for (const ColumnDef &c : t->columns)
                columns.append(c.name);
        } else if (!table.isEmpty()) {
            const QSqlRecord rec = db().record(table);
            for (int i = 0; i < rec.count(); ++i) {
                columns.append(rec.fieldName(i));
                if (rec.field(i).isAutoValue() && autoColumn.isEmpty())
                    autoColumn = rec.fieldName(i);
            }
        }
        if (hasExplicitTable && !explicitKeys.isEmpty())
            keyColumns = explicitKeys;
        tableColumn.assign(store.cols.size(), QString());
        autoCol = -1;
        QSet<QString> taken;
        for (size_t i = 0; i < store.cols.size(); ++i) {
            const QString lower = store.cols[i].name.toLower();
            if (taken.contains(lower))
                continue; // a repeated name (a join's second AIID) is never written
            taken.insert(lower);
            for (const QString &c : columns) {
                if (c.compare(lower, Qt::CaseInsensitive) == 0) {
                    tableColumn[i] = c;
                    if (c.compare(autoColumn, Qt::CaseInsensitive) == 0)
                        autoCol = int(i);
                    break;
                }
            }
        }
    }

    FieldKind initialKind(const QSqlField &f, const QString &updateTable, bool *decided) const
    {
        *decided = true;
        const QString name = f.name();
        const auto over = dateOverrides.constFind(name.toLower());
        if (over != dateOverrides.constEnd() && over.value())
            return FieldKind::Date;
        bool inSchema = false;
        const ColType st = schemaType(updateTable, name, &inSchema);
        FieldKind kind = FieldKind::Text;
        const bool sqlite = !isNetworkStore();
        if (inSchema) {
            switch (st) {
            case ColType::AutoNumber:
            case ColType::Integer:
            case ColType::SmallInt: kind = FieldKind::Int32; break;
            case ColType::Float: kind = FieldKind::Double; break;
            case ColType::DateTime: kind = FieldKind::Date; break;
            case ColType::Text: kind = FieldKind::Text; break;
            }
        } else {
            switch (f.metaType().id()) {
            case QMetaType::Bool:
            case QMetaType::Char:
            case QMetaType::SChar:
            case QMetaType::UChar:
            case QMetaType::Short:
            case QMetaType::UShort:
            case QMetaType::Int:
                // SQLite integers are 64-bit whatever the driver calls them.
                kind = sqlite ? FieldKind::Int64 : FieldKind::Int32;
                break;
            case QMetaType::UInt:
            case QMetaType::Long:
            case QMetaType::ULong:
            case QMetaType::LongLong:
            case QMetaType::ULongLong: kind = FieldKind::Int64; break;
            case QMetaType::Float:
            case QMetaType::Double: kind = dateByName(name) ? FieldKind::Date : FieldKind::Double; break;
            case QMetaType::QDate:
            case QMetaType::QDateTime: kind = FieldKind::Date; break;
            case QMetaType::UnknownType:
                *decided = false;
                kind = FieldKind::Int32;
                break;
            default: kind = FieldKind::Text; break;
            }
        }
        if (over != dateOverrides.constEnd() && !over.value() && kind == FieldKind::Date)
            kind = FieldKind::Double;
        return kind;
    }

    // --- conversions of values given by callers
    QVariant normalize(int c, const QVariant &v) const
    {
        const auto &column = store.cols[size_t(c)];
        if (v.isNull() || !v.isValid())
            return {};
        const int t = v.typeId();
        if (t == QMetaType::QString && v.toString().isEmpty())
            return {};
        const QString name = column.name;
        auto bad = [&](const QString &what) {
            return ConvertError(QStringLiteral("“%1”不是字段 %2 的有效%3。").arg(v.toString(), name, what));
        };
        switch (column.kind) {
        case FieldKind::Text:
            switch (t) {
            case QMetaType::QDate: return v.toDate().toString(QStringLiteral("yyyy-MM-dd"));
            case QMetaType::QDateTime: return v.toDateTime().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
            case QMetaType::Double:
            case QMetaType::Float: return numberText(v.toDouble());
            default: return v.toString();
            }
        case FieldKind::Int32:
        case FieldKind::Int64: {
            qint64 x = 0;
            bool ok = false;
            if (t == QMetaType::Double || t == QMetaType::Float) {
                ok = wholeInt64(v.toDouble(), &x);
            } else if (t == QMetaType::QString) {
                const QString s = v.toString().trimmed();
                x = s.toLongLong(&ok);
                if (!ok) {
                    const double d = s.toDouble(&ok);
                    ok = ok && wholeInt64(d, &x);
                }
            } else if (t == QMetaType::QDate || t == QMetaType::QDateTime) {
                ok = false;
            } else {
                x = v.toLongLong(&ok);
            }
            if (!ok)
                throw bad(QStringLiteral("整数"));
            if (column.kind == FieldKind::Int32) {
                if (!fitsInt32(x))
                    throw ConvertError(QStringLiteral("%1 超出了字段 %2 的取值范围。").arg(x).arg(name));
                return int(x);
            }
            return qlonglong(x);
        }
        case FieldKind::Double: {
            bool ok = false;
            double d = 0;
            if (t == QMetaType::QString)
                d = v.toString().trimmed().toDouble(&ok);
            else if (t != QMetaType::QDate && t != QMetaType::QDateTime)
                d = v.toDouble(&ok);
            if (!ok || !std::isfinite(d))
                throw bad(QStringLiteral("数值"));
            return d;
        }
        case FieldKind::Date: {
            if (t == QMetaType::QDate) {
                if (!v.toDate().isValid())
                    throw bad(QStringLiteral("日期"));
                return dayNumberOf(store.dayShift, v.toDate());
            }
            if (t == QMetaType::QDateTime) {
                if (!v.toDateTime().isValid())
                    throw bad(QStringLiteral("日期"));
                return dayNumberOf(store.dayShift, v.toDateTime());
            }
            bool ok = false;
            double d = 0;
            if (t == QMetaType::QString) {
                const QString s = v.toString().trimmed();
                d = s.toDouble(&ok);
                if (!ok)
                    ok = parseDateText(s, store.dayShift, &d);
            } else {
                d = v.toDouble(&ok);
            }
            if (!ok || !std::isfinite(d))
                throw bad(QStringLiteral("日期"));
            return d;
        }
        }
        return {};
    }

    QVariant boundary(int c, const QVariant &raw) const
    {
        if (raw.isNull())
            return {};
        if (store.cols[size_t(c)].kind == FieldKind::Date)
            return dateOf(store.dayShift, raw.toDouble());
        return raw;
    }

    // The bound value of a buffer value for its column.
    QVariant bindValue(int c, const QVariant &raw) const
    {
        if (!raw.isNull())
            return raw;
        switch (store.cols[size_t(c)].kind) {
        case FieldKind::Int32: return QVariant(QMetaType::fromType<int>());
        case FieldKind::Int64: return QVariant(QMetaType::fromType<qlonglong>());
        case FieldKind::Double:
        case FieldKind::Date: return QVariant(QMetaType::fromType<double>());
        case FieldKind::Text: return QVariant(QMetaType::fromType<QString>());
        }
        return {};
    }

    void requireTable(const QString &action) const
    {
        if (table.isEmpty())
            throw SqlError(QStringLiteral("无法确定要%1的表。").arg(action));
    }

    // "k1=? and k2 is null ..." over the original values of a row.
    QString whereClause(const QVector<QVariant> &orig, QVariantList *binds, bool *keyIsAuto) const
    {
        QStringList parts;
        QStringList keys = keyColumns;
        if (keys.isEmpty()) {
            for (size_t i = 0; i < tableColumn.size(); ++i)
                if (!tableColumn[i].isEmpty())
                    keys.append(tableColumn[i]);
        }
        *keyIsAuto = keyColumns.size() == 1 && !autoColumn.isEmpty()
            && keyColumns.first().compare(autoColumn, Qt::CaseInsensitive) == 0;
        for (const QString &k : keys) {
            int c = -1;
            for (size_t i = 0; i < tableColumn.size(); ++i)
                if (tableColumn[i].compare(k, Qt::CaseInsensitive) == 0)
                    c = int(i);
            if (c < 0)
                throw SqlError(QStringLiteral("查询结果中没有表 %1 的关键字段 %2，无法定位记录。").arg(table, k));
            if (orig.at(c).isNull()) {
                parts.append(k + QStringLiteral(" is null"));
            } else {
                parts.append(k + QStringLiteral("=?"));
                binds->append(bindValue(c, orig.at(c)));
            }
        }
        if (parts.isEmpty())
            throw SqlError(QStringLiteral("查询结果中没有表 %1 的字段，无法定位记录。").arg(table));
        return parts.join(QStringLiteral(" and "));
    }

    int run(const QString &sql, const QVariantList &binds) const
    {
        QSqlQuery qry(db());
        if (!qry.prepare(sql))
            throw SqlError(sqlErrorText(qry.lastError()));
        for (const QVariant &b : binds)
            qry.addBindValue(b);
        if (!qry.exec())
            throw SqlError(sqlErrorText(qry.lastError()));
        if (qry.isSelect())
            return qry.next() ? qry.value(0).toInt() : 0;
        return qry.numRowsAffected();
    }

    // Writes the statement for one existing row; exactly that row must change.
    void writeExisting(const QString &head, const QVariantList &headBinds, const QVector<QVariant> &orig,
                       const QString &failure)
    {
        QVariantList binds;
        bool keyIsAuto = false;
        const QString where = whereClause(orig, &binds, &keyIsAuto);
        if (!keyIsAuto) {
            // A key that need not be unique (or a whole-row match) could hit
            // several rows: count first so nothing else is touched.
            const int n = run(QStringLiteral("select count(*) from %1 where %2").arg(table, where), binds);
            if (n > 1)
                throw SqlError(QStringLiteral("表 %1 中有 %2 条记录与当前行相同，无法确定是哪一条，%3")
                                   .arg(table).arg(n).arg(failure));
            if (n == 0)
                throw SqlError(QStringLiteral("记录已被修改或删除，%1").arg(failure));
        }
        const int affected = run(head + QStringLiteral(" where ") + where, headBinds + binds);
        if (affected != 1)
            throw SqlError(QStringLiteral("记录已被修改或删除，%1").arg(failure));
    }

    QVector<QVariant> rowRaw(int p) const
    {
        QVector<QVariant> r(int(store.cols.size()));
        const int slot = slotOf[size_t(order[size_t(p)])];
        for (size_t i = 0; i < store.cols.size(); ++i)
            r[int(i)] = store.rawCell(store.cols[i], slot);
        return r;
    }

    void resetBuffer()
    {
        original.clear();
        current.clear();
        changed.clear();
        modified = false;
        editRow = -1;
    }

    void clearRows()
    {
        store = DatasetStorage();
        exactIndex.clear();
        lowerIndex.clear();
        slotOf = {};
        order = {};
        base = {};
        pos = -1;
        bof = eof = true;
        tableColumn.clear();
        autoCol = -1;
        resetBuffer();
    }

    void removeFromOrders(qint32 row, int p)
    {
        order.erase(order.begin() + p);
        if (!base.empty()) {
            const auto it = std::find(base.begin(), base.end(), row);
            if (it != base.end())
                base.erase(it);
        }
    }

    std::vector<qint32> sorted(int c, bool descending) const;
};

// ---------------------------------------------------------------------------

Dataset::Dataset(QObject *parent) : Dataset(QString(), parent)
{
}

Dataset::Dataset(const QString &connectionName, QObject *parent) : QObject(parent), d(std::make_unique<Private>())
{
    d->q = this;
    d->connectionName = connectionName;
}

Dataset::~Dataset() = default;

void Dataset::setSql(const QString &sql)
{
    d->sql = sql;
}

QString Dataset::sql() const
{
    return d->sql;
}

QSqlDatabase Dataset::database() const
{
    return d->db();
}

void Dataset::open(const QString &sql)
{
    setSql(sql);
    open();
}

void Dataset::open()
{
    close();
    QSqlDatabase db = d->db();
    if (!db.isOpen())
        throw SqlError(QStringLiteral("数据库没有连接。"));
    d->clearRows();
    d->store.dayShift = d->isNetworkStore() ? 2 : 0;
    try {
        QSqlQuery qry(db);
        qry.setForwardOnly(true);
        if (!qry.exec(d->sql))
            throw SqlError(sqlErrorText(qry.lastError()));
        if (!qry.isSelect())
            throw SqlError(QStringLiteral("语句没有返回任何记录。"));
        const QSqlRecord rec = qry.record();
        const QString guessTable = d->hasExplicitTable ? d->explicitTable : firstTableAfterFrom(d->sql);
        d->store.cols.resize(size_t(rec.count()));
        for (int i = 0; i < rec.count(); ++i) {
            DatasetStorage::Column &c = d->store.cols[size_t(i)];
            c.name = rec.fieldName(i);
            c.kind = d->initialKind(rec.field(i), guessTable, &c.decided);
            // The first of repeated names (a join's second AIID) wins.
            if (!d->exactIndex.contains(c.name))
                d->exactIndex.insert(c.name, i);
            if (!d->lowerIndex.contains(c.name.toLower()))
                d->lowerIndex.insert(c.name.toLower(), i);
        }

        const int n = rec.count();
        auto &cols = d->store.cols;
        while (qry.next()) {
            for (int i = 0; i < n; ++i)
                d->store.pushFetched(cols[size_t(i)], qry.value(i));
            ++d->store.slotCount;
            if (d->store.slotCount == std::numeric_limits<qint32>::max())
                throw SqlError(QStringLiteral("查询结果的记录太多。"));
        }
        if (qry.lastError().isValid())
            throw SqlError(sqlErrorText(qry.lastError()));
        d->store.finishFetch();
    } catch (...) {
        d->clearRows();
        throw;
    }
    const int rows = d->store.slotCount;
    d->slotOf.resize(size_t(rows));
    for (int i = 0; i < rows; ++i)
        d->slotOf[size_t(i)] = i;
    d->order = d->slotOf;
    d->resolveUpdateTable();
    d->pos = rows > 0 ? 0 : -1;
    d->bof = true;
    d->eof = rows == 0;
    d->sortOrder = SortOrder::None;
    d->sortField.clear();
    d->setState(State::Browse);
    d->view([&] {
        emit dataReset();
        emit currentChanged(d->pos);
    });
    emit afterOpen();
    emit afterScroll();
}

void Dataset::close()
{
    if (d->state == State::Inactive)
        return;
    d->resetBuffer();
    d->clearRows();
    d->sortOrder = SortOrder::None;
    d->sortField.clear();
    d->setState(State::Inactive);
    d->view([&] {
        emit dataReset();
        emit currentChanged(-1);
    });
    emit afterClose();
}

bool Dataset::isOpen() const
{
    return d->state != State::Inactive;
}

int Dataset::exec(const QString &sql)
{
    QSqlDatabase db = d->db();
    if (!db.isOpen())
        throw SqlError(QStringLiteral("数据库没有连接。"));
    QSqlQuery qry(db);
    if (!qry.exec(sql))
        throw SqlError(sqlErrorText(qry.lastError()));
    return qry.numRowsAffected();
}

void Dataset::setUpdateTable(const QString &table, const QStringList &keyColumns)
{
    d->hasExplicitTable = !table.isEmpty();
    d->explicitTable = table;
    d->explicitKeys = keyColumns;
    if (isOpen())
        d->resolveUpdateTable();
}

QString Dataset::updateTable() const
{
    if (isOpen())
        return d->table;
    return d->hasExplicitTable ? d->explicitTable : firstTableAfterFrom(d->sql);
}

// --- fields -----------------------------------------------------------------

int Dataset::fieldCount() const
{
    return int(d->store.cols.size());
}

QString Dataset::fieldName(int col) const
{
    return col >= 0 && col < fieldCount() ? d->store.cols[size_t(col)].name : QString();
}

int Dataset::fieldIndex(const QString &name) const
{
    const auto it = d->exactIndex.constFind(name);
    if (it != d->exactIndex.constEnd())
        return it.value();
    return d->lowerIndex.value(name.toLower(), -1);
}

Dataset::FieldKind Dataset::fieldKind(int col) const
{
    return d->store.cols.at(size_t(col)).kind;
}

bool Dataset::fieldReadOnly(int col) const
{
    return col >= 0 && col == d->autoCol;
}

void Dataset::setDateField(const QString &name, bool isDate)
{
    d->dateOverrides.insert(name.toLower(), isDate);
}

QVariant Dataset::value(const QString &name) const
{
    return value(d->col(name));
}

QVariant Dataset::value(int col) const
{
    d->requireOpen();
    if (col < 0 || col >= fieldCount())
        throw AppError(QStringLiteral("字段序号 %1 无效。").arg(col));
    if (d->pos < 0)
        return {};
    return valueAt(d->pos, col);
}

bool Dataset::isNull(const QString &name) const
{
    return value(name).isNull();
}

QString Dataset::text(const QString &name) const
{
    const int c = d->col(name);
    d->requireOpen();
    return d->pos < 0 ? QString() : textAt(d->pos, c);
}

void Dataset::setValue(const QString &name, const QVariant &value)
{
    const int c = d->col(name);
    if (d->state != State::Edit && d->state != State::Insert)
        throw AppError(QStringLiteral("数据集不在编辑或插入状态，不能修改字段 %1。").arg(fieldName(c)));
    if (c == d->autoCol)
        throw AppError(QStringLiteral("字段 %1 由数据库自动编号，不能修改。").arg(fieldName(c)));
    const QVariant v = d->normalize(c, value);
    d->current[c] = v;
    const QVariant &o = d->original.at(c);
    d->changed[c] = o.isNull() != v.isNull() || (!v.isNull() && o != v);
    if (!d->inNewRecord)
        d->modified = true;
    d->view([&] { emit rowChanged(d->pos); });
}

QVariant Dataset::valueAt(int pos, int col) const
{
    if (d->editingPos(pos))
        return d->boundary(col, d->current.at(col));
    const DatasetStorage::Column &c = d->store.cols[size_t(col)];
    const int s = d->slotOf[size_t(d->order[size_t(pos)])];
    if (c.isNull(s))
        return {};
    const size_t k = c.idx(s);
    switch (c.kind) {
    case FieldKind::Int32: return int(c.i32[k]);
    case FieldKind::Int64: return qlonglong(c.i64[k]);
    case FieldKind::Double: return c.dbl[k];
    case FieldKind::Date: return dateOf(d->store.dayShift, c.dbl[k]);
    case FieldKind::Text: return c.textAt(k).toString();
    }
    return {};
}

bool Dataset::isNullAt(int pos, int col) const
{
    if (d->editingPos(pos))
        return d->current.at(col).isNull();
    return d->store.cols[size_t(col)].isNull(d->slotOf[size_t(d->order[size_t(pos)])]);
}

QString Dataset::textAt(int pos, int col) const
{
    if (d->editingPos(pos)) {
        const QVariant &v = d->current.at(col);
        if (v.isNull())
            return {};
        switch (fieldKind(col)) {
        case FieldKind::Date: return dateOf(d->store.dayShift, v.toDouble()).toString(QStringLiteral("yyyy-MM-dd"));
        case FieldKind::Double: return numberText(v.toDouble());
        default: return v.toString();
        }
    }
    return d->store.cellText(d->store.cols[size_t(col)], d->slotOf[size_t(d->order[size_t(pos)])]);
}

double Dataset::dayNumberAt(int pos, int col) const
{
    const QVariant v = d->raw(pos, col);
    return v.isNull() ? std::numeric_limits<double>::quiet_NaN() : v.toDouble();
}

// --- navigation -------------------------------------------------------------

int Dataset::recordCount() const
{
    return int(d->order.size());
}

int Dataset::pos() const
{
    return d->pos;
}

int Dataset::recNo() const
{
    return d->pos + 1;
}

bool Dataset::bof() const
{
    return d->bof;
}

bool Dataset::eof() const
{
    return d->eof;
}

void Dataset::setPos(int pos)
{
    d->requireOpen();
    d->checkBrowseMode();
    if (recordCount() == 0)
        return;
    pos = std::clamp(pos, 0, recordCount() - 1);
    d->bof = d->eof = false;
    d->moveTo(pos);
    emit afterScroll();
}

void Dataset::first()
{
    d->requireOpen();
    d->checkBrowseMode();
    d->bof = true;
    d->eof = recordCount() == 0;
    if (recordCount() > 0)
        d->moveTo(0);
    emit afterScroll();
}

void Dataset::last()
{
    d->requireOpen();
    d->checkBrowseMode();
    d->eof = true;
    d->bof = recordCount() == 0;
    if (recordCount() > 0)
        d->moveTo(recordCount() - 1);
    emit afterScroll();
}

void Dataset::next()
{
    d->requireOpen();
    d->checkBrowseMode();
    if (d->pos + 1 >= recordCount()) {
        d->eof = true;
        return;
    }
    d->bof = d->eof = false;
    d->moveTo(d->pos + 1);
    emit afterScroll();
}

void Dataset::prior()
{
    d->requireOpen();
    d->checkBrowseMode();
    if (d->pos <= 0) {
        d->bof = true;
        return;
    }
    d->bof = d->eof = false;
    d->moveTo(d->pos - 1);
    emit afterScroll();
}

Dataset::Bookmark Dataset::bookmark() const
{
    return d->pos < 0 ? -1 : bookmarkAt(d->pos);
}

Dataset::Bookmark Dataset::bookmarkAt(int pos) const
{
    return pos >= 0 && pos < recordCount() ? Bookmark(d->order[size_t(pos)]) : -1;
}

bool Dataset::bookmarkValid(Bookmark b) const
{
    if (b < 0 || b >= Bookmark(d->slotOf.size()))
        return false;
    return d->slotOf[size_t(b)] >= 0 || (d->state == State::Insert && b == d->editRow);
}

bool Dataset::gotoBookmark(Bookmark b)
{
    d->requireOpen();
    if (!bookmarkValid(b))
        return false;
    if (b == bookmark() && isEditing())
        return true; // already there; leaving the row would post it
    d->checkBrowseMode();
    const int p = d->posOfRow(qint32(b));
    if (p < 0)
        return false;
    d->bof = d->eof = false;
    d->moveTo(p);
    emit afterScroll();
    return true;
}

bool Dataset::locate(const QString &field, const QVariant &value, bool caseInsensitive, bool partial)
{
    const int c = d->col(field);
    d->requireOpen();
    d->checkBrowseMode();
    const DatasetStorage::Column &column = d->store.cols[size_t(c)];
    QVariant target;
    try {
        target = d->normalize(c, value);
    } catch (const ConvertError &) {
        return false; // no row can hold a value of the wrong kind
    }
    const int n = recordCount();
    int found = -1;
    if (target.isNull() && !(column.kind == FieldKind::Text && value.typeId() == QMetaType::QString && partial)) {
        for (int p = 0; p < n && found < 0; ++p)
            if (isNullAt(p, c))
                found = p;
    } else if (column.kind == FieldKind::Text) {
        const QString t = target.toString();
        const Qt::CaseSensitivity cs = caseInsensitive ? Qt::CaseInsensitive : Qt::CaseSensitive;
        for (int p = 0; p < n && found < 0; ++p) {
            const int s = d->slotOf[size_t(d->order[size_t(p)])];
            if (column.isNull(s))
                continue;
            const QStringView v = column.textView(s);
            if (partial ? v.startsWith(t, cs) : v.compare(t, cs) == 0)
                found = p;
        }
    } else {
        const bool wholeDay = column.kind == FieldKind::Date && target.toDouble() == std::trunc(target.toDouble());
        for (int p = 0; p < n && found < 0; ++p) {
            const int s = d->slotOf[size_t(d->order[size_t(p)])];
            if (column.isNull(s))
                continue;
            const size_t k = column.idx(s);
            switch (column.kind) {
            case FieldKind::Int32: found = column.i32[k] == target.toInt() ? p : -1; break;
            case FieldKind::Int64: found = column.i64[k] == target.toLongLong() ? p : -1; break;
            case FieldKind::Double: found = column.dbl[k] == target.toDouble() ? p : -1; break;
            case FieldKind::Date: {
                const double v = column.dbl[k];
                // A date without a time finds the day's rows at any time of day.
                found = (wholeDay ? dayNumberOf(d->store.dayShift, dateOf(d->store.dayShift, v)) : v) == target.toDouble() ? p : -1;
                break;
            }
            case FieldKind::Text: break;
            }
        }
    }
    if (found < 0)
        return false;
    d->bof = d->eof = false;
    d->moveTo(found);
    emit afterScroll();
    return true;
}

// --- editing ----------------------------------------------------------------

Dataset::State Dataset::state() const
{
    return d->state;
}

bool Dataset::isModified() const
{
    return isEditing() && d->modified;
}

void Dataset::append()
{
    d->requireOpen();
    d->checkBrowseMode();
    const qint32 row = qint32(d->slotOf.size());
    d->slotOf.push_back(-1);
    d->rowBeforeInsert = d->pos >= 0 ? d->order[size_t(d->pos)] : -1;
    d->order.push_back(row);
    if (!d->base.empty())
        d->base.push_back(row);
    const int n = fieldCount();
    d->original = QVector<QVariant>(n);
    d->current = QVector<QVariant>(n);
    d->changed = QVector<bool>(n, false);
    d->editRow = row;
    d->modified = false;
    d->pos = recordCount() - 1;
    d->bof = d->eof = false;
    d->state = State::Insert; // before the view hears of the row, so it reads the buffer
    d->view([&] {
        emit rowInserted(d->pos);
        emit currentChanged(d->pos);
    });
    emit stateChanged(State::Insert);
    d->inNewRecord = true;
    try {
        emit newRecord();
    } catch (...) {
        d->inNewRecord = false;
        throw;
    }
    d->inNewRecord = false;
    d->modified = false;
    emit afterScroll();
}

void Dataset::edit()
{
    d->requireOpen();
    if (isEditing())
        return;
    if (recordCount() == 0) {
        append();
        return;
    }
    d->original = d->rowRaw(d->pos);
    d->current = d->original;
    d->changed = QVector<bool>(fieldCount(), false);
    d->editRow = d->order[size_t(d->pos)];
    d->modified = false;
    d->setState(State::Edit);
}

void Dataset::post()
{
    d->requireOpen();
    if (!isEditing())
        return;
    const int n = fieldCount();
    if (d->state == State::Edit) {
        QStringList sets;
        QVariantList binds;
        for (int c = 0; c < n; ++c) {
            if (d->changed.at(c) && !d->tableColumn[size_t(c)].isEmpty() && c != d->autoCol) {
                sets.append(d->tableColumn[size_t(c)] + QStringLiteral("=?"));
                binds.append(d->bindValue(c, d->current.at(c)));
            }
        }
        if (!sets.isEmpty()) {
            d->requireTable(QStringLiteral("保存到"));
            d->writeExisting(QStringLiteral("update %1 set %2").arg(d->table, sets.join(QLatin1Char(','))), binds,
                             d->original, QStringLiteral("无法保存。"));
        }
    } else {
        d->requireTable(QStringLiteral("保存到"));
        QStringList cols;
        QStringList marks;
        QVariantList binds;
        for (int c = 0; c < n; ++c) {
            if (!d->current.at(c).isNull() && !d->tableColumn[size_t(c)].isEmpty() && c != d->autoCol) {
                cols.append(d->tableColumn[size_t(c)]);
                marks.append(QStringLiteral("?"));
                binds.append(d->current.at(c));
            }
        }
        const QString sql = cols.isEmpty()
            ? QStringLiteral("insert into %1 default values").arg(d->table)
            : QStringLiteral("insert into %1 (%2) values (%3)")
                  .arg(d->table, cols.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
        QSqlQuery qry(d->db());
        if (!qry.prepare(sql))
            throw SqlError(sqlErrorText(qry.lastError()));
        for (const QVariant &b : binds)
            qry.addBindValue(b);
        if (!qry.exec())
            throw SqlError(sqlErrorText(qry.lastError()));
        if (d->autoCol >= 0) {
            const QVariant id = qry.lastInsertId();
            if (id.isValid() && !id.isNull())
                d->current[d->autoCol] = d->normalize(d->autoCol, id);
        }
    }
    // Stored: the row's values live in a new slot from now on.
    d->slotOf[size_t(d->editRow)] = d->store.appendRow(d->current);
    const int p = d->pos;
    d->resetBuffer();
    d->setState(State::Browse);
    d->view([&] { emit rowChanged(p); });
    emit afterPost();
}

void Dataset::cancel()
{
    if (d->state == State::Edit) {
        d->resetBuffer();
        d->setState(State::Browse);
        d->view([&] { emit rowChanged(d->pos); });
    } else if (d->state == State::Insert) {
        const qint32 row = d->editRow;
        const int p = d->pos;
        d->resetBuffer();
        d->removeFromOrders(row, p);
        d->state = State::Browse;
        int to = d->rowBeforeInsert >= 0 ? d->posOfRow(d->rowBeforeInsert) : -1;
        if (to < 0)
            to = std::min(p, recordCount() - 1);
        d->bof = d->eof = recordCount() == 0;
        d->pos = to; // valid before any view reads the rows again
        d->view([&] { emit rowRemoved(p); });
        d->moveTo(to);
        emit stateChanged(State::Browse);
        emit afterScroll();
    }
}

void Dataset::remove()
{
    d->requireOpen();
    if (d->state == State::Insert) {
        cancel();
        return;
    }
    if (recordCount() == 0)
        throw AppError(QStringLiteral("数据集中没有记录，不能删除。"));
    d->requireTable(QStringLiteral("删除记录"));
    const QVector<QVariant> orig = d->rowRaw(d->pos);
    d->writeExisting(QStringLiteral("delete from %1").arg(d->table), {}, orig, QStringLiteral("无法删除。"));
    const qint32 row = d->order[size_t(d->pos)];
    const int p = d->pos;
    d->resetBuffer();
    d->slotOf[size_t(row)] = -1;
    d->removeFromOrders(row, p);
    const int to = std::min(p, recordCount() - 1);
    d->pos = to;
    d->bof = d->eof = recordCount() == 0;
    d->setState(State::Browse);
    d->view([&] { emit rowRemoved(p); });
    d->moveTo(to);
    emit afterDelete();
    emit afterScroll();
}

// --- controls ---------------------------------------------------------------

void Dataset::disableControls()
{
    ++d->disableCount;
}

void Dataset::enableControls()
{
    if (d->disableCount == 0)
        return;
    if (--d->disableCount == 0 && d->heldView) {
        d->heldView = false;
        emit dataReset();
        emit currentChanged(d->pos);
    }
}

bool Dataset::controlsDisabled() const
{
    return d->disableCount > 0;
}

// --- sort -------------------------------------------------------------------

// Stable, from the query's order. Text collates as a Chinese reader expects
// (pinyin); each distinct text gets its collation key once, so a million rows
// sort by integer ranks.
std::vector<qint32> Dataset::Private::sorted(int c, bool descending) const
{
    std::vector<qint32> rows = base.empty() ? order : base;
    const DatasetStorage::Column &column = store.cols[size_t(c)];
    // Nulls first ascending, last descending; ties keep the query's order.
    const auto valued = std::stable_partition(rows.begin(), rows.end(),
                                              [&](qint32 r) { return column.isNull(slotOf[size_t(r)]); });
    auto sortValued = [&](auto keyOf) {
        std::vector<decltype(keyOf(size_t(0)))> key(slotOf.size());
        for (auto it = valued; it != rows.end(); ++it)
            key[size_t(*it)] = keyOf(column.idx(slotOf[size_t(*it)]));
        if (descending) {
            std::stable_sort(valued, rows.end(), [&](qint32 a, qint32 b) { return key[size_t(b)] < key[size_t(a)]; });
            std::rotate(rows.begin(), valued, rows.end());
        } else {
            std::stable_sort(valued, rows.end(), [&](qint32 a, qint32 b) { return key[size_t(a)] < key[size_t(b)]; });
        }
    };
    switch (column.kind) {
    case FieldKind::Int32: sortValued([&](size_t k) { return column.i32[k]; }); break;
    case FieldKind::Int64: sortValued([&](size_t k) { return column.i64[k]; }); break;
    case FieldKind::Double:
    case FieldKind::Date: sortValued([&](size_t k) { return column.dbl[k]; }); break;
    case FieldKind::Text: {
        // Each distinct text gets its collation key once; rows then sort by
        // integer ranks.
        QHash<QStringView, int> distinct;
        std::vector<QStringView> texts;
        std::vector<int> textOfValue(column.values, -1);
        for (auto it = valued; it != rows.end(); ++it) {
            const size_t k = column.idx(slotOf[size_t(*it)]);
            const QStringView v = column.textAt(k);
            auto found = distinct.constFind(v);
            if (found == distinct.constEnd()) {
                found = distinct.insert(v, int(texts.size()));
                texts.push_back(v);
            }
            textOfValue[k] = found.value();
        }
        QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
        std::vector<QCollatorSortKey> keys;
        keys.reserve(texts.size());
        for (const QStringView &t : texts)
            keys.push_back(collator.sortKey(t.toString()));
        std::vector<int> byKey(texts.size());
        for (size_t i = 0; i < byKey.size(); ++i)
            byKey[i] = int(i);
        std::sort(byKey.begin(), byKey.end(),
                  [&](int a, int b) { return keys[size_t(a)].compare(keys[size_t(b)]) < 0; });
        // Texts the collator holds equal share a rank.
        std::vector<int> rank(texts.size());
        for (size_t i = 0; i < byKey.size(); ++i) {
            const bool same = i > 0 && keys[size_t(byKey[i])].compare(keys[size_t(byKey[i - 1])]) == 0;
            rank[size_t(byKey[i])] = same ? rank[size_t(byKey[i - 1])] : int(i);
        }
        sortValued([&](size_t k) { return rank[size_t(textOfValue[k])]; });
        break;
    }
    }
    return rows;
}

void Dataset::sortBy(const QString &field, SortOrder order)
{
    if (order == SortOrder::None) {
        clearSort();
        return;
    }
    const int c = d->col(field);
    d->requireOpen();
    d->checkBrowseMode();
    const qint32 current = d->pos >= 0 ? d->order[size_t(d->pos)] : -1;
    std::vector<qint32> rows = d->sorted(c, order == SortOrder::Descending);
    if (d->base.empty())
        d->base = d->order;
    d->order.swap(rows);
    d->sortField = fieldName(c);
    d->sortOrder = order;
    d->pos = current >= 0 ? d->posOfRow(current) : -1;
    d->view([&] {
        emit dataReset();
        emit currentChanged(d->pos);
    });
}

void Dataset::clearSort()
{
    if (d->state == State::Inactive)
        return;
    if (!d->base.empty())
        d->checkBrowseMode();
    d->sortField.clear();
    d->sortOrder = SortOrder::None;
    if (d->base.empty())
        return;
    const qint32 current = d->pos >= 0 ? d->order[size_t(d->pos)] : -1;
    d->order.swap(d->base);
    d->base = {};
    d->pos = current >= 0 ? d->posOfRow(current) : -1;
    d->view([&] {
        emit dataReset();
        emit currentChanged(d->pos);
    });
}

QString Dataset::sortField() const
{
    return d->sortField;
}

Dataset::SortOrder Dataset::sortOrder() const
{
    return d->sortOrder;
}

qint64 Dataset::memoryUsage() const
{
    return d->store.bytes()
        + qint64((d->slotOf.capacity() + d->order.capacity() + d->base.capacity()) * sizeof(qint32));
}

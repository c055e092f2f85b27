#include "data/DemoData.h"

#include "app/MessageBoxes.h"
#include "data/Schema.h"

#include <QDate>
#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <algorithm>
#include <vector>

namespace DemoData {

namespace {

// splitmix64: tiny, fast and the same on every platform, so the same request
// gives the same archive.
class Rng {
public:
    explicit Rng(quint64 seed) : m_state(seed) {}
    quint64 next()
    {
        quint64 z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    // 0 <= result < n
    int below(int n) { return n <= 0 ? 0 : int((unsigned __int128)next() * unsigned(n) >> 64); }
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }
    bool chance(int percent) { return below(100) < percent; }
    // Rank 0..n-1 with weights n, n-1, ..., 1: the first entries of a list
    // (the usual ones, by the list's order) come up most often.
    int weightedRank(int n)
    {
        if (n <= 1)
            return 0;
        int r = below(n * (n + 1) / 2);
        for (int i = 0; i < n; ++i) {
            r -= n - i;
            if (r < 0)
                return i;
        }
        return n - 1;
    }
    template <typename T, size_t N>
    const T &pick(const T (&items)[N]) { return items[below(int(N))]; }

private:
    quint64 m_state;
};

QString s(const char *utf8) { return QString::fromUtf8(utf8); }

// Vocabularies.
const char *const kPlaces[] = {"滨江", "城东", "城西", "北苑", "南湖", "西山", "东港", "临港", "高新区",
                               "经开区", "青石", "柳林", "金桥", "望海", "龙湾", "松岭", "白沙", "长岭"};
const char *const kFacilities[] = {"污水处理厂", "综合办公楼", "110kV变电站", "供水管网", "物流仓储中心", "研发中心",
                                   "联合生产车间", "主干道路", "跨河大桥", "热电站", "燃气管网", "职工宿舍楼",
                                   "数据中心", "输煤系统", "污泥处置中心", "净水厂", "消防站", "中心实验室"};
const char *const kPhases[] = {"", "", "一期", "二期", "三期", "改扩建", "新建", "技术改造"};
struct VolumeKind {
    const char *name;
    const char *klass;
};
const VolumeKind kVolumeKinds[] = {
    {"项目建议书及批复文件", "QQ"}, {"可行性研究报告", "QQ"}, {"环境影响评价文件", "QQ"},
    {"地质勘察报告", "KC"},         {"初步设计文件", "SJ"},   {"施工图设计文件", "SJ"},
    {"设计变更文件", "SJ"},         {"招标投标文件", "ZB"},   {"施工合同文件", "HT"},
    {"监理文件", "JL"},             {"施工技术管理文件", "SG"}, {"隐蔽工程验收记录", "SG"},
    {"设备安装调试记录", "SB"},     {"质量检测报告", "ZL"},   {"竣工图", "JG"},
    {"竣工验收文件", "JG"},
};
const char *const kUnits[] = {"档案室", "项目管理部", "基建办公室", "设计院第一设计所", "工程建设指挥部"};
const char *const kVolumeRemarks[] = {"复印件，原件存档案馆", "已数字化，电子文件见附件", "含大幅面图纸，另存图纸柜",
                                      "部分文件字迹褪色，已复制", "本卷另附光盘一张"};
const char *const kParts[] = {"总平面", "建筑", "结构", "给排水", "电气", "暖通", "工艺", "消防", "道路", "自控"};
const char *const kDesignDocs[] = {"设计说明", "计算书", "设计图纸目录", "专业设计文件", "设计审查意见"};
const char *const kReports[] = {"地质勘察报告", "沉降观测报告", "水质检测报告", "环境监测报告",
                                "材料试验报告", "设备性能测试报告", "技术总结报告"};
const char *const kRecords[] = {"隐蔽工程验收记录", "分项工程质量检验记录", "施工日志", "技术交底记录",
                                "设备开箱检验记录", "调试运行记录"};
const char *const kTopics[] = {"立项", "设计变更", "追加投资", "调整工期", "竣工验收", "开工", "设备采购"};
const char *const kMeetings[] = {"设计审查会", "例会", "竣工验收会", "专题协调会", "安全检查会"};
const char *const kContracts[] = {"施工合同", "监理合同", "设计合同", "设备采购合同", "技术服务合同"};
const char *const kDesigners[] = {"市政设计研究院", "华东勘察设计院", "建筑设计研究院有限公司", "电力设计院"};
const char *const kBuilders[] = {"第一建设工程有限公司", "第三建设工程有限公司", "安装工程有限公司",
                                 "诚信工程监理有限公司", "建设工程质量检测中心", "环境监测站"};
const char *const kAgencies[] = {"市发展和改革委员会", "市住房和城乡建设局", "市生态环境局", "集团公司"};
const char *const kSurnames[] = {"王", "李", "张", "刘", "陈", "杨", "赵", "黄", "周", "吴",
                                 "徐", "孙", "胡", "朱", "高", "林", "何", "郭", "马", "罗"};
const char *const kGivenNames[] = {"伟", "芳", "娜", "敏", "静", "丽", "强", "磊", "军", "洋", "勇", "艳",
                                   "杰", "娟", "涛", "明", "超", "秀英", "建国", "志强", "海燕", "晓东", "文博", "立新"};
const char *const kDocRemarks[] = {"复印件", "含图纸，另存图纸柜", "有领导批示", "附电子文件", "原件破损，已修复"};
const char *const kKeywords[] = {"基建", "设备", "工艺", "质量", "安全", "环保", "节能", "科研", "技改", "运行"};
const char *const kAims[] = {"工程设计参考", "编写竣工报告", "审计检查", "设备检修查考", "项目验收",
                             "科研查考", "编史修志", "技术改造参考", "法律纠纷取证"};
const char *const kLendRemarks[] = {"复印5页", "仅限阅览", "借出原件，按期归还", "已电话催还"};

const char *const kFonds[] = {"Z001", "Z001", "Z001", "Z001", "Z001", "Z001", "Z002", "Z002", "Z002", "Z003"};
constexpr int kFirstYear = 1995;
constexpr int kLastYear = 2024;
// Lendings happen up to this day; a fixed day keeps the data reproducible.
const QDate kLendingsUntil(2025, 6, 30);

constexpr int kVolumesPerTransaction = 2000;
constexpr int kRowsPerStatement = 5000; // one unnest() insert on PostgreSQL

struct Code {
    int key = 0;
    QString name;
    QString code; // volume lists only
};
using CodeList = QList<Code>;

enum class Role {
    // volume
    Fonds, Year, Term, Org, Number, Reference, VolumeTitle, Unit, Class, Start, End, VolumePages, VolumeRemark,
    VolumeSecrecy,
    // document
    Seq, DocNo, Author, DocTitle, DocDate, DocPages, PageRange, DocSecrecy, Kind, DocRemark, LendState,
    // anything else a shown field may be
    AnyText, AnyInt, AnyFloat, AnyDate, AnyCode,
};

struct Column {
    QString code;
    Role role;
    int width = 0;          // text columns: the most characters the column takes
    const CodeList *codes = nullptr;
};

struct Doc {
    int seq = 0;
    QString docNo, author, title, remark;
    QDate date;
    int pages = 0, firstPage = 0;
    int secrecy = -1, kind = -1;
    bool lent = false;
};

struct Volume {
    QString fonds, reference, title, unit, klass, remark, project;
    int year = 0, number = 0;
    int term = -1, org = -1, secrecy = -1;
    QDate start, end;
    int pages = 0;
    int firstDoc = 0, docCount = 0; // into the chunk's documents
};

struct Lending {
    int doc = 0; // into the chunk's documents
    QString user, aim, remark;
    QDate start, due, returned; // returned null while lent
    int state = 1;
};

// Collects the rows of one table and writes them: on SQLite a prepared
// statement run as a batch; on PostgreSQL one INSERT ... SELECT FROM unnest()
// of array literals per few thousand rows, which the server parses far faster
// than as many VALUES rows.
class TableWriter {
public:
    TableWriter(QSqlDatabase db, bool pg, const QString &table, const QStringList &columns)
        : m_db(db), m_pg(pg), m_table(table), m_columns(columns)
    {
        if (m_pg)
            m_arrays.resize(columns.size());
        else
            m_values.resize(columns.size());
    }

    void add(const QVariantList &row)
    {
        Q_ASSERT(row.size() == m_columns.size());
        if (m_pg) {
            for (int i = 0; i < row.size(); ++i) {
                QString &a = m_arrays[i];
                if (m_rows > 0)
                    a += QLatin1Char(',');
                appendElement(a, row.at(i));
            }
            if (++m_rows >= kRowsPerStatement)
                flush();
        } else {
            for (int i = 0; i < row.size(); ++i)
                m_values[i].append(row.at(i));
            ++m_rows;
        }
    }

    void flush()
    {
        if (m_rows == 0)
            return;
        if (m_pg)
            flushPostgres();
        else
            flushSqlite();
        m_rows = 0;
    }

private:
    // An element of a PostgreSQL array literal: NULL, a number, or a text in
    // double quotes with backslash escapes.
    static void appendElement(QString &a, const QVariant &v)
    {
        if (v.isNull()) {
            a += QLatin1String("NULL");
            return;
        }
        switch (v.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
            a += QString::number(v.toLongLong());
            return;
        case QMetaType::Double:
            a += QString::number(v.toDouble(), 'g', 17);
            return;
        default: {
            QString t = v.toString();
            t.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('"'), QStringLiteral("\\\""));
            a += QLatin1Char('"') + t + QLatin1Char('"');
        }
        }
    }

    void flushPostgres()
    {
        const TableDef *table = Schema::table(m_table);
        QStringList arrays;
        for (int i = 0; i < m_columns.size(); ++i) {
            const ColumnDef *c = table->column(m_columns.at(i));
            const QLatin1String type = c->type == ColType::Text ? QLatin1String("text[]")
                : (c->type == ColType::Float || c->type == ColType::DateTime) ? QLatin1String("float8[]")
                                                                              : QLatin1String("int8[]");
            // An E'' string reads the same whatever standard_conforming_strings says.
            QString literal = m_arrays[i];
            literal.replace(QLatin1Char('\\'), QStringLiteral("\\\\")).replace(QLatin1Char('\''), QStringLiteral("''"));
            arrays.append(QStringLiteral("E'{") + literal + QStringLiteral("}'::") + type);
            m_arrays[i].clear();
        }
        const QString sql = QStringLiteral("insert into %1(%2) select * from unnest(%3)")
                                .arg(m_table, m_columns.join(QLatin1Char(',')), arrays.join(QLatin1Char(',')));
        QSqlQuery q(m_db);
        if (!q.exec(sql))
            throw SqlError(q.lastError().text() + QStringLiteral("\n\r") + sql.left(1000) + QStringLiteral("..."));
    }

    void flushSqlite()
    {
        if (!m_prepared) {
            QStringList marks;
            for (int i = 0; i < m_columns.size(); ++i)
                marks.append(QStringLiteral("?"));
            const QString sql = QStringLiteral("insert into %1(%2) values(%3)")
                                    .arg(m_table, m_columns.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
            m_insert = QSqlQuery(m_db);
            if (!m_insert.prepare(sql))
                throw SqlError(m_insert.lastError().text() + QStringLiteral("\n\r") + sql);
            m_prepared = true;
        }
        for (int i = 0; i < m_values.size(); ++i)
            m_insert.bindValue(i, m_values.at(i));
        if (!m_insert.execBatch())
            throw SqlError(m_insert.lastError().text() + QStringLiteral("\n\r") + m_insert.lastQuery());
        for (QVariantList &v : m_values)
            v.clear();
    }

    QSqlDatabase m_db;
    bool m_pg;
    QString m_table;
    QStringList m_columns;
    QList<QString> m_arrays;       // PostgreSQL: one array literal per column
    QList<QVariantList> m_values;  // SQLite: one bound list per column
    QSqlQuery m_insert;
    bool m_prepared = false;
    int m_rows = 0;
};

QSqlQuery run(QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    if (!q.exec(sql))
        throw SqlError(q.lastError().text() + QStringLiteral("\n\r") + sql);
    return q;
}

class Generator {
public:
    explicit Generator(QSqlDatabase db) : m_db(db), m_pg(db.driverName() == QLatin1String("QPSQL")), m_rng(0)
    {
        readDictionary();
        readCodeLists();
        m_volumeColumns = columnsFor(QLatin1Char('A'));
        m_docColumns = columnsFor(QLatin1Char('B'));
        readNumbers();
    }

    Counts generate(qint64 volumes, const std::function<void(qint64)> &progress)
    {
        Counts total;
        QStringList volumeCols{QStringLiteral("AIID")}, docCols{QStringLiteral("BIID"), QStringLiteral("AIID")};
        for (const Column &c : m_volumeColumns)
            volumeCols.append(c.code);
        for (const Column &c : m_docColumns)
            docCols.append(c.code);
        TableWriter volumeWriter(m_db, m_pg, QStringLiteral("N_A"), volumeCols);
        TableWriter docWriter(m_db, m_pg, QStringLiteral("N_B"), docCols);
        TableWriter lendWriter(m_db, m_pg, QStringLiteral("N_BBORROW"),
                               {QStringLiteral("AIID"), QStringLiteral("SUSER"), QStringLiteral("SAIM"),
                                QStringLiteral("DSDATE"), QStringLiteral("DEDATE"), QStringLiteral("DSJEDATE"),
                                QStringLiteral("ISTATE"), QStringLiteral("SREMARK")});

        while (total.volumes < volumes) {
            const int n = int(std::min<qint64>(kVolumesPerTransaction, volumes - total.volumes));
            std::vector<Volume> vols;
            std::vector<Doc> docs;
            std::vector<Lending> lends;
            vols.reserve(n);
            docs.reserve(n * 15);
            for (int i = 0; i < n; ++i)
                vols.push_back(makeVolume(docs, lends));
            // Generic fields draw after the chunk's semantic values, in a
            // fixed order, so the sequence never depends on the store.
            std::vector<QVariantList> volumeRows, docRows;
            volumeRows.reserve(vols.size());
            docRows.reserve(docs.size());
            for (const Volume &v : vols)
                volumeRows.push_back(volumeRow(v));
            for (const Doc &d : docs)
                docRows.push_back(docRow(d));

            if (!m_db.transaction())
                throw SqlError(m_db.lastError().text());
            try {
                const std::vector<qint64> volumeKeys = reserveKeys(QStringLiteral("N_A"), QStringLiteral("AIID"), n);
                const std::vector<qint64> docKeys =
                    reserveKeys(QStringLiteral("N_B"), QStringLiteral("BIID"), int(docs.size()));
                for (int i = 0; i < n; ++i) {
                    QVariantList &row = volumeRows[size_t(i)];
                    row.prepend(volumeKeys[size_t(i)]);
                    volumeWriter.add(row);
                    const Volume &v = vols[size_t(i)];
                    for (int d = v.firstDoc; d < v.firstDoc + v.docCount; ++d) {
                        QVariantList &drow = docRows[size_t(d)];
                        drow.prepend(volumeKeys[size_t(i)]);
                        drow.prepend(docKeys[size_t(d)]);
                        docWriter.add(drow);
                    }
                }
                for (const Lending &l : lends)
                    lendWriter.add({docKeys[size_t(l.doc)], l.user, l.aim, day(l.start), day(l.due),
                                    l.returned.isValid() ? QVariant(day(l.returned)) : QVariant(), l.state,
                                    l.remark.isEmpty() ? QVariant() : QVariant(l.remark)});
                volumeWriter.flush();
                docWriter.flush();
                lendWriter.flush();
                if (!m_db.commit())
                    throw SqlError(m_db.lastError().text());
            } catch (...) {
                m_db.rollback();
                throw;
            }
            total.volumes += n;
            total.documents += qint64(docs.size());
            total.lendings += qint64(lends.size());
            if (progress)
                progress(total.volumes);
        }
        return total;
    }

private:
    // Day numbers as the store keeps them: days since 1899-12-30, two fewer
    // in the network store.
    double day(const QDate &d) const
    {
        return double(QDate(1899, 12, 30).daysTo(d) - (m_pg ? 2 : 0));
    }

    void readDictionary()
    {
        for (const char *table : {"N_A", "N_B"}) {
            QSqlQuery q = run(m_db, QStringLiteral("select SFIELD, SFIELDNAME1, IDISPLAY from S_FIELD where STABLE='%1'")
                                        .arg(QLatin1String(table)));
            while (q.next()) {
                const QString code = q.value(0).toString().trimmed().toUpper();
                if (!Schema::isFieldCode(code) || code.at(0) != QLatin1Char(table[2]))
                    continue;
                m_captions.insert(code, q.value(1).toString().trimmed());
                if (q.value(2).toInt() == 1)
                    m_shown.insert(code, true);
            }
        }
    }

    void readCodeLists()
    {
        for (QChar letter : {QLatin1Char('A'), QLatin1Char('B')}) {
            for (const QString &code : Schema::fieldCodes(letter)) {
                if (code.at(1) != QLatin1Char('C'))
                    continue;
                const bool withCode = letter == QLatin1Char('A');
                QSqlQuery q = run(m_db, QStringLiteral("select %1, %1NAME%2 from N_%1 order by %1ORDER, %1")
                                            .arg(code, withCode ? QStringLiteral(", %1CODE").arg(code) : QString()));
                CodeList list;
                while (q.next())
                    list.append({q.value(0).toInt(), q.value(1).toString(), withCode ? q.value(2).toString() : QString()});
                m_lists.insert(code, list);
            }
        }
    }

    // Reference numbers continue where the store's volumes stop, and a store
    // that already holds volumes gets other texts than a fresh one.
    void readNumbers()
    {
        QSqlQuery q = run(m_db, QStringLiteral("select AS07, AI01, max(AI02) from N_A where AS07 is not null and AI01 is not null "
                                               "group by AS07, AI01"));
        while (q.next())
            m_numbers.insert(numberKey(q.value(0).toString(), q.value(1).toInt()), q.value(2).toInt());
        QSqlQuery m = run(m_db, QStringLiteral("select max(AIID), count(*) from N_A"));
        quint64 seed = 0x7A3D5E1F2B4C6A89ULL;
        if (m.next())
            seed ^= quint64(m.value(0).toLongLong()) * 0x9E3779B97F4A7C15ULL ^ quint64(m.value(1).toLongLong());
        m_rng = Rng(seed);
    }

    static QString numberKey(const QString &fonds, int year) { return fonds + QLatin1Char('\n') + QString::number(year); }

    const CodeList &list(const QString &code) const
    {
        static const CodeList empty;
        auto it = m_lists.constFind(code);
        return it == m_lists.constEnd() ? empty : it.value();
    }

    // Which generator fills a field: the reference parts by code (the volume
    // add window composes 档号 from these codes), the rest by caption.
    Role roleOf(const QString &code) const
    {
        static const QHash<QString, Role> fixed{
            {QStringLiteral("AS07"), Role::Fonds}, {QStringLiteral("AI01"), Role::Year},
            {QStringLiteral("AC03"), Role::Term},  {QStringLiteral("AC02"), Role::Org},
            {QStringLiteral("AI02"), Role::Number}, {QStringLiteral("AS14"), Role::Reference},
        };
        if (fixed.contains(code))
            return fixed.value(code);
        const QString caption = m_captions.value(code);
        const QChar type = code.at(1);
        const bool volume = code.at(0) == QLatin1Char('A');
        const bool text = type == QLatin1Char('S'), number = type == QLatin1Char('I') || type == QLatin1Char('F');
        const bool date = type == QLatin1Char('D'), coded = type == QLatin1Char('C');
        if (code == QLatin1String("BC10") && caption == QStringLiteral("借阅状态"))
            return Role::LendState;
        if (volume) {
            if (text && caption.contains(QStringLiteral("题名")))
                return Role::VolumeTitle;
            if (text && caption == QStringLiteral("立卷单位"))
                return Role::Unit;
            if (text && caption == QStringLiteral("分类号"))
                return Role::Class;
            if (text && caption == QStringLiteral("备注"))
                return Role::VolumeRemark;
            if (date && caption == QStringLiteral("起始日期"))
                return Role::Start;
            if (date && caption == QStringLiteral("终止日期"))
                return Role::End;
            if (number && caption == QStringLiteral("页数"))
                return Role::VolumePages;
            if (coded && caption == QStringLiteral("密级"))
                return Role::VolumeSecrecy;
        } else {
            if (number && caption == QStringLiteral("序号"))
                return Role::Seq;
            if (text && caption == QStringLiteral("文件编号"))
                return Role::DocNo;
            if (text && caption == QStringLiteral("责任者"))
                return Role::Author;
            if (text && caption.contains(QStringLiteral("题名")))
                return Role::DocTitle;
            if (text && caption == QStringLiteral("页号"))
                return Role::PageRange;
            if (text && caption == QStringLiteral("备注"))
                return Role::DocRemark;
            if (date && caption == QStringLiteral("日期"))
                return Role::DocDate;
            if (number && caption == QStringLiteral("页数"))
                return Role::DocPages;
            if (coded && caption == QStringLiteral("密级"))
                return Role::DocSecrecy;
            if (coded && caption == QStringLiteral("文种"))
                return Role::Kind;
        }
        switch (type.unicode()) {
        case 'S': return Role::AnyText;
        case 'I': return Role::AnyInt;
        case 'F': return Role::AnyFloat;
        case 'D': return Role::AnyDate;
        default: return Role::AnyCode;
        }
    }

    // The reference parts always, every other field only when it is shown:
    // hidden fields stay empty as they would in a clerk's archive.
    QList<Column> columnsFor(QChar letter) const
    {
        const TableDef *table = Schema::table(letter == QLatin1Char('A') ? QStringLiteral("N_A") : QStringLiteral("N_B"));
        QList<Column> cols;
        for (const QString &code : Schema::fieldCodes(letter)) {
            const Role role = roleOf(code);
            // The lending state is kept whether the field is shown or not, as the lending dialogs do.
            const bool part = role == Role::Fonds || role == Role::Year || role == Role::Term || role == Role::Org
                || role == Role::Number || role == Role::Reference || role == Role::LendState;
            if (!part && !m_shown.value(code))
                continue;
            Column c{code, role, table->column(code)->width, nullptr};
            if (code.at(1) == QLatin1Char('C'))
                c.codes = &list(code);
            cols.append(c);
        }
        return cols;
    }

    const CodeList *columnList(const QList<Column> &cols, Role role) const
    {
        for (const Column &c : cols)
            if (c.role == role)
                return c.codes;
        return nullptr;
    }

    QString personName()
    {
        return s(m_rng.pick(kSurnames)) + s(m_rng.pick(kGivenNames));
    }

    QString docTitle(const Volume &v, const QString &facility, const QString &kindName)
    {
        const QString part = s(m_rng.pick(kParts));
        if (kindName == QStringLiteral("设计文件"))
            return facility + part + s(m_rng.pick(kDesignDocs));
        if (kindName == QStringLiteral("图纸"))
            return facility + part + QStringLiteral("施工图");
        if (kindName == QStringLiteral("技术报告"))
            return facility + s(m_rng.pick(kReports));
        if (kindName == QStringLiteral("记录表"))
            return facility + part + s(m_rng.pick(kRecords));
        if (kindName == QStringLiteral("请示") || kindName == QStringLiteral("批复") || kindName == QStringLiteral("函"))
            return QStringLiteral("关于") + v.project + s(m_rng.pick(kTopics)) + QStringLiteral("的") + kindName;
        if (kindName == QStringLiteral("通知"))
            return QStringLiteral("关于召开") + v.project + s(m_rng.pick(kMeetings)) + QStringLiteral("的通知");
        if (kindName == QStringLiteral("会议纪要"))
            return v.project + s(m_rng.pick(kMeetings)) + QStringLiteral("纪要");
        if (kindName == QStringLiteral("合同"))
            return v.project + s(m_rng.pick(kContracts));
        return facility + part + QStringLiteral("技术文件");
    }

    QString author(const QString &kindName, const QString &orgName)
    {
        if (kindName == QStringLiteral("批复") || kindName == QStringLiteral("函"))
            return s(m_rng.pick(kAgencies));
        if (kindName == QStringLiteral("请示") || kindName == QStringLiteral("通知")
            || kindName == QStringLiteral("会议纪要") || kindName == QStringLiteral("合同"))
            return orgName.isEmpty() ? s(m_rng.pick(kUnits)) : orgName;
        if (kindName == QStringLiteral("设计文件") || kindName == QStringLiteral("图纸"))
            return s(m_rng.pick(kDesigners));
        return m_rng.chance(60) ? s(m_rng.pick(kBuilders)) : personName();
    }

    Volume makeVolume(std::vector<Doc> &docs, std::vector<Lending> &lends)
    {
        Volume v;
        v.fonds = s(m_rng.pick(kFonds));
        // Later years hold more volumes.
        v.year = kFirstYear + std::max(m_rng.below(kLastYear - kFirstYear + 1), m_rng.below(kLastYear - kFirstYear + 1));
        const CodeList &terms = list(QStringLiteral("AC03"));
        const CodeList &orgs = list(QStringLiteral("AC02"));
        v.term = terms.isEmpty() ? -1 : m_rng.weightedRank(int(terms.size()));
        v.org = orgs.isEmpty() ? -1 : m_rng.weightedRank(int(orgs.size()));
        v.number = ++m_numbers[numberKey(v.fonds, v.year)];

        // As the volume add window composes it when 件号 is left.
        QString ref = v.fonds + QLatin1Char('-');
        ref += QStringLiteral("WS\u00B7") + QString::number(v.year) + QLatin1Char('-');
        if (v.term >= 0)
            ref += terms.at(v.term).code + QLatin1Char('-');
        if (v.org >= 0)
            ref += orgs.at(v.org).code + QLatin1Char('-');
        ref += QString::number(v.number).rightJustified(4, QLatin1Char('0'));
        v.reference = ref;

        const int facilityIndex = m_rng.below(int(std::size(kFacilities)));
        const QString facility = s(kFacilities[facilityIndex]);
        v.project = s(m_rng.pick(kPlaces)) + facility + s(m_rng.pick(kPhases)) + QStringLiteral("工程");
        const VolumeKind &kind = m_rng.pick(kVolumeKinds);
        v.title = v.project + s(kind.name);
        v.klass = s(kind.klass) + QLatin1Char('-') + QString::number(facilityIndex + 1).rightJustified(2, QLatin1Char('0'));
        const QString orgName = v.org >= 0 ? orgs.at(v.org).name : QString();
        v.unit = (!orgName.isEmpty() && m_rng.chance(75)) ? orgName : s(m_rng.pick(kUnits));
        if (m_rng.chance(10))
            v.remark = s(m_rng.pick(kVolumeRemarks));

        const CodeList *volumeSecrecy = columnList(m_volumeColumns, Role::VolumeSecrecy);
        const CodeList *docSecrecy = columnList(m_docColumns, Role::DocSecrecy);
        const CodeList *kinds = columnList(m_docColumns, Role::Kind);
        if (volumeSecrecy && !volumeSecrecy->isEmpty())
            v.secrecy = m_rng.weightedRank(int(volumeSecrecy->size()));

        // Documents: dates within the year in filing order, pages numbered on.
        v.firstDoc = int(docs.size());
        v.docCount = m_rng.range(5, 15);
        std::vector<QDate> dates;
        const QDate jan1(v.year, 1, 1);
        for (int i = 0; i < v.docCount; ++i)
            dates.push_back(jan1.addDays(m_rng.below(jan1.daysInYear())));
        std::sort(dates.begin(), dates.end());
        const QString orgCode = v.org >= 0 && !orgs.at(v.org).code.isEmpty() ? orgs.at(v.org).code : QStringLiteral("WJ");
        int page = 1;
        for (int i = 0; i < v.docCount; ++i) {
            Doc d;
            d.seq = i + 1;
            d.date = dates[size_t(i)];
            int &docNumber = m_docNumbers[orgCode + QString::number(v.year)];
            docNumber += m_rng.range(1, 3);
            d.docNo = orgCode + QLatin1Char('-') + QString::number(v.year) + QLatin1Char('-')
                + QString::number(docNumber).rightJustified(4, QLatin1Char('0'));
            d.kind = kinds && !kinds->isEmpty() ? m_rng.weightedRank(int(kinds->size())) : -1;
            const QString kindName = d.kind >= 0 ? kinds->at(d.kind).name : QString();
            d.title = docTitle(v, facility, kindName);
            d.author = author(kindName, orgName);
            const int band = m_rng.below(100);
            d.pages = band < 70 ? m_rng.range(1, 10) : band < 95 ? m_rng.range(11, 40) : m_rng.range(41, 120);
            d.firstPage = page;
            page += d.pages;
            if (docSecrecy && !docSecrecy->isEmpty()) {
                // A document is never classified above its volume.
                const int top = std::min(v.secrecy >= 0 ? v.secrecy : int(docSecrecy->size()) - 1,
                                         int(docSecrecy->size()) - 1);
                d.secrecy = m_rng.weightedRank(top + 1);
            }
            if (m_rng.chance(5))
                d.remark = s(m_rng.pick(kDocRemarks));
            if (m_rng.chance(6))
                makeLendings(d, int(docs.size()), lends);
            docs.push_back(d);
        }
        // The volume carries its most secret document's level.
        if (docSecrecy && !docSecrecy->isEmpty() && v.secrecy >= 0)
            docs[size_t(v.firstDoc + m_rng.below(v.docCount))].secrecy = std::min(v.secrecy, int(docSecrecy->size()) - 1);
        v.start = dates.front();
        v.end = dates.back();
        v.pages = page - 1;
        return v;
    }

    // One to three lendings in turn; every one but possibly the last is back.
    void makeLendings(Doc &d, int docIndex, std::vector<Lending> &lends)
    {
        const int count = 1 + (m_rng.chance(25) ? 1 : 0) + (m_rng.chance(8) ? 1 : 0);
        const bool lastOpen = m_rng.chance(30);
        QDate from = d.date.addDays(7);
        const qint64 span = from.daysTo(kLendingsUntil);
        const qint64 segment = span / count;
        for (int i = 0; i < count && from <= kLendingsUntil; ++i) {
            Lending l;
            l.doc = docIndex;
            l.user = personName();
            l.aim = s(m_rng.pick(kAims));
            if (m_rng.chance(20))
                l.remark = s(m_rng.pick(kLendRemarks));
            const QDate segEnd = (i == count - 1) ? kLendingsUntil : from.addDays(segment);
            const bool open = lastOpen && i == count - 1;
            if (open) {
                // Open lendings are recent ones.
                const QDate recent = std::max(from, kLendingsUntil.addDays(-150));
                l.start = recent.addDays(m_rng.below(int(recent.daysTo(kLendingsUntil)) + 1));
            } else {
                const int room = std::max(1, int(from.daysTo(segEnd)) / 2);
                l.start = from.addDays(m_rng.below(room));
            }
            static const int dueDays[] = {15, 30, 60};
            l.due = l.start.addDays(m_rng.pick(dueDays));
            if (open) {
                l.state = 1;
            } else {
                l.state = 2;
                l.returned = std::max(l.start, std::min(l.start.addDays(m_rng.range(1, 60)), kLendingsUntil));
                from = std::max(l.returned.addDays(1), segEnd);
            }
            d.lent = l.state == 1;
            lends.push_back(l);
        }
    }

    QVariant text(const QString &value, int width) const
    {
        if (value.isEmpty())
            return QVariant();
        return width > 0 && value.size() > width ? value.left(width) : value;
    }

    QVariant code(const CodeList *codes, int index) const
    {
        if (!codes || index < 0 || index >= codes->size())
            return QVariant();
        return codes->at(index).key;
    }

    QVariant anyValue(const Column &c, int year)
    {
        switch (c.role) {
        case Role::AnyText: return text(s(m_rng.pick(kKeywords)), c.width);
        case Role::AnyInt: return m_rng.range(1, 100);
        case Role::AnyFloat: return m_rng.range(100, 99999) / 100.0;
        case Role::AnyDate: {
            const QDate jan1(year, 1, 1);
            return day(jan1.addDays(m_rng.below(jan1.daysInYear())));
        }
        case Role::AnyCode:
            return c.codes && !c.codes->isEmpty() ? code(c.codes, m_rng.weightedRank(int(c.codes->size()))) : QVariant();
        default: return QVariant();
        }
    }

    QVariantList volumeRow(const Volume &v)
    {
        QVariantList row;
        row.reserve(m_volumeColumns.size() + 1);
        for (const Column &c : m_volumeColumns) {
            switch (c.role) {
            case Role::Fonds: row.append(text(v.fonds, c.width)); break;
            case Role::Year: row.append(v.year); break;
            case Role::Term: row.append(code(c.codes, v.term)); break;
            case Role::Org: row.append(code(c.codes, v.org)); break;
            case Role::Number: row.append(v.number); break;
            case Role::Reference: row.append(text(v.reference, c.width)); break;
            case Role::VolumeTitle: row.append(text(v.title, c.width)); break;
            case Role::Unit: row.append(text(v.unit, c.width)); break;
            case Role::Class: row.append(text(v.klass, c.width)); break;
            case Role::VolumeRemark: row.append(text(v.remark, c.width)); break;
            case Role::Start: row.append(day(v.start)); break;
            case Role::End: row.append(day(v.end)); break;
            case Role::VolumePages: row.append(v.pages); break;
            case Role::VolumeSecrecy: row.append(code(c.codes, v.secrecy)); break;
            default: row.append(anyValue(c, v.year)); break;
            }
        }
        return row;
    }

    QVariantList docRow(const Doc &d)
    {
        QVariantList row;
        row.reserve(m_docColumns.size() + 2);
        for (const Column &c : m_docColumns) {
            switch (c.role) {
            case Role::Seq: row.append(d.seq); break;
            case Role::DocNo: row.append(text(d.docNo, c.width)); break;
            case Role::Author: row.append(text(d.author, c.width)); break;
            case Role::DocTitle: row.append(text(d.title, c.width)); break;
            case Role::DocDate: row.append(day(d.date)); break;
            case Role::DocPages: row.append(d.pages); break;
            case Role::PageRange:
                row.append(text(d.pages == 1 ? QString::number(d.firstPage)
                                             : QString::number(d.firstPage) + QLatin1Char('-')
                                                   + QString::number(d.firstPage + d.pages - 1),
                                c.width));
                break;
            case Role::DocSecrecy: row.append(code(c.codes, d.secrecy)); break;
            case Role::Kind: row.append(code(c.codes, d.kind)); break;
            case Role::DocRemark: row.append(text(d.remark, c.width)); break;
            case Role::LendState: row.append(lendState(c.codes, d.lent)); break;
            default: row.append(anyValue(c, d.date.year())); break;
            }
        }
        return row;
    }

    // The lending dialogs' convention: "借出" while the latest lending is
    // open, "正常" otherwise.
    QVariant lendState(const CodeList *codes, bool lent) const
    {
        if (!codes)
            return QVariant();
        const QString wanted = lent ? QStringLiteral("借出") : QStringLiteral("正常");
        for (const Code &c : *codes)
            if (c.name == wanted)
                return c.key;
        return QVariant();
    }

    // Keys for the rows about to be written, so documents and lendings can
    // point at them without reading anything back.
    std::vector<qint64> reserveKeys(const QString &table, const QString &key, int count)
    {
        std::vector<qint64> keys;
        keys.reserve(size_t(count));
        if (count == 0)
            return keys;
        if (m_pg) {
            // nextval hands out keys no other session gets.
            QSqlQuery q = run(m_db, QStringLiteral("select nextval(pg_get_serial_sequence('%1','%2')) from generate_series(1,%3)")
                                        .arg(table.toLower(), key.toLower())
                                        .arg(count));
            while (q.next())
                keys.push_back(q.value(0).toLongLong());
            if (int(keys.size()) != count)
                throw SqlError(QStringLiteral("无法为表%1分配%2个主键。").arg(table).arg(count));
        } else {
            // Inside the write transaction nobody else adds rows; continue
            // after the highest key ever handed out, as AUTOINCREMENT does.
            QSqlQuery q = run(m_db, QStringLiteral("select max(%1) from %2").arg(key, table));
            qint64 top = q.next() ? q.value(0).toLongLong() : 0;
            QSqlQuery seq = run(m_db, QStringLiteral("select seq from sqlite_sequence where upper(name)='%1'").arg(table));
            if (seq.next())
                top = std::max(top, seq.value(0).toLongLong());
            for (int i = 1; i <= count; ++i)
                keys.push_back(top + i);
        }
        return keys;
    }

    QSqlDatabase m_db;
    bool m_pg;
    Rng m_rng;
    QHash<QString, QString> m_captions;
    QHash<QString, bool> m_shown;
    QHash<QString, CodeList> m_lists;
    QList<Column> m_volumeColumns, m_docColumns;
    QHash<QString, int> m_numbers;    // (全宗号, 年度) -> last 件号
    QHash<QString, int> m_docNumbers; // (机构代码, 年度) -> last document number
};

} // namespace

Counts generate(QSqlDatabase db, qint64 volumes, const std::function<void(qint64)> &progress)
{
    if (volumes <= 0)
        return {};
    Generator g(db);
    return g.generate(volumes, progress);
}

} // namespace DemoData

#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/Dataset.h"

#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>

#include <cmath>

// Records every signal of a dataset in the order sent.
class SignalLog : public QObject {
public:
    QStringList events;
    explicit SignalLog(Dataset &ds)
    {
        auto plain = [&](auto signal, const char *name) {
            connect(&ds, signal, this, [this, name] { events << QLatin1String(name); });
        };
        auto withPos = [&](auto signal, const char *name) {
            connect(&ds, signal, this, [this, name](int p) { events << QStringLiteral("%1:%2").arg(QLatin1String(name)).arg(p); });
        };
        plain(&Dataset::afterOpen, "afterOpen");
        plain(&Dataset::afterClose, "afterClose");
        plain(&Dataset::afterScroll, "afterScroll");
        plain(&Dataset::newRecord, "newRecord");
        plain(&Dataset::afterPost, "afterPost");
        plain(&Dataset::afterDelete, "afterDelete");
        plain(&Dataset::dataReset, "dataReset");
        withPos(&Dataset::rowChanged, "rowChanged");
        withPos(&Dataset::rowInserted, "rowInserted");
        withPos(&Dataset::rowRemoved, "rowRemoved");
        withPos(&Dataset::currentChanged, "current");
        connect(&ds, &Dataset::stateChanged, this, [this](Dataset::State s) {
            static const char *const names[] = {"Inactive", "Browse", "Edit", "Insert"};
            events << QStringLiteral("state:") + QLatin1String(names[int(s)]);
        });
    }
    QStringList take() { return std::exchange(events, {}); }
};

class TestDataset : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    bool pg() const { return m_store->kind() == TestStore::Postgres; }
    // Day number of a date in the current store.
    double dn(const QDate &date) const { return QDate(1899, 12, 30).daysTo(date) - (pg() ? 2 : 0); }

    static void exec(const QString &sql)
    {
        QSqlQuery q(Connection::database());
        if (!q.exec(sql))
            QFAIL(qPrintable(q.lastError().text() + QLatin1Char(' ') + sql));
    }
    static QVariant scalar(const QString &sql)
    {
        QSqlQuery q(Connection::database());
        if (!q.exec(sql) || !q.next())
            return QStringLiteral("<error %1>").arg(q.lastError().text());
        return q.value(0);
    }
    static QStringList column(Dataset &ds, const QString &field)
    {
        QStringList out;
        for (int p = 0; p < ds.recordCount(); ++p)
            out << (ds.isNullAt(p, ds.fieldIndex(field)) ? QStringLiteral("<null>") : ds.textAt(p, ds.fieldIndex(field)));
        return out;
    }
    // Volumes AS01 = names, AI01 = 1..n, in AIID order.
    void addVolumes(const QStringList &names)
    {
        int i = 0;
        for (const QString &n : names) {
            const QString v = n.isNull() ? QStringLiteral("null") : QLatin1Char('\'') + n + QLatin1Char('\'');
            exec(QStringLiteral("insert into N_A(AS01,AI01) values(%1,%2)").arg(v).arg(++i));
        }
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    void openAndClose()
    {
        Dataset ds;
        QCOMPARE(ds.state(), Dataset::State::Inactive);
        ds.open(QStringLiteral("select * from S_USER"));
        QVERIFY(ds.isOpen());
        QCOMPARE(ds.state(), Dataset::State::Browse);
        QCOMPARE(ds.recordCount(), 1);
        QCOMPARE(ds.fieldCount(), 35);
        QCOMPARE(ds.value(QStringLiteral("SUSERID")).toString(), QStringLiteral("0000"));
        QCOMPARE(ds.updateTable(), QStringLiteral("S_USER"));
        ds.close();
        QVERIFY(!ds.isOpen());
        QCOMPARE(ds.recordCount(), 0);

        // A failing statement reports the store's message and leaves the dataset closed.
        ds.open(QStringLiteral("select * from S_USER"));
        try {
            ds.open(QStringLiteral("select * from NO_SUCH_TABLE"));
            QFAIL("open succeeded");
        } catch (const SqlError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("no_such_table"), Qt::CaseInsensitive), qPrintable(e.message()));
        }
        QVERIFY(!ds.isOpen());
        QCOMPARE(ds.fieldCount(), 0);
        QVERIFY_THROWS_EXCEPTION(AppError, ds.value(QStringLiteral("SUSERID")));

        // An empty result still has its columns.
        ds.open(QStringLiteral("select * from N_A a where 1<>1"));
        QCOMPARE(ds.fieldCount(), 39);
        QVERIFY(ds.isEmpty() && ds.bof() && ds.eof());
        QCOMPARE(ds.recNo(), 0);
        QVERIFY(ds.value(QStringLiteral("AS01")).isNull());

        QCOMPARE(ds.exec(QStringLiteral("update S_USER set SUSERNAME='甲' where SUSERID='0000'")), 1);
        QVERIFY_THROWS_EXCEPTION(SqlError, ds.exec(QStringLiteral("update NO_SUCH_TABLE set X=1")));

        // A named connection instead of the shared one.
        {
            QSqlDatabase second = QSqlDatabase::cloneDatabase(Connection::database(), QStringLiteral("second"));
            QVERIFY(second.open());
            Dataset other(QStringLiteral("second"));
            other.open(QStringLiteral("select SUSERNAME from S_USER"));
            QCOMPARE(other.database().connectionName(), QStringLiteral("second"));
            QCOMPARE(other.value(QStringLiteral("SUSERNAME")).toString(), QStringLiteral("甲"));
        }
        QSqlDatabase::removeDatabase(QStringLiteral("second"));
    }

    void fieldsByNameWithoutCase()
    {
        Dataset ds;
        ds.open(QStringLiteral("select SUSERID, SUSERNAME as UserName from S_USER"));
        // PostgreSQL folds unquoted names to lower case; the driver's spelling is kept.
        QCOMPARE(ds.fieldName(1), pg() ? QStringLiteral("username") : QStringLiteral("UserName"));
        for (const QString &n : {QStringLiteral("suserid"), QStringLiteral("SUSERID"), QStringLiteral("SuserId")})
            QCOMPARE(ds.fieldIndex(n), 0);
        QCOMPARE(ds.fieldIndex(QStringLiteral("USERNAME")), 1);
        QCOMPARE(ds.fieldIndex(QStringLiteral("nothing")), -1);
        QVERIFY_THROWS_EXCEPTION(AppError, ds.value(QStringLiteral("nothing")));
    }

    void kindsAndValues()
    {
        exec(QStringLiteral("insert into N_A(AS01,AS50,AI01,AF01,AF02,AD01,AD02,AC01) values('中文测试 Ab','',42,3.25,7,%1,%2,3)")
                 .arg(dn(QDate(2024, 1, 1)))
                 .arg(dn(QDate(2024, 2, 29)) + 0.5));
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A a where 1=1"));
        QCOMPARE(ds.recordCount(), 1);
        using K = Dataset::FieldKind;
        const QList<QPair<QString, K>> kinds = {{QStringLiteral("AIID"), K::Int32}, {QStringLiteral("AS01"), K::Text},
                                                {QStringLiteral("AI01"), K::Int32}, {QStringLiteral("AF02"), K::Double},
                                                {QStringLiteral("AC01"), K::Int32}, {QStringLiteral("AD01"), K::Date}};
        for (const auto &k : kinds)
            QCOMPARE(ds.fieldKind(ds.fieldIndex(k.first)), k.second);
        QCOMPARE(ds.value(QStringLiteral("AS01")), QVariant(QStringLiteral("中文测试 Ab")));
        QCOMPARE(ds.value(QStringLiteral("AI01")), QVariant(42));
        QCOMPARE(ds.value(QStringLiteral("AF01")), QVariant(3.25));
        // A whole number in a float column stays a float.
        QCOMPARE(ds.value(QStringLiteral("AF02")), QVariant(7.0));
        QCOMPARE(ds.value(QStringLiteral("AD01")), QVariant(QDate(2024, 1, 1)));
        QCOMPARE(ds.text(QStringLiteral("AD02")), QStringLiteral("2024-02-29"));
        QCOMPARE(ds.dayNumberAt(0, ds.fieldIndex(QStringLiteral("AD02"))), dn(QDate(2024, 2, 29)) + 0.5);
        QCOMPARE(ds.text(QStringLiteral("AF01")), QStringLiteral("3.25"));
        QCOMPARE(ds.text(QStringLiteral("AF02")), QStringLiteral("7"));
        QVERIFY(ds.isNull(QStringLiteral("AS02")));
        QVERIFY(!ds.value(QStringLiteral("AI02")).isValid());
        QCOMPARE(ds.text(QStringLiteral("AD03")), QString());
        QVERIFY(!ds.isNull(QStringLiteral("AS50"))); // an empty text is not null
        QVERIFY(std::isnan(ds.dayNumberAt(0, ds.fieldIndex(QStringLiteral("AD04")))));

        // Expressions: counts are 64-bit, a "D" name is a date, an all-null column is text.
        ds.open(QStringLiteral("select count(*) as N, max(AD01) as DMAX, min(AF01) as FMIN, null as NOVALUE from N_A"));
        QCOMPARE(ds.fieldKind(0), K::Int64);
        QCOMPARE(ds.value(QStringLiteral("n")), QVariant(qlonglong(1)));
        QCOMPARE(ds.value(QStringLiteral("dmax")), QVariant(QDate(2024, 1, 1)));
        QCOMPARE(ds.value(QStringLiteral("fmin")).toDouble(), 3.25);
        QCOMPARE(ds.fieldKind(3), K::Text);
        ds.setDateField(QStringLiteral("AF01"));
        ds.setDateField(QStringLiteral("AD01"), false);
        ds.open(QStringLiteral("select AF01, AD01 from N_A"));
        QCOMPARE(ds.fieldKind(0), K::Date);
        QCOMPARE(ds.value(0), QVariant(QDate(1899, 12, 30).addDays(pg() ? 5 : 3)));
        QCOMPARE(ds.value(1), QVariant(dn(QDate(2024, 1, 1))));

        if (!pg()) {
            // SQLite keeps whatever was written: a text that is no number is kept as text.
            exec(QStringLiteral("insert into N_A(AI01,AF01) values('12','x1')"));
            ds.setDateField(QStringLiteral("AF01"), false);
            ds.open(QStringLiteral("select AI01, AF01 from N_A order by AIID"));
            QCOMPARE(ds.fieldKind(0), K::Int32);
            QCOMPARE(column(ds, QStringLiteral("AI01")), (QStringList{QStringLiteral("42"), QStringLiteral("12")}));
            QCOMPARE(ds.fieldKind(1), K::Text);
            QCOMPARE(column(ds, QStringLiteral("AF01")), (QStringList{QStringLiteral("3.25"), QStringLiteral("x1")}));
        }
    }

    void setValueConverts_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<QVariant>("shown"); // value() afterwards
        QTest::addColumn<QString>("stored"); // SQL text of the stored value, or "day:" + day number
        // Day numbers as the single-user store holds them; the network store's are 2 smaller.
        QTest::newRow("date") << "AD01" << QVariant(QDate(2024, 1, 1)) << QVariant(QDate(2024, 1, 1)) << "day:45292";
        QTest::newRow("date-time") << "AD01" << QVariant(QDateTime(QDate(2024, 1, 2), QTime(12, 0)))
                                   << QVariant(QDate(2024, 1, 2)) << "day:45293.5";
        QTest::newRow("date text") << "AD01" << QVariant(QStringLiteral("2024-01-03")) << QVariant(QDate(2024, 1, 3)) << "day:45294";
        QTest::newRow("date short text") << "AD01" << QVariant(QStringLiteral("2024-1-4")) << QVariant(QDate(2024, 1, 4)) << "day:45295";
        // Before day zero the time of day counts away from zero.
        QTest::newRow("before day zero") << "AD01" << QVariant(QDateTime(QDate(1899, 12, 29), QTime(6, 0)))
                                         << QVariant(QDate(1899, 12, 29)) << "day:-1.25";
        QTest::newRow("empty text") << "AD01" << QVariant(QString()) << QVariant() << "null";
        QTest::newRow("int text") << "AI01" << QVariant(QStringLiteral(" 17 ")) << QVariant(17) << "17";
        QTest::newRow("int from double") << "AI01" << QVariant(5.0) << QVariant(5) << "5";
        QTest::newRow("float text") << "AF01" << QVariant(QStringLiteral("2.5")) << QVariant(2.5) << "2.5";
        QTest::newRow("text from number") << "AS01" << QVariant(12.5) << QVariant(QStringLiteral("12.5")) << "12.5";
        QTest::newRow("null") << "AS01" << QVariant() << QVariant() << "null";
    }

    void setValueConverts()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, input);
        QFETCH(QVariant, shown);
        QFETCH(QString, stored);
        exec(QStringLiteral("insert into N_A(AS01,AI01,AF01,AD01) values('x',1,1,1)"));
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A"));
        ds.edit();
        ds.setValue(field, input);
        QCOMPARE(ds.value(field), shown);
        ds.post();
        QCOMPARE(ds.value(field), shown);
        const QVariant db = scalar(QStringLiteral("select %1 from N_A").arg(field));
        if (stored == QLatin1String("null"))
            QVERIFY(db.isNull());
        else if (stored.startsWith(QLatin1String("day:")))
            QCOMPARE(db.toDouble(), stored.mid(4).toDouble() - (pg() ? 2 : 0));
        else
            QCOMPARE(db.toString(), stored);
    }

    void setValueRefusesBadInput()
    {
        addVolumes({QStringLiteral("a")});
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A"));
        QVERIFY_THROWS_EXCEPTION(AppError, ds.setValue(QStringLiteral("AS01"), QStringLiteral("b"))); // browse state
        ds.edit();
        const struct { const char *field; QVariant v; } bad[] = {
            {"AI01", QStringLiteral("abc")}, {"AI01", 1.5}, {"AI01", QStringLiteral("99999999999")},
            {"AF01", QStringLiteral("1,5x")}, {"AD01", QStringLiteral("2024-02-30")}, {"AD01", QStringLiteral("明天")}};
        for (const auto &b : bad) {
            try {
                ds.setValue(QLatin1String(b.field), b.v);
                QFAIL(qPrintable(QStringLiteral("accepted %1 = %2").arg(QLatin1String(b.field), b.v.toString())));
            } catch (const ConvertError &e) {
                QVERIFY(e.message().contains(QLatin1String(b.field), Qt::CaseInsensitive));
            }
        }
        QVERIFY(!ds.isModified()); // nothing was taken
        QCOMPARE(ds.value(QStringLiteral("AI01")), QVariant(1));
        QVERIFY(ds.fieldReadOnly(ds.fieldIndex(QStringLiteral("AIID"))));
        QVERIFY_THROWS_EXCEPTION(AppError, ds.setValue(QStringLiteral("aiid"), 99));
    }

    void dayNumberOriginFollowsStore()
    {
        // The single-user store counts from 1899-12-30, the network store from 1900-01-01.
        exec(QStringLiteral("insert into N_BBORROW(AIID,DSDATE) values(1,%1)").arg(pg() ? 45290 : 45292));
        Dataset ds;
        ds.open(QStringLiteral("select * from N_Bborrow"));
        QCOMPARE(ds.value(QStringLiteral("DSDATE")), QVariant(QDate(2024, 1, 1)));
        ds.edit();
        ds.setValue(QStringLiteral("DEDATE"), QDate(2024, 1, 31));
        ds.post();
        QCOMPARE(scalar(QStringLiteral("select DEDATE from N_BBORROW")).toDouble(), pg() ? 45320.0 : 45322.0);
    }

    void navigation()
    {
        addVolumes({QStringLiteral("r1"), QStringLiteral("r2"), QStringLiteral("r3"), QStringLiteral("r4")});
        Dataset ds;
        QSignalSpy scrolls(&ds, &Dataset::afterScroll);
        ds.open(QStringLiteral("select * from N_A order by AIID"));
        QVERIFY(ds.bof() && !ds.eof());
        QCOMPARE(ds.recNo(), 1);
        ds.prior(); // at the first row: no move
        QCOMPARE(ds.recNo(), 1);
        ds.next();
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("r2"));
        QVERIFY(!ds.bof());
        ds.last();
        QVERIFY(ds.eof());
        QCOMPARE(ds.recNo(), 4);
        ds.next();
        QCOMPARE(ds.recNo(), 4);
        ds.setPos(2);
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("r3"));
        QCOMPARE(scrolls.count(), 4); // open, next, last, setPos; not the refused moves
        QStringList seen;
        for (ds.first(); !ds.eof(); ds.next())
            seen << ds.text(QStringLiteral("as01"));
        QCOMPARE(seen, (QStringList{QStringLiteral("r1"), QStringLiteral("r2"), QStringLiteral("r3"), QStringLiteral("r4")}));

        // A bookmark names the row, through a sort and back.
        ds.setPos(1);
        const Dataset::Bookmark b = ds.bookmark();
        ds.sortBy(QStringLiteral("AS01"), Dataset::SortOrder::Descending);
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("r2")); // the current row stays current
        QCOMPARE(ds.pos(), 2);
        ds.first();
        QVERIFY(ds.gotoBookmark(b));
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("r2"));
        ds.clearSort();
        QCOMPARE(ds.recNo(), 2);
        QCOMPARE(ds.bookmarkAt(1), b);
        ds.remove();
        QVERIFY(!ds.bookmarkValid(b));
        QVERIFY(!ds.gotoBookmark(b));
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("r3"));
    }

    void locate_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<bool>("caseInsensitive");
        QTest::addColumn<bool>("partial");
        QTest::addColumn<QString>("found"); // AS01 of the row found, empty: none
        QTest::newRow("exact") << "AS01" << QVariant(QStringLiteral("Beta")) << false << false << "Beta";
        QTest::newRow("case differs") << "AS01" << QVariant(QStringLiteral("beta")) << false << false << "";
        QTest::newRow("without case") << "as01" << QVariant(QStringLiteral("BETA")) << true << false << "Beta";
        QTest::newRow("partial") << "AS01" << QVariant(QStringLiteral("张")) << false << true << "张三";
        QTest::newRow("partial without case") << "AS01" << QVariant(QStringLiteral("bet")) << true << true << "Beta";
        QTest::newRow("partial is a prefix") << "AS01" << QVariant(QStringLiteral("eta")) << true << true << "";
        QTest::newRow("whole text needed") << "AS01" << QVariant(QStringLiteral("张")) << false << false << "";
        QTest::newRow("integer") << "AI01" << QVariant(3) << false << false << "张三";
        QTest::newRow("integer as text") << "AI01" << QVariant(QStringLiteral("2")) << false << false << "Beta";
        QTest::newRow("not a number") << "AI01" << QVariant(QStringLiteral("x")) << false << false << "";
        QTest::newRow("date") << "AD01" << QVariant(QDate(2024, 5, 6)) << false << false << "Beta";
        QTest::newRow("null") << "AD01" << QVariant() << false << false << "Alpha";
    }

    void locate()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, value);
        QFETCH(bool, caseInsensitive);
        QFETCH(bool, partial);
        QFETCH(QString, found);
        addVolumes({QStringLiteral("Alpha"), QStringLiteral("Beta"), QStringLiteral("张三")});
        exec(QStringLiteral("update N_A set AD01=%1 where AI01=2").arg(dn(QDate(2024, 5, 6)) + 0.25));
        exec(QStringLiteral("update N_A set AD01=%1 where AI01=3").arg(dn(QDate(2024, 5, 7))));
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A order by AIID desc"));
        ds.last();
        QCOMPARE(ds.locate(field, value, caseInsensitive, partial), !found.isEmpty());
        QCOMPARE(ds.text(QStringLiteral("AS01")), found.isEmpty() ? QStringLiteral("Alpha") : found);
    }

    void appendPostReadsKeyBack()
    {
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A where 1<>1"));
        QList<int> keys;
        for (const QString &name : {QStringLiteral("第一卷"), QStringLiteral("第二卷")}) {
            ds.append();
            QCOMPARE(ds.state(), Dataset::State::Insert);
            QVERIFY(ds.value(QStringLiteral("AIID")).isNull());
            ds.setValue(QStringLiteral("AS01"), name);
            ds.setValue(QStringLiteral("AD01"), QDate(2023, 12, 31));
            ds.post();
            QCOMPARE(ds.state(), Dataset::State::Browse);
            keys << ds.value(QStringLiteral("AIID")).toInt();
            QCOMPARE(scalar(QStringLiteral("select AS01 from N_A where AIID=%1").arg(keys.last())).toString(), name);
        }
        QVERIFY(keys[0] > 0 && keys[1] > keys[0]);
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.recNo(), 2);
        QCOMPARE(scalar(QStringLiteral("select max(AIID) from N_A")).toInt(), keys[1]);
        QCOMPARE(scalar(QStringLiteral("select AD01 from N_A where AIID=%1").arg(keys[0])).toDouble(), dn(QDate(2023, 12, 31)));

        // Appended while sorted: the posted row keeps its place; without the sort it is last.
        ds.sortBy(QStringLiteral("AS01"), Dataset::SortOrder::Descending);
        ds.append();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("阿"));
        ds.post();
        QCOMPARE(column(ds, QStringLiteral("AS01")), (QStringList{QStringLiteral("第一卷"), QStringLiteral("第二卷"), QStringLiteral("阿")}));
        ds.clearSort();
        QCOMPARE(column(ds, QStringLiteral("AS01")), (QStringList{QStringLiteral("第一卷"), QStringLiteral("第二卷"), QStringLiteral("阿")}));
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("阿"));
        QCOMPARE(scalar(QStringLiteral("select count(*) from N_A")).toInt(), 3);
    }

    void editWritesOnlyChangedColumns()
    {
        addVolumes({QStringLiteral("旧"), QStringLiteral("另一")});
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A order by AIID"));
        // Another user changes other columns of the same row meanwhile.
        exec(QStringLiteral("update N_A set AS02='别人', AI02=9 where AS01='旧'"));
        ds.edit();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("新"));
        ds.setValue(QStringLiteral("AI01"), 1); // the same value: not a change
        ds.setValue(QStringLiteral("AS02"), QStringLiteral("临时"));
        ds.setValue(QStringLiteral("AS02"), QVariant()); // back to its original null
        ds.post();
        QCOMPARE(scalar(QStringLiteral("select AS01 from N_A where AI01=1")).toString(), QStringLiteral("新"));
        QCOMPARE(scalar(QStringLiteral("select AS02 from N_A where AI01=1")).toString(), QStringLiteral("别人"));
        QCOMPARE(scalar(QStringLiteral("select AI02 from N_A where AI01=1")).toInt(), 9);
        QCOMPARE(scalar(QStringLiteral("select AS01 from N_A where AI01=2")).toString(), QStringLiteral("另一"));
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("新"));

        // Moving away posts a modified row.
        ds.edit();
        ds.setValue(QStringLiteral("AF01"), 2.5);
        ds.next();
        QCOMPARE(ds.state(), Dataset::State::Browse);
        QCOMPARE(scalar(QStringLiteral("select AF01 from N_A where AI01=1")).toDouble(), 2.5);
    }

    void failedPostKeepsValues()
    {
        exec(QStringLiteral("insert into S_USER(SUSERID,SUSERNAME) values('0001','乙')"));
        Dataset ds;
        ds.open(QStringLiteral("select * from S_USER order by SUSERID"));
        // Insert with a code that is taken.
        ds.append();
        ds.setValue(QStringLiteral("SUSERID"), QStringLiteral("0000"));
        ds.setValue(QStringLiteral("SUSERNAME"), QStringLiteral("丙"));
        QVERIFY_THROWS_EXCEPTION(SqlError, ds.post());
        QCOMPARE(ds.state(), Dataset::State::Insert);
        QCOMPARE(ds.text(QStringLiteral("SUSERNAME")), QStringLiteral("丙"));
        QCOMPARE(ds.recordCount(), 3);
        ds.setValue(QStringLiteral("SUSERID"), QStringLiteral("0002"));
        ds.post();
        QCOMPARE(scalar(QStringLiteral("select SUSERNAME from S_USER where SUSERID='0002'")).toString(), QStringLiteral("丙"));

        // Edit onto a taken code.
        ds.first();
        ds.edit();
        ds.setValue(QStringLiteral("SUSERID"), QStringLiteral("0001"));
        QVERIFY_THROWS_EXCEPTION(SqlError, ds.post());
        QCOMPARE(ds.state(), Dataset::State::Edit);
        QCOMPARE(ds.text(QStringLiteral("SUSERID")), QStringLiteral("0001"));
        ds.cancel();
        QCOMPARE(ds.text(QStringLiteral("SUSERID")), QStringLiteral("0000"));
        QCOMPARE(scalar(QStringLiteral("select count(*) from S_USER")).toInt(), 3);

        if (pg()) {
            // A text longer than its column is refused by the network store.
            Dataset vol;
            vol.open(QStringLiteral("select * from N_A where 1<>1"));
            vol.append();
            vol.setValue(QStringLiteral("AS01"), QString(60, QChar(0x5377)));
            try {
                vol.post();
                QFAIL("too long text posted");
            } catch (const SqlError &e) {
                QVERIFY2(e.message().contains(QLatin1String("too long")) || e.message().contains(QLatin1String("50")),
                         qPrintable(e.message()));
            }
            QCOMPARE(vol.state(), Dataset::State::Insert);
            QCOMPARE(vol.text(QStringLiteral("AS01")).size(), 60);
        }
    }

    void rowGoneOrChangedBehindTheDataset()
    {
        addVolumes({QStringLiteral("a"), QStringLiteral("b")});
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A order by AIID"));
        exec(QStringLiteral("delete from N_A where AS01='a'"));
        ds.edit();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("c"));
        try {
            ds.post();
            QFAIL("posted a deleted row");
        } catch (const SqlError &e) {
            QCOMPARE(e.message(), QStringLiteral("记录已被修改或删除，无法保存。"));
        }
        QCOMPARE(ds.state(), Dataset::State::Edit);
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("c"));
        ds.cancel();
        QVERIFY_THROWS_EXCEPTION(SqlError, ds.remove());
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(scalar(QStringLiteral("select count(*) from N_A")).toInt(), 1);
    }

    void cancel()
    {
        addVolumes({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A order by AIID"));
        ds.setPos(1);
        ds.edit();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("x"));
        ds.cancel();
        QCOMPARE(ds.state(), Dataset::State::Browse);
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("b"));
        ds.append();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("y"));
        QCOMPARE(ds.recordCount(), 4);
        ds.cancel();
        QCOMPARE(ds.recordCount(), 3);
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("b")); // back where it was
        // remove() of an unsaved row is its cancel.
        ds.append();
        ds.remove();
        QCOMPARE(ds.recordCount(), 3);
        // An untouched new row is dropped by a move; edit() of an empty result appends.
        ds.append();
        ds.first();
        QCOMPARE(ds.recordCount(), 3);
        QCOMPARE(scalar(QStringLiteral("select count(*) from N_A")).toInt(), 3);
        ds.open(QStringLiteral("select * from N_A where 1<>1"));
        ds.edit();
        QCOMPARE(ds.state(), Dataset::State::Insert);
    }

    void removeDeletesAtOnce()
    {
        addVolumes({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A order by AIID"));
        SignalLog log(ds);
        ds.setPos(1);
        log.take();
        ds.remove();
        QCOMPARE(log.take(), (QStringList{QStringLiteral("rowRemoved:1"), QStringLiteral("current:1"),
                                          QStringLiteral("afterDelete"), QStringLiteral("afterScroll")}));
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("c")); // the following row
        QCOMPARE(scalar(QStringLiteral("select count(*) from N_A where AS01='b'")).toInt(), 0);
        ds.remove(); // the last row: the cursor goes to the new last
        QCOMPARE(ds.text(QStringLiteral("AS01")), QStringLiteral("a"));
        // In edit state the stored row is deleted, not the typed values.
        ds.edit();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("zz"));
        ds.remove();
        QVERIFY(ds.isEmpty() && ds.state() == Dataset::State::Browse);
        QCOMPARE(scalar(QStringLiteral("select count(*) from N_A")).toInt(), 0);
        QVERIFY_THROWS_EXCEPTION(AppError, ds.remove());
    }

    void joinedQueryWritesItsTableOnly()
    {
        addVolumes({QStringLiteral("卷")});
        exec(QStringLiteral("insert into N_B(AIID,BS01) values((select max(AIID) from N_A),'件')"));
        Dataset ds;
        ds.open(QStringLiteral("select a.AIID, a.AS01, b.BS01, b.BIID, a.AI01+1 as NEXTNO "
                               "from N_A a, N_B b where b.AIID=a.AIID"));
        QCOMPARE(ds.updateTable(), QStringLiteral("N_A"));
        ds.edit();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("卷改"));
        ds.setValue(QStringLiteral("BS01"), QStringLiteral("件改"));
        ds.setValue(QStringLiteral("NEXTNO"), 7);
        ds.post();
        QCOMPARE(scalar(QStringLiteral("select AS01 from N_A")).toString(), QStringLiteral("卷改"));
        QCOMPARE(scalar(QStringLiteral("select BS01 from N_B")).toString(), QStringLiteral("件"));
        QCOMPARE(ds.text(QStringLiteral("BS01")), QStringLiteral("件改")); // kept in the dataset only

        // Another table by choice; a sub-select before "from" does not count.
        ds.setUpdateTable(QStringLiteral("N_B"));
        ds.edit();
        ds.setValue(QStringLiteral("BS01"), QStringLiteral("件二"));
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("不写"));
        ds.post();
        QCOMPARE(scalar(QStringLiteral("select BS01 from N_B")).toString(), QStringLiteral("件二"));
        QCOMPARE(scalar(QStringLiteral("select AS01 from N_A")).toString(), QStringLiteral("卷改"));
        Dataset sub;
        sub.setSql(QStringLiteral("select (select count(*) from N_B x where x.AIID=a.AIID) as n, 'from s_user' as t, a.* "
                                  "FROM\n  N_A a where 1=1"));
        QCOMPARE(sub.updateTable(), QStringLiteral("N_A"));
    }

    void tableWithoutKeyUsesOriginalValues()
    {
        exec(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('T','AS01','k1',null)"));
        exec(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('T','AS01','k2','v')"));
        exec(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('T','AS02','k3','w')"));
        exec(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('T','AS02','k3','w')"));
        Dataset ds;
        ds.open(QStringLiteral("select * from s_easy where STABLE='T' order by SEASY"));
        ds.edit();
        ds.setValue(QStringLiteral("SVALUE"), QStringLiteral("新值")); // its original is null
        ds.post();
        QCOMPARE(scalar(QStringLiteral("select SVALUE from S_EASY where SEASY='k1'")).toString(), QStringLiteral("新值"));
        QCOMPARE(scalar(QStringLiteral("select SVALUE from S_EASY where SEASY='k2'")).toString(), QStringLiteral("v"));
        ds.next();
        ds.remove();
        QCOMPARE(scalar(QStringLiteral("select count(*) from S_EASY where STABLE='T'")).toInt(), 3);
        // Two identical rows cannot be told apart: nothing is written.
        ds.last();
        ds.edit();
        ds.setValue(QStringLiteral("SVALUE"), QStringLiteral("x"));
        QVERIFY_THROWS_EXCEPTION(SqlError, ds.post());
        QCOMPARE(ds.state(), Dataset::State::Edit);
        ds.cancel();
        QVERIFY_THROWS_EXCEPTION(SqlError, ds.remove());
        QCOMPARE(scalar(QStringLiteral("select count(*) from S_EASY where STABLE='T' and SVALUE='w'")).toInt(), 2);
    }

    // An empty text is not null, even when no row of the column holds a
    // character: a table without key still finds the row by it.
    void emptyTextIsNotNull()
    {
        exec(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('E','AS01','','a')"));
        exec(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('E','AS02','','b')"));
        Dataset ds;
        ds.open(QStringLiteral("select * from S_EASY where STABLE='E' order by SFIELD"));
        QVERIFY(!ds.isNull(QStringLiteral("SEASY")));
        QCOMPARE(ds.value(QStringLiteral("SEASY")), QVariant(QString(QLatin1String(""))));
        ds.edit();
        ds.setValue(QStringLiteral("SVALUE"), QStringLiteral("新"));
        ds.post();
        QCOMPARE(scalar(QStringLiteral("select SVALUE from S_EASY where STABLE='E' and SFIELD='AS01'")).toString(),
                 QStringLiteral("新"));
        ds.next();
        ds.remove();
        QCOMPARE(scalar(QStringLiteral("select count(*) from S_EASY where STABLE='E'")).toInt(), 1);
    }

    void sortPinyinStable_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("order");
        QTest::addColumn<QString>("expected"); // AS01 and AI01 of each row, in order
        // AI01 is 1..6 in insertion order; AF01 is set to -AI01 for the float sort.
        QTest::newRow("text asc") << "AS01" << int(Dataset::SortOrder::Ascending) << "<null>6 阿明4 李四2 李四5 王五3 张三1";
        QTest::newRow("text desc") << "as01" << int(Dataset::SortOrder::Descending) << "张三1 王五3 李四2 李四5 阿明4 <null>6";
        QTest::newRow("none") << "AS01" << int(Dataset::SortOrder::None) << "张三1 李四2 王五3 阿明4 李四5 <null>6";
        QTest::newRow("float asc") << "AF01" << int(Dataset::SortOrder::Ascending) << "<null>6 李四2 阿明4 张三1 王五3 李四5";
        QTest::newRow("float desc") << "AF01" << int(Dataset::SortOrder::Descending) << "王五3 李四5 张三1 李四2 阿明4 <null>6";
    }

    void sortPinyinStable()
    {
        QFETCH(QString, field);
        QFETCH(int, order);
        QFETCH(QString, expected);
        addVolumes({QStringLiteral("张三"), QStringLiteral("李四"), QStringLiteral("王五"), QStringLiteral("阿明"),
                    QStringLiteral("李四"), QString()});
        exec(QStringLiteral("update N_A set AF01=AI01*10 where AI01 in (1,4)"));
        exec(QStringLiteral("update N_A set AF01=-1 where AI01 = 2"));
        exec(QStringLiteral("update N_A set AF01=99.5 where AI01 in (3,5)"));
        exec(QStringLiteral("update N_A set AF01=-1 where AI01 = 4"));
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A order by AIID"));
        ds.sortBy(QStringLiteral("AI01"), Dataset::SortOrder::Descending); // an earlier sort does not matter
        ds.sortBy(field, Dataset::SortOrder(order));
        QCOMPARE(ds.sortOrder(), Dataset::SortOrder(order));
        QCOMPARE(ds.sortField().isEmpty(), order == int(Dataset::SortOrder::None));
        QStringList rows;
        for (int p = 0; p < ds.recordCount(); ++p)
            rows << column(ds, QStringLiteral("AS01")).at(p) + column(ds, QStringLiteral("AI01")).at(p);
        QCOMPARE(rows.join(QLatin1Char(' ')), expected);
    }

    void signalOrder()
    {
        addVolumes({QStringLiteral("a"), QStringLiteral("b")});
        Dataset ds;
        SignalLog log(ds);
        QSignalSpy states(&ds, &Dataset::stateChanged);
        ds.open(QStringLiteral("select * from N_A order by AIID"));
        QCOMPARE(log.take(), (QStringList{QStringLiteral("state:Browse"), QStringLiteral("dataReset"), QStringLiteral("current:0"),
                                          QStringLiteral("afterOpen"), QStringLiteral("afterScroll")}));
        ds.next();
        QCOMPARE(log.take(), (QStringList{QStringLiteral("current:1"), QStringLiteral("afterScroll")}));
        ds.next(); // at the end: nothing happens
        QCOMPARE(log.take(), QStringList());
        // A new row: its defaults from the newRecord handler are no modification.
        connect(&ds, &Dataset::newRecord, &ds, [&ds] { ds.setValue(QStringLiteral("AI01"), 1); });
        ds.append();
        QCOMPARE(log.take(), (QStringList{QStringLiteral("rowInserted:2"), QStringLiteral("current:2"), QStringLiteral("state:Insert"),
                                          QStringLiteral("newRecord"), QStringLiteral("rowChanged:2"), QStringLiteral("afterScroll")}));
        QCOMPARE(ds.value(QStringLiteral("AI01")), QVariant(1));
        QVERIFY(!ds.isModified());
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("c"));
        QVERIFY(ds.isModified());
        log.take();
        ds.post();
        QCOMPARE(log.take(), (QStringList{QStringLiteral("state:Browse"), QStringLiteral("rowChanged:2"), QStringLiteral("afterPost")}));
        ds.edit();
        ds.cancel();
        QCOMPARE(log.take(), (QStringList{QStringLiteral("state:Edit"), QStringLiteral("state:Browse"), QStringLiteral("rowChanged:2")}));
        ds.sortBy(QStringLiteral("AS01"), Dataset::SortOrder::Descending);
        QCOMPARE(log.take(), (QStringList{QStringLiteral("dataReset"), QStringLiteral("current:0")}));
        ds.close();
        QCOMPARE(log.take(), (QStringList{QStringLiteral("state:Inactive"), QStringLiteral("dataReset"), QStringLiteral("current:-1"),
                                          QStringLiteral("afterClose")}));
        QCOMPARE(states.count(), 6);
        QCOMPARE(states.at(2).at(0).value<Dataset::State>(), Dataset::State::Browse);
    }

    void disabledControlsHoldViewNotifications()
    {
        addVolumes({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")});
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A order by AIID"));
        SignalLog log(ds);
        ds.disableControls();
        ds.disableControls();
        QVERIFY(ds.controlsDisabled());
        ds.next();
        ds.edit();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("x"));
        ds.post();
        ds.remove();
        ds.sortBy(QStringLiteral("AS01"), Dataset::SortOrder::Ascending);
        // Events go on; the view hears nothing.
        QCOMPARE(log.take(), (QStringList{QStringLiteral("afterScroll"), QStringLiteral("state:Edit"), QStringLiteral("state:Browse"),
                                          QStringLiteral("afterPost"), QStringLiteral("afterDelete"), QStringLiteral("afterScroll")}));
        ds.enableControls();
        QVERIFY(ds.controlsDisabled());
        QCOMPARE(log.take(), QStringList());
        ds.enableControls();
        QVERIFY(!ds.controlsDisabled());
        QCOMPARE(log.take(), (QStringList{QStringLiteral("dataReset"), QStringLiteral("current:%1").arg(ds.pos())}));
        // Nothing held: enabling sends nothing.
        ds.disableControls();
        ds.enableControls();
        QCOMPARE(log.take(), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestDataset)
#include "tst_dataset.moc"

#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "data/DemoData.h"
#include "data/Schema.h"
#include "data/StoreBuilder.h"

#include <QDate>
#include <QRegularExpression>
#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

class TestDemoData : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;
    QStringList m_connections;

    // The store as a connection of its own, as the administration tool opens it.
    QSqlDatabase open(const TestStore &store)
    {
        const QString name = QStringLiteral("demo_test_%1").arg(m_connections.size());
        m_connections.append(name);
        if (store.kind() == TestStore::SQLite)
            return StoreBuilder::openSingleUserStore(store.folder(), name);
        StoreBuilder::NetworkTarget t;
        t.server = store.server();
        t.database = store.database();
        return StoreBuilder::openNetworkStore(t, name);
    }

    static QSqlQuery query(QSqlDatabase db, const QString &sql)
    {
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return q;
    }

    static qint64 count(QSqlDatabase db, const QString &sql)
    {
        QSqlQuery q = query(db, sql);
        return q.next() ? q.value(0).toLongLong() : -1;
    }

    // Every row as text, columns in schema order, so two stores compare cell by cell.
    static QStringList dump(QSqlDatabase db, const QString &table, const QString &key)
    {
        QStringList cols;
        for (const ColumnDef &c : Schema::table(table)->columns)
            cols.append(c.name);
        QSqlQuery q = query(db, QStringLiteral("select %1 from %2 order by %3").arg(cols.join(QLatin1Char(',')), table, key));
        QStringList rows;
        while (q.next()) {
            QStringList cells;
            for (int i = 0; i < cols.size(); ++i)
                cells.append(q.isNull(i) ? QStringLiteral("<null>") : q.value(i).toString());
            rows.append(cells.join(QLatin1Char('|')));
        }
        return rows;
    }

    QDate dateOf(const QVariant &dayNumber) const
    {
        const int offset = m_store->kind() == TestStore::Postgres ? 2 : 0;
        return QDate(1899, 12, 30).addDays(qint64(dayNumber.toDouble()) + offset);
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup()
    {
        for (const QString &name : std::as_const(m_connections)) {
            QSqlDatabase::database(name, false).close();
            QSqlDatabase::removeDatabase(name);
        }
        m_connections.clear();
        m_store.reset();
    }

    // Two fresh stores given the same request hold the same archive; a second
    // run on the same store adds other volumes after the first ones.
    void sameRequestSameArchive()
    {
        TestStore other(m_store->kind(), false);
        QSqlDatabase a = open(*m_store);
        QSqlDatabase b = open(other);
        const DemoData::Counts ca = DemoData::generate(a, 50);
        const DemoData::Counts cb = DemoData::generate(b, 50);
        QCOMPARE(ca.volumes, 50);
        QCOMPARE(cb.documents, ca.documents);
        QCOMPARE(cb.lendings, ca.lendings);
        const QStringList volumes = dump(a, QStringLiteral("N_A"), QStringLiteral("AIID"));
        QCOMPARE(volumes.size(), 50);
        QCOMPARE(dump(b, QStringLiteral("N_A"), QStringLiteral("AIID")), volumes);
        QCOMPARE(dump(b, QStringLiteral("N_B"), QStringLiteral("BIID")), dump(a, QStringLiteral("N_B"), QStringLiteral("BIID")));
        QCOMPARE(dump(b, QStringLiteral("N_BBORROW"), QStringLiteral("IID")),
                 dump(a, QStringLiteral("N_BBORROW"), QStringLiteral("IID")));

        // Added, not replaced: keys and reference numbers go on.
        const DemoData::Counts more = DemoData::generate(a, 30);
        QCOMPARE(more.volumes, 30);
        QCOMPARE(count(a, QStringLiteral("select count(*) from N_A")), 80);
        QCOMPARE(count(a, QStringLiteral("select min(AIID) from N_A where AIID>50")), 51);
        QCOMPARE(count(a, QStringLiteral("select count(*) from N_B")), ca.documents + more.documents);
        QCOMPARE(count(a, QStringLiteral("select count(distinct AS14) from N_A")), 80);
        QCOMPARE(count(a, QStringLiteral("select count(*) from (select AS07, AI01, AI02 from N_A group by AS07, AI01, AI02 "
                                         "having count(*)>1) d")),
                 0);
        // The second run is not a copy of the first.
        QSqlQuery titles = query(a, QStringLiteral("select AS01 from N_A where AIID>50 order by AIID"));
        QSqlQuery first = query(a, QStringLiteral("select AS01 from N_A where AIID<=30 order by AIID"));
        int same = 0;
        while (titles.next() && first.next())
            same += titles.value(0) == first.value(0);
        QVERIFY(same < 30);
        b.close(); // before the other store goes away
    }

    void zeroVolumesWritesNothing()
    {
        QSqlDatabase db = open(*m_store);
        int calls = 0;
        const DemoData::Counts c = DemoData::generate(db, 0, [&](qint64) { ++calls; });
        QCOMPARE(c.volumes + c.documents + c.lendings, 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_A")), 0);
        QCOMPARE(calls, 0);
    }

    // Counts, ownership, progress, and the dictionary's say: required fields
    // filled, hidden fields empty.
    void shapeOfTheArchive()
    {
        QSqlDatabase db = open(*m_store);
        QList<qint64> progress;
        const qint64 n = 2300; // more than one transaction
        const DemoData::Counts c = DemoData::generate(db, n, [&](qint64 done) { progress.append(done); });
        QCOMPARE(c.volumes, n);
        QVERIFY(progress.size() >= 2);
        QCOMPARE(progress.last(), n);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_A")), n);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_B")), c.documents);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_BBORROW")), c.lendings);
        QVERIFY(c.lendings > 0);

        // 5 to 15 documents per volume, numbered 1..k, none without its volume.
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_A a where (select count(*) from N_B b where b.AIID=a.AIID) "
                                          "not between 5 and 15")),
                 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_B b where not exists (select 1 from N_A a where a.AIID=b.AIID)")), 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from (select AIID from N_B group by AIID "
                                          "having min(BI01)<>1 or max(BI01)<>count(*) or count(distinct BI01)<>count(*)) d")),
                 0);
        QVERIFY(count(db, QStringLiteral("select min(c) from (select count(*) c from N_B group by AIID) d")) == 5);
        QVERIFY(count(db, QStringLiteral("select max(c) from (select count(*) c from N_B group by AIID) d")) == 15);

        for (const char *table : {"N_A", "N_B"}) {
            QSqlQuery f = query(db, QStringLiteral("select SFIELD, IDISPLAY, INOTNULL from S_FIELD where STABLE='%1'")
                                        .arg(QLatin1String(table)));
            while (f.next()) {
                const QString code = f.value(0).toString();
                const qint64 filled = count(db, QStringLiteral("select count(*) from %1 where %2 is not null")
                                                    .arg(QLatin1String(table), code));
                if (f.value(1).toInt() == 1 && f.value(2).toInt() == 1)
                    QVERIFY2(filled == count(db, QStringLiteral("select count(*) from %1").arg(QLatin1String(table))),
                             qPrintable(code));
                else if (f.value(1).toInt() == 0 && code != QLatin1String("BC10"))
                    QVERIFY2(filled == 0, qPrintable(code));
            }
        }

        // Texts come from vocabularies: no field code or running number as a value.
        static const QRegularExpression placeholder(QStringLiteral("[AB][SICFD][0-9]{2}"));
        QSqlQuery t = query(db, QStringLiteral("select AS01, AS02, AS15, AS50 from N_A where AIID<=200"));
        while (t.next())
            for (int i = 0; i < 4; ++i)
                QVERIFY2(!placeholder.match(t.value(i).toString()).hasMatch(), qPrintable(t.value(i).toString()));
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_A where AS01 not like '%工程%'")), 0);
        static const QRegularExpression docNo(QStringLiteral("^[A-Z]+-(199[5-9]|20[0-2][0-9])-[0-9]{4,}$"));
        QSqlQuery d = query(db, QStringLiteral("select BS01, BS02, BS03 from N_B where BIID<=500"));
        while (d.next()) {
            QVERIFY2(docNo.match(d.value(0).toString()).hasMatch(), qPrintable(d.value(0).toString()));
            QVERIFY(!d.value(1).toString().isEmpty());
            QVERIFY(!d.value(2).toString().isEmpty());
        }
        // Years and fonds as an archive has them.
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_A where AI01 not between 1995 and 2024")), 0);
        QVERIFY(count(db, QStringLiteral("select count(distinct AI01) from N_A")) >= 25);
        QVERIFY(count(db, QStringLiteral("select count(distinct AS07) from N_A")) >= 2);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_A where AS07 not like 'Z%'")), 0);
    }

    // Every code written has a row in its code list.
    void codesExistInTheirLists()
    {
        QSqlDatabase db = open(*m_store);
        DemoData::generate(db, 300);
        int used = 0;
        for (QChar letter : {QLatin1Char('A'), QLatin1Char('B')}) {
            const QString table = letter == QLatin1Char('A') ? QStringLiteral("N_A") : QStringLiteral("N_B");
            for (const QString &code : Schema::fieldCodes(letter)) {
                if (code.at(1) != QLatin1Char('C'))
                    continue;
                QCOMPARE(count(db, QStringLiteral("select count(*) from %1 r where r.%2 is not null and not exists "
                                                  "(select 1 from N_%2 c where c.%2=r.%2)")
                                       .arg(table, code)),
                         0);
                const qint64 distinct = count(db, QStringLiteral("select count(distinct %2) from %1").arg(table, code));
                if (distinct > 0)
                    ++used;
                // The whole list is used, not just its first entry.
                if (distinct > 0 && code != QLatin1String("BC10"))
                    QCOMPARE(distinct, count(db, QStringLiteral("select count(*) from N_%1").arg(code)));
            }
        }
        QVERIFY(used >= 6);
        // A document is never classified above its volume.
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_A a, N_B b, N_AC01 va, N_BC01 vb where b.AIID=a.AIID "
                                          "and va.AC01=a.AC01 and vb.BC01=b.BC01 and vb.BC01ORDER>va.AC01ORDER")),
                 0);
    }

    // 档号 exactly as the volume add window composes it.
    void referenceNumbersAreComposed()
    {
        QSqlDatabase db = open(*m_store);
        DemoData::generate(db, 400);
        QSqlQuery q = query(db, QStringLiteral("select a.AS07, a.AI01, t.AC03CODE, o.AC02CODE, a.AI02, a.AS14 "
                                               "from N_A a, N_AC03 t, N_AC02 o where t.AC03=a.AC03 and o.AC02=a.AC02"));
        int rows = 0;
        while (q.next()) {
            const QString expected = q.value(0).toString() + QStringLiteral("-WS\u00B7") + q.value(1).toString()
                + QLatin1Char('-') + q.value(2).toString() + QLatin1Char('-') + q.value(3).toString() + QLatin1Char('-')
                + q.value(4).toString().rightJustified(4, QLatin1Char('0'));
            QCOMPARE(q.value(5).toString(), expected);
            ++rows;
        }
        QCOMPARE(rows, 400);
        // 件号 runs 1..n inside each (全宗号, 年度).
        QCOMPARE(count(db, QStringLiteral("select count(*) from (select AS07, AI01 from N_A group by AS07, AI01 "
                                          "having min(AI02)<>1 or max(AI02)<>count(*) or count(distinct AI02)<>count(*)) d")),
                 0);
    }

    // Dates lie in the volume's year; the volume spans its documents and counts their pages.
    void datesAndPages()
    {
        QSqlDatabase db = open(*m_store);
        DemoData::generate(db, 150);
        QSqlQuery v = query(db, QStringLiteral("select AIID, AI01, AD01, AD02, AI03 from N_A"));
        while (v.next()) {
            const int year = v.value(1).toInt();
            const QDate start = dateOf(v.value(2)), end = dateOf(v.value(3));
            QCOMPARE(start.year(), year);
            QCOMPARE(end.year(), year);
            QVERIFY(start <= end);
            QSqlQuery d = query(db, QStringLiteral("select min(BD01), max(BD01), sum(BI02) from N_B where AIID=%1")
                                        .arg(v.value(0).toLongLong()));
            QVERIFY(d.next());
            QCOMPARE(dateOf(d.value(0)), start);
            QCOMPARE(dateOf(d.value(1)), end);
            QCOMPARE(d.value(2).toInt(), v.value(4).toInt());
        }
        // 页号 ranges follow each other inside a volume.
        QSqlQuery p = query(db, QStringLiteral("select AIID, BI02, BS04 from N_B order by AIID, BI01"));
        qint64 volume = -1;
        int next = 1;
        while (p.next()) {
            if (p.value(0).toLongLong() != volume) {
                volume = p.value(0).toLongLong();
                next = 1;
            }
            const int pages = p.value(1).toInt();
            QVERIFY(pages >= 1);
            const QString expected = pages == 1 ? QString::number(next)
                                                : QStringLiteral("%1-%2").arg(next).arg(next + pages - 1);
            QCOMPARE(p.value(2).toString(), expected);
            next += pages;
        }
    }

    // Lendings point at documents; BC10 says "借出" exactly when the latest one is open.
    void lendingsMatchTheLendingState()
    {
        QSqlDatabase db = open(*m_store);
        DemoData::generate(db, 400);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_BBORROW l where not exists (select 1 from N_B b where b.BIID=l.AIID)")), 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_BBORROW where ISTATE not in (1,2)")), 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_BBORROW where ISTATE=1 and DSJEDATE is not null")), 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_BBORROW where ISTATE=2 and (DSJEDATE is null or DSJEDATE<DSDATE)")), 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_BBORROW where SUSER is null or DSDATE is null or DEDATE<DSDATE")), 0);
        QVERIFY(count(db, QStringLiteral("select count(*) from N_BBORROW where ISTATE=1")) > 0);
        QVERIFY(count(db, QStringLiteral("select count(*) from N_BBORROW where ISTATE=2")) > 0);
        // A document has at most one open lending, its latest, and lendings follow each other.
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_BBORROW a, N_BBORROW b where a.AIID=b.AIID and a.IID<>b.IID "
                                          "and (a.ISTATE=1 and b.DSDATE>a.DSDATE or a.ISTATE=2 and b.DSDATE>a.DSDATE and b.DSDATE<=a.DSJEDATE)")),
                 0);
        // Lent only after the document was written.
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_BBORROW l, N_B b where b.BIID=l.AIID and l.DSDATE<b.BD01")), 0);

        const qint64 lent = count(db, QStringLiteral("select BC10 from N_BC10 where BC10NAME='借出'"));
        const qint64 normal = count(db, QStringLiteral("select BC10 from N_BC10 where BC10NAME='正常'"));
        QSqlQuery q = query(db, QStringLiteral("select b.BC10, (select count(*) from N_BBORROW l where l.AIID=b.BIID and l.ISTATE=1) "
                                               "from N_B b"));
        int open = 0;
        while (q.next()) {
            const bool isOpen = q.value(1).toInt() > 0;
            open += isOpen;
            QCOMPARE(q.value(0).toLongLong(), isOpen ? lent : normal);
        }
        QVERIFY(open > 0);
    }

    // The generator follows the dictionary: a field shown later gets values,
    // a field hidden gets none.
    void followsTheDictionary()
    {
        QSqlDatabase db = open(*m_store);
        QSqlQuery u(db);
        QVERIFY(u.exec(QStringLiteral("update S_FIELD set IDISPLAY=1, SFIELDNAME1='主题词' where STABLE='N_A' and SFIELD='AS03'")));
        QVERIFY(u.exec(QStringLiteral("update S_FIELD set IDISPLAY=1 where STABLE='N_B' and SFIELD in ('BI03','BD02','BF01','BC03')")));
        QVERIFY(u.exec(QStringLiteral("insert into N_BC03(BC03NAME,BC03ORDER) values('纸质',1)")));
        QVERIFY(u.exec(QStringLiteral("update S_FIELD set IDISPLAY=0 where STABLE='N_A' and SFIELD='AS15'")));
        DemoData::generate(db, 40);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_A where AS03 is null")), 0);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_A where AS15 is not null")), 0);
        for (const char *f : {"BI03", "BD02", "BF01", "BC03"})
            QVERIFY2(count(db, QStringLiteral("select count(*) from N_B where %1 is null").arg(QLatin1String(f))) == 0, f);
        QCOMPARE(count(db, QStringLiteral("select count(*) from N_B where BC03<>(select BC03 from N_BC03)")), 0);
        // Generic dates also lie in the year of their volume.
        QSqlQuery q = query(db, QStringLiteral("select a.AI01, b.BD02 from N_A a, N_B b where a.AIID=b.AIID"));
        while (q.next())
            QCOMPARE(dateOf(q.value(1)).year(), q.value(0).toInt());
    }
};

QTEST_GUILESS_MAIN(TestDemoData)
#include "tst_demodata.moc"

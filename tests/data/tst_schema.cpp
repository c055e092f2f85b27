#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/Schema.h"
#include "data/StoreBuilder.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

class TestSchema : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    void fieldCodes()
    {
        const QStringList a = Schema::fieldCodes(QLatin1Char('A'));
        QCOMPARE(a.size(), 38);
        QCOMPARE(a.first(), QStringLiteral("AS01"));
        QVERIFY(a.contains(QStringLiteral("AS50")));
        QCOMPARE(a.last(), QStringLiteral("AD04"));
        QCOMPARE(Schema::fieldCodes(QLatin1Char('b')).at(16), QStringLiteral("BI01"));
        QVERIFY(Schema::isFieldCode(QStringLiteral("bc10")));
        QVERIFY(!Schema::isFieldCode(QStringLiteral("AS16")));
        QVERIFY(!Schema::isFieldCode(QStringLiteral("AIID")));
        QCOMPARE(Schema::fieldType(QStringLiteral("AD03")), QLatin1Char('D'));
    }

    // Every described table and column exists and can be read back in any letter case.
    void everyTableAndColumnExists()
    {
        QSqlDatabase db = Connection::database();
        for (const TableDef &t : Schema::tables()) {
            QStringList cols;
            for (const ColumnDef &c : t.columns)
                cols << c.name;
            QSqlQuery q(db);
            const QString sql = QStringLiteral("select %1 from %2 where 1<>1").arg(cols.join(QLatin1Char(',')), t.name.toLower());
            QVERIFY2(q.exec(sql), qPrintable(q.lastError().text() + QLatin1Char(' ') + sql));
            QCOMPARE(q.record().count(), t.columns.size());
        }
    }

    void autoNumberKeysAreAssigned()
    {
        QSqlQuery q(Connection::database());
        QVERIFY(q.exec(QStringLiteral("insert into N_A(AS01) values('甲')")));
        QVERIFY(q.exec(QStringLiteral("insert into N_A(AS01) values('乙')")));
        QVERIFY(q.exec(QStringLiteral("select AIID from N_A order by AIID")));
        QVERIFY(q.next());
        const int first = q.value(0).toInt();
        QVERIFY(q.next());
        QVERIFY(q.value(0).toInt() > first);
        // Dates are day numbers that compare with the numbers written into SQL.
        QVERIFY(q.exec(QStringLiteral("insert into N_A(AD01) values(45292.5)")));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AD01>=45292 and AD01<45293")), 1);
        // A code list row gets its key from the store.
        QVERIFY(q.exec(QStringLiteral("insert into N_BC10(BC10NAME)values('测试')")));
        QVERIFY(sqlValue(QStringLiteral("select BC10 from N_BC10 where BC10NAME='测试'")) > 0);
    }

    void userCodesAreUnique()
    {
        QSqlQuery q(Connection::database());
        QVERIFY(q.exec(QStringLiteral("insert into S_USER(SUSERID,SUSERNAME,SPASSWORD) values('0101','张三','')")));
        QVERIFY(!q.exec(QStringLiteral("insert into S_USER(SUSERID,SUSERNAME,SPASSWORD) values('0101','李四','')")));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_USER where SUSERID='0101'")), 1);
    }

    // A second init refuses and changes nothing.
    void secondInitIsRefused()
    {
        QSqlQuery q(Connection::database());
        QVERIFY(q.exec(QStringLiteral("insert into N_A(AS01) values('保留')")));
        if (m_store->kind() == TestStore::SQLite) {
            const QString path = Connection::singleUserStorePath(m_store->folder());
            const QByteArray before = [&] { QFile f(path); f.open(QIODevice::ReadOnly); return f.readAll(); }();
            QVERIFY_THROWS_EXCEPTION(AppError, StoreBuilder::initSingleUser(m_store->folder()));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), before);
            QVERIFY(QDir(m_store->folder()).exists(QStringLiteral("N_UPFILE")));
            QVERIFY(QDir(m_store->folder()).exists(QStringLiteral("N_PRINT")));
        } else {
            StoreBuilder::NetworkTarget t;
            t.server = m_store->server();
            t.database = m_store->database();
            QVERIFY_THROWS_EXCEPTION(AppError, StoreBuilder::initNetwork(t));
        }
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AS01='保留'")), 1);
    }

    // The single-user store is never created by opening it.
    void missingStoreIsAnError()
    {
        if (m_store->kind() != TestStore::SQLite)
            QSKIP("single-user store only");
        QTemporaryDir empty;
        QVERIFY_THROWS_EXCEPTION(SqlError, Connection::openSingleUser(empty.path()));
        QVERIFY(!QFile::exists(Connection::singleUserStorePath(empty.path())));
        QFile junk(Connection::singleUserStorePath(empty.path()));
        QVERIFY(junk.open(QIODevice::WriteOnly));
        junk.write(QByteArray(4096, 'x'));
        junk.close();
        QVERIFY_THROWS_EXCEPTION(SqlError, Connection::openSingleUser(empty.path()));
    }
};

QTEST_GUILESS_MAIN(TestSchema)
#include "tst_schema.moc"

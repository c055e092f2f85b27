#include "TestStore.h"

#include "app/IniFile.h"
#include "app/MessageBoxes.h"
#include "app/SettingsCipher.h"
#include "attach/FtpClient.h"
#include "data/Connection.h"
#include "data/SharedState.h"
#include "data/StoreBuilder.h"
#include "data/base_dm.h"

#include <QFile>
#include <QSqlQuery>
#include <QTest>

class TestBaseDm : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    // Runs the start-up on the test store as the program would: the data
    // module opens the connection itself.
    std::unique_ptr<Tfrm_base_dm> start(Tfrm_base_dm::ServerAsker ask = {})
    {
        Connection::close();
        if (m_store->kind() == TestStore::Postgres)
            IniFile(Tfrm_base_dm::clientConfigPath())
                .writeString(QStringLiteral("Database"), QStringLiteral("ServerName"), m_store->server());
        return std::make_unique<Tfrm_base_dm>(ask);
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    // Missing settings rows gain their defaults at the next start, exactly
    // once; existing rows are read and never overwritten.
    void missingSettingsRowsAreInsertedOnce()
    {
        PELU_SQL(QStringLiteral("delete from S_SET where SNAME in ('SYSFONTNAME','SYSFONTSIZE','N_SYS','N_MOD') or SNAME like 'N_PRINT%'"));
        PELU_SQL(QStringLiteral("insert into S_SET(SNAME,SVALUE) values('N_PRINT3','自定义封面')"));
        const int before = sqlValue(QStringLiteral("select count(*) from S_SET"));
        ScopedScriptedMessageBoxes boxes;
        {
            auto dm = start();
            QVERIFY(!dm->terminateRequested());
            QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_SET")), before + 11);
            QCOMPARE(shared().sysFontName, QStringLiteral("宋体"));
            QCOMPARE(shared().sysFontSize, 10);
            QCOMPARE(shared().sysTitle, QStringLiteral("澜图科技档案管理系统V12.0"));
            QCOMPARE(shared().modName, QStringLiteral("科技档案管理"));
            QCOMPARE(shared().printNames[0], QStringLiteral("卷内目录一打印"));
            QCOMPARE(shared().printNames[2], QStringLiteral("自定义封面"));
            QCOMPARE(shared().printNames[4], QStringLiteral("二维码打印"));
            QCOMPARE(shared().printNames[5], QString());
            QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_SET where SNAME='N_PRINT6' and SVALUE=''")), 1);
            QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_SET where SNAME='SYSFONTSIZE' and SVALUE='10'")), 1);
        }
        {
            auto dm = start();
            QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_SET")), before + 11);
            PELU_SQL(QStringLiteral("update S_SET set SVALUE='档案系统' where SNAME='N_SYS'"));
        }
        {
            auto dm = start();
            QCOMPARE(shared().sysTitle, QStringLiteral("档案系统"));
        }
        QVERIFY(boxes.shown.isEmpty());
    }

    void sharedStateIsFilled()
    {
        PELU_SQL(QStringLiteral("delete from S_ORDER where STABLE='N_A'"));
        PELU_SQL(QStringLiteral("insert into S_ORDER(STABLE,INO,SFIELD,STYPE) values('N_A',1,'AS07','ASC')"));
        PELU_SQL(QStringLiteral("insert into S_ORDER(STABLE,INO,SFIELD,STYPE) values('N_A',2,'','DESC')"));
        PELU_SQL(QStringLiteral("insert into S_ORDER(STABLE,INO,SFIELD,STYPE) values('N_A',3,'AI02','DESC')"));
        // Level 2 names a field without a dictionary row: the join drops it.
        PELU_SQL(QStringLiteral("delete from S_TREE"));
        PELU_SQL(QStringLiteral("insert into S_TREE(STABLE,INO,SFIELD) values('N_A',1,'AC03')"));
        PELU_SQL(QStringLiteral("insert into S_TREE(STABLE,INO,SFIELD) values('N_A',2,'AX99')"));
        PELU_SQL(QStringLiteral("insert into S_TREE(STABLE,INO,SFIELD) values('N_A',3,'AI01')"));
        PELU_SQL(QStringLiteral("insert into S_TREE(STABLE,INO,SFIELD) values('N_A',7,'AS01')"));
        PELU_SQL(QStringLiteral("update S_FIELD set SFIELDNAME1='案卷题名X' where STABLE='N_A' and SFIELD='AS01'"));
        PELU_SQL(QStringLiteral("update S_FIELD set SFIELDNAME1='题名Y' where STABLE='N_B' and SFIELD='BS01'"));

        auto dm = start();
        const SharedState &st = shared();
        QCOMPARE(st.orderA, QStringLiteral(" order by AS07 ,AI02 DESC"));
        QCOMPARE(st.treeLevels[0].field, QStringLiteral("AC03"));
        QCOMPARE(st.treeLevels[0].type, QStringLiteral("C"));
        QCOMPARE(st.treeLevels[1].field, QString());
        QCOMPARE(st.treeLevels[2].field, QStringLiteral("AI01"));
        QCOMPARE(st.treeLevels[2].type, QStringLiteral("I"));
        QCOMPARE(st.treeLevels[4].field, QString());
        QCOMPARE(st.caption(QStringLiteral("AS01")), QStringLiteral("案卷题名X"));
        QCOMPARE(st.caption(QStringLiteral("BS01")), QStringLiteral("题名Y"));
        QCOMPARE(st.caption(QStringLiteral("AS07")), QStringLiteral("全宗号"));
        QCOMPARE(st.captions.size(), 76);
        if (m_store->kind() == TestStore::SQLite)
            QCOMPARE(st.attachRoot, m_store->folder() + QStringLiteral("/N_UPFILE"));
        else
            QCOMPARE(st.attachRoot, QStringLiteral("/N_UPFILE"));

        PELU_SQL(QStringLiteral("update S_FIELD set SFIELDNAME1='新题名' where STABLE='N_A' and SFIELD='AS01'"));
        dm->reloadCaptions(QStringLiteral("N_A"));
        QCOMPARE(st.caption(QStringLiteral("AS01")), QStringLiteral("新题名"));
        QCOMPARE(st.caption(QStringLiteral("BS01")), QStringLiteral("题名Y"));
    }

    // A font size that is not a whole number stops the start-up there.
    void badFontSizeSkipsTheRest()
    {
        PELU_SQL(QStringLiteral("update S_SET set SVALUE='大' where SNAME='SYSFONTSIZE'"));
        PELU_SQL(QStringLiteral("delete from S_SET where SNAME='N_SYS'"));
        ScopedScriptedMessageBoxes boxes;
        auto dm = start();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Critical);
        QVERIFY(boxes.shown.first().text.contains(QStringLiteral("大")));
        QCOMPARE(shared().sysTitle, QString());
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_SET where SNAME='N_SYS'")), 0);
    }

    void missingSingleUserStoreIsAnError()
    {
        if (m_store->kind() != TestStore::SQLite)
            QSKIP("single-user store only");
        Connection::close();
        QVERIFY(QFile::rename(Connection::singleUserStorePath(m_store->folder()),
                              m_store->folder() + QStringLiteral("/moved.dbf")));
        ScopedScriptedMessageBoxes boxes;
        Tfrm_base_dm dm;
        QVERIFY(!dm.terminateRequested());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Critical);
        QVERIFY(!QFile::exists(Connection::singleUserStorePath(m_store->folder())));
        QVERIFY(!Connection::isOpen());
        QCOMPARE(shared().sysTitle, QString());
    }

    // Network edition: an unreachable server asks for another; refusing, or a
    // retry that fails too, ends the program.
    void networkServerDialog()
    {
        if (m_store->kind() != TestStore::Postgres)
            QSKIP("network store only");
        Connection::close();
        QFile::remove(Tfrm_base_dm::clientConfigPath());
        // Nothing listens on the first server; the dialog gives the test server.
        IniFile(Tfrm_base_dm::clientConfigPath())
            .writeString(QStringLiteral("Database"), QStringLiteral("ServerName"), QStringLiteral("127.0.0.1,1"));
        QStringList asked;
        {
            Tfrm_base_dm dm([&](const QString &current, QString &server) {
                asked << current;
                server = m_store->server();
                return true;
            });
            QVERIFY(!dm.terminateRequested());
            QVERIFY(Connection::isOpen());
            QCOMPARE(asked, QStringList{QStringLiteral("127.0.0.1,1")});
            QVERIFY(!shared().sysTitle.isEmpty());
        }
        {
            Tfrm_base_dm dm([](const QString &, QString &) { return false; });
            QVERIFY(dm.terminateRequested());
            QVERIFY(!Connection::isOpen());
        }
        {
            ScopedScriptedMessageBoxes boxes;
            Tfrm_base_dm dm([](const QString &, QString &server) {
                server = QStringLiteral("127.0.0.1,2");
                return true;
            });
            QVERIFY(dm.terminateRequested());
            QCOMPARE(boxes.shown.size(), 1);
        }
        // Without CliCfg.ini both servers are the fixed address of this machine.
        QFile::remove(Tfrm_base_dm::clientConfigPath());
        {
            Tfrm_base_dm dm([&](const QString &current, QString &) {
                asked << current;
                return false;
            });
            QCOMPARE(asked.last(), QStringLiteral("127.0.0.1"));
            QCOMPARE(shared().ftpServer, QStringLiteral("127.0.0.1"));
        }
    }

    // The FTP start-up walks S_SET: FTPENABLED other than "1" stops it, a
    // missing FTPENABLED connects, a failed connect is silent.
    void ftpStartup_data()
    {
        QTest::addColumn<QString>("enabled"); // "-": no FTPENABLED row
        QTest::addColumn<bool>("rightPassword");
        QTest::addColumn<bool>("connected");
        QTest::newRow("enabled") << QStringLiteral("1") << true << true;
        QTest::newRow("missing") << QStringLiteral("-") << true << true;
        QTest::newRow("disabled") << QStringLiteral("0") << true << false;
        QTest::newRow("wrong password") << QStringLiteral("1") << false << false;
    }
    void ftpStartup()
    {
        if (m_store->kind() != TestStore::Postgres)
            QSKIP("network store only");
        const QStringList ftp = qEnvironmentVariable("PELU_TEST_FTP").split(QLatin1Char(','));
        QVERIFY2(ftp.size() >= 4, "PELU_TEST_FTP=host,port,user,password,dir");
        QFETCH(QString, enabled);
        QFETCH(bool, rightPassword);
        QFETCH(bool, connected);
        PELU_SQL(QStringLiteral("delete from S_SET where SNAME like 'FTP%'"));
        if (enabled != QLatin1String("-"))
            PELU_SQL(QStringLiteral("insert into S_SET(SNAME,SVALUE) values('FTPENABLED','%1')").arg(enabled));
        PELU_SQL(QStringLiteral("insert into S_SET(SNAME,SVALUE) values('FTPPORT','%1')").arg(ftp.at(1)));
        PELU_SQL(QStringLiteral("insert into S_SET(SNAME,SVALUE) values('FTPUSERNAME','%1')").arg(ftp.at(2)));
        PELU_SQL(QStringLiteral("insert into S_SET(SNAME,SVALUE) values('FTPPASSWORD','%1')")
                 .arg(EncodeSetting(rightPassword ? ftp.at(3) : QStringLiteral("wrong"))));
        // The host comes from CliCfg.ini, never from S_SET.
        PELU_SQL(QStringLiteral("insert into S_SET(SNAME,SVALUE) values('FTPHOST','192.0.2.1')"));
        IniFile(Tfrm_base_dm::clientConfigPath()).writeString(QStringLiteral("FTP"), QStringLiteral("ServerName"), ftp.at(0));
        ScopedScriptedMessageBoxes boxes;
        auto dm = start();
        QCOMPARE(dm->idftp().isConnected(), connected);
        QCOMPARE(shared().ftpEnabled, enabled == QLatin1String("-") ? QString() : enabled);
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestBaseDm)
#include "tst_base_dm.moc"

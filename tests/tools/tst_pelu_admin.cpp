#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "data/StoreBuilder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

// The administration tool as a user runs it.
class TestPeluAdmin : public QObject {
    Q_OBJECT
    QStringList m_databases;
    int m_counter = 0;

    struct Result {
        int code = -1;
        QString out, err;
    };

    static Result run(const QStringList &args)
    {
        QProcess p;
        p.start(qEnvironmentVariable("PELU_ADMIN"), args);
        Result r;
        if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit) {
            p.kill();
            p.waitForFinished();
            r.err = QStringLiteral("pelu-admin did not finish: ") + p.errorString();
            return r;
        }
        r.code = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    static QByteArray bytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QString newDatabase()
    {
        const QString name =
            QStringLiteral("pelu_tool_%1_%2").arg(QCoreApplication::applicationPid()).arg(m_counter++);
        m_databases.append(name);
        return name;
    }

    static StoreBuilder::NetworkTarget target(const QString &database)
    {
        StoreBuilder::NetworkTarget t;
        t.server = TestStore::pgServer();
        t.database = database;
        return t;
    }

    // Runs fn on the store, opened as its own connection, and closes it again.
    template <typename Fn>
    static void withStore(bool network, const QString &where, Fn fn)
    {
        const QString name = QStringLiteral("tool_check");
        {
            QSqlDatabase db = network ? StoreBuilder::openNetworkStore(target(where), name)
                                      : StoreBuilder::openSingleUserStore(where, name);
            fn(db);
            db.close();
        }
        QSqlDatabase::removeDatabase(name);
    }

    static qint64 count(QSqlDatabase db, const QString &sql)
    {
        QSqlQuery q(db);
        return q.exec(sql) && q.next() ? q.value(0).toLongLong() : -1;
    }

    bool network()
    {
        QFETCH_GLOBAL(int, store);
        return store == TestStore::Postgres;
    }

private slots:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(qEnvironmentVariable("PELU_ADMIN")), "PELU_ADMIN names the built pelu-admin");
    }
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        if (network() && !TestStore::pgUnavailableReason().isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL(qPrintable(TestStore::pgUnavailableReason()));
            QSKIP(qPrintable(TestStore::pgUnavailableReason()));
        }
    }
    void cleanup()
    {
        for (const QString &db : std::as_const(m_databases)) {
            try {
                try {
                    withStore(true, db, [](QSqlDatabase) {});
                } catch (const SqlError &) {
                    continue; // never made
                }
                StoreBuilder::dropNetwork(target(db));
            } catch (const AppError &e) {
                qWarning("%s", qPrintable(e.message()));
            }
        }
        m_databases.clear();
    }

    // init makes a store once; a second init refuses and changes nothing.
    void initOnce()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath(QStringLiteral("档案"));
        QStringList args{QStringLiteral("init")};
        QString where;
        if (network()) {
            where = newDatabase();
            args << QStringLiteral("--server") << TestStore::pgServer() << QStringLiteral("--database") << where;
        } else {
            where = folder;
            args << folder;
        }
        const Result first = run(args);
        QVERIFY2(first.code == 0, qPrintable(first.err));
        QVERIFY(first.out.contains(QStringLiteral("0000")));
        if (!network()) {
            QVERIFY(QFile::exists(folder + QStringLiteral("/data100.dbf")));
            QVERIFY(QDir(folder).exists(QStringLiteral("N_UPFILE")));
            QVERIFY(QDir(folder).exists(QStringLiteral("N_PRINT")));
            QVERIFY(!QFile::exists(folder + QStringLiteral("/data100.dbf.new")));
        }
        withStore(network(), where, [](QSqlDatabase db) {
            QCOMPARE(count(db, QStringLiteral("select count(*) from S_FIELD")), 76);
            QCOMPARE(count(db, QStringLiteral("select count(*) from S_USER where SUSERID='0000'")), 1);
            QSqlQuery q(db);
            QVERIFY(q.exec(QStringLiteral("insert into N_A(AS01) values('已有案卷')")));
        });
        const QByteArray before = network() ? QByteArray() : bytes(folder + QStringLiteral("/data100.dbf"));

        const Result second = run(args);
        QVERIFY(second.code != 0);
        QVERIFY2(second.err.contains(QStringLiteral("已存在")), qPrintable(second.err));
        QVERIFY(second.err.contains(network() ? where : QStringLiteral("data100.dbf")));
        if (!network())
            QCOMPARE(bytes(folder + QStringLiteral("/data100.dbf")), before);
        withStore(network(), where, [](QSqlDatabase db) {
            QCOMPARE(count(db, QStringLiteral("select count(*) from N_A where AS01='已有案卷'")), 1);
            QCOMPARE(count(db, QStringLiteral("select count(*) from S_FIELD")), 76);
        });
    }

    void demoAddsSampleData()
    {
        QTemporaryDir dir;
        QStringList target;
        QString where;
        if (network()) {
            where = newDatabase();
            target << QStringLiteral("--server") << TestStore::pgServer() << QStringLiteral("--database") << where;
        } else {
            where = dir.path();
            target << where;
        }
        const Result init = run(QStringList{QStringLiteral("init")} + target);
        QVERIFY2(init.code == 0, qPrintable(init.err));
        for (int round = 1; round <= 2; ++round) {
            const Result demo = run(QStringList{QStringLiteral("demo")} + target
                                    + QStringList{QStringLiteral("--volumes"), QStringLiteral("25")});
            QVERIFY2(demo.code == 0, qPrintable(demo.err));
            QVERIFY2(demo.out.contains(QStringLiteral("案卷 25 条")), qPrintable(demo.out));
            QVERIFY(demo.out.contains(QStringLiteral("25 / 25")));
        }
        withStore(network(), where, [](QSqlDatabase db) {
            QCOMPARE(count(db, QStringLiteral("select count(*) from N_A")), 50);
            QVERIFY(count(db, QStringLiteral("select count(*) from N_B")) >= 250);
            QCOMPARE(count(db, QStringLiteral("select count(distinct AS14) from N_A")), 50);
        });
    }

    // demo never makes a store: a missing one is a clear failure.
    void demoNeedsAStore()
    {
        QTemporaryDir dir;
        QStringList args{QStringLiteral("demo")};
        if (network())
            args << QStringLiteral("--server") << TestStore::pgServer() << QStringLiteral("--database")
                 << QStringLiteral("pelu_tool_missing_%1").arg(QCoreApplication::applicationPid());
        else
            args << dir.path();
        args << QStringLiteral("--volumes") << QStringLiteral("5");
        const Result r = run(args);
        QCOMPARE(r.code, 1);
        QVERIFY(!r.err.trimmed().isEmpty());
        if (!network()) {
            QVERIFY2(r.err.contains(QStringLiteral("找不到数据库文件")), qPrintable(r.err));
            QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("data100.dbf"))));
        }
    }

    // TARGET stands for the store: a folder, or --server and --database.
    void badArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        const QString t = QStringLiteral("TARGET");
        QTest::newRow("nothing") << QStringList();
        QTest::newRow("no store") << QStringList{"init"};
        QTest::newRow("unknown command") << QStringList{"create", t};
        QTest::newRow("two stores") << QStringList{"init", t, "DIR/other"};
        QTest::newRow("folder and server") << QStringList{"init", "DIR", "--server", "127.0.0.1"};
        QTest::newRow("option without value") << QStringList{"init", "--server"};
        QTest::newRow("init with volumes") << QStringList{"init", t, "--volumes", "3"};
        QTest::newRow("demo without volumes") << QStringList{"demo", t};
        QTest::newRow("volumes not a number") << QStringList{"demo", t, "--volumes", "many"};
        QTest::newRow("negative volumes") << QStringList{"demo", t, "--volumes", "-1"};
        QTest::newRow("unknown option") << QStringList{"demo", t, "--volumes", "3", "--fast"};
    }
    void badArguments()
    {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        const QString database = network() ? newDatabase() : QString();
        QStringList expanded;
        for (const QString &a : std::as_const(args)) {
            if (a == QLatin1String("TARGET") && network())
                expanded << QStringLiteral("--server") << TestStore::pgServer() << QStringLiteral("--database") << database;
            else
                expanded << QString(a).replace(QStringLiteral("TARGET"), dir.path()).replace(QStringLiteral("DIR"), dir.path());
        }
        const Result r = run(expanded);
        QCOMPARE(r.code, 2);
        QVERIFY2(r.err.contains(QStringLiteral("usage")) && r.err.contains(QStringLiteral("pelu-admin init FOLDER")),
                 qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
        // Nothing was made.
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
        if (network())
            QVERIFY_THROWS_EXCEPTION(SqlError, withStore(true, database, [](QSqlDatabase) {}));
    }
};

QTEST_GUILESS_MAIN(TestPeluAdmin)
#include "tst_pelu_admin.moc"

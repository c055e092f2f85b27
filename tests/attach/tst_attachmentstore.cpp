#include "attach/AttachmentStore.h"
#include "attach/FtpClient.h"
#include "data/SharedState.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>

Q_DECLARE_METATYPE(AttachmentStore::Kind)

// The local store in a temporary folder and the FTP store in a fresh folder
// of the loopback server that scripts/test-ftp.sh starts
// (PELU_TEST_FTP=host,port,user,password,root folder of the server), whose
// files the test reads and writes on disk directly.
class TestAttachmentStore : public QObject {
    Q_OBJECT

    QStringList m_ftpParts;
    std::unique_ptr<QTemporaryDir> m_localRoot; // the local store's folder
    std::unique_ptr<QTemporaryDir> m_remote;    // the FTP store's folder, on disk
    std::unique_ptr<QTemporaryDir> m_work;      // files outside the stores
    std::unique_ptr<FtpClient> m_ftp;

    void configure(FtpClient &client, int port = 0) const
    {
        client.setHost(m_ftpParts.at(0));
        client.setPort(port ? port : m_ftpParts.at(1).toInt());
        client.setUser(m_ftpParts.at(2));
        client.setPassword(m_ftpParts.at(3));
        client.setReadTimeout(10000);
    }
    QString remoteDir() const { return QLatin1Char('/') + QFileInfo(m_remote->path()).fileName(); }

    AttachmentStore store(AttachmentStore::Kind kind)
    {
        switch (kind) {
        case AttachmentStore::Kind::Local:
            return AttachmentStore(kind, m_localRoot->path());
        case AttachmentStore::Kind::Ftp:
            return AttachmentStore(kind, remoteDir(), m_ftp.get());
        case AttachmentStore::Kind::Off:
            break;
        }
        return AttachmentStore(kind, m_localRoot->path());
    }
    // Where a stored file of the store lies on this machine's disk.
    QString onDisk(AttachmentStore::Kind kind, qint64 iid) const
    {
        const QString root = kind == AttachmentStore::Kind::Ftp ? m_remote->path() : m_localRoot->path();
        return root + QLatin1Char('/') + QString::number(iid);
    }

    static bool writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile f(path);
        return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
    }
    static QByteArray readFile(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
    }

    static void addKinds()
    {
        QTest::addColumn<AttachmentStore::Kind>("kind");
        QTest::newRow("local") << AttachmentStore::Kind::Local;
        QTest::newRow("ftp") << AttachmentStore::Kind::Ftp;
    }

private slots:
    void initTestCase()
    {
        m_ftpParts = qEnvironmentVariable("PELU_TEST_FTP").split(QLatin1Char(','));
        if (m_ftpParts.size() != 5) {
            const char *why = "PELU_TEST_FTP is not set (host,port,user,password,root; scripts/test-ftp.sh start)";
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL(why);
            QSKIP(why);
        }
        QVERIFY2(QFileInfo(m_ftpParts.at(4)).isDir(), qPrintable(m_ftpParts.at(4)));
    }

    void init()
    {
        m_localRoot = std::make_unique<QTemporaryDir>();
        m_remote = std::make_unique<QTemporaryDir>(QDir(m_ftpParts.at(4)).filePath(QStringLiteral("s-XXXXXX")));
        m_work = std::make_unique<QTemporaryDir>();
        QVERIFY(m_localRoot->isValid() && m_remote->isValid() && m_work->isValid());
        m_ftp = std::make_unique<FtpClient>();
        configure(*m_ftp);
        QVERIFY2(m_ftp->connect(), qPrintable(m_ftp->lastError()));
    }

    void cleanup()
    {
        m_ftp.reset();
        m_remote.reset();
        m_localRoot.reset();
        m_work.reset();
    }

    // The store of the running edition follows the edition and the FTP switch.
    void ofEdition_data()
    {
        QTest::addColumn<QString>("edition");
        QTest::addColumn<QString>("ftpEnabled");
        QTest::addColumn<AttachmentStore::Kind>("kind");
        QTest::newRow("single-user") << "0" << "1" << AttachmentStore::Kind::Local;
        QTest::newRow("network, switch on") << "1" << "1" << AttachmentStore::Kind::Ftp;
        QTest::newRow("network, switch off") << "1" << "0" << AttachmentStore::Kind::Off;
        QTest::newRow("network, never set") << "1" << "" << AttachmentStore::Kind::Off;
        QTest::newRow("edition 2, switch on") << "2" << "1" << AttachmentStore::Kind::Ftp;
    }
    void ofEdition()
    {
        QFETCH(QString, edition);
        QFETCH(QString, ftpEnabled);
        QFETCH(AttachmentStore::Kind, kind);
        const SharedState saved = shared();
        shared().setEditionAndFolder(edition, m_work->path());
        shared().attachRoot = edition == QLatin1String("0") ? m_work->path() + QStringLiteral("/N_UPFILE")
                                                            : QStringLiteral("/N_UPFILE");
        shared().ftpEnabled = ftpEnabled;
        const AttachmentStore s = AttachmentStore::ofEdition(m_ftp.get());
        const QString root = shared().attachRoot;
        shared() = saved;
        QCOMPARE(s.kind(), kind);
        QCOMPARE(s.root(), root);
        QCOMPARE(s.movesFiles(), kind != AttachmentStore::Kind::Off);
        QCOMPARE(s.localPath(7), kind == AttachmentStore::Kind::Local ? root + QStringLiteral("/7") : QString());
    }

    // Removal: the named file goes, a missing one is no error, other files stay.
    void remove_data()
    {
        QTest::addColumn<AttachmentStore::Kind>("kind");
        QTest::addColumn<bool>("present");
        QTest::newRow("local, present") << AttachmentStore::Kind::Local << true;
        QTest::newRow("local, missing") << AttachmentStore::Kind::Local << false;
        QTest::newRow("ftp, present") << AttachmentStore::Kind::Ftp << true;
        QTest::newRow("ftp, missing") << AttachmentStore::Kind::Ftp << false;
    }
    void remove()
    {
        QFETCH(AttachmentStore::Kind, kind);
        QFETCH(bool, present);
        if (present)
            QVERIFY(writeFile(onDisk(kind, 12), "twelve"));
        QVERIFY(writeFile(onDisk(kind, 1), "one"));
        QVERIFY(writeFile(onDisk(kind, 120), "one hundred twenty"));
        AttachmentStore s = store(kind);
        QVERIFY(s.ensureReady());
        QVERIFY2(s.remove(12), qPrintable(s.lastError()));
        QVERIFY(s.lastError().isEmpty());
        QVERIFY(!QFileInfo::exists(onDisk(kind, 12)));
        QCOMPARE(readFile(onDisk(kind, 1)), QByteArray("one"));
        QCOMPARE(readFile(onDisk(kind, 120)), QByteArray("one hundred twenty"));
    }

    // A stored name that cannot be removed, or a store that cannot be reached,
    // is a failure with a reason.
    void removeFails_data()
    {
        QTest::addColumn<AttachmentStore::Kind>("kind");
        QTest::addColumn<QString>("why");
        QTest::newRow("local: a folder in the way") << AttachmentStore::Kind::Local << "folder";
        QTest::newRow("ftp: server unreachable") << AttachmentStore::Kind::Ftp << "unreachable";
        QTest::newRow("ftp: no client") << AttachmentStore::Kind::Ftp << "no client";
    }
    void removeFails()
    {
        QFETCH(AttachmentStore::Kind, kind);
        QFETCH(QString, why);
        AttachmentStore s = store(kind);
        if (why == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(onDisk(kind, 5) + QStringLiteral("/inside")));
        } else if (why == QLatin1String("unreachable")) {
            m_ftp->quit();
            configure(*m_ftp, 1); // nothing listens on port 1 of the loopback
        } else {
            s = AttachmentStore(kind, remoteDir(), nullptr);
        }
        QVERIFY(!s.remove(5));
        QVERIFY(!s.lastError().isEmpty());
        if (why == QLatin1String("folder"))
            QVERIFY(s.lastError().contains(QStringLiteral("5")));
    }

    // Many rows at once: the files that are there go, missing ones are no
    // failure, one that cannot go is given back; files of other rows stay
    // (a large batch in the local folder reads the folder's names first).
    void removeMany_data()
    {
        QTest::addColumn<AttachmentStore::Kind>("kind");
        QTest::addColumn<int>("rows");
        QTest::newRow("local, a few") << AttachmentStore::Kind::Local << 6;
        QTest::newRow("local, a large batch") << AttachmentStore::Kind::Local << 1500;
        QTest::newRow("ftp, a few") << AttachmentStore::Kind::Ftp << 6;
    }
    void removeMany()
    {
        QFETCH(AttachmentStore::Kind, kind);
        QFETCH(int, rows);
        QList<qint64> iids;
        for (int i = 0; i < rows; ++i) {
            const qint64 iid = 1000 + 2 * i;
            iids << iid;
            if (i % 3 != 0) // every third one has no file
                QVERIFY(writeFile(onDisk(kind, iid), "x"));
        }
        QVERIFY(writeFile(onDisk(kind, 1001), "not in the batch"));
        QVERIFY(writeFile(onDisk(kind, 10), "not in the batch"));
        const qint64 stuck = iids.at(rows - 2); // a non-empty folder where its file should be
        QFile::remove(onDisk(kind, stuck));
        QVERIFY(QDir().mkpath(onDisk(kind, stuck) + QStringLiteral("/inside")));
        AttachmentStore s = store(kind);
        QVERIFY(s.ensureReady());
        QList<int> heard;
        const QList<qint64> failed = s.remove(iids, [&heard](int done) { heard << done; });
        if (kind == AttachmentStore::Kind::Ftp) {
            // The size test passes over a folder as over a missing file.
            QVERIFY(failed.isEmpty());
        } else {
            QCOMPARE(failed, QList<qint64>({stuck}));
            QVERIFY2(s.lastError().contains(QString::number(stuck)), qPrintable(s.lastError()));
        }
        QVERIFY(!heard.isEmpty());
        QCOMPARE(heard.last(), rows);
        QVERIFY(std::is_sorted(heard.cbegin(), heard.cend()));
        QStringList left = QDir(kind == AttachmentStore::Kind::Ftp ? m_remote->path() : m_localRoot->path())
                               .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
        left.sort();
        QCOMPARE(left, QStringList({QStringLiteral("10"), QStringLiteral("1001"), QString::number(stuck)}));
    }

    // An Off store touches no file, and cannot give one.
    void offTouchesNothing()
    {
        QVERIFY(writeFile(onDisk(AttachmentStore::Kind::Local, 3), "kept"));
        const QString source = m_work->filePath(QStringLiteral("a.txt"));
        QVERIFY(writeFile(source, "new"));
        AttachmentStore s(AttachmentStore::Kind::Off, m_localRoot->path(), nullptr);
        QVERIFY(s.ensureReady());
        QVERIFY(s.remove(3));
        QVERIFY(s.put(source, 4));
        QVERIFY(!s.fetch(3, m_work->filePath(QStringLiteral("out"))));
        QVERIFY(!s.lastError().isEmpty());
        bool ok = true;
        QVERIFY(!s.exists(3, &ok));
        QVERIFY(!ok);
        QCOMPARE(QDir(m_localRoot->path()).entryList(QDir::Files), QStringList({QStringLiteral("3")}));
        QCOMPARE(readFile(onDisk(AttachmentStore::Kind::Local, 3)), QByteArray("kept"));
        QVERIFY(!QFileInfo::exists(m_work->filePath(QStringLiteral("out"))));
    }

    // Readiness of the FTP store: connected (one connect when not) and in its
    // root directory.
    void ensureReady_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("ready");
        QTest::newRow("connected") << "connected" << true;
        QTest::newRow("not yet connected") << "disconnected" << true;
        QTest::newRow("root directory missing") << "no root" << false;
        QTest::newRow("server unreachable") << "unreachable" << false;
        QTest::newRow("no client") << "no client" << false;
    }
    void ensureReady()
    {
        QFETCH(QString, setup);
        QFETCH(bool, ready);
        FtpClient client;
        QString root = remoteDir();
        if (setup == QLatin1String("unreachable")) {
            QTcpServer probe; // a port that was free a moment ago
            QVERIFY(probe.listen(QHostAddress::LocalHost));
            const int port = probe.serverPort();
            probe.close();
            configure(client, port);
        } else {
            configure(client);
        }
        if (setup == QLatin1String("connected"))
            QVERIFY(client.connect());
        if (setup == QLatin1String("no root"))
            root += QStringLiteral("/missing");
        AttachmentStore s(AttachmentStore::Kind::Ftp, root, setup == QLatin1String("no client") ? nullptr : &client);
        QCOMPARE(s.ensureReady(), ready);
        QCOMPARE(s.lastError().isEmpty(), ready);
        if (ready) {
            QVERIFY(client.isConnected());
            QCOMPARE(client.currentDir(), root);
        }
    }

    // Storing replaces an earlier file of the name; fetching replaces the
    // local file; both tell whether the file is there.
    void putExistsFetch_data() { addKinds(); }
    void putExistsFetch()
    {
        QFETCH(AttachmentStore::Kind, kind);
        AttachmentStore s = store(kind);
        const QString source = m_work->filePath(QStringLiteral("扫描 1.pdf"));
        QVERIFY(writeFile(source, "new content"));
        QVERIFY(writeFile(onDisk(kind, 31), "an older, longer content"));
        bool ok = false;
        QVERIFY(!s.exists(30, &ok));
        QVERIFY(ok);
        QVERIFY2(s.put(source, 30), qPrintable(s.lastError()));
        QVERIFY2(s.put(source, 31), qPrintable(s.lastError()));
        QCOMPARE(readFile(onDisk(kind, 30)), QByteArray("new content"));
        QCOMPARE(readFile(onDisk(kind, 31)), QByteArray("new content"));
        ok = false;
        QVERIFY(s.exists(31, &ok));
        QVERIFY(ok);

        const QString target = m_work->filePath(QStringLiteral("copy.pdf"));
        QVERIFY(writeFile(target, "what was there"));
        QVERIFY(writeFile(onDisk(kind, 32), "stored"));
        QVERIFY2(s.fetch(32, target), qPrintable(s.lastError()));
        QCOMPARE(readFile(target), QByteArray("stored"));
        // A missing stored file: a failure that leaves the local file alone.
        QVERIFY(!s.fetch(33, target));
        QVERIFY(!s.lastError().isEmpty());
        QCOMPARE(readFile(target), QByteArray("stored"));
        QCOMPARE(QDir(m_work->path()).entryList(QDir::Files).size(), 2); // no part files left
    }
};

QTEST_GUILESS_MAIN(TestAttachmentStore)
#include "tst_attachmentstore.moc"

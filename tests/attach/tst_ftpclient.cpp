#include "attach/FtpClient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QScopeGuard>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

// Runs against the loopback FTP server that scripts/test-ftp.sh starts
// (PELU_TEST_FTP=host,port,user,password,root folder of the server).
class TestFtpClient : public QObject {
    Q_OBJECT

    QString m_host;
    int m_port = 0;
    QString m_user;
    QString m_password;
    QString m_root;

    // Per test: a fresh folder on the server (seen both through FTP and on
    // disk) and a fresh local folder.
    std::unique_ptr<QTemporaryDir> m_remote;
    std::unique_ptr<QTemporaryDir> m_local;
    QString m_dir; // the server folder as an FTP path

    void configure(FtpClient &client) const
    {
        client.setHost(m_host);
        client.setPort(m_port);
        client.setUser(m_user);
        client.setPassword(m_password);
        client.setReadTimeout(10000);
    }

    QString onServer(const QString &name) const { return m_remote->filePath(name); }
    QString local(const QString &name) const { return m_local->filePath(name); }

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
    static QByteArray pattern(int size, quint32 seed)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        QRandomGenerator random(seed);
        for (char &c : bytes)
            c = char(random.bounded(256));
        return bytes;
    }
    int sessionsOpened() const
    {
        return int(readFile(QDir(m_root).filePath(QStringLiteral("../server.log"))).count("FTP session opened"));
    }

private slots:
    void initTestCase()
    {
        const QStringList parts = qEnvironmentVariable("PELU_TEST_FTP").split(QLatin1Char(','));
        if (parts.size() != 5) {
            const char *why = "PELU_TEST_FTP is not set (host,port,user,password,root; scripts/test-ftp.sh start)";
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL(why);
            QSKIP(why);
        }
        m_host = parts[0];
        m_port = parts[1].toInt();
        m_user = parts[2];
        m_password = parts[3];
        m_root = parts[4];
        QVERIFY2(QFileInfo(m_root).isDir(), qPrintable(m_root));
    }

    void init()
    {
        m_remote = std::make_unique<QTemporaryDir>(QDir(m_root).filePath(QStringLiteral("t-XXXXXX")));
        QVERIFY(m_remote->isValid());
        m_dir = QLatin1Char('/') + QFileInfo(m_remote->path()).fileName();
        m_local = std::make_unique<QTemporaryDir>();
        QVERIFY(m_local->isValid());
    }

    void cleanup()
    {
        m_remote.reset();
        m_local.reset();
    }

    // --- session ------------------------------------------------------------

    void defaults()
    {
        FtpClient client;
        QCOMPARE(client.host(), QStringLiteral("127.0.0.1"));
        QCOMPARE(client.port(), 21);
        QCOMPARE(client.user(), QStringLiteral("QRTVMOXE"));
        QCOMPARE(client.password(), QStringLiteral("zubkevar"));
        QCOMPARE(client.readTimeout(), 0);
        QVERIFY(client.passive());
        QVERIFY(!client.isConnected());
    }

    void connectLogsIn_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("connected");
        QTest::addColumn<QString>("reason");
        QTest::newRow("right password") << QString() << QString() << true << QString();
        QTest::newRow("wrong password") << QString() << QStringLiteral("wrong") << false << QStringLiteral("用户名或密码错误");
        QTest::newRow("unknown user") << QStringLiteral("nobody") << QString() << false << QStringLiteral("用户名或密码错误");
    }
    void connectLogsIn()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, connected);
        QFETCH(QString, reason);
        FtpClient client;
        configure(client);
        if (!user.isEmpty())
            client.setUser(user);
        if (!password.isEmpty())
            client.setPassword(password);
        QCOMPARE(client.connect(), connected);
        QCOMPARE(client.isConnected(), connected);
        if (connected) {
            QVERIFY2(client.lastError().isEmpty(), qPrintable(client.lastError()));
            QCOMPARE(client.currentDir(), QStringLiteral("/"));
            QVERIFY(client.changeDir(m_dir));
        } else {
            QVERIFY2(client.lastError().contains(reason), qPrintable(client.lastError()));
            QVERIFY(client.lastError().contains(QStringLiteral("%1:%2").arg(m_host).arg(m_port)));
            QVERIFY(!client.changeDir(m_dir));
        }
    }

    void badServerSettings_data()
    {
        QTest::addColumn<QString>("host");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no host") << "" << 0 << "未设置服务器地址";
        QTest::newRow("blank host") << "  " << 0 << "未设置服务器地址";
        QTest::newRow("user part") << "x@127.0.0.1" << 0 << "服务器地址无效";
        QTest::newRow("path") << "127.0.0.1/N_UPFILE" << 0 << "服务器地址无效";
        QTest::newRow("space inside") << "127.0.0.1 x" << 0 << "服务器地址无效";
        QTest::newRow("port 0") << "127.0.0.1" << -1 << "端口无效";
        QTest::newRow("port too large") << "127.0.0.1" << 65536 << "端口无效";
    }
    void badServerSettings()
    {
        QFETCH(QString, host);
        QFETCH(int, port);
        QFETCH(QString, reason);
        FtpClient client;
        configure(client);
        client.setHost(host);
        if (port != 0)
            client.setPort(port < 0 ? 0 : port);
        QVERIFY(!client.connect());
        QVERIFY(!client.isConnected());
        QVERIFY2(client.lastError().contains(reason), qPrintable(client.lastError()));
    }

    // A host with spaces around it is still the host.
    void hostIsTrimmed()
    {
        FtpClient client;
        configure(client);
        client.setHost(QStringLiteral(" ") + m_host + QStringLiteral(" "));
        QVERIFY2(client.connect(), qPrintable(client.lastError()));
    }

    void connectToNothingListening()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 freePort = probe.serverPort();
        probe.close();
        FtpClient client;
        configure(client);
        client.setPort(freePort);
        QVERIFY(!client.connect());
        QVERIFY(!client.isConnected());
        QVERIFY2(client.lastError().contains(QStringLiteral("无法连接服务器")), qPrintable(client.lastError()));
    }

    // A server that accepts the connection but never greets: the read time-out
    // ends the wait with a message instead of leaving the program hanging.
    void silentServerTimesOut()
    {
        QTcpServer silent; // no event loop runs: the kernel accepts, nobody answers
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        FtpClient client;
        configure(client);
        client.setPort(silent.serverPort());
        client.setReadTimeout(1000);
        QVERIFY(!client.connect());
        QVERIFY(!client.isConnected());
        QVERIFY2(client.lastError().contains(QStringLiteral("超时")), qPrintable(client.lastError()));
    }

    void quitDisconnects()
    {
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(writeFile(local(QStringLiteral("x")), "x"));
        client.quit();
        QVERIFY(!client.isConnected());
        client.quit(); // twice is harmless

        bool ok = true;
        QCOMPARE(client.size(QStringLiteral("x"), &ok), -1);
        QVERIFY(!ok);
        QCOMPARE(client.lastError(), QStringLiteral("FTP服务器未连接"));
        QVERIFY(!client.changeDir(m_dir));
        QVERIFY(!client.put(local(QStringLiteral("x")), m_dir + QStringLiteral("/x")));
        QVERIFY(!QFile::exists(onServer(QStringLiteral("x"))));
        QVERIFY(!client.get(m_dir + QStringLiteral("/x"), local(QStringLiteral("y"))));
        QVERIFY(!client.remove(m_dir + QStringLiteral("/x")));
        QCOMPARE(client.lastError(), QStringLiteral("FTP服务器未连接"));

        // and a new session can be opened on the same client
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
    }

    // The session keeps the server and login it was opened with.
    void settingsApplyAtConnect()
    {
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        client.setPassword(QStringLiteral("wrong"));
        client.setPort(1);
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(!client.connect());
        QVERIFY(!client.isConnected());
        QVERIFY2(client.lastError().contains(QStringLiteral("127.0.0.1:1")), qPrintable(client.lastError()));
    }

    // The control connection is opened once and kept for the whole session.
    void oneControlConnectionPerSession()
    {
        QVERIFY(writeFile(local(QStringLiteral("a")), "abc"));
        const int before = sessionsOpened();
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(client.put(local(QStringLiteral("a")), QStringLiteral("a")));
        QCOMPARE(client.size(QStringLiteral("a")), 3);
        QVERIFY(client.get(QStringLiteral("a"), local(QStringLiteral("b"))));
        QVERIFY(!client.changeDir(QStringLiteral("missing")));
        QCOMPARE(client.size(QStringLiteral("missing")), -1);
        QVERIFY(client.remove(QStringLiteral("a")));
        QVERIFY(!client.remove(QStringLiteral("a")));
        QVERIFY(client.changeDir(m_dir));
        QCOMPARE(sessionsOpened(), before + 1);
    }

    // The server ends the control connection (idle time-out, restart): the
    // next request logs in again by itself. A server that is gone ends the
    // session.
    void sessionOutlivesDroppedConnection()
    {
        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const QString port = QString::number(probe.serverPort());
        probe.close();
        const QString script = QStringLiteral(QT_TESTCASE_SOURCEDIR "/../scripts/test-ftp.sh");
        const auto server = [&](const QString &command) {
            QProcess process;
            process.start(script, {command, port, m_user, m_password});
            return process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit
                && process.exitCode() == 0;
        };
        QVERIFY(server(QStringLiteral("start")));
        const auto stop = qScopeGuard([&] { server(QStringLiteral("stop")); });
        const QString root = QStringLiteral("/tmp/pelu-test-ftp-%1/root").arg(port);

        QVERIFY(writeFile(local(QStringLiteral("a")), "abc"));
        FtpClient client;
        configure(client);
        client.setPort(port.toInt());
        QVERIFY(client.connect());
        QVERIFY(client.put(local(QStringLiteral("a")), QStringLiteral("1")));

        QVERIFY(server(QStringLiteral("stop")));
        QVERIFY(server(QStringLiteral("start")));
        QVERIFY(client.isConnected());
        QVERIFY2(client.put(local(QStringLiteral("a")), QStringLiteral("扫描件.jpg")), qPrintable(client.lastError()));
        QCOMPARE(readFile(root + QStringLiteral("/扫描件.jpg")), QByteArray("abc"));
        QVERIFY(client.changeDir(QStringLiteral("/")));

        QVERIFY(server(QStringLiteral("stop")));
        bool ok = true;
        QCOMPARE(client.size(QStringLiteral("扫描件.jpg"), &ok), -1);
        QVERIFY(!ok);
        QVERIFY2(client.lastError().contains(QStringLiteral("无法连接服务器")), qPrintable(client.lastError()));
        QVERIFY(!client.isConnected());
    }

    // --- directories --------------------------------------------------------

    void changeDir_data()
    {
        // "@" stands for the test's own folder on the server.
        QTest::addColumn<QString>("dir");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("current");
        QTest::newRow("absolute") << "@" << true << "@";
        QTest::newRow("absolute, trailing slash") << "@/sub/" << true << "@/sub";
        QTest::newRow("relative") << "sub" << true << "@/sub";
        QTest::newRow("relative, two levels") << "sub/deeper" << true << "@/sub/deeper";
        QTest::newRow("up") << ".." << true << "/";
        QTest::newRow("dot") << "." << true << "@";
        QTest::newRow("root") << "/" << true << "/";
        QTest::newRow("chinese, space, # and %") << "资料 #1 100%" << true << "@/资料 #1 100%";
        QTest::newRow("missing") << "nope" << false << "@";
        QTest::newRow("missing absolute") << "/nope-at-all" << false << "@";
        QTest::newRow("a file") << "plain.txt" << false << "@";
        QTest::newRow("percent-encoded form is not the name") << "%E8%B5%84" << false << "@";
        QTest::newRow("empty") << "" << false << "@";
        QTest::newRow("control character") << "sub\r\nDELE plain.txt" << false << "@";
    }
    void changeDir()
    {
        QFETCH(QString, dir);
        QFETCH(bool, ok);
        QFETCH(QString, current);
        QVERIFY(QDir(m_remote->path()).mkpath(QStringLiteral("sub/deeper")));
        QVERIFY(QDir(m_remote->path()).mkpath(QStringLiteral("资料 #1 100%")));
        QVERIFY(writeFile(onServer(QStringLiteral("plain.txt")), "x"));

        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QCOMPARE(client.changeDir(dir.replace(QLatin1Char('@'), m_dir)), ok);
        QCOMPARE(client.currentDir(), current.replace(QLatin1Char('@'), m_dir));
        QCOMPARE(client.lastError().isEmpty(), ok);
        QVERIFY(client.isConnected());
        QVERIFY(QFile::exists(onServer(QStringLiteral("plain.txt"))));
    }

    // The server is asked every time, even for the directory just used.
    void changeDirNoticesRemovedDirectory()
    {
        QVERIFY(QDir(m_remote->path()).mkdir(QStringLiteral("gone")));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir + QStringLiteral("/gone")));
        QVERIFY(client.changeDir(m_dir + QStringLiteral("/gone")));
        // The test server steps into a directory for a moment after its reply
        // to CWD; one more request there lets it step out before removal.
        QCOMPARE(client.size(QStringLiteral("nothing")), -1);
        QVERIFY(QDir(m_remote->path()).rmdir(QStringLiteral("gone")));
        QVERIFY(!client.changeDir(m_dir + QStringLiteral("/gone")));
        QVERIFY2(client.lastError().contains(QStringLiteral("目录不存在")), qPrintable(client.lastError()));
        QCOMPARE(client.currentDir(), m_dir + QStringLiteral("/gone"));
        QVERIFY(client.isConnected());
        QVERIFY(client.changeDir(m_dir));
    }

    // --- files --------------------------------------------------------------

    void roundTrip_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("passive");
        QTest::newRow("stored name") << "1234" << 5000 << true;
        QTest::newRow("empty file") << "0" << 0 << true;
        QTest::newRow("chinese with space") << "扫描件 第1页.jpg" << 70000 << true;
        QTest::newRow("#, % and +") << "a#b%20c+d.pdf" << 10 << true;
        QTest::newRow("leading space, brackets") << " [图纸] (2).dwg" << 1 << true;
        QTest::newRow("active mode") << "1234" << 5000 << false;
        QTest::newRow("active mode, chinese") << "扫描件 第1页.jpg" << 70000 << false;
    }
    void roundTrip()
    {
        QFETCH(QString, name);
        QFETCH(int, size);
        QFETCH(bool, passive);
        const QByteArray bytes = pattern(size, quint32(size));
        QVERIFY(writeFile(local(QStringLiteral("source")), bytes));

        FtpClient client;
        configure(client);
        client.setPassive(passive);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY2(client.put(local(QStringLiteral("source")), name), qPrintable(client.lastError()));
        // stored under exactly that name, bytes unchanged
        QCOMPARE(readFile(onServer(name)), bytes);
        bool ok = false;
        QCOMPARE(client.size(name, &ok), qint64(size));
        QVERIFY(ok);
        QVERIFY2(client.get(name, local(name)), qPrintable(client.lastError()));
        QCOMPARE(readFile(local(name)), bytes);

        QVERIFY2(client.remove(name), qPrintable(client.lastError()));
        QVERIFY(!QFile::exists(onServer(name)));
        QCOMPARE(client.size(name, &ok), -1);
        QVERIFY(ok);
    }

    // Names are paths: absolute, or relative to the current directory.
    void namesArePaths()
    {
        QVERIFY(QDir(m_remote->path()).mkdir(QStringLiteral("sub")));
        QVERIFY(writeFile(local(QStringLiteral("source")), "12345"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QCOMPARE(client.currentDir(), QStringLiteral("/"));
        QVERIFY(client.put(local(QStringLiteral("source")), m_dir + QStringLiteral("/sub/abs")));
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(client.put(local(QStringLiteral("source")), QStringLiteral("sub/rel")));
        QCOMPARE(readFile(onServer(QStringLiteral("sub/abs"))), QByteArray("12345"));
        QCOMPARE(readFile(onServer(QStringLiteral("sub/rel"))), QByteArray("12345"));
        QVERIFY(client.changeDir(QStringLiteral("sub")));
        QCOMPARE(client.size(QStringLiteral("abs")), 5);
        QCOMPARE(client.size(QStringLiteral("../sub/rel")), 5);
        QCOMPARE(client.size(m_dir + QStringLiteral("/sub/rel")), 5);
    }

    // A file straight in the server's root: its directory is "/" itself.
    void fileInServerRoot()
    {
        const QString name = QFileInfo(m_remote->path()).fileName() + QStringLiteral(" 根目录.txt");
        const QString onDisk = QDir(m_root).filePath(name);
        QVERIFY(writeFile(local(QStringLiteral("source")), "top"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        const bool stored = client.put(local(QStringLiteral("source")), QLatin1Char('/') + name);
        const QByteArray content = readFile(onDisk);
        const qint64 size = client.size(QStringLiteral("../") + name);
        const bool removed = client.remove(QLatin1Char('/') + name);
        const bool stillThere = QFile::exists(onDisk);
        QFile::remove(onDisk);
        QVERIFY(stored);
        QCOMPARE(content, QByteArray("top"));
        QCOMPARE(size, 3);
        QVERIFY2(removed, qPrintable(client.lastError()));
        QVERIFY(!stillThere);
    }

    void sizeWithoutAnswer_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << "4321";
        QTest::newRow("missing chinese name") << "不存在.jpg";
        QTest::newRow("a directory") << "sub";
        QTest::newRow("in a missing directory") << "nope/1";
    }
    void sizeWithoutAnswer()
    {
        QFETCH(QString, name);
        QVERIFY(QDir(m_remote->path()).mkdir(QStringLiteral("sub")));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QCOMPARE(client.size(name), -1);
        QVERIFY(client.isConnected());
        // the client is still usable afterwards
        QVERIFY(writeFile(onServer(QStringLiteral("there")), "abc"));
        QCOMPARE(client.size(QStringLiteral("there")), 3);
    }

    void putReplacesWithoutAppend()
    {
        QVERIFY(writeFile(onServer(QStringLiteral("77")), "a longer old content"));
        QVERIFY(writeFile(local(QStringLiteral("new")), "new"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(client.put(local(QStringLiteral("new")), QStringLiteral("77")));
        QCOMPARE(readFile(onServer(QStringLiteral("77"))), QByteArray("new"));
        QCOMPARE(client.size(QStringLiteral("77")), 3);
    }

    void appendMode_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("stored name") << "1001";
        QTest::newRow("chinese") << "扫描件 第2页.jpg";
    }
    void appendMode()
    {
        QFETCH(QString, name);
        const QByteArray first = pattern(3000, 1);
        const QByteArray second = pattern(1234, 2);
        QVERIFY(writeFile(local(QStringLiteral("first")), first));
        QVERIFY(writeFile(local(QStringLiteral("second")), second));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));

        // a missing file is created
        QVERIFY(!QFile::exists(onServer(name)));
        QVERIFY2(client.put(local(QStringLiteral("first")), name, true), qPrintable(client.lastError()));
        QCOMPARE(client.size(name), qint64(first.size()));
        // an existing one grows
        QVERIFY2(client.put(local(QStringLiteral("second")), name, true), qPrintable(client.lastError()));
        QCOMPARE(client.size(name), qint64(first.size() + second.size()));
        QCOMPARE(readFile(onServer(name)), first + second);
        QVERIFY(client.get(name, local(QStringLiteral("back"))));
        QCOMPARE(readFile(local(QStringLiteral("back"))), first + second);
    }

    void putOfMissingLocalFile()
    {
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(!client.put(local(QStringLiteral("not-there")), QStringLiteral("5"), true));
        QVERIFY2(client.lastError().contains(QStringLiteral("无法读取本地文件")), qPrintable(client.lastError()));
        QVERIFY(!QFile::exists(onServer(QStringLiteral("5"))));
        QVERIFY(!client.put(m_local->path(), QStringLiteral("5"))); // a folder
        QVERIFY(!QFile::exists(onServer(QStringLiteral("5"))));
    }

    void putIntoMissingDirectory()
    {
        QVERIFY(writeFile(local(QStringLiteral("a")), "a"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(!client.put(local(QStringLiteral("a")), QStringLiteral("nope/a"), true));
        QVERIFY(!client.lastError().isEmpty());
        QVERIFY(!QFileInfo::exists(onServer(QStringLiteral("nope"))));
    }

    void getReplacesLocalFile()
    {
        QVERIFY(writeFile(onServer(QStringLiteral("9")), "short"));
        QVERIFY(writeFile(local(QStringLiteral("copy.txt")), "an older and much longer local content"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY2(client.get(QStringLiteral("9"), local(QStringLiteral("copy.txt"))), qPrintable(client.lastError()));
        QCOMPARE(readFile(local(QStringLiteral("copy.txt"))), QByteArray("short"));
        QCOMPARE(QDir(m_local->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("copy.txt")});
    }

    void failedGetLeavesLocalFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file") << "404" << "文件不存在";
        QTest::newRow("a directory") << "sub" << "";
        QTest::newRow("missing directory") << "nope/1" << "目录不存在";
    }
    void failedGetLeavesLocalFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        QVERIFY(QDir(m_remote->path()).mkdir(QStringLiteral("sub")));
        QVERIFY(writeFile(local(QStringLiteral("keep.jpg")), "good local content"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(!client.get(name, local(QStringLiteral("keep.jpg"))));
        QVERIFY2(client.lastError().contains(reason), qPrintable(client.lastError()));
        QVERIFY(client.lastError().contains(name));
        QCOMPARE(readFile(local(QStringLiteral("keep.jpg"))), QByteArray("good local content"));
        // and no temporary file left behind
        QCOMPARE(QDir(m_local->path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("keep.jpg")});
        QVERIFY(!client.get(name, local(QStringLiteral("new.jpg"))));
        QVERIFY(!QFile::exists(local(QStringLiteral("new.jpg"))));
    }

    void getWithoutOverwrite()
    {
        QVERIFY(writeFile(onServer(QStringLiteral("9")), "remote"));
        QVERIFY(writeFile(local(QStringLiteral("there")), "local"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(!client.get(QStringLiteral("9"), local(QStringLiteral("there")), false));
        QVERIFY2(client.lastError().contains(QStringLiteral("本地文件已存在")), qPrintable(client.lastError()));
        QCOMPARE(readFile(local(QStringLiteral("there"))), QByteArray("local"));
        QVERIFY(client.get(QStringLiteral("9"), local(QStringLiteral("fresh")), false));
        QCOMPARE(readFile(local(QStringLiteral("fresh"))), QByteArray("remote"));
    }

    void getIntoMissingLocalFolder()
    {
        QVERIFY(writeFile(onServer(QStringLiteral("9")), "remote"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(!client.get(QStringLiteral("9"), local(QStringLiteral("no/such/folder/9"))));
        QVERIFY2(client.lastError().contains(QStringLiteral("无法写入本地文件")), qPrintable(client.lastError()));
        QVERIFY(client.isConnected());
    }

    void removeFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("missing file") << "404";
        QTest::newRow("missing directory") << "nope/1";
        QTest::newRow("a directory") << "sub";
        QTest::newRow("the current directory") << ".";
    }
    void removeFailures()
    {
        QFETCH(QString, name);
        QVERIFY(QDir(m_remote->path()).mkdir(QStringLiteral("sub")));
        QVERIFY(writeFile(onServer(QStringLiteral("other")), "x"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(!client.remove(name));
        QVERIFY(!client.lastError().isEmpty());
        QVERIFY(QFileInfo(onServer(QStringLiteral("sub"))).isDir());
        QVERIFY(QFile::exists(onServer(QStringLiteral("other"))));
        QVERIFY(client.isConnected());
        QVERIFY(client.remove(QStringLiteral("other")));
        QVERIFY(!QFile::exists(onServer(QStringLiteral("other"))));
    }

    // A line break in a name would smuggle a second command to the server.
    void controlCharactersAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("CR LF") << "a\r\nDELE victim";
        QTest::newRow("LF") << "a\nDELE victim";
        QTest::newRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b");
        QTest::newRow("tab") << "a\tb";
    }
    void controlCharactersAreRefused()
    {
        QFETCH(QString, name);
        QVERIFY(writeFile(onServer(QStringLiteral("victim")), "still here"));
        QVERIFY(writeFile(local(QStringLiteral("a")), "a"));
        FtpClient client;
        configure(client);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY(!client.put(local(QStringLiteral("a")), name));
        QVERIFY2(client.lastError().contains(QStringLiteral("控制字符")), qPrintable(client.lastError()));
        QVERIFY(!client.remove(name));
        QCOMPARE(client.size(name), -1);
        QVERIFY(!client.get(name, local(QStringLiteral("b"))));
        QVERIFY(!client.changeDir(name));
        QCOMPARE(readFile(onServer(QStringLiteral("victim"))), QByteArray("still here"));
        QCOMPARE(QDir(m_remote->path()).entryList(QDir::Files), QStringList{QStringLiteral("victim")});
    }

    // The read time-out limits silence, not the length of a transfer: with a
    // 1-second time-out and the rate held to 10 MB/s, 20 MB take about two
    // seconds each way and still arrive whole.
    void longTransferOutlastsReadTimeout()
    {
        const QByteArray bytes = pattern(20 * 1024 * 1024, 7);
        QVERIFY(writeFile(local(QStringLiteral("big")), bytes));
        FtpClient client;
        configure(client);
        client.setReadTimeout(1000);
        client.setTransferRateLimit(10 * 1024 * 1024);
        QVERIFY(client.connect());
        QVERIFY(client.changeDir(m_dir));
        QVERIFY2(client.put(local(QStringLiteral("big")), QStringLiteral("20001")), qPrintable(client.lastError()));
        QCOMPARE(client.size(QStringLiteral("20001")), qint64(bytes.size()));
        QVERIFY2(client.get(QStringLiteral("20001"), local(QStringLiteral("back"))), qPrintable(client.lastError()));
        QCOMPARE(readFile(local(QStringLiteral("back"))), bytes);
    }
};

QTEST_GUILESS_MAIN(TestFtpClient)
#include "tst_ftpclient.moc"

#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "browse/N_A_main.h"
#include "data/SharedState.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>

#include <csignal>
#include <cstdio>

namespace {

// Child mode: takes the guard, says what happened, then waits to be killed.
int holdLock()
{
    SingleInstance guard(QStringLiteral("N_SYS120"));
    const bool ok = guard.tryAcquire();
    std::printf("%s\n", ok ? "locked" : "refused");
    std::fflush(stdout);
    if (ok)
        QThread::sleep(60);
    return 0;
}

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
    QTemporaryDir m_runtime;

    // A process of this test binary holding the guard.
    std::unique_ptr<QProcess> startHolder()
    {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationFilePath(), {QStringLiteral("--hold-lock")});
        if (!p->waitForReadyRead(10000))
            return nullptr;
        return p;
    }

private slots:
    void initTestCase()
    {
        // A runtime folder of our own keeps parallel runs apart.
        QFile::setPermissions(m_runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("XDG_RUNTIME_DIR", m_runtime.path().toLocal8Bit());
    }

    void secondStartIsRefused()
    {
        auto holder = startHolder();
        QVERIFY(holder);
        QCOMPARE(holder->readLine().trimmed(), QByteArray("locked"));

        ScopedScriptedMessageBoxes boxes;
        QCOMPARE(RunProgram(), 0);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("提示"));
        QCOMPARE(boxes.shown.first().text, QStringLiteral("软件已运行,不重复运行！"));
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Critical);
        QCOMPARE(boxes.shown.first().buttons, MsgButtons::Ok);

        // A holder killed outright leaves its lock file behind; the next start
        // is not refused.
        ::kill(pid_t(holder->processId()), SIGKILL);
        QVERIFY(holder->waitForFinished(10000));
        SingleInstance next(QStringLiteral("N_SYS120"));
        QVERIFY(next.tryAcquire());
        // ... and while this one holds it, another process is refused.
        auto refused = startHolder();
        QVERIFY(refused);
        QCOMPARE(refused->readLine().trimmed(), QByteArray("refused"));
        QVERIFY(refused->waitForFinished(10000));
    }

    void closeCommandAsksUnlessPeluExe_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("asks");
        QTest::newRow("pelu") << QStringLiteral("pelu") << true;
        QTest::newRow("PELU.EXE") << QStringLiteral("PELU.EXE") << false;
        QTest::newRow("pelu.exe") << QStringLiteral("pelu.exe") << false;
        QTest::newRow("Pelu.Exe") << QStringLiteral("Pelu.Exe") << false;
        QTest::newRow("pelu2.exe") << QStringLiteral("pelu2.exe") << true;
    }
    void closeCommandAsksUnlessPeluExe()
    {
        QFETCH(QString, name);
        QFETCH(bool, asks);
        QCOMPARE(Tfrm_N_A_main::closeCommandAsks(name), asks);
    }

    // This executable is not PELU.EXE: the close command asks, Cancel keeps
    // the program running.
    void closeCommandQuestion()
    {
        TestStore store(TestStore::SQLite);
        shared().uiIniPath = store.folder() + QStringLiteral("/mavo120.ini");
        shared().treeLevels[0] = {QStringLiteral("AS07"), QStringLiteral("S")};
        Tfrm_N_A_main window;
        window.show();
        ScopedScriptedMessageBoxes boxes;
        boxes.answers << MsgResultCancel;
        window.actClose()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("确认"));
        QCOMPARE(boxes.shown.first().text, QStringLiteral("确认要退出系统吗?"));
        QVERIFY(window.isVisible());
    }
};

int main(int argc, char **argv)
{
    if (argc > 1 && qstrcmp(argv[1], "--hold-lock") == 0) {
        QCoreApplication app(argc, argv);
        return holdLock();
    }
    QApplication app(argc, argv);
    TestStartup t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_startup.moc"

#include "TestStore.h"

#include "app/IniFile.h"
#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/SharedState.h"
#include "data/StoreBuilder.h"
#include "data/base_conn.h"
#include "data/base_dm.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QString iniText(const QString &path)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

// Answers the next server dialog as a user would: types the address, presses a button.
void answerDialog(const QString &typed, bool confirm)
{
    QTimer::singleShot(0, [=] {
        auto *dialog = qobject_cast<Tfrm_base_conn *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        dialog->edt1()->selectAll();
        QTest::keyClicks(dialog->edt1(), typed);
        QTest::mouseClick(confirm ? dialog->btn1() : dialog->btn2(), Qt::LeftButton);
    });
}

} // namespace

class TestBaseConn : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void init()
    {
        shared() = SharedState();
        shared().setEditionAndFolder(QStringLiteral("1"), m_dir.path());
        QFile::remove(Tfrm_base_dm::clientConfigPath());
    }

    void layout()
    {
        Tfrm_base_conn dialog;
        QCOMPARE(dialog.windowTitle(), QStringLiteral("服务端IP设置"));
        QCOMPARE(dialog.size(), QSize(629, 406));
        auto *memo = dialog.findChild<QPlainTextEdit *>(QStringLiteral("Memo1"));
        QVERIFY(memo);
        QCOMPARE(memo->toPlainText().split(QLatin1Char('\n')),
                 (QStringList{QStringLiteral("说明："), QStringLiteral("1.服务端IP地址注意要在输入法半角状态下录入。"),
                              QStringLiteral("2.服务端IP地址可联系单位管理员获取。")}));
        QCOMPARE(dialog.btn1()->text(), QStringLiteral("确定"));
        QCOMPARE(dialog.btn2()->text(), QStringLiteral("退出"));
        QVERIFY(!(dialog.windowFlags() & Qt::WindowCloseButtonHint));
    }

    // The field shows the address typed last, not the server that failed;
    // confirming writes the trimmed address for both servers.
    void confirmWritesBothServers()
    {
        QString server;
        answerDialog(QStringLiteral("  192.168.7.20  "), true);
        QVERIFY(Tfrm_base_conn::askServer(QStringLiteral("bad,1"), server));
        QCOMPARE(server, QStringLiteral("192.168.7.20,7789"));
        const IniFile ini(Tfrm_base_dm::clientConfigPath());
        QCOMPARE(ini.readString(QStringLiteral("common"), QStringLiteral("ServiceAddr"), {}), QStringLiteral("192.168.7.20"));
        QCOMPARE(ini.readString(QStringLiteral("Database"), QStringLiteral("ServerName"), {}), QStringLiteral("192.168.7.20,7789"));
        QCOMPARE(ini.readString(QStringLiteral("FTP"), QStringLiteral("ServerName"), {}), QStringLiteral("192.168.7.20"));
        QVERIFY(iniText(Tfrm_base_dm::clientConfigPath()).contains(QStringLiteral("ServerName=192.168.7.20,7789")));

        QString shownAgain;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<Tfrm_base_conn *>(QApplication::activeModalWidget());
            shownAgain = dialog->edt1()->text();
            dialog->btn2()->click();
        });
        QVERIFY(!Tfrm_base_conn::askServer(QStringLiteral("other"), server));
        QCOMPARE(shownAgain, QStringLiteral("192.168.7.20"));
    }

    void leavingWritesNothing()
    {
        QString server = QStringLiteral("unchanged");
        QString shown;
        QTimer::singleShot(0, [&] {
            auto *dialog = qobject_cast<Tfrm_base_conn *>(QApplication::activeModalWidget());
            shown = dialog->edt1()->text();
            dialog->btn2()->click();
        });
        QVERIFY(!Tfrm_base_conn::askServer(QStringLiteral("10.1.1.1,7789"), server));
        QCOMPARE(shown, QStringLiteral("127.0.0.1"));
        QCOMPARE(server, QStringLiteral("unchanged"));
        QVERIFY(!QFile::exists(Tfrm_base_dm::clientConfigPath()));
    }

    // No CliCfg.ini and the database listening only on port 7789: the start-up
    // fails on the default address, asks, and connects to port 7789.
    void startupConnectsOnPort7789()
    {
        const QString server7789 = qEnvironmentVariable("PELU_TEST_PG_7789");
        if (server7789.isEmpty()) {
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL("PELU_TEST_PG_7789 is not set");
            QSKIP("PELU_TEST_PG_7789 is not set");
        }
        StoreBuilder::NetworkTarget t;
        t.server = server7789;
        t.database = QStringLiteral("pelu_conn_%1").arg(QCoreApplication::applicationPid());
        StoreBuilder::initNetwork(t);
        shared().networkDbNameOverride = t.database;
        answerDialog(QStringLiteral(" 127.0.0.1 "), true);
        {
            ScopedScriptedMessageBoxes boxes;
            Tfrm_base_dm dm(&Tfrm_base_conn::askServer);
            QVERIFY(!dm.terminateRequested());
            QVERIFY(Connection::isOpen());
            QCOMPARE(Connection::database().port(), 7789);
            QVERIFY(boxes.shown.isEmpty());
        }
        const IniFile ini(Tfrm_base_dm::clientConfigPath());
        QCOMPARE(ini.readString(QStringLiteral("Database"), QStringLiteral("ServerName"), {}), QStringLiteral("127.0.0.1,7789"));
        QCOMPARE(ini.readString(QStringLiteral("FTP"), QStringLiteral("ServerName"), {}), QStringLiteral("127.0.0.1"));
        // The next start reads the written file and needs no dialog.
        {
            Tfrm_base_dm dm([](const QString &, QString &) { return false; });
            QVERIFY(!dm.terminateRequested());
        }
        StoreBuilder::dropNetwork(t);
    }
};

QTEST_MAIN(TestBaseConn)
#include "tst_base_conn.moc"

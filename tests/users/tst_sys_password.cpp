#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "data/SharedState.h"
#include "users/sys_login.h"
#include "users/sys_password.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

bool storedPasswordIs(const QString &user, const QString &password)
{
    if (password.isEmpty())
        return sqlValue(QStringLiteral("select count(*) from S_USER where SUSERID='%1' and coalesce(SPASSWORD,'')=''").arg(user)) == 1;
    return sqlValue(QStringLiteral("select count(*) from S_USER where SUSERID='%1' and SPASSWORD='%2'").arg(user, password)) == 1;
}

void loadUser(const QString &id, const QString &password)
{
    CurrentUser user;
    user.id = id;
    user.name = QStringLiteral("某人");
    user.password = password;
    shared().user = user;
}

} // namespace

class TestSysPassword : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    static void change(Tfrm_sys_password &dlg, const QString &old, const QString &newPassword, const QString &confirm)
    {
        dlg.Edit1()->setText(old);
        dlg.edit2()->setText(newPassword);
        dlg.edit3()->setText(confirm);
        QTest::mouseClick(dlg.btnOk(), Qt::LeftButton);
    }

    // Logs in through the login dialog; true when it was accepted.
    static bool logsIn(const QString &code, const QString &password)
    {
        ScopedScriptedMessageBoxes boxes;
        shared().user = CurrentUser();
        Tfrm_sys_login login;
        login.show();
        QApplication::setActiveWindow(&login);
        if (!QTest::qWaitForWindowActive(&login))
            return false;
        login.edtbh()->setFocus();
        QTest::keyClicks(login.edtbh(), code);
        QTest::keyClick(login.edtbh(), Qt::Key_Return);
        QTest::keyClicks(login.edtpassword(), password);
        QTest::keyClick(login.edtpassword(), Qt::Key_Return);
        QTest::keyClick(login.btnOk(), Qt::Key_Return);
        return login.result() == QDialog::Accepted && boxes.shown.isEmpty();
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        PELU_SQL(QStringLiteral("insert into S_USER(SUSERID,SUSERNAME,SPASSWORD,IRADD) values('0101','张三','Abc1',1)"));
        loadUser(QStringLiteral("0101"), QStringLiteral("Abc1"));
    }
    void cleanup() { m_store.reset(); }

    void layout()
    {
        Tfrm_sys_password dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("设置密码"));
        QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("原 密 码"));
        QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("Label2"))->text(), QStringLiteral("新 密 码"));
        QCOMPARE(dlg.findChild<QLabel *>(QStringLiteral("Label3"))->text(), QStringLiteral("确认密码"));
        for (QLineEdit *edit : {dlg.Edit1(), dlg.edit2(), dlg.edit3()}) {
            QCOMPARE(edit->maxLength(), 20);
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
        }
        QCOMPARE(dlg.btnOk()->text(), QStringLiteral("确认"));
        QCOMPARE(dlg.btnCancel()->text(), QStringLiteral("取消"));
    }

    // The old password is checked against the one of this run, exactly;
    // the two new ones must agree; an empty new password is a password.
    void rules_data()
    {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("newPassword");
        QTest::addColumn<QString>("confirm");
        QTest::addColumn<QString>("message");
        QTest::addColumn<bool>("changed");
        QTest::newRow("wrong old") << "abc1" << "N1" << "N1" << "原密码不正确！" << false;
        QTest::newRow("empty old") << "" << "N1" << "N1" << "原密码不正确！" << false;
        QTest::newRow("confirmation differs") << "Abc1" << "N1" << "n1" << "确认密码不一致！" << false;
        QTest::newRow("confirmation empty") << "Abc1" << "N1" << "" << "确认密码不一致！" << false;
        QTest::newRow("changed") << "Abc1" << "N1" << "N1" << "密码修改成功！" << true;
        QTest::newRow("changed to empty") << "Abc1" << "" << "" << "密码修改成功！" << true;
    }
    void rules()
    {
        QFETCH(QString, old);
        QFETCH(QString, newPassword);
        QFETCH(QString, confirm);
        QFETCH(QString, message);
        QFETCH(bool, changed);
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_password dlg;
        dlg.show();
        change(dlg, old, newPassword, confirm);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("提示"));
        QCOMPARE(boxes.shown.first().text, message);
        QCOMPARE(dlg.isVisible(), !changed);
        if (changed) {
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
            QVERIFY(storedPasswordIs(QStringLiteral("0101"), newPassword));
            QCOMPARE(shared().user.password, newPassword);
            QVERIFY(!logsIn(QStringLiteral("0101"), QStringLiteral("Abc1")));
            QVERIFY(logsIn(QStringLiteral("0101"), newPassword));
            return;
        }
        QVERIFY(storedPasswordIs(QStringLiteral("0101"), QStringLiteral("Abc1")));
        QCOMPARE(shared().user.password, QStringLiteral("Abc1"));
        const bool oldRefused = message == QStringLiteral("原密码不正确！");
        // The field found wrong is emptied, the others keep what was typed.
        QCOMPARE(dlg.Edit1()->text(), oldRefused ? QString() : old);
        QCOMPARE(dlg.edit2()->text(), oldRefused ? newPassword : QString());
        QCOMPARE(dlg.edit3()->text(), oldRefused ? confirm : QString());
    }

    // A second change in the same run needs the new password as the old one.
    void secondChange()
    {
        ScopedScriptedMessageBoxes boxes;
        {
            Tfrm_sys_password dlg;
            dlg.show();
            change(dlg, QStringLiteral("Abc1"), QStringLiteral("N1"), QStringLiteral("N1"));
        }
        Tfrm_sys_password dlg;
        dlg.show();
        change(dlg, QStringLiteral("Abc1"), QStringLiteral("N2"), QStringLiteral("N2"));
        QCOMPARE(boxes.shown.last().text, QStringLiteral("原密码不正确！"));
        change(dlg, QStringLiteral("N1"), QStringLiteral("N2"), QStringLiteral("N2"));
        QCOMPARE(boxes.shown.last().text, QStringLiteral("密码修改成功！"));
        QVERIFY(storedPasswordIs(QStringLiteral("0101"), QStringLiteral("N2")));
        QCOMPARE(shared().user.password, QStringLiteral("N2"));
    }

    // The super administrator, with its empty password, changes its own
    // password here and nobody else's.
    void superAdmin()
    {
        ScopedScriptedMessageBoxes boxes;
        loadUser(QStringLiteral("0000"), QString());
        Tfrm_sys_password dlg;
        dlg.show();
        change(dlg, QString(), QStringLiteral("root1"), QStringLiteral("root1"));
        QCOMPARE(boxes.shown.last().text, QStringLiteral("密码修改成功！"));
        QVERIFY(storedPasswordIs(QStringLiteral("0000"), QStringLiteral("root1")));
        QVERIFY(storedPasswordIs(QStringLiteral("0101"), QStringLiteral("Abc1")));
        QVERIFY(logsIn(QStringLiteral("0000"), QStringLiteral("root1")));
    }

    // Before a change only "取消" leaves the dialog; it changes nothing.
    void closing()
    {
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_password dlg;
        dlg.show();
        dlg.Edit1()->setText(QStringLiteral("Abc1"));
        dlg.edit2()->setText(QStringLiteral("N1"));
        dlg.edit3()->setText(QStringLiteral("N1"));
        dlg.close();
        QVERIFY(dlg.isVisible());
        QTest::keyClick(&dlg, Qt::Key_Escape);
        QVERIFY(dlg.isVisible());
        // The refused close query closed the row; the change opens it again.
        QTest::mouseClick(dlg.btnOk(), Qt::LeftButton);
        QCOMPARE(boxes.shown.last().text, QStringLiteral("密码修改成功！"));
        QVERIFY(storedPasswordIs(QStringLiteral("0101"), QStringLiteral("N1")));

        Tfrm_sys_password other;
        other.show();
        other.Edit1()->setText(QStringLiteral("N1"));
        other.edit2()->setText(QStringLiteral("N3"));
        other.edit3()->setText(QStringLiteral("N3"));
        QTest::mouseClick(other.btnCancel(), Qt::LeftButton);
        QVERIFY(!other.isVisible());
        QCOMPARE(other.result(), int(QDialog::Rejected));
        QVERIFY(storedPasswordIs(QStringLiteral("0101"), QStringLiteral("N1")));
        QCOMPARE(shared().user.password, QStringLiteral("N1"));
    }

    // A failed store is shown; the table and this run keep the old password
    // and the dialog stays open to try again.
    void storeFailureKeepsOldPassword()
    {
        QFETCH_GLOBAL(int, store);
        if (store == TestStore::SQLite) {
            PELU_SQL(QStringLiteral("create trigger TR_NO_PW before update on S_USER begin select raise(abort,'refused'); end"));
        } else {
            PELU_SQL(QStringLiteral("create function F_NO_PW() returns trigger language plpgsql as $$ begin raise exception 'refused'; end $$"));
            PELU_SQL(QStringLiteral("create trigger TR_NO_PW before update on S_USER for each row execute function F_NO_PW()"));
        }
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_password dlg;
        dlg.show();
        change(dlg, QStringLiteral("Abc1"), QStringLiteral("N1"), QStringLiteral("N1"));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Critical);
        QVERIFY(boxes.shown.first().text.contains(QStringLiteral("refused")));
        QVERIFY(dlg.isVisible());
        QVERIFY(storedPasswordIs(QStringLiteral("0101"), QStringLiteral("Abc1")));
        QCOMPARE(shared().user.password, QStringLiteral("Abc1"));
        QCOMPARE(dlg.edit2()->text(), QStringLiteral("N1"));

        PELU_SQL(store == TestStore::SQLite ? QStringLiteral("drop trigger TR_NO_PW")
                                            : QStringLiteral("drop trigger TR_NO_PW on S_USER"));
        QTest::mouseClick(dlg.btnOk(), Qt::LeftButton);
        QCOMPARE(boxes.shown.last().text, QStringLiteral("密码修改成功！"));
        QVERIFY(storedPasswordIs(QStringLiteral("0101"), QStringLiteral("N1")));
        QCOMPARE(shared().user.password, QStringLiteral("N1"));
    }
};

QTEST_MAIN(TestSysPassword)
#include "tst_sys_password.moc"

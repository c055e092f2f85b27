#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/SharedState.h"
#include "users/sys_login.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>

class TestSysLogin : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<Tfrm_sys_login> m_login;

    // Types into a field and leaves it by Enter, as a clerk does.
    void typeAndEnter(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty())
            edit->clear();
        else
            QTest::keyClicks(edit, text);
        QTest::keyClick(edit, Qt::Key_Return);
    }

    void logIn(const QString &code, const QString &password)
    {
        typeAndEnter(m_login->edtbh(), code);
        typeAndEnter(m_login->edtpassword(), password);
        QTest::keyClick(m_login->btnOk(), Qt::Key_Return);
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        PELU_SQL(QStringLiteral("insert into S_USER(SUSERID,SUSERNAME,SPASSWORD,IRADD,IRSET) values('0101','张三','Abc1',1,0)"));
        m_login = std::make_unique<Tfrm_sys_login>();
        m_login->show();
        QApplication::setActiveWindow(m_login.get());
        QVERIFY(QTest::qWaitForWindowActive(m_login.get()));
    }
    void cleanup()
    {
        m_login.reset();
        m_store.reset();
    }

    void layout()
    {
        QCOMPARE(m_login->size(), QSize(500, 310));
        QCOMPARE(m_login->btnOk()->text(), QStringLiteral("确  定"));
        QCOMPARE(m_login->btnCancel()->text(), QStringLiteral("退  出"));
        QCOMPARE(m_login->findChild<QLabel *>(QStringLiteral("lbl1"))->text(), QStringLiteral("用户编号"));
        QCOMPARE(m_login->findChild<QLabel *>(QStringLiteral("Label1"))->text(), QStringLiteral("用户密码"));
        QCOMPARE(m_login->edtbh()->maxLength(), 20);
        QCOMPARE(m_login->edtpassword()->echoMode(), QLineEdit::Password);
    }

    // The super administrator with its empty password; default-value rows
    // are made once per table.
    void emptyPasswordAndSeeding()
    {
        ScopedScriptedMessageBoxes boxes;
        logIn(QStringLiteral("0000"), QString());
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(m_login->result(), int(QDialog::Accepted));
        QCOMPARE(shared().user.id, QStringLiteral("0000"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_NEWVALUE where SUSERID='0000' and STABLE='N_A'")), 38);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_NEWVALUE where SUSERID='0000' and STABLE='N_B'")), 38);

        // A later login seeds nothing, even after a new dictionary row.
        PELU_SQL(QStringLiteral("insert into S_FIELD(STABLE,SFIELD,SFIELDNAME1) values('N_A','AX01','额外')"));
        Tfrm_sys_login again;
        again.show();
        m_login.reset();
        again.edtbh()->setText(QStringLiteral("0000"));
        again.edtbhExit();
        again.btnOkClick();
        QCOMPARE(again.result(), int(QDialog::Accepted));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_NEWVALUE where SUSERID='0000'")), 76);
    }

    void userAndRightsAreLoaded()
    {
        ScopedScriptedMessageBoxes boxes;
        logIn(QStringLiteral("  0101 "), QStringLiteral("Abc1"));
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(m_login->result(), int(QDialog::Accepted));
        const CurrentUser &u = shared().user;
        QCOMPARE(u.id, QStringLiteral("0101"));
        QCOMPARE(u.name, QStringLiteral("张三"));
        QCOMPARE(u.password, QStringLiteral("Abc1"));
        QVERIFY(u.hasRight(QStringLiteral("IRADD")));
        QVERIFY(!u.hasRight(QStringLiteral("IRSET")));
        QVERIFY(!u.hasRight(QStringLiteral("IRDEL"))); // null counts as withheld
    }

    // Passwords compare exactly: other letter case is refused, the field is
    // emptied and focused, the user stays loaded.
    void wrongPassword()
    {
        ScopedScriptedMessageBoxes boxes;
        logIn(QStringLiteral("0101"), QStringLiteral("abc1"));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("提示"));
        QCOMPARE(boxes.shown.first().text, QStringLiteral("密码不正确！"));
        QVERIFY(m_login->isVisible());
        QVERIFY(m_login->edtpassword()->text().isEmpty());
        QVERIFY(m_login->edtpassword()->hasFocus());
        QCOMPARE(shared().user.id, QStringLiteral("0101"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_NEWVALUE where SUSERID='0101'")), 0);
        typeAndEnter(m_login->edtpassword(), QStringLiteral("Abc1"));
        QTest::keyClick(m_login->btnOk(), Qt::Key_Return);
        QCOMPARE(m_login->result(), int(QDialog::Accepted));
    }

    // Unknown codes, a quote included, are "没有此操作用户！"; the field is
    // emptied and OK returns the focus to it.
    void unknownUser_data()
    {
        QTest::addColumn<QString>("code");
        QTest::newRow("unknown") << QStringLiteral("9999");
        QTest::newRow("quote") << QStringLiteral("0' or '1'='1");
    }
    void unknownUser()
    {
        QFETCH(QString, code);
        ScopedScriptedMessageBoxes boxes;
        typeAndEnter(m_login->edtbh(), QStringLiteral("0101"));
        QCOMPARE(shared().user.id, QStringLiteral("0101"));
        typeAndEnter(m_login->edtbh(), code);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().text, QStringLiteral("没有此操作用户！"));
        QVERIFY(m_login->edtbh()->text().isEmpty());
        QVERIFY(m_login->edtbh()->hasFocus());
        QCOMPARE(shared().user.id, QStringLiteral("0101")); // the user loaded before stays
        m_login->btnOkClick();
        QVERIFY(m_login->edtbh()->hasFocus());
        QVERIFY(m_login->isVisible());
        QCOMPARE(boxes.shown.size(), 1);
    }

    // Only the two buttons leave the dialog.
    void onlyTheButtonsClose()
    {
        QTest::keyClick(m_login.get(), Qt::Key_Escape);
        QVERIFY(m_login->isVisible());
        m_login->close();
        QVERIFY(m_login->isVisible());
        QTest::mouseClick(m_login->btnCancel(), Qt::LeftButton);
        QVERIFY(!m_login->isVisible());
        QCOMPARE(m_login->result(), int(QDialog::Rejected));
        QVERIFY(m_login->terminateRequested());
    }

    void loginPicture()
    {
        m_login.reset();
        QImage custom(640, 400, QImage::Format_RGB32);
        custom.fill(Qt::darkGreen);
        QVERIFY(custom.save(shared().appDir + QStringLiteral("/N_login.jpg")));
        Tfrm_sys_login withPicture;
        QCOMPARE(withPicture.size(), QSize(640, 400));
        QCOMPARE(Tfrm_sys_login::designedPicture().size(), QSize(500, 310));
    }
};

QTEST_MAIN(TestSysLogin)
#include "tst_sys_login.moc"

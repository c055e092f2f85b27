#include "TestStore.h"

#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "data/Dataset.h"
#include "data/SharedState.h"
#include "users/sys_login.h"
#include "users/sys_user.h"

#include <QAction>
#include <QHeaderView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString kDuplicate = QStringLiteral("用户编号已存在，请重新录入！");
const QString kEmptyCode = QStringLiteral("用户编号不能为空，请重新录入！");

// A right as stored; -9 for null.
int storedRight(const QString &user, const QString &column)
{
    return sqlValue(QStringLiteral("select coalesce(%1,-9) from S_USER where SUSERID='%2'").arg(column, user));
}

int userRows(const QString &user)
{
    return sqlValue(QStringLiteral("select count(*) from S_USER where SUSERID='%1'").arg(user));
}

} // namespace

class TestSysUser : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<Tfrm_sys_user> m_dlg;

    DbGrid *grid() const { return m_dlg->dbgrid1(); }
    Dataset &qry() const { return m_dlg->Qry1(); }

    QModelIndex cell(const QString &field) const
    {
        return grid()->model()->index(qry().pos(), grid()->columnByField(field));
    }

    bool selectUser(const QString &code) { return qry().locate(QStringLiteral("SUSERID"), code); }

    // Types into a cell of the current row as the administrator does.
    void typeInto(const QString &field, const QString &text)
    {
        const QModelIndex index = cell(field);
        grid()->setCurrentIndex(index);
        grid()->edit(index);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        editor->insert(text);
        grid()->commitEditor();
    }

    void clickCell(const QString &field)
    {
        const QModelIndex index = cell(field);
        grid()->scrollTo(index);
        QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(index).center());
    }

    bool ticked(const QString &field) const
    {
        return cell(field).data(Qt::CheckStateRole).toInt() == Qt::Checked;
    }

    void addUser(const QString &code, const QString &name, const QString &password)
    {
        m_dlg->tlbAdd()->trigger();
        typeInto(QStringLiteral("SUSERID"), code);
        typeInto(QStringLiteral("SUSERNAME"), name);
        typeInto(QStringLiteral("SPASSWORD"), password);
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        PELU_SQL(QStringLiteral("insert into S_USER(SUSERID,SUSERNAME,SPASSWORD,IRADD,IRSET) values('0101','张三','Abc1',1,0)"));
        PELU_SQL(QStringLiteral("insert into S_USER(SUSERID,SUSERNAME,SPASSWORD,IRADD,IRDEL,IREDIT,IRSET,IR4,IR3,IRBORROW) "
                                "values('0102','李四','x',1,1,1,1,1,1,2)"));
        m_dlg = std::make_unique<Tfrm_sys_user>();
        m_dlg->show();
        QApplication::setActiveWindow(m_dlg.get());
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    }
    void cleanup()
    {
        m_dlg.reset();
        m_store.reset();
    }

    void layout()
    {
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("用户设置"));
        QVERIFY(m_dlg->notePanel()->text().contains(QStringLiteral("0000 超级管理用户不在此设置")));
        const QStringList fields{"SUSERID", "SUSERNAME", "SPASSWORD", "IRADD", "IRDEL", "IREDIT", "IRBATCH", "IR4",
                                 "IRINPUT", "IREXPORT", "IRPRINT", "IRBORROW", "IRSET", "IRBIN", "IR1", "IR2", "IR3"};
        QCOMPARE(grid()->columnCount(), fields.size());
        for (int col = 0; col < fields.size(); ++col) {
            QCOMPARE(grid()->columnField(col), fields.at(col));
            QCOMPARE(grid()->isColumnCheckBox(col), col >= 3);
        }
        QCOMPARE(grid()->columnTitle(grid()->columnByField(QStringLiteral("IR4"))), QStringLiteral("批量删除"));
        QCOMPARE(grid()->rowHeight(), 25);
        // The password is shown as typed.
        QVERIFY(selectUser(QStringLiteral("0101")));
        QCOMPARE(cell(QStringLiteral("SPASSWORD")).data().toString(), QStringLiteral("Abc1"));
    }

    // "0000" is never listed, neither after a sort nor after a refresh.
    void superAdminNeverListed()
    {
        auto listed = [this] {
            QStringList codes;
            for (int pos = 0; pos < qry().recordCount(); ++pos)
                codes << qry().textAt(pos, qry().fieldIndex(QStringLiteral("SUSERID")));
            return codes;
        };
        QCOMPARE(userRows(QStringLiteral("0000")), 1);
        QCOMPARE(listed(), QStringList({"0101", "0102"}));
        const int col = grid()->columnByField(QStringLiteral("SUSERID"));
        grid()->clickTitle(col);
        grid()->clickTitle(col);
        QCOMPARE(listed().size(), 2);
        QVERIFY(!listed().contains(QStringLiteral("0000")));
        qry().close();
        qry().open();
        QCOMPARE(listed(), QStringList({"0101", "0102"}));
    }

    void newUserHasEveryRight()
    {
        ScopedScriptedMessageBoxes boxes;
        addUser(QStringLiteral("0201"), QStringLiteral("王五"), QStringLiteral("Pw9"));
        for (int col = 3; col < grid()->columnCount(); ++col)
            QVERIFY2(ticked(grid()->columnField(col)), qPrintable(grid()->columnField(col)));
        m_dlg->tlbSave()->trigger();
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(qry().state(), Dataset::State::Browse);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_USER where SUSERID='0201' and SUSERNAME='王五' and SPASSWORD='Pw9'")), 1);
        const QStringList rights = Tfrm_sys_user::newUserRights();
        QCOMPARE(rights.size(), 32);
        for (const QString &right : rights)
            QVERIFY2(storedRight(QStringLiteral("0201"), right) == 1, qPrintable(right));
    }

    // A click in a right's cell toggles it; saving stores 1 or 0. Only 1
    // shows ticked: an empty right or a 2 shows clear.
    void tickingRightsStores_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("right");
        QTest::addColumn<bool>("tickedBefore");
        QTest::addColumn<int>("storedAfter");
        QTest::newRow("clear add") << "0101" << "IRADD" << true << 0;
        QTest::newRow("tick settings") << "0101" << "IRSET" << false << 1;
        QTest::newRow("tick empty delete") << "0101" << "IRDEL" << false << 1;
        QTest::newRow("clear batch delete") << "0102" << "IR4" << true << 0;
        QTest::newRow("clear attachment delete") << "0102" << "IR3" << true << 0;
        QTest::newRow("tick lending holding 2") << "0102" << "IRBORROW" << false << 1;
    }
    void tickingRightsStores()
    {
        QFETCH(QString, user);
        QFETCH(QString, right);
        QFETCH(bool, tickedBefore);
        QFETCH(int, storedAfter);
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(selectUser(user));
        QCOMPARE(ticked(right), tickedBefore);
        clickCell(right);
        QCOMPARE(qry().state(), Dataset::State::Edit);
        QCOMPARE(ticked(right), !tickedBefore);
        m_dlg->tlbSave()->trigger();
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(storedRight(user, right), storedAfter);
        // And back.
        clickCell(right);
        m_dlg->tlbSave()->trigger();
        QCOMPARE(storedRight(user, right), storedAfter == 1 ? 0 : 1);
        QCOMPARE(userRows(user), 1);
    }

    // A taken or empty code is refused with a message, nothing is stored and
    // the row stays for correction; a free code then saves.
    void refusedCode_data()
    {
        QTest::addColumn<QString>("editUser"); // empty: a new user
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("message");
        QTest::newRow("new user, taken code") << "" << "0101" << kDuplicate;
        QTest::newRow("new user as super administrator") << "" << "0000" << kDuplicate;
        QTest::newRow("code changed to a taken one") << "0102" << "0101" << kDuplicate;
        QTest::newRow("code changed to 0000") << "0102" << "0000" << kDuplicate;
        QTest::newRow("new user, blank code") << "" << "  " << kEmptyCode;
    }
    void refusedCode()
    {
        QFETCH(QString, editUser);
        QFETCH(QString, code);
        QFETCH(QString, message);
        ScopedScriptedMessageBoxes boxes;
        const int rowsBefore = sqlValue(QStringLiteral("select count(*) from S_USER"));
        if (editUser.isEmpty()) {
            addUser(code, QStringLiteral("重号"), QStringLiteral("p"));
        } else {
            QVERIFY(selectUser(editUser));
            typeInto(QStringLiteral("SUSERID"), code);
        }
        const Dataset::State state = qry().state();
        QVERIFY(state != Dataset::State::Browse);
        m_dlg->tlbSave()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("提示"));
        QCOMPARE(boxes.shown.first().text, message);
        QCOMPARE(qry().state(), state);
        QCOMPARE(qry().text(QStringLiteral("SUSERID")), code);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_USER")), rowsBefore);
        QCOMPARE(userRows(QStringLiteral("0000")), 1);
        QCOMPARE(storedRight(QStringLiteral("0000"), QStringLiteral("IRSET")), 1);
        if (!editUser.isEmpty())
            QCOMPARE(userRows(editUser), 1);

        typeInto(QStringLiteral("SUSERID"), QStringLiteral("0199"));
        m_dlg->tlbSave()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(qry().state(), Dataset::State::Browse);
        QCOMPARE(userRows(QStringLiteral("0199")), 1);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_USER")), rowsBefore + (editUser.isEmpty() ? 1 : 0));
    }

    // The login takes 20 characters of password: a longer one is refused.
    void passwordLongerThanLoginTakes()
    {
        ScopedScriptedMessageBoxes boxes;
        const int rowsBefore = sqlValue(QStringLiteral("select count(*) from S_USER"));
        addUser(QStringLiteral("0150"), QStringLiteral("长密码"), QString(21, QLatin1Char('x')));
        m_dlg->tlbSave()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().text, QStringLiteral("密码不能超过20位，请重新录入！"));
        QCOMPARE(qry().state(), Dataset::State::Insert);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_USER")), rowsBefore);
        typeInto(QStringLiteral("SPASSWORD"), QString(20, QLatin1Char('x')));
        m_dlg->tlbSave()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(userRows(QStringLiteral("0150")), 1);
    }

    // Leaving a changed row stores it, so the code is checked there too.
    void leavingRowChecksCode_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("click in another row") << "row";
        QTest::newRow("title click") << "title";
        QTest::newRow("key up") << "key";
    }
    void leavingRowChecksCode()
    {
        QFETCH(QString, how);
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(selectUser(QStringLiteral("0102")));
        typeInto(QStringLiteral("SUSERID"), QStringLiteral("0101"));
        QCOMPARE(qry().state(), Dataset::State::Edit);
        const int pos = qry().pos();
        if (how == QLatin1String("row")) {
            const QModelIndex other = grid()->model()->index(pos == 0 ? 1 : 0, 0);
            QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualRect(other).center());
        } else if (how == QLatin1String("title")) {
            auto *header = grid()->horizontalHeader();
            QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                              QPoint(header->sectionViewportPosition(1) + 5, header->height() / 2));
        } else {
            grid()->setFocus();
            QTest::keyClick(grid(), pos == 0 ? Qt::Key_Down : Qt::Key_Up);
        }
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().text, kDuplicate);
        QCOMPARE(qry().state(), Dataset::State::Edit);
        QCOMPARE(qry().pos(), pos);
        QCOMPARE(userRows(QStringLiteral("0102")), 1);
        QCOMPARE(userRows(QStringLiteral("0101")), 1);
    }

    // Keeping one's own code while editing the rest is no duplicate.
    void ownCodeKept()
    {
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(selectUser(QStringLiteral("0102")));
        typeInto(QStringLiteral("SUSERNAME"), QStringLiteral("李四改"));
        m_dlg->tlbSave()->trigger();
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_USER where SUSERID='0102' and SUSERNAME='李四改'")), 1);
    }

    // Any other failure of the store is shown as such and the row stays.
    void storeFailureKeepsRow()
    {
        ScopedScriptedMessageBoxes boxes;
        addUser(QStringLiteral("0301"), QStringLiteral("赵六"), QStringLiteral("q"));
        PELU_SQL(QStringLiteral("drop table S_USER"));
        m_dlg->tlbSave()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Critical);
        QVERIFY(boxes.shown.first().text != kDuplicate);
        QCOMPARE(qry().state(), Dataset::State::Insert);
        QCOMPARE(qry().text(QStringLiteral("SUSERID")), QStringLiteral("0301"));
    }

    void deleteAsksAndRemoves()
    {
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("insert into S_NEWVALUE(SUSERID,STABLE,SFIELD) values('0101','N_A','AS01')"));
        QVERIFY(selectUser(QStringLiteral("0101")));
        boxes.answers << MsgResultCancel;
        m_dlg->tlbDel()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().text, QStringLiteral("删除后将不能再恢复，确认要删除吗？"));
        QCOMPARE(userRows(QStringLiteral("0101")), 1);
        QCOMPARE(qry().recordCount(), 2);

        m_dlg->tlbDel()->trigger();
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(userRows(QStringLiteral("0101")), 0);
        QCOMPARE(qry().recordCount(), 1);
        QCOMPARE(qry().text(QStringLiteral("SUSERID")), QStringLiteral("0102"));
        // Only the user goes.
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_NEWVALUE where SUSERID='0101'")), 1);
        QCOMPARE(userRows(QStringLiteral("0000")), 1);
    }

    // A user made here logs in with the password typed here and has exactly
    // the rights left ticked.
    void newUserLogsIn()
    {
        ScopedScriptedMessageBoxes boxes;
        addUser(QStringLiteral("0201"), QStringLiteral("王五"), QStringLiteral("Pw9x"));
        clickCell(QStringLiteral("IRSET"));
        clickCell(QStringLiteral("IRDEL"));
        m_dlg->tlbSave()->trigger();
        QVERIFY(boxes.shown.isEmpty());
        m_dlg->close();
        m_dlg.reset();

        shared().user = CurrentUser();
        Tfrm_sys_login login;
        login.show();
        QApplication::setActiveWindow(&login);
        QVERIFY(QTest::qWaitForWindowActive(&login));
        auto typeAndEnter = [](QLineEdit *edit, const QString &text) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClicks(edit, text);
            QTest::keyClick(edit, Qt::Key_Return);
        };
        typeAndEnter(login.edtbh(), QStringLiteral("0201"));
        typeAndEnter(login.edtpassword(), QStringLiteral("pw9x"));
        QTest::keyClick(login.btnOk(), Qt::Key_Return);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().text, QStringLiteral("密码不正确！"));
        QVERIFY(login.isVisible());

        typeAndEnter(login.edtpassword(), QStringLiteral("Pw9x"));
        QTest::keyClick(login.btnOk(), Qt::Key_Return);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(login.result(), int(QDialog::Accepted));
        const CurrentUser &u = shared().user;
        QCOMPARE(u.id, QStringLiteral("0201"));
        QCOMPARE(u.name, QStringLiteral("王五"));
        QVERIFY(!u.hasRight(QStringLiteral("IRSET")));
        QVERIFY(!u.hasRight(QStringLiteral("IRDEL")));
        for (const char *right : {"IRADD", "IREDIT", "IRBATCH", "IR4", "IRINPUT", "IREXPORT", "IRPRINT", "IRBORROW",
                                  "IRBIN", "IR1", "IR2", "IR3"})
            QVERIFY2(u.hasRight(QLatin1String(right)), right);
    }
};

QTEST_MAIN(TestSysUser)
#include "tst_sys_user.moc"

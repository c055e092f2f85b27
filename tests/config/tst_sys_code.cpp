#include "TestStore.h"

#include "app/DbGrid.h"
#include "app/MapListCombo.h"
#include "app/MessageBoxes.h"
#include "config/sys_code.h"
#include "data/Dataset.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

using Entry = QPair<QString, int>; // name, order

// Only the given code fields of the table are displayed, with these labels.
bool showCodeFields(const QString &table, const QList<QPair<QString, QString>> &fields)
{
    if (!sqlExec(QStringLiteral("update S_FIELD set IDISPLAY=0 where STABLE='%1' and SFIELDTYPE='C'").arg(table)))
        return false;
    for (const auto &f : fields) {
        if (!sqlExec(QStringLiteral("update S_FIELD set IDISPLAY=1, SFIELDNAME1='%1' where STABLE='%2' and SFIELD='%3'")
                         .arg(f.second, table, f.first)))
            return false;
    }
    return true;
}

bool fillList(const QString &field, const QList<Entry> &entries)
{
    if (!sqlExec(QStringLiteral("delete from N_%1").arg(field)))
        return false;
    for (const Entry &e : entries) {
        if (!sqlExec(QStringLiteral("insert into N_%1(%1NAME,%1ORDER) values('%2',%3)").arg(field, e.first).arg(e.second)))
            return false;
    }
    return true;
}

QStringList names(Dataset &q, const QString &field)
{
    QStringList out;
    const int col = q.fieldIndex(field + QStringLiteral("NAME"));
    for (int pos = 0; pos < q.recordCount(); ++pos)
        out << q.textAt(pos, col);
    return out;
}

QStringList pickerCodes(MapListCombo *cb)
{
    QStringList out;
    for (int i = 0; i < cb->count(); ++i)
        out << cb->codeAt(i);
    return out;
}

} // namespace

class TestSysCode : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        QVERIFY(showCodeFields(QStringLiteral("N_A"), {{"AC01", "Secrecy"}, {"AC03", "Retention"}, {"AC05", "Medium"}}));
        QVERIFY(showCodeFields(QStringLiteral("N_B"), {{"BC02", "Kind"}, {"BC01", "Stage"}}));
    }
    void cleanup() { m_store.reset(); }

    // Displayed code fields of the one table, by label; hidden and other
    // kinds of field are not offered.
    void pickerOffersDisplayedCodeFields_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("volumes") << "N_A" << QStringList{"AC05", "AC03", "AC01"}
                                 << QStringList{"Medium", "Retention", "Secrecy"};
        QTest::newRow("documents") << "N_B" << QStringList{"BC02", "BC01"} << QStringList{"Kind", "Stage"};
        QTest::newRow("quote in table") << "N_A' or '1'='1" << QStringList{} << QStringList{};
    }

    void pickerOffersDisplayedCodeFields()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, codes);
        QFETCH(QStringList, labels);
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("update S_FIELD set IDISPLAY=1 where STABLE='N_A' and SFIELDTYPE<>'C'"));
        Tfrm_sys_code dlg(QColor(), QColor(), table, QString(), false);
        dlg.show();
        QCOMPARE(pickerCodes(dlg.dbcb1()), codes);
        QStringList shown;
        for (int i = 0; i < dlg.dbcb1()->count(); ++i)
            shown << dlg.dbcb1()->itemText(i);
        QCOMPARE(shown, labels);
        // Nothing picked: the grid stays empty and adding does nothing.
        QCOMPARE(dlg.dbcb1()->currentIndex(), -1);
        QVERIFY(!dlg.Qry1().isOpen());
        dlg.tlbAdd()->trigger();
        QVERIFY(!dlg.Qry1().isOpen());
        QVERIFY(boxes.shown.isEmpty());
    }

    // A field passed in opens its list; one that is not offered (hidden, or
    // of another table) leaves the grid empty.
    void opensOnPassedField_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<bool>("opens");
        QTest::newRow("displayed") << "N_A" << "AC03" << true;
        QTest::newRow("hidden") << "N_A" << "AC02" << false;
        QTest::newRow("other table") << "N_B" << "AC03" << false;
        QTest::newRow("empty") << "N_A" << "" << false;
    }

    void opensOnPassedField()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(bool, opens);
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(fillList(QStringLiteral("AC03"), {{"C", 3}, {"A", 1}, {"B", 2}}));
        Tfrm_sys_code dlg(QColor(), QColor(), table, field, true);
        dlg.show();
        QCOMPARE(dlg.Qry1().isOpen(), opens);
        QCOMPARE(dlg.currentField(), opens ? field : QString());
        if (opens) {
            QCOMPARE(dlg.dbcb1()->currentCode(), field);
            QCOMPARE(names(dlg.Qry1(), field), (QStringList{"A", "B", "C"}));
        } else {
            QCOMPARE(dlg.dbcb1()->currentIndex(), -1);
        }
        QVERIFY(boxes.shown.isEmpty());
    }

    // Titles come from the field's label; the code column is shown and
    // editable only in the variant with it, and only where the list has one.
    void columns_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("withCode");
        QTest::addColumn<bool>("codeShown");
        QTest::newRow("volume window") << "N_A" << "AC01" << "Secrecy" << true << true;
        QTest::newRow("main window, volumes") << "N_A" << "AC01" << "Secrecy" << false << false;
        QTest::newRow("document window") << "N_B" << "BC01" << "Stage" << false << false;
        QTest::newRow("documents asked with code") << "N_B" << "BC01" << "Stage" << true << false;
    }

    void columns()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QString, label);
        QFETCH(bool, withCode);
        QFETCH(bool, codeShown);
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(fillList(field, {{"A", 1}}));
        Tfrm_sys_code dlg(QColor(), QColor(), table, field, withCode);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("设置选择下拉列字段内容"));
        DbGrid *grid = dlg.dbgrid1();
        QCOMPARE(grid->columnCount(), 3);
        QCOMPARE(grid->columnField(0), field + "NAME");
        QCOMPARE(grid->columnTitle(0), label + "下拉项内容");
        QCOMPARE(grid->columnField(1), field + "ORDER");
        QCOMPARE(grid->columnTitle(1), QStringLiteral("下拉排序(数字)"));
        QCOMPARE(grid->columnTitle(2), label + "代码");
        QCOMPARE(grid->rowHeight(), 25);
        QCOMPARE(grid->titleHeight(), 25);
        QVERIFY(grid->isColumnVisible(0));
        QVERIFY(grid->isColumnVisible(1));
        QCOMPARE(grid->isColumnVisible(2), codeShown);
        const bool codeEditable = grid->model()->flags(grid->model()->index(0, 2)) & Qt::ItemIsEditable;
        QCOMPARE(codeEditable, codeShown);
        QVERIFY(grid->model()->flags(grid->model()->index(0, 0)) & Qt::ItemIsEditable);
        QVERIFY(boxes.shown.isEmpty());
    }

    void codeColumnIsStored()
    {
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(fillList(QStringLiteral("AC01"), {}));
        Tfrm_sys_code dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AC01"), true);
        dlg.show();
        dlg.tlbAdd()->trigger();
        dlg.Qry1().setValue(QStringLiteral("AC01NAME"), QStringLiteral("绝密"));
        dlg.Qry1().setValue(QStringLiteral("AC01CODE"), QStringLiteral("JM"));
        dlg.tlbSave()->trigger();
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC01 where AC01NAME='绝密' and AC01CODE='JM'")), 1);
        QVERIFY(boxes.shown.isEmpty());
    }

    // A new entry's order is one above the largest stored, 1 for an empty list.
    void newEntryOrder_data()
    {
        QTest::addColumn<QList<int>>("orders");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty list") << QList<int>{} << 1;
        QTest::newRow("consecutive") << QList<int>{1, 2, 3} << 4;
        QTest::newRow("gaps") << QList<int>{1, 7, 3} << 8;
        QTest::newRow("zero") << QList<int>{0} << 1;
        QTest::newRow("negative only") << QList<int>{-5} << -4;
    }

    void newEntryOrder()
    {
        QFETCH(QList<int>, orders);
        QFETCH(int, expected);
        ScopedScriptedMessageBoxes boxes;
        QList<Entry> entries;
        for (int o : orders)
            entries << Entry(QStringLiteral("E%1").arg(o), o);
        QVERIFY(fillList(QStringLiteral("AC05"), entries));
        Tfrm_sys_code dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AC05"), false);
        dlg.show();
        dlg.tlbAdd()->trigger();
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Insert);
        QCOMPARE(dlg.Qry1().value(QStringLiteral("AC05ORDER")).toInt(), expected);
        // The number alone is no change: undo is no loss.
        QVERIFY(!dlg.Qry1().isModified());
        dlg.Qry1().setValue(QStringLiteral("AC05NAME"), QStringLiteral("新项"));
        dlg.tlbSave()->trigger();
        QCOMPARE(sqlValue(QStringLiteral("select AC05ORDER from N_AC05 where AC05NAME='新项'")), expected);
        // The store assigned the code.
        QVERIFY(!dlg.Qry1().isNull(QStringLiteral("AC05")));
        QCOMPARE(sqlValue(QStringLiteral("select AC05 from N_AC05 where AC05NAME='新项'")),
                 dlg.Qry1().value(QStringLiteral("AC05")).toInt());

        // The next one counts the entry just stored.
        dlg.tlbAdd()->trigger();
        QCOMPARE(dlg.Qry1().value(QStringLiteral("AC05ORDER")).toInt(), expected + 1);
        dlg.tlbUndo()->trigger();
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC05")), orders.size() + 1);
        QVERIFY(boxes.shown.isEmpty());
    }

    // Picking another field shows its list in order; rows keep the place they
    // had at loading until the list is loaded again.
    void switchingFields()
    {
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(fillList(QStringLiteral("AC01"), {{"秘密", 2}, {"公开", 1}}));
        QVERIFY(fillList(QStringLiteral("AC03"), {{"永久", 1}, {"短期", 3}, {"长期", 2}}));
        Tfrm_sys_code dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AC01"), false);
        dlg.show();
        QCOMPARE(names(dlg.Qry1(), "AC01"), (QStringList{"公开", "秘密"}));

        dlg.dbcb1()->setCurrentCode(QStringLiteral("AC03"));
        QCOMPARE(dlg.currentField(), QStringLiteral("AC03"));
        QCOMPARE(names(dlg.Qry1(), "AC03"), (QStringList{"永久", "长期", "短期"}));
        QCOMPARE(dlg.dbgrid1()->columnTitle(0), QStringLiteral("Retention下拉项内容"));
        QCOMPARE(dlg.dbgrid1()->columnField(1), QStringLiteral("AC03ORDER"));

        // The first row moved to the end by its number stays first for now.
        dlg.tlbEdit()->trigger();
        dlg.Qry1().setValue(QStringLiteral("AC03ORDER"), 9);
        dlg.tlbSave()->trigger();
        QCOMPARE(names(dlg.Qry1(), "AC03"), (QStringList{"永久", "长期", "短期"}));

        dlg.dbcb1()->setCurrentCode(QStringLiteral("AC01"));
        dlg.dbcb1()->setCurrentCode(QStringLiteral("AC03"));
        QCOMPARE(names(dlg.Qry1(), "AC03"), (QStringList{"长期", "短期", "永久"}));

        // The add button numbers within the picked list.
        dlg.tlbAdd()->trigger();
        QCOMPARE(dlg.Qry1().value(QStringLiteral("AC03ORDER")).toInt(), 10);
        dlg.tlbUndo()->trigger();
        QVERIFY(boxes.shown.isEmpty());
    }

    // A row being typed is stored before the pick changes; when that fails
    // the row and the previous pick stay.
    void pendingRowOnSwitch()
    {
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(fillList(QStringLiteral("AC01"), {{"公开", 1}}));
        Tfrm_sys_code dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AC01"), false);
        dlg.show();
        dlg.tlbAdd()->trigger();
        dlg.Qry1().setValue(QStringLiteral("AC01NAME"), QStringLiteral("内部"));
        dlg.dbcb1()->setCurrentCode(QStringLiteral("AC03"));
        QCOMPARE(sqlValue(QStringLiteral("select AC01ORDER from N_AC01 where AC01NAME='内部'")), 2);
        QCOMPARE(dlg.currentField(), QStringLiteral("AC03"));
        QVERIFY(boxes.shown.isEmpty());

        // An untouched new row is dropped.
        const int rows = sqlValue(QStringLiteral("select count(*) from N_AC03"));
        dlg.tlbAdd()->trigger();
        dlg.dbcb1()->setCurrentCode(QStringLiteral("AC05"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC03")), rows);
        QCOMPARE(dlg.currentField(), QStringLiteral("AC05"));

        dlg.tlbAdd()->trigger();
        dlg.Qry1().setValue(QStringLiteral("AC05NAME"), QStringLiteral("胶片"));
        PELU_SQL(QStringLiteral("drop table N_AC05"));
        dlg.dbcb1()->setCurrentCode(QStringLiteral("AC01"));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QCOMPARE(dlg.currentField(), QStringLiteral("AC05"));
        QCOMPARE(dlg.dbcb1()->currentCode(), QStringLiteral("AC05"));
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Insert);
        QCOMPARE(dlg.Qry1().text(QStringLiteral("AC05NAME")), QStringLiteral("胶片"));
    }

    // Saving into a list the store refuses: the error is shown, the typed row
    // stays for correction, nothing is written.
    void failingSaveKeepsRow()
    {
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(fillList(QStringLiteral("AC01"), {{"公开", 1}}));
        Tfrm_sys_code dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AC01"), true);
        dlg.show();
        dlg.tlbEdit()->trigger();
        dlg.Qry1().setValue(QStringLiteral("AC01NAME"), QStringLiteral("改名"));
        // A table gone from under the window is refused by both stores.
        PELU_SQL(QStringLiteral("alter table N_AC01 rename to N_AC01_OLD"));
        dlg.tlbSave()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Edit);
        QCOMPARE(dlg.Qry1().text(QStringLiteral("AC01NAME")), QStringLiteral("改名"));
        QVERIFY(dlg.tlbSave()->isEnabled());
        PELU_SQL(QStringLiteral("alter table N_AC01_OLD rename to N_AC01"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC01 where AC01NAME='改名'")), 0);

        // Corrected (the store is back): the same row saves.
        boxes.clear();
        dlg.tlbSave()->trigger();
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC01 where AC01NAME='改名'")), 1);
    }

    // A list that cannot be read shows the statement's error and stays empty.
    void failingListQuery()
    {
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("drop table N_AC03"));
        Tfrm_sys_code dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AC01"), false);
        dlg.show();
        QVERIFY(dlg.Qry1().isOpen());
        dlg.dbcb1()->setCurrentCode(QStringLiteral("AC03"));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QVERIFY(boxes.shown.at(0).text.contains(QStringLiteral("select * from N_AC03 order by AC03ORDER")));
        QVERIFY(!dlg.Qry1().isOpen());
        QCOMPARE(dlg.currentField(), QString());
        dlg.tlbAdd()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
    }

    // The number of a new entry cannot be read: the error is shown and the
    // row is offered without a number rather than with a guessed one.
    void failingNumbering()
    {
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_code dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AC05"), false);
        dlg.show();
        QVERIFY(dlg.Qry1().isOpen());
        PELU_SQL(QStringLiteral("alter table N_AC05 rename to N_AC05_OLD"));
        dlg.tlbAdd()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QVERIFY(boxes.shown.at(0).text.contains(QStringLiteral("select max(AC05ORDER)+1 from N_AC05")));
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Insert);
        QVERIFY(dlg.Qry1().isNull(QStringLiteral("AC05ORDER")));
    }

    // Deleting asks first and ignores records that use the code: they keep a
    // code without a name.
    void deleteEntry()
    {
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(fillList(QStringLiteral("AC01"), {{"公开", 1}, {"秘密", 2}}));
        const int code = sqlValue(QStringLiteral("select AC01 from N_AC01 where AC01NAME='公开'"));
        PELU_SQL(QStringLiteral("insert into N_A(AS01, AC01) values('用到公开的案卷', %1)").arg(code));
        Tfrm_sys_code dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AC01"), false);
        dlg.show();
        QCOMPARE(dlg.Qry1().text(QStringLiteral("AC01NAME")), QStringLiteral("公开"));

        boxes.answers << MsgResultCancel;
        dlg.tlbDel()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).text, QStringLiteral("删除后将不能再恢复，确认要删除吗？"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC01")), 2);

        dlg.tlbDel()->trigger();
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC01")), 1);
        QCOMPARE(names(dlg.Qry1(), "AC01"), QStringList{"秘密"});
        QCOMPARE(sqlValue(QStringLiteral("select AC01 from N_A where AS01='用到公开的案卷'")), code);
    }

    void colours()
    {
        const QColor window(200, 180, 160);
        const QColor grid(240, 230, 220);
        Tfrm_sys_code dlg(window, grid, QStringLiteral("N_A"), QString(), false);
        dlg.show();
        QCOMPARE(dlg.palette().color(QPalette::Window), window);
        QCOMPARE(dlg.tbmain()->palette().color(QPalette::Window), window);
        QVERIFY(dlg.tbmain()->autoFillBackground());
        QCOMPARE(dlg.pnlTop()->palette().color(QPalette::Window), window);
        QVERIFY(dlg.pnlTop()->autoFillBackground());
        QCOMPARE(dlg.dbgrid1()->fixedColor(), window);
        QCOMPARE(dlg.dbgrid1()->color(), grid);
        QCOMPARE(dlg.dbgrid1()->oddRowColor(), grid);
        QCOMPARE(dlg.dbgrid1()->evenRowColor(), grid);
        QCOMPARE(dlg.dbcb1()->palette().color(QPalette::Base), grid);
    }

    // What the record windows call: the window is modal, on the given field,
    // and gone when Execute returns.
    void executeOpensModallyOnField()
    {
        ScopedScriptedMessageBoxes boxes;
        QPointer<Tfrm_sys_code> seen;
        bool modal = false;
        QString field;
        bool codeShown = false;
        QTimer::singleShot(0, this, [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *dlg = qobject_cast<Tfrm_sys_code *>(w); dlg && dlg->isVisible())
                    seen = dlg;
            if (!seen)
                return;
            modal = QApplication::activeModalWidget() == seen;
            field = seen->currentField();
            codeShown = seen->dbgrid1()->isColumnVisible(2);
            seen->tbExit()->trigger();
        });
        Tfrm_sys_code::Execute(QColor(Qt::white), QColor(Qt::yellow), QStringLiteral("N_A"), QStringLiteral("AC03"),
                               true, nullptr);
        QVERIFY(modal);
        QCOMPARE(field, QStringLiteral("AC03"));
        QVERIFY(codeShown);
        QVERIFY(seen.isNull());
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestSysCode)
#include "tst_sys_code.moc"

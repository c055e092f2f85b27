#include "TestStore.h"

#include "app/DbDateEdit.h"
#include "app/DbEdit.h"
#include "app/DbMapListCombo.h"
#include "app/DbMemo.h"
#include "app/MessageBoxes.h"
#include "data/Dataset.h"
#include "data/SharedState.h"
#include "data/base_dm.h"
#include "edit/N_A_add.h"
#include "edit/N_A_edit.h"
#include "edit/N_B_add.h"
#include "edit/N_B_edit.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

struct Shown {
    QString code;
    QString label;
    int notNull = 0;
    int easy = 0;
    int newType = 3;
};

// Makes exactly these fields displayed, in this order.
bool display(const QString &table, const QList<Shown> &fields)
{
    if (!sqlExec(QStringLiteral("update S_FIELD set IDISPLAY=0, INOTNULL=0 where STABLE='%1'").arg(table)))
        return false;
    for (int i = 0; i < fields.size(); ++i) {
        const Shown &f = fields.at(i);
        if (!sqlExec(QStringLiteral("update S_FIELD set IDISPLAY=1, INO=%1, SFIELDNAME1='%2', INOTNULL=%3, IEASY=%4, "
                                    "INEWTYPE='%5' where STABLE='%6' and SFIELD='%7'")
                         .arg(i + 1)
                         .arg(f.label)
                         .arg(f.notNull)
                         .arg(f.easy)
                         .arg(f.newType)
                         .arg(table, f.code)))
            return false;
    }
    Dataset q;
    return Tfrm_base_dm::readCaptions(q, table);
}

// This user's stored starting values, as the login seeds them.
bool storeValues(const QString &user, const QString &table, const QHash<QString, QString> &values)
{
    if (!sqlExec(QStringLiteral("delete from S_NEWVALUE where SUSERID='%1' and STABLE='%2'").arg(user, table)))
        return false;
    if (!sqlExec(QStringLiteral("insert into S_NEWVALUE (SUSERID,STABLE,SFIELD) select '%1','%2',SFIELD from S_FIELD "
                                "where STABLE='%2'")
                     .arg(user, table)))
        return false;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        if (!sqlExec(QStringLiteral("update S_NEWVALUE set SNEWVALUE='%1' where SUSERID='%2' and STABLE='%3' and "
                                    "SFIELD='%4'")
                         .arg(it.value(), user, table, it.key())))
            return false;
    }
    return true;
}

QString storedValue(const QString &user, const QString &field)
{
    Dataset q;
    q.open(QStringLiteral("select SNEWVALUE from S_NEWVALUE where SUSERID='%1' and SFIELD='%2'").arg(user, field));
    return q.isEmpty() ? QStringLiteral("<no row>") : q.text(QStringLiteral("SNEWVALUE"));
}

QString sqlText(const QString &sql)
{
    Dataset q;
    q.open(sql);
    return q.isEmpty() ? QStringLiteral("<no row>") : q.text(q.fieldName(0));
}

// "name\tcode" items of a code list, as the main window's combos hold them.
QStringList codeItems(const QString &field)
{
    Dataset q;
    q.open(QStringLiteral("select %1, %1NAME from N_%1 order by %1ORDER").arg(field));
    QStringList items;
    for (int pos = 0; pos < q.recordCount(); ++pos)
        items << q.textAt(pos, 1) + QLatin1Char('\t') + q.textAt(pos, 0);
    return items;
}

QList<QStringList> volumePickLists()
{
    QList<QStringList> lists;
    for (int i = 1; i <= 10; ++i)
        lists << codeItems(QStringLiteral("AC%1").arg(i, 2, 10, QLatin1Char('0')));
    return lists;
}

// Adds a code with its short code; gives the code.
QString addCode(const QString &field, const QString &name, const QString &shortCode)
{
    if (!sqlExec(QStringLiteral("insert into N_%1(%1NAME,%1ORDER,%1CODE) values('%2',999,'%3')").arg(field, name, shortCode)))
        return QString();
    return QString::number(sqlValue(QStringLiteral("select %1 from N_%1 where %1NAME='%2'").arg(field, name)));
}

bool raiseOn(const QString &table, const QString &event, TestStore::Kind kind)
{
    if (kind == TestStore::SQLite)
        return sqlExec(QStringLiteral("create trigger t_fail before %1 on %2 begin select raise(abort, 'refused by test'); end")
                           .arg(event, table));
    return sqlExec(QStringLiteral("create or replace function f_fail() returns trigger as $$ begin raise exception "
                                  "'refused by test'; end $$ language plpgsql"))
        && sqlExec(QStringLiteral("create trigger t_fail before %1 on %2 for each row execute function f_fail()")
                       .arg(event, table));
}

bool dropRaise(const QString &table, TestStore::Kind kind)
{
    return sqlExec(kind == TestStore::SQLite ? QStringLiteral("drop trigger t_fail")
                                             : QStringLiteral("drop trigger t_fail on %1").arg(table));
}

// Typed the way Chinese text arrives: from the input method.
void type(QWidget *editor, const QString &text)
{
    QInputMethodEvent event;
    event.setCommitString(text);
    QCoreApplication::sendEvent(editor, &event);
}

void leave(QWidget *from, QWidget *to)
{
    from->setFocus();
    QCoreApplication::processEvents();
    to->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
}

QRect geometryOf(RecordWindow &w, const QString &name)
{
    QWidget *c = w.findChild<QWidget *>(name);
    return c && c->isVisible() ? c->geometry() : QRect();
}

const QList<Shown> kExample = {{"AS01", "题名", 1, 1, 1},  {"AS02", "责任者", 0, 0, 2}, {"AS50", "备注", 0, 1, 1},
                               {"AI01", "年度", 0, 0, 2},  {"AI02", "案卷号", 0, 0, 1},  {"AC01", "密级", 0, 0, 1},
                               {"AD01", "日期", 0, 0, 1}};

} // namespace

class TestRecordWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    TestStore::Kind kind() const { return m_store->kind(); }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        shared().user.id = QStringLiteral("0101");
        shared().user.rights.clear();
        shared().user.rights.insert(QStringLiteral("IRSET"), 1);
        QVERIFY(display(QStringLiteral("N_A"), kExample));
        QVERIFY(storeValues(QStringLiteral("0101"), QStringLiteral("N_A"), {}));
    }
    void cleanup() { m_store.reset(); }

    void layoutFollowsTheDictionary()
    {
        Tfrm_N_A_add w;
        w.setPickLists(volumePickLists());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("增加"));
        QCOMPARE(w.size(), QSize(1018, 5 * 30 + 110));
        QCOMPARE(geometryOf(w, "lblAS01"), QRect(12, 13, 80, 24));
        QCOMPARE(w.label("AS01")->text(), QStringLiteral("题名"));
        QCOMPARE(geometryOf(w, "lblAS01X").topLeft(), QPoint(12 + 484, 13));
        QCOMPARE(geometryOf(w, "dbedAS01"), QRect(92, 10, 372, 28));
        QCOMPARE(geometryOf(w, "btnAS01"), QRect(464, 10, 26, 28));
        QCOMPARE(geometryOf(w, "dbedAS02"), QRect(595, 10, 372, 28));
        QVERIFY(geometryOf(w, "btnAS02").isNull()); // no quick input
        QVERIFY(geometryOf(w, "lblAS02X").isNull());
        QCOMPARE(geometryOf(w, "dbedAS50"), QRect(92, 40, 372, 88));
        QCOMPARE(geometryOf(w, "dbedAI01"), QRect(595, 40, 372, 28));
        QCOMPARE(geometryOf(w, "dbedAI02"), QRect(595, 70, 372, 28));
        QCOMPARE(geometryOf(w, "dbcbAC01"), QRect(595, 100, 372, 28));
        QCOMPARE(geometryOf(w, "btnAC01"), QRect(967, 100, 26, 28));
        QCOMPARE(geometryOf(w, "dbdtsAD01"), QRect(92, 130, 372, 28));
        QVERIFY(geometryOf(w, "dbedAS03").isNull());
        QVERIFY(geometryOf(w, "lblAS03").isNull());
        for (const char *b : {"btnSave", "btnClose", "btnSet"})
            QCOMPARE(geometryOf(w, b).top(), 5 * 30 + 30);
        QCOMPARE(geometryOf(w, "btnSave"), QRect(520, 180, 140, 30));
        QCOMPARE(w.findChild<QWidget *>("dbedAS01")->property("tag").toInt(), 8);

        // Enter walks the fields in dictionary order, also out of the long text.
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(QApplication::focusWidget(), w.editor("AS01"));
        QStringList walked;
        for (int i = 0; i < 7; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            walked << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(walked,
                 (QStringList{"dbedAS02", "dbedAS50", "dbedAI01", "dbedAI02", "dbcbAC01", "dbdtsAD01", "btnSave"}));
        QVERIFY(!w.memo()->toPlainText().contains(QLatin1Char('\n')));
    }

    void windowSizeEdgeCases_data()
    {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<int>("height");
        QTest::newRow("nothing displayed") << QStringList{} << 110;
        QTest::newRow("long text last") << QStringList{"AS01", "AS02", "AS50"} << 4 * 30 + 110;
        QTest::newRow("odd count") << QStringList{"AS01", "AS02", "AI01"} << 2 * 30 + 110;
    }

    void windowSizeEdgeCases()
    {
        QFETCH(QStringList, codes);
        QFETCH(int, height);
        QList<Shown> shown;
        for (const QString &c : codes)
            shown << Shown{c, c};
        QVERIFY(display(QStringLiteral("N_A"), shown));
        Tfrm_N_A_add w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.size(), QSize(1018, height));
        QCOMPARE(geometryOf(w, "btnClose"), QRect(680, height - 80, 140, 30));
        int shownEditors = 0;
        for (const QString &code : codes)
            shownEditors += w.editor(code)->isVisible();
        QCOMPARE(shownEditors, codes.size());
        if (codes.size() == 3 && codes.last() == QLatin1String("AI01"))
            QCOMPARE(geometryOf(w, "dbedAI01").topLeft(), QPoint(92, 40));
    }

    void startingValuesPerUser()
    {
        const QString code = QString::number(sqlValue("select min(AC01) from N_AC01"));
        QVERIFY(display(QStringLiteral("N_A"), {{"AS01", "a", 0, 0, 1}, {"AS02", "b", 0, 0, 2}, {"AS03", "c", 0, 0, 2},
                                                {"AI01", "d", 0, 0, 2}, {"AF01", "e", 0, 0, 3}, {"AD01", "f", 0, 0, 1},
                                                {"AC01", "g", 0, 0, 1}, {"AS04", "hidden", 0, 0, 1}}));
        QVERIFY(sqlExec("update S_FIELD set IDISPLAY=0 where SFIELD='AS04'"));
        QVERIFY(storeValues("0101", "N_A",
                            {{"AS01", "工程"}, {"AS02", "0099"}, {"AS03", "A-12"}, {"AI01", "41"}, {"AF01", "2.5"},
                             {"AD01", "45292"}, {"AC01", code}, {"AS04", "hidden too"}}));
        QVERIFY(storeValues("0202", "N_A", {{"AS01", "另一位"}}));

        Tfrm_N_A_add w;
        w.setPickLists(volumePickLists());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        Dataset *d = w.dataset();
        QCOMPARE(d->state(), Dataset::State::Insert);
        QCOMPARE(d->text("AS01"), QStringLiteral("工程"));
        QCOMPARE(w.dbed("AS01")->text(), QStringLiteral("工程"));
        QCOMPARE(d->text("AS02"), QStringLiteral("100"));
        QVERIFY(d->isNull("AS03"));
        QCOMPARE(d->value("AI01").toInt(), 42);
        QVERIFY(d->isNull("AF01"));
        QCOMPARE(d->value("AD01").toDate(), QDate(2024, 1, 1));
        QCOMPARE(w.dbdts("AD01")->date(), QDate(2024, 1, 1));
        QCOMPARE(w.dbcb("AC01")->currentCode(), code);
        QCOMPARE(d->text("AS04"), QStringLiteral("hidden too")); // hidden editors load theirs too

        shared().user.id = QStringLiteral("0202");
        Tfrm_N_A_add other;
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        QCOMPARE(other.dataset()->text("AS01"), QStringLiteral("另一位"));
        QVERIFY(other.dataset()->isNull("AS02"));
        shared().user.id = QStringLiteral("0303"); // no rows at all
        Tfrm_N_A_add none;
        none.show();
        QVERIFY(QTest::qWaitForWindowExposed(&none));
        QVERIFY(none.dataset()->isNull("AS01"));
    }

    void saveChecksStoresAndStartsAgain()
    {
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_add w;
        w.setPickLists(volumePickLists());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const int before = sqlValue("select count(*) from N_A");

        // The required title is empty: reported once, nothing stored.
        QVERIFY(!w.Save());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Warning);
        QCOMPARE(boxes.shown.first().text, QStringLiteral("题名不能为空!"));
        QCOMPARE(QApplication::focusWidget(), w.editor("AS01"));
        QCOMPARE(sqlValue("select count(*) from N_A"), before);

        type(w.dbed("AS01"), QStringLiteral("桥梁设计"));
        QTest::keyClicks(w.dbed("AS02"), QStringLiteral("0007"));
        QTest::keyClicks(w.dbed("AI01"), QStringLiteral("2023"));
        QVERIFY(w.Save());
        QCOMPARE(w.pnlinfo()->text(), QStringLiteral("保存成功,继续录入..."));
        QVERIFY(w.tmr1()->isActive());
        QCOMPARE(w.tmr1()->interval(), 1000);
        QVERIFY(w.result());
        QCOMPARE(sqlValue("select count(*) from N_A"), before + 1);
        QCOMPARE(sqlText("select AS01 from N_A where AI01=2023"), QStringLiteral("桥梁设计"));
        // Every editor's value became this user's starting value; an empty
        // date picker stores an empty value, never a serial 0.
        QCOMPARE(storedValue("0101", "AS01"), QStringLiteral("桥梁设计"));
        QCOMPARE(storedValue("0101", "AS02"), QStringLiteral("0007"));
        QCOMPARE(storedValue("0101", "AD01"), QString());
        QCOMPARE(storedValue("0101", "AC01"), QString());

        // The next record starts from them by the counting rules.
        QCOMPARE(w.dataset()->state(), Dataset::State::Insert);
        QCOMPARE(w.dataset()->text("AS01"), QStringLiteral("桥梁设计"));
        QCOMPARE(w.dataset()->text("AS02"), QStringLiteral("8"));
        QCOMPARE(w.dataset()->value("AI01").toInt(), 2024);
        QVERIFY(w.dataset()->isNull("AD01"));
        QCOMPARE(QApplication::focusWidget(), w.editor("AS01"));

        // Ctrl+Q closes and discards the started record without a question.
        boxes.clear();
        QTest::keyClick(w.dbed("AS02"), Qt::Key_Q, Qt::ControlModifier);
        QVERIFY(!w.isVisible());
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(w.dataset()->state(), Dataset::State::Browse);
        QCOMPARE(sqlValue("select count(*) from N_A"), before + 1);
    }

    void requiredFieldNotDisplayedIsNoHindrance()
    {
        QVERIFY(sqlExec("update S_FIELD set INOTNULL=1 where SFIELD='AS09'"));
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_add w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.dataset()->setValue("AS01", QStringLiteral("x"));
        QVERIFY(w.Save());
        QVERIFY(boxes.shown.isEmpty());
    }

    void failedSaveKeepsInputAndStoresNothing_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("record refused") << "N_A";
        QTest::newRow("starting value refused") << "S_NEWVALUE";
    }

    void failedSaveKeepsInputAndStoresNothing()
    {
        QFETCH(QString, table);
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(raiseOn(table, table == QLatin1String("N_A") ? "insert" : "update", kind()));
        Tfrm_N_A_add w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.dataset()->setValue("AS01", QStringLiteral("保留"));
        w.dataset()->setValue("AI01", 7);
        const int before = sqlValue("select count(*) from N_A");
        QVERIFY(!w.Save());
        QVERIFY(!boxes.shown.isEmpty());
        QVERIFY(boxes.shown.last().text.contains(QStringLiteral("refused by test")));
        QCOMPARE(sqlValue("select count(*) from N_A"), before);
        QCOMPARE(storedValue("0101", "AS01"), QString());
        QVERIFY(!w.result());
        // Still the unsaved record with what the user entered.
        QCOMPARE(w.dataset()->state(), Dataset::State::Insert);
        QCOMPARE(w.dataset()->text("AS01"), QStringLiteral("保留"));
        QCOMPARE(w.dbed("AS01")->text(), QStringLiteral("保留"));
        QCOMPARE(w.pnlinfo()->text(), QStringLiteral("正在保存数据记录..."));

        // Once the store takes it, the same input is saved once.
        QVERIFY(dropRaise(table, kind()));
        QVERIFY(w.Save());
        QCOMPARE(sqlValue("select count(*) from N_A where AS01='保留' and AI01=7"), 1);
    }

    void phraseExpansionOnLeaving()
    {
        PELU_SQL("delete from S_EASY");
        PELU_SQL("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('N_A','AS01','ql','桥梁工程图纸')");
        PELU_SQL("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('N_B','AS01','bz','wrong table')");
        Tfrm_N_A_add w;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTest::keyClicks(w.dbed("AS01"), QStringLiteral(" ql "));
        leave(w.dbed("AS01"), w.dbed("AS02"));
        QCOMPARE(w.dataset()->text("AS01"), QStringLiteral("桥梁工程图纸"));
        QCOMPARE(w.dbed("AS01")->text(), QStringLiteral("桥梁工程图纸"));

        // A key that is not listed (here: of another table) stays as typed.
        w.dbed("AS01")->clear();
        QTest::keyClicks(w.dbed("AS01"), QStringLiteral("bz"));
        leave(w.dbed("AS01"), w.dbed("AS02"));
        QCOMPARE(w.dataset()->text("AS01"), QStringLiteral("bz"));

        // Ctrl+S expands the edit being typed in before the record is saved.
        w.dbed("AS01")->clear();
        w.dbed("AS01")->setFocus();
        QTest::keyClicks(w.dbed("AS01"), QStringLiteral("ql"));
        QTest::keyClick(w.dbed("AS01"), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(sqlValue("select count(*) from N_A where AS01='桥梁工程图纸'"), 1);
    }

    void composedReference_data()
    {
        QTest::addColumn<QString>("as07");
        QTest::addColumn<bool>("codes");
        QTest::addColumn<QString>("expected");
        QTest::newRow("fonds and both codes") << "J001" << true << "J001-WS·2023-Y-BGS-0007";
        QTest::newRow("neither") << "" << false << "WS·2023-0007";
    }

    void composedReference()
    {
        QFETCH(QString, as07);
        QFETCH(bool, codes);
        QFETCH(QString, expected);
        const QString ac03 = addCode("AC03", "永久测试", "Y");
        const QString ac02 = addCode("AC02", "办公室测试", "BGS");
        QVERIFY(!ac03.isEmpty() && !ac02.isEmpty());
        QVERIFY(display(QStringLiteral("N_A"), {{"AS07", "全宗号"}, {"AI01", "年度"}, {"AC03", "保管期限"},
                                                {"AC02", "机构"}, {"AI02", "案卷号"}, {"AS14", "档号"}}));
        Tfrm_N_A_add w;
        w.setPickLists(volumePickLists());
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.dataset()->setValue("AS14", QStringLiteral("old value"));
        w.dataset()->setValue("AS07", as07);
        w.dataset()->setValue("AI01", 2023);
        if (codes) {
            w.dataset()->setValue("AC03", ac03);
            w.dataset()->setValue("AC02", ac02);
        }
        QTest::keyClicks(w.dbed("AI02"), QStringLiteral("7"));
        leave(w.dbed("AI02"), w.editor("AS14"));
        QCOMPARE(w.dataset()->text("AS14"), expected);
        QCOMPARE(w.dbed("AS14")->text(), expected);
    }

    void documentAddBelongsToItsVolume()
    {
        PELU_SQL("insert into N_A(AS01) values('卷')");
        const QString volume = QString::number(sqlValue("select max(AIID) from N_A"));
        QVERIFY(display(QStringLiteral("N_B"), {{"BS01", "文件题名", 1}, {"BC01", "密级"}}));
        QVERIFY(storeValues("0101", "N_B", {}));
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_B_add w;
        w.setParentKey(volume);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!(w.windowFlags() & Qt::WindowCloseButtonHint));
        // Its code lists come from their table, in their order.
        QCOMPARE(w.dbcb("BC01")->listItems(), codeItems("BC01"));
        QVERIFY(w.dbcb("BC01")->count() > 0);
        QVERIFY(!w.Save());
        QCOMPARE(boxes.shown.last().text, QStringLiteral("文件题名不能为空!"));
        w.dataset()->setValue("BS01", QStringLiteral("第一份"));
        QVERIFY(w.Save());
        w.dataset()->setValue("BS01", QStringLiteral("第二份"));
        QVERIFY(w.Save());
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_B where AIID=%1").arg(volume)), 2);
        QVERIFY(!w.result()); // saving is not what a document window reports
    }

    void editWindowStepsSavesAndCancels()
    {
        for (int i = 1; i <= 3; ++i)
            PELU_SQL(QStringLiteral("insert into N_A(AS01,AI01) values('第%1卷',%1)").arg(i));
        Dataset volumes;
        volumes.open(QStringLiteral("select * from N_A a where 1=1 order by AI01"));
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_edit w;
        w.bindTo(&volumes);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.windowTitle(), QStringLiteral("修改"));
        QCOMPARE(geometryOf(w, "btnPrior"), QRect(198, 180, 140, 30));
        QCOMPARE(geometryOf(w, "btnNext"), QRect(360, 180, 140, 30));
        QCOMPARE(w.dbed("AS01")->text(), QStringLiteral("第1卷"));

        // PgDn in an editor posts the row and moves on, without a transaction message.
        w.dbed("AS01")->setFocus();
        w.dbed("AS01")->selectAll();
        type(w.dbed("AS01"), QStringLiteral("改一"));
        QTest::keyClick(w.dbed("AS01"), Qt::Key_PageDown);
        QCOMPARE(sqlText("select AS01 from N_A where AI01=1"), QStringLiteral("改一"));
        QCOMPARE(volumes.recNo(), 2);
        QVERIFY(w.pnlinfo()->isHidden());

        // An empty required field stops the step on its row.
        volumes.edit();
        volumes.setValue("AS01", QString());
        w.Step(true);
        QCOMPARE(boxes.shown.last().text, QStringLiteral("题名不能为空!"));
        QCOMPARE(volumes.recNo(), 2);
        w.dataset()->setValue("AS01", QStringLiteral("改二"));
        QVERIFY(w.Save());
        QCOMPARE(w.pnlinfo()->text(), QStringLiteral("保存数据成功"));
        QCOMPARE(w.tmr1()->interval(), 600);
        QCOMPARE(sqlText("select AS01 from N_A where AI01=2"), QStringLiteral("改二"));
        QCOMPARE(volumes.state(), Dataset::State::Browse);

        // On the last row the step posts and stays.
        w.Step(true);
        QCOMPARE(volumes.recNo(), 3);
        volumes.edit();
        volumes.setValue("AS01", QStringLiteral("末卷"));
        w.Step(true);
        QCOMPARE(volumes.recNo(), 3);
        QCOMPARE(sqlText("select AS01 from N_A where AI01=3"), QStringLiteral("末卷"));

        // Closing with "关闭" drops what was typed since.
        w.dbed("AS01")->setFocus();
        w.dbed("AS01")->selectAll();
        type(w.dbed("AS01"), QStringLiteral("不要了"));
        w.CloseWindow();
        QCOMPARE(volumes.state(), Dataset::State::Browse);
        QCOMPARE(volumes.text("AS01"), QStringLiteral("末卷"));
        QCOMPARE(sqlText("select AS01 from N_A where AI01=3"), QStringLiteral("末卷"));
    }

    void editWindowExpandsPhrasesToo()
    {
        PELU_SQL("insert into N_A(AS01) values('原题名')");
        PELU_SQL("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('N_A','AS01','ql','桥梁工程图纸')");
        Dataset volumes;
        volumes.open(QStringLiteral("select * from N_A a where 1=1"));
        Tfrm_N_A_edit w;
        w.bindTo(&volumes);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.dbed("AS01")->setFocus();
        w.dbed("AS01")->selectAll();
        QTest::keyClicks(w.dbed("AS01"), QStringLiteral("ql"));
        leave(w.dbed("AS01"), w.dbed("AS02"));
        QCOMPARE(volumes.text("AS01"), QStringLiteral("桥梁工程图纸"));
    }

    void documentEditFailureKeepsTheRowEditing()
    {
        PELU_SQL("insert into N_A(AS01) values('卷')");
        PELU_SQL("insert into N_B(AIID,BS01) select max(AIID),'文件' from N_A");
        QVERIFY(display(QStringLiteral("N_B"), {{"BS01", "文件题名", 1}}));
        Dataset documents;
        documents.open(QStringLiteral("select * from   N_B a where 1=1"));
        QVERIFY(raiseOn("N_B", "update", kind()));
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_B_edit w;
        w.bindTo(&documents);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        documents.edit();
        documents.setValue("BS01", QStringLiteral("新题名"));
        QVERIFY(!w.Save());
        QCOMPARE(w.pnlinfo()->text(), QStringLiteral("保存数据失败"));
        QCOMPARE(documents.state(), Dataset::State::Edit);
        QCOMPARE(documents.text("BS01"), QStringLiteral("新题名"));
        QCOMPARE(sqlText("select BS01 from N_B"), QStringLiteral("文件"));
        QVERIFY(dropRaise("N_B", kind()));
        QVERIFY(w.Save());
        QCOMPARE(sqlText("select BS01 from N_B"), QStringLiteral("新题名"));
    }

    void settingsNeedTheRight()
    {
        shared().user.rights.insert(QStringLiteral("IRSET"), 0);
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_add w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString text = QStringLiteral("您现登录的帐号无<设置>权限,请找管理员在用户设置在增加<设置>权限");
        for (const char *name : {"btnAS01", "btnAC01", "btnSet"}) {
            boxes.clear();
            w.findChild<QPushButton *>(name)->click();
            QCOMPARE(boxes.shown.size(), 1);
            QCOMPARE(boxes.shown.first().text, text);
            QVERIFY(QApplication::activeModalWidget() == nullptr);
        }
        QVERIFY(!w.result());
    }

    void codeButtonReloadsItsList()
    {
        const QString gone = addCode("AC01", "将被删除", "X");
        Tfrm_N_A_add w;
        w.setPickLists(volumePickLists());
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.dataset()->setValue("AC01", gone);
        QCOMPARE(w.dbcb("AC01")->currentCode(), gone);
        // The code list window: the entry is deleted there, then closed.
        QTimer::singleShot(0, this, [gone] {
            sqlExec(QStringLiteral("delete from N_AC01 where AC01=%1").arg(gone));
            sqlExec(QStringLiteral("insert into N_AC01(AC01NAME,AC01ORDER) values('新增密级',0)"));
            if (QWidget *dlg = QApplication::activeModalWidget())
                dlg->close();
        });
        w.SideButtonClicked(QStringLiteral("AC01"));
        QCOMPARE(w.dbcb("AC01")->listItems(), codeItems("AC01"));
        QVERIFY(w.dbcb("AC01")->listItems().first().startsWith(QStringLiteral("新增密级\t")));
        QCOMPARE(w.dbcb("AC01")->currentIndex(), -1);
    }
    void fieldSettingsLayTheWindowOutAgain_data()
    {
        QTest::addColumn<bool>("volumeAdd");
        QTest::newRow("document add reports it") << false;
        QTest::newRow("volume add reports saves only") << true;
    }

    void fieldSettingsLayTheWindowOutAgain()
    {
        QFETCH(bool, volumeAdd);
        const QString table = volumeAdd ? QStringLiteral("N_A") : QStringLiteral("N_B");
        const QString shown = volumeAdd ? QStringLiteral("AS09") : QStringLiteral("BS09");
        QVERIFY(display(table, {{volumeAdd ? "AS01" : "BS01", "题名"}}));
        ScopedScriptedMessageBoxes boxes;
        std::unique_ptr<RecordWindow> w;
        if (volumeAdd)
            w = std::make_unique<Tfrm_N_A_add>();
        else
            w = std::make_unique<Tfrm_N_B_add>();
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QVERIFY(!w->editor(shown)->isVisible());
        w->dataset()->setValue(volumeAdd ? "AS01" : "BS01", QStringLiteral("正在录入"));
        bool seen = false;
        // What the field settings window would store, then it is closed.
        QTimer::singleShot(0, this, [&seen, table, shown] {
            sqlExec(QStringLiteral("update S_FIELD set IDISPLAY=1, INO=0, SFIELDNAME1='新字段' where STABLE='%1' and "
                                   "SFIELD='%2'")
                        .arg(table, shown));
            if (QWidget *dlg = QApplication::activeModalWidget()) {
                seen = true;
                dlg->close();
            }
        });
        w->btnSet()->click();
        QVERIFY(seen);
        QVERIFY(w->editor(shown)->isVisible());
        QCOMPARE(w->label(shown)->text(), QStringLiteral("新字段"));
        QCOMPARE(w->height(), 110 + 30);
        QCOMPARE(w->result(), !volumeAdd);
        // The record being entered keeps its values.
        QCOMPARE(w->dataset()->text(volumeAdd ? "AS01" : "BS01"), QStringLiteral("正在录入"));
    }
};

QTEST_MAIN(TestRecordWindows)
#include "tst_recordwindows.moc"

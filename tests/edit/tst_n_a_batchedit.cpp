#include "TestStore.h"

#include "app/Conversions.h"
#include "app/DbDateEdit.h"
#include "app/DbMapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "browse/N_A_main.h"
#include "data/Dataset.h"
#include "data/SharedState.h"
#include "edit/BatchEditStatement.h"
#include "edit/N_A_batchedit.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

const QString kZ001 = QStringLiteral(" and AS07 like '%Z001%'");
const QString kZ002 = QStringLiteral(" and AS07 like '%Z002%'");
const QString kNull = QStringLiteral("<null>");

// Three volumes: two of fonds Z001, one of Z002, every field of the cases filled.
void addVolumes()
{
    const QString day = DateToSqlNumber(shared().edition, QDate(2020, 1, 1));
    const int open = sqlValue(QStringLiteral("select AC01 from N_AC01 where AC01NAME='公开'"));
    QVERIFY(open > 0);
    const char *rows[] = {"('Z001', '旧一', '办公室', 10, 1.5, %1, %2)", "('Z001', '旧二', '办公室', 10, 1.5, %1, %2)",
                          "('Z002', '旧三', '办公室', 10, 1.5, %1, %2)"};
    for (const char *row : rows)
        PELU_SQL(QStringLiteral("insert into N_A (AS07, AS01, AS02, AI03, AF01, AC01, AD01) values ")
                 + QString::fromUtf8(row).arg(open).arg(day));
}

// One field of every volume in key order, as the program reads it back:
// dates as days, codes as their names, "<null>" for null.
QStringList column(const QString &field)
{
    const bool code = field.at(1) == QLatin1Char('C');
    const QString sql = code ? QStringLiteral("select b.%1NAME from N_A a left join N_%1 b on a.%1=b.%1 order by a.AIID").arg(field)
                             : QStringLiteral("select %1 from N_A order by AIID").arg(field);
    Dataset q;
    if (!OpenSql(q, sql))
        return {QStringLiteral("<failed>")};
    QStringList out;
    for (int pos = 0; pos < q.recordCount(); ++pos)
        out << (q.isNullAt(pos, 0) ? kNull : q.textAt(pos, 0));
    return out;
}

// Puts value into the editor the chosen field shows: a code field's item by
// its name, a date as yyyy-MM-dd text, anything else as typed.
void enterValue(Tfrm_N_A_batchedit &w, const QString &value)
{
    switch (w.fieldCode().at(1).unicode()) {
    case 'C':
        w.dbcb3()->setCurrentIndex(w.dbcb3()->findText(value));
        break;
    case 'D':
        w.dbdtp3()->lineEdit()->setText(value);
        break;
    default:
        w.dbed3()->setText(value);
    }
}

QStringList texts(const ScriptedMessageBoxes &boxes)
{
    QStringList out;
    for (const auto &b : boxes.shown)
        out << b.text;
    return out;
}

} // namespace

class TestNABatchEdit : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        // A float field among the displayed ones, so every type can be picked.
        PELU_SQL(QStringLiteral("update S_FIELD set IDISPLAY=1, SFIELDNAME1='单价' where STABLE='N_A' and SFIELD='AF01'"));
    }
    void cleanup() { m_store.reset(); }

    // The statement for every type of field and value, and the values that
    // must never reach one.
    void statements_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("date");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QString>("edition");
        QTest::addColumn<QString>("statement");
        QTest::addColumn<QString>("message");

        const QString w = kZ001;
        QTest::newRow("code") << "AC01" << "5" << QDate() << w << "0"
                              << "update N_A set AC01=5 where 1=1  and AS07 like '%Z001%'" << "";
        QTest::newRow("code blank item") << "AC01" << "(空白)" << QDate() << w << "0"
                                         << "update N_A set AC01=null  where 1=1  and AS07 like '%Z001%'" << "";
        QTest::newRow("code none chosen") << "AC01" << "" << QDate() << w << "0" << "" << "请选择要修改的内容！";
        QTest::newRow("code not a number") << "AC02" << "JSB" << QDate() << w << "0" << ""
                                           << "“机构”中的内容不是有效的代码！";
        QTest::newRow("text") << "AS01" << "新题名" << QDate() << w << "0"
                              << "update N_A set AS01='新题名' where 1=1  and AS07 like '%Z001%'" << "";
        QTest::newRow("text with quotes") << "AS01" << "O'Neil's '" << QDate() << "" << "0"
                                          << "update N_A set AS01='O''Neil''s ''' where 1=1 " << "";
        QTest::newRow("text of blanks kept") << "AS02" << "  " << QDate() << "" << "0"
                                             << "update N_A set AS02='  ' where 1=1 " << "";
        QTest::newRow("text empty") << "AS02" << "" << QDate() << w << "0"
                                    << "update N_A set AS02=null  where 1=1  and AS07 like '%Z001%'" << "";
        QTest::newRow("integer") << "AI03" << "120" << QDate() << "" << "0" << "update N_A set AI03=120 where 1=1 " << "";
        QTest::newRow("integer signed, blanks around") << "AI03" << " -7 " << QDate() << "" << "0"
                                                       << "update N_A set AI03=-7 where 1=1 " << "";
        QTest::newRow("integer highest") << "AI03" << "2147483647" << QDate() << "" << "0"
                                         << "update N_A set AI03=2147483647 where 1=1 " << "";
        QTest::newRow("integer lowest") << "AI03" << "-2147483648" << QDate() << "" << "0"
                                        << "update N_A set AI03=-2147483648 where 1=1 " << "";
        QTest::newRow("integer empty") << "AI03" << "" << QDate() << "" << "0" << "update N_A set AI03=null  where 1=1 " << "";
        const QString notInteger = QStringLiteral("“页数”中的内容不是有效的整数！");
        QTest::newRow("integer too large") << "AI03" << "2147483648" << QDate() << "" << "0" << "" << notInteger;
        QTest::newRow("integer too small") << "AI03" << "-2147483649" << QDate() << "" << "0" << "" << notInteger;
        QTest::newRow("integer with fraction") << "AI03" << "1.5" << QDate() << "" << "0" << "" << notInteger;
        QTest::newRow("integer with statement") << "AI03" << "1 where 1=0; delete from N_A" << QDate() << "" << "0" << ""
                                                << notInteger;
        QTest::newRow("integer only blanks") << "AI03" << "   " << QDate() << "" << "0" << "" << notInteger;
        QTest::newRow("integer sign only") << "AI03" << "-" << QDate() << "" << "0" << "" << notInteger;
        QTest::newRow("integer full-width digits") << "AI03" << "１２" << QDate() << "" << "0" << "" << notInteger;
        QTest::newRow("float") << "AF01" << "2.75" << QDate() << "" << "0" << "update N_A set AF01=2.75 where 1=1 " << "";
        QTest::newRow("float without leading digit") << "AF01" << "-.5" << QDate() << "" << "0"
                                                     << "update N_A set AF01=-.5 where 1=1 " << "";
        QTest::newRow("float whole") << "AF01" << "3" << QDate() << "" << "0" << "update N_A set AF01=3 where 1=1 " << "";
        QTest::newRow("float empty") << "AF01" << "" << QDate() << "" << "0" << "update N_A set AF01=null  where 1=1 " << "";
        const QString notNumber = QStringLiteral("“单价”中的内容不是有效的数值！");
        QTest::newRow("float comma") << "AF01" << "2,75" << QDate() << "" << "0" << "" << notNumber;
        QTest::newRow("float exponent") << "AF01" << "1e3" << QDate() << "" << "0" << "" << notNumber;
        QTest::newRow("float two points") << "AF01" << "1.2.3" << QDate() << "" << "0" << "" << notNumber;
        QTest::newRow("float point only") << "AF01" << "." << QDate() << "" << "0" << "" << notNumber;
        QTest::newRow("float infinite") << "AF01" << "inf" << QDate() << "" << "0" << "" << notNumber;
        QTest::newRow("float beyond double") << "AF01" << QStringLiteral("1%1").arg(QString(400, QLatin1Char('0')))
                                             << QDate() << "" << "0" << "" << notNumber;
        QTest::newRow("date single-user") << "AD01" << "" << QDate(2024, 1, 1) << w << "0"
                                          << "update N_A set AD01=45292 where 1=1  and AS07 like '%Z001%'" << "";
        QTest::newRow("date network") << "AD01" << "" << QDate(2024, 1, 1) << w << "1"
                                      << "update N_A set AD01=45290 where 1=1  and AS07 like '%Z001%'" << "";
        QTest::newRow("date empty") << "AD01" << "" << QDate() << "" << "1" << "update N_A set AD01=null  where 1=1 " << "";
        QTest::newRow("document field") << "BS01" << "x" << QDate() << "" << "0" << "" << "“BS01”不是案卷记录的字段！";
        QTest::newRow("no field code") << "AS01=AS02,AS03" << "x" << QDate() << "" << "0" << ""
                                       << "“AS01=AS02,AS03”不是案卷记录的字段！";
    }

    void statements()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QDate, date);
        QFETCH(QString, condition);
        QFETCH(QString, edition);
        QFETCH(QString, statement);
        QFETCH(QString, message);
        // Labels as the window passes them: the picker's names; none for unknown codes.
        const QHash<QString, QString> captions{{"AC02", "机构"}, {"AI03", "页数"}, {"AF01", "单价"}};
        const BatchEditStatement::Result r
            = BatchEditStatement::build({field, captions.value(field), text, date}, condition, edition);
        QCOMPARE(r.message, message);
        QCOMPARE(r.statement, statement);
        QCOMPARE(r.ok(), message.isEmpty());
    }

    // Choosing a field shows its kind of editor, emptied; code fields list
    // their names in the list's order and the blank item last.
    void fieldChoice_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("shown");
        QTest::newRow("text") << "AS01" << "dbed3";
        QTest::newRow("integer") << "AI03" << "dbed3";
        QTest::newRow("float") << "AF01" << "dbed3";
        QTest::newRow("code") << "AC01" << "dbcb3";
        QTest::newRow("date") << "AD01" << "dbdtp3";
    }

    void fieldChoice()
    {
        QFETCH(QString, field);
        QFETCH(QString, shown);
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("update N_AC01 set AC01ORDER=0 where AC01NAME='绝密'"));
        Tfrm_N_A_batchedit w{QString()};
        QCOMPARE(w.windowTitle(), QStringLiteral("表格字段内容批量修改"));
        QCOMPARE(w.size(), QSize(601, 298));
        // Only the displayed fields can be picked.
        QVERIFY(w.dbcb1()->findText(QStringLiteral("单价")) >= 0);
        QCOMPARE(w.dbcb1()->count(),
                 sqlValue(QStringLiteral("select count(*) from S_FIELD where STABLE='N_A' and IDISPLAY=1")));
        QCOMPARE(w.dbcb1()->currentIndex(), -1);

        // Something left in every editor from an earlier choice.
        w.dbed3()->setText(QStringLiteral("旧"));
        w.dbdtp3()->setDate(QDate(2001, 2, 3));
        w.show();
        w.dbcb1()->setCurrentCode(field);
        QCOMPARE(w.fieldCode(), field);
        for (QWidget *editor : {static_cast<QWidget *>(w.dbcb3()), static_cast<QWidget *>(w.dbed3()),
                                static_cast<QWidget *>(w.dbdtp3())}) {
            QCOMPARE(editor->isVisible(), editor->objectName() == shown);
            QCOMPARE(editor->geometry(), QRect(153, 165, 403, 29));
        }
        if (shown == QLatin1String("dbed3"))
            QVERIFY(w.dbed3()->text().isEmpty());
        if (shown == QLatin1String("dbdtp3"))
            QCOMPARE(w.dbdtp3()->date(), QDate::currentDate());
        if (shown == QLatin1String("dbcb3")) {
            QStringList names;
            for (int i = 0; i < w.dbcb3()->count(); ++i)
                names << w.dbcb3()->itemText(i);
            QCOMPARE(names, QStringList({"绝密", "公开", "内部", "秘密", "机密", "(空白)"}));
            QCOMPARE(w.dbcb3()->currentIndex(), -1);
            QCOMPARE(w.dbcb3()->codeAt(0),
                     QString::number(sqlValue(QStringLiteral("select AC01 from N_AC01 where AC01NAME='绝密'"))));
            QCOMPARE(w.dbcb3()->codeAt(5), QStringLiteral("(空白)"));
        }
        QVERIFY(boxes.shown.isEmpty());
    }

    // An apply changes the chosen field of exactly the volumes of the
    // condition text, says so, and empties the window for the next change.
    void apply_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("condition");
        QTest::addColumn<QStringList>("after");

        const QString n = kNull;
        QTest::newRow("text, one fonds") << "AS01" << "新'题名" << kZ001 << QStringList{"新'题名", "新'题名", "旧三"};
        QTest::newRow("text, no condition: every volume") << "AS01" << "全部" << "" << QStringList{"全部", "全部", "全部"};
        QTest::newRow("text emptied is null, not empty text") << "AS02" << "" << kZ001 << QStringList{n, n, "办公室"};
        QTest::newRow("integer") << "AI03" << "-25" << kZ002 << QStringList{"10", "10", "-25"};
        QTest::newRow("integer emptied") << "AI03" << "" << "" << QStringList{n, n, n};
        QTest::newRow("float") << "AF01" << "2.75" << kZ001 << QStringList{"2.75", "2.75", "1.5"};
        QTest::newRow("code") << "AC01" << "秘密" << kZ002 << QStringList{"公开", "公开", "秘密"};
        QTest::newRow("code blank item") << "AC01" << "(空白)" << "" << QStringList{n, n, n};
        QTest::newRow("date") << "AD01" << "2024-01-01" << kZ001 << QStringList{"2024-01-01", "2024-01-01", "2020-01-01"};
        QTest::newRow("date emptied") << "AD01" << "" << kZ002 << QStringList{"2020-01-01", "2020-01-01", n};
    }

    void apply()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, condition);
        QFETCH(QStringList, after);
        addVolumes();
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_batchedit w(condition);
        w.dbcb1()->setCurrentCode(field);
        enterValue(w, value);
        QVERIFY(w.btn1Click());
        QCOMPARE(column(field), after);
        QCOMPARE(texts(boxes), QStringList{QStringLiteral("批量修改成功！")});
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Information);

        // Ready for the next change, over the same volumes.
        QCOMPARE(w.dbcb1()->currentIndex(), -1);
        QCOMPARE(w.dbcb3()->count(), 0);
        QVERIFY(w.dbed3()->text().isEmpty());
        QVERIFY(w.dbdtp3()->date().isNull());
        QCOMPARE(w.conditionText(), condition);
        // With no field chosen the button does nothing.
        QVERIFY(!w.btn1Click());
        QCOMPARE(boxes.shown.size(), 1);

        w.dbcb1()->setCurrentCode(QStringLiteral("AS15"));
        w.dbed3()->setText(QStringLiteral("JJ-02"));
        w.btn1()->click();
        const QStringList classes = column(QStringLiteral("AS15"));
        QCOMPARE(classes.count(QStringLiteral("JJ-02")), condition.isEmpty() ? 3 : condition == kZ002 ? 1 : 2);
        QCOMPARE(boxes.shown.size(), 2);
    }

    // Enter in the value editor changes nothing: only the button applies.
    void enterDoesNotApply()
    {
        addVolumes();
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_batchedit w{QString()};
        w.show();
        w.dbcb1()->setCurrentCode(QStringLiteral("AS01"));
        w.dbed3()->setText(QStringLiteral("新"));
        QTest::keyClick(w.dbed3(), Qt::Key_Return);
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(column(QStringLiteral("AS01")), QStringList({"旧一", "旧二", "旧三"}));
        QCOMPARE(w.dbed3()->text(), QStringLiteral("新"));
    }

    // The volumes of the main window's last query are the ones changed,
    // also when a later query of the panel is refused.
    void conditionOfMainWindowQuery()
    {
        addVolumes();
        shared().uiIniPath = m_store->folder() + QStringLiteral("/mavo120.ini");
        const char *levels[5][2] = {{"AS07", "S"}, {"AI01", "I"}, {"AC03", "C"}, {"AC02", "C"}, {"AC01", "C"}};
        for (int i = 0; i < 5; ++i)
            shared().treeLevels[i] = {QLatin1String(levels[i][0]), QLatin1String(levels[i][1])};
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_main main;
        main.show();
        main.findChild<QLineEdit *>(QStringLiteral("dbedAS07"))->setText(QStringLiteral("Z002"));
        main.RunQuery();
        QCOMPARE(main.Qry1().recordCount(), 1);

        Tfrm_N_A_batchedit w(main.conditionText());
        w.dbcb1()->setCurrentCode(QStringLiteral("AI03"));
        w.dbed3()->setText(QStringLiteral("77"));
        QVERIFY(w.btn1Click());
        QCOMPARE(column(QStringLiteral("AI03")), QStringList({"10", "10", "77"}));
        main.RunQuery();
        QCOMPARE(main.Qry1().value(QStringLiteral("AI03")).toInt(), 77);
        QCOMPARE(texts(boxes), QStringList{QStringLiteral("批量修改成功！")});
    }

    // A value of the wrong kind gets a message; no statement runs and the
    // window keeps what the user chose and typed.
    void refusedInput_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("message");
        QTest::newRow("integer with letters") << "AI03" << "12a" << "“页数”中的内容不是有效的整数！";
        QTest::newRow("integer beyond 32 bits") << "AI03" << "99999999999" << "“页数”中的内容不是有效的整数！";
        QTest::newRow("integer ending the statement") << "AI03" << "1 where AS07='Z002'"
                                                      << "“页数”中的内容不是有效的整数！";
        QTest::newRow("float with comma") << "AF01" << "1,5" << "“单价”中的内容不是有效的数值！";
        QTest::newRow("float as expression") << "AF01" << "AF01*2" << "“单价”中的内容不是有效的数值！";
        QTest::newRow("code not chosen") << "AC01" << "" << "请选择要修改的内容！";
        QTest::newRow("date not a date") << "AD01" << "2024-13-45"
                                         << "“2024-13-45”不是有效的日期，请按yyyy-mm-dd格式录入!";
    }

    void refusedInput()
    {
        QFETCH(QString, field);
        QFETCH(QString, value);
        QFETCH(QString, message);
        addVolumes();
        const QStringList before = column(field);
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_batchedit w{QString()};
        w.dbcb1()->setCurrentCode(field);
        enterValue(w, value);
        QVERIFY(!w.btn1Click());
        QCOMPARE(texts(boxes), QStringList{message});
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Warning);
        QCOMPARE(column(field), before);
        QCOMPARE(w.fieldCode(), field);
        if (field.at(1) == QLatin1Char('D'))
            QCOMPARE(w.dbdtp3()->text(), value);
        else if (field.at(1) == QLatin1Char('C'))
            QCOMPARE(w.dbcb3()->count(), 6);
        else
            QCOMPARE(w.dbed3()->text(), value);
    }

    // A statement the store rejects: the error box with the statement, no
    // success message, nothing changed, the choices kept.
    void rejectedStatement()
    {
        addVolumes();
        ScopedScriptedMessageBoxes boxes;
        const QString broken = QStringLiteral(" and NOSUCH like '%x%'");
        Tfrm_N_A_batchedit w(broken);
        w.dbcb1()->setCurrentCode(QStringLiteral("AS01"));
        w.dbed3()->setText(QStringLiteral("新"));
        QVERIFY(!w.btn1Click());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Critical);
        QVERIFY(boxes.shown.first().text.endsWith(QStringLiteral("\n\rupdate N_A set AS01='新' where 1=1 ") + broken));
        QCOMPARE(column(QStringLiteral("AS01")), QStringList({"旧一", "旧二", "旧三"}));
        QCOMPARE(w.fieldCode(), QStringLiteral("AS01"));
        QCOMPARE(w.dbed3()->text(), QStringLiteral("新"));
    }

    // Execute shows the window modally in the caller's colours over the
    // caller's conditions.
    void executeIsModal()
    {
        addVolumes();
        ScopedScriptedMessageBoxes boxes;
        const QColor window(200, 220, 240), editor(250, 250, 230);
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto *dlg = qobject_cast<Tfrm_N_A_batchedit *>(QApplication::activeModalWidget());
            if (!dlg) {
                if (QWidget *other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            seen = dlg->isModal() && dlg->palette().color(QPalette::Window) == window;
            for (QWidget *w : {static_cast<QWidget *>(dlg->dbcb1()), static_cast<QWidget *>(dlg->dbcb3()),
                               static_cast<QWidget *>(dlg->dbed3()), static_cast<QWidget *>(dlg->dbdtp3())})
                seen = seen && w->palette().color(QPalette::Base) == editor;
            // A drop-down list shows its face.
            seen = seen && dlg->dbcb1()->palette().color(QPalette::Button) == editor
                && dlg->dbcb3()->palette().color(QPalette::Button) == editor;
            dlg->dbcb1()->setCurrentCode(QStringLiteral("AS01"));
            dlg->dbed3()->setText(QStringLiteral("弹出"));
            dlg->btn1()->click();
            dlg->btn2()->click();
        });
        Tfrm_N_A_batchedit::Execute(window, editor, kZ002, nullptr);
        QVERIFY(seen);
        QCOMPARE(column(QStringLiteral("AS01")), QStringList({"旧一", "旧二", "弹出"}));
        QCOMPARE(texts(boxes), QStringList{QStringLiteral("批量修改成功！")});
    }
};

QTEST_MAIN(TestNABatchEdit)
#include "tst_n_a_batchedit.moc"

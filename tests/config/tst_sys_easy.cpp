#include "TestStore.h"

#include "app/DbGrid.h"
#include "app/MapListCombo.h"
#include "app/MessageBoxes.h"
#include "config/sys_easy.h"
#include "data/Dataset.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

// The fields of the table marked for quick input, with labels and whether
// they are displayed.
struct EasyField {
    QString code;
    QString label;
    int display;
};

bool markEasyFields(const QString &table, const QList<EasyField> &fields)
{
    if (!sqlExec(QStringLiteral("update S_FIELD set IEASY=0 where STABLE='%1'").arg(table)))
        return false;
    for (const EasyField &f : fields) {
        if (!sqlExec(QStringLiteral("update S_FIELD set IEASY=1, IDISPLAY=%1, SFIELDNAME1='%2' where STABLE='%3' and "
                                    "SFIELD='%4'")
                         .arg(f.display)
                         .arg(f.label, table, f.code)))
            return false;
    }
    return true;
}

bool addPhrase(const QString &table, const QString &field, const QString &key, const QString &value)
{
    return sqlExec(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('%1','%2','%3','%4')")
                       .arg(table, field, key, value));
}

QStringList rows(Dataset &q)
{
    QStringList out;
    const int key = q.fieldIndex(QStringLiteral("SEASY"));
    const int value = q.fieldIndex(QStringLiteral("SVALUE"));
    for (int pos = 0; pos < q.recordCount(); ++pos)
        out << q.textAt(pos, key) + QLatin1Char('=') + q.textAt(pos, value);
    out.sort();
    return out;
}

int phrases(const QString &where)
{
    return sqlValue(QStringLiteral("select count(*) from S_EASY where ") + where);
}

} // namespace

class TestSysEasy : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        QVERIFY(markEasyFields(QStringLiteral("N_A"),
                               {{"AS01", "Title", 1}, {"AS02", "Author", 1}, {"AS03", "Hidden", 0}}));
        QVERIFY(markEasyFields(QStringLiteral("N_B"), {{"BS01", "Subject", 1}}));
        PELU_SQL(QStringLiteral("delete from S_EASY"));
        QVERIFY(addPhrase("N_A", "AS01", "gc", "工程图纸"));
        QVERIFY(addPhrase("N_A", "AS01", "sj", "设计说明"));
        QVERIFY(addPhrase("N_A", "AS02", "zs", "张三"));
        QVERIFY(addPhrase("N_A", "AS03", "yc", "隐藏字段的短语"));
        QVERIFY(addPhrase("N_B", "AS01", "gc", "别的表"));
    }
    void cleanup() { m_store.reset(); }

    // Fields marked for quick input and displayed, by label.
    void pickerOffersQuickInputFields_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("labels");
        QTest::newRow("volumes") << "N_A" << QStringList{"AS02", "AS01"} << QStringList{"Author", "Title"};
        QTest::newRow("documents") << "N_B" << QStringList{"BS01"} << QStringList{"Subject"};
        QTest::newRow("quote in table") << "N_A' or '1'='1" << QStringList{} << QStringList{};
    }

    void pickerOffersQuickInputFields()
    {
        QFETCH(QString, table);
        QFETCH(QStringList, codes);
        QFETCH(QStringList, labels);
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_easy dlg(QColor(), QColor(), table, QString());
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("设置文本列字段快捷录入"));
        QStringList shownCodes, shownLabels;
        for (int i = 0; i < dlg.dbcb1()->count(); ++i) {
            shownCodes << dlg.dbcb1()->codeAt(i);
            shownLabels << dlg.dbcb1()->itemText(i);
        }
        QCOMPARE(shownCodes, codes);
        QCOMPARE(shownLabels, labels);
        QCOMPARE(dlg.dbcb1()->currentIndex(), -1);
        QVERIFY(!dlg.Qry1().isOpen());
        dlg.tlbAdd()->trigger();
        QVERIFY(!dlg.Qry1().isOpen());
        QVERIFY(boxes.shown.isEmpty());
    }

    // A table without fields marked for quick input: empty picker, closed grid.
    void noMarkedFields()
    {
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("update S_FIELD set IEASY=0 where STABLE='N_B'"));
        Tfrm_sys_easy dlg(QColor(), QColor(), QStringLiteral("N_B"), QStringLiteral("BS01"));
        dlg.show();
        QCOMPARE(dlg.dbcb1()->count(), 0);
        QVERIFY(!dlg.Qry1().isOpen());
        dlg.tlbAdd()->trigger();
        dlg.tlbDel()->trigger();
        QVERIFY(!dlg.Qry1().isOpen());
        QVERIFY(boxes.shown.isEmpty());
    }

    // The phrases of the table's field only; a field not offered (its mark
    // removed, or hidden) shows nothing and its phrases stay stored.
    void phrasesOfPassedField_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("opens");
        QTest::newRow("volume title") << "N_A" << "AS01" << QStringList{"gc=工程图纸", "sj=设计说明"} << true;
        QTest::newRow("volume author") << "N_A" << "AS02" << QStringList{"zs=张三"} << true;
        QTest::newRow("hidden field") << "N_A" << "AS03" << QStringList{} << false;
        QTest::newRow("no field") << "N_A" << "" << QStringList{} << false;
        QTest::newRow("not for this table") << "N_B" << "AS01" << QStringList{} << false;
    }

    void phrasesOfPassedField()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        QFETCH(QStringList, expected);
        QFETCH(bool, opens);
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_easy dlg(QColor(), QColor(), table, field);
        dlg.show();
        QCOMPARE(dlg.Qry1().isOpen(), opens);
        QCOMPARE(dlg.currentField(), opens ? field : QString());
        if (opens)
            QCOMPARE(rows(dlg.Qry1()), expected);
        QCOMPARE(phrases(QStringLiteral("1=1")), 5);
        QVERIFY(boxes.shown.isEmpty());
    }

    void columns()
    {
        Tfrm_sys_easy dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AS01"));
        dlg.show();
        DbGrid *grid = dlg.dbgrid1();
        QCOMPARE(grid->columnCount(), 2);
        QCOMPARE(grid->columnField(0), QStringLiteral("SEASY"));
        QCOMPARE(grid->columnTitle(0), QStringLiteral("快捷值"));
        QCOMPARE(grid->columnField(1), QStringLiteral("SVALUE"));
        QCOMPARE(grid->columnTitle(1), QStringLiteral("完整值"));
        QCOMPARE(grid->rowHeight(), 25);
        QCOMPARE(grid->titleHeight(), 25);
    }

    // Removing the mark hides the field's phrases here; setting it again shows
    // them unchanged.
    void unmarkedFieldKeepsPhrases()
    {
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("update S_FIELD set IEASY=0 where STABLE='N_A' and SFIELD='AS02'"));
        {
            Tfrm_sys_easy dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AS02"));
            dlg.show();
            QVERIFY(!dlg.Qry1().isOpen());
            QVERIFY(dlg.dbcb1()->listItems().indexOf(QRegularExpression(QStringLiteral(".*\tAS02"))) < 0);
        }
        QCOMPARE(phrases(QStringLiteral("SFIELD='AS02'")), 1);
        PELU_SQL(QStringLiteral("update S_FIELD set IEASY=1 where STABLE='N_A' and SFIELD='AS02'"));
        Tfrm_sys_easy dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AS02"));
        dlg.show();
        QCOMPARE(rows(dlg.Qry1()), QStringList{"zs=张三"});
        QVERIFY(boxes.shown.isEmpty());
    }

    // A new phrase belongs to the picked field of the window's table.
    void newPhrase_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("field");
        QTest::newRow("volumes") << "N_A" << "AS02";
        QTest::newRow("documents") << "N_B" << "BS01";
    }

    void newPhrase()
    {
        QFETCH(QString, table);
        QFETCH(QString, field);
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_easy dlg(QColor(), QColor(), table, field);
        dlg.show();
        const int before = dlg.Qry1().recordCount();
        dlg.tlbAdd()->trigger();
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Insert);
        QVERIFY(!dlg.Qry1().isModified());
        dlg.Qry1().setValue(QStringLiteral("SEASY"), QStringLiteral("it's"));
        dlg.Qry1().setValue(QStringLiteral("SVALUE"), QStringLiteral("O'Brien 的图纸"));
        dlg.tlbSave()->trigger();
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(dlg.Qry1().recordCount(), before + 1);
        QCOMPARE(phrases(QStringLiteral("STABLE='%1' and SFIELD='%2' and SEASY='it''s' and SVALUE='O''Brien 的图纸'")
                             .arg(table, field)),
                 1);
        QCOMPARE(phrases(QStringLiteral("SEASY='it''s'")), 1);
    }

    // Switching the pick reloads; a phrase being typed is stored under the
    // field it was typed for, or stays with its field when that fails.
    void switchingFields()
    {
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_easy dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AS01"));
        dlg.show();
        dlg.tlbAdd()->trigger();
        dlg.Qry1().setValue(QStringLiteral("SEASY"), QStringLiteral("bg"));
        dlg.Qry1().setValue(QStringLiteral("SVALUE"), QStringLiteral("变更单"));
        dlg.dbcb1()->setCurrentCode(QStringLiteral("AS02"));
        QCOMPARE(dlg.currentField(), QStringLiteral("AS02"));
        QCOMPARE(rows(dlg.Qry1()), QStringList{"zs=张三"});
        QCOMPARE(phrases(QStringLiteral("STABLE='N_A' and SFIELD='AS01' and SEASY='bg'")), 1);

        dlg.dbcb1()->setCurrentCode(QStringLiteral("AS01"));
        QCOMPARE(rows(dlg.Qry1()), (QStringList{"bg=变更单", "gc=工程图纸", "sj=设计说明"}));
        QVERIFY(boxes.shown.isEmpty());

        dlg.tlbAdd()->trigger();
        dlg.Qry1().setValue(QStringLiteral("SEASY"), QStringLiteral("ls"));
        PELU_SQL(QStringLiteral("alter table S_EASY rename to S_EASY_OLD"));
        dlg.dbcb1()->setCurrentCode(QStringLiteral("AS02"));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QCOMPARE(dlg.dbcb1()->currentCode(), QStringLiteral("AS01"));
        QCOMPARE(dlg.currentField(), QStringLiteral("AS01"));
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Insert);
        QCOMPARE(dlg.Qry1().text(QStringLiteral("SEASY")), QStringLiteral("ls"));
        PELU_SQL(QStringLiteral("alter table S_EASY_OLD rename to S_EASY"));
        QCOMPARE(phrases(QStringLiteral("SEASY='ls'")), 0);
    }

    // Two phrases with one key are both listed and each can be changed alone.
    void sameKeyTwice()
    {
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(addPhrase("N_A", "AS01", "gc", "工程概况"));
        Tfrm_sys_easy dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AS01"));
        dlg.show();
        QCOMPARE(rows(dlg.Qry1()), (QStringList{"gc=工程图纸", "gc=工程概况", "sj=设计说明"}));
        QVERIFY(dlg.Qry1().locate(QStringLiteral("SVALUE"), QStringLiteral("工程概况")));
        dlg.tlbEdit()->trigger();
        dlg.Qry1().setValue(QStringLiteral("SVALUE"), QStringLiteral("工程概况表"));
        dlg.tlbSave()->trigger();
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(phrases(QStringLiteral("SEASY='gc' and SVALUE='工程图纸'")), 1);
        QCOMPARE(phrases(QStringLiteral("SEASY='gc' and SVALUE='工程概况表'")), 1);
    }

    // A phrase stored twice alike cannot be told apart: the change is refused
    // with a message, the row stays as typed and neither copy changes.
    void identicalRowsAreNotHalfWritten()
    {
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(addPhrase("N_A", "AS02", "zs", "张三"));
        Tfrm_sys_easy dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AS02"));
        dlg.show();
        QCOMPARE(dlg.Qry1().recordCount(), 2);
        dlg.tlbEdit()->trigger();
        dlg.Qry1().setValue(QStringLiteral("SVALUE"), QStringLiteral("张三丰"));
        dlg.tlbSave()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Edit);
        QCOMPARE(dlg.Qry1().text(QStringLiteral("SVALUE")), QStringLiteral("张三丰"));
        QCOMPARE(phrases(QStringLiteral("SFIELD='AS02' and SVALUE='张三'")), 2);
        QCOMPARE(phrases(QStringLiteral("SVALUE='张三丰'")), 0);
    }

    void failingListQuery()
    {
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("alter table S_EASY rename to S_EASY_OLD"));
        Tfrm_sys_easy dlg(QColor(), QColor(), QStringLiteral("N_A"), QStringLiteral("AS01"));
        dlg.show();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QVERIFY(boxes.shown.at(0).text.contains(
            QStringLiteral("select * from s_easy where stable='N_A' and  sfield='AS01'")));
        QVERIFY(!dlg.Qry1().isOpen());
        QCOMPARE(dlg.currentField(), QString());
    }

    void colours()
    {
        const QColor window(200, 180, 160);
        const QColor grid(240, 230, 220);
        Tfrm_sys_easy dlg(window, grid, QStringLiteral("N_A"), QString());
        dlg.show();
        QCOMPARE(dlg.palette().color(QPalette::Window), window);
        QCOMPARE(dlg.tbmain()->palette().color(QPalette::Window), window);
        QCOMPARE(dlg.pnlTop()->palette().color(QPalette::Window), window);
        QCOMPARE(dlg.dbgrid1()->fixedColor(), window);
        QCOMPARE(dlg.dbgrid1()->color(), grid);
        QCOMPARE(dlg.dbgrid1()->oddRowColor(), grid);
        QCOMPARE(dlg.dbcb1()->palette().color(QPalette::Base), grid);
    }

    void executeOpensModallyOnField()
    {
        ScopedScriptedMessageBoxes boxes;
        QPointer<Tfrm_sys_easy> seen;
        bool modal = false;
        QStringList shown;
        QTimer::singleShot(0, this, [&] {
            for (QWidget *w : QApplication::topLevelWidgets())
                if (auto *dlg = qobject_cast<Tfrm_sys_easy *>(w); dlg && dlg->isVisible())
                    seen = dlg;
            if (!seen)
                return;
            modal = QApplication::activeModalWidget() == seen;
            shown = rows(seen->Qry1());
            seen->tbExit()->trigger();
        });
        Tfrm_sys_easy::Execute(QColor(Qt::white), QColor(Qt::yellow), QStringLiteral("N_A"), QStringLiteral("AS02"),
                               nullptr);
        QVERIFY(modal);
        QCOMPARE(shown, QStringList{"zs=张三"});
        QVERIFY(seen.isNull());
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestSysEasy)
#include "tst_sys_easy.moc"

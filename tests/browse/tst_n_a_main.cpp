#include "TestStore.h"

#include "app/DbGrid.h"
#include "app/DbMapListCombo.h"
#include "app/MessageBoxes.h"
#include "browse/N_A_main.h"
#include "data/Dataset.h"
#include "data/SharedState.h"
#include "edit/N_A_add.h"
#include "edit/N_A_batchedit.h"
#include "edit/N_A_edit.h"
#include "edit/N_B_add.h"
#include "edit/N_B_edit.h"

#include <QAction>
#include <QApplication>
#include <QTimer>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QLineEdit>
#include <QToolButton>
#include <QTreeWidget>

namespace {

const QStringList kRights = {"IRADD", "IREDIT", "IRDEL", "IRBATCH", "IR4", "IRINPUT", "IREXPORT",
                             "IRPRINT", "IRBORROW", "IRSET", "IRBIN", "IR1", "IR2", "IR3"};

void setRights(int value)
{
    shared().user.rights.clear();
    for (const QString &r : kRights)
        shared().user.rights.insert(r, value);
}

// The captions of the toolbar buttons a user sees, left to right.
QStringList visibleButtons(Tfrm_N_A_main &w)
{
    QStringList out;
    for (QAction *a : w.tb2()->actions())
        if (!a->isSeparator() && a->isVisible())
            if (auto *b = qobject_cast<QToolButton *>(w.tb2()->widgetForAction(a)))
                out << b->text();
    return out;
}

// Runs fn on the modal window of type W once it is up, then closes whatever
// modal window is left so no test can hang on one. *seen tells whether one came.
template <typename W, typename Fn>
void onModal(QObject *context, bool *seen, Fn fn)
{
    *seen = false;
    QTimer::singleShot(0, context, [seen, fn] {
        if (auto *w = qobject_cast<W *>(QApplication::activeModalWidget())) {
            *seen = true;
            fn(w);
        }
        if (QWidget *left = QApplication::activeModalWidget())
            left->close();
    });
}

QStringList column(Dataset &d, const QString &field)
{
    QStringList out;
    const int col = d.fieldIndex(field);
    for (int pos = 0; pos < d.recordCount(); ++pos)
        out << d.textAt(pos, col);
    return out;
}

} // namespace

class TestNAMain : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        shared().uiIniPath = m_store->folder() + QStringLiteral("/mavo120.ini");
        shared().orderA.clear();
        shared().orderB.clear();
        for (int i = 0; i < 8; ++i)
            shared().printNames[i].clear();
        setRights(1);
        // The store's tree levels, as the data module loads them.
        const char *levels[5][2] = {{"AS07", "S"}, {"AI01", "I"}, {"AC03", "C"}, {"AC02", "C"}, {"AC01", "C"}};
        for (int i = 0; i < 5; ++i)
            shared().treeLevels[i] = {QLatin1String(levels[i][0]), QLatin1String(levels[i][1])};
    }
    void cleanup() { m_store.reset(); }

    void rightsAllWithheld()
    {
        setRights(0);
        Tfrm_N_A_main w;
        QCOMPARE(visibleButtons(w), QStringList({"统计", "文件", "刷新", "导出", "设置", "帮助", "关闭"}));
        QVERIFY(!w.separator(QStringLiteral("tbSep2"))->isVisible());
        QVERIFY(!w.separator(QStringLiteral("tbSep3"))->isVisible());
        // Statistics and the combined query come later: greyed, not hidden.
        QVERIFY(!w.toolButton(QStringLiteral("tlbCust4"))->isEnabled());
        QVERIFY(w.toolButton(QStringLiteral("tlbCust21"))->isEnabled());
        // The spreadsheet entries stay in sight, only disabled.
        QAction *ms = w.action(QStringLiteral("actExportMSExcel"));
        QVERIFY(ms->isVisible());
        QVERIFY(!ms->isEnabled());
        QVERIFY(!w.action(QStringLiteral("actSetField"))->isVisible());
        QVERIFY(!w.action(QStringLiteral("actSetUser"))->isVisible());
        QVERIFY(w.action(QStringLiteral("actSetPassword"))->isEnabled()); // needs no right
    }

    void rightsAllGranted()
    {
        shared().printNames[0] = QStringLiteral("卷内目录打印");
        shared().printNames[2] = QStringLiteral("  ");
        Tfrm_N_A_main w;
        const QStringList buttons = visibleButtons(w);
        QCOMPARE(buttons, QStringList({"增加", "修改", "删除", "附件", "导入", "批修", "统计", "文件", "批删", "刷新", "借阅",
                                       "归还", "历史", "打印", "导出", "设置", "帮助", "关闭"}));
        QVERIFY(w.separator(QStringLiteral("tbSep2"))->isVisible());
        QVERIFY(w.separator(QStringLiteral("tbSep5"))->isVisible());
        QVERIFY(w.separator(QStringLiteral("tbSep3"))->isVisible());
        // FTP settings have no place in the single-user edition.
        QCOMPARE(w.action(QStringLiteral("actSetFtp"))->isVisible(), shared().isNetwork());
        // Slot captions from the names; a blank name hides both commands.
        QCOMPARE(w.action(QStringLiteral("actPrint1"))->text(), QStringLiteral("卷内目录打印"));
        QCOMPARE(w.action(QStringLiteral("actPrint1Set"))->text(), QStringLiteral("卷内目录打印模板设置"));
        QVERIFY(w.action(QStringLiteral("actPrint1"))->isVisible());
        QVERIFY(!w.action(QStringLiteral("actPrint3"))->isVisible());
        QVERIFY(!w.action(QStringLiteral("actPrint3Set"))->isVisible());
        // Commands whose windows do not exist yet stand greyed, never working.
        for (const char *name : {"actInput", "actBorrowOut", "actSum", "actPrintTable"}) {
            QAction *a = w.action(QLatin1String(name));
            QVERIFY2(a->isVisible() && !a->isEnabled(), name);
            QVERIFY(w.isPending(a));
        }
        QVERIFY(w.action(QStringLiteral("actRefresh"))->isEnabled());
        for (const char *name : {"actAdd", "actAdd2", "actEdit", "actEdit2", "actDel", "actDel2", "actBatchDel", "actBatchEdit"})
            QVERIFY2(w.action(QLatin1String(name))->isEnabled() && !w.isPending(w.action(QLatin1String(name))), name);
        for (const char *name : {"actSetUser", "actSetPassword", "actSetField", "actSetField2", "actSetSysname", "actSetCode",
                                 "actSetCode2", "actSetEasy", "actSetEasy2", "actSetTree", "actSetQuery", "actSetOrder",
                                 "actSetOrder2"})
            QVERIFY2(w.action(QLatin1String(name))->isEnabled(), name);
        QCOMPARE(w.toolButton(QStringLiteral("tlbAdd"))->menu()->actions().first()->text(), QStringLiteral("案卷记录增加"));
    }

    void documentsFollowVolumes()
    {
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_main w;
        // No volumes: the document grid still gets its columns, no rows.
        w.Qry1().open(w.baseSql() + QStringLiteral(" and 1<>1"));
        QVERIFY(w.Qry2().isOpen());
        QVERIFY(w.Qry2().isEmpty());
        QVERIFY(w.Qry2().sql().endsWith(QStringLiteral(" and 1<>1")));

        PELU_SQL(QStringLiteral("insert into N_A (AS01, AI01) values ('甲卷', 2024)"));
        PELU_SQL(QStringLiteral("insert into N_A (AS01, AI01) values ('乙卷', 2024)"));
        const int a1 = sqlValue(QStringLiteral("select AIID from N_A where AS01='甲卷'"));
        const int a2 = sqlValue(QStringLiteral("select AIID from N_A where AS01='乙卷'"));
        PELU_SQL(QStringLiteral("insert into N_B (AIID, BS03) values (%1, '一')").arg(a1));
        PELU_SQL(QStringLiteral("insert into N_B (AIID, BS03) values (%1, '二')").arg(a1));
        PELU_SQL(QStringLiteral("insert into N_B (AIID, BS03) values (%1, '三')").arg(a2));
        w.RunQuery();
        QCOMPARE(w.Qry1().recordCount(), 2);
        QVERIFY(w.Qry1().locate(QStringLiteral("AIID"), a1));
        QCOMPARE(w.Qry2().recordCount(), 2);
        QVERIFY(w.Qry1().locate(QStringLiteral("AIID"), a2));
        QCOMPARE(w.Qry2().recordCount(), 1);
        QCOMPARE(w.Qry2().text(QStringLiteral("BS03")), QStringLiteral("三"));
        QCOMPARE(w.statusPanelText(0), QStringLiteral("符合查询条件的记录共有2条"));

        w.ShowAddedVolumes(QString::number(a1));
        QCOMPARE(w.Qry1().recordCount(), 1);
        w.ShowAddedVolumes(QString());
        QCOMPARE(w.Qry1().recordCount(), 2);
        QCOMPARE(w.Qry1().text(QStringLiteral("AS01")), QStringLiteral("乙卷")); // newest first
        QVERIFY(boxes.shown.isEmpty());
    }

    // A tree click and a panel query select what the store holds for them;
    // clearing empties the panel and drops the tree's selection.
    void treeAndPanelQuery()
    {
        ScopedScriptedMessageBoxes boxes;
        for (const char *row : {"('Z001', 2023, '图纸甲')", "('Z001', 2024, '图纸乙')", "('Z002', 2024, '文书丙')",
                                "('Z002', 2024, '图纸丁')"})
            PELU_SQL(QStringLiteral("insert into N_A (AS07, AI01, AS01) values %1").arg(QString::fromUtf8(row)));
        Tfrm_N_A_main w;
        w.show();
        QTreeWidget *tree = w.tv1();
        QCOMPARE(tree->topLevelItemCount(), 2);
        QTreeWidgetItem *z002 = tree->topLevelItem(1);
        QCOMPARE(z002->text(0), QStringLiteral("Z002"));
        z002->setExpanded(true);
        QCOMPARE(z002->childCount(), 1);
        QTreeWidgetItem *y2024 = z002->child(0);
        tree->setCurrentItem(y2024);
        emit tree->itemClicked(y2024, 0);
        QCOMPARE(w.Qry1().recordCount(),
                 sqlValue(QStringLiteral("select count(*) from N_A where AS07 like '%Z002%' and AI01=2024")));
        QCOMPARE(w.conditionText(), QStringLiteral(" and AS07 like '%Z002%' and AI01=2024"));

        // The panel adds to what the tree wrote.
        w.findChild<QLineEdit *>(QStringLiteral("dbedAS01"))->setText(QStringLiteral("图纸"));
        w.action(QStringLiteral("actDoQuery"))->trigger();
        QCOMPARE(w.Qry1().recordCount(), 1);
        QCOMPARE(w.Qry1().text(QStringLiteral("AS01")), QStringLiteral("图纸丁"));

        // Text that is no number: a message, no query, the last conditions kept.
        const QString kept = w.conditionText();
        w.findChild<QLineEdit *>(QStringLiteral("dbedAI01"))->setText(QStringLiteral("二〇二四"));
        w.action(QStringLiteral("actDoQuery"))->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(w.conditionText(), kept);
        QCOMPARE(w.Qry1().recordCount(), 1);

        w.action(QStringLiteral("actClearQuery"))->trigger();
        QVERIFY(w.findChild<QLineEdit *>(QStringLiteral("dbedAS07"))->text().isEmpty());
        QVERIFY(tree->selectedItems().isEmpty());
        w.action(QStringLiteral("actDoQuery"))->trigger();
        QCOMPARE(w.Qry1().recordCount(), 4);
        QCOMPARE(boxes.shown.size(), 1);
    }

    // After the sort, tree and query settings the window takes the new
    // settings at once.
    void settingsHandOffs()
    {
        ScopedScriptedMessageBoxes boxes;
        for (const char *row : {"('Z001', 2023, 3)", "('Z002', 2021, 1)", "('Z003', 2022, 2)"})
            PELU_SQL(QStringLiteral("insert into N_A (AS07, AI01, AI02) values %1").arg(QString::fromUtf8(row)));
        Tfrm_N_A_main w;
        w.RunQuery();

        PELU_SQL(QStringLiteral("delete from S_ORDER where STABLE='N_A'"));
        PELU_SQL(QStringLiteral("insert into S_ORDER (STABLE, INO, SFIELD, STYPE) values ('N_A', 1, 'AI01', 'DESC')"));
        w.SortSettingsClosed(QStringLiteral("N_A"));
        QVERIFY(shared().orderA.contains(QStringLiteral("AI01")));
        QCOMPARE(w.Qry1().text(QStringLiteral("AS07")), QStringLiteral("Z001")); // 2023 first
        w.Qry1().last();
        QCOMPARE(w.Qry1().text(QStringLiteral("AS07")), QStringLiteral("Z002"));

        PELU_SQL(QStringLiteral("delete from S_TREE where STABLE='N_A'"));
        PELU_SQL(QStringLiteral("insert into S_TREE (STABLE, INO, SFIELD) values ('N_A', '1', 'AI02')"));
        w.TreeSettingsClosed();
        QCOMPARE(w.tv1()->topLevelItemCount(), 3);
        QCOMPARE(w.tv1()->topLevelItem(0)->text(0), QStringLiteral("1"));

        PELU_SQL(QStringLiteral("delete from S_QUERY where STABLE='N_A'"));
        PELU_SQL(QStringLiteral("insert into S_QUERY (STABLE, INO, SFIELD) values ('N_A', 1, 'AI02')"));
        w.show();
        w.QuerySettingsClosed();
        QVERIFY(w.findChild<QWidget *>(QStringLiteral("dbedAI02"))->isVisible());
        QVERIFY(!w.findChild<QWidget *>(QStringLiteral("dbedAS01"))->isVisible());
        QVERIFY(boxes.shown.isEmpty());
    }

    void captionsCodesAndVisibility()
    {
        shared().captions.insert(QStringLiteral("AS01"), QStringLiteral("案卷题名"));
        shared().captions.insert(QStringLiteral("BS03"), QStringLiteral("题名"));
        Tfrm_N_A_main w;
        DbGrid *g1 = w.dbgrid1();
        DbGrid *g2 = w.dbgrid2();
        QCOMPARE(g1->columnCount(), 38);
        QCOMPARE(g2->columnCount(), 38);
        QCOMPARE(g1->columnTitle(g1->columnByField(QStringLiteral("AS01"))), QStringLiteral("案卷题名"));
        QCOMPARE(g2->columnTitle(g2->columnByField(QStringLiteral("BS03"))), QStringLiteral("题名"));
        QCOMPARE(g1->columnTitle(g1->columnByField(QStringLiteral("AS03"))), QStringLiteral("AS03")); // no caption: kept
        QVERIFY(g1->columnFooterSum(g1->columnByField(QStringLiteral("AI03"))));
        QVERIFY(!g1->columnFooterSum(g1->columnByField(QStringLiteral("AC01"))));
        const int ac01 = g1->columnByField(QStringLiteral("AC01"));
        QCOMPARE(g1->columnKeyList(ac01).size(), sqlValue(QStringLiteral("select count(*) from N_AC01")));

        PELU_SQL(QStringLiteral("update S_FIELD set IDISPLAY=0 where STABLE='N_A' and SFIELD='AS01'"));
        PELU_SQL(QStringLiteral("update S_FIELD set IDISPLAY=1 where STABLE='N_B' and SFIELD='BS05'"));
        w.show();
        QVERIFY(!g1->isColumnVisible(g1->columnByField(QStringLiteral("AS01"))));
        QVERIFY(g2->isColumnVisible(g2->columnByField(QStringLiteral("BS05"))));
        // The dictionary wins over the column dialog at refresh.
        g1->setColumnVisible(g1->columnByField(QStringLiteral("AS01")), true);
        w.action(QStringLiteral("actRefresh"))->trigger();
        QVERIFY(!g1->isColumnVisible(g1->columnByField(QStringLiteral("AS01"))));
    }

    void panelsAndLayoutKept()
    {
        {
            Tfrm_N_A_main w;
            w.show();
            QVERIFY(w.pnlTree()->isVisible());
            w.action(QStringLiteral("actSetDisplayTree"))->trigger();
            QVERIFY(!w.pnlTree()->isVisible());
            w.action(QStringLiteral("actBinSetDisplay"))->trigger();
            QVERIFY(!w.pnlfj()->isVisible());
            w.close();
        }
        Tfrm_N_A_main w;
        w.show();
        QVERIFY(!w.action(QStringLiteral("actSetDisplayTree"))->isChecked());
        QVERIFY(!w.pnlTree()->isVisible());
        QVERIFY(!w.pnlfj()->isVisible());
    }
    void addCommandShowsTheAddedVolumes()
    {
        PELU_SQL(QStringLiteral("update S_FIELD set INOTNULL=0"));
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_main w;
        w.RunQuery();
        const QString added = QStringLiteral("表格中显示是此次增加的记录, 查看其它记录请点执行查询按钮!");
        bool seen = false;
        // On an empty table every volume shows, newest first.
        onModal<Tfrm_N_A_add>(this, &seen, [](Tfrm_N_A_add *add) {
            // The window takes the main window's code lists.
            QVERIFY(add->dbcb(QStringLiteral("AC03"))->count() > 0);
            for (const char *title : {"一号卷", "二号卷"}) {
                add->dataset()->setValue(QStringLiteral("AS01"), QString::fromUtf8(title));
                QVERIFY(add->Save());
            }
            add->CloseWindow();
        });
        w.action(QStringLiteral("actAdd"))->trigger();
        QVERIFY(seen);
        QCOMPARE(column(w.Qry1(), QStringLiteral("AS01")), QStringList({"二号卷", "一号卷"}));
        QCOMPARE(boxes.shown.last().text, added);

        // Closed without saving: the grid shows what was added since, i.e. nothing.
        boxes.clear();
        onModal<Tfrm_N_A_add>(this, &seen, [](Tfrm_N_A_add *add) { add->CloseWindow(); });
        w.action(QStringLiteral("actAdd"))->trigger();
        QVERIFY(seen);
        QVERIFY(w.Qry1().isOpen());
        QCOMPARE(w.Qry1().recordCount(), 0);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().text, added);

        // The query brings every volume back.
        w.RunQuery();
        QCOMPARE(w.Qry1().recordCount(), 2);
    }

    void documentAddKeepsTheVolume()
    {
        PELU_SQL(QStringLiteral("update S_FIELD set INOTNULL=0"));
        PELU_SQL(QStringLiteral("insert into N_A (AS01) values ('甲卷')"));
        PELU_SQL(QStringLiteral("insert into N_A (AS01) values ('乙卷')"));
        const int second = sqlValue(QStringLiteral("select AIID from N_A where AS01='乙卷'"));
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_main w;
        bool seen = false;

        // No volume to file it in: a message, no window.
        w.Qry1().open(w.baseSql() + QStringLiteral(" and 1<>1"));
        onModal<Tfrm_N_B_add>(this, &seen, [](Tfrm_N_B_add *) {});
        w.action(QStringLiteral("actAdd2"))->trigger();
        QCOMPARE(boxes.shown.last().text, QStringLiteral("请先增加或选择案卷记录！"));
        QTest::qWait(1);
        QVERIFY(!seen);

        w.RunQuery();
        QVERIFY(w.Qry1().locate(QStringLiteral("AIID"), second));
        onModal<Tfrm_N_B_add>(this, &seen, [second](Tfrm_N_B_add *add) {
            QCOMPARE(add->dataset()->value(QStringLiteral("AIID")).toInt(), second);
            add->dataset()->setValue(QStringLiteral("BS03"), QStringLiteral("新文件"));
            QVERIFY(add->Save());
            add->CloseWindow();
        });
        w.action(QStringLiteral("actAdd2"))->trigger();
        QVERIFY(seen);
        // The query ran again and the grid stands on the same volume.
        QCOMPARE(w.Qry1().value(QStringLiteral("AIID")).toInt(), second);
        QCOMPARE(column(w.Qry2(), QStringLiteral("BS03")), QStringList({"新文件"}));
    }

    void editCommandsWorkOnTheGridRows()
    {
        PELU_SQL(QStringLiteral("update S_FIELD set INOTNULL=0"));
        PELU_SQL(QStringLiteral("insert into N_A (AS01, AI01) values ('甲卷', 1)"));
        PELU_SQL(QStringLiteral("insert into N_A (AS01, AI01) values ('乙卷', 2)"));
        PELU_SQL(QStringLiteral("insert into N_B (AIID, BS03) select AIID, '文件' from N_A where AS01='甲卷'"));
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_main w;
        w.RunQuery();
        QVERIFY(w.Qry1().locate(QStringLiteral("AS01"), QStringLiteral("甲卷")));
        bool seen = false;
        Dataset *volumes = &w.Qry1();
        // A double click opens the volume edit window on the grid's own rows.
        onModal<Tfrm_N_A_edit>(this, &seen, [volumes](Tfrm_N_A_edit *edit) {
            QCOMPARE(edit->dataset(), volumes);
            volumes->edit();
            volumes->setValue(QStringLiteral("AS01"), QStringLiteral("甲卷改"));
            edit->Step(true); // posted, and the grid moves with it
            QCOMPARE(volumes->text(QStringLiteral("AS01")), QStringLiteral("乙卷"));
            edit->CloseWindow();
        });
        emit w.dbgrid1()->doubleClicked(w.dbgrid1()->model()->index(0, 0));
        QVERIFY(seen);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AS01='甲卷改'")), 1);

        QVERIFY(w.Qry1().locate(QStringLiteral("AS01"), QStringLiteral("甲卷改")));
        QCOMPARE(w.Qry2().recordCount(), 1);
        Dataset *documents = &w.Qry2();
        onModal<Tfrm_N_B_edit>(this, &seen, [documents](Tfrm_N_B_edit *edit) {
            QCOMPARE(edit->dataset(), documents);
            documents->edit();
            documents->setValue(QStringLiteral("BS03"), QStringLiteral("文件改"));
            QVERIFY(edit->Save());
            edit->CloseWindow();
        });
        w.action(QStringLiteral("actEdit2"))->trigger();
        QVERIFY(seen);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_B where BS03='文件改'")), 1);

        // Nothing to edit: no window.
        w.Qry1().open(w.baseSql() + QStringLiteral(" and 1<>1"));
        onModal<Tfrm_N_A_edit>(this, &seen, [](Tfrm_N_A_edit *) {});
        w.action(QStringLiteral("actEdit"))->trigger();
        QTest::qWait(1);
        QVERIFY(!seen);
    }

    void batchEditGetsTheLastConditionsAndRequeries()
    {
        PELU_SQL(QStringLiteral("insert into N_A (AS01, AI01) values ('甲卷', 2020)"));
        PELU_SQL(QStringLiteral("insert into N_A (AS01, AI01) values ('乙卷', 2021)"));
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_A_main w;
        w.RunQuery();
        const QString conditions = w.conditionText();
        bool seen = false;
        QString passed = QStringLiteral("<none>");
        onModal<Tfrm_N_A_batchedit>(this, &seen, [&passed](Tfrm_N_A_batchedit *dlg) {
            passed = dlg->conditionText();
            sqlExec(QStringLiteral("insert into N_A (AS01) values ('丙卷')"));
            dlg->btn2Click();
        });
        w.action(QStringLiteral("actBatchEdit"))->trigger();
        QVERIFY(seen);
        QCOMPARE(passed, conditions);
        QCOMPARE(w.Qry1().recordCount(), 3); // the query ran again
    }
};

QTEST_MAIN(TestNAMain)
#include "tst_n_a_main.moc"

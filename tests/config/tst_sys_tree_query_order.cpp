#include "TestStore.h"

#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "config/sys_order.h"
#include "config/sys_query.h"
#include "config/sys_tree.h"
#include "data/Dataset.h"
#include "data/SharedState.h"
#include "data/base_dm.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolBar>

#include <memory>

namespace {

const QColor kWindow(200, 220, 240);
const QColor kGrid(250, 250, 230);

std::unique_ptr<Tfrm_base_dbdialog> makeWindow(const QString &kind, const QString &table)
{
    if (kind == QLatin1String("tree"))
        return std::make_unique<Tfrm_sys_tree>(kWindow, kGrid, table);
    if (kind == QLatin1String("query"))
        return std::make_unique<Tfrm_sys_query>(kWindow, kGrid, table);
    return std::make_unique<Tfrm_sys_order>(kWindow, kGrid, table);
}

// The first column of every row of sql, as text.
QStringList firstColumn(const QString &sql)
{
    Dataset q;
    QStringList out;
    if (!OpenSql(q, sql))
        return {QStringLiteral("<failed>")};
    for (int pos = 0; pos < q.recordCount(); ++pos)
        out << q.textAt(pos, 0);
    return out;
}

QModelIndex cell(Tfrm_base_dbdialog &dlg, int row, const QString &field)
{
    return dlg.dbgrid1()->model()->index(row, dlg.dbgrid1()->columnByField(field));
}

// What the main window reads from the stored rows of one kind of setting:
// the tree levels (as start-up reads them), the query panel's places, the
// sort clause.
QString readBack(const QString &kind, const QString &table)
{
    Dataset q;
    if (kind == QLatin1String("tree")) {
        if (!Tfrm_base_dm::readTreeLevels(q, QStringLiteral("select a.INO,a.SFIELD,b.SFIELDTYPE from S_TREE a, S_FIELD b "
                                                             "where a.SFIELD=b.SFIELD and a.STABLE='%1' and b.stable='%1'")
                                                 .arg(table)))
            return QStringLiteral("<failed>");
        QStringList fields;
        for (const TreeLevel &level : shared().treeLevels)
            fields << level.field;
        return fields.join(QLatin1Char(','));
    }
    if (kind == QLatin1String("query")) {
        if (!OpenSql(q, QStringLiteral("select ino, sfield from s_query where stable='%1' order by ino").arg(table)))
            return QStringLiteral("<failed>");
        QStringList places;
        for (int pos = 0; pos < q.recordCount(); ++pos)
            places << q.textAt(pos, 0) + QLatin1Char(':') + q.textAt(pos, 1);
        places.sort();
        return places.join(QLatin1Char(','));
    }
    return BuildOrderClause(q, table);
}

} // namespace

class TestSysTreeQueryOrder : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        // Fields the cases pick are displayed; AS03 and BS02 are not, so they are never offered.
        PELU_SQL(QStringLiteral("update S_FIELD set IDISPLAY=1 where SFIELD in ('AS01','AS07','AI01','AI02','AC01',"
                                "'AC02','AC03','BS01','BI01')"));
        PELU_SQL(QStringLiteral("update S_FIELD set IDISPLAY=0 where SFIELD in ('AS03','BS02')"));
    }
    void cleanup() { m_store.reset(); }

    // Caption, buttons, the rows of the table only, and the field drop-down
    // of displayed fields by label.
    void windowShowsItsRows_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<bool>("canAdd");
        QTest::addColumn<QString>("fieldTables"); // whose fields the drop-down offers
        QTest::addColumn<QString>("entryKey");    // the key "录入顺序" stands for, or empty
        QTest::newRow("tree") << "tree" << "N_A" << "设置树层次显示顺序" << false << "'N_A'" << "";
        QTest::newRow("query volumes") << "query" << "N_A" << "设置显示查询条件" << true << "'N_A'" << "";
        QTest::newRow("query documents") << "query" << "N_B" << "设置显示查询条件" << true << "'N_B'" << "";
        QTest::newRow("sort volumes") << "sort" << "N_A" << "设置表格排序方式" << false << "'N_A'" << "AIID";
        QTest::newRow("sort documents") << "sort" << "N_B" << "设置表格排序方式" << false << "'N_B'" << "BIID";
        QTest::newRow("sort combined") << "sort" << "N_AB" << "设置表格排序方式" << false << "'N_A','N_B'" << "AIID";
    }

    void windowShowsItsRows()
    {
        QFETCH(QString, kind);
        QFETCH(QString, table);
        QFETCH(QString, caption);
        QFETCH(bool, canAdd);
        QFETCH(QString, fieldTables);
        QFETCH(QString, entryKey);
        ScopedScriptedMessageBoxes boxes;
        auto dlg = makeWindow(kind, table);
        dlg->show();
        QCOMPARE(dlg->windowTitle(), caption);
        QCOMPARE(dlg->tlbAdd()->isVisible(), canAdd);
        QCOMPARE(dlg->tlbEdit()->isVisible(), canAdd);
        QVERIFY(dlg->tlbDel()->isVisible());

        const QString settings = kind == QLatin1String("tree") ? QStringLiteral("S_TREE")
            : kind == QLatin1String("query")                    ? QStringLiteral("S_QUERY")
                                                                 : QStringLiteral("S_ORDER");
        QStringList stored = firstColumn(
            QStringLiteral("select ino from %1 where stable='%2' order by ino").arg(settings, table));
        QCOMPARE(dlg->Qry1().recordCount(), stored.size());
        QStringList shown;
        for (int pos = 0; pos < dlg->Qry1().recordCount(); ++pos)
            shown << dlg->Qry1().textAt(pos, dlg->Qry1().fieldIndex(QStringLiteral("INO")));
        QCOMPARE(shown, stored);
        // The position is chosen in the query window, numbered rows elsewhere.
        const int inoCol = dlg->dbgrid1()->columnByField(QStringLiteral("INO"));
        QCOMPARE(dlg->dbgrid1()->isColumnVisible(inoCol), canAdd);

        const int col = dlg->dbgrid1()->columnByField(QStringLiteral("SFIELD"));
        QStringList keys = firstColumn(QStringLiteral("select sfield from s_field where stable in(%1) and idisplay=1 "
                                                      "order by stable, ino")
                                           .arg(fieldTables));
        QStringList labels = firstColumn(QStringLiteral("select sfieldname1 from s_field where stable in(%1) and "
                                                        "idisplay=1 order by stable, ino")
                                             .arg(fieldTables));
        QVERIFY(!keys.contains(QStringLiteral("AS03")) && !keys.contains(QStringLiteral("BS02")));
        if (!entryKey.isEmpty()) {
            keys << entryKey;
            labels << QStringLiteral("录入顺序");
        }
        QCOMPARE(dlg->dbgrid1()->columnKeyList(col), keys);
        QCOMPARE(dlg->dbgrid1()->columnPickList(col), labels);

        // The first row shows its field by label.
        const QString firstField = dlg->Qry1().textAt(0, dlg->Qry1().fieldIndex(QStringLiteral("SFIELD")));
        const int at = keys.indexOf(firstField);
        QVERIFY2(at >= 0, qPrintable(firstField));
        QCOMPARE(cell(*dlg, 0, QStringLiteral("SFIELD")).data().toString(), labels.at(at));
        if (kind == QLatin1String("query"))
            QCOMPARE(cell(*dlg, 0, QStringLiteral("INO")).data().toString(), QStringLiteral("1#位置"));
        if (kind == QLatin1String("sort"))
            QCOMPARE(cell(*dlg, 0, QStringLiteral("STYPE")).data().toString(), QStringLiteral("升序"));
        QVERIFY(boxes.shown.isEmpty());
    }

    // The fifth level exists after the tree window opened, once, starting
    // with AS01 when it had to be made; a stored fifth level is kept.
    void fifthTreeLevel_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("fields");
        QTest::newRow("stored") << "N_A" << "" << QStringList{"AS07", "AI01", "AC03", "AC02", "AC01"};
        QTest::newRow("missing") << "N_A" << "delete from S_TREE where STABLE='N_A' and INO=5"
                                 << QStringList{"AS07", "AI01", "AC03", "AC02", "AS01"};
        QTest::newRow("table without levels") << "N_B" << "" << QStringList{"AS01"};
        QTest::newRow("quote in table") << "N_A' or '1'='1" << "" << QStringList{"AS01"};
    }

    void fifthTreeLevel()
    {
        QFETCH(QString, table);
        QFETCH(QString, setup);
        QFETCH(QStringList, fields);
        ScopedScriptedMessageBoxes boxes;
        if (!setup.isEmpty())
            PELU_SQL(setup);
        const int others = sqlValue(QStringLiteral("select count(*) from S_TREE"));
        for (int round = 0; round < 2; ++round) {
            Tfrm_sys_tree dlg(kWindow, kGrid, table);
            dlg.show();
            QStringList shown;
            for (int pos = 0; pos < dlg.Qry1().recordCount(); ++pos)
                shown << dlg.Qry1().textAt(pos, dlg.Qry1().fieldIndex(QStringLiteral("SFIELD")));
            QCOMPARE(shown, fields);
        }
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_TREE")),
                 others + (fields.size() == 5 && setup.isEmpty() ? 0 : 1));
        QVERIFY(boxes.shown.isEmpty());
    }

    // A row edited in the grid and saved is what the main window reads next.
    void editAndSave_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("row");
        QTest::addColumn<QStringList>("edits"); // FIELD=key
        QTest::addColumn<QString>("readBack");
        QTest::newRow("tree level 2") << "tree" << "N_A" << 1 << QStringList{"SFIELD=AS01"}
                                      << "AS07,AS01,AC03,AC02,AC01";
        QTest::newRow("tree level 5") << "tree" << "N_A" << 4 << QStringList{"SFIELD=AI02"}
                                      << "AS07,AI01,AC03,AC02,AI02";
        QTest::newRow("query place") << "query" << "N_A" << 0 << QStringList{"INO=3"}
                                     << "2:AS14,3:AS01,3:AS07,4:AI01,5:AC02,6:AC03,7:AS02,8:AC01";
        QTest::newRow("query field") << "query" << "N_B" << 7 << QStringList{"SFIELD=BI01"}
                                     << "1:BS03,2:BS01,3:BS02,4:BD01,5:BC02,6:BC01,7:BC10,8:BI01";
        QTest::newRow("sort descending") << "sort" << "N_A" << 0 << QStringList{"SFIELD=AS01", "STYPE=DESC"}
                                         << " order by AS01 DESC,AI01 ,AI02 ,AIID ";
        QTest::newRow("sort empty step") << "sort" << "N_B" << 2 << QStringList{"SFIELD=BS01", "STYPE=ASC"}
                                         << " order by BI01 ,BIID ,BS01 ";
        QTest::newRow("sort combined") << "sort" << "N_AB" << 3 << QStringList{"STYPE=DESC"}
                                       << " order by AS07 ,AI01 ,AI02 ,BI01 DESC,BIID ";
    }

    void editAndSave()
    {
        QFETCH(QString, kind);
        QFETCH(QString, table);
        QFETCH(int, row);
        QFETCH(QStringList, edits);
        QFETCH(QString, readBack);
        ScopedScriptedMessageBoxes boxes;
        auto dlg = makeWindow(kind, table);
        dlg->show();
        for (const QString &edit : edits) {
            const QString field = edit.section(QLatin1Char('='), 0, 0);
            QVERIFY(dlg->dbgrid1()->model()->setData(cell(*dlg, row, field), edit.section(QLatin1Char('='), 1)));
        }
        QVERIFY(dlg->tlbSave()->isEnabled());
        dlg->tlbSave()->trigger();
        QVERIFY(!dlg->Qry1().isEditing());
        QCOMPARE(::readBack(kind, table), readBack);
        QVERIFY(boxes.shown.isEmpty());
        // The clause is one the record table takes.
        if (kind == QLatin1String("sort") && table != QLatin1String("N_AB")) {
            Dataset q;
            QVERIFY(OpenSql(q, QStringLiteral("select * from ") + table + readBack));
        }
    }

    // Delete in the tree and sort windows empties the row without asking
    // and without removing it; a cleared step drops out of the clause.
    void deleteClears_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("table");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QString>("readBack");
        QTest::newRow("tree level 1") << "tree" << "N_A" << QList<int>{0} << ",AI01,AC03,AC02,AC01";
        QTest::newRow("tree levels 3 and 5") << "tree" << "N_A" << QList<int>{2, 4} << "AS07,AI01,,AC02,";
        QTest::newRow("sort step 2") << "sort" << "N_A" << QList<int>{1} << " order by AS07 ,AI02 ,AIID ";
        QTest::newRow("sort all steps") << "sort" << "N_B" << QList<int>{0, 1} << "";
    }

    void deleteClears()
    {
        QFETCH(QString, kind);
        QFETCH(QString, table);
        QFETCH(QList<int>, rows);
        QFETCH(QString, readBack);
        ScopedScriptedMessageBoxes boxes;
        const QString settings = kind == QLatin1String("tree") ? QStringLiteral("S_TREE") : QStringLiteral("S_ORDER");
        const QString count = QStringLiteral("select count(*) from %1 where stable='%2'").arg(settings, table);
        const int before = sqlValue(count);
        auto dlg = makeWindow(kind, table);
        dlg->show();
        for (int row : rows) {
            dlg->dbgrid1()->setCurrentIndex(cell(*dlg, row, QStringLiteral("SFIELD")));
            QCOMPARE(dlg->Qry1().pos(), row);
            dlg->tlbDel()->trigger();
            QVERIFY(!dlg->Qry1().isEditing());
            QCOMPARE(dlg->Qry1().text(QStringLiteral("SFIELD")), QString());
            if (kind == QLatin1String("sort"))
                QCOMPARE(dlg->Qry1().text(QStringLiteral("STYPE")), QString());
        }
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(dlg->Qry1().recordCount(), before);
        QCOMPARE(sqlValue(count), before);
        QCOMPARE(::readBack(kind, table), readBack);
        // A cleared row can be set again.
        const int had = sqlValue(count + QStringLiteral(" and sfield='AI01'"));
        QVERIFY(dlg->dbgrid1()->model()->setData(cell(*dlg, rows.first(), QStringLiteral("SFIELD")),
                                                 QStringLiteral("AI01")));
        dlg->tlbSave()->trigger();
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(sqlValue(count + QStringLiteral(" and sfield='AI01'")), had + 1);
    }

    // "录入顺序" sorts by the table's key, that is by order of entry.
    void entryOrder_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("key");
        QTest::newRow("volumes") << "N_A" << "AIID";
        QTest::newRow("documents") << "N_B" << "BIID";
        QTest::newRow("combined") << "N_AB" << "AIID";
    }

    void entryOrder()
    {
        QFETCH(QString, table);
        QFETCH(QString, key);
        ScopedScriptedMessageBoxes boxes;
        QCOMPARE(Tfrm_sys_order::EntryOrderField(table), key);
        {
            // Every step cleared first, then the window opened again.
            Tfrm_sys_order dlg(kWindow, kGrid, table);
            dlg.show();
            for (dlg.Qry1().first(); !dlg.Qry1().eof(); dlg.Qry1().next())
                dlg.tlbDel()->trigger();
            QCOMPARE(::readBack(QStringLiteral("sort"), table), QString());
        }
        Tfrm_sys_order dlg(kWindow, kGrid, table);
        dlg.show();
        const int col = dlg.dbgrid1()->columnByField(QStringLiteral("SFIELD"));
        const int at = dlg.dbgrid1()->columnPickList(col).indexOf(QStringLiteral("录入顺序"));
        QVERIFY(at >= 0);
        QCOMPARE(dlg.dbgrid1()->columnKeyList(col).at(at), key);
        QVERIFY(dlg.dbgrid1()->model()->setData(cell(dlg, 0, QStringLiteral("SFIELD")), key));
        QVERIFY(dlg.dbgrid1()->model()->setData(cell(dlg, 0, QStringLiteral("STYPE")), QStringLiteral("DESC")));
        QVERIFY(dlg.tlbSave()->isEnabled());
        dlg.tlbSave()->trigger();
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.shown.value(0).text));
        QCOMPARE(cell(dlg, 0, QStringLiteral("SFIELD")).data().toString(), QStringLiteral("录入顺序"));
        QCOMPARE(cell(dlg, 0, QStringLiteral("STYPE")).data().toString(), QStringLiteral("降序"));
        QCOMPARE(::readBack(QStringLiteral("sort"), table), QStringLiteral(" order by ") + key + QStringLiteral(" DESC"));
        QVERIFY(boxes.shown.isEmpty());
    }

    // The query window adds rows for its table and deletes after asking.
    void queryAddAndDelete()
    {
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_query dlg(kWindow, kGrid, QStringLiteral("N_B"));
        dlg.show();
        dlg.tlbAdd()->trigger();
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Insert);
        const int row = dlg.Qry1().pos();
        QVERIFY(dlg.dbgrid1()->model()->setData(cell(dlg, row, QStringLiteral("INO")), QStringLiteral("2")));
        QVERIFY(dlg.dbgrid1()->model()->setData(cell(dlg, row, QStringLiteral("SFIELD")), QStringLiteral("BI01")));
        QCOMPARE(cell(dlg, row, QStringLiteral("INO")).data().toString(), QStringLiteral("2#位置"));
        dlg.tlbSave()->trigger();
        QVERIFY(boxes.shown.isEmpty());
        // Two fields on one place: nothing prevents it.
        QCOMPARE(::readBack(QStringLiteral("query"), QStringLiteral("N_B")),
                 QStringLiteral("1:BS03,2:BI01,2:BS01,3:BS02,4:BD01,5:BC02,6:BC01,7:BC10,8:BS50"));

        QVERIFY(dlg.Qry1().locate(QStringLiteral("SFIELD"), QStringLiteral("BI01")));
        boxes.answers << MsgResultCancel;
        dlg.tlbDel()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).text, QStringLiteral("删除后将不能再恢复，确认要删除吗？"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_QUERY where STABLE='N_B'")), 9);
        dlg.tlbDel()->trigger();
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_QUERY where STABLE='N_B'")), 8);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_QUERY where SFIELD='BI01'")), 0);
    }

    // Execute shows the window modally in the caller's colours, over the
    // caller's table, and returns once it is closed.
    void executeIsModal_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("caption");
        QTest::newRow("tree") << "tree" << "设置树层次显示顺序";
        QTest::newRow("query") << "query" << "设置显示查询条件";
        QTest::newRow("sort") << "sort" << "设置表格排序方式";
    }

    void executeIsModal()
    {
        QFETCH(QString, kind);
        QFETCH(QString, caption);
        ScopedScriptedMessageBoxes boxes;
        bool seen = false;
        QTimer::singleShot(0, this, [&] {
            auto *dlg = qobject_cast<Tfrm_base_dbdialog *>(QApplication::activeModalWidget());
            if (!dlg) {
                if (QWidget *other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            const QWidget *panel = dlg->findChild<QWidget *>(QStringLiteral("pnlTop"));
            seen = dlg->windowTitle() == caption && dlg->isModal() && dlg->Qry1().isOpen()
                && dlg->Qry1().recordCount() > 0 && panel
                && panel->palette().color(QPalette::Window) == kWindow
                && dlg->tbmain()->palette().color(QPalette::Window) == kWindow;
            dlg->tbExit()->trigger();
        });
        if (kind == QLatin1String("tree"))
            Tfrm_sys_tree::Execute(kWindow, kGrid, QStringLiteral("N_A"));
        else if (kind == QLatin1String("query"))
            Tfrm_sys_query::Execute(kWindow, kGrid, QStringLiteral("N_A"));
        else
            Tfrm_sys_order::Execute(kWindow, kGrid, QStringLiteral("N_A"));
        QVERIFY(seen);
        QVERIFY(boxes.shown.isEmpty());
    }

    // A failed write shows the database error, keeps the row as edited for
    // correction and changes nothing stored.
    void failedWriteKeepsRow_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("settings");
        QTest::addColumn<bool>("clear");
        QTest::newRow("tree save") << "tree" << "S_TREE" << false;
        QTest::newRow("tree clear") << "tree" << "S_TREE" << true;
        QTest::newRow("query save") << "query" << "S_QUERY" << false;
        QTest::newRow("sort save") << "sort" << "S_ORDER" << false;
        QTest::newRow("sort clear") << "sort" << "S_ORDER" << true;
    }

    void failedWriteKeepsRow()
    {
        QFETCH(QString, kind);
        QFETCH(QString, settings);
        QFETCH(bool, clear);
        ScopedScriptedMessageBoxes boxes;
        const QString before = ::readBack(kind, QStringLiteral("N_A"));
        auto dlg = makeWindow(kind, QStringLiteral("N_A"));
        dlg->show();
        PELU_SQL(QStringLiteral("alter table %1 rename to %1_OLD").arg(settings));
        if (clear) {
            dlg->tlbDel()->trigger();
        } else {
            QVERIFY(dlg->dbgrid1()->model()->setData(cell(*dlg, 0, QStringLiteral("SFIELD")), QStringLiteral("AI02")));
            dlg->tlbSave()->trigger();
        }
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QCOMPARE(dlg->Qry1().state(), Dataset::State::Edit);
        QCOMPARE(dlg->Qry1().text(QStringLiteral("SFIELD")), clear ? QString() : QStringLiteral("AI02"));
        PELU_SQL(QStringLiteral("alter table %1_OLD rename to %1").arg(settings));
        QCOMPARE(::readBack(kind, QStringLiteral("N_A")), before);
        // Once the table is back the kept row saves.
        dlg->tlbSave()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(::readBack(kind, QStringLiteral("N_A")) != before);
    }
};

QTEST_MAIN(TestSysTreeQueryOrder)
#include "tst_sys_tree_query_order.moc"

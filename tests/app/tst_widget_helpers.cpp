#include "TestStore.h"

#include "app/MapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/WidgetHelpers.h"
#include "data/Connection.h"
#include "data/Dataset.h"

#include <QAction>
#include <QPainter>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTreeWidget>

class TestWidgetHelpers : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    void run(const QString &sql)
    {
        QSqlQuery q(Connection::database());
        QVERIFY2(q.exec(sql), qPrintable(sql));
    }

    // Phrases of a table key nobody else uses: SEASY is the code, SVALUE the name.
    void addPhrase(const QString &code, const QString &name)
    {
        run(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('TST','AS01',%1,%2)")
                .arg(code.isNull() ? QStringLiteral("null") : QLatin1Char('\'') + code + QLatin1Char('\''),
                     QLatin1Char('\'') + name + QLatin1Char('\'')));
    }

    static QIcon solid(const QColor &colour)
    {
        QPixmap pm(16, 16);
        pm.fill(colour);
        return QIcon(pm);
    }

    static QColor centreOf(const QIcon &icon, QIcon::Mode mode)
    {
        return icon.pixmap(QSize(16, 16), mode).toImage().pixelColor(8, 8);
    }

    static const QString &treeSql()
    {
        static const QString sql = QStringLiteral(
            "select SVALUE, SEASY, 'null', 'null', 'null', 'null' from S_EASY where STABLE='TST' order by SEASY");
        return sql;
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    // --- map-list combo ------------------------------------------------------

    void mapListComboShowsNameStoresCode()
    {
        MapListCombo cb;
        cb.setMapList(true);
        cb.addListItems({QStringLiteral("机械\t1"), QStringLiteral("电气\t2"), QStringLiteral("无编码")});
        QCOMPARE(cb.count(), 3);
        QCOMPARE(cb.currentIndex(), -1);
        QCOMPARE(cb.currentCode(), QString());
        QCOMPARE(cb.itemText(1), QStringLiteral("电气"));

        cb.setCurrentCode(QStringLiteral("2"));
        QCOMPARE(cb.currentText(), QStringLiteral("电气"));
        QCOMPARE(cb.currentCode(), QStringLiteral("2"));
        cb.setCurrentIndex(2);
        QCOMPARE(cb.currentCode(), QStringLiteral("无编码"));

        // A code without an item means no selected item.
        cb.setCurrentCode(QStringLiteral("9"));
        QCOMPARE(cb.currentIndex(), -1);
        QCOMPARE(cb.currentCode(), QString());

        cb.setCurrentCode(QStringLiteral("1"));
        cb.clearSelection();
        QCOMPARE(cb.currentIndex(), -1);
        QCOMPARE(cb.currentText(), QString());

        // Without map-list mode an item is its whole text.
        cb.setMapList(false);
        QCOMPARE(cb.itemText(0), QStringLiteral("机械\t1"));
        cb.setCurrentCode(QStringLiteral("电气\t2"));
        QCOMPARE(cb.currentIndex(), 1);
        QCOMPARE(cb.currentCode(), QStringLiteral("电气\t2"));
        QCOMPARE(cb.listItems().at(0), QStringLiteral("机械\t1"));
    }

    void editableMapListComboKeepsTypedText()
    {
        MapListCombo cb;
        cb.setEditable(true);
        cb.setMapList(true);
        cb.addListItem(QStringLiteral("机械\t1"));
        QCOMPARE(cb.currentIndex(), -1);
        cb.setCurrentCode(QStringLiteral("1"));
        QCOMPARE(cb.currentCode(), QStringLiteral("1"));
        cb.setEditText(QStringLiteral("其他"));
        QCOMPARE(cb.currentCode(), QStringLiteral("其他"));
        cb.clearSelection();
        QCOMPARE(cb.currentCode(), QString());
    }

    // --- fillers -------------------------------------------------------------

    void fillComboMapped()
    {
        addPhrase(QStringLiteral("2"), QStringLiteral("乙"));
        addPhrase(QStringLiteral("1"), QStringLiteral("甲"));
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        MapListCombo cb;
        cb.addListItem(QStringLiteral("旧项"));
        QVERIFY(FillComboFromSql(ds, QStringLiteral("select SEASY, SVALUE from S_EASY where STABLE='TST' order by SEASY"), true, &cb));
        QVERIFY(cb.mapList());
        QCOMPARE(cb.listItems(), QStringList({QStringLiteral("甲\t1"), QStringLiteral("乙\t2")}));
        QCOMPARE(cb.itemText(0), QStringLiteral("甲"));
        QCOMPARE(cb.currentIndex(), -1);
        cb.setCurrentCode(QStringLiteral("2"));
        QCOMPARE(cb.currentText(), QStringLiteral("乙"));
        QVERIFY(boxes.shown.isEmpty());
    }

    void fillComboPlain()
    {
        addPhrase(QStringLiteral("b"), QStringLiteral("x"));
        addPhrase(QStringLiteral(""), QStringLiteral("y"));
        addPhrase(QString(), QStringLiteral("z"));
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        MapListCombo cb;
        cb.setMapList(true);
        QVERIFY(FillComboFromSql(ds, QStringLiteral("select SEASY, SVALUE from S_EASY where STABLE='TST' order by SVALUE"), false, &cb));
        QVERIFY(!cb.mapList());
        QCOMPARE(cb.listItems(), QStringList({QStringLiteral("b"), QStringLiteral("(空白)"), QStringLiteral("(空白)")}));
    }

    void fillComboFailure_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<bool>("mapped");
        QTest::addColumn<bool>("withStatement");
        QTest::newRow("bad statement") << "select from S_EASY where" << false << true;
        QTest::newRow("one column, mapped") << "select SEASY from S_EASY" << true << false;
    }
    void fillComboFailure()
    {
        QFETCH(QString, sql);
        QFETCH(bool, mapped);
        QFETCH(bool, withStatement);
        addPhrase(QStringLiteral("1"), QStringLiteral("甲"));
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        MapListCombo cb;
        cb.addListItem(QStringLiteral("旧项"));
        QVERIFY(!FillComboFromSql(ds, sql, mapped, &cb));
        QCOMPARE(cb.count(), 0);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("错误"));
        QVERIFY(!boxes.shown.first().text.isEmpty());
        QCOMPARE(boxes.shown.first().text.endsWith(sql), withStatement);
    }

    // --- save and undo buttons ---------------------------------------------

    void saveUndoFollowEditing()
    {
        run(QStringLiteral("insert into N_A(AS01) values('r')"));
        Dataset ds;
        QPushButton save, undo;
        QAction saveAction(nullptr), undoAction(nullptr);
        const auto check = [&](bool enabled) {
            SetSaveUndoButtons(ds, &save, &undo);
            SetSaveUndoButtons(ds, &saveAction, &undoAction);
            QCOMPARE(save.isEnabled(), enabled);
            QCOMPARE(undo.isEnabled(), enabled);
            QCOMPARE(saveAction.isEnabled(), enabled);
            QCOMPARE(undoAction.isEnabled(), enabled);
        };
        check(false); // closed
        ds.open(QStringLiteral("select * from N_A"));
        check(false);
        ds.edit();
        check(true);
        ds.cancel();
        check(false);
        ds.append();
        check(true);
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("s"));
        ds.post();
        check(false);
    }

    // --- tree fillers ------------------------------------------------------

    void addTreeNodeCarriesRecordAndImages()
    {
        QTreeWidget tree;
        SetTreeImages(&tree, {solid(Qt::red), solid(Qt::green), solid(Qt::blue), solid(Qt::yellow)});
        const TGRec rec{QStringLiteral("甲"), QStringLiteral("3"), QStringLiteral("null"), QStringLiteral("null"), QStringLiteral("null")};
        QTreeWidgetItem *top = AddTreeNode(&tree, nullptr, true, 0, 1, QStringLiteral("甲"), rec);
        QCOMPARE(tree.topLevelItemCount(), 1);
        QCOMPARE(top->text(0), QStringLiteral("甲"));
        QCOMPARE(TreeNodeRec(top), rec);
        QCOMPARE(TreeNodeRec(top).value(2), QStringLiteral("3"));
        QCOMPARE(TreeNodeImageIndex(top), 0);
        QCOMPARE(TreeNodeSelectedImageIndex(top), 1);
        QCOMPARE(centreOf(top->icon(0), QIcon::Normal), QColor(Qt::red));
        QCOMPARE(centreOf(top->icon(0), QIcon::Selected), QColor(Qt::green));

        QTreeWidgetItem *child = AddTreeNode(&tree, top, true, 2, 3, QStringLiteral("乙"), TGRec{});
        QCOMPARE(child->parent(), top);
        QCOMPARE(centreOf(child->icon(0), QIcon::Selected), QColor(Qt::yellow));

        QTreeWidgetItem *plain = AddTreeNode(&tree, top, false, 2, 3, QStringLiteral("丙"), rec);
        QCOMPARE(TreeNodeImageIndex(plain), -1);
        QVERIFY(plain->icon(0).isNull());
        QCOMPARE(TreeNodeRec(plain).s1, QStringLiteral("甲"));
    }

    void loadTopLevel()
    {
        addPhrase(QStringLiteral("2"), QStringLiteral("乙"));
        addPhrase(QStringLiteral("1"), QStringLiteral("甲"));
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        Dataset ds;
        QVERIFY(LoadTreeNodes(&tree, nullptr, false, 1, 0, true, treeSql(), ds));
        QCOMPARE(tree.topLevelItemCount(), 2);
        QTreeWidgetItem *first = tree.topLevelItem(0);
        QCOMPARE(first->text(0), QStringLiteral("甲"));
        QCOMPARE(TreeNodeRec(first), (TGRec{QStringLiteral("1"), QStringLiteral("null"), QStringLiteral("null"),
                                             QStringLiteral("null"), QStringLiteral("null")}));
        QCOMPARE(TreeNodeImageIndex(first), 0);
        QCOMPARE(TreeNodeSelectedImageIndex(first), 1);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(tree.topLevelItem(i)->childCount(), 1);
            QCOMPARE(tree.topLevelItem(i)->child(0)->text(0), QString());
        }
        QVERIFY(boxes.shown.isEmpty());
    }

    void loadChildren_data()
    {
        QTest::addColumn<bool>("leaf");
        QTest::newRow("inner level") << false;
        QTest::newRow("leaf level") << true;
    }
    void loadChildren()
    {
        QFETCH(bool, leaf);
        addPhrase(QStringLiteral("1"), QStringLiteral("甲"));
        addPhrase(QStringLiteral("2"), QStringLiteral("乙"));
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        Dataset ds;
        QVERIFY(LoadTreeNodes(&tree, nullptr, false, 1, 0, true, treeSql(), ds));
        QTreeWidgetItem *node = tree.topLevelItem(1);
        QVERIFY(LoadTreeNodes(&tree, node, leaf, 3, 2, true, treeSql(), ds));
        QCOMPARE(node->childCount(), 2);
        QCOMPARE(node->child(0)->text(0), QStringLiteral("甲"));
        QCOMPARE(TreeNodeSelectedImageIndex(node->child(1)), 3);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(node->child(i)->childCount(), leaf ? 0 : 1);
            if (!leaf)
                QCOMPARE(node->child(i)->child(0)->text(0), QString());
        }

        // Loaded once: a second expansion runs nothing, even a broken statement.
        QVERIFY(LoadTreeNodes(&tree, node, leaf, 3, 2, true, QStringLiteral("select broken"), ds));
        QCOMPARE(node->childCount(), 2);
        QVERIFY(boxes.shown.isEmpty());
    }

    void loadLeavesNodesWithoutPlaceholderAlone()
    {
        addPhrase(QStringLiteral("1"), QStringLiteral("甲"));
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        Dataset ds;
        QTreeWidgetItem *empty = AddTreeNode(&tree, nullptr, false, 0, 0, QStringLiteral("无子节点"), TGRec{});
        QVERIFY(LoadTreeNodes(&tree, empty, false, 1, 0, true, treeSql(), ds));
        QCOMPARE(empty->childCount(), 0);

        QTreeWidgetItem *named = AddTreeNode(&tree, nullptr, false, 0, 0, QStringLiteral("有子节点"), TGRec{});
        AddTreeNode(&tree, named, false, 0, 0, QStringLiteral("已有"), TGRec{});
        QVERIFY(LoadTreeNodes(&tree, named, false, 1, 0, true, treeSql(), ds));
        QCOMPARE(named->childCount(), 1);
        QCOMPARE(named->child(0)->text(0), QStringLiteral("已有"));
        QVERIFY(boxes.shown.isEmpty());
    }

    void loadFailureDropsPlaceholder()
    {
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        Dataset ds;
        QTreeWidgetItem *node = AddTreeNode(&tree, nullptr, false, 0, 0, QStringLiteral("甲"), TGRec{});
        AddTreeNode(&tree, node, false, 0, 0, QString(), TGRec{});
        const QString sql = QStringLiteral("select from nowhere where");
        QVERIFY(!LoadTreeNodes(&tree, node, false, 1, 0, true, sql, ds));
        QCOMPARE(node->childCount(), 0);
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown.first().text.endsWith(QStringLiteral("\n\r") + sql));
    }
};

QTEST_MAIN(TestWidgetHelpers)
#include "tst_widget_helpers.moc"

#include "TestStore.h"

#include "app/Conversions.h"
#include "app/MapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "browse/NavTree.h"
#include "browse/TreeStatements.h"
#include "data/Dataset.h"
#include "data/Schema.h"
#include "data/SharedState.h"

#include <QLineEdit>
#include <QTest>
#include <QTreeWidget>

namespace {

// Levels from field codes; the type letter is the code's own.
void setLevels(const QStringList &fields)
{
    for (int i = 0; i < 5; ++i) {
        const QString f = fields.value(i);
        shared().treeLevels[i] = TreeLevel{f, f.isEmpty() ? QString() : QString(Schema::fieldType(f))};
    }
}

QString lit(const QString &v)
{
    return v.isNull() ? QStringLiteral("null") : QuoteSql(v);
}

QString num(const QVariant &v)
{
    return v.isNull() ? QStringLiteral("null") : v.toString();
}

QStringList captions(const QTreeWidgetItem *node, const QTreeWidget &tree)
{
    QStringList out;
    const int n = node ? node->childCount() : tree.topLevelItemCount();
    for (int i = 0; i < n; ++i)
        out << (node ? node->child(i) : tree.topLevelItem(i))->text(0);
    return out;
}

QTreeWidgetItem *childByCaption(QTreeWidget &tree, QTreeWidgetItem *node, const QString &caption)
{
    const int n = node ? node->childCount() : tree.topLevelItemCount();
    for (int i = 0; i < n; ++i) {
        QTreeWidgetItem *c = node ? node->child(i) : tree.topLevelItem(i);
        if (c->text(0) == caption)
            return c;
    }
    return nullptr;
}

QStringList recList(const QTreeWidgetItem *node)
{
    const TGRec r = TreeNodeRec(node);
    return {r.s1, r.s2, r.s3, r.s4, r.s5};
}

} // namespace

class TestNavTree : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    void addVolume(const QString &as07, const QVariant &ai01, const QVariant &ac03, const QDate &ad01,
                   const QVariant &af01)
    {
        const QString day = ad01.isValid() ? DateToSqlNumber(shared().edition, ad01) : QStringLiteral("null");
        PELU_SQL(QStringLiteral("insert into N_A(AS07,AI01,AC03,AD01,AF01) values(%1,%2,%3,%4,%5)")
                     .arg(lit(as07), num(ai01), num(ac03), day, num(af01)));
    }

    void addCode(const QString &table, int code, const QString &name, int order)
    {
        PELU_SQL(QStringLiteral("insert into N_%1(%1,%1NAME,%1ORDER) values(%2,'%3',%4)")
                     .arg(table).arg(code).arg(name).arg(order));
    }

    // A small known set: nulls, a code missing from its table, a quote, dates.
    void fillVolumes()
    {
        PELU_SQL("delete from N_A");
        PELU_SQL("delete from N_AC03");
        addCode(QStringLiteral("AC03"), 1, QStringLiteral("机械"), 20);
        addCode(QStringLiteral("AC03"), 2, QStringLiteral("电气"), 10);
        addCode(QStringLiteral("AC03"), 3, QStringLiteral("土建"), 5);
        addCode(QStringLiteral("AC03"), 4, QStringLiteral("未用"), 1);
        const QDate jan1(2024, 1, 1), mar5(2024, 3, 5), feb29(2024, 2, 29), dec31(2023, 12, 31);
        addVolume(QStringLiteral("A1"), 3, 1, jan1, 1.5);
        addVolume(QStringLiteral("A1"), 3, 2, jan1, 2.5);
        addVolume(QStringLiteral("A1"), 3, 2, mar5, 0.25);
        addVolume(QStringLiteral("A1"), 3, 9, jan1, 9);   // code 9 has no row
        addVolume(QStringLiteral("A1"), 3, QVariant(), mar5, 3);
        addVolume(QStringLiteral("A1"), 1, 1, QDate(), QVariant());
        addVolume(QStringLiteral("A1"), QVariant(), 1, QDate(), 6);
        addVolume(QStringLiteral("A12"), 2, 3, dec31, 4);
        addVolume(QStringLiteral("B'Q"), 4, 2, feb29, 7.5);
        addVolume(QString(), 5, 1, QDate(), QVariant());
    }

    // Expands the path of captions from the top; null when a caption is missing.
    static QTreeWidgetItem *expandPath(QTreeWidget &tree, const QStringList &path)
    {
        QTreeWidgetItem *node = nullptr;
        for (const QString &caption : path) {
            node = childByCaption(tree, node, caption);
            if (!node)
                return nullptr;
            tree.expandItem(node);
        }
        return node;
    }

    static void click(QTreeWidget &tree, QTreeWidgetItem *node)
    {
        tree.scrollToItem(node);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, tree.visualItemRect(node).center());
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup()
    {
        m_store.reset();
        setLevels({});
    }

    // The texts as the tree writes them, and each one runs on the store.
    void statementTexts_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<int>("k");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("rows");
        QTest::newRow("code level 1") << QStringList{"AC03"} << 0 << QStringList()
                                      << QStringLiteral("select distinct b.AC03NAME,a.AC03,'null','null','null','null',"
                                                        "b.AC03ORDER  from N_A a , N_AC03 b  where a.AC03=b.AC03 "
                                                        "order by b.AC03ORDER")
                                      << 1;
        QTest::newRow("text level 1") << QStringList{"AS01"} << 0 << QStringList()
                                      << QStringLiteral("select distinct a.AS01,a.AS01 as a1,'null','null','null',"
                                                        "'null' from N_A a where a.AS01 is not null order by AS01")
                                      << 1;
        QTest::newRow("integer under text")
            << QStringList{"AS01", "AI01"} << 1 << QStringList{"甲"}
            << QStringLiteral("select distinct a.AI01,'甲',a.AI01 as a1,'null','null','null' from N_A a where "
                              "a.AS01='甲' and a.AI01 is not null order by AI01")
            << 1;
        QTest::newRow("code under integer")
            << QStringList{"AS01", "AI01", "AC02"} << 2 << QStringList{"甲", "3"}
            << QStringLiteral("select distinct b.AC02NAME,'甲','3',a.AC02,'null','null',b.AC02ORDER  from N_A a, "
                              "N_AC02 b  where a.AC02=b.AC02 and a.AS01='甲' and a.AI01=3 order by b.AC02ORDER")
            << 1;
        QTest::newRow("code at level 4")
            << QStringList{"AS01", "AI01", "AC02", "AC03"} << 3 << QStringList{"甲", "3", "1"}
            << QStringLiteral("select distinct b.AC03NAME,'甲','3','1',a.AC03 ,'null',b.AC03ORDER  from N_A a, "
                              "N_AC03 b  where a.AC03=b.AC03 and a.AS01='甲' and a.AI01=3 and a.AC02=1 order by "
                              "b.AC03ORDER")
            << 1;
        QTest::newRow("text leaf level")
            << QStringList{"AS01", "AI01", "AC02", "AC03", "AS02"} << 4 << QStringList{"甲", "3", "1", "2"}
            << QStringLiteral("select distinct a.AS02,'甲','3','1','2',a.AS02 as a1 from N_A a where a.AS01='甲' "
                              "and a.AI01=3 and a.AC02=1 and a.AC03=2 and a.AS02 is not null order by AS02")
            << 1;
        QTest::newRow("quote in a value")
            << QStringList{"AS02", "AS01"} << 1 << QStringList{"O'Neil"}
            << QStringLiteral("select distinct a.AS01,'O''Neil',a.AS01 as a1,'null','null','null' from N_A a where "
                              "a.AS02='O''Neil' and a.AS01 is not null order by AS01")
            << 1;
    }
    void statementTexts()
    {
        QFETCH(QStringList, fields);
        QFETCH(int, k);
        QFETCH(QStringList, values);
        QFETCH(QString, sql);
        QFETCH(int, rows);
        setLevels(fields);
        const QString made = k == 0 ? TreeRootSql(shared().treeLevels)
                                    : TreeChildSql(shared().treeLevels, k, values, shared().edition);
        QCOMPARE(made, sql);

        PELU_SQL("delete from N_A");
        PELU_SQL("delete from N_AC02");
        PELU_SQL("delete from N_AC03");
        addCode(QStringLiteral("AC02"), 1, QStringLiteral("一类"), 1);
        addCode(QStringLiteral("AC03"), 2, QStringLiteral("二类"), 1);
        PELU_SQL("insert into N_A(AS01,AS02,AI01,AC02,AC03) values('甲','O''Neil',3,1,2)");
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        QVERIFY(OpenSql(ds, sql));
        QCOMPARE(ds.recordCount(), rows);
        QCOMPARE(ds.fieldCount(), 6 + (fields.last().startsWith(QLatin1String("AC")) ? 1 : 0));
    }

    void quotedValues_data()
    {
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("single");
        QTest::addColumn<QString>("network");
        QTest::newRow("text") << "S" << "A'1" << "'A''1'" << "'A''1'";
        QTest::newRow("integer") << "I" << "12" << "12" << "12";
        QTest::newRow("float") << "F" << "2.5" << "2.5" << "2.5";
        QTest::newRow("code") << "C" << "3" << "3" << "3";
        // Day numbers: two fewer in the network edition.
        QTest::newRow("date") << "D" << "2024-01-01" << "45292" << "45290";
    }
    void quotedValues()
    {
        QFETCH(QString, type);
        QFETCH(QString, value);
        QFETCH(QString, single);
        QFETCH(QString, network);
        const TreeLevel level{QStringLiteral("X"), type};
        QCOMPARE(TreeQuotedValue(level, value, QStringLiteral("0")), single);
        QCOMPARE(TreeQuotedValue(level, value, QStringLiteral("1")), network);
    }

    // Children as the store holds them, level by level.
    void children_data()
    {
        QTest::addColumn<QStringList>("fields");
        QTest::addColumn<QStringList>("path");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("firstRec");
        const QStringList five{"AS07", "AI01", "AC03", "AD01", "AF01"};
        QTest::newRow("level 1 without nulls") << five << QStringList() << QStringList{"A1", "A12", "B'Q"}
                                               << QStringList{"A1", "null", "null", "null", "null"};
        QTest::newRow("integer level") << five << QStringList{"A1"} << QStringList{"1", "3"}
                                       << QStringList{"A1", "1", "null", "null", "null"};
        QTest::newRow("code level: used, known codes by ORDER")
            << five << QStringList{"A1", "3"} << QStringList{"电气", "机械"}
            << QStringList{"A1", "3", "2", "null", "null"};
        QTest::newRow("date level") << five << QStringList{"A1", "3", "电气"}
                                    << QStringList{"2024-01-01", "2024-03-05"}
                                    << QStringList{"A1", "3", "2", "2024-01-01", "null"};
        QTest::newRow("below a date level") << five << QStringList{"A1", "3", "电气", "2024-03-05"}
                                            << QStringList{"0.25"}
                                            << QStringList{"A1", "3", "2", "2024-03-05", "0.25"};
        QTest::newRow("quote in the path") << five << QStringList{"B'Q", "4", "电气", "2024-02-29"}
                                           << QStringList{"7.5"}
                                           << QStringList{"B'Q", "4", "2", "2024-02-29", "7.5"};
        QTest::newRow("code level 1") << QStringList{"AC03", "AS07"} << QStringList()
                                      << QStringList{"土建", "电气", "机械"}
                                      << QStringList{"3", "null", "null", "null", "null"};
        QTest::newRow("date level 1")
            << QStringList{"AD01", "AS07"} << QStringList()
            << QStringList{"2023-12-31", "2024-01-01", "2024-02-29", "2024-03-05"}
            << QStringList{"2023-12-31", "null", "null", "null", "null"};
        QTest::newRow("children of a date node")
            << QStringList{"AD01", "AS07"} << QStringList{"2024-03-05"} << QStringList{"A1"}
            << QStringList{"2024-03-05", "A1", "null", "null", "null"};
    }
    void children()
    {
        QFETCH(QStringList, fields);
        QFETCH(QStringList, path);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, firstRec);
        fillVolumes();
        setLevels(fields);
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        QWidget panel;
        Dataset scratch;
        NavTree nav(&tree, &panel, &scratch, [] {});
        QVERIFY(nav.BuildTreeRoot());
        QTreeWidgetItem *node = expandPath(tree, path);
        QVERIFY(path.isEmpty() || node);
        QCOMPARE(captions(node, tree), expected);
        const QTreeWidgetItem *first = node ? node->child(0) : tree.topLevelItem(0);
        QCOMPARE(recList(first), firstRec);

        // Levels 1-4 wait with an expand button, level 5 has none; images by level.
        const int level = path.size() + 1;
        const bool leaf = level == 5;
        QCOMPARE(first->childCount(), leaf ? 0 : 1);
        QCOMPARE(TreeNodeImageIndex(first), leaf ? 2 : 0);
        QCOMPARE(TreeNodeSelectedImageIndex(first), leaf ? 3 : 1);
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.shown.value(0).text));
    }

    void lastConfiguredLevelLosesItsButton()
    {
        fillVolumes();
        setLevels({"AS07", "AI01"});
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        QWidget panel;
        Dataset scratch;
        NavTree nav(&tree, &panel, &scratch, [] {});
        QVERIFY(nav.BuildTreeRoot());
        QTreeWidgetItem *three = expandPath(tree, {"A1", "3"});
        QVERIFY(three);
        QCOMPARE(three->childCount(), 0);
        QVERIFY(boxes.shown.isEmpty());
    }

    void noFirstLevelIsReported()
    {
        fillVolumes();
        setLevels({});
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        QWidget panel;
        Dataset scratch;
        NavTree nav(&tree, &panel, &scratch, [] {});
        QVERIFY(!nav.BuildTreeRoot());
        QCOMPARE(tree.topLevelItemCount(), 0);
        QCOMPARE(boxes.shown.size(), 1);
    }

    // After the tree settings: levels from S_TREE rows "1".."5" only, the
    // others emptied with their type letters kept, then the tree again.
    void reloadLevelsRebuilds()
    {
        fillVolumes();
        setLevels({"AS07", "AI01", "AC03", "AD01", "AF01"});
        PELU_SQL("delete from S_TREE");
        PELU_SQL("insert into S_TREE(STABLE,INO,SFIELD) values('N_A',2,'AI01')");
        PELU_SQL("insert into S_TREE(STABLE,INO,SFIELD) values('N_A',1,'AC03')");
        PELU_SQL("insert into S_TREE(STABLE,INO,SFIELD) values('N_A',6,'AS07')");
        PELU_SQL("insert into S_TREE(STABLE,INO,SFIELD) values('N_B',3,'BS01')");
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        QWidget panel;
        Dataset scratch;
        NavTree nav(&tree, &panel, &scratch, [] {});
        nav.reloadLevels();
        const TreeLevel(&levels)[5] = shared().treeLevels;
        QCOMPARE(levels[0].field, QStringLiteral("AC03"));
        QCOMPARE(levels[0].type, QStringLiteral("C"));
        QCOMPARE(levels[1].field, QStringLiteral("AI01"));
        QCOMPARE(levels[1].type, QStringLiteral("I"));
        for (int i = 2; i < 5; ++i)
            QVERIFY(levels[i].field.isEmpty());
        QCOMPARE(levels[3].type, QStringLiteral("D"));
        QCOMPARE(captions(nullptr, tree), (QStringList{"土建", "电气", "机械"}));
        QTreeWidgetItem *two = expandPath(tree, {"电气", "3"});
        QVERIFY(two);
        QCOMPARE(two->childCount(), 0);
        QVERIFY(boxes.shown.isEmpty());
    }

    // Loaded once until the tree is rebuilt, whatever the data do meanwhile.
    void loadedChildrenStay()
    {
        fillVolumes();
        setLevels({"AS07", "AI01", "AC03"});
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        QWidget panel;
        Dataset scratch;
        NavTree nav(&tree, &panel, &scratch, [] {});
        QVERIFY(nav.BuildTreeRoot());
        QTreeWidgetItem *a1 = expandPath(tree, {"A1"});
        QTreeWidgetItem *three = expandPath(tree, {"A1", "3"});
        QCOMPARE(captions(three, tree), (QStringList{"电气", "机械"}));
        addVolume(QStringLiteral("A1"), 8, 1, QDate(), QVariant());
        tree.collapseItem(a1);
        tree.collapseItem(three);
        tree.expandItem(a1);
        tree.expandItem(three);
        QCOMPARE(captions(a1, tree), (QStringList{"1", "3"}));
        QCOMPARE(captions(three, tree), (QStringList{"电气", "机械"}));

        QVERIFY(nav.BuildTreeRoot());
        QCOMPARE(captions(expandPath(tree, {"A1"}), tree), (QStringList{"1", "3", "8"}));
        QVERIFY(boxes.shown.isEmpty());
    }

    // The selected caption keeps the highlighted-text colour when another
    // window has the focus.
    void selectedCaptionColour()
    {
        fillVolumes();
        setLevels({"AS07"});
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        QWidget panel;
        Dataset scratch;
        NavTree nav(&tree, &panel, &scratch, [] {});
        QPalette pal = tree.palette();
        pal.setColor(QPalette::Active, QPalette::Highlight, QColor(0, 0, 128));
        pal.setColor(QPalette::Active, QPalette::HighlightedText, QColor(255, 255, 0));
        pal.setColor(QPalette::Inactive, QPalette::Highlight, QColor(200, 200, 200));
        pal.setColor(QPalette::Inactive, QPalette::HighlightedText, QColor(0, 0, 0));
        tree.setPalette(pal);
        QVERIFY(nav.BuildTreeRoot());
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QTreeWidgetItem *a1 = tree.topLevelItem(0);
        tree.setCurrentItem(a1);
        QLineEdit other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        QVERIFY(!tree.isActiveWindow());

        const QImage img = tree.viewport()->grab().toImage();
        const QRect r = tree.visualItemRect(a1);
        int yellow = 0, navy = 0;
        for (int y = r.top(); y <= r.bottom(); ++y) {
            for (int x = r.left(); x <= r.right(); ++x) {
                const QColor c = img.pixelColor(x, y);
                yellow += c == QColor(255, 255, 0);
                navy += c == QColor(0, 0, 128);
            }
        }
        QVERIFY(navy > 0);
        QVERIFY(yellow > 0);
    }

    void clickFillsPanelAndQueries()
    {
        fillVolumes();
        setLevels({"AS07", "AI01", "AC03", "AD01", "AF01"});
        ScopedScriptedMessageBoxes boxes;
        QTreeWidget tree;
        tree.resize(300, 600);
        QWidget panel;
        auto *as07 = new QLineEdit(&panel);
        as07->setObjectName(QStringLiteral("dbedAS07"));
        auto *ai01 = new QLineEdit(&panel);
        ai01->setObjectName(QStringLiteral("dbedAI01"));
        auto *af01 = new QLineEdit(&panel);
        af01->setObjectName(QStringLiteral("dbedAF01"));
        auto *ad01 = new QLineEdit(&panel); // date levels set nothing
        ad01->setObjectName(QStringLiteral("dbedAD01"));
        auto *ac03 = new MapListCombo(&panel);
        ac03->setObjectName(QStringLiteral("dbcbAC03"));
        ac03->setMapList(true);
        ac03->addListItems({QStringLiteral("机械\t1"), QStringLiteral("电气\t2")});
        Dataset scratch;
        int queries = 0;
        NavTree nav(&tree, &panel, &scratch, [&] { ++queries; });
        tree.show();
        QVERIFY(QTest::qWaitForWindowExposed(&tree));
        QVERIFY(nav.BuildTreeRoot());

        QTreeWidgetItem *three = expandPath(tree, {"A1", "3"});
        click(tree, three);
        QCOMPARE(queries, 1);
        QCOMPARE(as07->text(), QStringLiteral("A1"));
        QCOMPARE(ai01->text(), QStringLiteral("3"));
        QCOMPARE(ac03->currentIndex(), -1);

        QTreeWidgetItem *leaf = expandPath(tree, {"A1", "3", "电气", "2024-01-01", "2.5"});
        QVERIFY(leaf);
        click(tree, leaf);
        QCOMPARE(queries, 2);
        QCOMPARE(ac03->currentCode(), QStringLiteral("2"));
        QCOMPARE(af01->text(), QStringLiteral("2.5"));
        QCOMPARE(ad01->text(), QString());

        // A click clears nothing: the parent keeps the deeper values.
        QTreeWidgetItem *a1 = tree.topLevelItem(0);
        click(tree, a1);
        QCOMPARE(queries, 3);
        QCOMPARE(tree.currentItem(), a1);
        QCOMPARE(ai01->text(), QStringLiteral("3"));
        QCOMPARE(ac03->currentCode(), QStringLiteral("2"));

        // The expand button expands without querying.
        QTreeWidgetItem *a12 = tree.topLevelItem(1);
        QVERIFY(!a12->isExpanded());
        const QRect r = tree.visualItemRect(a12);
        QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, QPoint(r.left() - tree.indentation() / 2, r.center().y()));
        QVERIFY(a12->isExpanded());
        QCOMPARE(queries, 3);

        // Moving with the keys selects without querying.
        as07->clear();
        tree.setFocus();
        QTest::keyClick(&tree, Qt::Key_Down);
        QVERIFY(tree.currentItem() != a1);
        QCOMPARE(queries, 3);
        QCOMPARE(as07->text(), QString());

        nav.clearSelection();
        QVERIFY(tree.selectedItems().isEmpty());
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestNavTree)
#include "tst_navtree.moc"

#include "TestStore.h"

#include "app/DatasetModel.h"
#include "app/DbGrid.h"
#include "app/DbGridFooter.h"
#include "app/GridPrinter.h"
#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/Dataset.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPdfDocument>
#include <QPrinter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

namespace {

// One stored grid property: how to give it a value other than the designed
// one, and how to read it for comparison.
struct PropertyCase {
    const char *name;
    DbGrid::StoredProperty flag;
    std::function<void(DbGrid &)> change;
    std::function<QString(const DbGrid &)> read;
};

QString colourText(const QColor &c)
{
    return c.name();
}

const QList<PropertyCase> &propertyCases()
{
    static const QList<PropertyCase> cases = {
        {"colour", DbGrid::StoreColour, [](DbGrid &g) { g.setColor(QColor(1, 2, 3)); },
         [](const DbGrid &g) { return colourText(g.color()); }},
        {"even row colour", DbGrid::StoreEvenRowColour, [](DbGrid &g) { g.setEvenRowColor(QColor(10, 20, 30)); },
         [](const DbGrid &g) { return colourText(g.evenRowColor()); }},
        {"fixed colour", DbGrid::StoreFixedColour, [](DbGrid &g) { g.setFixedColor(QColor(203, 220, 169)); },
         [](const DbGrid &g) { return colourText(g.fixedColor()); }},
        {"flat", DbGrid::StoreFlat, [](DbGrid &g) { g.setFlat(!g.isFlat()); },
         [](const DbGrid &g) { return QString::number(g.isFlat()); }},
        {"font", DbGrid::StoreFont,
         [](DbGrid &g) {
             QFont f(QStringLiteral("WenQuanYi Micro Hei"), 13);
             f.setItalic(true);
             g.setFont(f);
         },
         [](const DbGrid &g) { return g.font().toString(); }},
        {"footer colour", DbGrid::StoreFooterColour, [](DbGrid &g) { g.setFooterColor(QColor(255, 250, 250)); },
         [](const DbGrid &g) { return colourText(g.footerColor()); }},
        {"footer row count", DbGrid::StoreFooterRowCount, [](DbGrid &g) { g.setFooterRowCount(1 - g.footerRowCount()); },
         [](const DbGrid &g) { return QString::number(g.footerRowCount()); }},
        {"height", DbGrid::StoreHeight, [](DbGrid &g) { g.resize(g.width(), 333); },
         [](const DbGrid &g) { return QString::number(g.height()); }},
        {"odd row colour", DbGrid::StoreOddRowColour, [](DbGrid &g) { g.setOddRowColor(QColor(245, 250, 237)); },
         [](const DbGrid &g) { return colourText(g.oddRowColor()); }},
        {"options", DbGrid::StoreOptions,
         [](DbGrid &g) { g.setOptions(DbGrid::RecordNumbers | DbGrid::Titles3D | DbGrid::RowSelect | DbGrid::RowResize); },
         [](const DbGrid &g) { return QString::number(int(g.options())); }},
        {"no options", DbGrid::StoreOptions, [](DbGrid &g) { g.setOptions({}); },
         [](const DbGrid &g) { return QString::number(int(g.options())); }},
        {"row height", DbGrid::StoreRowHeight, [](DbGrid &g) { g.setRowHeight(41); },
         [](const DbGrid &g) { return QString::number(g.rowHeight()); }},
        {"sums active", DbGrid::StoreSumsActive, [](DbGrid &g) { g.setSumsActive(!g.sumsActive()); },
         [](const DbGrid &g) { return QString::number(g.sumsActive()); }},
        {"title font", DbGrid::StoreTitleFont,
         [](DbGrid &g) {
             QFont f(QStringLiteral("WenQuanYi Micro Hei"));
             f.setPixelSize(19);
             f.setBold(true);
             g.setTitleFont(f);
         },
         [](const DbGrid &g) { return g.titleFont().toString(); }},
        {"title height", DbGrid::StoreTitleHeight, [](DbGrid &g) { g.setTitleHeight(80); },
         [](const DbGrid &g) { return QString::number(g.titleHeight()); }},
    };
    return cases;
}

// Every stored property as text, for "nothing else changed" checks.
QStringList allProperties(const DbGrid &g)
{
    QStringList out;
    for (const PropertyCase &c : propertyCases())
        out << QLatin1String(c.name) + QLatin1Char('=') + c.read(g);
    return out;
}

// Field names in grid order, hidden ones in brackets, with widths.
QString layoutOf(const DbGrid &g)
{
    QStringList out;
    for (int pos = 0; pos < g.columnCount(); ++pos) {
        const int col = g.columnAtPosition(pos);
        const QString f = g.columnField(col);
        out << (g.isColumnVisible(col) ? f + QLatin1Char(':') + QString::number(g.columnWidth(col))
                                        : QLatin1Char('(') + f + QLatin1Char(')'));
    }
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestDbGrid : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;
    QTemporaryDir m_dir;

    static void exec(const QString &sql)
    {
        QSqlQuery q(Connection::database());
        if (!q.exec(sql))
            QFAIL(qPrintable(q.lastError().text() + QLatin1Char(' ') + sql));
    }
    static QVariant scalar(const QString &sql)
    {
        QSqlQuery q(Connection::database());
        if (!q.exec(sql) || !q.next())
            return QStringLiteral("<error %1>").arg(q.lastError().text());
        return q.value(0);
    }

    // Volumes in AIID order: AS01 text, AI01 integer, AF01 float, AC01 code, AI02 flag.
    struct Volume {
        QString as01;
        QString ai01;
        QString af01;
        QString ac01;
        QString ai02;
    };
    void addVolumes(const QList<Volume> &rows)
    {
        auto lit = [](const QString &v) { return v.isNull() ? QStringLiteral("null") : v; };
        for (const Volume &v : rows) {
            exec(QStringLiteral("insert into N_A(AS01,AI01,AF01,AC01,AI02) values('%1',%2,%3,%4,%5)")
                     .arg(v.as01, lit(v.ai01), lit(v.af01), lit(v.ac01), lit(v.ai02)));
        }
    }
    static QString volumesSql() { return QStringLiteral("select * from N_A a where 1=1 order by AIID"); }

    static void designColumns(DbGrid &grid)
    {
        grid.addColumn(QStringLiteral("AS01"), QStringLiteral("题名"));
        grid.addColumn(QStringLiteral("AI01"), QStringLiteral("件数"));
        grid.addColumn(QStringLiteral("AF01"), QStringLiteral("页数"));
        grid.addColumn(QStringLiteral("AC01"), QStringLiteral("密级"));
        grid.addColumn(QStringLiteral("AI02"), QStringLiteral("标记"));
    }
    static QStringList shownColumn(DbGrid &grid, int col)
    {
        QStringList out;
        for (int r = 0; r < grid.model()->rowCount(); ++r)
            out << grid.model()->index(r, col).data().toString();
        return out;
    }
    static void show(DbGrid &grid)
    {
        grid.resize(640, 360);
        grid.show();
        QVERIFY(QTest::qWaitForWindowExposed(&grid));
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void initTestCase() { QVERIFY(m_dir.isValid()); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    // --- title buttons -------------------------------------------------------

    void titleClickCycle()
    {
        addVolumes({{QStringLiteral("乙"), QStringLiteral("2"), {}, {}, {}},
                    {QStringLiteral("甲"), QStringLiteral("3"), {}, {}, {}},
                    {QStringLiteral("丙"), QStringLiteral("1"), {}, {}, {}},
                    {QStringLiteral("丁"), {}, {}, {}, {}}});
        Dataset ds;
        ds.open(volumesSql());
        DbGrid grid;
        designColumns(grid);
        grid.setDataset(&ds);
        show(grid);
        QSignalSpy clicks(&grid, &DbGrid::titleBtnClick);
        const QStringList queryOrder{QStringLiteral("乙"), QStringLiteral("甲"), QStringLiteral("丙"), QStringLiteral("丁")};
        QCOMPARE(shownColumn(grid, 0), queryOrder);

        grid.setColumnSortMarker(0, Dataset::SortOrder::Ascending); // a marker left from before
        ds.setPos(1);                                               // 甲 is current

        // A real click on the title of AI01, then two more through the grid.
        QHeaderView *header = grid.horizontalHeader();
        const QPoint centre(header->sectionViewportPosition(1) + header->sectionSize(1) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, centre);
        QCOMPARE(clicks.count(), 1);
        QCOMPARE(clicks.at(0).at(0).toInt(), 1);
        QCOMPARE(grid.columnSortMarker(1), Dataset::SortOrder::Descending);
        QCOMPARE(shownColumn(grid, 1), (QStringList{QStringLiteral("3"), QStringLiteral("2"), QStringLiteral("1"), QString()}));
        QCOMPARE(grid.columnSortMarker(0), Dataset::SortOrder::Ascending);
        // The current record stays current, in the grid too.
        QCOMPARE(ds.value(QStringLiteral("AS01")).toString(), QStringLiteral("甲"));
        QCOMPARE(grid.currentIndex().row(), ds.pos());

        grid.clickTitle(1);
        QCOMPARE(grid.columnSortMarker(1), Dataset::SortOrder::Ascending);
        QCOMPARE(shownColumn(grid, 1), (QStringList{QString(), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("3")}));
        QCOMPARE(grid.columnSortMarker(0), Dataset::SortOrder::Ascending);

        grid.clickTitle(1);
        QCOMPARE(grid.columnSortMarker(1), Dataset::SortOrder::None);
        QCOMPARE(shownColumn(grid, 0), queryOrder);
        QCOMPARE(ds.sortOrder(), Dataset::SortOrder::None);
        QCOMPARE(grid.columnSortMarker(0), Dataset::SortOrder::Ascending);
        QCOMPARE(clicks.count(), 3);

        // Off: the click is only reported.
        grid.setTitleSort(false);
        grid.clickTitle(1);
        QCOMPARE(grid.columnSortMarker(1), Dataset::SortOrder::None);
        QCOMPARE(ds.sortOrder(), Dataset::SortOrder::None);
        QCOMPARE(clicks.count(), 4);
    }

    void titleClickOnEmptyGrid()
    {
        Dataset ds;
        ds.open(volumesSql());
        QVERIFY(ds.isEmpty());
        DbGrid grid;
        designColumns(grid);
        grid.setDataset(&ds);
        QSignalSpy clicks(&grid, &DbGrid::titleBtnClick);
        grid.clickTitle(1);
        QCOMPARE(grid.columnSortMarker(1), Dataset::SortOrder::None);
        QCOMPARE(ds.sortOrder(), Dataset::SortOrder::None);
        QCOMPARE(clicks.count(), 1);
        // Nor with a marker set: it stays as it is.
        grid.setColumnSortMarker(1, Dataset::SortOrder::Descending);
        grid.clickTitle(1);
        QCOMPARE(grid.columnSortMarker(1), Dataset::SortOrder::Descending);
    }

    // --- footer --------------------------------------------------------------

    void footerSums()
    {
        addVolumes({{QStringLiteral("a"), QStringLiteral("1"), QStringLiteral("1.5"), {}, {}},
                    {QStringLiteral("b"), {}, QStringLiteral("2.25"), {}, {}},
                    {QStringLiteral("c"), QStringLiteral("5"), {}, {}, {}}});
        Dataset ds;
        ds.open(volumesSql());
        DbGrid grid;
        designColumns(grid);
        grid.setColumnFooterSum(1, true);
        grid.setColumnFooterSum(2, true);
        grid.setDataset(&ds);

        QCOMPARE(grid.footerSum(1), 6.0);
        QCOMPARE(grid.footerSum(2), 3.75);
        QCOMPARE(grid.footerSum(0), 0.0);
        QCOMPARE(grid.footerText(1), QString()); // sums off
        grid.setSumsActive(true);
        QCOMPARE(grid.footerText(1), QStringLiteral("6"));
        QCOMPARE(grid.footerText(2), QStringLiteral("3.75"));
        QCOMPARE(grid.footerText(0), QString());

        // Values changed through the dataset are summed again.
        ds.setPos(1);
        ds.edit();
        ds.setValue(QStringLiteral("AI01"), 10);
        QCOMPARE(grid.footerSum(1), 16.0); // the row being edited counts
        ds.post();
        ds.append();
        ds.setValue(QStringLiteral("AF01"), 0.1);
        ds.post();
        QCOMPARE(grid.footerSum(1), 16.0);
        QCOMPARE(grid.footerText(2), QStringLiteral("3.85"));
        ds.setPos(0);
        ds.remove();
        QCOMPARE(grid.footerSum(1), 15.0);
        ds.close();
        QCOMPARE(grid.footerText(1), QString());
    }

    void footerRowFollowsTitles()
    {
        addVolumes({{QStringLiteral("a"), QStringLiteral("1111"), {}, {}, {}},
                    {QStringLiteral("b"), QStringLiteral("2222"), {}, {}, {}}});
        Dataset ds;
        ds.open(volumesSql());
        DbGrid grid;
        designColumns(grid);
        grid.setColumnFooterSum(1, true);
        grid.setDataset(&ds);
        grid.setFooterColor(QColor(0, 255, 0));
        grid.setFlat(true); // light lines: only the sum's text is dark
        grid.setSumsActive(true);
        show(grid);
        auto *footer = grid.findChild<DbGridFooter *>();
        QVERIFY(footer);
        QVERIFY(!footer->isVisible());
        const int fullHeight = grid.viewport()->height();

        grid.setFooterRowCount(1);
        QVERIFY(footer->isVisible());
        QCOMPARE(grid.viewport()->height(), fullHeight - footer->height());
        QCOMPARE(footer->geometry().top(), grid.viewport()->geometry().bottom() + 1);

        // Where the footer has dark (text) pixels, in footer coordinates.
        auto inkColumns = [&] {
            const QImage img = footer->grab().toImage();
            int lo = img.width();
            int hi = -1;
            for (int x = 0; x < img.width(); ++x) {
                for (int y = 2; y < img.height() - 2; ++y) {
                    if (qGray(img.pixel(x, y)) < 80) {
                        lo = qMin(lo, x);
                        hi = qMax(hi, x);
                    }
                }
            }
            return std::make_pair(lo, hi);
        };
        auto sectionSpan = [&](int col) {
            const int left = grid.verticalHeader()->isVisible() ? grid.verticalHeader()->width() : 0;
            const int x = left + grid.horizontalHeader()->sectionViewportPosition(col);
            return std::make_pair(x, x + grid.horizontalHeader()->sectionSize(col));
        };
        // Right-aligned under its title: inside the section, ending near its right edge.
        auto inside = [&](std::pair<int, int> ink, std::pair<int, int> span) {
            return ink.second >= 0 && ink.first >= span.first && ink.second < span.second && ink.second >= span.second - 12;
        };
        QVERIFY(inside(inkColumns(), sectionSpan(1)));

        // Moved to the far right and widened, then with record numbers on and
        // scrolled: the sum stays under its title.
        grid.horizontalHeader()->moveSection(grid.positionOfColumn(1), grid.columnCount() - 1);
        grid.setColumnWidth(1, 260);
        grid.setOption(DbGrid::RecordNumbers, true);
        grid.horizontalScrollBar()->setValue(grid.horizontalScrollBar()->maximum());
        QCoreApplication::processEvents();
        QVERIFY2(inside(inkColumns(), sectionSpan(1)), qPrintable(QStringLiteral("%1..%2 / %3..%4")
                                                                      .arg(inkColumns().first)
                                                                      .arg(inkColumns().second)
                                                                      .arg(sectionSpan(1).first)
                                                                      .arg(sectionSpan(1).second)));
        // Hidden column: no sum anywhere.
        grid.setColumnVisible(1, false);
        QCOMPARE(inkColumns().second, -1);
        grid.setColumnVisible(1, true);
        grid.setSumsActive(false);
        QCOMPARE(inkColumns().second, -1);

        grid.setFooterRowCount(0);
        QVERIFY(!footer->isVisible());
        QCOMPARE(grid.viewport()->height(), fullHeight);
    }

    // --- code and check-box columns ------------------------------------------

    void pickListsAndCheckBoxes()
    {
        addVolumes({{QStringLiteral("a"), {}, {}, QStringLiteral("1"), QStringLiteral("1")},
                    {QStringLiteral("b"), {}, {}, QStringLiteral("2"), QStringLiteral("0")},
                    {QStringLiteral("c"), {}, {}, QStringLiteral("9"), {}},
                    {QStringLiteral("d"), {}, {}, {}, QStringLiteral("2")}});
        Dataset ds;
        ds.open(volumesSql());
        DbGrid grid;
        designColumns(grid);
        grid.setDataset(&ds);
        FillColumnListsFromItems(&grid, 3, {QStringLiteral("机械\t1"), QStringLiteral("电气\t2")});
        QCOMPARE(grid.columnKeyList(3), (QStringList{QStringLiteral("1"), QStringLiteral("2")}));
        QCOMPARE(grid.columnPickList(3), (QStringList{QStringLiteral("机械"), QStringLiteral("电气")}));
        // A code not in the list shows as stored.
        QCOMPARE(shownColumn(grid, 3),
                 (QStringList{QStringLiteral("机械"), QStringLiteral("电气"), QStringLiteral("9"), QString()}));

        // Numbers stand right unless the column says otherwise.
        auto align = [&](int col) { return grid.model()->index(0, col).data(Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask; };
        QCOMPARE(align(0), int(Qt::AlignLeft));
        grid.setColumnAlignment(0, Qt::AlignHCenter);
        QCOMPARE(align(0), int(Qt::AlignHCenter));

        grid.setColumnCheckBox(4, true);
        QVERIFY(grid.isColumnCheckBox(4));
        QList<int> states;
        for (int r = 0; r < 4; ++r)
            states << grid.model()->index(r, 4).data(Qt::CheckStateRole).toInt();
        QCOMPARE(states, (QList<int>{Qt::Checked, Qt::Unchecked, Qt::Unchecked, Qt::Unchecked}));
        QCOMPARE(grid.model()->index(0, 4).data().toString(), QString()); // no text beside the box
        grid.setColumnCheckBox(4, true, QStringLiteral("2"), QStringLiteral("0"));
        QCOMPARE(grid.model()->index(3, 4).data(Qt::CheckStateRole).toInt(), int(Qt::Checked));
        QCOMPARE(grid.model()->index(0, 4).data(Qt::CheckStateRole).toInt(), int(Qt::Unchecked));
    }

    void fillColumnListsFromSql()
    {
        exec(QStringLiteral("delete from N_BC01"));
        exec(QStringLiteral("insert into N_BC01(BC01NAME,BC01ORDER) values(' 图纸 ',2)"));
        exec(QStringLiteral("insert into N_BC01(BC01NAME,BC01ORDER) values('文本',1)"));
        const int first = scalar(QStringLiteral("select BC01 from N_BC01 where BC01ORDER=1")).toInt();
        const int second = scalar(QStringLiteral("select BC01 from N_BC01 where BC01ORDER=2")).toInt();
        DbGrid grid;
        grid.addColumn(QStringLiteral("BC01"));
        Dataset qry;
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(FillColumnListsFromSql(&grid, 0, qry, QStringLiteral("select BC01, BC01NAME from N_BC01 order by BC01ORDER")));
        QCOMPARE(grid.columnKeyList(0), (QStringList{QString::number(first), QString::number(second)}));
        QCOMPARE(grid.columnPickList(0), (QStringList{QStringLiteral("文本"), QStringLiteral("图纸")}));
        QVERIFY(boxes.shown.isEmpty());

        // A failing statement is shown and leaves both lists empty.
        QVERIFY(!FillColumnListsFromSql(&grid, 0, qry, QStringLiteral("select BC01, BC01NAME from NO_SUCH_TABLE")));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).title, QStringLiteral("错误"));
        QVERIFY(grid.columnKeyList(0).isEmpty());
        QVERIFY(grid.columnPickList(0).isEmpty());
    }

    void automaticColumns()
    {
        Dataset ds;
        DbGrid grid;
        grid.setDataset(&ds);
        QCOMPARE(grid.columnCount(), 0);
        ds.open(QStringLiteral("select SUSERID, SUSERNAME from S_USER"));
        QCOMPARE(grid.columnCount(), 2);
        QCOMPARE(grid.columnTitle(1).toUpper(), QStringLiteral("SUSERNAME"));
        QCOMPARE(grid.model()->index(0, 0).data().toString(), QStringLiteral("0000"));
        // The layout of one field list does not carry over to another.
        grid.horizontalHeader()->moveSection(1, 0);
        grid.setColumnVisible(0, false);
        grid.setColumnWidth(1, 200);
        ds.open(QStringLiteral("select SUSERNAME, SUSERID, SPASSWORD from S_USER"));
        QCOMPARE(grid.columnCount(), 3);
        QCOMPARE(grid.columnField(0).toUpper(), QStringLiteral("SUSERNAME"));
        QCOMPARE(layoutOf(grid).toUpper(), QStringLiteral("SUSERNAME:75 SUSERID:75 SPASSWORD:75"));
        // The same field list again keeps what the user did.
        grid.setColumnVisible(2, false);
        ds.open(QStringLiteral("select SUSERNAME, SUSERID, SPASSWORD from S_USER where 1=1"));
        QVERIFY(!grid.isColumnVisible(2));
        // Designed columns replace the automatic ones and stay when it closes.
        grid.addColumn(QStringLiteral("SUSERID"), QStringLiteral("编号"));
        QCOMPARE(grid.columnCount(), 1);
        QCOMPARE(grid.model()->index(0, 0).data().toString(), QStringLiteral("0000"));
        ds.close();
        QCOMPARE(grid.columnCount(), 1);
        grid.clearColumns();
        QCOMPARE(grid.columnCount(), 0);
    }

    // --- current row ---------------------------------------------------------

    void currentRowBothWays()
    {
        addVolumes({{QStringLiteral("a"), {}, {}, {}, {}}, {QStringLiteral("b"), {}, {}, {}, {}},
                    {QStringLiteral("c"), {}, {}, {}, {}}, {QStringLiteral("d"), {}, {}, {}, {}}});
        Dataset ds;
        ds.open(volumesSql());
        DbGrid grid;
        designColumns(grid);
        grid.setOptions(DbGrid::RowSelect | DbGrid::RecordNumbers);
        grid.setDataset(&ds);
        show(grid);
        QCOMPARE(grid.currentIndex().row(), 0);

        ds.setPos(2);
        QCOMPARE(grid.currentIndex().row(), 2);
        const QModelIndexList rows = grid.selectionModel()->selectedRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows.at(0).row(), 2);

        // Keyboard and mouse move the dataset.
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(ds.pos(), 3);
        QTest::keyClick(&grid, Qt::Key_Home);
        QCOMPARE(ds.pos(), 0);
        QTest::keyClick(&grid, Qt::Key_End);
        QCOMPARE(ds.pos(), 3);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(grid.model()->index(1, 2)).center());
        QCOMPARE(ds.pos(), 1);
        QCOMPARE(grid.selectionModel()->selectedRows().value(0).row(), 1);

        // Record numbers 1..n.
        QCOMPARE(grid.model()->headerData(0, Qt::Vertical).toInt(), 1);
        QCOMPARE(grid.model()->headerData(3, Qt::Vertical).toInt(), 4);
        QVERIFY(grid.verticalHeader()->isVisible());
        grid.setOption(DbGrid::RecordNumbers, false);
        QVERIFY(!grid.verticalHeader()->isVisible());

        // A new query: the grid shows its rows and its first row.
        ds.open(QStringLiteral("select * from N_A a where AS01='c'"));
        QCOMPARE(grid.model()->rowCount(), 1);
        QCOMPARE(grid.currentIndex().row(), 0);
        ds.close();
        QCOMPARE(grid.model()->rowCount(), 0);
        QVERIFY(!grid.currentIndex().isValid());
    }

    // --- editing -------------------------------------------------------------

    void editingInPlace()
    {
        addVolumes({{QStringLiteral("a"), QStringLiteral("1"), {}, QStringLiteral("1"), QStringLiteral("0")},
                    {QStringLiteral("b"), QStringLiteral("2"), {}, QStringLiteral("1"), QStringLiteral("0")}});
        Dataset ds;
        ds.open(volumesSql());
        const int id0 = ds.value(QStringLiteral("AIID")).toInt();
        DbGrid grid;
        designColumns(grid);
        grid.setOptions(grid.options() | DbGrid::Editing);
        grid.setDataset(&ds);
        FillColumnListsFromItems(&grid, 3, {QStringLiteral("机械\t1"), QStringLiteral("电气\t2")});
        grid.setColumnCheckBox(4, true);
        show(grid);
        ScopedScriptedMessageBoxes boxes;

        // Text typed into the cell editor goes into the dataset's row.
        const QModelIndex title = grid.model()->index(0, 0);
        grid.setCurrentIndex(title);
        grid.edit(title);
        auto *line = grid.viewport()->findChild<QLineEdit *>();
        QVERIFY(line);
        line->selectAll();
        line->insert(QStringLiteral("新题名"));
        QTest::keyClick(line, Qt::Key_Return); // the delegate commits from the event loop
        QTRY_COMPARE(ds.value(QStringLiteral("AS01")).toString(), QStringLiteral("新题名"));
        QCOMPARE(ds.state(), Dataset::State::Edit);

        // A code edits with the pick list and stores the key.
        const QModelIndex code = grid.model()->index(0, 3);
        grid.setCurrentIndex(code);
        grid.edit(code);
        auto *combo = grid.viewport()->findChild<QComboBox *>();
        QVERIFY(combo);
        QCOMPARE(combo->currentText(), QStringLiteral("机械"));
        combo->setCurrentIndex(1);
        QTest::keyClick(combo, Qt::Key_Return);
        QTRY_COMPARE(ds.value(QStringLiteral("AC01")).toInt(), 2);
        QCOMPARE(code.data().toString(), QStringLiteral("电气"));

        // A check-box cell toggles on a click.
        const QModelIndex flag = grid.model()->index(0, 4);
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(flag).center());
        QCOMPARE(ds.value(QStringLiteral("AI02")).toInt(), 1);

        // Moving to the next row posts.
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(ds.pos(), 1);
        QCOMPARE(ds.state(), Dataset::State::Browse);
        const QString where = QStringLiteral(" from N_A where AIID=%1").arg(id0);
        QCOMPARE(scalar(QStringLiteral("select AS01") + where).toString(), QStringLiteral("新题名"));
        QCOMPARE(scalar(QStringLiteral("select AC01") + where).toInt(), 2);
        QCOMPARE(scalar(QStringLiteral("select AI02") + where).toInt(), 1);
        QVERIFY(boxes.shown.isEmpty());

        // A value the field cannot take is shown, not stored.
        QVERIFY(!grid.model()->setData(grid.model()->index(1, 1), QStringLiteral("abc")));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).title, QStringLiteral("错误"));
        QVERIFY(boxes.shown.at(0).text.contains(QStringLiteral("abc")));
        QCOMPARE(ds.value(QStringLiteral("AI01")).toInt(), 2);

        // A row the store refuses stays current with the user's values.
        boxes.clear();
        QVERIFY(grid.model()->setData(grid.model()->index(1, 1), 7));
        exec(QStringLiteral("alter table N_A rename to N_A_GONE"));
        QTest::keyClick(&grid, Qt::Key_Up);
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).title, QStringLiteral("错误"));
        QCOMPARE(ds.pos(), 1);
        QCOMPARE(ds.state(), Dataset::State::Edit);
        QTRY_COMPARE(grid.currentIndex().row(), 1);
        exec(QStringLiteral("alter table N_A_GONE rename to N_A"));
        ds.post();

        // Escape drops a pending change.
        QVERIFY(grid.model()->setData(grid.model()->index(1, 0), QStringLiteral("不要")));
        QTest::keyClick(&grid, Qt::Key_Escape);
        QCOMPARE(ds.state(), Dataset::State::Browse);
        QCOMPARE(ds.value(QStringLiteral("AS01")).toString(), QStringLiteral("b"));

        // Without the Editing option nothing is editable.
        grid.setOption(DbGrid::Editing, false);
        QVERIFY(!(grid.model()->flags(grid.model()->index(0, 0)) & Qt::ItemIsEditable));
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, grid.visualRect(flag).center());
        QCOMPARE(ds.state(), Dataset::State::Browse);
    }

    // --- appearance file -----------------------------------------------------

    void storedPropertyRoundTrip_data()
    {
        QTest::addColumn<int>("which");
        for (int i = 0; i < propertyCases().size(); ++i)
            QTest::newRow(propertyCases().at(i).name) << i;
    }
    void storedPropertyRoundTrip()
    {
        QFETCH(int, which);
        const PropertyCase &pc = propertyCases().at(which);
        const QString path = m_dir.filePath(QStringLiteral("rt%1.ini").arg(which));
        DbGrid designed;
        const QStringList before = allProperties(designed);
        {
            DbGrid grid;
            pc.change(grid);
            QVERIFY2(pc.read(grid) != pc.read(designed), pc.name);
            QSettings settings(path, QSettings::IniFormat);
            settings.beginGroup(QStringLiteral("dbgrid1"));
            grid.saveState(settings, pc.flag);
        }
        DbGrid restored;
        QSettings settings(path, QSettings::IniFormat);
        settings.beginGroup(QStringLiteral("dbgrid1"));
        restored.restoreState(settings, DbGrid::StoreAll);
        DbGrid expected;
        pc.change(expected);
        QCOMPARE(pc.read(restored), pc.read(expected));
        // Nothing else came from the file.
        QStringList after = allProperties(restored);
        QStringList wanted = before;
        for (int i = 0; i < propertyCases().size(); ++i) {
            if (propertyCases().at(i).flag == pc.flag)
                wanted[i] = after[i];
        }
        QCOMPARE(after, wanted);
    }

    void columnLayoutByFieldName()
    {
        const QString path = m_dir.filePath(QStringLiteral("columns.ini"));
        {
            DbGrid grid;
            for (const char *f : {"AS01", "AS02", "AI01", "AF01"})
                grid.addColumn(QLatin1String(f));
            grid.horizontalHeader()->moveSection(3, 0); // AF01 AS01 AS02 AI01
            grid.setColumnWidth(2, 140);                 // AI01
            grid.setColumnVisible(0, false);             // AS01 hidden
            grid.setColumnWidth(1, 90);
            QCOMPARE(layoutOf(grid), QStringLiteral("AF01:75 (AS01) AS02:90 AI01:140"));
            QSettings s(path, QSettings::IniFormat);
            grid.saveState(s, DbGrid::StoreColumns);
        }
        // The same design gets the same layout back.
        {
            DbGrid grid;
            for (const char *f : {"AS01", "AS02", "AI01", "AF01"})
                grid.addColumn(QLatin1String(f));
            QSettings s(path, QSettings::IniFormat);
            grid.restoreState(s, DbGrid::StoreAll);
            QCOMPARE(layoutOf(grid), QStringLiteral("AF01:75 (AS01) AS02:90 AI01:140"));
            grid.setColumnVisible(0, true);
            QCOMPARE(grid.columnWidth(0), 75);
        }
        // A later design without AS02 and with a new AS03: the others keep
        // their place, width and visibility; the new one keeps its designed place.
        {
            DbGrid grid;
            for (const char *f : {"as01", "AI01", "AF01", "AS03"})
                grid.addColumn(QLatin1String(f), QString(), 60);
            QSettings s(path, QSettings::IniFormat);
            grid.restoreState(s, DbGrid::StoreAll);
            QCOMPARE(layoutOf(grid), QStringLiteral("AF01:75 (as01) AI01:140 AS03:60"));
        }
    }

    void unreadableFileKeepsDesign_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("missing") << QByteArray();
        QTest::newRow("nonsense values")
            << QByteArray("[dbgrid1]\nColor=blau\nFixedColor=#12\nOddRowColor=\nFlat=vielleicht\nFont=,,,\n"
                          "TitleFont=\nFooterRowCount=7\nHeight=-4\nOptions=RowSelect|Wings\nRowHeight=abc\n"
                          "SumsActive=2\nTitleHeight=121\nColumns\\size=2\nColumns\\1\\Field=NOPE\n"
                          "Columns\\2\\Field=AI01\nColumns\\2\\Width=zero\nColumns\\2\\Visible=maybe\n");
        QTest::newRow("binary") << QByteArray("\xff\xfe\x00\x01[[[=\n\x80\x81=\x00\n[dbgrid1\nColor", 32);
    }
    void unreadableFileKeepsDesign()
    {
        QFETCH(QByteArray, content);
        const QString path = m_dir.filePath(QStringLiteral("broken-%1.ini").arg(QTest::currentDataTag()));
        if (!content.isNull()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        DbGrid grid;
        for (const char *f : {"AS01", "AI01"})
            grid.addColumn(QLatin1String(f), QString(), 66);
        const QStringList look = allProperties(grid);
        const QString layout = layoutOf(grid);
        QSettings s(path, QSettings::IniFormat);
        s.beginGroup(QStringLiteral("dbgrid1"));
        grid.restoreState(s, DbGrid::StoreAll);
        QCOMPARE(allProperties(grid), look);
        QCOMPARE(layoutOf(grid), layout);
    }

    void lookAndCopy()
    {
        DbGrid grid;
        designColumns(grid);
        show(grid);
        // Title height: fits the title font at 0, as set up to 120.
        grid.setTitleHeight(0);
        QFont big(QStringLiteral("WenQuanYi Micro Hei"));
        big.setPixelSize(30);
        grid.setTitleFont(big);
        QVERIFY(grid.horizontalHeader()->height() >= QFontMetrics(big).height());
        grid.setTitleHeight(44);
        QCOMPARE(grid.horizontalHeader()->height(), 44);
        grid.setTitleHeight(200);
        QCOMPARE(grid.titleHeight(), 120);
        QCOMPARE(grid.horizontalHeader()->height(), 120);

        // Titles in the fixed colour; flat and raised titles look different.
        grid.setFixedColor(QColor(188, 213, 236));
        grid.setFlat(true);
        const QImage flat = grid.horizontalHeader()->grab().toImage();
        QCOMPARE(flat.pixelColor(3, 3), QColor(188, 213, 236));
        grid.setFlat(false);
        grid.setOption(DbGrid::Titles3D, true);
        const QImage raised = grid.horizontalHeader()->grab().toImage();
        QVERIFY(flat != raised);

        // The copy takes the look, not the row height or the selected colour.
        DbGrid other;
        other.setRowHeight(33);
        grid.setColor(QColor(1, 1, 1));
        grid.setOddRowColor(QColor(2, 2, 2));
        grid.setEvenRowColor(QColor(3, 3, 3));
        grid.setFooterColor(QColor(4, 4, 4));
        grid.setFooterRowCount(1);
        grid.setSumsActive(true);
        grid.setSelectedRowColor(QColor(5, 5, 5));
        grid.setRowHeight(50);
        grid.setOptions(DbGrid::RowSelect | DbGrid::RecordNumbers | DbGrid::Titles3D);
        other.copyAppearanceFrom(grid);
        QStringList a = allProperties(grid);
        QStringList b = allProperties(other);
        const int height = 7;  // "height" case: the widget's own height
        const int rowHeight = 11;
        QCOMPARE(QString::fromLatin1(propertyCases().at(height).name), QStringLiteral("height"));
        QCOMPARE(QString::fromLatin1(propertyCases().at(rowHeight).name), QStringLiteral("row height"));
        a.removeAt(rowHeight);
        b.removeAt(rowHeight);
        a.removeAt(height);
        b.removeAt(height);
        QCOMPARE(b, a);
        QCOMPARE(other.footerFont(), grid.footerFont());
        QCOMPARE(other.rowHeight(), 33);
        QVERIFY(!other.selectedRowColor().isValid());
    }

    // --- printing ------------------------------------------------------------

    void gridListing()
    {
        QList<Volume> rows;
        for (int i = 1; i <= 150; ++i)
            rows << Volume{QStringLiteral("题名%1").arg(i), QString::number(i), {}, QString::number(i % 2 + 1), {}};
        addVolumes(rows);
        Dataset ds;
        ds.open(volumesSql());
        DbGrid grid;
        designColumns(grid);
        grid.setDataset(&ds);
        FillColumnListsFromItems(&grid, 3, {QStringLiteral("机械\t1"), QStringLiteral("电气\t2")});
        grid.setColumnFooterSum(1, true);
        grid.setFooterRowCount(1);
        grid.setSumsActive(true);
        grid.setColumnVisible(2, false);

        GridPrintSettings settings;
        settings.pageHeader = QStringLiteral("文件信息");
        settings.marginsMm = QMarginsF(1.5, 1.5, 1.5, 1.5);
        auto render = [&](const QString &name, QPageLayout::Orientation orientation, int *pages) {
            const QString path = m_dir.filePath(name);
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            printer.setPageSize(QPageSize(QPageSize::A4));
            printer.setPageOrientation(orientation);
            printer.setPageMargins(settings.marginsMm, QPageLayout::Millimeter);
            *pages = PrintGrid(&grid, settings, &printer);
            return path;
        };
        int portrait = 0;
        const QString path = render(QStringLiteral("portrait.pdf"), QPageLayout::Portrait, &portrait);
        QVERIFY(portrait > 1);
        QPdfDocument doc;
        QCOMPARE(doc.load(path), QPdfDocument::Error::None);
        QCOMPARE(doc.pageCount(), portrait);
        const QString first = doc.getAllText(0).text();
        const QString last = doc.getAllText(portrait - 1).text();
        for (const QString &page : {first, last}) {
            QVERIFY2(page.contains(QStringLiteral("文件信息")), qPrintable(page.left(200)));
            QVERIFY(page.contains(QStringLiteral("题名")) && page.contains(QStringLiteral("件数")));
            QVERIFY(!page.contains(QStringLiteral("页数"))); // hidden column
        }
        QVERIFY(first.contains(QStringLiteral("机械")) && first.contains(QStringLiteral("电气")));
        QVERIFY(!first.contains(QStringLiteral("题名150")));
        QVERIFY(last.contains(QStringLiteral("题名150")));
        QVERIFY(last.contains(QStringLiteral("11325"))); // 1 + 2 + ... + 150
        QVERIFY(!first.contains(QStringLiteral("11325")));

        // Every row is printed once.
        QString all;
        for (int p = 0; p < portrait; ++p)
            all += doc.getAllText(p).text() + QLatin1Char('\n');
        for (int i : {1, 37, 99, 150})
            QCOMPARE(all.count(QRegularExpression(QStringLiteral("题名%1\\b").arg(i))), 1);

        // Landscape pages hold fewer rows.
        int landscape = 0;
        render(QStringLiteral("landscape.pdf"), QPageLayout::Landscape, &landscape);
        QVERIFY(landscape > portrait);

        // Not fitted, columns too wide for one page continue on further pages.
        for (int c = 0; c < grid.columnCount(); ++c)
            grid.setColumnWidth(c, 400);
        settings.fitToPageWidth = false;
        int wide = 0;
        render(QStringLiteral("wide.pdf"), QPageLayout::Portrait, &wide);
        QVERIFY(wide >= 2 * portrait);
    }

    void sharedPrinterKeepsOrientation()
    {
        QPrinter *printer = SharedGridPrinter();
        QVERIFY(printer);
        printer->setPageOrientation(QPageLayout::Landscape);
        QCOMPARE(SharedGridPrinter(), printer);
        QCOMPARE(SharedGridPrinter()->pageLayout().orientation(), QPageLayout::Landscape);
        printer->setPageOrientation(QPageLayout::Portrait);
    }
};

QTEST_MAIN(TestDbGrid)
#include "tst_dbgrid.moc"

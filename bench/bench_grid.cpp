// The data grid over the volume table of a demo store:
//  - a title-click sort on a text and on an integer column, against
//    std::stable_sort of the same keys (texts by their collation keys in the
//    same Chinese collation) in the same run;
//  - scrolling from the first to the last row by pages, time per page against
//    painting the same page from a plain in-memory table model.
//
//   bench_grid [--sizes 1000000] [--pages N] [--cache DIR] [--admin PATH]
//
// Environment: PELU_BENCH_SIZES, PELU_ADMIN. Runs on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise.

#include "BenchStores.h"

#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "data/Connection.h"
#include "data/Dataset.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCollator>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

namespace {

const QString kSql = QStringLiteral("select * from N_A a where 1=1");

// The baseline: cell texts already in memory, no colours, no lookups.
class PlainModel : public QAbstractTableModel {
public:
    int rows = 0;
    int cols = 0;
    int firstRow = 0;
    std::vector<QString> cells; // the page on screen, row-major from firstRow

    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : rows; }
    int columnCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : cols; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return QVariant();
        const std::size_t i = std::size_t(index.row() - firstRow) * cols + index.column();
        return index.row() >= firstRow && i < cells.size() ? QVariant(cells[i]) : QVariant();
    }
};

double seconds(QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e9;
}

struct SortResult {
    QString field;
    double grid = 0, baseline = 0;
};

// Best of three: the title click (none -> descending) against the stable
// sort of the keys the click sorts by.
SortResult benchSort(Dataset &ds, DbGrid &grid, const QString &field)
{
    SortResult r;
    r.field = field;
    const int col = grid.columnByField(field);
    const int dsCol = ds.fieldIndex(field);
    const int n = ds.recordCount();
    const bool text = ds.fieldKind(dsCol) == Dataset::FieldKind::Text;

    std::vector<double> gridTimes, baseTimes;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer t;
        t.start();
        grid.clickTitle(col);
        gridTimes.push_back(seconds(t));
        if (grid.columnSortMarker(col) != Dataset::SortOrder::Descending)
            throw AppError(QStringLiteral("the title click did not sort"));
        grid.clickTitle(col); // ascending
        grid.clickTitle(col); // back to the query's order

        std::vector<int> order(n);
        std::iota(order.begin(), order.end(), 0);
        if (text) {
            QCollator collator(QLocale(QLocale::Chinese, QLocale::China));
            std::vector<QCollatorSortKey> keys;
            keys.reserve(n);
            for (int i = 0; i < n; ++i)
                keys.push_back(collator.sortKey(ds.textAt(i, dsCol)));
            t.restart();
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[b].compare(keys[a]) < 0; });
            baseTimes.push_back(seconds(t));
        } else {
            std::vector<qint64> keys(n);
            for (int i = 0; i < n; ++i)
                keys[i] = ds.isNullAt(i, dsCol) ? std::numeric_limits<qint64>::min() : ds.valueAt(i, dsCol).toLongLong();
            t.restart();
            std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[b] < keys[a]; });
            baseTimes.push_back(seconds(t));
        }
    }
    r.grid = *std::min_element(gridTimes.begin(), gridTimes.end());
    r.baseline = *std::min_element(baseTimes.begin(), baseTimes.end());
    return r;
}

struct ScrollResult {
    int pages = 0, rowsPerPage = 0;
    double grid = 0, baseline = 0; // seconds per page
};

// Pages from the first to the last row, evenly spread when there are more
// than maxPages; each page is painted by the grid and by a plain table view of
// the same size, fonts, columns and row height.
ScrollResult benchScroll(Dataset &ds, DbGrid &grid, int maxPages)
{
    ScrollResult r;
    QTableView plain;
    PlainModel model;
    model.rows = ds.recordCount();
    model.cols = grid.columnCount();
    plain.setModel(&model);
    plain.setFont(grid.font());
    plain.horizontalHeader()->setFont(grid.titleFont());
    plain.verticalHeader()->setDefaultSectionSize(grid.rowHeight());
    plain.verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    plain.verticalHeader()->hide();
    for (int c = 0; c < model.cols; ++c)
        plain.setColumnWidth(c, grid.columnWidth(c));
    plain.resize(grid.size());
    plain.show();
    QApplication::processEvents();

    r.rowsPerPage = std::max(1, grid.viewport()->height() / grid.rowHeight());
    const int lastTop = std::max(0, model.rows - r.rowsPerPage);
    const int allPages = lastTop / r.rowsPerPage + 1;
    const int stride = std::max(1, (allPages + maxPages - 1) / maxPages);
    std::vector<int> dsCols(model.cols);
    for (int c = 0; c < model.cols; ++c)
        dsCols[c] = ds.fieldIndex(grid.columnField(c));

    double gridTotal = 0, plainTotal = 0;
    for (int page = 0; page < allPages; page += stride) {
        const int top = std::min(lastTop, page * r.rowsPerPage);
        // The baseline's page is in memory before its timing starts.
        model.firstRow = top;
        model.cells.assign(std::size_t(r.rowsPerPage + 2) * model.cols, QString());
        for (int row = top; row < std::min(model.rows, top + r.rowsPerPage + 2); ++row)
            for (int c = 0; c < model.cols; ++c)
                model.cells[std::size_t(row - top) * model.cols + c] = ds.textAt(row, dsCols[c]);

        QElapsedTimer t;
        t.start();
        grid.verticalScrollBar()->setValue(top);
        grid.viewport()->repaint();
        gridTotal += seconds(t);

        t.restart();
        plain.verticalScrollBar()->setValue(top);
        plain.viewport()->repaint();
        plainTotal += seconds(t);
        ++r.pages;
    }
    r.grid = gridTotal / r.pages;
    r.baseline = plainTotal / r.pages;
    return r;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setBenchFont();

    BenchStoreOptions stores;
    stores.pg.clear();
    stores.admin = qEnvironmentVariable("PELU_ADMIN");
    QList<qint64> sizes = benchSizes({1000000});
    int maxPages = 2000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args.at(i) == QLatin1String("--sizes")) {
            sizes = parseSizes(args.at(i + 1));
        } else if (args.at(i) == QLatin1String("--pages")) {
            maxPages = args.at(i + 1).toInt();
        } else if (args.at(i) == QLatin1String("--cache")) {
            stores.cache = args.at(i + 1);
        } else if (args.at(i) == QLatin1String("--admin")) {
            stores.admin = args.at(i + 1);
        } else {
            std::fprintf(stderr, "usage: bench_grid [--sizes N,N] [--pages N] [--cache DIR] [--admin PATH]\n");
            return 2;
        }
    }
    if (stores.admin.isEmpty())
        stores.admin = QCoreApplication::applicationDirPath() + QStringLiteral("/pelu-admin");

    int failures = 0;
    for (const qint64 n : sizes) {
        try {
            say(QStringLiteral("SQLite, %1 volumes").arg(n));
            openSqliteBenchStore(stores, n);
            Dataset ds;
            ds.open(kSql);
            DbGrid grid;
            grid.setDataset(&ds);
            grid.setRowHeight(25);
            grid.resize(1200, 800);
            grid.show();
            QApplication::processEvents();

            say(QStringLiteral("Title-click sort of %1 rows against std::stable_sort of the same keys (target ratio <= 2)").arg(ds.recordCount()));
            for (const QString &field : {QStringLiteral("AS01"), QStringLiteral("AI02")}) {
                const SortResult s = benchSort(ds, grid, field);
                const double ratio = s.grid / s.baseline;
                failures += ratio > 2 ? 1 : 0;
                say(QStringLiteral("  %1: grid %2 s, stable_sort %3 s, ratio %4 %5")
                        .arg(s.field)
                        .arg(s.grid, 0, 'f', 3)
                        .arg(s.baseline, 0, 'f', 3)
                        .arg(ratio, 0, 'f', 2)
                        .arg(ratio <= 2 ? QStringLiteral("ok") : QStringLiteral("MISSED")));
            }

            const ScrollResult sc = benchScroll(ds, grid, maxPages);
            const double ratio = sc.grid / sc.baseline;
            failures += ratio > 1.5 ? 1 : 0;
            say(QStringLiteral("Scrolling by pages (%1 rows a page, %2 pages from first to last): grid %3 ms a page, "
                               "plain model %4 ms a page, ratio %5 %6 (target <= 1.5)")
                    .arg(sc.rowsPerPage)
                    .arg(sc.pages)
                    .arg(sc.grid * 1000, 0, 'f', 3)
                    .arg(sc.baseline * 1000, 0, 'f', 3)
                    .arg(ratio, 0, 'f', 2)
                    .arg(ratio <= 1.5 ? QStringLiteral("ok") : QStringLiteral("MISSED")));
            ds.close();
            Connection::close();
        } catch (const AppError &e) {
            Connection::close();
            say(QStringLiteral("  failed: %1").arg(e.message()));
            ++failures;
        }
    }
    return failures == 0 ? 0 : 1;
}

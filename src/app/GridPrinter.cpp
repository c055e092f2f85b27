#include "app/GridPrinter.h"

#include "app/DatasetModel.h"
#include "app/DbGrid.h"

#include <QCoreApplication>
#include <QHeaderView>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace {

QFont songti(int pointSize, bool bold)
{
    QFont f(QStringLiteral("宋体"), pointSize);
    // 宋体 is not on every desktop; the fallback still renders Chinese.
    f.setFamilies({QStringLiteral("宋体"), QStringLiteral("SimSun"), QStringLiteral("WenQuanYi Micro Hei")});
    f.setBold(bold);
    return f;
}

QPrinter *g_printer = nullptr;

void deletePrinter()
{
    delete g_printer;
    g_printer = nullptr;
}

// Rows are sampled for optimal widths: enough for a faithful width, bounded
// for a grid of a million rows.
constexpr int widthSampleRows = 2000;

struct PrintColumn {
    int col;
    double width; // device pixels
    Qt::Alignment align;
};

} // namespace

GridPrintSettings::GridPrintSettings()
    : headerFont(songti(14, true))
    , printFont(songti(9, false))
{
}

QPrinter *SharedGridPrinter()
{
    if (!g_printer) {
        g_printer = new QPrinter(QPrinter::HighResolution);
        qAddPostRoutine(deletePrinter);
    }
    return g_printer;
}

int PrintGrid(DbGrid *grid, const GridPrintSettings &settings, QPrinter *printer)
{
    if (!grid || !printer)
        return 0;
    DatasetModel *model = grid->datasetModel();
    QPainter painter;
    if (!painter.begin(printer))
        return 0;

    const QRect area(0, 0, printer->width(), printer->height());
    const QFont titleFont = [&] {
        QFont f = settings.printFont;
        f.setBold(true);
        return f;
    }();
    const QFontMetricsF fm(settings.printFont, printer);
    const QFontMetricsF tfm(titleFont, printer);
    const QFontMetricsF hfm(settings.headerFont, printer);
    const double pad = fm.averageCharWidth() * 0.6;
    const int rowCount = model->rowCount();
    const bool withFooter = grid->footerRowCount() == 1 && grid->sumsActive();

    // Columns: shown ones in grid order, grid widths scaled to the printer.
    QList<PrintColumn> columns;
    const double scale = double(printer->logicalDpiX()) / double(qMax(1, grid->logicalDpiX()));
    for (int pos = 0; pos < grid->columnCount(); ++pos) {
        const int col = grid->columnAtPosition(pos);
        if (!grid->isColumnVisible(col))
            continue;
        PrintColumn pc{col, grid->columnWidth(col) * scale, Qt::AlignLeft};
        const int n = std::min(rowCount, widthSampleRows);
        if (n > 0)
            pc.align = Qt::Alignment(model->data(model->index(0, col), Qt::TextAlignmentRole).toInt()) & Qt::AlignHorizontal_Mask;
        if (settings.optimalColumnWidths) {
            double w = tfm.horizontalAdvance(grid->columnTitle(col));
            for (int r = 0; r < n; ++r)
                w = std::max(w, fm.horizontalAdvance(model->displayText(r, col)));
            if (withFooter)
                w = std::max(w, fm.horizontalAdvance(grid->footerText(col)));
            pc.width = w + 2 * pad + 2;
        }
        columns << pc;
    }
    if (columns.isEmpty()) {
        painter.end();
        return 1;
    }

    double total = 0;
    for (const PrintColumn &c : std::as_const(columns))
        total += c.width;
    if (settings.fitToPageWidth && total > 0) {
        const double f = area.width() / total;
        for (PrintColumn &c : columns)
            c.width *= f;
        total = area.width();
    }
    // Bands of columns that fit across a page (one band when fitted).
    QList<QList<PrintColumn>> bands;
    {
        QList<PrintColumn> band;
        double w = 0;
        for (const PrintColumn &c : std::as_const(columns)) {
            if (!band.isEmpty() && w + c.width > area.width() + 0.5) {
                bands << band;
                band.clear();
                w = 0;
            }
            band << c;
            w += c.width;
        }
        bands << band;
    }

    const double rowH = std::ceil(fm.height() + 2 * pad * 0.6);
    const double headerH = settings.pageHeader.isEmpty() ? 0 : std::ceil(hfm.height() * 1.6);
    const double pageNoH = std::ceil(fm.height() * 1.5);
    const int perPage = std::max(1, int((area.height() - headerH - rowH - pageNoH) / rowH));
    int rowPages = std::max(1, (rowCount + perPage - 1) / perPage);
    if (withFooter && rowCount > 0 && rowCount % perPage == 0)
        ++rowPages; // the sum row gets a page of its own
    const int pages = rowPages * int(bands.size());

    const QColor line(96, 96, 96);
    auto cellText = [&](const QRectF &cell, const QString &text, Qt::Alignment align, const QFontMetricsF &m) {
        const QRectF inner = cell.adjusted(pad, 0, -pad, 0);
        painter.drawText(inner, int(align | Qt::AlignVCenter), m.elidedText(text, Qt::ElideRight, inner.width()));
    };
    int page = 0;
    for (int rp = 0; rp < rowPages; ++rp) {
        const int first = rp * perPage;
        const int last = std::min(rowCount, first + perPage); // exclusive
        for (const QList<PrintColumn> &band : std::as_const(bands)) {
            if (page > 0)
                printer->newPage();
            ++page;
            double y = 0;
            if (headerH > 0) {
                painter.setFont(settings.headerFont);
                painter.setPen(Qt::black);
                painter.drawText(QRectF(0, 0, area.width(), headerH), Qt::AlignCenter, settings.pageHeader);
                y = headerH;
            }
            // Titles
            painter.setFont(titleFont);
            double x = 0;
            for (const PrintColumn &c : band) {
                const QRectF cell(x, y, c.width, rowH);
                painter.fillRect(cell, QColor(230, 230, 230));
                painter.setPen(line);
                painter.drawRect(cell);
                painter.setPen(Qt::black);
                cellText(cell, grid->columnTitle(c.col), Qt::AlignHCenter, tfm);
                x += c.width;
            }
            y += rowH;
            // Rows
            painter.setFont(settings.printFont);
            for (int r = first; r < last; ++r) {
                x = 0;
                for (const PrintColumn &c : band) {
                    const QRectF cell(x, y, c.width, rowH);
                    painter.setPen(line);
                    painter.drawRect(cell);
                    painter.setPen(Qt::black);
                    cellText(cell, model->displayText(r, c.col), c.align, fm);
                    x += c.width;
                }
                y += rowH;
            }
            if (withFooter && rp == rowPages - 1) {
                x = 0;
                for (const PrintColumn &c : band) {
                    const QRectF cell(x, y, c.width, rowH);
                    painter.fillRect(cell, QColor(245, 245, 245));
                    painter.setPen(line);
                    painter.drawRect(cell);
                    painter.setPen(Qt::black);
                    cellText(cell, grid->footerText(c.col), Qt::AlignRight, fm);
                    x += c.width;
                }
            }
            painter.setPen(Qt::black);
            painter.drawText(QRectF(0, area.height() - pageNoH, area.width(), pageNoH), Qt::AlignCenter,
                             QStringLiteral("第 %1 页，共 %2 页").arg(page).arg(pages));
        }
    }
    painter.end();
    return pages;
}

void PrintGridPreview(DbGrid *grid, const GridPrintSettings &settings, QWidget *parent)
{
    QPrinter *printer = SharedGridPrinter();
    printer->setPageMargins(settings.marginsMm, QPageLayout::Millimeter);
    QPrintPreviewDialog dialog(printer, parent);
    dialog.setWindowTitle(QStringLiteral("打印预览"));
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
                     [grid, &settings](QPrinter *p) { PrintGrid(grid, settings, p); });
    dialog.exec();
}

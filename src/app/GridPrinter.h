#pragma once

#include <QFont>
#include <QMarginsF>
#include <QString>

class DbGrid;
class QPrinter;
class QWidget;

// A plain listing of a grid: its shown columns in grid order, the titles,
// every row as the grid shows it (code names, not codes) and the footer sums
// when the grid shows them, over as many pages as it takes; each page repeats
// the page header and the titles.
struct GridPrintSettings {
    GridPrintSettings();

    QString pageHeader;       // centred above the listing on every page
    QFont headerFont;         // bold 宋体
    bool fitToPageWidth = true;
    bool optimalColumnWidths = false; // widths from the texts instead of the grid's
    QMarginsF marginsMm{10, 10, 10, 10};
    QFont printFont;          // 宋体
};

// The printer of every grid listing. Its settings (orientation, paper) stay
// as the last caller or the user left them until the program ends.
QPrinter *SharedGridPrinter();

// Paints the listing on the printer with its current page layout and gives
// the number of pages (0 when the printer could not be opened).
int PrintGrid(DbGrid *grid, const GridPrintSettings &settings, QPrinter *printer);

// The print preview of the listing on the shared printer (modal); printing is
// started from the preview.
void PrintGridPreview(DbGrid *grid, const GridPrintSettings &settings, QWidget *parent);

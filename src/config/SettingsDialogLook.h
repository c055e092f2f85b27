#pragma once

#include <QColor>
#include <QStringList>

class QWidget;
class Tfrm_base_dbdialog;

// What the tree, query and sort settings windows share: the explanatory
// panel above the grid and the colouring by the caller's two colours.

// A panel of lines of text, put between the toolbar and the grid.
QWidget *AddSettingsPanel(Tfrm_base_dbdialog *dialog, const QStringList &lines);

// Window, toolbar, panel and the grid's fixed area in windowColour; the rows
// in gridColour. An invalid colour leaves that part as it is.
void ColourSettingsDialog(Tfrm_base_dbdialog *dialog, QWidget *panel, const QColor &windowColour,
                          const QColor &gridColour);

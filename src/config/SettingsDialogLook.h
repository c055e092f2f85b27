#pragma once

#include <QColor>
#include <QStringList>

class Dataset;
class MapListCombo;
class QWidget;
class Tfrm_base_dbdialog;

// What the settings windows share: the panel above the grid (explanatory
// lines, or the field picker of the code list and phrase windows) and the
// colouring by the caller's two colours.

// A panel of lines of text, put between the toolbar and the grid.
QWidget *AddSettingsPanel(Tfrm_base_dbdialog *dialog, const QStringList &lines);

// Window, toolbar, panel and the grid's fixed area in windowColour; the rows
// in gridColour. An invalid colour leaves that part as it is.
void ColourSettingsDialog(Tfrm_base_dbdialog *dialog, QWidget *panel, const QColor &windowColour,
                          const QColor &gridColour);

// "选择字段", the picker (map-list: the label shown, the field code kept) and a
// hint, between the toolbar and the grid. combo receives the picker.
QWidget *AddFieldPickerPanel(Tfrm_base_dbdialog *dialog, const QString &hint, MapListCombo *&combo);

// Fills the picker from sql (SFIELD, SFIELDNAME1) without announcing a
// change, then picks startField when one is given (which is announced).
void FillFieldPicker(Dataset &query, const QString &sql, MapListCombo *combo, const QString &startField);

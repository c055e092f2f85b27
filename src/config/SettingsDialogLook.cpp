#include "config/SettingsDialogLook.h"

#include "app/DbGrid.h"
#include "app/MapListCombo.h"
#include "app/WidgetHelpers.h"
#include "app/base_dbdialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolBar>
#include <QVBoxLayout>

QWidget *AddSettingsPanel(Tfrm_base_dbdialog *dialog, const QStringList &lines)
{
    auto *panel = new QWidget(dialog);
    panel->setObjectName(QStringLiteral("pnlTop"));
    auto *box = new QVBoxLayout(panel);
    box->setContentsMargins(12, 8, 12, 8);
    box->setSpacing(4);
    for (const QString &line : lines)
        box->addWidget(new QLabel(line, panel));
    if (auto *outer = qobject_cast<QVBoxLayout *>(dialog->layout()))
        outer->insertWidget(1, panel);
    return panel;
}

QWidget *AddFieldPickerPanel(Tfrm_base_dbdialog *dialog, const QString &hint, MapListCombo *&combo)
{
    auto *panel = new QWidget(dialog);
    panel->setObjectName(QStringLiteral("pnlTop"));
    combo = new MapListCombo(panel);
    combo->setObjectName(QStringLiteral("dbcb1"));
    combo->setMapList(true);
    combo->setMinimumWidth(160);
    auto *hintLabel = new QLabel(hint, panel);
    hintLabel->setWordWrap(true);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(8, 6, 8, 6);
    row->addWidget(new QLabel(QStringLiteral("选择字段"), panel));
    row->addWidget(combo);
    row->addWidget(hintLabel, 1);
    if (auto *outer = qobject_cast<QVBoxLayout *>(dialog->layout()))
        outer->insertWidget(1, panel);
    return panel;
}

void FillFieldPicker(Dataset &query, const QString &sql, MapListCombo *combo, const QString &startField)
{
    bool filled = false;
    {
        const QSignalBlocker quiet(combo);
        filled = FillComboFromSql(query, sql, true, combo);
    }
    if (filled && combo->count() > 0 && !startField.isEmpty())
        combo->setCurrentCode(startField);
}

void ColourSettingsDialog(Tfrm_base_dbdialog *dialog, QWidget *panel, const QColor &windowColour,
                          const QColor &gridColour)
{
    dialog->applyThemeColours(windowColour, gridColour);
    ColourPanel(dialog->tbmain(), windowColour);
    ColourPanel(panel, windowColour);
    DbGrid *grid = dialog->dbgrid1();
    if (windowColour.isValid())
        grid->setFixedColor(windowColour);
    if (gridColour.isValid()) {
        grid->setColor(gridColour);
        grid->setOddRowColor(gridColour);
        grid->setEvenRowColor(gridColour);
    }
}

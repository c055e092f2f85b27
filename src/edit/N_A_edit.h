#pragma once

#include "edit/RecordWindow.h"

// The volume edit window: changes the main window's current volume in place
// and steps through its rows.
class Tfrm_N_A_edit : public RecordWindow {
    Q_OBJECT
public:
    explicit Tfrm_N_A_edit(QWidget *parent = nullptr);

    // Window and editor colours, the main window's volume dataset and its ten
    // code lists. True when the field settings were changed from the window.
    static bool Execute(const QColor &windowColour, const QColor &editorColour, Dataset *volumes,
                        const QList<QStringList> &pickLists, QWidget *parent = nullptr);
};

#pragma once

#include "edit/RecordWindow.h"

// The document edit window: changes the main window's current document in
// place and steps through its rows.
class Tfrm_N_B_edit : public RecordWindow {
    Q_OBJECT
public:
    explicit Tfrm_N_B_edit(QWidget *parent = nullptr);

    // Window and editor colours and the main window's document dataset. True
    // when the field settings were changed from the window.
    static bool Execute(const QColor &windowColour, const QColor &editorColour, Dataset *documents,
                        QWidget *parent = nullptr);
};

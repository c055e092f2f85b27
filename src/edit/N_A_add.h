#pragma once

#include "edit/RecordWindow.h"

// The volume add window: new volume records, one after another, each
// starting from this user's last values; composes the volume reference.
class Tfrm_N_A_add : public RecordWindow {
    Q_OBJECT
public:
    explicit Tfrm_N_A_add(QWidget *parent = nullptr);

    // Window and editor colours, the main window's ten volume code lists.
    // True when at least one record was saved.
    static bool Execute(const QColor &windowColour, const QColor &editorColour, const QList<QStringList> &pickLists,
                        QWidget *parent = nullptr);
};

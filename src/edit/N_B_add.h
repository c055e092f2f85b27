#pragma once

#include "edit/RecordWindow.h"

// The document add window: new document records of one volume.
class Tfrm_N_B_add : public RecordWindow {
    Q_OBJECT
public:
    explicit Tfrm_N_B_add(QWidget *parent = nullptr);

    // Window and editor colours and the volume's key. True when the field
    // settings were changed from the window.
    static bool Execute(const QColor &windowColour, const QColor &editorColour, const QString &volumeKey,
                        QWidget *parent = nullptr);
};

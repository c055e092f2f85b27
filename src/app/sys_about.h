#pragma once

#include "app/base_form.h"

// The about box: the program's picture with the version and contact lines.
class Tfrm_sys_about : public Tfrm_base_form {
    Q_OBJECT
public:
    explicit Tfrm_sys_about(QWidget *parent = nullptr);

    // The lines under the picture's title, top to bottom.
    static QStringList infoLines();
    static void Execute(const QColor &windowColour, QWidget *parent);
};

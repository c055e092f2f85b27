#pragma once

#include "app/base_dbdialog.h"

// "设置系统名称": the system title and the module name (S_SET N_SYS, N_MOD).
class Tfrm_N_sysname : public Tfrm_base_dbdialog {
    Q_OBJECT
public:
    Tfrm_N_sysname(const QColor &windowColour, const QColor &gridColour, QWidget *parent = nullptr);

    // Shows the window modally, then reads both names back into the shared
    // state (sysTitle, modName), creating a missing row with its default.
    // True when the shared state now holds what the store holds; false when
    // a read or insert failed (shown) and the names in memory stayed.
    static bool Execute(const QColor &windowColour, const QColor &gridColour, QWidget *parent = nullptr);
};

#pragma once

#include "app/base_form.h"

class QAction;
class QToolBar;

// The main window, the hub of the program. Closing it ends the program.
class Tfrm_N_A_main : public Tfrm_base_form {
    Q_OBJECT
public:
    explicit Tfrm_N_A_main(QWidget *parent = nullptr);

    QAction *actClose() const { return m_actClose; }

    // The close command: asks "确认要退出系统吗?" unless the executable is
    // PELU.EXE (in any letter case); executableName is the file name only.
    static bool closeCommandAsks(const QString &executableName);

public slots:
    void actCloseExecute();

private:
    QToolBar *m_tb2;
    QAction *m_actClose;
};

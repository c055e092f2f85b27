#pragma once

#include "app/base_dbsingle.h"

// The main window, the hub of the program. Closing it ends the program.
// For now it lists the volume records; the query panel, the tree and the
// document grid join it next.
class Tfrm_N_A_main : public Tfrm_base_dbsingle {
    Q_OBJECT
public:
    explicit Tfrm_N_A_main(QWidget *parent = nullptr);

    QAction *actClose() const { return action(QStringLiteral("actClose")); }

    // The close command: asks "确认要退出系统吗?" unless the executable is
    // PELU.EXE (in any letter case); executableName is the file name only.
    static bool closeCommandAsks(const QString &executableName);

    // The 38 volume field codes in grid order.
    static QStringList volumeFieldCodes();

    void RunQuery();
    void ApplyFieldCaptions();
    void ApplyColumnVisibility();
    void LoadCodeLists();

public slots:
    void actCloseExecute();

protected:
    void FormShow() override;
};

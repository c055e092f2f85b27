#include "app/Startup.h"

#include "app/MessageBoxes.h"
#include "app/SingleInstance.h"
#include "app/base_form.h"
#include "browse/N_A_main.h"
#include "data/SharedState.h"
#include "data/base_conn.h"
#include "data/base_dm.h"
#include "users/sys_login.h"

#include <QApplication>

#include <memory>

int RunProgram()
{
    SingleInstance instance(QStringLiteral("N_SYS120"));
    if (!instance.tryAcquire()) {
        messageBoxes().show(MsgIcon::Critical, QStringLiteral("提示"), QStringLiteral("软件已运行,不重复运行！"),
                            MsgButtons::Ok);
        return 0;
    }

    SharedState &st = shared();
    st.setEditionAndFolder(buildEdition(), QCoreApplication::applicationDirPath());
    Tfrm_base_dm dm(&Tfrm_base_conn::askServer);
    if (dm.terminateRequested())
        return 0;
    QApplication::setApplicationDisplayName(st.sysTitle);
    QApplication::setFont(Tfrm_base_form::systemFont());

    {
        Tfrm_sys_login login;
        if (login.exec() != QDialog::Accepted)
            return 0;
    }
    Tfrm_N_A_main mainWindow;
    mainWindow.showMaximized();
    return QApplication::exec();
}

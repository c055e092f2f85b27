#include "browse/N_A_main.h"

#include "app/MessageBoxes.h"
#include "data/SharedState.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

Tfrm_N_A_main::Tfrm_N_A_main(QWidget *parent) : Tfrm_base_form(parent)
{
    setObjectName(QStringLiteral("frm_N_A_main"));
    setWindowTitle(shared().sysTitle);
    setWindowFlags(Qt::Window);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    m_tb2 = new QToolBar(this);
    m_tb2->setObjectName(QStringLiteral("tb2"));
    m_tb2->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    layout->addWidget(m_tb2);

    m_actClose = new QAction(style()->standardIcon(QStyle::SP_DialogCloseButton), QStringLiteral("关闭"), this);
    m_actClose->setObjectName(QStringLiteral("actClose"));
    connect(m_actClose, &QAction::triggered, this, &Tfrm_N_A_main::actCloseExecute);
    m_tb2->addAction(m_actClose);

    auto *module = new QLabel(shared().modName, this);
    module->setAlignment(Qt::AlignCenter);
    layout->addWidget(module, 1);

    auto *status = new QStatusBar(this);
    status->addWidget(new QLabel(QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")), status), 1);
    status->addWidget(new QLabel(shared().user.name, status));
    layout->addWidget(status);
    resize(1024, 700);
}

bool Tfrm_N_A_main::closeCommandAsks(const QString &executableName)
{
    return executableName.toUpper() != QLatin1String("PELU.EXE");
}

void Tfrm_N_A_main::actCloseExecute()
{
    if (!closeCommandAsks(QFileInfo(QCoreApplication::applicationFilePath()).fileName())) {
        close();
        return;
    }
    if (AskConfirm(QStringLiteral("确认要退出系统吗?")) == MsgResultOk)
        QCoreApplication::quit();
}

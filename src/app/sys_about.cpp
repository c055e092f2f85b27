#include "app/sys_about.h"

#include "app/ProgramPicture.h"
#include "data/SharedState.h"

#include <QLabel>
#include <QPainter>
#include <QPushButton>

Tfrm_sys_about::Tfrm_sys_about(QWidget *parent)
    : Tfrm_base_form(parent)
{
    setObjectName(QStringLiteral("frm_sys_about"));
    setWindowTitle(QStringLiteral("关于"));

    QPixmap picture = ProgramPicture();
    {
        QPainter p(&picture);
        QFont f = systemFont();
        f.setPixelSize(14);
        p.setFont(f);
        p.setPen(QColor(30, 50, 80));
        int y = 190;
        for (const QString &line : infoLines()) {
            p.drawText(QRect(40, y, 420, 20), Qt::AlignLeft | Qt::AlignVCenter, line);
            y += 20;
        }
    }
    auto *img = new QLabel(this);
    img->setObjectName(QStringLiteral("img1"));
    img->setPixmap(picture);
    img->setGeometry(0, 0, picture.width(), picture.height());

    auto *ok = new QPushButton(QStringLiteral("确定"), this);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setGeometry(picture.width() - 100, picture.height() + 8, 84, 30);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    setFixedSize(picture.width(), picture.height() + 46);
}

QStringList Tfrm_sys_about::infoLines()
{
    const bool network = shared().isNetwork();
    return {
        QStringLiteral("版本：%1（%2）")
            .arg(QStringLiteral(PELU_VERSION), network ? QStringLiteral("网络版") : QStringLiteral("单机版")),
        network ? QStringLiteral("数据库：PostgreSQL 数据库 %1，附件存放在 FTP 服务器").arg(shared().networkDbName())
                : QStringLiteral("数据库：程序目录下的 data100.dbf，附件存放在 N_UPFILE 目录"),
        QStringLiteral("技术支持：请与本单位档案室或信息管理部门联系"),
        QStringLiteral("本软件使用了 Qt、SQLite、PostgreSQL、libcurl 等开源组件"),
        QStringLiteral("版权所有 © 2026 科技档案管理系统开发组"),
    };
}

void Tfrm_sys_about::Execute(const QColor &windowColour, QWidget *parent)
{
    Tfrm_sys_about dlg(parent);
    dlg.applyThemeColours(windowColour, QColor());
    dlg.exec();
}

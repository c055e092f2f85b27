#include "data/base_conn.h"

#include "app/IniFile.h"
#include "data/base_dm.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

Tfrm_base_conn::Tfrm_base_conn(QWidget *parent) : Tfrm_base_form(parent)
{
    setObjectName(QStringLiteral("frm_base_conn"));
    setWindowTitle(QStringLiteral("服务端IP设置"));
    // A fixed dialog without title-bar buttons: it is left through its own buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(629, 406);

    m_memo1 = new QPlainTextEdit(this);
    m_memo1->setObjectName(QStringLiteral("Memo1"));
    m_memo1->setReadOnly(true);
    m_memo1->setPlainText(QStringLiteral("说明：\n1.服务端IP地址注意要在输入法半角状态下录入。\n2.服务端IP地址可联系单位管理员获取。"));
    m_memo1->setGeometry(24, 20, 581, 200);

    m_label2 = new QLabel(QStringLiteral("服务端IP地址"), this);
    m_label2->setObjectName(QStringLiteral("Label2"));
    m_label2->setGeometry(60, 258, 130, 28);

    m_edt1 = new QLineEdit(this);
    m_edt1->setObjectName(QStringLiteral("edt1"));
    m_edt1->setGeometry(200, 256, 360, 32);

    m_btn1 = new QPushButton(QStringLiteral("确定"), this);
    m_btn1->setObjectName(QStringLiteral("btn1"));
    m_btn1->setGeometry(200, 330, 120, 36);
    m_btn1->setDefault(true);

    m_btn2 = new QPushButton(QStringLiteral("退出"), this);
    m_btn2->setObjectName(QStringLiteral("btn2"));
    m_btn2->setGeometry(440, 330, 120, 36);

    connect(m_btn1, &QPushButton::clicked, this, &Tfrm_base_conn::btn1Click);
    connect(m_btn2, &QPushButton::clicked, this, &QDialog::reject);
}

void Tfrm_base_conn::showEvent(QShowEvent *event)
{
    Tfrm_base_form::showEvent(event);
    // The field shows the address typed last, not the server that failed.
    const IniFile ini(Tfrm_base_dm::clientConfigPath());
    m_edt1->setText(ini.readString(QStringLiteral("common"), QStringLiteral("ServiceAddr"), Tfrm_base_dm::defaultServer()));
}

void Tfrm_base_conn::btn1Click()
{
    const QString address = m_edt1->text().trimmed();
    IniFile ini(Tfrm_base_dm::clientConfigPath());
    ini.writeString(QStringLiteral("common"), QStringLiteral("ServiceAddr"), address);
    ini.writeString(QStringLiteral("Database"), QStringLiteral("ServerName"), address + QStringLiteral(",7789"));
    ini.writeString(QStringLiteral("FTP"), QStringLiteral("ServerName"), address);
    m_server = address + QStringLiteral(",7789");
    accept();
}

bool Tfrm_base_conn::askServer(const QString &currentServer, QString &server)
{
    Tfrm_base_conn dialog(QApplication::activeWindow());
    dialog.m_edt1->setText(currentServer);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    server = dialog.server();
    return true;
}

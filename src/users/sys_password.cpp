#include "users/sys_password.h"

#include "app/Conversions.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Tfrm_sys_password::Tfrm_sys_password(QWidget *parent) : Tfrm_base_dbform(parent)
{
    setObjectName(QStringLiteral("frm_sys_password"));
    setWindowTitle(QStringLiteral("设置密码"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(300, 190);

    auto field = [this](QLabel *&label, QLineEdit *&edit, const char *labelName, const char *editName,
                        const QString &caption, int top) {
        label = new QLabel(caption, this);
        label->setObjectName(QLatin1String(labelName));
        label->setGeometry(30, top, 70, 24);
        edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(editName));
        edit->setMaxLength(20);
        edit->setEchoMode(QLineEdit::Password);
        edit->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
        edit->setGeometry(105, top, 160, 24);
    };
    field(m_label1, m_edit1, "Label1", "Edit1", QStringLiteral("原 密 码"), 20);
    field(m_label2, m_edit2, "Label2", "edit2", QStringLiteral("新 密 码"), 56);
    field(m_label3, m_edit3, "Label3", "edit3", QStringLiteral("确认密码"), 92);

    m_btnOk = new QPushButton(QStringLiteral("确认"), this);
    m_btnOk->setObjectName(QStringLiteral("btnOk"));
    m_btnOk->setGeometry(75, 140, 75, 28);
    m_btnOk->setDefault(true);
    m_btnCancel = new QPushButton(QStringLiteral("取消"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setGeometry(170, 140, 75, 28);

    setTabOrder(m_edit1, m_edit2);
    setTabOrder(m_edit2, m_edit3);
    setTabOrder(m_edit3, m_btnOk);
    setTabOrder(m_btnOk, m_btnCancel);

    connect(m_btnOk, &QPushButton::clicked, this, [this] { RunCommand([this] { btnOkClick(); }); });
    connect(m_btnCancel, &QPushButton::clicked, this, &Tfrm_sys_password::btnCancelClick);

    openUserRow();
    m_edit1->setFocus();
}

bool Tfrm_sys_password::Execute(const QColor &windowColour, QWidget *parent)
{
    Tfrm_sys_password dlg(parent);
    dlg.applyThemeColours(windowColour, QColor());
    return dlg.exec() == QDialog::Accepted;
}

bool Tfrm_sys_password::openUserRow()
{
    return OpenSql(Qry(), QStringLiteral("select * from s_user where suserid=") + QuoteSql(shared().user.id));
}

void Tfrm_sys_password::btnOkClick()
{
    if (m_edit1->text() != shared().user.password) {
        ShowInfo(QStringLiteral("原密码不正确！"));
        m_edit1->clear();
        m_edit1->setFocus();
        return;
    }
    if (m_edit2->text() != m_edit3->text()) {
        ShowInfo(QStringLiteral("确认密码不一致！"));
        m_edit2->clear();
        m_edit3->clear();
        m_edit2->setFocus();
        return;
    }
    if (!Qry().isOpen() && !openUserRow())
        return;
    if (Qry().isEmpty()) {
        // The row went away since the login.
        ShowInfo(QStringLiteral("没有此操作用户！"));
        return;
    }
    const QString password = m_edit2->text();
    Qry().edit();
    try {
        Qry().setValue(QStringLiteral("SPASSWORD"), password);
        Qry().post();
    } catch (const AppError &) {
        // Nothing stored: the row goes back to what the table holds, and
        // this run keeps the old password.
        Qry().cancel();
        throw;
    }
    // Only a stored password becomes the password of this run.
    shared().user.password = password;
    ShowInfo(QStringLiteral("密码修改成功！"));
    m_mayClose = true;
    accept();
}

void Tfrm_sys_password::btnCancelClick()
{
    m_mayClose = true;
    done(QDialog::Rejected);
}

bool Tfrm_sys_password::FormCloseQuery()
{
    if (Qry().isOpen())
        Qry().close();
    return m_mayClose;
}

void Tfrm_sys_password::reject()
{
    if (FormCloseQuery())
        Tfrm_base_dbform::reject();
}

void Tfrm_sys_password::closeEvent(QCloseEvent *event)
{
    if (FormCloseQuery())
        Tfrm_base_dbform::closeEvent(event);
    else
        event->ignore();
}

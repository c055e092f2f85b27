#include "users/sys_login.h"

#include "app/Conversions.h"
#include "app/MessageBoxes.h"
#include "app/ProgramPicture.h"
#include "app/SqlHelpers.h"
#include "data/Dataset.h"
#include "data/Schema.h"
#include "data/SharedState.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

Tfrm_sys_login::Tfrm_sys_login(QWidget *parent) : Tfrm_base_dbform(parent)
{
    setObjectName(QStringLiteral("frm_sys_login"));
    // No title and no title-bar buttons: only the two buttons leave the dialog.
    setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
    setWindowTitle(QString());

    QPixmap picture;
    const QString file = shared().appDir + QStringLiteral("/N_login.jpg");
    if (!QFile::exists(file) || !picture.load(file))
        picture = designedPicture();

    m_img1 = new QLabel(this);
    m_img1->setObjectName(QStringLiteral("img1"));
    m_img1->setPixmap(picture);
    m_img1->setGeometry(0, 0, picture.width(), picture.height());
    setFixedSize(picture.size());

    // The controls sit on the picture, in its lower part.
    const int top = picture.height() - 130;
    const int left = qMax(20, picture.width() / 2 - 150);

    m_lbl1 = new QLabel(QStringLiteral("用户编号"), this);
    m_lbl1->setObjectName(QStringLiteral("lbl1"));
    m_lbl1->setAttribute(Qt::WA_TranslucentBackground);
    m_lbl1->setGeometry(left, top, 80, 28);

    m_edtbh = new QLineEdit(this);
    m_edtbh->setObjectName(QStringLiteral("edtbh"));
    m_edtbh->setMaxLength(20);
    m_edtbh->setGeometry(left + 86, top, 200, 28);

    m_label1 = new QLabel(QStringLiteral("用户密码"), this);
    m_label1->setObjectName(QStringLiteral("Label1"));
    m_label1->setAttribute(Qt::WA_TranslucentBackground);
    m_label1->setGeometry(left, top + 38, 80, 28);

    m_edtpassword = new QLineEdit(this);
    m_edtpassword->setObjectName(QStringLiteral("edtpassword"));
    m_edtpassword->setMaxLength(20);
    m_edtpassword->setEchoMode(QLineEdit::Password);
    m_edtpassword->setStyleSheet(QStringLiteral("QLineEdit { lineedit-password-character: 42; }"));
    m_edtpassword->setGeometry(left + 86, top + 38, 200, 28);

    m_btnOk = new QPushButton(QStringLiteral("确  定"), this);
    m_btnOk->setObjectName(QStringLiteral("btnOk"));
    m_btnOk->setGeometry(left + 86, top + 80, 90, 30);
    m_btnOk->setAutoDefault(true);

    m_btnCancel = new QPushButton(QStringLiteral("退  出"), this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setGeometry(left + 196, top + 80, 90, 30);
    m_btnCancel->setAutoDefault(true);

    setTabOrder(m_edtbh, m_edtpassword);
    setTabOrder(m_edtpassword, m_btnOk);
    setTabOrder(m_btnOk, m_btnCancel);
    installKeyP(m_edtbh);
    installKeyP(m_edtpassword);
    m_edtbh->installEventFilter(this);

    connect(m_btnOk, &QPushButton::clicked, this, [this] { RunCommand([this] { btnOkClick(); }); });
    connect(m_btnCancel, &QPushButton::clicked, this, &Tfrm_sys_login::btnCancelClick);
    m_edtbh->setFocus();
}

QPixmap Tfrm_sys_login::designedPicture()
{
    return ProgramPicture();
}

bool Tfrm_sys_login::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_edtbh && event->type() == QEvent::FocusOut)
        RunCommand([this] { edtbhExit(); });
    return Tfrm_base_dbform::eventFilter(watched, event);
}

void Tfrm_sys_login::edtbhExit()
{
    const QString code = m_edtbh->text().trimmed();
    if (code.isEmpty())
        return;
    // The code is quoted, so a quote typed into it finds no user instead of
    // breaking the statement.
    if (!OpenSql(Qry(), QStringLiteral("select * from s_user where suserid=") + QuoteSql(code)))
        return;
    if (Qry().isEmpty()) {
        ShowInfo(QStringLiteral("没有此操作用户！"));
        m_edtbh->clear();
        m_edtbh->setFocus();
        return;
    }
    loadUser();
}

void Tfrm_sys_login::loadUser()
{
    CurrentUser user;
    user.id = Qry().text(QStringLiteral("SUSERID"));
    user.name = Qry().text(QStringLiteral("SUSERNAME"));
    user.password = Qry().text(QStringLiteral("SPASSWORD"));
    const TableDef *table = Schema::table(QStringLiteral("S_USER"));
    for (const ColumnDef &c : table->columns) {
        if (c.name.startsWith(QLatin1String("IR")) && Qry().hasField(c.name))
            user.rights.insert(c.name, Qry().value(c.name).toInt());
    }
    shared().user = user;
}

void Tfrm_sys_login::btnOkClick()
{
    if (m_edtbh->text().trimmed().isEmpty()) {
        m_edtbh->setFocus();
        return;
    }
    // Normally leaving the code field has loaded the user; never let an
    // empty password pass for a user that was not loaded.
    if (shared().user.id.isEmpty()) {
        edtbhExit();
        if (shared().user.id.isEmpty())
            return;
    }
    if (m_edtpassword->text() != shared().user.password) {
        m_mayClose = false;
        ShowInfo(QStringLiteral("密码不正确！"));
        m_edtpassword->clear();
        m_edtpassword->setFocus();
        return;
    }
    seedDefaultValues(QStringLiteral("N_A"));
    seedDefaultValues(QStringLiteral("N_B"));
    m_mayClose = true;
    accept();
}

void Tfrm_sys_login::seedDefaultValues(const QString &tableKey)
{
    const QString user = QuoteSql(shared().user.id);
    if (!OpenSql(Qry(), QStringLiteral("select count(*) from S_NEWVALUE where SUSERID=") + user
                            + QStringLiteral(" and STABLE='") + tableKey + QLatin1Char('\'')))
        throw SilentAbort(); // the box was shown; the dialog stays open
    if (Qry().value(0).toLongLong() != 0)
        return;
    ExecSql(Qry(), QStringLiteral("insert into S_NEWVALUE (SUSERID,STABLE,SFIELD) select ") + user
                       + QStringLiteral(",'") + tableKey + QStringLiteral("',SFIELD from S_FIELD where STABLE='")
                       + tableKey + QLatin1Char('\''));
}

void Tfrm_sys_login::btnCancelClick()
{
    m_terminate = true;
    m_mayClose = true;
    done(QDialog::Rejected);
}

void Tfrm_sys_login::reject()
{
    if (m_mayClose)
        Tfrm_base_dbform::reject();
}

void Tfrm_sys_login::closeEvent(QCloseEvent *event)
{
    if (m_mayClose)
        Tfrm_base_dbform::closeEvent(event);
    else
        event->ignore();
}

#include "users/sys_user.h"

#include "app/Conversions.h"
#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "data/Dataset.h"

#include <QAction>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QLabel>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
const QString kDuplicateCode = QStringLiteral("用户编号已存在，请重新录入！");
const QString kEmptyCode = QStringLiteral("用户编号不能为空，请重新录入！");
const QString kLongPassword = QStringLiteral("密码不能超过20位，请重新录入！");
// What the login's password field takes.
constexpr int kPasswordLength = 20;

// The rights as the grid shows them: column and title.
const char *const kRightColumns[][2] = {
    {"IRADD", "增加"},      {"IRDEL", "删除"},      {"IREDIT", "修改"},     {"IRBATCH", "批量修改"},
    {"IR4", "批量删除"},    {"IRINPUT", "导入"},    {"IREXPORT", "导出"},   {"IRPRINT", "打印"},
    {"IRBORROW", "借阅"},   {"IRSET", "设置"},      {"IRBIN", "附件打开"},  {"IR1", "附件另存"},
    {"IR2", "附件增加"},    {"IR3", "附件删除"},
};
} // namespace

Tfrm_sys_user::Tfrm_sys_user(QWidget *parent) : Tfrm_base_dbdialog(parent)
{
    setObjectName(QStringLiteral("frm_sys_user"));
    setWindowTitle(QStringLiteral("用户设置"));
    resize(760, 480);

    m_notePanel = new QLabel(QStringLiteral(" 提示：为避免误删用户进不了系统问题，0000 超级管理用户不在此设置，只能在主界面[设置.设置密码]中修改密码。"), this);
    m_notePanel->setObjectName(QStringLiteral("Panel1"));
    m_notePanel->setWordWrap(true);
    m_notePanel->setMinimumHeight(28);
    if (auto *box = qobject_cast<QVBoxLayout *>(layout()))
        box->insertWidget(1, m_notePanel);

    // The super administrator is never listed, so nobody takes its rights
    // away or deletes it here.
    Qry1().setSql(QStringLiteral("select * from s_user where SUSERID<> '0000'"));

    DbGrid *grid = dbgrid1();
    grid->setRowHeight(25);
    grid->setTitleHeight(100);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setColumnAlignment(grid->addColumn(QStringLiteral("SUSERID"), QStringLiteral("用户编号"), 70), Qt::AlignHCenter);
    grid->setColumnAlignment(grid->addColumn(QStringLiteral("SUSERNAME"), QStringLiteral("用户名称"), 70), Qt::AlignHCenter);
    grid->addColumn(QStringLiteral("SPASSWORD"), QStringLiteral("密码"), 70);
    for (const auto &right : kRightColumns) {
        const int col = grid->addColumn(QLatin1String(right[0]), QString::fromUtf8(right[1]), 22);
        grid->setColumnCheckBox(col, true, 1, 0);
    }

    connect(&Qry1(), &Dataset::newRecord, this, &Tfrm_sys_user::Qry1NewRecord);
    connect(&Qry1(), &Dataset::stateChanged, this, &Tfrm_sys_user::rememberCode);

    grid->viewport()->installEventFilter(this);
    grid->horizontalHeader()->viewport()->installEventFilter(this);
    grid->installEventFilter(this);

    // Saving checks the code first, so a taken code gets its own message.
    disconnect(tlbSave(), &QAction::triggered, this, nullptr);
    connect(tlbSave(), &QAction::triggered, this, [this] { RunCommand([this] { saveUser(); }); });
}

void Tfrm_sys_user::Execute(const QColor &windowColour, const QColor &controlColour, QWidget *parent)
{
    Tfrm_sys_user dlg(parent);
    dlg.applyColours(windowColour, controlColour);
    dlg.exec();
}

QStringList Tfrm_sys_user::newUserRights()
{
    return {QStringLiteral("IRJ"),     QStringLiteral("IRK"),      QStringLiteral("IRL"),     QStringLiteral("IRM"),
            QStringLiteral("IRN"),     QStringLiteral("IRO"),      QStringLiteral("IRP"),     QStringLiteral("IRQ"),
            QStringLiteral("IRR"),     QStringLiteral("IRT"),      QStringLiteral("IRU"),     QStringLiteral("IRV"),
            QStringLiteral("IRW"),     QStringLiteral("IRX"),      QStringLiteral("IRY"),     QStringLiteral("IRZ"),
            QStringLiteral("IRADD"),   QStringLiteral("IRDEL"),    QStringLiteral("IREDIT"),  QStringLiteral("IRBORROW"),
            QStringLiteral("IRBIN"),   QStringLiteral("IRPRINT"),  QStringLiteral("IRINPUT"), QStringLiteral("IREXPORT"),
            QStringLiteral("IRBATCH"), QStringLiteral("IRSET"),    QStringLiteral("IR1"),     QStringLiteral("IR2"),
            QStringLiteral("IR3"),     QStringLiteral("IR4"),      QStringLiteral("IR5"),     QStringLiteral("IR6")};
}

void Tfrm_sys_user::applyColours(const QColor &windowColour, const QColor &controlColour)
{
    applyThemeColours(windowColour, controlColour);
    if (windowColour.isValid()) {
        QPalette pal = tbmain()->palette();
        pal.setColor(QPalette::Window, windowColour);
        pal.setColor(QPalette::Button, windowColour);
        tbmain()->setPalette(pal);
        tbmain()->setAutoFillBackground(true);
        dbgrid1()->setFixedColor(windowColour);
    }
    if (controlColour.isValid()) {
        dbgrid1()->setColor(controlColour);
        dbgrid1()->setOddRowColor(controlColour);
        dbgrid1()->setEvenRowColor(controlColour);
    }
}

void Tfrm_sys_user::Qry1NewRecord()
{
    for (const QString &right : newUserRights()) {
        if (Qry1().hasField(right))
            Qry1().setValue(right, 1);
    }
}

void Tfrm_sys_user::rememberCode(Dataset::State state)
{
    if (state == Dataset::State::Edit)
        m_codeBeforeEdit = Qry1().text(QStringLiteral("SUSERID"));
    else if (state != Dataset::State::Insert)
        m_codeBeforeEdit.clear();
}

bool Tfrm_sys_user::refuseCode()
{
    const QString code = Qry1().text(QStringLiteral("SUSERID"));
    QString message;
    QString field = QStringLiteral("SUSERID");
    if (Qry1().text(QStringLiteral("SPASSWORD")).size() > kPasswordLength) {
        // A longer password could never be typed into the login.
        message = kLongPassword;
        field = QStringLiteral("SPASSWORD");
    } else if (code.trimmed().isEmpty()) {
        // Nobody could log in with it, and the store would take more than one.
        message = kEmptyCode;
    } else if (Qry1().state() == Dataset::State::Insert || code != m_codeBeforeEdit) {
        // Counted in the table, so the hidden "0000" counts too. A failing
        // count leaves the verdict to the store.
        try {
            Qry().close();
            Qry().open(QStringLiteral("select count(*) from s_user where SUSERID=") + QuoteSql(code));
            if (Qry().value(0).toLongLong() > 0)
                message = kDuplicateCode;
            Qry().close();
        } catch (const AppError &) {
        }
    }
    if (message.isEmpty())
        return false;
    ShowInfo(message);
    const int col = dbgrid1()->columnByField(field);
    if (Qry1().pos() >= 0 && col >= 0)
        dbgrid1()->setCurrentIndex(dbgrid1()->model()->index(Qry1().pos(), col));
    dbgrid1()->setFocus();
    return true;
}

void Tfrm_sys_user::saveUser()
{
    dbgrid1()->commitEditor();
    if (!Qry1().isOpen() || !Qry1().isEditing())
        return;
    if (refuseCode())
        return;
    try {
        Qry1().post();
    } catch (const SqlError &) {
        // Another session may have taken the code since the check.
        if (refuseCode())
            return;
        throw; // the row stays for correction; the caller shows the failure
    }
}

bool Tfrm_sys_user::refuseLeavingRow()
{
    if (!Qry1().isOpen() || !Qry1().isEditing() || !Qry1().isModified())
        return false;
    dbgrid1()->commitEditor();
    return refuseCode();
}

bool Tfrm_sys_user::eventFilter(QObject *watched, QEvent *event)
{
    DbGrid *grid = dbgrid1();
    if (event->type() == QEvent::MouseButtonPress) {
        const auto *me = static_cast<QMouseEvent *>(event);
        if (watched == grid->viewport()) {
            const QModelIndex index = grid->indexAt(me->position().toPoint());
            if (index.isValid() && index.row() != Qry1().pos() && refuseLeavingRow())
                return true;
        } else if (watched == grid->horizontalHeader()->viewport()) {
            // A title click sorts, which stores the row first.
            if (refuseLeavingRow())
                return true;
        }
    } else if (event->type() == QEvent::KeyPress && watched == grid) {
        switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            if (refuseLeavingRow())
                return true;
            break;
        default:
            break;
        }
    }
    return Tfrm_base_dbdialog::eventFilter(watched, event);
}

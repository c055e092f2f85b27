#include "edit/RecordWindow.h"

#include "app/AppIcons.h"
#include "app/Conversions.h"
#include "app/DbDateEdit.h"
#include "app/DbEdit.h"
#include "app/DbEditors.h"
#include "app/DbMapListCombo.h"
#include "app/DbMemo.h"
#include "app/MessageBoxes.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "config/sys_code.h"
#include "config/sys_easy.h"
#include "config/sys_field.h"
#include "data/Dataset.h"
#include "data/Schema.h"
#include "data/SharedState.h"
#include "edit/RecordRules.h"

#include <QCloseEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QTimer>

#include <utility>

namespace {

// The layout pass finds the pool by this tag.
constexpr int kPoolTag = 8;
constexpr int kEditorHeight = 28;
constexpr int kLabelHeight = 24;

DataLink *linkOf(QWidget *editor)
{
    if (auto *e = qobject_cast<DbEdit *>(editor))
        return e->dataLink();
    if (auto *m = qobject_cast<DbMemo *>(editor))
        return m->dataLink();
    if (auto *d = qobject_cast<DbDateEdit *>(editor))
        return d->dataLink();
    if (auto *c = qobject_cast<DbMapListCombo *>(editor))
        return c->dataLink();
    return nullptr;
}

bool isTextCode(const QString &code)
{
    return code.size() == 4 && code.at(1) == QLatin1Char('S');
}

QString noSettingsRight()
{
    return QStringLiteral("您现登录的帐号无<设置>权限,请找管理员在用户设置在增加<设置>权限");
}

} // namespace

RecordWindow::RecordWindow(const QString &table, Mode mode, QWidget *parent)
    : Tfrm_base_dbform(parent)
    , m_table(table.toUpper())
    , m_letter(m_table.size() > 2 ? m_table.at(2) : QLatin1Char('A'))
    , m_mode(mode)
{
    setObjectName(QStringLiteral("frm_%1_%2").arg(m_table, mode == Mode::Add ? QStringLiteral("add")
                                                                              : QStringLiteral("edit")));
    setWindowTitle(mode == Mode::Add ? QStringLiteral("增加") : QStringLiteral("修改"));
    Qt::WindowFlags flags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint
                            | Qt::WindowTitleHint | Qt::WindowSystemMenuHint;
    // The document windows have no close box: they are left through "关闭".
    if (m_letter == QLatin1Char('A'))
        flags |= Qt::WindowCloseButtonHint;
    setWindowFlags(flags);

    if (mode == Mode::Add) {
        m_own = new Dataset(this);
        m_own->setObjectName(QStringLiteral("Qry1"));
        m_own->setSql(QStringLiteral("select * from %1 where 1<>1").arg(m_table));
        m_data = m_own;
    }
    buildPool();
    buildFixedControls();
    if (m_own)
        bindTo(m_own);
}

RecordWindow::~RecordWindow() = default;

QWidget *RecordWindow::addPoolControl(QWidget *w, const QString &name)
{
    w->setObjectName(name);
    w->setProperty("tag", kPoolTag);
    w->hide();
    return w;
}

void RecordWindow::buildPool()
{
    const QString tall = QStringLiteral("%1S50").arg(m_letter);
    for (const QString &code : Schema::fieldCodes(m_letter)) {
        addPoolControl(new QLabel(this), QStringLiteral("lbl") + code);
        auto *mark = new QLabel(QStringLiteral("*"), this);
        QPalette red = mark->palette();
        red.setColor(QPalette::WindowText, Qt::red);
        mark->setPalette(red);
        addPoolControl(mark, QStringLiteral("lbl") + code + QLatin1Char('X'));

        const QChar kind = code.at(1);
        QWidget *editor = nullptr;
        if (code == tall) {
            m_memo = new DbMemo(this);
            // Only the volume add window keeps long text on one line.
            const bool wrap = !(m_letter == QLatin1Char('A') && m_mode == Mode::Add);
            m_memo->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
            editor = addPoolControl(m_memo, QStringLiteral("dbed") + code);
        } else if (kind == QLatin1Char('S') || kind == QLatin1Char('I') || kind == QLatin1Char('F')) {
            editor = addPoolControl(new DbEdit(this), QStringLiteral("dbed") + code);
        } else if (kind == QLatin1Char('D')) {
            editor = addPoolControl(new DbDateEdit(this), QStringLiteral("dbdts") + code);
        } else if (kind == QLatin1Char('C')) {
            auto *combo = new DbMapListCombo(this);
            combo->setMaxVisibleItems(8);
            editor = addPoolControl(combo, QStringLiteral("dbcb") + code);
        }
        if (!editor)
            continue;
        editor->setFixedHeight(kEditorHeight);
        installKeyP(editor);
        installKeyD(editor);
        m_editors.insert(code, editor);

        if (kind == QLatin1Char('S') || kind == QLatin1Char('C')) {
            auto *button = new QPushButton(kind == QLatin1Char('S') ? QStringLiteral("E") : QStringLiteral("…"), this);
            button->setFocusPolicy(Qt::NoFocus);
            addPoolControl(button, QStringLiteral("btn") + code);
            connect(button, &QPushButton::clicked, this,
                    [this, code] { RunCommand([this, code] { SideButtonClicked(code); }); });
        }
    }
}

void RecordWindow::buildFixedControls()
{
    auto button = [this](const QString &name, const QString &caption, int left) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(name);
        b->setGeometry(left, 30, 140, 30);
        // Enter belongs to the fields (next field), never to a default button.
        b->setAutoDefault(false);
        return b;
    };
    m_btnSet = button(QStringLiteral("btnSet"), QStringLiteral("设置字段"), 8);
    m_btnSet->setFlat(true);
    m_btnSet->setIcon(AppIcon(QStringLiteral("preferences-system")));
    m_btnSave = button(QStringLiteral("btnSave"), QStringLiteral("保存(Ctrl+S)"), 520);
    m_btnClose = button(QStringLiteral("btnClose"), QStringLiteral("关闭(Ctrl+Q)"), 680);
    connect(m_btnSet, &QPushButton::clicked, this, [this] { RunCommand([this] { btnSetClick(); }); });
    connect(m_btnSave, &QPushButton::clicked, this, [this] { RunCommand([this] { Save(); }); });
    connect(m_btnClose, &QPushButton::clicked, this, [this] { RunCommand([this] { CloseWindow(); }); });
    if (m_mode == Mode::Edit) {
        m_btnPrior = button(QStringLiteral("btnPrior"), QStringLiteral("上一条(PgUp)"), 198);
        m_btnNext = button(QStringLiteral("btnNext"), QStringLiteral("下一条(PgDn)"), 360);
        connect(m_btnPrior, &QPushButton::clicked, this, [this] { RunCommand([this] { Step(false); }); });
        connect(m_btnNext, &QPushButton::clicked, this, [this] { RunCommand([this] { Step(true); }); });
    }

    m_pnlinfo = new QLabel(QStringLiteral("新增记录"), this);
    m_pnlinfo->setObjectName(QStringLiteral("pnlinfo"));
    m_pnlinfo->setAlignment(Qt::AlignCenter);
    m_pnlinfo->setFrameShape(QFrame::Panel);
    m_pnlinfo->setFrameShadow(QFrame::Raised);
    m_pnlinfo->setAutoFillBackground(true);
    QFont infoFont(Tfrm_base_form::systemFont());
    infoFont.setFamilies(QStringList{QStringLiteral("宋体")} + infoFont.families());
    infoFont.setPixelSize(24);
    infoFont.setBold(true);
    m_pnlinfo->setFont(infoFont);
    QPalette teal = m_pnlinfo->palette();
    teal.setColor(QPalette::WindowText, QColor(0, 128, 128));
    m_pnlinfo->setPalette(teal);
    m_pnlinfo->hide();

    m_tmr1 = new QTimer(this);
    m_tmr1->setObjectName(QStringLiteral("tmr1"));
    m_tmr1->setInterval(m_mode == Mode::Add ? 1000 : 600);
    connect(m_tmr1, &QTimer::timeout, this, [this] {
        m_tmr1->stop();
        m_pnlinfo->hide();
    });

    auto *save = new QShortcut(QKeySequence(QStringLiteral("Ctrl+S")), this);
    connect(save, &QShortcut::activated, this, [this] { RunCommand([this] { ShortcutSave(); }); });
    auto *close = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Q")), this);
    connect(close, &QShortcut::activated, this, [this] { RunCommand([this] { ShortcutClose(); }); });
}

QLabel *RecordWindow::label(const QString &code) const
{
    return findChild<QLabel *>(QStringLiteral("lbl") + code.toUpper(), Qt::FindDirectChildrenOnly);
}

QLabel *RecordWindow::marker(const QString &code) const
{
    return findChild<QLabel *>(QStringLiteral("lbl") + code.toUpper() + QLatin1Char('X'), Qt::FindDirectChildrenOnly);
}

QWidget *RecordWindow::editor(const QString &code) const
{
    return m_editors.value(code.toUpper());
}

DbEdit *RecordWindow::dbed(const QString &code) const
{
    return qobject_cast<DbEdit *>(editor(code));
}

DbDateEdit *RecordWindow::dbdts(const QString &code) const
{
    return qobject_cast<DbDateEdit *>(editor(code));
}

DbMapListCombo *RecordWindow::dbcb(const QString &code) const
{
    return qobject_cast<DbMapListCombo *>(editor(code));
}

QPushButton *RecordWindow::sideButton(const QString &code) const
{
    return findChild<QPushButton *>(QStringLiteral("btn") + code.toUpper(), Qt::FindDirectChildrenOnly);
}

void RecordWindow::applyColours(const QColor &windowColour, const QColor &editorColour)
{
    applyThemeColours(windowColour, editorColour);
    for (QWidget *e : std::as_const(m_editors))
        ColourControl(e, editorColour);
}

void RecordWindow::setPickLists(const QList<QStringList> &lists)
{
    for (int i = 0; i < 10; ++i) {
        DbMapListCombo *combo = dbcb(QStringLiteral("%1C%2").arg(m_letter).arg(i + 1, 2, 10, QLatin1Char('0')));
        combo->clear();
        combo->setMapList(true);
        if (i < lists.size())
            combo->addListItems(lists.at(i));
        combo->reload();
    }
}

void RecordWindow::loadPickLists()
{
    for (int i = 1; i <= 10; ++i) {
        const QString code = QStringLiteral("%1C%2").arg(m_letter).arg(i, 2, 10, QLatin1Char('0'));
        DbMapListCombo *combo = dbcb(code);
        FillComboFromSql(Qry(), QStringLiteral("select %1, %1NAME from N_%1 order by %1ORDER").arg(code), true, combo);
        combo->reload();
    }
}

void RecordWindow::bindTo(Dataset *dataset)
{
    m_data = dataset;
    for (auto it = m_editors.cbegin(); it != m_editors.cend(); ++it)
        linkOf(it.value())->setDataSource(dataset, it.key());
}

void RecordWindow::ApplyLabels()
{
    for (const QString &code : Schema::fieldCodes(m_letter))
        label(code)->setText(shared().caption(code));
}

void RecordWindow::LayoutFields()
{
    for (QWidget *w : findChildren<QWidget *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (w->property("tag").toInt() == kPoolTag)
            w->hide();
    }
    QList<RecordLayout::Field> fields;
    if (OpenSql(Qry(), QStringLiteral("select ino,sfield,sfieldtype,ieasy,INOTNULL from S_FIELD where idisplay=1 and "
                                      "STABLE='%1' order by ino")
                           .arg(m_table))) {
        for (int pos = 0; pos < Qry().recordCount(); ++pos) {
            RecordLayout::Field f;
            f.code = Qry().textAt(pos, 1).trimmed().toUpper();
            f.type = Qry().textAt(pos, 2).trimmed().toUpper();
            f.easy = Qry().textAt(pos, 3) == QLatin1String("1");
            f.notNull = Qry().textAt(pos, 4) == QLatin1String("1");
            fields << f;
        }
    }
    m_layout = RecordLayout::layOut(fields, editor(m_letter + QStringLiteral("S01"))->height(),
                                    QStringLiteral("%1S50").arg(m_letter));

    m_firstEditor.clear();
    QWidget *previous = nullptr;
    for (const RecordLayout::Placed &p : std::as_const(m_layout.fields)) {
        if (QLabel *l = label(p.code)) {
            l->setGeometry(p.x, p.labelTop, RecordLayout::LabelWidth, kLabelHeight);
            l->show();
        }
        if (p.marker) {
            if (QLabel *m = marker(p.code)) {
                m->setGeometry(p.markerLeft, p.labelTop, 16, kLabelHeight);
                m->show();
            }
        }
        QWidget *e = p.hasEditor ? editor(p.code) : nullptr;
        // The dictionary's type decides; a pool editor of another kind stays hidden.
        const bool kindMatches = e
            && ((p.type == QLatin1String("D")) == (qobject_cast<DbDateEdit *>(e) != nullptr))
            && ((p.type == QLatin1String("C")) == (qobject_cast<DbMapListCombo *>(e) != nullptr));
        if (!kindMatches)
            continue;
        e->setFixedHeight(p.editorHeight);
        e->setGeometry(p.editorLeft, p.editorTop, RecordLayout::EditorWidth, p.editorHeight);
        e->show();
        if (previous)
            QWidget::setTabOrder(previous, e);
        else
            m_firstEditor = p.code;
        previous = e;
        if (p.sideButton) {
            if (QPushButton *b = sideButton(p.code)) {
                b->setGeometry(p.sideButtonLeft, p.editorTop, RecordLayout::SideButtonWidth, kEditorHeight);
                b->show();
            }
        }
    }
    for (QPushButton *b : {m_btnPrior, m_btnNext, m_btnSave, m_btnClose, m_btnSet}) {
        if (!b)
            continue;
        b->move(b->x(), m_layout.buttonTop);
        if (previous)
            QWidget::setTabOrder(previous, b);
        previous = b;
    }
    setFixedSize(m_layout.windowWidth, m_layout.windowHeight);
    const int infoWidth = 420, infoHeight = 64;
    m_pnlinfo->setGeometry((width() - infoWidth) / 2, (height() - infoHeight) / 2, infoWidth, infoHeight);
    m_pnlinfo->raise();
}

void RecordWindow::showEvent(QShowEvent *event)
{
    if (!m_shown) {
        m_shown = true;
        RunCommand([this] { FormShow(); });
    }
    Tfrm_base_dbform::showEvent(event);
}

void RecordWindow::FormShow()
{
    if (m_mode == Mode::Add && m_letter == QLatin1Char('B'))
        loadPickLists();
    ApplyLabels();
    LayoutFields();
    if (m_mode == Mode::Add) {
        if (OpenSql(*m_own, m_own->sql()))
            NewRecord();
    } else if (QWidget *first = editor(m_firstEditor)) {
        first->setFocus();
    }
}

void RecordWindow::setParentKey(const QString &key)
{
    m_parentKey = key;
}

void RecordWindow::NewRecord()
{
    if (!m_own || !m_own->isOpen())
        return;
    m_own->append();
    if (m_letter == QLatin1Char('B') && !m_parentKey.isEmpty())
        m_own->setValue(QStringLiteral("AIID"), m_parentKey);
    for (const QString &code : Schema::fieldCodes(m_letter))
        LoadStartingValue(code);
    if (QWidget *first = editor(m_firstEditor))
        first->setFocus();
}

void RecordWindow::LoadStartingValue(const QString &code)
{
    if (!m_data->hasField(code))
        return;
    const QString sql = QStringLiteral("select a.inewtype, b.snewvalue, a.sfieldtype from S_FIELD a ,S_NEWVALUE b where "
                                       "a.STABLE=b.STABLE and a.SFIELD=B.SFIELD and a.SFIELD=")
                        + QuoteSql(code) + QStringLiteral(" and a.STABLE='%1' and b.SUSERID=").arg(m_table)
                        + QuoteSql(shared().user.id);
    if (!OpenSql(Qry(), sql) || Qry().isEmpty())
        return;
    const QString value = RecordRules::startingValue(Qry().text(QStringLiteral("inewtype")).trimmed(),
                                                     Qry().text(QStringLiteral("sfieldtype")).trimmed(),
                                                     Qry().text(QStringLiteral("snewvalue")));
    if (value.isNull())
        return;
    try {
        if (code.at(1) == QLatin1Char('D')) {
            const QDate date = RecordRules::dateFromSerial(value);
            if (date.isValid())
                m_data->setValue(code, date);
        } else {
            m_data->setValue(code, value);
        }
    } catch (const ConvertError &) {
        // A stored value the field cannot hold any more starts it empty.
    }
}

QString RecordWindow::defaultValueText(const QString &code) const
{
    QWidget *e = editor(code);
    if (auto *ed = qobject_cast<DbEdit *>(e))
        return ed->text().trimmed();
    if (auto *m = qobject_cast<DbMemo *>(e))
        return m->text().trimmed();
    if (auto *c = qobject_cast<DbMapListCombo *>(e))
        return c->currentCode();
    if (auto *d = qobject_cast<DbDateEdit *>(e))
        return RecordRules::daySerial(d->date());
    return QString();
}

void RecordWindow::StoreStartingValues()
{
    for (const QString &code : Schema::fieldCodes(m_letter)) {
        ExecSql(Qry(), QStringLiteral("update S_NEWVALUE set snewvalue=") + QuoteSql(defaultValueText(code))
                           + QStringLiteral(" where sfield=") + QuoteSql(code) + QStringLiteral(" and SUSERID=")
                           + QuoteSql(shared().user.id) + QStringLiteral(" and STABLE='%1'").arg(m_table));
    }
}

bool RecordWindow::RequiredCheck()
{
    if (!OpenSql(Qry(), QStringLiteral("select sfield, sfieldname1, sfieldtype from S_FIELD where stable='%1' and "
                                       "idisplay=1 and inotnull=1 order by ino")
                            .arg(m_table)))
        return false;
    for (int pos = 0; pos < Qry().recordCount(); ++pos) {
        const QString code = Qry().textAt(pos, 0).trimmed().toUpper();
        if (!m_data->hasField(code) || !m_data->text(code).isEmpty())
            continue;
        ShowWarning(Qry().textAt(pos, 1) + QStringLiteral("不能为空!"));
        if (QWidget *e = editor(code))
            e->setFocus();
        return false;
    }
    return true;
}

void RecordWindow::showInfo(const QString &text, bool startTimer)
{
    m_pnlinfo->setText(text);
    m_pnlinfo->show();
    m_pnlinfo->raise();
    m_pnlinfo->repaint();
    if (startTimer)
        m_tmr1->start();
}

bool RecordWindow::Save()
{
    if (!m_data || !m_data->isOpen())
        return false;
    if (!CommitEditors(this))
        return false;
    return m_mode == Mode::Add ? SaveNew() : SaveCurrent();
}

bool RecordWindow::SaveNew()
{
    if (!RequiredCheck())
        return false;
    showInfo(QStringLiteral("正在保存数据记录..."), false);

    // What the user entered, to put back if the store refuses the record.
    QList<QPair<QString, QVariant>> entered;
    for (int col = 0; col < m_own->fieldCount(); ++col) {
        if (!m_own->fieldReadOnly(col))
            entered << qMakePair(m_own->fieldName(col), m_own->value(col));
    }
    SqlTransaction transaction(*m_own);
    if (!transaction.begin())
        return false;
    try {
        try {
            m_own->post();
        } catch (const SqlError &e) {
            ShowError(e.message());
            throw;
        }
        StoreStartingValues(); // a failure has shown its statement
        if (!transaction.commit())
            throw SilentAbort();
    } catch (const std::exception &) {
        transaction.rollback();
        if (!m_own->isEditing()) {
            // The row reached the store before the rollback took it back:
            // it is entered again, unsaved, as the user left it.
            reopenEmpty();
            m_own->append();
            for (const auto &field : std::as_const(entered))
                m_own->setValue(field.first, field.second);
        }
        return false;
    }
    showInfo(QStringLiteral("保存成功,继续录入..."), true);
    if (m_letter == QLatin1Char('A'))
        m_result = true;
    reopenEmpty();
    NewRecord();
    return true;
}

void RecordWindow::reopenEmpty()
{
    // The add dataset never shows stored rows: a fresh, empty one.
    m_own->close();
    m_own->open();
}

bool RecordWindow::SaveCurrent()
{
    if (m_data->isEmpty() || !RequiredCheck())
        return false;
    showInfo(QStringLiteral("保存数据..."), false);
    SqlTransaction transaction(*m_data);
    if (!transaction.begin())
        return false;
    try {
        if (!m_data->isEditing())
            m_data->edit();
        m_data->post();
        if (!transaction.commit())
            throw SilentAbort(); // shown
    } catch (const std::exception &e) {
        transaction.rollback();
        showInfo(QStringLiteral("保存数据失败"), true);
        if (auto *error = dynamic_cast<const AppError *>(&e))
            ShowError(error->message());
        return false;
    }
    showInfo(QStringLiteral("保存数据成功"), true);
    return true;
}

void RecordWindow::Step(bool forward)
{
    if (m_mode != Mode::Edit || !m_data || !m_data->isOpen() || m_data->isEmpty())
        return;
    if (!CommitEditors(this) || !RequiredCheck())
        return;
    if (!m_data->isEditing())
        m_data->edit();
    m_data->post(); // a refusal reaches the user; the row is not left
    if (forward)
        m_data->next();
    else
        m_data->prior();
}

void RecordWindow::CloseWindow()
{
    if (m_mode == Mode::Edit && m_data && m_data->isOpen() && m_data->isEditing()) {
        // Typed text not yet written goes with the rest.
        for (QWidget *e : std::as_const(m_editors))
            linkOf(e)->reload();
        m_data->cancel();
    }
    close();
}

void RecordWindow::closeEvent(QCloseEvent *event)
{
    // An unsaved new record is dropped without a question.
    if (m_own && m_own->isOpen() && m_own->isEditing())
        m_own->cancel();
    Tfrm_base_dbform::closeEvent(event);
}

void RecordWindow::keyPressEvent(QKeyEvent *event)
{
    if (formKeyDown(event))
        return;
    if (event->key() == Qt::Key_Escape) {
        // Escape leaves the way "关闭" does.
        RunCommand([this] { ShortcutClose(); });
        return;
    }
    Tfrm_base_dbform::keyPressEvent(event);
}

bool RecordWindow::formKeyDown(QKeyEvent *event)
{
    if (m_mode != Mode::Edit || event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return false;
    if (event->key() == Qt::Key_PageUp || event->key() == Qt::Key_PageDown) {
        const bool forward = event->key() == Qt::Key_PageDown;
        RunCommand([this, forward] { Step(forward); });
        return true;
    }
    return false;
}

void RecordWindow::ShortcutSave()
{
    QWidget *left = focusWidget();
    m_leaveRan = false;
    // Leaving the editor writes its text and runs its exit handling first.
    m_btnSave->setFocus(Qt::ShortcutFocusReason);
    if (!m_leaveRan && left && left != m_btnSave && !m_editors.key(left).isEmpty())
        EditorLeft(left);
    if (m_btnSave->isEnabled())
        Save();
}

void RecordWindow::ShortcutClose()
{
    if (m_btnClose->isEnabled())
        CloseWindow();
}

bool RecordWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        auto *w = qobject_cast<QWidget *>(watched);
        const QString code = m_editors.key(w);
        if (!code.isEmpty() && DataLink::leavesEditor(static_cast<QFocusEvent *>(event)->reason())) {
            m_leaveRan = true;
            RunCommand([this, w] { EditorLeft(w); });
        }
    }
    return Tfrm_base_dbform::eventFilter(watched, event);
}

void RecordWindow::EditorLeft(QWidget *editor)
{
    const QString code = m_editors.key(editor);
    if (code.isEmpty() || !m_data || !m_data->isOpen())
        return;
    if (isTextCode(code)) {
        // Text always converts: writing it here cannot be refused.
        if (auto *ed = qobject_cast<DbEdit *>(editor))
            ed->commit();
        else if (auto *m = qobject_cast<DbMemo *>(editor))
            m->commit();
        ExpandPhrase(code);
    } else if (code == QLatin1String("AI02") && isComposing()) {
        ComposeReference();
    }
}

bool RecordWindow::isComposing() const
{
    return m_letter == QLatin1Char('A') && m_mode == Mode::Add;
}

void RecordWindow::ExpandPhrase(const QString &code)
{
    if (!m_btnSave->isEnabled() || m_data->isEmpty())
        return;
    QString typed;
    if (auto *ed = dbed(code))
        typed = ed->text().trimmed();
    else if (m_memo && editor(code) == m_memo)
        typed = m_memo->text().trimmed();
    if (typed.isEmpty())
        return;
    if (!OpenSql(Qry(), QStringLiteral("select svalue from s_easy where sfield=") + QuoteSql(code)
                            + QStringLiteral(" and seasy=") + QuoteSql(typed)
                            + QStringLiteral(" and  STABLE='%1'").arg(m_table))
        || Qry().isEmpty())
        return;
    const QString phrase = Qry().text(QStringLiteral("svalue"));
    if (!m_data->isEditing())
        m_data->edit();
    m_data->setValue(code, phrase);
}

QString RecordWindow::lookupCode(const QString &code, const QString &shortColumn)
{
    bool numeric = false;
    code.toLongLong(&numeric);
    // Only a code from the list goes into the statement.
    if (!numeric)
        return QString();
    const QString field = shortColumn.left(4);
    if (!OpenSql(Qry(), QStringLiteral("select %1 from N_%2 where %2=%3").arg(shortColumn, field, code))
        || Qry().isEmpty())
        return QString();
    return Qry().text(shortColumn);
}

void RecordWindow::ComposeReference()
{
    const QString ac03 = dbcb(QStringLiteral("AC03"))->currentCode();
    const QString ac02 = dbcb(QStringLiteral("AC02"))->currentCode();
    const QString ref = RecordRules::composeReference(
        m_data->text(QStringLiteral("AS07")), m_data->text(QStringLiteral("AI01")), !ac03.isEmpty(),
        ac03.isEmpty() ? QString() : lookupCode(ac03, QStringLiteral("AC03CODE")), !ac02.isEmpty(),
        ac02.isEmpty() ? QString() : lookupCode(ac02, QStringLiteral("AC02CODE")),
        dbed(QStringLiteral("AI02"))->text().trimmed());
    if (!m_data->isEditing())
        m_data->edit();
    m_data->setValue(QStringLiteral("AS14"), ref);
}

bool RecordWindow::settingsAllowed() const
{
    if (shared().user.hasRight(QStringLiteral("IRSET")))
        return true;
    ShowInfo(noSettingsRight());
    return false;
}

void RecordWindow::SideButtonClicked(const QString &code)
{
    if (!settingsAllowed())
        return;
    const QColor comboColour = dbcb(m_letter + QStringLiteral("C01"))->palette().color(QPalette::Base);
    if (code.at(1) == QLatin1Char('S')) {
        Tfrm_sys_easy::Execute(themeBackground(), comboColour, m_table, code, this);
        return;
    }
    DbMapListCombo *combo = dbcb(code);
    if (!combo)
        return;
    Tfrm_sys_code::Execute(themeBackground(), comboColour, m_table, code, m_letter == QLatin1Char('A'), this);
    FillComboFromSql(Qry(), QStringLiteral("select %1,%1name from N_%1 order by %1ORDER").arg(code), true, combo);
    // The field still holds the code chosen before; a code that is gone
    // shows nothing.
    combo->reload();
}

void RecordWindow::btnSetClick()
{
    if (!settingsAllowed())
        return;
    Tfrm_sys_field::Execute(themeBackground(), dbcb(m_letter + QStringLiteral("C01"))->palette().color(QPalette::Base),
                            m_table, this);
    ApplyLabels();
    LayoutFields();
    if (!isComposing())
        m_result = true;
}

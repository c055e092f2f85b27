#include "app/base_dbform.h"

#include "data/Dataset.h"

#include <QCoreApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>

namespace {

// The helpers an editor uses are kept on the editor itself, so nothing here
// outlives it.
constexpr char kHelpersProperty[] = "peluKeyHelpers";

bool isEnter(int key)
{
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isDigit(QChar c)
{
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

} // namespace

Tfrm_base_dbform::Tfrm_base_dbform(QWidget *parent)
    : Tfrm_base_form(parent)
    , m_qry(new Dataset(this))
{
    m_qry->setObjectName(QStringLiteral("Qry"));
}

Tfrm_base_dbform::~Tfrm_base_dbform() = default;

void Tfrm_base_dbform::install(QWidget *editor, Helper helper)
{
    if (!editor)
        return;
    const int helpers = editor->property(kHelpersProperty).toInt();
    if (helpers == 0)
        editor->installEventFilter(this);
    editor->setProperty(kHelpersProperty, helpers | helper);
}

void Tfrm_base_dbform::installKeyP(QWidget *editor)
{
    install(editor, KeyP);
}

void Tfrm_base_dbform::installKeyD(QWidget *editor)
{
    install(editor, KeyD);
}

void Tfrm_base_dbform::installIntegerFilter(QWidget *editor)
{
    install(editor, IntegerKeys);
}

void Tfrm_base_dbform::installFloatFilter(QWidget *editor)
{
    install(editor, FloatKeys);
}

bool Tfrm_base_dbform::acceptsIntegerText(const QString &text)
{
    return passes(text, IntegerKeys);
}

bool Tfrm_base_dbform::acceptsFloatText(const QString &text)
{
    return passes(text, FloatKeys);
}

bool Tfrm_base_dbform::passes(const QString &text, int helpers)
{
    if (!(helpers & (IntegerKeys | FloatKeys)))
        return true;
    for (const QChar c : text) {
        if (!c.isPrint())
            continue; // backspace and the control characters of shortcuts
        if (isDigit(c))
            continue;
        if ((helpers & FloatKeys) && c == QLatin1Char('.'))
            continue;
        return false;
    }
    return true;
}

bool Tfrm_base_dbform::formKeyDown(QKeyEvent *)
{
    return false;
}

bool Tfrm_base_dbform::eventFilter(QObject *watched, QEvent *event)
{
    const int helpers = watched->property(kHelpersProperty).toInt();
    if (helpers == 0)
        return Tfrm_base_form::eventFilter(watched, event);

    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((helpers & KeyD) && key->key() != Qt::Key_Up && key->key() != Qt::Key_Down) {
            if (formKeyDown(key))
                return true;
        }
        // Shortcuts (Ctrl+C, Ctrl+V, ...) are never judged as typed text.
        const bool shortcut = key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
        if (!shortcut && !passes(key->text(), helpers))
            return true;
        if ((helpers & KeyP) && isEnter(key->key())) {
            focusNextChild();
            return true;
        }
    } else if (event->type() == QEvent::InputMethod && (helpers & (IntegerKeys | FloatKeys))) {
        // Text from an input method is judged like typed keys.
        auto *im = static_cast<QInputMethodEvent *>(event);
        const QString commit = im->commitString();
        QString kept;
        for (const QChar c : commit) {
            if (passes(QString(c), helpers))
                kept += c;
        }
        if (kept != commit) {
            // Pass on the rest so the editor's composition state stays right.
            QInputMethodEvent filtered(im->preeditString(), im->attributes());
            filtered.setCommitString(kept, im->replacementStart(), im->replacementLength());
            QCoreApplication::sendEvent(watched, &filtered);
            return true;
        }
    }
    return Tfrm_base_form::eventFilter(watched, event);
}

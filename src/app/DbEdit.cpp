#include "app/DbEdit.h"

#include <QFocusEvent>
#include <QKeyEvent>

namespace {

// The characters a number field takes as typed, like the framework's field
// validation: the value itself is checked when the editor commits.
bool numberCharacters(Dataset::FieldKind kind, const QString &typed)
{
    for (const QChar c : typed) {
        if ((c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('+') || c == QLatin1Char('-'))
            continue;
        if (kind == Dataset::FieldKind::Double
            && (c == QLatin1Char('.') || c == QLatin1Char('e') || c == QLatin1Char('E')))
            continue;
        return false;
    }
    return true;
}

bool isNumberKind(Dataset::FieldKind kind)
{
    return kind == Dataset::FieldKind::Int32 || kind == Dataset::FieldKind::Int64 || kind == Dataset::FieldKind::Double;
}

} // namespace

DbEdit::DbEdit(QWidget *parent)
    : QLineEdit(parent)
    , m_link(new DataLink(this, this))
{
    connect(m_link, &DataLink::userEdited, this, &DbEdit::userEdited);
    connect(m_link, &DataLink::committed, this, &DbEdit::committed);
    connect(this, &QLineEdit::textEdited, m_link, &DataLink::editorChanged);
    connect(this, &QLineEdit::returnPressed, m_link, &DataLink::commit);
}

DbEdit::~DbEdit()
{
    delete m_link;
}

void DbEdit::setDataSource(Dataset *dataset, const QString &field)
{
    m_link->setDataSource(dataset, field);
}

void DbEdit::setReadOnly(bool readOnly)
{
    m_link->setReadOnly(readOnly);
}

void DbEdit::clearValue()
{
    if (m_link->isBound()) {
        m_link->writeValue(QVariant());
    } else {
        clear();
        m_link->reload();
    }
}

void DbEdit::keyPressEvent(QKeyEvent *event)
{
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).isPrint()
        && !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    if (printable && isNumberKind(m_link->fieldKind()) && !numberCharacters(m_link->fieldKind(), typed)) {
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

void DbEdit::focusOutEvent(QFocusEvent *event)
{
    if (DataLink::leavesEditor(event->reason())) {
        m_link->editorLeft();
        if (hasFocus())
            return; // the text was refused; the editor keeps the focus
    }
    QLineEdit::focusOutEvent(event);
}

void DbEdit::showLinkValue(const QVariant &, const QString &text)
{
    if (m_link->isBound()) {
        const int width = m_link->fieldWidth();
        setMaxLength(width > 0 ? width : 32767);
    }
    setText(text);
    if (!hasFocus())
        setCursorPosition(0);
}

QVariant DbEdit::linkValue() const
{
    return text();
}

void DbEdit::setLinkReadOnly(bool readOnly)
{
    QLineEdit::setReadOnly(readOnly);
}

void DbEdit::refocusLinkEditor()
{
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

bool DbEdit::linkEditorShown() const
{
    return isVisible();
}

#include "app/DbMemo.h"

#include <QFocusEvent>
#include <QScopedValueRollback>
#include <QTextCursor>

DbMemo::DbMemo(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_link(new DataLink(this, this))
{
    setTabChangesFocus(true);
    connect(m_link, &DataLink::userEdited, this, &DbMemo::userEdited);
    connect(m_link, &DataLink::committed, this, &DbMemo::committed);
    connect(this, &QPlainTextEdit::textChanged, this, &DbMemo::contentsChanged);
}

DbMemo::~DbMemo()
{
    delete m_link;
}

void DbMemo::setDataSource(Dataset *dataset, const QString &field)
{
    m_link->setDataSource(dataset, field);
}

void DbMemo::setMaxLength(int length)
{
    m_maxLength = qMax(0, length);
    if (m_maxLength > 0 && toPlainText().size() > m_maxLength)
        showText(toPlainText().left(m_maxLength));
}

void DbMemo::setText(const QString &text)
{
    showText(text);
    if (!m_link->isBound())
        m_link->reload();
}

void DbMemo::setReadOnly(bool readOnly)
{
    m_link->setReadOnly(readOnly);
}

void DbMemo::clearValue()
{
    if (m_link->isBound()) {
        m_link->writeValue(QVariant());
    } else {
        showText(QString());
        m_link->reload();
    }
}

void DbMemo::contentsChanged()
{
    if (m_showing)
        return;
    const QString all = toPlainText();
    if (m_maxLength > 0 && all.size() > m_maxLength) {
        // Typed or pasted beyond the limit: the end is cut off, as a
        // single-line edit refuses the extra characters.
        QScopedValueRollback<bool> showing(m_showing, true);
        QTextCursor cursor = textCursor();
        const int at = qMin(cursor.position(), m_maxLength);
        setPlainText(all.left(m_maxLength));
        cursor = textCursor();
        cursor.setPosition(at);
        setTextCursor(cursor);
    }
    m_link->editorChanged();
}

void DbMemo::showText(const QString &text)
{
    QScopedValueRollback<bool> showing(m_showing, true);
    setPlainText(m_maxLength > 0 ? text.left(m_maxLength) : text);
}

void DbMemo::focusOutEvent(QFocusEvent *event)
{
    if (DataLink::leavesEditor(event->reason())) {
        m_link->editorLeft();
        if (hasFocus())
            return;
    }
    QPlainTextEdit::focusOutEvent(event);
}

void DbMemo::showLinkValue(const QVariant &, const QString &text)
{
    if (m_link->isBound())
        m_maxLength = m_link->fieldWidth();
    showText(text);
}

QVariant DbMemo::linkValue() const
{
    return toPlainText();
}

void DbMemo::setLinkReadOnly(bool readOnly)
{
    QPlainTextEdit::setReadOnly(readOnly);
}

void DbMemo::refocusLinkEditor()
{
    setFocus(Qt::OtherFocusReason);
    selectAll();
}

bool DbMemo::linkEditorShown() const
{
    return isVisible();
}

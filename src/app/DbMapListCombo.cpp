#include "app/DbMapListCombo.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QApplication>
#include <QLineEdit>
#include <QProxyStyle>

namespace {

// Styles that open the list over the combo (Fusion among them) show every
// item and ignore maxVisibleItems; the drop-down list below the combo keeps
// to eight rows.
class DropDownListStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ComboBox_Popup)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

QStyle *dropDownListStyle()
{
    static QPointer<QStyle> style;
    if (!style) {
        style = new DropDownListStyle;
        style->setParent(qApp);
    }
    return style;
}

} // namespace

DbMapListCombo::DbMapListCombo(QWidget *parent)
    : MapListCombo(parent)
    , m_link(new DataLink(this, this))
{
    setMapList(true);
    setStyle(dropDownListStyle());
    setMaxVisibleItems(8);
    setInsertPolicy(QComboBox::NoInsert);
    connect(m_link, &DataLink::userEdited, this, &DbMapListCombo::userEdited);
    connect(m_link, &DataLink::committed, this, &DbMapListCombo::committed);
    // activated comes only from the user (list, keys, wheel), never from code.
    connect(this, qOverload<int>(&QComboBox::activated), this, &DbMapListCombo::picked);
}

DbMapListCombo::~DbMapListCombo()
{
    delete m_link;
}

void DbMapListCombo::setDataSource(Dataset *dataset, const QString &field)
{
    m_link->setDataSource(dataset, field);
}

void DbMapListCombo::setReadOnly(bool readOnly)
{
    m_link->setReadOnly(readOnly);
}

void DbMapListCombo::clearValue()
{
    if (m_link->isBound()) {
        m_link->writeValue(QVariant());
    } else {
        clearSelection();
        m_shownCode.clear();
        m_link->reload();
    }
}

void DbMapListCombo::showPopup()
{
    if (!m_blocked)
        MapListCombo::showPopup();
}

void DbMapListCombo::picked(int index)
{
    const QString code = index >= 0 ? currentCode() : QString();
    if (!m_link->isModified() && code == m_shownCode)
        return; // the same item chosen again
    m_link->commitValue(code);
}

bool DbMapListCombo::event(QEvent *event)
{
    // The line edit of an editable combo comes and goes with setEditable;
    // the user can type only after some event reached the combo.
    if (lineEdit() != m_trackedEdit)
        trackLineEdit();
    return MapListCombo::event(event);
}

void DbMapListCombo::trackLineEdit()
{
    m_trackedEdit = lineEdit();
    if (!m_trackedEdit)
        return;
    m_trackedEdit->setReadOnly(m_blocked);
    connect(m_trackedEdit, &QLineEdit::textEdited, m_link, &DataLink::editorChanged);
    connect(m_trackedEdit, &QLineEdit::returnPressed, m_link, &DataLink::commit);
}

void DbMapListCombo::keyPressEvent(QKeyEvent *event)
{
    if (m_blocked) {
        event->ignore(); // Tab, Enter and window keys still go on
        return;
    }
    // No key clears the choice of a list-only combo.
    if (!isEditable() && (event->key() == Qt::Key_Delete || event->key() == Qt::Key_Backspace)) {
        event->accept();
        return;
    }
    MapListCombo::keyPressEvent(event);
}

void DbMapListCombo::mousePressEvent(QMouseEvent *event)
{
    if (m_blocked) {
        event->accept();
        return;
    }
    MapListCombo::mousePressEvent(event);
}

void DbMapListCombo::wheelEvent(QWheelEvent *event)
{
    if (m_blocked) {
        event->ignore();
        return;
    }
    MapListCombo::wheelEvent(event);
}

void DbMapListCombo::focusOutEvent(QFocusEvent *event)
{
    if (DataLink::leavesEditor(event->reason())) {
        m_link->editorLeft();
        if (hasFocus())
            return;
    }
    MapListCombo::focusOutEvent(event);
}

void DbMapListCombo::showLinkValue(const QVariant &, const QString &text)
{
    if (text.isEmpty())
        clearSelection();
    else
        setCurrentCode(text);
    m_shownCode = text;
}

QVariant DbMapListCombo::linkValue() const
{
    return currentCode();
}

void DbMapListCombo::setLinkReadOnly(bool readOnly)
{
    m_blocked = readOnly;
    if (lineEdit())
        lineEdit()->setReadOnly(readOnly);
}

void DbMapListCombo::refocusLinkEditor()
{
    setFocus(Qt::OtherFocusReason);
    if (lineEdit())
        lineEdit()->selectAll();
}

bool DbMapListCombo::linkEditorShown() const
{
    return isVisible();
}

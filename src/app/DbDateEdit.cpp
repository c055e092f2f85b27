#include "app/DbDateEdit.h"

#include "app/MessageBoxes.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QFocusEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QScreen>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QVBoxLayout>

DbDateEdit::DbDateEdit(QWidget *parent)
    : QWidget(parent)
    , m_link(new DataLink(this, this))
    , m_edit(new QLineEdit(this))
{
    // Like a spin box: the widget holds the focus and hands keys to its text
    // field, so the window's key helpers installed on it see every key.
    m_edit->setFrame(false);
    m_edit->setFocusProxy(this);
    m_edit->setMaxLength(10);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    connect(m_link, &DataLink::userEdited, this, &DbDateEdit::userEdited);
    connect(m_link, &DataLink::committed, this, &DbDateEdit::committed);
    connect(m_edit, &QLineEdit::textEdited, m_link, &DataLink::editorChanged);
    connect(m_edit, &QLineEdit::returnPressed, m_link, &DataLink::commit);
}

DbDateEdit::~DbDateEdit()
{
    delete m_link;
}

QDate DbDateEdit::parseDate(const QString &text, bool *ok)
{
    static const QRegularExpression dashed(QStringLiteral("^([0-9]{4}|[0-9]{1,2})-([0-9]{1,2})-([0-9]{1,2})$"));
    static const QRegularExpression packed(QStringLiteral("^([0-9]{4})([0-9]{2})([0-9]{2})$"));
    const QString t = text.trimmed();
    *ok = true;
    if (t.isEmpty())
        return QDate();
    QRegularExpressionMatch m = dashed.match(t);
    if (!m.hasMatch())
        m = packed.match(t);
    if (!m.hasMatch()) {
        *ok = false;
        return QDate();
    }
    int year = m.captured(1).toInt();
    if (m.captured(1).size() <= 2)
        year += year < 50 ? 2000 : 1900; // two-digit years from 1950 on
    const QDate date(year, m.captured(2).toInt(), m.captured(3).toInt());
    *ok = date.isValid();
    return date;
}

QString DbDateEdit::badDateMessage(const QString &text)
{
    return QStringLiteral("“%1”不是有效的日期，请按yyyy-mm-dd格式录入!").arg(text.trimmed());
}

void DbDateEdit::setDataSource(Dataset *dataset, const QString &field)
{
    m_link->setDataSource(dataset, field);
}

QDate DbDateEdit::date() const
{
    bool ok = false;
    const QDate d = parseDate(m_edit->text(), &ok);
    return ok ? d : QDate();
}

void DbDateEdit::setDate(const QDate &date)
{
    showDate(date);
    if (!m_link->isBound())
        m_link->reload(); // drops what the user had typed
}

QString DbDateEdit::text() const
{
    return m_edit->text();
}

bool DbDateEdit::isTextValid() const
{
    bool ok = false;
    parseDate(m_edit->text(), &ok);
    return ok;
}

void DbDateEdit::setReadOnly(bool readOnly)
{
    m_link->setReadOnly(readOnly);
}

void DbDateEdit::clearValue()
{
    if (m_link->isBound()) {
        m_link->writeValue(QVariant());
    } else {
        showDate(QDate());
        m_link->reload();
    }
}

QCalendarWidget *DbDateEdit::calendar() const
{
    if (!m_calendar) {
        auto *self = const_cast<DbDateEdit *>(this);
        m_popup = new QFrame(self, Qt::Popup);
        m_popup->setFrameShape(QFrame::StyledPanel);
        m_popup->installEventFilter(self);
        auto *layout = new QVBoxLayout(m_popup);
        layout->setContentsMargins(1, 1, 1, 1);
        m_calendar = new QCalendarWidget(m_popup);
        m_calendar->setLocale(QLocale(QLocale::Chinese, QLocale::China));
        m_calendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
        layout->addWidget(m_calendar);
        connect(m_calendar, &QCalendarWidget::clicked, self, &DbDateEdit::picked);
        connect(m_calendar, &QCalendarWidget::activated, self, &DbDateEdit::picked);
    }
    return m_calendar;
}

void DbDateEdit::showPopup()
{
    if (m_blocked)
        return;
    QCalendarWidget *cal = calendar();
    const QDate shown = date();
    cal->setSelectedDate(shown.isValid() ? shown : QDate::currentDate());
    m_popup->adjustSize();
    const QSize size = m_popup->sizeHint();
    QPoint at = mapToGlobal(QPoint(0, height()));
    if (const QScreen *screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        if (at.y() + size.height() > area.bottom())
            at.setY(mapToGlobal(QPoint(0, 0)).y() - size.height());
        at.setX(qBound(area.left(), at.x(), qMax(area.left(), area.right() - size.width())));
    }
    m_popup->move(at);
    m_popup->show();
    cal->setFocus(Qt::PopupFocusReason);
}

void DbDateEdit::hidePopup()
{
    if (m_popup)
        m_popup->hide();
}

bool DbDateEdit::isPopupVisible() const
{
    return m_popup && m_popup->isVisible();
}

void DbDateEdit::picked(const QDate &date)
{
    hidePopup();
    if (!m_link->isModified() && date == this->date() && isTextValid())
        return;
    m_link->commitValue(date);
}

void DbDateEdit::showDate(const QDate &date)
{
    m_edit->setText(date.isValid() ? date.toString(displayFormat()) : QString());
}

void DbDateEdit::initStyleOption(QStyleOptionComboBox *option) const
{
    option->initFrom(this);
    option->editable = true;
    option->frame = true;
    option->subControls = QStyle::SC_All;
    if (hasFocus())
        option->state |= QStyle::State_HasFocus;
    if (m_blocked)
        option->state |= QStyle::State_ReadOnly;
    if (m_arrowDown || isPopupVisible()) {
        option->activeSubControls = QStyle::SC_ComboBoxArrow;
        option->state |= QStyle::State_Sunken;
    }
}

QRect DbDateEdit::arrowRect() const
{
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, this);
}

void DbDateEdit::placeEdit()
{
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    m_edit->setGeometry(style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this));
}

QSize DbDateEdit::sizeHint() const
{
    const QFontMetrics fm(font());
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    const QSize text(fm.horizontalAdvance(QStringLiteral("8888-88-88")) + 6, qMax(fm.height(), 14) + 2);
    return style()->sizeFromContents(QStyle::CT_ComboBox, &opt, text, this);
}

QSize DbDateEdit::minimumSizeHint() const
{
    return sizeHint();
}

QVariant DbDateEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    return m_edit->inputMethodQuery(query);
}

bool DbDateEdit::event(QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
        // Ctrl+C, Ctrl+V and the like belong to the text field.
        if (m_edit->event(event) && event->isAccepted())
            return true;
        break;
    case QEvent::HoverEnter:
    case QEvent::HoverLeave:
    case QEvent::HoverMove:
        update();
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

bool DbDateEdit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_popup && event->type() == QEvent::MouseButtonPress) {
        // A press outside closes the popup; on our own button it must not
        // open it again at once.
        auto *me = static_cast<QMouseEvent *>(event);
        const QPoint local = mapFromGlobal(me->globalPosition().toPoint());
        m_popup->setAttribute(Qt::WA_NoMouseReplay, arrowRect().contains(local));
    } else if (watched == m_popup && event->type() == QEvent::Hide) {
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void DbDateEdit::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    painter.drawComplexControl(QStyle::CC_ComboBox, opt);
}

void DbDateEdit::resizeEvent(QResizeEvent *event)
{
    placeEdit();
    QWidget::resizeEvent(event);
}

void DbDateEdit::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::StyleChange || event->type() == QEvent::FontChange)
        placeEdit();
    QWidget::changeEvent(event);
}

void DbDateEdit::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton && arrowRect().contains(event->position().toPoint())) {
        if (isPopupVisible()) {
            hidePopup();
        } else if (!m_blocked) {
            m_arrowDown = true;
            update();
            showPopup();
            m_arrowDown = false;
        }
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void DbDateEdit::keyPressEvent(QKeyEvent *event)
{
    const bool open = event->key() == Qt::Key_F4
        || ((event->key() == Qt::Key_Down || event->key() == Qt::Key_Up) && (event->modifiers() & Qt::AltModifier));
    if (open) {
        showPopup();
        event->accept();
        return;
    }
    // Up and down stay with the editor, as in a combo (nothing to step).
    if (event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) {
        event->accept();
        return;
    }
    m_edit->event(event);
}

void DbDateEdit::keyReleaseEvent(QKeyEvent *event)
{
    m_edit->event(event);
}

void DbDateEdit::inputMethodEvent(QInputMethodEvent *event)
{
    m_edit->event(event);
}

void DbDateEdit::focusInEvent(QFocusEvent *event)
{
    m_edit->event(event);
    if (event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason)
        m_edit->selectAll();
    QWidget::focusInEvent(event);
    update();
}

void DbDateEdit::focusOutEvent(QFocusEvent *event)
{
    if (DataLink::leavesEditor(event->reason())) {
        m_link->editorLeft();
        if (hasFocus())
            return;
    }
    m_edit->event(event);
    QWidget::focusOutEvent(event);
    update();
}

void DbDateEdit::showLinkValue(const QVariant &value, const QString &text)
{
    QDate d;
    if (value.typeId() == QMetaType::QDate || value.typeId() == QMetaType::QDateTime) {
        d = value.toDate();
    } else {
        bool ok = false;
        d = parseDate(text, &ok);
    }
    showDate(d);
}

QVariant DbDateEdit::linkValue() const
{
    bool ok = false;
    const QDate d = parseDate(m_edit->text(), &ok);
    if (!ok)
        throw ConvertError(badDateMessage(m_edit->text()));
    return d.isValid() ? QVariant(d) : QVariant();
}

void DbDateEdit::setLinkReadOnly(bool readOnly)
{
    m_blocked = readOnly;
    m_edit->setReadOnly(readOnly);
    if (readOnly)
        hidePopup();
    update();
}

void DbDateEdit::refocusLinkEditor()
{
    setFocus(Qt::OtherFocusReason);
    m_edit->selectAll();
}

bool DbDateEdit::linkEditorShown() const
{
    return isVisible();
}

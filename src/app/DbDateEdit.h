#pragma once

#include "app/DataLink.h"

#include <QDate>
#include <QWidget>

class QCalendarWidget;
class QFrame;
class QLineEdit;
class QStyleOptionComboBox;

// Date picker with a real empty state: a text field showing "yyyy-MM-dd" or
// nothing, and a drop-down button (also Alt+Down or F4) opening a calendar.
// Typed text is read when the editor commits: yyyy-MM-dd, yyyy-M-d,
// yyyyMMdd, and years of one or two digits from 1950 on (24-3-5 is
// 2024-03-05, 50-1-1 is 1950-01-01). Empty text is no date; other text gets
// a message and the editor keeps it and the focus.
class DbDateEdit : public QWidget, private DataLinkEditor {
    Q_OBJECT
public:
    explicit DbDateEdit(QWidget *parent = nullptr);
    ~DbDateEdit() override;

    static QString displayFormat() { return QStringLiteral("yyyy-MM-dd"); }
    // A typed date; *ok is false when the text is no date. Empty text is a
    // null date and ok.
    static QDate parseDate(const QString &text, bool *ok);
    // The message for text that is no date.
    static QString badDateMessage(const QString &text);

    void setDataSource(Dataset *dataset, const QString &field);
    Dataset *dataSource() const { return m_link->dataset(); }
    QString dataField() const { return m_link->dataField(); }
    DataLink *dataLink() const { return m_link; }

    // The date shown: null when the editor is empty (or its text is no date).
    QDate date() const;
    // Shows a date, or nothing for a null date; emits nothing. A bound
    // editor shows its field again on the next move: set the field instead.
    void setDate(const QDate &date);
    QString text() const;
    // Empty or a date.
    bool isTextValid() const;

    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_blocked; }
    bool commit() { return m_link->commit(); }
    // No date; a bound editor writes null into its field.
    void clearValue();

    void showPopup();
    void hidePopup();
    bool isPopupVisible() const;
    QLineEdit *lineEdit() const { return m_edit; }
    // The calendar of the drop-down (made on first use).
    QCalendarWidget *calendar() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

signals:
    void userEdited();
    void committed();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void initStyleOption(QStyleOptionComboBox *option) const;
    QRect arrowRect() const;
    void placeEdit();
    void picked(const QDate &date);
    void showDate(const QDate &date);
    void showLinkValue(const QVariant &value, const QString &text) override;
    QVariant linkValue() const override;
    void setLinkReadOnly(bool readOnly) override;
    void refocusLinkEditor() override;
    bool linkEditorShown() const override;

    DataLink *m_link;
    QLineEdit *m_edit;
    mutable QFrame *m_popup = nullptr;
    mutable QCalendarWidget *m_calendar = nullptr;
    bool m_blocked = false;
    bool m_arrowDown = false;
};

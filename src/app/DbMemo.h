#pragma once

#include "app/DataLink.h"

#include <QPlainTextEdit>

// Multi-line editor of the long text field (AS50/BS50). Tab leaves it; Enter
// is the window's business (its Enter-to-next-field helper).
class DbMemo : public QPlainTextEdit, private DataLinkEditor {
    Q_OBJECT
public:
    explicit DbMemo(QWidget *parent = nullptr);
    ~DbMemo() override;

    void setDataSource(Dataset *dataset, const QString &field);
    Dataset *dataSource() const { return m_link->dataset(); }
    QString dataField() const { return m_link->dataField(); }
    DataLink *dataLink() const { return m_link; }

    // At most this many characters (0: no limit); a bound memo takes the
    // width of its text column.
    int maxLength() const { return m_maxLength; }
    void setMaxLength(int length);

    // The text shown. setText() is the program's: it is no user's edit. Text
    // put in through setPlainText() or insertPlainText() counts as typed.
    QString text() const { return toPlainText(); }
    void setText(const QString &text);
    void setReadOnly(bool readOnly);
    bool commit() { return m_link->commit(); }
    void clearValue();

signals:
    void userEdited();
    void committed();

protected:
    void focusOutEvent(QFocusEvent *event) override;

private:
    void contentsChanged();
    void showText(const QString &text);
    void showLinkValue(const QVariant &value, const QString &text) override;
    QVariant linkValue() const override;
    void setLinkReadOnly(bool readOnly) override;
    void refocusLinkEditor() override;
    bool linkEditorShown() const override;

    DataLink *m_link;
    int m_maxLength = 0;
    bool m_showing = false; // text set by the program, not typed
};

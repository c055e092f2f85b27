#pragma once

#include "app/DataLink.h"

#include <QLineEdit>

// Single-line editor of a text or number field, or a plain input field when
// unbound (query panels). A bound editor takes only the characters its
// number field can hold (digits, sign; point and exponent for floats) and at
// most the width of its text column.
class DbEdit : public QLineEdit, private DataLinkEditor {
    Q_OBJECT
public:
    explicit DbEdit(QWidget *parent = nullptr);
    ~DbEdit() override;

    void setDataSource(Dataset *dataset, const QString &field);
    Dataset *dataSource() const { return m_link->dataset(); }
    QString dataField() const { return m_link->dataField(); }
    DataLink *dataLink() const { return m_link; }

    // Read-only as the window wants it (isReadOnly() tells whether the user
    // can type now, which also depends on the dataset).
    void setReadOnly(bool readOnly);
    // Writes the typed text into the field now; see DataLink::commit().
    bool commit() { return m_link->commit(); }
    // Empty text; a bound editor writes null into its field.
    void clearValue();

signals:
    void userEdited();
    void committed();

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void showLinkValue(const QVariant &value, const QString &text) override;
    QVariant linkValue() const override;
    void setLinkReadOnly(bool readOnly) override;
    void refocusLinkEditor() override;
    bool linkEditorShown() const override;

    DataLink *m_link;
};

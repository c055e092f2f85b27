#pragma once

#include "app/DataLink.h"
#include "app/MapListCombo.h"

#include <QPointer>

class QLineEdit;

// The drop-down combo of a code field: map-list mode on (the name is shown,
// the code stored), eight rows in the drop-down, items in the order added,
// no key that clears the choice. A stored code without an item shows no
// selected item (an editable combo shows the code). A pick from the list is
// written at once; text typed into an editable combo when it commits.
class DbMapListCombo : public MapListCombo, private DataLinkEditor {
    Q_OBJECT
public:
    explicit DbMapListCombo(QWidget *parent = nullptr);
    ~DbMapListCombo() override;

    void setDataSource(Dataset *dataset, const QString &field);
    Dataset *dataSource() const { return m_link->dataset(); }
    QString dataField() const { return m_link->dataField(); }
    DataLink *dataLink() const { return m_link; }

    // Read-only: the list does not open and keys and wheel choose nothing.
    void setReadOnly(bool readOnly);
    bool isReadOnly() const { return m_blocked; }
    bool commit() { return m_link->commit(); }
    // No selected item; a bound combo writes null into its field.
    void clearValue();
    // Shows the field's code again, e.g. after the items were filled anew.
    void reload() { m_link->reload(); }

    void showPopup() override;

signals:
    void userEdited();
    void committed();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void picked(int index);
    void trackLineEdit();
    void showLinkValue(const QVariant &value, const QString &text) override;
    QVariant linkValue() const override;
    void setLinkReadOnly(bool readOnly) override;
    void refocusLinkEditor() override;
    bool linkEditorShown() const override;

    // Before the link: events reach event() while the link is being made.
    QPointer<QLineEdit> m_trackedEdit;
    DataLink *m_link;
    QString m_shownCode; // the code last shown or written
    bool m_blocked = false;
};

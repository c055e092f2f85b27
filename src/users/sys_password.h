#pragma once

#include "app/base_dbform.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The logged-in user changes his or her own password: checked against the
// password loaded at login, stored in S_USER, and only then taken as the
// password of this run. The only way to change the password of "0000".
class Tfrm_sys_password : public Tfrm_base_dbform {
    Q_OBJECT
public:
    explicit Tfrm_sys_password(QWidget *parent = nullptr);

    // Shown modally in the caller's window colour; true when the password
    // was changed.
    static bool Execute(const QColor &windowColour, QWidget *parent);

    QLineEdit *Edit1() const { return m_edit1; }
    QLineEdit *edit2() const { return m_edit2; }
    QLineEdit *edit3() const { return m_edit3; }
    QPushButton *btnOk() const { return m_btnOk; }
    QPushButton *btnCancel() const { return m_btnCancel; }

public slots:
    void btnOkClick();
    void btnCancelClick();
    void reject() override; // Esc: as closing

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    bool openUserRow();
    // Answers the close query; the user's row is closed either way.
    bool FormCloseQuery();

    QLabel *m_label1, *m_label2, *m_label3;
    QLineEdit *m_edit1, *m_edit2, *m_edit3;
    QPushButton *m_btnOk, *m_btnCancel;
    bool m_mayClose = false;
};

#pragma once

#include "app/base_dbform.h"

class QLabel;
class QLineEdit;
class QPushButton;

// The login: identifies the user by code and password from S_USER, loads the
// current user into the shared state and seeds the user's default-value rows.
// It can only be left through its own two buttons.
class Tfrm_sys_login : public Tfrm_base_dbform {
    Q_OBJECT
public:
    explicit Tfrm_sys_login(QWidget *parent = nullptr);

    // True after "退  出": the program is to end.
    bool terminateRequested() const { return m_terminate; }

    // The picture drawn for the program, used when N_login.jpg is absent.
    static QPixmap designedPicture();

    QLineEdit *edtbh() const { return m_edtbh; }
    QLineEdit *edtpassword() const { return m_edtpassword; }
    QPushButton *btnOk() const { return m_btnOk; }
    QPushButton *btnCancel() const { return m_btnCancel; }

public slots:
    void reject() override; // Esc: refused
    void edtbhExit();
    void btnOkClick();
    void btnCancelClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void loadUser();
    void seedDefaultValues(const QString &tableKey);

    QLabel *m_img1;
    QLabel *m_lbl1;
    QLabel *m_label1;
    QLineEdit *m_edtbh;
    QLineEdit *m_edtpassword;
    QPushButton *m_btnOk;
    QPushButton *m_btnCancel;
    bool m_mayClose = false;
    bool m_terminate = false;
};

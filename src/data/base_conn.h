#pragma once

#include "app/base_form.h"

class QLineEdit;
class QPlainTextEdit;
class QLabel;
class QPushButton;

// Asks for the server address when the network store cannot be reached, and
// writes it into CliCfg.ini for the database and the FTP server.
class Tfrm_base_conn : public Tfrm_base_form {
    Q_OBJECT
public:
    explicit Tfrm_base_conn(QWidget *parent = nullptr);

    // Shows the dialog modally with currentServer in the address field (the
    // last address typed replaces it when shown). True when confirmed; server
    // then holds the address followed by ",7789".
    static bool askServer(const QString &currentServer, QString &server);

    QLineEdit *edt1() const { return m_edt1; }
    QPushButton *btn1() const { return m_btn1; }
    QPushButton *btn2() const { return m_btn2; }
    QString server() const { return m_server; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void btn1Click();

    QPlainTextEdit *m_memo1;
    QLabel *m_label2;
    QLineEdit *m_edt1;
    QPushButton *m_btn1;
    QPushButton *m_btn2;
    QString m_server;
};

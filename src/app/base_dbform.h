#pragma once

#include "app/base_form.h"

class Dataset;
class QKeyEvent;

// A window with a scratch query and the keyboard helpers that editors of
// data windows share. Derived windows install the helpers on their editors.
class Tfrm_base_dbform : public Tfrm_base_form {
    Q_OBJECT
public:
    explicit Tfrm_base_dbform(QWidget *parent = nullptr);
    ~Tfrm_base_dbform() override;

    // The window's own query for its scratch statements.
    Dataset &Qry() { return *m_qry; }

    // Enter moves the focus to the next control in tab order; the key goes no
    // further.
    void installKeyP(QWidget *editor);
    // Every key except up and down is also offered to formKeyDown, so window
    // keys work while an editor has the focus.
    void installKeyD(QWidget *editor);
    // Typed characters other than the digits are swallowed.
    void installIntegerFilter(QWidget *editor);
    // Typed characters other than the digits and "." are swallowed.
    void installFloatFilter(QWidget *editor);

    // Only printable characters are judged by the number filters: editing and
    // navigation keys and shortcuts pass.
    static bool acceptsIntegerText(const QString &text);
    static bool acceptsFloatText(const QString &text);

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    // The window's own key-down handling; true when it used the key, which
    // then does not reach the editor.
    virtual bool formKeyDown(QKeyEvent *event);

private:
    enum Helper { KeyP = 1, KeyD = 2, IntegerKeys = 4, FloatKeys = 8 };
    void install(QWidget *editor, Helper helper);
    // false: the typed text contains a character the editor does not take.
    static bool passes(const QString &text, int helpers);

    Dataset *m_qry;
};

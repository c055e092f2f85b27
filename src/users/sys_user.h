#pragma once

#include "app/base_dbdialog.h"
#include "data/Dataset.h"

#include <QStringList>

class QLabel;

// The users window: every user except the super administrator "0000", with
// code, name, password and the rights as check boxes. Changes take effect at
// the user's next login.
class Tfrm_sys_user : public Tfrm_base_dbdialog {
    Q_OBJECT
public:
    explicit Tfrm_sys_user(QWidget *parent = nullptr);

    // Shown modally over the caller's window colour and control colour.
    static void Execute(const QColor &windowColour, const QColor &controlColour, QWidget *parent);

    // Every right column a new user starts with set to 1.
    static QStringList newUserRights();

    // The window and toolbar in the first colour, the grid's titles too; the
    // grid's cells and rows in the second.
    void applyColours(const QColor &windowColour, const QColor &controlColour);

    QLabel *notePanel() const { return m_notePanel; }

    bool eventFilter(QObject *watched, QEvent *event) override;

public slots:
    void Qry1NewRecord();
    // Save: a user code that is empty or already taken is refused with a
    // message and the row stays for correction.
    void saveUser();

private:
    void rememberCode(Dataset::State state);
    // Shows why the row's code cannot be stored; false when it can.
    bool refuseCode();
    // Leaving a changed row stores it: the code is checked first.
    bool refuseLeavingRow();

    QLabel *m_notePanel;
    QString m_codeBeforeEdit; // the stored code of the row in edit state
};

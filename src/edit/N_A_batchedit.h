#pragma once

#include "app/base_dbform.h"

class DbDateEdit;
class DbMapListCombo;
class QLabel;
class QLineEdit;
class QPushButton;

// Sets one field of every volume the main window's last query selected to
// one value, with a single UPDATE. The window keeps only the condition text
// between two changes.
class Tfrm_N_A_batchedit : public Tfrm_base_dbform {
    Q_OBJECT
public:
    // conditionText: the clauses of the main window's last query, each
    // beginning with " and "; empty for every volume.
    explicit Tfrm_N_A_batchedit(const QString &conditionText, QWidget *parent = nullptr);

    // Shown modally in the caller's colours. The caller runs its query again
    // afterwards.
    static void Execute(const QColor &windowColour, const QColor &editorColour, const QString &conditionText,
                        QWidget *parent);

    // The window in windowColour; the field picker and the value editors in
    // editorColour. An invalid colour leaves that part as it is.
    void applyColours(const QColor &windowColour, const QColor &editorColour);

    QString conditionText() const { return m_conditionText; }
    // The chosen field code, empty when none is chosen.
    QString fieldCode() const;

    QLabel *Label1() const { return m_label1; }
    QLabel *Label3() const { return m_label3; }
    QLabel *Label4() const { return m_label4; }
    DbMapListCombo *dbcb1() const { return m_dbcb1; }
    DbMapListCombo *dbcb3() const { return m_dbcb3; }
    QLineEdit *dbed3() const { return m_dbed3; }
    DbDateEdit *dbdtp3() const { return m_dbdtp3; }
    QPushButton *btn1() const { return m_btn1; }
    QPushButton *btn2() const { return m_btn2; }

    // The field picker from the displayed volume fields.
    bool LoadFields();

public slots:
    // The value editor of the chosen field's type, emptied.
    void dbcb1Change();
    // Runs the statement of the chosen field and value. True when it ran; a
    // refused value or a rejected statement leaves the window as it was.
    bool btn1Click();
    void btn2Click();

private:
    void clearChoices();

    QString m_conditionText;
    QLabel *m_label1, *m_label3, *m_label4;
    DbMapListCombo *m_dbcb1, *m_dbcb3;
    QLineEdit *m_dbed3;
    DbDateEdit *m_dbdtp3;
    QPushButton *m_btn1, *m_btn2;
};

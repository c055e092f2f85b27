#pragma once

#include "app/base_dbform.h"

class DbGrid;
class QAction;
class QToolBar;

// The settings dialogs: one editable grid over Qry1 with a toolbar of add,
// edit, delete, save, undo and close. Rows change in the grid; adding and
// deleting go through the buttons. Derived windows set Qry1's statement and
// the grid's columns before the dialog is shown.
class Tfrm_base_dbdialog : public Tfrm_base_dbform {
    Q_OBJECT
public:
    explicit Tfrm_base_dbdialog(QWidget *parent = nullptr);
    ~Tfrm_base_dbdialog() override;

    Dataset &Qry1() { return *m_qry1; }
    DbGrid *dbgrid1() const { return m_dbgrid1; }
    QToolBar *tbmain() const { return m_tbmain; }

    QAction *tlbAdd() const { return m_tlbAdd; }
    QAction *tlbEdit() const { return m_tlbEdit; }
    QAction *tlbDel() const { return m_tlbDel; }
    QAction *tlbSave() const { return m_tlbSave; }
    QAction *tlbUndo() const { return m_tlbUndo; }
    QAction *tbExit() const { return m_tbExit; }

public slots:
    void tlbAddClick();
    void tlbEditClick();
    void tlbDelClick();
    void tlbSaveClick();
    void tlbUndoClick();
    void tbExitClick();

    // Before the grid's rows go (another list is loaded): what was typed is
    // stored, an untouched new row dropped. False, with the error shown and
    // the row kept for correction, when the store refused it.
    bool storePendingRow();
    // Empties the fields (null) of the current row and stores it: the fixed
    // rows of the settings windows are cleared, never deleted.
    void clearCurrentRow(const QStringList &fields);

protected:
    // Opens Qry1 with the statement the derived window has set.
    virtual void FormShow();
    void showEvent(QShowEvent *event) override;

private:
    void ds1StateChange();
    QAction *addButton(const QString &name, const QString &caption, const QString &icon, void (Tfrm_base_dbdialog::*slot)());

    Dataset *m_qry1;
    DbGrid *m_dbgrid1;
    QToolBar *m_tbmain;
    QAction *m_tlbAdd, *m_tlbEdit, *m_tlbDel, *m_tlbSave, *m_tlbUndo, *m_tbExit;
    bool m_shown = false;
};

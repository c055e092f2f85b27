#pragma once

#include "app/base_dbform.h"
#include "edit/RecordLayout.h"

#include <QHash>
#include <QStringList>

class Dataset;
class DbDateEdit;
class DbEdit;
class DbMapListCombo;
class DbMemo;
class QLabel;
class QPushButton;
class QTimer;

// What the four record windows share: a pool of label, required marker,
// editor and side button for every field code of the table, laid out at show
// time from the field dictionary; per-user starting values, phrase expansion,
// the required check, the side buttons and "设置字段".
//
// An add window owns an always-empty dataset it appends to; an edit window
// edits the current row of a dataset it is given and steps through it.
class RecordWindow : public Tfrm_base_dbform {
    Q_OBJECT
public:
    enum class Mode { Add, Edit };

    // table: "N_A" or "N_B".
    RecordWindow(const QString &table, Mode mode, QWidget *parent = nullptr);
    ~RecordWindow() override;

    QString table() const { return m_table; }
    Mode mode() const { return m_mode; }
    // The window's result: an add of volumes saved a record, the others used
    // the field settings.
    bool result() const { return m_result; }

    // Pool controls by field code (null when the code has none of that kind).
    QLabel *label(const QString &code) const;
    QLabel *marker(const QString &code) const;
    QWidget *editor(const QString &code) const;
    DbEdit *dbed(const QString &code) const;
    DbMemo *memo() const { return m_memo; }
    DbDateEdit *dbdts(const QString &code) const;
    DbMapListCombo *dbcb(const QString &code) const;
    QPushButton *sideButton(const QString &code) const;

    QPushButton *btnSet() const { return m_btnSet; }
    QPushButton *btnSave() const { return m_btnSave; }
    QPushButton *btnClose() const { return m_btnClose; }
    QPushButton *btnPrior() const { return m_btnPrior; }
    QPushButton *btnNext() const { return m_btnNext; }
    QLabel *pnlinfo() const { return m_pnlinfo; }
    QTimer *tmr1() const { return m_tmr1; }

    // The record being edited: the add window's own dataset, or the one bound.
    Dataset *dataset() const { return m_data; }

    // Window colour and the colour of every editor of the pool.
    void applyColours(const QColor &windowColour, const QColor &editorColour);
    // Items "name\tcode" for the ten code fields, in field order; a missing
    // or empty list leaves its combo empty.
    void setPickLists(const QList<QStringList> &lists);
    // The ten code lists read from their tables, ordered by their ORDER column.
    void loadPickLists();
    // Binds every editor of the pool to dataset (edit windows).
    void bindTo(Dataset *dataset);
    // The document add window: the volume every new record belongs to.
    void setParentKey(const QString &key);

    // The steps of showing, also run again after "设置字段".
    void ApplyLabels();
    void LayoutFields();
    const RecordLayout::Result &layout() const { return m_layout; }

    // Add windows: a new empty record with this user's starting values, the
    // focus on the first displayed editor.
    void NewRecord();
    // The first displayed required field that is empty is reported (warning,
    // focus); false then.
    bool RequiredCheck();
    // btnSave: commits the editors and saves. True when stored.
    bool Save();
    // btnPrior / btnNext and PgUp / PgDn (edit windows).
    void Step(bool forward);
    // btnClose: an edit window cancels the row's unsaved changes; closes.
    void CloseWindow();
    // Ctrl+S and Ctrl+Q.
    void ShortcutSave();
    void ShortcutClose();

    // What leaving an editor does beyond writing its text: phrase expansion
    // for text fields, the composed reference after the volume number.
    void EditorLeft(QWidget *editor);

    // The side buttons and "设置字段" (settings right needed).
    void SideButtonClicked(const QString &code);
    void btnSetClick();

    bool eventFilter(QObject *watched, QEvent *event) override;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool formKeyDown(QKeyEvent *event) override;

private:
    // Labels, layout and, for add windows, the first new record.
    void FormShow();
    void buildPool();
    void buildFixedControls();
    QWidget *addPoolControl(QWidget *w, const QString &name);
    QString codeOf(const QObject *control, const QString &prefix) const;
    bool settingsAllowed() const;
    void showInfo(const QString &text, bool startTimer);
    // One field's starting value for this user.
    void LoadStartingValue(const QString &code);
    void StoreStartingValues();
    QString defaultValueText(const QString &code) const;
    void ExpandPhrase(const QString &code);
    void ComposeReference();
    QString lookupCode(const QString &code, const QString &shortColumn);
    bool SaveNew();
    bool SaveCurrent();
    void reopenEmpty();
    bool isComposing() const;

    QString m_table;
    QChar m_letter;
    Mode m_mode;
    bool m_result = false;
    bool m_shown = false;
    bool m_leaveRan = false;
    Dataset *m_own = nullptr; // add windows
    Dataset *m_data = nullptr;
    QHash<QString, QWidget *> m_editors;
    DbMemo *m_memo = nullptr;
    QPushButton *m_btnSet, *m_btnSave, *m_btnClose;
    QPushButton *m_btnPrior = nullptr, *m_btnNext = nullptr;
    QLabel *m_pnlinfo;
    QTimer *m_tmr1;
    RecordLayout::Result m_layout;
    QString m_parentKey;
    QString m_firstEditor; // the field whose editor has tab order 0
};

#pragma once

#include "app/base_dbform.h"

#include <QHash>
#include <QList>
#include <QStringList>

class ColourHolder;
class DbGrid;
class PropStorage;
class QAction;
class QMenu;
class QPushButton;
class QToolBar;
class QToolButton;
class Tfrm_base_dbsingle_status;

// The list windows (main window, combined query, statistics, lending
// register): a tool area with the module caption, the command toolbar and the
// query panel; a read-only grid over Qry1 with title-click sorting; a status
// bar; the window's theme colours; and the common commands. Derived windows
// put their query editors into pnlQuery, bind their commands to the toolbar
// slots and build their statements on the base statement.
class Tfrm_base_dbsingle : public Tfrm_base_dbform {
    Q_OBJECT
public:
    explicit Tfrm_base_dbsingle(QWidget *parent = nullptr);
    ~Tfrm_base_dbsingle() override;

    // --- parts of the window -------------------------------------------------
    Dataset &Qry1() { return *m_qry1; }
    DbGrid *dbgrid1() const { return m_dbgrid1; }
    QWidget *pnlToolBar() const { return m_pnlToolBar; }
    QToolBar *tb1() const { return m_tb1; }
    QToolBar *tb2() const { return m_tb2; }
    QToolButton *mnuEdit() const { return m_mnuEdit; }
    QWidget *pnlQuery() const { return m_pnlQuery; }
    QWidget *pnlmain() const { return m_pnlmain; }
    QWidget *stbMain() const;
    ColourHolder *edtColorS() const { return m_edtColorS; }
    ColourHolder *edtColorbg1() const { return m_edtColorbg1; }
    ColourHolder *edtColorbg2() const { return m_edtColorbg2; }
    QMenu *pmEdit() const { return m_pmEdit; }
    QMenu *pmPrint() const { return m_pmPrint; }
    QMenu *pmExport() const { return m_pmExport; }
    QMenu *pmSet() const { return m_pmSet; }
    QMenu *pmHelp() const { return m_pmHelp; }

    // The statement Qry1 held when the window was made; derived windows set
    // Qry1's designed statement before calling captureBaseSql().
    QString baseSql() const { return m_baseSql; }

    // --- commands ------------------------------------------------------------
    // The action list in its designed order, derived windows' actions after
    // the base's.
    const QList<QAction *> &actList() const { return m_actList; }
    QAction *action(const QString &name) const; // by object name; nullptr if none
    // Adds an action to the list and gives it its hint from the hints table
    // when its name is one of the table's.
    void registerAction(QAction *action);
    // The hint the table gives an action name (compared in upper case), or
    // an empty text.
    static QString designedHint(const QString &actionName);

    // --- toolbar buttons -----------------------------------------------------
    // Every button of tb2 by name: tlbAdd, tlbEdit, tlbDel, the sixteen
    // slots tlbCust1..tlbCust12 and tlbCust21..tlbCust24, tlbPrint,
    // tlbExport, tlbSet, tlbHelp, tlbClose.
    QToolButton *toolButton(const QString &name) const;
    // Binds a command (and a drop-down menu that opens when the button is
    // pressed) to a button. The button is shown exactly while its command is
    // visible; a slot without a command stays hidden.
    void bindToolButton(const QString &name, QAction *action, QMenu *dropDown = nullptr);
    bool isToolButtonVisible(const QString &name) const;
    // The separators tbSep2, tbSep5, tbSep3 of tb2.
    QAction *separator(const QString &name) const;
    // The names of the sixteen slots in toolbar order.
    static QStringList slotNames();

    // --- status bar ----------------------------------------------------------
    int statusPanelWidth(int panel) const; // panel 0..2
    QString statusPanelText(int panel) const;
    void setStatusPanelText(int panel, const QString &text);

    // The export file dialog's title, filters and the filter last chosen.
    static QString exportDialogTitle();
    static QString exportDialogFilters();
    int exportFilterIndex() const { return m_exportFilterIndex; }
    void setExportFilterIndex(int index) { m_exportFilterIndex = index; }

    // --- appearance file -----------------------------------------------------
    // Windows that keep their look make a storage under their section name
    // here and add their properties to it; it is restored when the window is
    // first shown (before FormShow) and saved when the window closes.
    PropStorage *createPropStorage(const QString &section);
    PropStorage *propStorage() const { return m_storage; }

    // Colours the tool area, both toolbars and the window with the window
    // colour and the status bar with the control colour.
    void applyWindowColour();

public slots:
    void actDelExecute();
    void actPrintTableExecute();
    void actClearQueryExecute();
    void actSetColDisplayExecute();
    void actSetUIExecute();
    void actHelpF1Execute();
    void actSiteExecute();
    void actSetUserExecute();
    void actSetPasswordExecute();
    void actAboutExecute();
    void actBakDocExecute();

protected:
    // Remembers Qry1's statement as the base statement.
    void captureBaseSql();
    // The derived window's own show handling (runs once, after the stored
    // look was restored); the base colours the window.
    virtual void FormShow();
    // Printing after the unsaved-changes check of "打印表格数据".
    virtual void printTable() {}
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // A command of the window: named, with its picture (AppIcon name), in
    // the action list and with its window-wide shortcut.
    QAction *makeAction(const QString &name, const QString &caption, const QString &icon,
                        const QKeySequence &shortcut = QKeySequence());
    QPushButton *btnDoQuery() const { return m_btnDoQuery; }
    QPushButton *btnClearQuery() const { return m_btnClearQuery; }
    // Derived windows that place the query buttons themselves switch off
    // their placement at the panel's right end.
    void setQueryButtonsPlacedByPanel(bool on) { m_placeQueryButtons = on; }
    // Whether the command toolbar's buttons show their commands' hints.
    void setToolBarHints(bool on) { m_toolBarHints = on; }

private:
    void addToolButton(const QString &name);
    void buildActions();
    void buildToolBars();
    void buildMenus();
    void placeQueryButtons();
    void Qry1AfterOpen();
    void saveLook();

    Dataset *m_qry1;
    QString m_baseSql;
    DbGrid *m_dbgrid1;
    QWidget *m_pnlToolBar, *m_pnlQuery, *m_pnlmain;
    QToolBar *m_tb1, *m_tb2;
    QToolButton *m_mnuEdit;
    QPushButton *m_btnDoQuery, *m_btnClearQuery;
    Tfrm_base_dbsingle_status *m_stbMain;
    ColourHolder *m_edtColorS, *m_edtColorbg1, *m_edtColorbg2;
    QMenu *m_pmEdit, *m_pmPrint, *m_pmExport, *m_pmSet, *m_pmHelp;
    QList<QAction *> m_actList;
    struct ToolButton {
        QToolButton *button = nullptr;
        QAction *place = nullptr; // the toolbar's action for the button
    };
    QHash<QString, ToolButton> m_toolButtons;
    QHash<QString, QAction *> m_separators;
    PropStorage *m_storage = nullptr;
    int m_exportFilterIndex = 0;
    bool m_shown = false;
    bool m_lookSaved = false;
    bool m_placeQueryButtons = true;
    bool m_toolBarHints = true;
};

#pragma once

#include "app/base_dbsingle.h"

#include <QSet>

class AttachmentList;
class DbGrid;
class FtpClient;
class NavTree;
class QueryPanel;
class QListWidget;
class QSplitter;
class QTreeWidget;

// The main window, the hub of the program: volume grid, document grid,
// attachment list, query panel and navigation tree, and every command.
// Closing it ends the program.
class Tfrm_N_A_main : public Tfrm_base_dbsingle {
    Q_OBJECT
public:
    explicit Tfrm_N_A_main(QWidget *parent = nullptr);
    ~Tfrm_N_A_main() override;

    QAction *actClose() const { return action(QStringLiteral("actClose")); }

    // The close command: asks "确认要退出系统吗?" unless the executable is
    // PELU.EXE (in any letter case); executableName is the file name only.
    static bool closeCommandAsks(const QString &executableName);

    Dataset &Qry2() { return *m_qry2; }
    DbGrid *dbgrid2() const { return m_dbgrid2; }
    QTreeWidget *tv1() const { return m_tv1; }
    QListWidget *lv1() const { return m_lv1; }
    QWidget *pnlTree() const { return m_pnlTree; }
    QWidget *pnlfj() const { return m_pnlfj; }
    QString documentBaseSql() const { return m_docBaseSql; }
    // The clauses of the last RunQuery.
    QString conditionText() const { return m_conditionText; }

    void RunQuery();
    void ShowAddedVolumes(const QString &lastKey);
    void LoadDocuments();
    void ApplyFieldCaptions();
    void ApplyColumnVisibility(DbGrid *grid);
    void LoadCodeLists();
    void ApplyRights();
    void ApplyColours();
    void BuildQueryPanel();
    QueryPanel *queryPanel() const { return m_queryPanel; }
    NavTree *navTree() const { return m_navTree; }
    AttachmentList *attachments() const { return m_attachments; }

    // What the window does when a settings window has closed, whatever the
    // user did there: the sort clause of "N_A" or "N_B" is rebuilt and an
    // open query runs again; the tree is rebuilt from its levels; the query
    // panel is laid out again.
    void SortSettingsClosed(const QString &tableKey);
    void TreeSettingsClosed();
    void QuerySettingsClosed();

    // Commands whose windows come with later work stand disabled whatever
    // the rights say.
    bool isPending(const QAction *action) const { return m_pending.contains(action); }

    // The FTP client of the attachment store: the one set here, else the data
    // module's (null when neither exists).
    FtpClient *ftpClient() const;
    void setFtpClient(FtpClient *ftp) { m_ftp = ftp; }

public slots:
    void actCloseExecute();
    void actRefreshExecute();
    void actAddExecute();
    void actEditExecute();
    void actAdd2Execute();
    void actEdit2Execute();
    void actBatchEditExecute();
    void actDelExecute();
    void actBatchDelExecute();
    void actDel2Execute();

protected:
    void FormShow() override;

private:
    QAction *command(const QString &name, const QString &caption, const QString &icon, const QString &right = QString(),
                     bool pending = false);
    QMenu *dropDown(const QString &name, const QList<QAction *> &entries);
    // The items of the query panel's ten volume code combos, for the record windows.
    QList<QStringList> volumePickLists() const;
    void buildLayout();
    void buildCommands();
    void applyPrintSlots();
    void applyPanelVisibility();

    QueryPanel *m_queryPanel;
    Dataset *m_qry2;
    QString m_docBaseSql;
    QString m_conditionText;
    DbGrid *m_dbgrid2;
    QSplitter *m_spl111, *m_spl2, *m_spl1;
    QWidget *m_pnlTree, *m_pnlfile, *m_pnlfj;
    QTreeWidget *m_tv1;
    NavTree *m_navTree;
    QListWidget *m_lv1;
    AttachmentList *m_attachments;
    QMenu *m_pmEditB;
    QSet<const QAction *> m_pending;
    QHash<QString, QString> m_rightOf; // action name -> right column
    QStringList m_enabledOnly;         // withheld: disabled but shown
    FtpClient *m_ftp = nullptr;
};

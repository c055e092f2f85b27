#include "browse/N_A_main.h"

#include "app/AppIcons.h"
#include "app/ColourHolder.h"
#include "app/DbGrid.h"
#include "app/DbMapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/PropStorage.h"
#include "app/SqlHelpers.h"
#include "app/sys_coldisplay.h"
#include "attach/AttachmentList.h"
#include "attach/AttachmentStore.h"
#include "browse/NavTree.h"
#include "browse/QueryConditions.h"
#include "browse/QueryPanel.h"
#include "browse/RecordDeletion.h"
#include "config/N_sysname.h"
#include "config/sys_code.h"
#include "config/sys_easy.h"
#include "config/sys_field.h"
#include "config/sys_order.h"
#include "config/sys_query.h"
#include "config/sys_tree.h"
#include "data/Dataset.h"
#include "data/SharedState.h"
#include "data/base_dm.h"
#include "edit/N_A_add.h"
#include "edit/N_A_batchedit.h"
#include "edit/N_A_edit.h"
#include "edit/N_B_add.h"
#include "edit/N_B_edit.h"

#include <QAction>
#include <QApplication>
#include <QFileInfo>
#include <QScreen>
#include <QListWidget>
#include <QMenu>
#include <QSplitter>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

void colourControl(QWidget *w, const QColor &colour)
{
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Base, colour);
    p.setColor(QPalette::Window, colour);
    w->setPalette(p);
}

} // namespace

Tfrm_N_A_main::Tfrm_N_A_main(QWidget *parent)
    : Tfrm_base_dbsingle(parent)
    , m_queryPanel(new QueryPanel(QLatin1Char('A'), pnlQuery(), this))
    , m_qry2(new Dataset(this))
{
    setObjectName(QStringLiteral("frm_N_A_main"));
    setWindowTitle(shared().sysTitle);
    Qry1().setSql(QStringLiteral("select *\nfrom N_A a where 1=1"));
    captureBaseSql();
    m_qry2->setObjectName(QStringLiteral("Qry2"));
    m_qry2->setSql(QStringLiteral("select * from   N_B a where 1=1"));

    buildLayout();
    buildCommands();
    setQueryButtonsPlacedByPanel(false);
    setToolBarHints(false);

    connect(&Qry1(), &Dataset::afterScroll, this, [this] { RunCommand([this] { LoadDocuments(); }); });

    PropStorage *storage = createPropStorage(QStringLiteral("frm_N_A_main"));
    storage->addAction(action(QStringLiteral("actBinSetDisplay")));
    storage->addAction(action(QStringLiteral("actSetDisplayTree")));
    storage->addAction(action(QStringLiteral("actSetDoQuery")));
    for (QAction *a : m_attachments->arrangementActions())
        storage->addAction(a);
    storage->addGrid(dbgrid1(), DbGrid::StoreAll);
    storage->addColour(edtColorbg1());
    storage->addColour(edtColorbg2());
    storage->addColour(edtColorS());
    storage->addGrid(m_dbgrid2, DbGrid::StoreColumns | DbGrid::StoreRowHeight);
    storage->addWidth(m_pnlfj);
    storage->addWidth(m_pnlTree);
    storage->addColour(pnlToolBar());
    storage->addInt(QStringLiteral("sdExport.FilterIndex"), [this] { return exportFilterIndex(); },
                    [this](int i) { setExportFilterIndex(i); }, 0, 3);

    LoadCodeLists();
    ApplyFieldCaptions();
    BuildQueryPanel();
    m_navTree->BuildTreeRoot();
    ApplyRights();
    m_docBaseSql = m_qry2->sql();
}

Tfrm_N_A_main::~Tfrm_N_A_main() = default;

void Tfrm_N_A_main::buildLayout()
{
    auto designGrid = [](DbGrid *grid, QChar table, int width) {
        for (const QString &code : QueryConditions::fieldCodes(table)) {
            const int col = grid->addColumn(code, code, width);
            const QChar type = code.at(1);
            grid->setColumnFooterSum(col, type == QLatin1Char('I') || type == QLatin1Char('F'));
        }
        grid->setRowHeight(25);
        grid->setTitleHeight(25);
    };
    DbGrid *grid1 = dbgrid1();
    designGrid(grid1, QLatin1Char('A'), 75);

    m_dbgrid2 = new DbGrid(this);
    m_dbgrid2->setObjectName(QStringLiteral("dbgrid2"));
    m_dbgrid2->copyAppearanceFrom(*grid1);
    m_dbgrid2->setSelectedRowColor(edtColorS()->colour());
    connect(edtColorS(), &ColourHolder::colourChanged, m_dbgrid2, &DbGrid::setSelectedRowColor);
    designGrid(m_dbgrid2, QLatin1Char('B'), 121);
    m_dbgrid2->setDataset(m_qry2);
    m_dbgrid2->setContextMenuPolicy(Qt::CustomContextMenu);

    m_tv1 = new QTreeWidget(this);
    m_tv1->setObjectName(QStringLiteral("tv1"));
    m_tv1->setHeaderHidden(true);
    m_navTree = new NavTree(m_tv1, pnlQuery(), &Qry(), [this] { RunCommand([this] { RunQuery(); }); }, this);
    m_pnlTree = new QWidget(this);
    m_pnlTree->setObjectName(QStringLiteral("pnlTree"));
    auto *treeLayout = new QVBoxLayout(m_pnlTree);
    treeLayout->setContentsMargins(0, 0, 0, 0);
    treeLayout->addWidget(m_tv1);

    m_lv1 = new QListWidget(this);
    m_lv1->setObjectName(QStringLiteral("lv1"));
    m_attachments = new AttachmentList(m_lv1);
    m_pnlfj = new QWidget(this);
    m_pnlfj->setObjectName(QStringLiteral("pnlfj"));
    auto *fjLayout = new QVBoxLayout(m_pnlfj);
    fjLayout->setContentsMargins(0, 0, 0, 0);
    fjLayout->addWidget(m_lv1);

    // Tree | (volume grid / (document grid | attachments)).
    m_spl1 = new QSplitter(Qt::Horizontal, this);
    m_spl1->setObjectName(QStringLiteral("spl1"));
    m_spl1->addWidget(m_dbgrid2);
    m_spl1->addWidget(m_pnlfj);
    m_spl1->setStretchFactor(0, 1);
    m_spl1->setSizes({800, 122});
    m_pnlfile = m_spl1;

    m_spl2 = new QSplitter(Qt::Vertical, this);
    m_spl2->setObjectName(QStringLiteral("spl2"));
    m_spl2->setHandleWidth(3);
    m_spl2->addWidget(grid1);
    m_spl2->addWidget(m_spl1);
    m_spl2->setStretchFactor(1, 1);
    m_spl2->setSizes({435, 200});

    m_spl111 = new QSplitter(Qt::Horizontal, this);
    m_spl111->setObjectName(QStringLiteral("spl111"));
    m_spl111->addWidget(m_pnlTree);
    m_spl111->addWidget(m_spl2);
    m_spl111->setStretchFactor(1, 1);
    m_spl111->setSizes({200, 800});

    pnlmain()->layout()->addWidget(m_spl111);
}

QAction *Tfrm_N_A_main::command(const QString &name, const QString &caption, const QString &icon, const QString &right,
                                bool pending)
{
    QAction *act = action(name);
    if (!act)
        act = makeAction(name, caption, icon);
    act->setText(caption);
    if (!right.isEmpty())
        m_rightOf.insert(name, right);
    if (pending) {
        m_pending.insert(act);
        act->setEnabled(false);
        // The base's own handler (for instance deleting one row) is not this
        // window's command.
        disconnect(act, &QAction::triggered, this, nullptr);
    }
    return act;
}

QMenu *Tfrm_N_A_main::dropDown(const QString &name, const QList<QAction *> &entries)
{
    auto *menu = new QMenu(this);
    menu->setObjectName(name);
    for (QAction *a : entries) {
        if (a)
            menu->addAction(a);
        else
            menu->addSeparator();
    }
    return menu;
}

void Tfrm_N_A_main::buildCommands()
{
    const QString IRADD = QStringLiteral("IRADD"), IREDIT = QStringLiteral("IREDIT"), IRDEL = QStringLiteral("IRDEL"),
                  IRINPUT = QStringLiteral("IRINPUT"), IREXPORT = QStringLiteral("IREXPORT"),
                  IRPRINT = QStringLiteral("IRPRINT"), IRBORROW = QStringLiteral("IRBORROW"), IRSET = QStringLiteral("IRSET"),
                  IRBIN = QStringLiteral("IRBIN");
    auto c = [this](const char *name, const char *caption, const char *icon, const QString &right = QString(),
                    bool pending = true) {
        return command(QLatin1String(name), QString::fromUtf8(caption), QLatin1String(icon), right, pending);
    };

    // Heads of the drop-down buttons: they only open their menus.
    QAction *add0 = c("actAdd0", "增加", "document-new", IRADD, false);
    QAction *edit0 = c("actEdit0", "修改", "accessories-text-editor", IREDIT, false);
    QAction *del0 = c("actDel0", "删除", "edit-delete", IRDEL, false);
    QAction *bin = c("actBin", "附件", "mail-attachment", IRBIN, false);
    // The attachment commands live in the list's menu; their rights apply here.
    const QHash<QString, QString> binRights = {{QStringLiteral("actBinOpen"), IRBIN}, {QStringLiteral("actBinSave"), QStringLiteral("IR1")},
                                               {QStringLiteral("actBinAdd"), QStringLiteral("IR2")}, {QStringLiteral("actBinScan"), QStringLiteral("IR2")},
                                               {QStringLiteral("actBinDel"), QStringLiteral("IR3")}};
    for (QAction *a : m_attachments->commandActions()) {
        registerAction(a);
        command(a->objectName(), a->text(), QString(), binRights.value(a->objectName()), true);
    }
    QAction *input0 = c("actInput0", "导入", "document-open", IRINPUT, false);
    QAction *export0 = c("actExport0", "导出", "x-office-spreadsheet", QString(), false);

    // Record commands (editing, deletion, import, export, lending, printing
    // and the settings windows come with their own work).
    QAction *add = c("actAdd", "案卷记录增加", "document-new", IRADD, false);
    QAction *add2 = c("actAdd2", "文件记录增加", "document-new", IRADD, false);
    QAction *edit = c("actEdit", "案卷记录修改", "accessories-text-editor", IREDIT, false);
    QAction *edit2 = c("actEdit2", "文件记录修改", "accessories-text-editor", IREDIT, false);
    // The base's own add and edit work on one row in place; these open the record windows.
    for (QAction *a : {add, add2, edit, edit2})
        disconnect(a, &QAction::triggered, this, nullptr);
    connect(add, &QAction::triggered, this, [this] { RunCommand([this] { actAddExecute(); }); });
    connect(add2, &QAction::triggered, this, [this] { RunCommand([this] { actAdd2Execute(); }); });
    connect(edit, &QAction::triggered, this, [this] { RunCommand([this] { actEditExecute(); }); });
    connect(edit2, &QAction::triggered, this, [this] { RunCommand([this] { actEdit2Execute(); }); });
    QAction *del = c("actDel", "案卷记录删除", "edit-delete", IRDEL, false);
    QAction *del2 = c("actDel2", "文件记录删除", "edit-delete", IRDEL, false);
    disconnect(del, &QAction::triggered, this, nullptr); // the base's one-row delete
    connect(del, &QAction::triggered, this, [this] { RunCommand([this] { actDelExecute(); }); });
    connect(del2, &QAction::triggered, this, [this] { RunCommand([this] { actDel2Execute(); }); });
    QAction *input = c("actInput", "案卷记录导入", "document-open", IRINPUT);
    QAction *input2 = c("actInput2", "文件记录导入", "document-open", IRINPUT);
    QAction *batchEdit = c("actBatchEdit", "批修", "edit-select-all", QStringLiteral("IRBATCH"), false);
    connect(batchEdit, &QAction::triggered, this, [this] { RunCommand([this] { actBatchEditExecute(); }); });
    batchEdit->setToolTip(QStringLiteral("批量修改"));
    QAction *sum = c("actSum", "统计", "accessories-calculator");
    QAction *fileQuery = c("actFileQuery", "文件", "system-search");
    fileQuery->setToolTip(QStringLiteral("案卷文件记录查询"));
    QAction *batchDel = c("actBatchDel", "批删", "edit-clear-all", QStringLiteral("IR4"), false);
    connect(batchDel, &QAction::triggered, this, [this] { RunCommand([this] { actBatchDelExecute(); }); });
    QAction *refresh = c("actRefresh", "刷新", "view-refresh", QString(), false);
    connect(refresh, &QAction::triggered, this, [this] { RunCommand([this] { actRefreshExecute(); }); });
    QAction *borrowOut = c("actBorrowOut", "借阅", "go-next", IRBORROW);
    QAction *borrowIn = c("actBorrowIn", "归还", "go-previous", IRBORROW);
    QAction *borrowInfo = c("actBorrowInfo", "历史", "document-open-recent", IRBORROW);

    QAction *exportA = c("actExport", "案卷记录导出", "x-office-spreadsheet", IREXPORT);
    QAction *export2 = c("actExport2", "文件记录导出", "x-office-spreadsheet");
    QAction *msA = c("actExportMSExcel", "导出案卷表格到MS EXCEL", "x-office-spreadsheet");
    QAction *wpsA = c("actExportWPSExcel", "导出案卷表格到WPS EXCEL", "x-office-spreadsheet-template");
    QAction *msB = c("actExportMSExcel2", "导出文件表格到MS EXCEL", "x-office-spreadsheet");
    QAction *wpsB = c("actExportWPSExcel2", "导出文件表格到WPS EXCEL", "x-office-spreadsheet-template");
    m_enabledOnly = {QStringLiteral("actExportMSExcel"), QStringLiteral("actExportWPSExcel"),
                     QStringLiteral("actExportMSExcel2"), QStringLiteral("actExportWPSExcel2")};
    for (const QString &name : m_enabledOnly)
        m_rightOf.insert(name, IREXPORT);

    QList<QAction *> prints, designs;
    for (int n = 1; n <= 8; ++n) {
        prints << command(QStringLiteral("actPrint%1").arg(n), QString(), QStringLiteral("document-print"), IRPRINT, true);
        designs << command(QStringLiteral("actPrint%1Set").arg(n), QString(), QStringLiteral("document-page-setup"), IRSET, true);
    }
    QAction *print = c("actPrint", "打印", "document-print", IRPRINT, false);
    QAction *printTable = c("actPrintTable", "打印设置", "document-properties", IRSET);

    QAction *setSysname = c("actSetSysname", "设置系统自定义名称", "preferences-desktop-personal", IRSET, false);
    connect(setSysname, &QAction::triggered, this, [this] {
        RunCommand([this] {
            if (Tfrm_N_sysname::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), this)) {
                setWindowTitle(shared().sysTitle);
                QApplication::setApplicationDisplayName(shared().sysTitle);
                mnuEdit()->setText(shared().modName);
            }
        });
    });
    QAction *setUI = c("actSetUI", "设置主题字体与颜色", "preferences-desktop-theme", QString(), false);
    connect(setUI, &QAction::triggered, this, [this] { ApplyColours(); }); // after the base's dialog
    QAction *setField = c("actSetField", "设置案卷记录列字段", "preferences-other", IRSET, false);
    QAction *setField2 = c("actSetField2", "设置文件记录列字段", "preferences-other", IRSET, false);
    connect(setField, &QAction::triggered, this, [this] {
        RunCommand([this] {
            Tfrm_sys_field::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), QStringLiteral("N_A"), this);
            ApplyFieldCaptions();
        });
    });
    // The document captions reach this window at its refresh.
    connect(setField2, &QAction::triggered, this, [this] {
        RunCommand([this] { Tfrm_sys_field::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), QStringLiteral("N_B"), this); });
    });
    QAction *setTree = c("actSetTree", "设置树型层次显示顺序", "format-indent-more", IRSET, false);
    QAction *setQuery = c("actSetQuery", "设置显示查询条件", "edit-find-replace", IRSET, false);
    QAction *setCode = c("actSetCode", "设置案卷选择下拉字段内容", "format-justify-fill", IRSET, false);
    QAction *setCode2 = c("actSetCode2", "设置文件选择下拉字段内容", "format-justify-fill", IRSET, false);
    QAction *setEasy = c("actSetEasy", "设置案卷文本字段快捷录入", "insert-text", IRSET, false);
    QAction *setEasy2 = c("actSetEasy2", "设置文件文本字段快捷录入", "insert-text", IRSET, false);
    // Code lists and phrases reach this window through its refresh.
    auto codes = [this](const QString &table) {
        RunCommand([&] { Tfrm_sys_code::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), table, QString(), false, this); });
    };
    auto phrases = [this](const QString &table) {
        RunCommand([&] { Tfrm_sys_easy::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), table, QString(), this); });
    };
    connect(setCode, &QAction::triggered, this, [codes] { codes(QStringLiteral("N_A")); });
    connect(setCode2, &QAction::triggered, this, [codes] { codes(QStringLiteral("N_B")); });
    connect(setEasy, &QAction::triggered, this, [phrases] { phrases(QStringLiteral("N_A")); });
    connect(setEasy2, &QAction::triggered, this, [phrases] { phrases(QStringLiteral("N_B")); });
    QAction *setCol = c("actSetColDisplay", "设置案卷记录表格显示列", "view-restore", QString(), false);
    QAction *setOrder = c("actSetOrder", "设置案卷记录表格排序方式", "view-sort-ascending", IRSET, false);
    QAction *setCol2 = c("actSetColDisplay2", "设置文件记录表格显示列", "view-restore", QString(), false);
    connect(setCol2, &QAction::triggered, this, [this] {
        RunCommand([this] { ChooseGridColumns(m_dbgrid2, edtColorbg1()->colour(), edtColorbg2()->colour(), this); });
    });
    QAction *setOrder2 = c("actSetOrder2", "设置文件记录表格排序方式", "view-sort-ascending", IRSET, false);
    // Whatever the user did in these windows, the window takes the settings again.
    connect(setTree, &QAction::triggered, this, [this] {
        RunCommand([this] {
            Tfrm_sys_tree::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), QStringLiteral("N_A"), this);
            TreeSettingsClosed();
        });
    });
    connect(setQuery, &QAction::triggered, this, [this] {
        RunCommand([this] {
            Tfrm_sys_query::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), QStringLiteral("N_A"), this);
            QuerySettingsClosed();
        });
    });
    auto order = [this](const QString &table) {
        RunCommand([&] {
            Tfrm_sys_order::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), table, this);
            SortSettingsClosed(table);
        });
    };
    connect(setOrder, &QAction::triggered, this, [order] { order(QStringLiteral("N_A")); });
    connect(setOrder2, &QAction::triggered, this, [order] { order(QStringLiteral("N_B")); });
    QAction *binDisplay = c("actBinSetDisplay", "显示文件附件", "mail-attachment", QString(), false);
    binDisplay->setCheckable(true);
    binDisplay->setChecked(true);
    QAction *treeDisplay = c("actSetDisplayTree", "显示树型层次", "format-indent-more", QString(), false);
    treeDisplay->setCheckable(true);
    treeDisplay->setChecked(true);
    connect(binDisplay, &QAction::toggled, this, [this] { applyPanelVisibility(); });
    m_attachments->follow(m_qry2, binDisplay);
    connect(m_lv1, &QListWidget::itemDoubleClicked, this, [this] {
        QAction *open = m_attachments->command(QStringLiteral("actBinOpen"));
        if (open && open->isVisible() && open->isEnabled())
            open->trigger();
    });
    connect(treeDisplay, &QAction::toggled, this, [this] { applyPanelVisibility(); });
    QAction *setFtp = c("actSetFtp", "设置附件FTP功能", "network-server", IRSET);
    c("actSetUser", "设置用户", "system-users", IRSET, false);
    c("actSetPassword", "设置密码", "dialog-password", QString(), false);
    QAction *set = action(QStringLiteral("actSet"));

    // Toolbar, left to right.
    bindToolButton(QStringLiteral("tlbAdd"), add0, dropDown(QStringLiteral("pmAdd"), {add, nullptr, add2}));
    bindToolButton(QStringLiteral("tlbEdit"), edit0, dropDown(QStringLiteral("pmEdit1"), {edit, nullptr, edit2}));
    bindToolButton(QStringLiteral("tlbDel"), del0, dropDown(QStringLiteral("pmDel"), {del, nullptr, del2}));
    bindToolButton(QStringLiteral("tlbCust1"), bin, m_attachments->pmBin());
    bindToolButton(QStringLiteral("tlbCust2"), input0, dropDown(QStringLiteral("pmInput"), {input, nullptr, input2}));
    bindToolButton(QStringLiteral("tlbCust3"), batchEdit);
    bindToolButton(QStringLiteral("tlbCust4"), sum);
    bindToolButton(QStringLiteral("tlbCust9"), fileQuery);
    bindToolButton(QStringLiteral("tlbCust10"), batchDel);
    bindToolButton(QStringLiteral("tlbCust21"), refresh);
    bindToolButton(QStringLiteral("tlbCust5"), borrowOut);
    bindToolButton(QStringLiteral("tlbCust6"), borrowIn);
    bindToolButton(QStringLiteral("tlbCust7"), borrowInfo);

    QMenu *pm = pmPrint();
    pm->clear();
    pm->addActions(prints);
    pm->addSeparator();
    pm->addActions(designs);
    pm->addAction(printTable);
    bindToolButton(QStringLiteral("tlbPrint"), print, pm);

    pm = pmExport();
    pm->clear();
    pm->addActions({msA, wpsA});
    pm->addSeparator();
    pm->addActions({msB, wpsB});
    bindToolButton(QStringLiteral("tlbExport"), export0, pm);

    pm = pmSet();
    pm->clear();
    pm->addActions({setSysname, setUI, setField, setField2, setTree, setQuery, setCode, setCode2, setEasy, setEasy2,
                    setCol, setOrder, setCol2, setOrder2});
    pm->addSeparator();
    pm->addActions({binDisplay, treeDisplay});
    pm->addSeparator();
    pm->addAction(setFtp);
    pm->addSeparator();
    pm->addAction(action(QStringLiteral("actSetDoQuery")));
    pm->addSeparator();
    pm->addActions({action(QStringLiteral("actSetUser")), action(QStringLiteral("actSetPassword")),
                    action(QStringLiteral("actBakDoc"))});
    bindToolButton(QStringLiteral("tlbSet"), set, pm);

    // Grid popups.
    QMenu *pmA = pmEdit();
    pmA->clear();
    pmA->addActions({add, edit, del, exportA, input});
    m_pmEditB = dropDown(QStringLiteral("pmEditB"), {add2, edit2, del2, export2, input2});
    connect(m_dbgrid2, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_pmEditB->popup(m_dbgrid2->viewport()->mapToGlobal(pos)); });

    // Double clicks open the record.
    connect(dbgrid1(), &QAbstractItemView::doubleClicked, this, [this, edit] {
        if (Qry1().isOpen() && edit->isEnabled())
            edit->trigger();
    });
    connect(m_dbgrid2, &QAbstractItemView::doubleClicked, this, [this, edit2] {
        if (m_qry2->isOpen() && !m_qry2->isEmpty() && edit2->isEnabled())
            edit2->trigger();
    });

    // The main window's own close command.
    QAction *close = actClose();
    disconnect(close, &QAction::triggered, this, nullptr);
    connect(close, &QAction::triggered, this, &Tfrm_N_A_main::actCloseExecute);
    // After the base's clearing of the panel, the tree loses its selection.
    connect(action(QStringLiteral("actClearQuery")), &QAction::triggered, this, [this] { m_navTree->clearSelection(); });
    connect(action(QStringLiteral("actDoQuery")), &QAction::triggered, this, [this] { RunCommand([this] { RunQuery(); }); });
}

void Tfrm_N_A_main::ApplyRights()
{
    const CurrentUser &user = shared().user;
    for (auto it = m_rightOf.constBegin(); it != m_rightOf.constEnd(); ++it) {
        QAction *act = action(it.key());
        if (!act)
            continue;
        const bool granted = user.hasRight(it.value());
        act->setEnabled(granted && !isPending(act));
        act->setVisible(granted || m_enabledOnly.contains(it.key()));
    }
    applyPrintSlots();
    if (!shared().isNetwork())
        action(QStringLiteral("actSetFtp"))->setVisible(false);

    auto hidden = [this](const QStringList &names) {
        for (const QString &n : names)
            if (isToolButtonVisible(n))
                return false;
        return true;
    };
    separator(QStringLiteral("tbSep2"))->setVisible(!(!action(QStringLiteral("actAdd"))->isVisible()
                                                      && !action(QStringLiteral("actDel"))->isVisible()
                                                      && !action(QStringLiteral("actEdit"))->isVisible()));
    separator(QStringLiteral("tbSep5"))->setVisible(!hidden({QStringLiteral("tlbCust1"), QStringLiteral("tlbCust2"),
                                                            QStringLiteral("tlbCust3"), QStringLiteral("tlbCust4"),
                                                            QStringLiteral("tlbCust9"), QStringLiteral("tlbCust10"),
                                                            QStringLiteral("tlbCust21"), QStringLiteral("tlbCust22"),
                                                            QStringLiteral("tlbCust23"), QStringLiteral("tlbCust24")}));
    separator(QStringLiteral("tbSep3"))->setVisible(!hidden({QStringLiteral("tlbCust5"), QStringLiteral("tlbCust6"),
                                                            QStringLiteral("tlbCust7"), QStringLiteral("tlbCust8"),
                                                            QStringLiteral("tlbCust11"), QStringLiteral("tlbCust12")}));
}

// A slot whose name is blank loses both of its commands; the others are
// captioned by their names.
void Tfrm_N_A_main::applyPrintSlots()
{
    for (int n = 1; n <= 8; ++n) {
        const QString name = shared().printNames[n - 1].trimmed();
        QAction *print = action(QStringLiteral("actPrint%1").arg(n));
        QAction *design = action(QStringLiteral("actPrint%1Set").arg(n));
        print->setText(name);
        design->setText(name + QStringLiteral("模板设置"));
        if (name.isEmpty()) {
            print->setVisible(false);
            design->setVisible(false);
        }
    }
}

void Tfrm_N_A_main::ApplyFieldCaptions()
{
    m_queryPanel->ApplyFieldCaptions();
    for (DbGrid *grid : {dbgrid1(), m_dbgrid2}) {
        for (int col = 0; col < grid->columnCount(); ++col) {
            const QString caption = shared().caption(grid->columnField(col));
            if (!caption.isEmpty())
                grid->setColumnTitle(col, caption);
        }
    }
}

void Tfrm_N_A_main::ApplyColumnVisibility(DbGrid *grid)
{
    const QString table = grid == m_dbgrid2 ? QStringLiteral("N_B") : QStringLiteral("N_A");
    if (!OpenSql(Qry(), QStringLiteral("select * from S_FIELD where STABLE='%1'").arg(table)))
        return;
    for (Qry().first(); !Qry().eof(); Qry().next()) {
        const QString field = Qry().text(QStringLiteral("SFIELD"));
        for (int col = 0; col < grid->columnCount(); ++col) {
            if (grid->columnField(col) == field) {
                grid->setColumnVisible(col, Qry().value(QStringLiteral("IDISPLAY")).toInt() == 1);
                break;
            }
        }
    }
}

void Tfrm_N_A_main::LoadCodeLists()
{
    m_queryPanel->LoadCodeLists(Qry());
    // The volume grid shows the names the panel's combos hold; the document
    // grid reads its code tables.
    DbGrid *grid = dbgrid1();
    for (int col = 0; col < grid->columnCount(); ++col) {
        const QString code = grid->columnField(col).toUpper();
        if (code.at(1) == QLatin1Char('C'))
            if (MapListCombo *combo = m_queryPanel->combo(code))
                FillColumnListsFromItems(grid, col, combo->listItems());
    }
    for (int col = 0; col < m_dbgrid2->columnCount(); ++col) {
        const QString code = m_dbgrid2->columnField(col).toUpper();
        if (code.at(1) == QLatin1Char('C'))
            FillColumnListsFromSql(m_dbgrid2, col, Qry(),
                                   QStringLiteral("select %1, %1NAME from N_%1 order by %1ORDER").arg(code));
    }
}

void Tfrm_N_A_main::BuildQueryPanel()
{
    const QScreen *s = screen() ? screen() : QGuiApplication::primaryScreen();
    const int height = m_queryPanel->BuildQueryPanel(Qry(), QStringLiteral("N_A"), s ? s->geometry().width() : 1280,
                                                     btnDoQuery(), btnClearQuery());
    if (height >= 0) {
        pnlQuery()->setMinimumHeight(0);
        pnlQuery()->setFixedHeight(height);
    }
}

void Tfrm_N_A_main::RunQuery()
{
    // A field that holds no value of its type has said so; nothing runs.
    m_conditionText = m_queryPanel->conditionText(shared().edition);
    OpenSql(Qry1(), QueryConditions::volumeStatement(baseSql(), m_conditionText, shared().orderA));
    LoadDocuments();
}

void Tfrm_N_A_main::ShowAddedVolumes(const QString &lastKey)
{
    OpenSql(Qry1(), QueryConditions::addedVolumesStatement(baseSql(), lastKey));
}

void Tfrm_N_A_main::LoadDocuments()
{
    const bool none = !Qry1().isOpen() || Qry1().isEmpty();
    OpenSql(*m_qry2, QueryConditions::documentStatement(m_docBaseSql, none ? QString() : Qry1().text(QStringLiteral("AIID")),
                                                        shared().orderB));
}

void Tfrm_N_A_main::ApplyColours()
{
    const QColor window = edtColorbg1()->colour();
    const QColor control = edtColorbg2()->colour();
    colourControl(stbMain(), window);
    for (QWidget *w : {static_cast<QWidget *>(dbgrid1()), static_cast<QWidget *>(m_dbgrid2), static_cast<QWidget *>(m_tv1),
                       static_cast<QWidget *>(m_lv1), static_cast<QWidget *>(m_spl1), static_cast<QWidget *>(m_spl2),
                       static_cast<QWidget *>(m_spl111)})
        colourControl(w, control);
    m_queryPanel->setControlColour(control);
    m_navTree->setBackgroundColour(control);
    m_attachments->setControlColour(control);
    dbgrid1()->setColor(control);
    m_dbgrid2->copyAppearanceFrom(*dbgrid1());
}

void Tfrm_N_A_main::applyPanelVisibility()
{
    m_pnlfj->setVisible(action(QStringLiteral("actBinSetDisplay"))->isChecked());
    m_pnlTree->setVisible(action(QStringLiteral("actSetDisplayTree"))->isChecked());
}

void Tfrm_N_A_main::FormShow()
{
    Tfrm_base_dbsingle::FormShow();
    setWindowTitle(shared().sysTitle);
    QApplication::setApplicationDisplayName(shared().sysTitle);
    mnuEdit()->setText(shared().modName);
    ApplyColours();
    ApplyColumnVisibility(dbgrid1());
    ApplyColumnVisibility(m_dbgrid2);
    if (action(QStringLiteral("actSetDoQuery"))->isChecked())
        RunQuery();
    applyPanelVisibility();
    m_attachments->applyCheckedArrangement();
    m_dbgrid2->setTitleHeight(dbgrid1()->titleHeight());
}

void Tfrm_N_A_main::SortSettingsClosed(const QString &tableKey)
{
    const QString clause = BuildOrderClause(Qry(), tableKey);
    if (tableKey == QLatin1String("N_B"))
        shared().orderB = clause;
    else
        shared().orderA = clause;
    if (Qry1().isOpen())
        RunQuery();
}

void Tfrm_N_A_main::TreeSettingsClosed()
{
    m_navTree->reloadLevels();
}

void Tfrm_N_A_main::QuerySettingsClosed()
{
    BuildQueryPanel();
}

void Tfrm_N_A_main::actRefreshExecute()
{
    LoadCodeLists();
    m_navTree->BuildTreeRoot();
    ApplyFieldCaptions();
    BuildQueryPanel();
    ApplyColumnVisibility(dbgrid1());
    ApplyColumnVisibility(m_dbgrid2);
    if (Qry1().isOpen()) {
        const QString sql = Qry1().sql();
        OpenSql(Qry1(), sql);
    }
}

QList<QStringList> Tfrm_N_A_main::volumePickLists() const
{
    QList<QStringList> lists;
    for (int i = 1; i <= 10; ++i) {
        MapListCombo *combo = m_queryPanel->combo(QStringLiteral("AC%1").arg(i, 2, 10, QLatin1Char('0')));
        lists << (combo ? combo->listItems() : QStringList());
    }
    return lists;
}

void Tfrm_N_A_main::actAddExecute()
{
    QString lastKey;
    if (OpenSql(Qry(), QStringLiteral("select max(AIID) from N_A")))
        lastKey = Qry().text(Qry().fieldName(0));
    if (Tfrm_N_A_add::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), volumePickLists(), this)) {
        ApplyFieldCaptions();
        ApplyColumnVisibility(dbgrid1());
    }
    ShowAddedVolumes(lastKey);
    ShowInfo(QStringLiteral("表格中显示是此次增加的记录, 查看其它记录请点执行查询按钮!"));
}

void Tfrm_N_A_main::actEditExecute()
{
    if (!Qry1().isOpen() || Qry1().isEmpty())
        return;
    if (Tfrm_N_A_edit::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), &Qry1(), volumePickLists(), this)) {
        ApplyColumnVisibility(dbgrid1());
        ApplyFieldCaptions();
    }
}

void Tfrm_N_A_main::actAdd2Execute()
{
    if (!Qry1().isOpen())
        return;
    if (Qry1().isEmpty()) {
        ShowInfo(QStringLiteral("请先增加或选择案卷记录！"));
        return;
    }
    const QVariant volume = Qry1().value(QStringLiteral("AIID"));
    Tfrm_N_B_add::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), volume.toString(), this);
    RunQuery();
    if (Qry1().isOpen())
        Qry1().locate(QStringLiteral("AIID"), volume);
}

void Tfrm_N_A_main::actEdit2Execute()
{
    if (!m_qry2->isOpen() || m_qry2->isEmpty())
        return;
    Tfrm_N_B_edit::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), m_qry2, this);
}

void Tfrm_N_A_main::actBatchEditExecute()
{
    Tfrm_N_A_batchedit::Execute(edtColorbg1()->colour(), edtColorbg2()->colour(), m_conditionText, this);
    RunQuery();
}

FtpClient *Tfrm_N_A_main::ftpClient() const
{
    if (m_ftp)
        return m_ftp;
    return frm_base_dm() ? &frm_base_dm()->idftp() : nullptr;
}

void Tfrm_N_A_main::actDelExecute()
{
    AttachmentStore store = AttachmentStore::ofEdition(ftpClient());
    RecordDeletion(Qry1(), *m_qry2, Qry(), store, this).deleteVolume();
}

void Tfrm_N_A_main::actBatchDelExecute()
{
    AttachmentStore store = AttachmentStore::ofEdition(ftpClient());
    RecordDeletion(Qry1(), *m_qry2, Qry(), store, this).deleteAllVolumes();
}

void Tfrm_N_A_main::actDel2Execute()
{
    AttachmentStore store = AttachmentStore::ofEdition(ftpClient());
    RecordDeletion(Qry1(), *m_qry2, Qry(), store, this).deleteDocument();
}

bool Tfrm_N_A_main::closeCommandAsks(const QString &executableName)
{
    return executableName.toUpper() != QLatin1String("PELU.EXE");
}

void Tfrm_N_A_main::actCloseExecute()
{
    if (!closeCommandAsks(QFileInfo(QCoreApplication::applicationFilePath()).fileName())) {
        close();
        return;
    }
    if (AskConfirm(QStringLiteral("确认要退出系统吗?")) == MsgResultOk)
        QCoreApplication::quit();
}

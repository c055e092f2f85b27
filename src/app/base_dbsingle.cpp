#include "app/base_dbsingle.h"

#include "app/AppIcons.h"
#include "app/ColourHolder.h"
#include "app/DbEditors.h"
#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "app/PropStorage.h"
#include "app/ShellOpen.h"
#include "app/SqlHelpers.h"
#include "app/WidgetHelpers.h"
#include "app/sys_about.h"
#include "app/sys_bakdoc.h"
#include "app/sys_coldisplay.h"
#include "app/sys_uiset.h"
#include "data/Dataset.h"
#include "data/SharedState.h"
#include "users/sys_password.h"
#include "users/sys_user.h"

#include <QAction>
#include <QCloseEvent>
#include <QDate>
#include <QFileInfo>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QUrlQuery>
#include <QVBoxLayout>

// The status bar: three panels drawn by the window, each filled with the
// control colour and its text on one line, vertically centred.
class Tfrm_base_dbsingle_status : public QWidget {
public:
    explicit Tfrm_base_dbsingle_status(QWidget *parent)
        : QWidget(parent)
    {
        setObjectName(QStringLiteral("stbMain"));
        setFixedHeight(fontMetrics().height() + 8);
    }

    int widths[3] = {450, 250, 50};
    QString texts[3];
    QColor fill = QColor(235, 242, 250);

    void setText(int panel, const QString &text)
    {
        texts[panel] = text;
        update();
    }

protected:
    void resizeEvent(QResizeEvent *event) override
    {
        QWidget::resizeEvent(event);
        widths[0] = widths[1] = width() / 3;
        widths[2] = width() - widths[0] - widths[1];
    }

    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.fillRect(rect(), palette().color(QPalette::Window));
        int x = 0;
        for (int i = 0; i < 3; ++i) {
            const QRect r(x, 1, (i == 2 ? width() - x : widths[i]) - 2, height() - 2);
            p.fillRect(r, fill);
            p.setPen(Qt::black);
            p.drawText(r.adjusted(4, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, texts[i]);
            x += widths[i];
        }
    }
};

namespace {

const QString kDeleteQuestion = QStringLiteral("删除后将不能再恢复，确认要删除吗？");

QFont designedGridFont()
{
    QFont f;
    f.setFamilies({QStringLiteral("微软雅黑"), QStringLiteral("WenQuanYi Micro Hei")});
    f.setPixelSize(15);
    return f;
}

} // namespace

QString Tfrm_base_dbsingle::designedHint(const QString &actionName)
{
    static const QHash<QString, QString> hints = {
        {QStringLiteral("ACTADD"), QStringLiteral("新增一条数据记录（快捷键：Ctrl+N）")},
        {QStringLiteral("ACTEDIT"), QStringLiteral("保存当前数据记录（快捷键：Ctrl+E）")},
        {QStringLiteral("ACTDEL"), QStringLiteral("删除当前数据记录（快捷键：Ctrl+D）")},
        {QStringLiteral("ACTABOLISH"), QStringLiteral("作废当前数据记录")},
        {QStringLiteral("ACTCOPY"), QStringLiteral("复制当前数据记录")},
        {QStringLiteral("ACTSUBMIT"), QStringLiteral("提交当前数据记录")},
        {QStringLiteral("ACTBACK"), QStringLiteral("退单当前数据记录")},
        {QStringLiteral("ACTFIRST"), QStringLiteral("第一条记录（快捷键：Home）")},
        {QStringLiteral("ACTPRIOR"), QStringLiteral("前一条记录（快捷键：↑）")},
        {QStringLiteral("ACTNEXT"), QStringLiteral("后一条记录（快捷键：↓）")},
        {QStringLiteral("ACTLAST"), QStringLiteral("最后一条记录（快捷键：End）")},
        {QStringLiteral("ACTIMG"), QStringLiteral("显示小图标（快捷键：Ctrl+I）")},
        {QStringLiteral("ACTPRINT"), QStringLiteral("打印当前查询数据记录（快捷键：Ctrl+P）")},
        {QStringLiteral("ACTHELP"), QStringLiteral("显示帮助文件（快捷键：F1）")},
    };
    return hints.value(actionName.toUpper());
}

QStringList Tfrm_base_dbsingle::slotNames()
{
    QStringList names;
    for (int n : {1, 2, 3, 4, 9, 10, 21, 22, 23, 24, 5, 6, 7, 8, 11, 12})
        names << QStringLiteral("tlbCust%1").arg(n);
    return names;
}

QString Tfrm_base_dbsingle::exportDialogTitle()
{
    return QStringLiteral("请录入导出文件名");
}

QString Tfrm_base_dbsingle::exportDialogFilters()
{
    return QStringLiteral("Excel文件 (*.XLS);;Word文件 (*.RTF);;网页文件 (*.HTM);;文本文件 (*.TXT)");
}

Tfrm_base_dbsingle::Tfrm_base_dbsingle(QWidget *parent)
    : Tfrm_base_dbform(parent)
    , m_qry1(new Dataset(this))
{
    setWindowFlags(Qt::Window);
    setSizeGripEnabled(false);
    m_qry1->setObjectName(QStringLiteral("Qry1"));

    m_edtColorS = new ColourHolder(QStringLiteral("edtColorS"), QStringLiteral("表格选中行颜色"), QColor(220, 234, 245), this);
    m_edtColorbg1 = new ColourHolder(QStringLiteral("edtColorbg1"), QStringLiteral("窗体背景颜色"), QColor(188, 213, 236), this);
    m_edtColorbg2 = new ColourHolder(QStringLiteral("edtColorbg2"), QStringLiteral("窗体控件背景颜色"), QColor(235, 242, 250), this);

    // Tool area: module caption, command toolbar, query panel.
    m_pnlToolBar = new QWidget(this);
    m_pnlToolBar->setObjectName(QStringLiteral("pnlToolBar"));
    auto *toolLayout = new QVBoxLayout(m_pnlToolBar);
    toolLayout->setContentsMargins(0, 0, 0, 0);
    toolLayout->setSpacing(0);
    m_tb1 = new QToolBar(m_pnlToolBar);
    m_tb1->setObjectName(QStringLiteral("tb1"));
    m_tb1->setMovable(false);
    m_mnuEdit = new QToolButton(m_tb1);
    m_mnuEdit->setObjectName(QStringLiteral("mnuEdit"));
    m_mnuEdit->setText(shared().modName.isEmpty() ? QStringLiteral("模块名称") : shared().modName);
    m_mnuEdit->setToolButtonStyle(Qt::ToolButtonTextOnly);
    m_mnuEdit->setAutoRaise(true);
    m_tb1->addWidget(m_mnuEdit);
    m_tb2 = new QToolBar(m_pnlToolBar);
    m_tb2->setObjectName(QStringLiteral("tb2"));
    m_tb2->setMovable(false);
    m_tb2->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    m_tb2->setIconSize(QSize(24, 24));
    m_pnlQuery = new QWidget(m_pnlToolBar);
    m_pnlQuery->setObjectName(QStringLiteral("pnlQuery"));
    m_pnlQuery->installEventFilter(this);
    toolLayout->addWidget(m_tb1);
    toolLayout->addWidget(m_tb2);
    toolLayout->addWidget(m_pnlQuery);

    // The list.
    m_pnlmain = new QWidget(this);
    m_pnlmain->setObjectName(QStringLiteral("pnlmain"));
    auto *mainLayout = new QVBoxLayout(m_pnlmain);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    m_dbgrid1 = new DbGrid(m_pnlmain);
    m_dbgrid1->setObjectName(QStringLiteral("dbgrid1"));
    m_dbgrid1->setOptions(DbGrid::RowSelect | DbGrid::ColumnResize | DbGrid::ColumnMove | DbGrid::RowResize);
    m_dbgrid1->setColor(QColor(235, 242, 250));
    m_dbgrid1->setFixedColor(QColor(188, 213, 236));
    m_dbgrid1->setOddRowColor(QColor(235, 242, 250));
    m_dbgrid1->setEvenRowColor(QColor(235, 242, 250));
    m_dbgrid1->setFooterColor(QColor(235, 242, 250));
    m_dbgrid1->setTitleFont(designedGridFont());
    m_dbgrid1->setFooterFont(designedGridFont());
    m_dbgrid1->setSelectedRowColor(m_edtColorS->colour());
    m_dbgrid1->setDataset(m_qry1);
    m_dbgrid1->setContextMenuPolicy(Qt::CustomContextMenu);
    mainLayout->addWidget(m_dbgrid1);
    connect(m_edtColorS, &ColourHolder::colourChanged, m_dbgrid1, &DbGrid::setSelectedRowColor);

    m_stbMain = new Tfrm_base_dbsingle_status(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_pnlToolBar);
    layout->addWidget(m_pnlmain, 1);
    layout->addWidget(m_stbMain);

    buildActions();
    buildToolBars();
    buildMenus();

    m_btnDoQuery = new QPushButton(action(QStringLiteral("actDoQuery"))->icon(), QStringLiteral("执行查询"), m_pnlQuery);
    m_btnDoQuery->setObjectName(QStringLiteral("btnDoQuery"));
    connect(m_btnDoQuery, &QPushButton::clicked, action(QStringLiteral("actDoQuery")), &QAction::trigger);
    m_btnClearQuery = new QPushButton(action(QStringLiteral("actClearQuery"))->icon(), QStringLiteral("清除条件"), m_pnlQuery);
    m_btnClearQuery->setObjectName(QStringLiteral("btnClearQuery"));
    m_btnClearQuery->setToolTip(QStringLiteral("清除所有条件"));
    connect(m_btnClearQuery, &QPushButton::clicked, action(QStringLiteral("actClearQuery")), &QAction::trigger);
    m_pnlQuery->setMinimumHeight(m_btnDoQuery->sizeHint().height() * 2 + 12);

    connect(m_dbgrid1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint &pos) { m_pmEdit->popup(m_dbgrid1->viewport()->mapToGlobal(pos)); });
    connect(m_qry1, &Dataset::afterOpen, this, &Tfrm_base_dbsingle::Qry1AfterOpen);

    m_stbMain->setText(1, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    m_stbMain->setText(2, shared().user.name);
    captureBaseSql();
    resize(1024, 700);
}

Tfrm_base_dbsingle::~Tfrm_base_dbsingle()
{
    // Windows that end without a close (the program quits) keep their look too.
    if (!m_lookSaved)
        saveLook();
}

QWidget *Tfrm_base_dbsingle::stbMain() const
{
    return m_stbMain;
}

QAction *Tfrm_base_dbsingle::makeAction(const QString &name, const QString &caption, const QString &icon,
                                        const QKeySequence &shortcut)
{
    auto *act = new QAction(AppIcon(icon), caption, this);
    act->setObjectName(name);
    if (!shortcut.isEmpty()) {
        act->setShortcut(shortcut);
        act->setShortcutContext(Qt::WindowShortcut);
    }
    addAction(act); // shortcuts work whether or not a menu shows the command
    registerAction(act);
    return act;
}

void Tfrm_base_dbsingle::registerAction(QAction *act)
{
    m_actList.append(act);
    const QString hint = designedHint(act->objectName());
    if (!hint.isEmpty()) {
        act->setToolTip(hint);
        act->setStatusTip(hint);
    }
}

QAction *Tfrm_base_dbsingle::action(const QString &name) const
{
    for (QAction *a : m_actList)
        if (a->objectName() == name)
            return a;
    return nullptr;
}

void Tfrm_base_dbsingle::buildActions()
{
    auto run = [this](QAction *act, void (Tfrm_base_dbsingle::*slot)()) {
        connect(act, &QAction::triggered, this, [this, slot] { RunCommand([&] { (this->*slot)(); }); });
    };
    makeAction(QStringLiteral("actAdd"), QStringLiteral("增加"), QStringLiteral("document-new"), QKeySequence(QStringLiteral("Ctrl+N")));
    makeAction(QStringLiteral("actEdit"), QStringLiteral("修改"), QStringLiteral("accessories-text-editor"), QKeySequence(QStringLiteral("Ctrl+E")));
    run(makeAction(QStringLiteral("actDel"), QStringLiteral("删除"), QStringLiteral("edit-delete"), QKeySequence(QStringLiteral("Ctrl+D"))),
        &Tfrm_base_dbsingle::actDelExecute);
    makeAction(QStringLiteral("actPrint"), QStringLiteral("打印"), QStringLiteral("document-print"), QKeySequence(QStringLiteral("Ctrl+P")));
    makeAction(QStringLiteral("actExport"), QStringLiteral("表格导出"), QStringLiteral("x-office-spreadsheet"));
    // Spreadsheet export comes with the export routine; until then the
    // entries stand disabled.
    makeAction(QStringLiteral("actExportMSExcel"), QStringLiteral("导出到MS EXCEL"), QStringLiteral("x-office-spreadsheet"))->setEnabled(false);
    makeAction(QStringLiteral("actExportWPSExcel"), QStringLiteral("导出到WPS EXCEL"), QStringLiteral("x-office-spreadsheet-template"))->setEnabled(false);
    run(makeAction(QStringLiteral("actPrintTable"), QStringLiteral("打印表格数据"), QStringLiteral("document-print-preview")),
        &Tfrm_base_dbsingle::actPrintTableExecute);
    makeAction(QStringLiteral("actDoQuery"), QStringLiteral("执行查询"), QStringLiteral("edit-find"), QKeySequence(QStringLiteral("Ctrl+F")));
    QAction *clear = makeAction(QStringLiteral("actClearQuery"), QStringLiteral("清除条件"), QStringLiteral("edit-clear"));
    clear->setToolTip(QStringLiteral("清除所有条件"));
    run(clear, &Tfrm_base_dbsingle::actClearQueryExecute);
    run(makeAction(QStringLiteral("actSetColDisplay"), QStringLiteral("设置表格显示列"), QStringLiteral("view-restore")),
        &Tfrm_base_dbsingle::actSetColDisplayExecute);
    makeAction(QStringLiteral("actSetOrder"), QStringLiteral("设置表格排序方式"), QStringLiteral("view-sort-ascending"));
    run(makeAction(QStringLiteral("actSetUI"), QStringLiteral("设置主题字体与颜色"), QStringLiteral("preferences-desktop-theme")),
        &Tfrm_base_dbsingle::actSetUIExecute);
    QAction *doQuery = makeAction(QStringLiteral("actSetDoQuery"), QStringLiteral("打开窗口执行查询"), QStringLiteral("system-run"));
    doQuery->setCheckable(true);
    doQuery->setChecked(true);
    run(makeAction(QStringLiteral("actSetUser"), QStringLiteral("设置用户"), QStringLiteral("system-users")),
        &Tfrm_base_dbsingle::actSetUserExecute);
    run(makeAction(QStringLiteral("actSetPassword"), QStringLiteral("设置密码"), QStringLiteral("dialog-password")),
        &Tfrm_base_dbsingle::actSetPasswordExecute);
    run(makeAction(QStringLiteral("actBakDoc"), QStringLiteral("备份恢复数据"), QStringLiteral("drive-harddisk")),
        &Tfrm_base_dbsingle::actBakDocExecute);
    run(makeAction(QStringLiteral("actHelpF1"), QStringLiteral("帮助"), QStringLiteral("help-browser"), QKeySequence(Qt::Key_F1)),
        &Tfrm_base_dbsingle::actHelpF1Execute);
    run(makeAction(QStringLiteral("actSite"), QStringLiteral("主页"), QStringLiteral("web-browser")), &Tfrm_base_dbsingle::actSiteExecute);
    run(makeAction(QStringLiteral("actAbout"), QStringLiteral("关于"), QStringLiteral("help-about")), &Tfrm_base_dbsingle::actAboutExecute);
    connect(makeAction(QStringLiteral("actClose"), QStringLiteral("关闭"), QStringLiteral("system-log-out")), &QAction::triggered,
            this, &QWidget::close);
    // Heads of the two drop-down buttons that have no command of their own.
    makeAction(QStringLiteral("actSet"), QStringLiteral("设置"), QStringLiteral("preferences-system"));
    makeAction(QStringLiteral("actHelp"), QStringLiteral("帮助"), QStringLiteral("help-contents"));
}

void Tfrm_base_dbsingle::addToolButton(const QString &name)
{
    auto *button = new QToolButton(m_tb2);
    button->setObjectName(name);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setIconSize(m_tb2->iconSize());
    button->installEventFilter(this);
    ToolButton tb;
    tb.button = button;
    tb.place = m_tb2->addWidget(button);
    tb.place->setVisible(false);
    m_toolButtons.insert(name, tb);
}

void Tfrm_base_dbsingle::buildToolBars()
{
    auto sep = [this](const QString &name, bool visible) {
        QAction *s = m_tb2->addSeparator();
        s->setObjectName(name);
        s->setVisible(visible);
        m_separators.insert(name, s);
    };
    for (const char *name : {"tlbAdd", "tlbEdit", "tlbDel"})
        addToolButton(QLatin1String(name));
    sep(QStringLiteral("tbSep2"), false);
    const QStringList slotList = slotNames();
    for (int i = 0; i < slotList.size(); ++i) {
        if (i == 10)
            sep(QStringLiteral("tbSep5"), false);
        addToolButton(slotList.at(i));
    }
    sep(QStringLiteral("tbSep3"), true);
    for (const char *name : {"tlbPrint", "tlbExport", "tlbSet", "tlbHelp"})
        addToolButton(QLatin1String(name));
    sep(QStringLiteral("tbSep4"), true);
    addToolButton(QStringLiteral("tlbClose"));

    bindToolButton(QStringLiteral("tlbAdd"), action(QStringLiteral("actAdd")));
    bindToolButton(QStringLiteral("tlbEdit"), action(QStringLiteral("actEdit")));
    bindToolButton(QStringLiteral("tlbDel"), action(QStringLiteral("actDel")));
    bindToolButton(QStringLiteral("tlbClose"), action(QStringLiteral("actClose")));
}

void Tfrm_base_dbsingle::buildMenus()
{
    auto act = [this](const char *name) { return action(QLatin1String(name)); };

    m_pmExport = new QMenu(this);
    m_pmExport->setObjectName(QStringLiteral("pmExport"));
    m_pmExport->addAction(act("actExportMSExcel"));
    m_pmExport->addAction(act("actExportWPSExcel"));

    m_pmPrint = new QMenu(this);
    m_pmPrint->setObjectName(QStringLiteral("pmPrint"));

    m_pmSet = new QMenu(this);
    m_pmSet->setObjectName(QStringLiteral("pmSet"));
    m_pmSet->addAction(act("actSetColDisplay"));
    m_pmSet->addAction(act("actSetOrder"));
    m_pmSet->addAction(act("actSetUI"));
    m_pmSet->addSeparator();
    m_pmSet->addAction(act("actSetDoQuery"));
    m_pmSet->addSeparator();
    m_pmSet->addAction(act("actSetUser"));
    m_pmSet->addAction(act("actSetPassword"));
    m_pmSet->addAction(act("actBakDoc"));

    m_pmHelp = new QMenu(this);
    m_pmHelp->setObjectName(QStringLiteral("pmHelp"));
    m_pmHelp->addAction(act("actHelpF1"));
    m_pmHelp->addSeparator();
    m_pmHelp->addAction(act("actSite"));
    m_pmHelp->addSeparator();
    m_pmHelp->addAction(act("actAbout"));

    m_pmEdit = new QMenu(this);
    m_pmEdit->setObjectName(QStringLiteral("pmEdit"));
    m_pmEdit->addAction(act("actAdd"));
    m_pmEdit->addAction(act("actEdit"));
    m_pmEdit->addAction(act("actDel"));
    m_pmEdit->addSeparator();
    m_pmEdit->addSeparator();
    m_pmEdit->addSeparator();
    QAction *heading = m_pmEdit->addAction(QStringLiteral("查询"));
    heading->setObjectName(QStringLiteral("mniQuery"));
    heading->setEnabled(false);
    m_pmEdit->addAction(act("actDoQuery"));
    QMenu *print = m_pmEdit->addMenu(QStringLiteral("打印"));
    print->setObjectName(QStringLiteral("mniPrint"));
    print->addAction(act("actPrintTable"));
    print->addSeparator();
    print->addAction(act("actExport"));
    QMenu *set = m_pmEdit->addMenu(QStringLiteral("设置"));
    set->setObjectName(QStringLiteral("mniSet"));
    set->addAction(act("actSetColDisplay"));
    set->addSeparator();
    set->addAction(act("actSetOrder"));
    set->addSeparator();
    set->addAction(act("actSetUI"));
    set->addSeparator();
    set->addAction(act("actSetDoQuery"));
    m_pmEdit->addSeparator();
    m_pmEdit->addAction(act("actClose"));

    bindToolButton(QStringLiteral("tlbPrint"), act("actPrint"), m_pmPrint);
    bindToolButton(QStringLiteral("tlbExport"), act("actExport"), m_pmExport);
    bindToolButton(QStringLiteral("tlbSet"), act("actSet"), m_pmSet);
    bindToolButton(QStringLiteral("tlbHelp"), act("actHelp"), m_pmHelp);
}

QToolButton *Tfrm_base_dbsingle::toolButton(const QString &name) const
{
    return m_toolButtons.value(name).button;
}

void Tfrm_base_dbsingle::bindToolButton(const QString &name, QAction *act, QMenu *dropDown)
{
    auto it = m_toolButtons.find(name);
    Q_ASSERT(it != m_toolButtons.end());
    if (it == m_toolButtons.end())
        return;
    QToolButton *button = it->button;
    QAction *place = it->place;
    // A button shows one command at a time.
    if (QAction *old = button->defaultAction())
        disconnect(old, &QAction::changed, this, nullptr);
    button->setDefaultAction(act);
    button->setMenu(dropDown);
    button->setPopupMode(dropDown ? QToolButton::InstantPopup : QToolButton::DelayedPopup);
    if (!act) {
        place->setVisible(false);
        return;
    }
    // The toolbar hands its place's state on to the button, so the place
    // follows the command.
    auto follow = [place, act] {
        place->setEnabled(act->isEnabled());
        place->setVisible(act->isVisible());
    };
    follow();
    connect(act, &QAction::changed, this, follow);
}

bool Tfrm_base_dbsingle::isToolButtonVisible(const QString &name) const
{
    const ToolButton tb = m_toolButtons.value(name);
    return tb.place && tb.place->isVisible();
}

QAction *Tfrm_base_dbsingle::separator(const QString &name) const
{
    return m_separators.value(name);
}

int Tfrm_base_dbsingle::statusPanelWidth(int panel) const
{
    return m_stbMain->widths[panel];
}

QString Tfrm_base_dbsingle::statusPanelText(int panel) const
{
    return m_stbMain->texts[panel];
}

void Tfrm_base_dbsingle::setStatusPanelText(int panel, const QString &text)
{
    m_stbMain->setText(panel, text);
}

PropStorage *Tfrm_base_dbsingle::createPropStorage(const QString &section)
{
    if (!m_storage)
        m_storage = new PropStorage(section, this);
    return m_storage;
}

void Tfrm_base_dbsingle::captureBaseSql()
{
    m_baseSql = m_qry1->sql();
}

void Tfrm_base_dbsingle::applyWindowColour()
{
    const QColor bg = m_edtColorbg1->colour();
    ColourPanel(m_pnlToolBar, bg);
    ColourPanel(m_tb1, bg);
    ColourPanel(m_tb2, bg);
    ColourPanel(m_pnlQuery, bg);
    applyThemeColours(bg, m_edtColorbg2->colour());
    m_stbMain->fill = m_edtColorbg2->colour();
    m_stbMain->update();
}

void Tfrm_base_dbsingle::FormShow()
{
    applyWindowColour();
}

void Tfrm_base_dbsingle::showEvent(QShowEvent *event)
{
    Tfrm_base_dbform::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    if (m_storage)
        m_storage->restore();
    RunCommand([&] { FormShow(); });
}

void Tfrm_base_dbsingle::saveLook()
{
    if (m_storage)
        m_storage->save();
    m_lookSaved = true;
}

void Tfrm_base_dbsingle::closeEvent(QCloseEvent *event)
{
    Tfrm_base_dbform::closeEvent(event);
    if (!event->isAccepted())
        return;
    // The look is saved first so that switching the sums off below (nothing
    // is summed while the window's datasets close) is not what is kept.
    saveLook();
    m_dbgrid1->setSumsActive(false);
}

void Tfrm_base_dbsingle::resizeEvent(QResizeEvent *event)
{
    Tfrm_base_dbform::resizeEvent(event);
    m_stbMain->setText(1, QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    m_stbMain->setText(2, shared().user.name);
}

bool Tfrm_base_dbsingle::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_pnlQuery && event->type() == QEvent::Resize && m_placeQueryButtons)
        placeQueryButtons();
    if (event->type() == QEvent::ToolTip && !m_toolBarHints && watched->parent() == m_tb2)
        return true;
    return Tfrm_base_dbform::eventFilter(watched, event);
}

// The two query buttons stand one above the other at the panel's right end.
void Tfrm_base_dbsingle::placeQueryButtons()
{
    const int w = qMax(m_btnDoQuery->sizeHint().width(), m_btnClearQuery->sizeHint().width()) + 8;
    const int h = m_btnDoQuery->sizeHint().height();
    const int x = m_pnlQuery->width() - w - 8;
    m_btnDoQuery->setGeometry(x, 4, w, h);
    m_btnClearQuery->setGeometry(x, 8 + h, w, h);
}

void Tfrm_base_dbsingle::Qry1AfterOpen()
{
    m_stbMain->setText(0, QStringLiteral("符合查询条件的记录共有%1条").arg(m_qry1->recordCount()));
}

void Tfrm_base_dbsingle::actDelExecute()
{
    if (!m_qry1->isOpen() || m_qry1->isEmpty())
        return;
    if (AskConfirm(kDeleteQuestion) == MsgResultOk)
        m_qry1->remove();
}

void Tfrm_base_dbsingle::actPrintTableExecute()
{
    if (!ConfirmSaveChanges(*m_qry1))
        return;
    printTable();
}

void Tfrm_base_dbsingle::actClearQueryExecute()
{
    ClearQueryEditors(m_pnlQuery);
}

void Tfrm_base_dbsingle::actSetColDisplayExecute()
{
    ChooseGridColumns(m_dbgrid1, m_edtColorbg1->colour(), m_edtColorbg2->colour(), this);
}

void Tfrm_base_dbsingle::actSetUIExecute()
{
    Tfrm_sys_uiset::Execute(m_dbgrid1, m_edtColorS, m_edtColorbg2, m_edtColorbg1, this);
    applyWindowColour();
}

void Tfrm_base_dbsingle::actHelpF1Execute()
{
    const QString path = shared().helpDocPath;
    // The desktop gives no message of its own for a missing file.
    if (!QFileInfo::exists(path)) {
        ShowWarning(QStringLiteral("找不到帮助文件：") + path);
        return;
    }
    if (!ShellOpen(QUrl::fromLocalFile(path)))
        ShowWarning(QStringLiteral("无法打开帮助文件：") + path);
}

void Tfrm_base_dbsingle::actSiteExecute()
{
    QUrl url(QStringLiteral("https://www.baidu.com/s"));
    QUrlQuery query;
    query.addQueryItem(QStringLiteral("wd"), shared().sysTitle.isEmpty() ? QStringLiteral("科技档案管理") : shared().sysTitle);
    url.setQuery(query);
    ShellOpen(url);
}

void Tfrm_base_dbsingle::actSetUserExecute()
{
    Tfrm_sys_user::Execute(m_edtColorbg1->colour(), m_edtColorbg2->colour(), this);
}

void Tfrm_base_dbsingle::actSetPasswordExecute()
{
    Tfrm_sys_password::Execute(m_edtColorbg1->colour(), this);
}

void Tfrm_base_dbsingle::actAboutExecute()
{
    Tfrm_sys_about::Execute(m_edtColorbg1->colour(), this);
}

void Tfrm_base_dbsingle::actBakDocExecute()
{
    Tfrm_sys_bakdoc::Execute(m_edtColorbg1->colour(), m_edtColorbg2->colour(), this);
}

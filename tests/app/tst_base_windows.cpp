#include "TestStore.h"

#include "app/ColourHolder.h"
#include "app/DbEditors.h"
#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "app/PropStorage.h"
#include "app/ShellOpen.h"
#include "app/base_dbdialog.h"
#include "app/base_dbsingle.h"
#include "app/sys_about.h"
#include "app/sys_bakdoc.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDate>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QUrlQuery>

namespace {

// A list window as derived windows make it: a designed statement and a few
// query editors in the panel.
class ListWindow : public Tfrm_base_dbsingle {
public:
    QLineEdit *edit = new QLineEdit(pnlQuery());
    QComboBox *combo = new QComboBox(pnlQuery());
    QLineEdit *disabled = new QLineEdit(pnlQuery());
    int shows = 0;
    bool restoredBeforeShow = false;

    ListWindow()
    {
        Qry1().setSql(QStringLiteral("select * from N_AC01 a where 1=1"));
        captureBaseSql();
        combo->addItems({QStringLiteral("甲"), QStringLiteral("乙")});
        combo->setCurrentIndex(1);
        edit->setText(QStringLiteral("图纸"));
        disabled->setText(QStringLiteral("不动"));
        disabled->setEnabled(false);
    }

protected:
    void FormShow() override
    {
        ++shows;
        restoredBeforeShow = !action(QStringLiteral("actSetDoQuery"))->isChecked();
        Tfrm_base_dbsingle::FormShow();
    }
};

// A settings dialog over one code list.
class CodeDialog : public Tfrm_base_dbdialog {
public:
    CodeDialog() { Qry1().setSql(QStringLiteral("select * from N_AC01 order by AC01ORDER")); }
};

int codeRows()
{
    return sqlValue(QStringLiteral("select count(*) from N_AC01"));
}

} // namespace

class TestBaseWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;
    QList<QUrl> m_opened;
    ShellOpenHandler m_previousOpener;

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void initTestCase()
    {
        m_previousOpener = setShellOpenHandler([this](const QUrl &url) {
            m_opened << url;
            return true;
        });
    }
    void cleanupTestCase() { setShellOpenHandler(m_previousOpener); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        m_opened.clear();
        shared().user.name = QStringLiteral("系统管理员");
    }
    void cleanup() { m_store.reset(); }

    // --- dialog windows ------------------------------------------------------

    void dialogButtonsFollowPendingChange()
    {
        ScopedScriptedMessageBoxes boxes;
        CodeDialog dlg;
        dlg.show();
        QVERIFY(dlg.Qry1().isOpen());
        const int before = codeRows();
        QVERIFY(before > 0);
        QCOMPARE(dlg.Qry1().recordCount(), before);
        QVERIFY(!dlg.tlbSave()->isEnabled());
        QVERIFY(!dlg.tlbUndo()->isEnabled());

        dlg.tlbAdd()->trigger();
        QVERIFY(dlg.tlbSave()->isEnabled());
        QVERIFY(dlg.tlbUndo()->isEnabled());
        dlg.Qry1().setValue(QStringLiteral("AC01NAME"), QStringLiteral("特级机密"));
        dlg.Qry1().setValue(QStringLiteral("AC01ORDER"), 99);
        dlg.tlbSave()->trigger();
        QVERIFY(!dlg.tlbSave()->isEnabled());
        QCOMPARE(codeRows(), before + 1);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC01 where AC01NAME='特级机密'")), 1);

        dlg.tlbEdit()->trigger();
        dlg.Qry1().setValue(QStringLiteral("AC01NAME"), QStringLiteral("不要"));
        dlg.tlbUndo()->trigger();
        QVERIFY(!dlg.tlbUndo()->isEnabled());
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC01 where AC01NAME='不要'")), 0);
        QCOMPARE(dlg.Qry1().text(QStringLiteral("AC01NAME")), QStringLiteral("特级机密"));
        QVERIFY(boxes.shown.isEmpty());
    }

    // The toolbar takes no focus from a cell editor: save still writes what
    // was typed into it.
    void dialogSavesTypedCell()
    {
        ScopedScriptedMessageBoxes boxes;
        CodeDialog dlg;
        dlg.show();
        dlg.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&dlg));
        DbGrid *grid = dlg.dbgrid1();
        const QModelIndex cell = grid->model()->index(0, grid->columnByField(QStringLiteral("AC01NAME")));
        grid->setCurrentIndex(cell);
        grid->edit(cell);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QVERIFY(!dlg.tlbSave()->isEnabled());
        editor->selectAll();
        editor->insert(QStringLiteral("核心商密")); // as typed: the row goes into edit state at once
        QVERIFY(dlg.tlbSave()->isEnabled());
        QVERIFY(dlg.tlbUndo()->isEnabled());
        dlg.tlbSave()->trigger();
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_AC01 where AC01NAME='核心商密'")), 1);
        QVERIFY(!dlg.tlbSave()->isEnabled());
        QVERIFY(boxes.shown.isEmpty());
    }

    void dialogDelete()
    {
        ScopedScriptedMessageBoxes boxes;
        CodeDialog dlg;
        dlg.show();
        const int before = codeRows();

        boxes.answers << MsgResultCancel;
        dlg.tlbDel()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).text, QStringLiteral("删除后将不能再恢复，确认要删除吗？"));
        QCOMPARE(codeRows(), before);

        dlg.tlbDel()->trigger();
        QCOMPARE(codeRows(), before - 1);
        QCOMPARE(dlg.Qry1().recordCount(), before - 1);

        // An empty grid: nothing is asked, nothing happens.
        PELU_SQL(QStringLiteral("delete from N_AC01"));
        dlg.Qry1().close();
        dlg.Qry1().open();
        boxes.clear();
        dlg.tlbDel()->trigger();
        QVERIFY(boxes.shown.isEmpty());
    }

    void dialogSaveFailureKeepsRow()
    {
        ScopedScriptedMessageBoxes boxes;
        CodeDialog dlg;
        dlg.show();
        dlg.tlbAdd()->trigger();
        dlg.Qry1().setValue(QStringLiteral("AC01NAME"), QStringLiteral("新密级"));
        PELU_SQL(QStringLiteral("drop table N_AC01"));
        dlg.tlbSave()->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        // The row stays for correction.
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Insert);
        QCOMPARE(dlg.Qry1().text(QStringLiteral("AC01NAME")), QStringLiteral("新密级"));
        QVERIFY(dlg.tlbSave()->isEnabled());
    }

    // --- list windows --------------------------------------------------------

    void listWindowCommands_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("shortcut");
        QTest::newRow("add") << "actAdd" << "增加" << "Ctrl+N";
        QTest::newRow("edit") << "actEdit" << "修改" << "Ctrl+E";
        QTest::newRow("del") << "actDel" << "删除" << "Ctrl+D";
        QTest::newRow("print") << "actPrint" << "打印" << "Ctrl+P";
        QTest::newRow("export") << "actExport" << "表格导出" << "";
        QTest::newRow("ms excel") << "actExportMSExcel" << "导出到MS EXCEL" << "";
        QTest::newRow("wps excel") << "actExportWPSExcel" << "导出到WPS EXCEL" << "";
        QTest::newRow("print table") << "actPrintTable" << "打印表格数据" << "";
        QTest::newRow("do query") << "actDoQuery" << "执行查询" << "Ctrl+F";
        QTest::newRow("clear query") << "actClearQuery" << "清除条件" << "";
        QTest::newRow("columns") << "actSetColDisplay" << "设置表格显示列" << "";
        QTest::newRow("order") << "actSetOrder" << "设置表格排序方式" << "";
        QTest::newRow("ui") << "actSetUI" << "设置主题字体与颜色" << "";
        QTest::newRow("do query on open") << "actSetDoQuery" << "打开窗口执行查询" << "";
        QTest::newRow("users") << "actSetUser" << "设置用户" << "";
        QTest::newRow("password") << "actSetPassword" << "设置密码" << "";
        QTest::newRow("backup") << "actBakDoc" << "备份恢复数据" << "";
        QTest::newRow("help") << "actHelpF1" << "帮助" << "F1";
        QTest::newRow("site") << "actSite" << "主页" << "";
        QTest::newRow("about") << "actAbout" << "关于" << "";
        QTest::newRow("close") << "actClose" << "关闭" << "";
    }

    void listWindowCommands()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, shortcut);
        ListWindow w;
        QAction *a = w.action(name);
        QVERIFY2(a, qPrintable(name));
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->shortcut().toString(), shortcut);
        QVERIFY(!a->icon().isNull());
    }

    void listWindowHintsAndMenus()
    {
        ListWindow w;
        QCOMPARE(w.action(QStringLiteral("actAdd"))->toolTip(), QStringLiteral("新增一条数据记录（快捷键：Ctrl+N）"));
        QCOMPARE(w.action(QStringLiteral("actEdit"))->toolTip(), QStringLiteral("保存当前数据记录（快捷键：Ctrl+E）"));
        QCOMPARE(w.action(QStringLiteral("actPrint"))->toolTip(), QStringLiteral("打印当前查询数据记录（快捷键：Ctrl+P）"));
        QCOMPARE(w.action(QStringLiteral("actClearQuery"))->toolTip(), QStringLiteral("清除所有条件"));
        // A derived window's command gets the table's hint when registered.
        auto *first = new QAction(QStringLiteral("第一条"), &w);
        first->setObjectName(QStringLiteral("actFirst"));
        w.registerAction(first);
        QCOMPARE(first->toolTip(), QStringLiteral("第一条记录（快捷键：Home）"));
        QVERIFY(w.action(QStringLiteral("actSetDoQuery"))->isChecked());

        auto names = [](QMenu *m) {
            QStringList out;
            for (QAction *a : m->actions())
                out << (a->isSeparator() ? QStringLiteral("-") : a->menu() ? QStringLiteral("[") + a->text() + QStringLiteral("]") : a->text());
            return out;
        };
        QCOMPARE(names(w.pmSet()), QStringList({"设置表格显示列", "设置表格排序方式", "设置主题字体与颜色", "-", "打开窗口执行查询",
                                                "-", "设置用户", "设置密码", "备份恢复数据"}));
        QCOMPARE(names(w.pmHelp()), QStringList({"帮助", "-", "主页", "-", "关于"}));
        QCOMPARE(names(w.pmExport()), QStringList({"导出到MS EXCEL", "导出到WPS EXCEL"}));
        QCOMPARE(names(w.pmEdit()), QStringList({"增加", "修改", "删除", "-", "-", "-", "查询", "执行查询", "[打印]", "[设置]", "-", "关闭"}));
        QMenu *print = w.pmEdit()->actions().at(8)->menu();
        QCOMPARE(names(print), QStringList({"打印表格数据", "-", "表格导出"}));
        QMenu *set = w.pmEdit()->actions().at(9)->menu();
        QCOMPARE(names(set), QStringList({"设置表格显示列", "-", "设置表格排序方式", "-", "设置主题字体与颜色", "-", "打开窗口执行查询"}));
    }

    void listWindowToolbar()
    {
        ListWindow w;
        w.show();
        // Left to right as designed; the slots and tbSep2/tbSep5 start hidden.
        QStringList order;
        for (QAction *a : w.tb2()->actions()) {
            if (a->isSeparator())
                order << (a->objectName().isEmpty() ? QStringLiteral("|") : a->objectName());
            else if (QWidget *b = w.tb2()->widgetForAction(a))
                order << b->objectName();
        }
        QStringList expected{"tlbAdd", "tlbEdit", "tlbDel", "tbSep2"};
        const QStringList slotList = Tfrm_base_dbsingle::slotNames();
        expected << slotList.mid(0, 10) << "tbSep5" << slotList.mid(10) << "tbSep3" << "tlbPrint" << "tlbExport" << "tlbSet" << "tlbHelp";
        QCOMPARE(order.mid(0, expected.size()), expected);
        QCOMPARE(order.last(), QStringLiteral("tlbClose"));
        QCOMPARE(slotList.size(), 16);
        QVERIFY(!w.separator(QStringLiteral("tbSep2"))->isVisible());
        QVERIFY(!w.separator(QStringLiteral("tbSep5"))->isVisible());
        for (const QString &s : slotList)
            QVERIFY2(!w.isToolButtonVisible(s), qPrintable(s));
        QVERIFY(w.isToolButtonVisible(QStringLiteral("tlbAdd")));
        QCOMPARE(w.toolButton(QStringLiteral("tlbSet"))->menu(), w.pmSet());
        QCOMPARE(w.toolButton(QStringLiteral("tlbSet"))->popupMode(), QToolButton::InstantPopup);

        // A bound slot shows while its command is visible.
        auto *lend = new QAction(QStringLiteral("借阅"), &w);
        w.bindToolButton(QStringLiteral("tlbCust5"), lend);
        QVERIFY(w.isToolButtonVisible(QStringLiteral("tlbCust5")));
        QCOMPARE(w.toolButton(QStringLiteral("tlbCust5"))->text(), QStringLiteral("借阅"));
        lend->setEnabled(false);
        QVERIFY(!w.toolButton(QStringLiteral("tlbCust5"))->isEnabled());
        lend->setEnabled(true);
        QVERIFY(w.toolButton(QStringLiteral("tlbCust5"))->isEnabled());
        lend->setVisible(false);
        QVERIFY(!w.isToolButtonVisible(QStringLiteral("tlbCust5")));
        w.action(QStringLiteral("actDel"))->setVisible(false);
        QVERIFY(!w.isToolButtonVisible(QStringLiteral("tlbDel")));
    }

    void statusBar()
    {
        ListWindow w;
        w.resize(900, 600);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.stbMain()->resize(900, w.stbMain()->height());
        QCOMPARE(w.statusPanelWidth(0), 300);
        QCOMPARE(w.statusPanelWidth(1), 300);
        QCOMPARE(w.statusPanelText(1), QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
        QCOMPARE(w.statusPanelText(2), QStringLiteral("系统管理员"));
        w.stbMain()->resize(901, w.stbMain()->height());
        QCOMPARE(w.statusPanelWidth(0), 300);

        w.Qry1().open(w.baseSql());
        QCOMPARE(w.statusPanelText(0), QStringLiteral("符合查询条件的记录共有%1条").arg(codeRows()));
    }

    void listWindowDelete()
    {
        ScopedScriptedMessageBoxes boxes;
        ListWindow w;
        w.show();
        // Closed query: nothing asked.
        w.action(QStringLiteral("actDel"))->trigger();
        QVERIFY(boxes.shown.isEmpty());

        w.Qry1().open(w.baseSql());
        const int before = codeRows();
        boxes.answers << MsgResultCancel;
        w.action(QStringLiteral("actDel"))->trigger();
        QCOMPARE(codeRows(), before);
        w.action(QStringLiteral("actDel"))->trigger();
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown.at(1).text, QStringLiteral("删除后将不能再恢复，确认要删除吗？"));
        QCOMPARE(codeRows(), before - 1);
        QCOMPARE(w.Qry1().recordCount(), before - 1);
    }

    void clearQuery()
    {
        ListWindow w;
        w.action(QStringLiteral("actClearQuery"))->trigger();
        QCOMPARE(w.edit->text(), QString());
        QCOMPARE(w.combo->currentIndex(), -1);
        QCOMPARE(w.disabled->text(), QStringLiteral("不动"));
        // The two buttons of the panel are left alone.
        QCOMPARE(w.findChild<QWidget *>(QStringLiteral("btnDoQuery"))->property("text").toString(), QStringLiteral("执行查询"));
    }

    void windowColours()
    {
        ListWindow w;
        w.show();
        QCOMPARE(w.pnlToolBar()->palette().color(QPalette::Window), QColor(188, 213, 236));
        QCOMPARE(w.dbgrid1()->selectedRowColor(), QColor(220, 234, 245));
        w.edtColorbg1()->setColour(QColor(203, 220, 169));
        w.edtColorS()->setColour(QColor(223, 234, 202));
        w.applyWindowColour();
        QCOMPARE(w.pnlToolBar()->palette().color(QPalette::Window), QColor(203, 220, 169));
        QCOMPARE(w.tb2()->palette().color(QPalette::Window), QColor(203, 220, 169));
        QCOMPARE(w.palette().color(QPalette::Window), QColor(203, 220, 169));
        QCOMPARE(w.dbgrid1()->selectedRowColor(), QColor(223, 234, 202));
    }

    void lookKeptBetweenRuns()
    {
        const QString ini = m_store->folder() + QStringLiteral("/mavo120.ini");
        {
            ListWindow w;
            w.createPropStorage(QStringLiteral("frm_list"))->setIniPath(ini);
            w.propStorage()->addAction(w.action(QStringLiteral("actSetDoQuery")));
            w.propStorage()->addGrid(w.dbgrid1(), DbGrid::StoreAll);
            w.show();
            w.action(QStringLiteral("actSetDoQuery"))->setChecked(false);
            w.dbgrid1()->setSumsActive(true);
            w.dbgrid1()->setFooterRowCount(1);
            w.close();
            // Switching the sums off on close is not what is kept.
            QVERIFY(!w.dbgrid1()->sumsActive());
        }
        ListWindow w;
        w.createPropStorage(QStringLiteral("frm_list"))->setIniPath(ini);
        w.propStorage()->addAction(w.action(QStringLiteral("actSetDoQuery")));
        w.propStorage()->addGrid(w.dbgrid1(), DbGrid::StoreAll);
        w.show();
        QCOMPARE(w.shows, 1);
        QVERIFY(w.restoredBeforeShow);
        QVERIFY(w.dbgrid1()->sumsActive());
        QCOMPARE(w.dbgrid1()->footerRowCount(), 1);
    }

    void helpAndSite()
    {
        ScopedScriptedMessageBoxes boxes;
        shared().setEditionAndFolder(shared().edition, m_store->folder());
        shared().sysTitle = QStringLiteral("科技档案管理系统");
        ListWindow w;
        w.action(QStringLiteral("actHelpF1"))->trigger();
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown.at(0).text.contains(QStringLiteral("mavo120.doc")));
        QVERIFY(m_opened.isEmpty());

        QFile doc(shared().helpDocPath);
        QVERIFY(doc.open(QIODevice::WriteOnly));
        doc.close();
        w.action(QStringLiteral("actHelpF1"))->trigger();
        QCOMPARE(m_opened.size(), 1);
        QCOMPARE(m_opened.at(0), QUrl::fromLocalFile(shared().helpDocPath));

        w.action(QStringLiteral("actSite"))->trigger();
        QCOMPARE(m_opened.size(), 2);
        QCOMPARE(QUrlQuery(m_opened.at(1)).queryItemValue(QStringLiteral("wd"), QUrl::FullyDecoded), shared().sysTitle);
    }

    void aboutAndBackup()
    {
        QFETCH_GLOBAL(int, store);
        shared().setEditionAndFolder(store == TestStore::Postgres ? QStringLiteral("1") : QStringLiteral("0"), m_store->folder());
        const QString text = Tfrm_sys_bakdoc::instructions();
        QVERIFY(text.contains(QStringLiteral("N_PRINT")));
        QVERIFY(text.contains(QStringLiteral("mavo120.ini")));
        QVERIFY(text.contains(QStringLiteral("N_UPFILE")));
        QVERIFY(text.contains(QStringLiteral("删除该文件")));
        if (store == TestStore::Postgres) {
            QVERIFY(text.contains(shared().networkDbName()));
            QVERIFY(text.contains(QStringLiteral("CliCfg.ini")));
        } else {
            QVERIFY(text.contains(QStringLiteral("data100.dbf")));
        }
        const QStringList lines = Tfrm_sys_about::infoLines();
        QVERIFY(lines.at(0).contains(QStringLiteral("12.0")));
        QVERIFY(lines.at(0).contains(store == TestStore::Postgres ? QStringLiteral("网络版") : QStringLiteral("单机版")));
    }
};

QTEST_MAIN(TestBaseWindows)
#include "tst_base_windows.moc"

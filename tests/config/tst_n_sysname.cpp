#include "TestStore.h"

#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "config/N_sysname.h"
#include "config/SystemNames.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

const QColor kWindow(210, 230, 210);
const QColor kGrid(255, 250, 240);
const QString kDefaultTitle = QStringLiteral("澜图科技档案管理系统V12.0");
const QString kDefaultModule = QStringLiteral("科技档案管理");

int settingRows(const QString &name)
{
    return sqlValue(QStringLiteral("select count(*) from S_SET where SNAME='%1'").arg(name));
}

QString settingValue(const QString &name)
{
    Dataset q;
    q.open(QStringLiteral("select SVALUE from S_SET where SNAME='%1'").arg(name));
    return q.isEmpty() ? QStringLiteral("<none>") : q.text(QStringLiteral("SVALUE"));
}

// Moves the window's dataset to the row of a setting.
bool gotoSetting(Tfrm_N_sysname &dlg, const QString &name)
{
    return dlg.Qry1().locate(QStringLiteral("SNAME"), name);
}

} // namespace

class TestNSysname : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    // Makes the store refuse a new module name row, as a failing server
    // would; the title row is created first and must not stay alone.
    bool refuseInserts()
    {
        if (m_store->kind() == TestStore::SQLite) {
            return sqlExec(QStringLiteral("create trigger trg_refuse before insert on S_SET "
                                          "when new.SNAME = 'N_MOD' begin select raise(abort, 'refused by the store'); end"));
        }
        return sqlExec(QStringLiteral("create function refuse_set() returns trigger as $$ begin "
                                      "if new.SNAME = 'N_MOD' then raise exception 'refused by the store'; end if; "
                                      "return new; end $$ language plpgsql"))
               && sqlExec(QStringLiteral("create trigger trg_refuse before insert on S_SET for each row "
                                         "execute function refuse_set()"));
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        shared().sysTitle = QStringLiteral("内存标题");
        shared().modName = QStringLiteral("内存模块");
    }
    void cleanup() { m_store.reset(); }

    void layout()
    {
        Tfrm_N_sysname dlg(kWindow, kGrid);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("设置系统名称"));
        QStringList captions;
        for (QAction *a : dlg.tbmain()->actions()) {
            if (!a->isSeparator() && a->isVisible())
                captions << a->text();
        }
        QCOMPARE(captions, QStringList({"修改", "保存", "撤消", "关闭"}));
        DbGrid *grid = dlg.dbgrid1();
        QCOMPARE(grid->columnCount(), 1);
        QCOMPARE(grid->columnField(0), QStringLiteral("SVALUE"));
        QCOMPARE(grid->columnTitle(0), QStringLiteral("自定义名称"));
        QVERIFY(grid->options().testFlag(DbGrid::RecordNumbers));
        QCOMPARE(grid->rowHeight(), 25);
        QCOMPARE(grid->titleHeight(), 25);
        QCOMPARE(grid->fixedColor(), kWindow);
        QCOMPARE(grid->color(), kGrid);

        // Both rows, and only those, whatever else S_SET holds.
        QVERIFY(sqlValue(QStringLiteral("select count(*) from S_SET")) > 2);
        QCOMPARE(dlg.Qry1().recordCount(), 2);
        QStringList values;
        for (int pos = 0; pos < 2; ++pos)
            values << grid->model()->index(pos, 0).data().toString();
        values.sort();
        QStringList stored{settingValue(QStringLiteral("N_SYS")), settingValue(QStringLiteral("N_MOD"))};
        stored.sort();
        QCOMPARE(values, stored);
    }

    // Edits in the window reach the store; the names in memory change only
    // when they are read back.
    void editThenReload_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("module");
        QTest::newRow("new names") << "城建档案系统" << "城建档案";
        QTest::newRow("quote in a name") << "O'Neil档案" << "模块'一";
        QTest::newRow("emptied title") << "" << "档案";
    }

    void editThenReload()
    {
        QFETCH(QString, title);
        QFETCH(QString, module);
        ScopedScriptedMessageBoxes boxes;
        Tfrm_N_sysname dlg(kWindow, kGrid);
        dlg.show();
        const QList<QPair<QString, QString>> edits{{QStringLiteral("N_SYS"), title}, {QStringLiteral("N_MOD"), module}};
        for (const auto &edit : edits) {
            QVERIFY(gotoSetting(dlg, edit.first));
            dlg.tlbEdit()->trigger();
            dlg.Qry1().setValue(QStringLiteral("SVALUE"), edit.second);
            dlg.tlbSave()->trigger();
            QCOMPARE(dlg.Qry1().state(), Dataset::State::Browse);
        }
        QCOMPARE(shared().sysTitle, QStringLiteral("内存标题"));

        Dataset query;
        QVERIFY(ReloadSystemNames(query));
        QCOMPARE(shared().sysTitle, title);
        QCOMPARE(shared().modName, module);
        // An emptied name is kept empty: only a missing row gets the default.
        QCOMPARE(settingRows(QStringLiteral("N_SYS")), 1);
        QCOMPARE(settingRows(QStringLiteral("N_MOD")), 1);
        QVERIFY(boxes.shown.isEmpty());
    }

    void missingRowsRecreated_data()
    {
        QTest::addColumn<QStringList>("missing");
        QTest::newRow("title") << QStringList{"N_SYS"};
        QTest::newRow("module") << QStringList{"N_MOD"};
        QTest::newRow("both") << QStringList{"N_SYS", "N_MOD"};
    }

    void missingRowsRecreated()
    {
        QFETCH(QStringList, missing);
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("update S_SET set SVALUE='保留' where SNAME='N_SYS' or SNAME='N_MOD'"));
        for (const QString &name : missing)
            PELU_SQL(QStringLiteral("delete from S_SET where SNAME='%1'").arg(name));
        Dataset query;
        QVERIFY(ReloadSystemNames(query));
        const bool titleMissing = missing.contains(QStringLiteral("N_SYS"));
        const bool moduleMissing = missing.contains(QStringLiteral("N_MOD"));
        QCOMPARE(shared().sysTitle, titleMissing ? kDefaultTitle : QStringLiteral("保留"));
        QCOMPARE(shared().modName, moduleMissing ? kDefaultModule : QStringLiteral("保留"));
        QCOMPARE(settingValue(QStringLiteral("N_SYS")), shared().sysTitle);
        QCOMPARE(settingValue(QStringLiteral("N_MOD")), shared().modName);
        QCOMPARE(settingRows(QStringLiteral("N_SYS")), 1);
        QCOMPARE(settingRows(QStringLiteral("N_MOD")), 1);
        QVERIFY(boxes.shown.isEmpty());
    }

    // A read or insert the store refuses is shown; the names in memory stay
    // and no row is half-created.
    void refusedStoreKeepsNames_data()
    {
        QTest::addColumn<QString>("failure");
        QTest::newRow("insert refused") << "insert";
        QTest::newRow("table unreadable") << "read";
    }

    void refusedStoreKeepsNames()
    {
        QFETCH(QString, failure);
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("delete from S_SET where SNAME='N_SYS' or SNAME='N_MOD'"));
        if (failure == QLatin1String("insert")) {
            QVERIFY(refuseInserts());
        } else {
            PELU_SQL(QStringLiteral("drop table S_SET"));
        }
        Dataset query;
        QVERIFY(!ReloadSystemNames(query));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QCOMPARE(shared().sysTitle, QStringLiteral("内存标题"));
        QCOMPARE(shared().modName, QStringLiteral("内存模块"));
        if (failure == QLatin1String("insert"))
            QCOMPARE(settingRows(QStringLiteral("N_SYS")), 0);
    }

    // The command as the main window runs it: the window, then the names.
    void executeAppliesAfterClose()
    {
        ScopedScriptedMessageBoxes boxes;
        PELU_SQL(QStringLiteral("delete from S_SET where SNAME='N_MOD'"));
        bool seen = false;
        QTimer::singleShot(0, this, [&seen] {
            auto *dlg = qobject_cast<Tfrm_N_sysname *>(QApplication::activeModalWidget());
            if (!dlg) {
                if (QWidget *other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            // Only the title row is left to show.
            seen = dlg->isModal() && dlg->Qry1().recordCount() == 1;
            dlg->tlbEdit()->trigger();
            dlg->Qry1().setValue(QStringLiteral("SVALUE"), QStringLiteral("新标题"));
            dlg->tlbSave()->trigger();
            dlg->tbExit()->trigger();
        });
        QVERIFY(Tfrm_N_sysname::Execute(kWindow, kGrid));
        QVERIFY(seen);
        QCOMPARE(shared().sysTitle, QStringLiteral("新标题"));
        QCOMPARE(shared().modName, kDefaultModule);
        QCOMPARE(settingValue(QStringLiteral("N_MOD")), kDefaultModule);
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_MAIN(TestNSysname)
#include "tst_n_sysname.moc"

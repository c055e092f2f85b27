#include "TestStore.h"

#include "app/DbGrid.h"
#include "app/MessageBoxes.h"
#include "config/sys_field.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QToolBar>

namespace {

const QColor kWindow(200, 220, 240);
const QColor kGrid(250, 250, 230);

// The field codes of a table in display order.
QStringList fieldOrder(const QString &table)
{
    Dataset q;
    q.open(QStringLiteral("select SFIELD from S_FIELD where STABLE='%1' order by INO").arg(table));
    QStringList codes;
    for (int pos = 0; pos < q.recordCount(); ++pos)
        codes << q.textAt(pos, 0);
    return codes;
}

QStringList displayedCodes(const QString &table, int display)
{
    Dataset q;
    q.open(QStringLiteral("select SFIELD from S_FIELD where STABLE='%1' and IDISPLAY=%2 order by INO")
               .arg(table)
               .arg(display));
    QStringList codes;
    for (int pos = 0; pos < q.recordCount(); ++pos)
        codes << q.textAt(pos, 0);
    return codes;
}

int fieldInt(const QString &table, const QString &code, const QString &column)
{
    return sqlValue(QStringLiteral("select %1 from S_FIELD where STABLE='%2' and SFIELD='%3'").arg(column, table, code));
}

QModelIndex cell(Tfrm_sys_field &dlg, int row, const QString &field)
{
    DbGrid *grid = dlg.dbgrid1();
    return grid->model()->index(row, grid->columnByField(field));
}

// Goes to the field's row in the window's grid.
int rowOf(Tfrm_sys_field &dlg, const QString &code)
{
    Dataset &q = dlg.Qry1();
    const int col = q.fieldIndex(QStringLiteral("SFIELD"));
    for (int pos = 0; pos < q.recordCount(); ++pos) {
        if (q.textAt(pos, col) == code) {
            q.setPos(pos);
            return pos;
        }
    }
    return -1;
}

} // namespace

class TestSysField : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    // Makes the store refuse updates of S_FIELD rows matching condition
    // (SQL over new./old.), as a failing server would.
    bool refuseUpdates(const QString &condition)
    {
        if (m_store->kind() == TestStore::SQLite) {
            return sqlExec(QStringLiteral("create trigger trg_refuse before update on S_FIELD when %1 "
                                          "begin select raise(abort, 'refused by the store'); end")
                               .arg(condition));
        }
        return sqlExec(QStringLiteral("create function refuse_field() returns trigger as $$ begin if %1 then "
                                      "raise exception 'refused by the store'; end if; return new; end $$ "
                                      "language plpgsql")
                           .arg(condition))
               && sqlExec(QStringLiteral("create trigger trg_refuse before update on S_FIELD for each row "
                                         "execute function refuse_field()"));
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    void layout()
    {
        Tfrm_sys_field dlg(kWindow, kGrid, QStringLiteral("N_A"));
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("设置列字段"));

        QStringList captions;
        for (QAction *a : dlg.tbmain()->actions()) {
            if (!a->isSeparator() && a->isVisible())
                captions << a->text();
        }
        QCOMPARE(captions, QStringList({"修改", "上移", "下移", "保存", "撤消", "关闭"}));

        DbGrid *grid = dlg.dbgrid1();
        QCOMPARE(grid->titleHeight(), 44);
        QVERIFY(grid->wordWrap());
        QVERIFY(grid->options().testFlag(DbGrid::RowResize));
        QCOMPARE(grid->fixedColor(), kWindow);
        QCOMPARE(grid->color(), kGrid);

        struct Col {
            const char *field, *title;
            bool visible, check, readOnly;
        };
        const Col cols[] = {
            {"INO", "显示序号", false, false, true},
            {"SFIELDNAME1", "字段自定义名称", true, false, false},
            {"IDISPLAY", "增加修改界面是否显示", true, true, false},
            {"INOTNULL", "内容不能为空", true, true, false},
            {"INEWTYPE", "增加记录默认值", true, false, false},
            {"IEASY", "是否支持快捷录入", true, true, false},
            {"SFIELDNAME", "系统内部名称", true, false, true},
            {"SFIELD", "打印模板中名称", true, false, true},
            {"SREMARK", "使用说明（上移与下移可以设置字段在增加与修改中显示顺序）", true, false, true},
        };
        QCOMPARE(grid->columnCount(), int(std::size(cols)));
        for (int i = 0; i < grid->columnCount(); ++i) {
            const QString field = QString::fromLatin1(cols[i].field);
            QCOMPARE(grid->columnField(i), field);
            QCOMPARE(grid->columnTitle(i), QString::fromUtf8(cols[i].title));
            QCOMPARE(grid->isColumnVisible(i), cols[i].visible);
            QCOMPARE(grid->isColumnCheckBox(i), cols[i].check);
            QCOMPARE(bool(cell(dlg, 0, field).flags() & Qt::ItemIsEditable), !cols[i].readOnly);
        }
        const int newType = grid->columnByField(QStringLiteral("INEWTYPE"));
        QCOMPARE(grid->columnKeyList(newType), QStringList({"1", "2", "3"}));
        QCOMPARE(grid->columnPickList(newType), QStringList({"重复", "递增", "空值"}));
    }

    // Every row of the table, in display order, and only that table.
    void rowsOfTable_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("volumes") << "N_A";
        QTest::newRow("documents") << "N_B";
    }

    void rowsOfTable()
    {
        QFETCH(QString, table);
        Tfrm_sys_field dlg(kWindow, kGrid, table);
        dlg.show();
        QCOMPARE(dlg.Qry1().recordCount(), 38);
        const int col = dlg.Qry1().fieldIndex(QStringLiteral("SFIELD"));
        QStringList shown;
        for (int pos = 0; pos < dlg.Qry1().recordCount(); ++pos)
            shown << dlg.Qry1().textAt(pos, col);
        QCOMPARE(shown, fieldOrder(table));
        QCOMPARE(QSet<QString>(shown.begin(), shown.end()).size(), 38);
        for (const QString &code : shown)
            QCOMPARE(code.at(0), table.at(2));
    }

    // The check boxes and the drop-down store what the columns mean.
    void cellsStoreValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QVariant>("input");
        QTest::addColumn<int>("role");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("hide") << "IDISPLAY" << QVariant(int(Qt::Unchecked)) << int(Qt::CheckStateRole) << 0 << "";
        QTest::newRow("required") << "INOTNULL" << QVariant(int(Qt::Checked)) << int(Qt::CheckStateRole) << 1 << "";
        QTest::newRow("quick input") << "IEASY" << QVariant(int(Qt::Checked)) << int(Qt::CheckStateRole) << 1 << "";
        QTest::newRow("repeat") << "INEWTYPE" << QVariant("1") << int(Qt::EditRole) << 1 << "重复";
        QTest::newRow("increment") << "INEWTYPE" << QVariant("2") << int(Qt::EditRole) << 2 << "递增";
        QTest::newRow("empty") << "INEWTYPE" << QVariant("3") << int(Qt::EditRole) << 3 << "空值";
    }

    void cellsStoreValues()
    {
        QFETCH(QString, field);
        QFETCH(QVariant, input);
        QFETCH(int, role);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        ScopedScriptedMessageBoxes boxes;
        // A displayed field without the flags set, so every case changes something.
        PELU_SQL(QStringLiteral("update S_FIELD set INOTNULL=0, IEASY=0, INEWTYPE=%1 where STABLE='N_A' and SFIELD='AS03'")
                     .arg(stored == 3 ? 1 : 3));
        Tfrm_sys_field dlg(kWindow, kGrid, QStringLiteral("N_A"));
        dlg.show();
        const int row = rowOf(dlg, QStringLiteral("AS03"));
        QVERIFY(row >= 0);
        QVERIFY(!dlg.tlbSave()->isEnabled());
        const QModelIndex index = cell(dlg, row, field);
        QVERIFY(dlg.dbgrid1()->model()->setData(index, input, role));
        QVERIFY(dlg.tlbSave()->isEnabled());
        dlg.tlbSave()->trigger();
        QCOMPARE(fieldInt(QStringLiteral("N_A"), QStringLiteral("AS03"), field), stored);
        if (!shown.isEmpty())
            QCOMPARE(cell(dlg, dlg.Qry1().pos(), field).data().toString(), shown);
        else
            QCOMPARE(cell(dlg, dlg.Qry1().pos(), field).data(Qt::CheckStateRole).toInt(),
                     stored ? int(Qt::Checked) : int(Qt::Unchecked));
        QVERIFY(boxes.shown.isEmpty());
    }

    void move_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<int>("from"); // display number
        QTest::addColumn<bool>("up");
        QTest::addColumn<int>("to");   // 0: nothing moves
        QTest::newRow("up") << "N_A" << 5 << true << 4;
        QTest::newRow("down") << "N_A" << 5 << false << 6;
        QTest::newRow("second up") << "N_B" << 2 << true << 1;
        QTest::newRow("last but one down") << "N_B" << 37 << false << 38;
        QTest::newRow("first up") << "N_A" << 1 << true << 0;
        QTest::newRow("last down") << "N_B" << 38 << false << 0;
    }

    void move()
    {
        QFETCH(QString, table);
        QFETCH(int, from);
        QFETCH(bool, up);
        QFETCH(int, to);
        ScopedScriptedMessageBoxes boxes;
        const QStringList before = fieldOrder(table);
        Tfrm_sys_field dlg(kWindow, kGrid, table);
        dlg.show();
        dlg.Qry1().setPos(from - 1);
        const QString code = dlg.Qry1().text(QStringLiteral("SFIELD"));
        QCOMPARE(code, before.at(from - 1));
        (up ? dlg.tlbUp() : dlg.tlbDown())->trigger();

        QStringList expected = before;
        if (to)
            expected.swapItemsAt(from - 1, to - 1);
        QCOMPARE(fieldOrder(table), expected);
        for (int i = 0; i < expected.size(); ++i)
            QCOMPARE(fieldInt(table, expected.at(i), QStringLiteral("INO")), i + 1);
        // The grid stays on the moved field, in the new order.
        QCOMPARE(dlg.Qry1().text(QStringLiteral("SFIELD")), code);
        QCOMPARE(dlg.Qry1().recNo(), to ? to : from);
        QCOMPARE(dlg.Qry1().textAt(0, dlg.Qry1().fieldIndex(QStringLiteral("SFIELD"))), expected.first());
        QVERIFY(boxes.shown.isEmpty());
    }

    // A pending change is written before the move, not lost by it.
    void moveKeepsPendingChange()
    {
        ScopedScriptedMessageBoxes boxes;
        Tfrm_sys_field dlg(kWindow, kGrid, QStringLiteral("N_A"));
        dlg.show();
        dlg.Qry1().setPos(2);
        const QString code = dlg.Qry1().text(QStringLiteral("SFIELD"));
        dlg.tlbEdit()->trigger();
        dlg.Qry1().setValue(QStringLiteral("SFIELDNAME1"), QStringLiteral("移动前改名"));
        dlg.tlbDown()->trigger();
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Browse);
        QCOMPARE(fieldInt(QStringLiteral("N_A"), code, QStringLiteral("INO")), 4);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_FIELD where SFIELDNAME1='移动前改名' and SFIELD='%1'")
                              .arg(code)),
                 1);
    }

    // Save numbers displayed fields first, each group in its old order; the
    // grid stays on the number it was on.
    void saveRenumbers_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("hide"); // hide a displayed field, or show a hidden one
        QTest::newRow("hide volume field") << "N_A" << true;
        QTest::newRow("show volume field") << "N_A" << false;
        QTest::newRow("hide document field") << "N_B" << true;
        QTest::newRow("show document field") << "N_B" << false;
    }

    void saveRenumbers()
    {
        QFETCH(QString, table);
        QFETCH(bool, hide);
        ScopedScriptedMessageBoxes boxes;
        QStringList shownFields = displayedCodes(table, 1);
        QStringList hiddenFields = displayedCodes(table, 0);
        QVERIFY(shownFields.size() > 2 && hiddenFields.size() > 2);
        const QString code = hide ? shownFields.at(1) : hiddenFields.last();

        Tfrm_sys_field dlg(kWindow, kGrid, table);
        dlg.show();
        const int row = rowOf(dlg, code);
        const int numberBefore = dlg.Qry1().value(QStringLiteral("INO")).toInt();
        QVERIFY(dlg.dbgrid1()->model()->setData(cell(dlg, row, QStringLiteral("IDISPLAY")),
                                                hide ? int(Qt::Unchecked) : int(Qt::Checked), Qt::CheckStateRole));
        dlg.tlbSave()->trigger();

        if (hide) {
            shownFields.removeOne(code);
            hiddenFields.prepend(code); // its old number was below every hidden one
        } else {
            hiddenFields.removeOne(code);
            shownFields.append(code);
        }
        QCOMPARE(fieldOrder(table), shownFields + hiddenFields);
        for (int i = 0; i < 38; ++i)
            QCOMPARE(fieldInt(table, (shownFields + hiddenFields).at(i), QStringLiteral("INO")), i + 1);
        QCOMPARE(dlg.Qry1().value(QStringLiteral("INO")).toInt(), numberBefore);
        QCOMPARE(dlg.Qry1().text(QStringLiteral("SFIELD")), (shownFields + hiddenFields).at(numberBefore - 1));
        QVERIFY(boxes.shown.isEmpty());
    }

    // Closing posts the row, numbers the fields and refreshes the caption
    // cache of that table only.
    void closeSavesAndRefreshesCaptions_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("other");
        QTest::newRow("volumes") << "N_A" << "N_B";
        QTest::newRow("documents") << "N_B" << "N_A";
    }

    void closeSavesAndRefreshesCaptions()
    {
        QFETCH(QString, table);
        QFETCH(QString, other);
        ScopedScriptedMessageBoxes boxes;
        const QString letter = table.mid(2);
        const QString code = letter + QStringLiteral("S02");
        const QString otherCode = other.mid(2) + QStringLiteral("S02");
        shared().captions.clear();
        shared().captions.insert(code, QStringLiteral("旧名称"));
        shared().captions.insert(otherCode, QStringLiteral("别的表"));
        // A field hidden behind its number: closing must number it.
        PELU_SQL(QStringLiteral("update S_FIELD set IDISPLAY=0 where STABLE='%1' and INO=1").arg(table));
        const QString firstCode = fieldOrder(table).first();

        Tfrm_sys_field dlg(kWindow, kGrid, table);
        dlg.show();
        QVERIFY(dlg.isVisible());
        rowOf(dlg, code);
        dlg.tlbEdit()->trigger();
        dlg.Qry1().setValue(QStringLiteral("SFIELDNAME1"), QStringLiteral("新名称"));
        dlg.tbExit()->trigger();

        QVERIFY(!dlg.isVisible());
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from S_FIELD where STABLE='%1' and SFIELD='%2' and "
                                         "SFIELDNAME1='新名称'")
                              .arg(table, code)),
                 1);
        QCOMPARE(displayedCodes(table, 0).first(), firstCode);
        QCOMPARE(fieldOrder(table).indexOf(firstCode), displayedCodes(table, 1).size());
        QCOMPARE(shared().caption(code), QStringLiteral("新名称"));
        // Every field of the table is cached as stored.
        Dataset names;
        names.open(QStringLiteral("select SFIELD, SFIELDNAME1 from S_FIELD where STABLE='%1'").arg(table));
        QCOMPARE(names.recordCount(), 38);
        for (int pos = 0; pos < names.recordCount(); ++pos)
            QCOMPARE(shared().captions.value(names.textAt(pos, 0), QStringLiteral("<none>")), names.textAt(pos, 1));
        QCOMPARE(shared().caption(otherCode), QStringLiteral("别的表"));
        QVERIFY(boxes.shown.isEmpty());
    }

    // As the record windows and the main window call it: modal, and the
    // cache holds the new label when it returns.
    void executeModal()
    {
        ScopedScriptedMessageBoxes boxes;
        shared().captions.insert(QStringLiteral("BS01"), QStringLiteral("旧"));
        bool seen = false;
        QTimer::singleShot(0, this, [&seen] {
            auto *dlg = qobject_cast<Tfrm_sys_field *>(QApplication::activeModalWidget());
            if (!dlg) {
                if (QWidget *other = QApplication::activeModalWidget())
                    other->close();
                return;
            }
            seen = dlg->table() == QLatin1String("N_B") && dlg->isModal();
            rowOf(*dlg, QStringLiteral("BS01"));
            dlg->tlbEdit()->trigger();
            dlg->Qry1().setValue(QStringLiteral("SFIELDNAME1"), QStringLiteral("文件题名（新）"));
            dlg->tbExit()->trigger();
        });
        Tfrm_sys_field::Execute(kWindow, kGrid, QStringLiteral("N_B"));
        QVERIFY(seen);
        QCOMPARE(shared().caption(QStringLiteral("BS01")), QStringLiteral("文件题名（新）"));
        QVERIFY(boxes.shown.isEmpty());
    }

    // A row the store refuses is shown and stays for correction; the window
    // does not close over it. A numbering the store refuses changes nothing.
    void refusedRowStaysForCorrection()
    {
        ScopedScriptedMessageBoxes boxes;
        QVERIFY(refuseUpdates(QStringLiteral("new.SFIELDNAME1 = '拒绝'")));
        shared().captions.insert(QStringLiteral("AS02"), QStringLiteral("缓存"));
        const QStringList before = fieldOrder(QStringLiteral("N_A"));
        Tfrm_sys_field dlg(kWindow, kGrid, QStringLiteral("N_A"));
        dlg.show();
        rowOf(dlg, QStringLiteral("AS02"));
        dlg.tlbEdit()->trigger();
        dlg.Qry1().setValue(QStringLiteral("SFIELDNAME1"), QStringLiteral("拒绝"));
        dlg.Qry1().setValue(QStringLiteral("IDISPLAY"), 0);

        dlg.tbExit()->trigger();
        QVERIFY(dlg.isVisible());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QVERIFY2(boxes.shown.at(0).text.contains(QStringLiteral("refused by the store")),
                 qPrintable(boxes.shown.at(0).text));
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Edit);
        QCOMPARE(dlg.Qry1().text(QStringLiteral("SFIELDNAME1")), QStringLiteral("拒绝"));
        QCOMPARE(fieldOrder(QStringLiteral("N_A")), before);
        QCOMPARE(shared().caption(QStringLiteral("AS02")), QStringLiteral("缓存"));

        // Corrected, the same close goes through.
        boxes.clear();
        dlg.Qry1().setValue(QStringLiteral("SFIELDNAME1"), QStringLiteral("可以"));
        dlg.tbExit()->trigger();
        QVERIFY(!dlg.isVisible());
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(shared().caption(QStringLiteral("AS02")), QStringLiteral("可以"));
        QCOMPARE(displayedCodes(QStringLiteral("N_A"), 0).first(), QStringLiteral("AS02"));
    }

    void refusedNumberingChangesNothing_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("save") << "save";
        QTest::newRow("close") << "close";
        QTest::newRow("move") << "move";
    }

    void refusedNumberingChangesNothing()
    {
        QFETCH(QString, command);
        ScopedScriptedMessageBoxes boxes;
        const QString table = QStringLiteral("N_A");
        const QStringList shownFields = displayedCodes(table, 1);
        const QString code = shownFields.at(1);
        // The last displayed field is written after every other shifted one.
        QVERIFY(refuseUpdates(QStringLiteral("new.SFIELD = '%1' and new.INO <> old.INO").arg(shownFields.last())));

        Tfrm_sys_field dlg(kWindow, kGrid, table);
        dlg.show();
        rowOf(dlg, code);
        const int number = dlg.Qry1().value(QStringLiteral("INO")).toInt();
        if (command == QLatin1String("move")) {
            dlg.Qry1().setPos(shownFields.size() - 1); // the refused field moves down
        } else {
            dlg.tlbEdit()->trigger();
            dlg.Qry1().setValue(QStringLiteral("IDISPLAY"), 0);
        }
        const QStringList before = fieldOrder(table);

        if (command == QLatin1String("save"))
            dlg.tlbSave()->trigger();
        else if (command == QLatin1String("close"))
            dlg.tbExit()->trigger();
        else
            dlg.tlbDown()->trigger();

        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Critical);
        QCOMPARE(fieldOrder(table), before);
        for (int i = 0; i < before.size(); ++i)
            QCOMPARE(fieldInt(table, before.at(i), QStringLiteral("INO")), i + 1);
        if (command != QLatin1String("move")) {
            // The row itself was written; only the numbering was refused.
            QCOMPARE(fieldInt(table, code, QStringLiteral("IDISPLAY")), 0);
            QCOMPARE(fieldInt(table, code, QStringLiteral("INO")), number);
        }
        QCOMPARE(dlg.Qry1().state(), Dataset::State::Browse);
    }
};

QTEST_MAIN(TestSysField)
#include "tst_sys_field.moc"

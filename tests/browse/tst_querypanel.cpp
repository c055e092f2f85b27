#include "TestStore.h"

#include "app/Conversions.h"
#include "app/DbDateEdit.h"
#include "app/DbEdit.h"
#include "app/DbMapListCombo.h"
#include "app/MessageBoxes.h"
#include "app/base_dbform.h"
#include "browse/QueryConditions.h"
#include "browse/QueryPanel.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QString kBaseSql = QStringLiteral("select *\nfrom N_A a where 1=1");

QString day(const QDate &d)
{
    return DateToSqlNumber(shared().edition, d);
}

} // namespace

class TestQueryPanel : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;
    std::unique_ptr<Tfrm_base_dbform> m_form;
    QWidget *m_panel = nullptr;
    QueryPanel *m_qp = nullptr;
    QPushButton *m_btnDo = nullptr;
    QPushButton *m_btnClear = nullptr;

    // Four volumes whose values tell the filters apart.
    void addVolumes()
    {
        const QDate newYear(2024, 1, 1);
        const QString d0 = day(newYear);
        const QString d0noon = DateToSqlNumber(shared().edition, QDateTime(newYear, QTime(12, 0)));
        const QString dEve = day(QDate(2023, 12, 31));
        const QString dLater = day(QDate(2024, 3, 5));
        PELU_SQL(QStringLiteral("insert into N_A(AS01,AI02,AF01,AC01,AD01) values('A123',3,2.5,1,%1)").arg(d0));
        PELU_SQL(QStringLiteral("insert into N_A(AS01,AI02,AF01,AC01,AD01) values('B456',30,25,2,%1)").arg(d0noon));
        PELU_SQL(QStringLiteral("insert into N_A(AS01,AI02,AF01,AC01,AD01) values('O''Brien 说明',13,0.5,2,%1)").arg(dEve));
        PELU_SQL(QStringLiteral("insert into N_A(AS01,AI02,AF01,AC01,AD01) values('C12',4,1,3,%1)").arg(dLater));
    }

    // AS01 of the volumes the panel selects, sorted; "error" when the
    // panel refused.
    QStringList select()
    {
        QString cond;
        try {
            cond = m_qp->conditionText(shared().edition);
        } catch (const SilentAbort &) {
            return {QStringLiteral("error")};
        }
        Dataset q;
        q.open(QueryConditions::volumeStatement(kBaseSql, cond, QString()));
        QStringList names;
        for (q.first(); !q.eof(); q.next())
            names << q.text(QStringLiteral("AS01"));
        names.sort(); // the stores' collations differ
        return names;
    }

    void setQueryRows(const QList<QPair<int, QString>> &rows)
    {
        PELU_SQL(QStringLiteral("delete from S_QUERY where STABLE='N_A'"));
        for (const auto &r : rows)
            PELU_SQL(QStringLiteral("insert into S_QUERY(STABLE,INO,SFIELD) values('N_A',%1,'%2')").arg(r.first).arg(r.second));
    }

    // Puts a value into the pool control of a code: text, a code, or
    // "start|end" dates (yyyy-MM-dd, either may be empty).
    void fill(const QString &code, const QString &value)
    {
        if (DbEdit *e = m_qp->editor(code)) {
            e->setText(value);
        } else if (DbMapListCombo *cb = m_qp->combo(code)) {
            cb->setCurrentCode(value);
            QCOMPARE(cb->currentCode(), value);
        } else {
            const QStringList parts = value.split(QLatin1Char('|'));
            m_qp->startDate(code)->setDate(QDate::fromString(parts.value(0), Qt::ISODate));
            m_qp->endDate(code)->setDate(QDate::fromString(parts.value(1), Qt::ISODate));
        }
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }

    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        m_form = std::make_unique<Tfrm_base_dbform>();
        m_panel = new QWidget(m_form.get());
        m_panel->setObjectName(QStringLiteral("pnlQuery"));
        m_btnDo = new QPushButton(m_panel);
        m_btnClear = new QPushButton(m_panel);
        m_btnDo->setObjectName(QStringLiteral("btnDoQuery"));
        m_btnClear->setObjectName(QStringLiteral("btnClearQuery"));
        m_qp = new QueryPanel(QLatin1Char('A'), m_panel, m_form.get());
        m_qp->LoadCodeLists(m_form->Qry());
    }

    void cleanup()
    {
        m_form.reset();
        m_store.reset();
    }

    // --- the pool ------------------------------------------------------------

    void poolHasEveryControlTaggedAndHidden()
    {
        QCOMPARE(m_qp->codes().size(), 38);
        int count = 0;
        for (const QString &code : m_qp->codes()) {
            const QChar type = code.at(1);
            QStringList names{QStringLiteral("lbl") + code};
            if (type == QLatin1Char('C'))
                names << QStringLiteral("dbcb") + code;
            else if (type == QLatin1Char('D'))
                names << QStringLiteral("dbdts") + code << QStringLiteral("lbl") + code + QLatin1Char('3')
                      << QStringLiteral("dbdte") + code;
            else
                names << QStringLiteral("dbed") + code;
            for (const QString &name : names) {
                QWidget *w = m_panel->findChild<QWidget *>(name, Qt::FindDirectChildrenOnly);
                QVERIFY2(w, qPrintable(name));
                QCOMPARE(w->property("tag").toInt(), 8);
                QVERIFY2(w->isHidden(), qPrintable(name));
                ++count;
            }
        }
        QCOMPARE(m_qp->poolWidgets().size(), count);
        QCOMPARE(m_qp->dash(QStringLiteral("AD02"))->text(), QStringLiteral("-"));
        QCOMPARE(m_qp->combo(QStringLiteral("AC07"))->maxVisibleItems(), 8);
        QVERIFY(m_qp->combo(QStringLiteral("AC07"))->mapList());
    }

    void numberFieldsTakeOnlyTheirKeys_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("integer") << "AI02" << "3x.5" << "35";
        QTest::newRow("float") << "AF01" << "2.5e" << "2.5";
        QTest::newRow("text") << "AS03" << "a.5" << "a.5";
    }

    void numberFieldsTakeOnlyTheirKeys()
    {
        QFETCH(QString, code);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        DbEdit *e = m_qp->editor(code);
        QTest::keyClicks(e, typed);
        QCOMPARE(e->text(), kept);
    }

    void captionsGoToLabels()
    {
        shared().captions.insert(QStringLiteral("AS01"), QStringLiteral("案卷题名"));
        m_qp->ApplyFieldCaptions();
        QCOMPARE(m_qp->label(QStringLiteral("AS01"))->text(), QStringLiteral("案卷题名"));
        QCOMPARE(m_qp->label(QStringLiteral("AS02"))->text(), QStringLiteral("AS02")); // no caption: left alone
    }

    // --- clauses -------------------------------------------------------------

    void clauses_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("start");
        QTest::addColumn<QDate>("end");
        QTest::addColumn<QString>("edition");
        QTest::addColumn<QString>("clause");
        const QDate jan1(2024, 1, 1), jan31(2024, 1, 31);
        QTest::newRow("text trimmed") << "AS01" << "  甲 " << QDate() << QDate() << "0" << " and AS01 like '%甲%'";
        QTest::newRow("text blanks only") << "AS01" << "   " << QDate() << QDate() << "0" << "";
        QTest::newRow("text quote doubled") << "AS50" << "O'B" << QDate() << QDate() << "0" << " and AS50 like '%O''B%'";
        QTest::newRow("integer") << "AI02" << "3" << QDate() << QDate() << "0" << " and AI02=3";
        QTest::newRow("integer as typed") << "AI02" << "03" << QDate() << QDate() << "0" << " and AI02=03";
        QTest::newRow("float") << "AF04" << "2.5" << QDate() << QDate() << "0" << " and AF04=2.5";
        QTest::newRow("integer empty") << "AI01" << "" << QDate() << QDate() << "0" << "";
        QTest::newRow("code") << "AC01" << "5" << QDate() << QDate() << "0" << " and AC01=5";
        QTest::newRow("code none") << "AC10" << "" << QDate() << QDate() << "0" << "";
        QTest::newRow("end only") << "AD01" << "" << QDate() << jan1 << "0" << " and AD01 <= 45292";
        QTest::newRow("end only network") << "AD01" << "" << QDate() << jan1 << "1" << " and AD01 <= 45290";
        QTest::newRow("start only") << "AD02" << "" << jan1 << QDate() << "0" << " and AD02 >= 45292";
        QTest::newRow("both") << "AD04" << "" << jan1 << jan31 << "0" << " and AD04 between 45292 and 45322";
        QTest::newRow("both network") << "AD04" << "" << jan1 << jan31 << "1" << " and AD04 between 45290 and 45320";
        QTest::newRow("no date") << "AD03" << "" << QDate() << QDate() << "0" << "";
        QTest::newRow("document text") << "BS03" << "乙" << QDate() << QDate() << "0" << " and BS03 like '%乙%'";
    }

    void clauses()
    {
        QFETCH(QString, code);
        QFETCH(QString, text);
        QFETCH(QDate, start);
        QFETCH(QDate, end);
        QFETCH(QString, edition);
        QFETCH(QString, clause);
        QCOMPARE(QueryConditions::clause({code, text, start, end}, edition), clause);
    }

    void conditionTextInCodeOrder()
    {
        const QList<QueryConditions::Input> inputs{
            {QStringLiteral("BC10"), QStringLiteral("2"), {}, {}},
            {QStringLiteral("AD01"), {}, {}, QDate(2024, 1, 1)},
            {QStringLiteral("AC01"), QStringLiteral("5"), {}, {}},
            {QStringLiteral("AS50"), QStringLiteral("x"), {}, {}},
            {QStringLiteral("AI02"), QStringLiteral("3"), {}, {}},
            {QStringLiteral("AS01"), QStringLiteral("甲"), {}, {}},
        };
        QCOMPARE(QueryConditions::conditionText(inputs, QStringLiteral("0")),
                 QStringLiteral(" and AS01 like '%甲%' and AS50 like '%x%' and AI02=3 and AC01=5 and AD01 <= 45292"
                                " and BC10=2"));
    }

    void theExampleFromThePanel()
    {
        fill(QStringLiteral("AS01"), QStringLiteral("甲"));
        fill(QStringLiteral("AI02"), QStringLiteral("3"));
        fill(QStringLiteral("AC01"), QStringLiteral("5"));
        fill(QStringLiteral("AD01"), QStringLiteral("|2024-01-01"));
        const QString expected = shared().edition == QLatin1String("1")
            ? QStringLiteral(" and AS01 like '%甲%' and AI02=3 and AC01=5 and AD01 <= 45290")
            : QStringLiteral(" and AS01 like '%甲%' and AI02=3 and AC01=5 and AD01 <= 45292");
        QCOMPARE(m_qp->conditionText(shared().edition), expected);
    }

    void emptyPanelGivesNoCondition()
    {
        QCOMPARE(m_qp->conditionText(shared().edition), QString());
    }

    // --- what the conditions select -------------------------------------------

    void filtersSelectVolumes_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("selected");
        const QString all = QStringLiteral("A123,B456,C12,O'Brien 说明");
        QTest::newRow("empty panel") << "AS01" << "" << all.split(u',');
        QTest::newRow("substring") << "AS01" << "12" << QStringList{"A123", "C12"};
        QTest::newRow("quote") << "AS01" << "O'Br" << QStringList{"O'Brien 说明"};
        QTest::newRow("chinese") << "AS01" << "说明" << QStringList{"O'Brien 说明"};
        QTest::newRow("integer exact") << "AI02" << "3" << QStringList{"A123"};
        QTest::newRow("float exact") << "AF01" << "2.5" << QStringList{"A123"};
        QTest::newRow("code") << "AC01" << "2" << QStringList{"B456", "O'Brien 说明"};
        // The noon record of the end day lies after day number N.
        QTest::newRow("end only") << "AD01" << "|2024-01-01" << QStringList{"A123", "O'Brien 说明"};
        QTest::newRow("start only") << "AD01" << "2024-01-01|" << QStringList{"A123", "B456", "C12"};
        QTest::newRow("both") << "AD01" << "2023-12-31|2024-01-01" << QStringList{"A123", "O'Brien 说明"};
        QTest::newRow("start after end") << "AD01" << "2024-02-01|2024-01-01" << QStringList{};
    }

    void filtersSelectVolumes()
    {
        QFETCH(QString, code);
        QFETCH(QString, value);
        QFETCH(QStringList, selected);
        addVolumes();
        fill(code, value);
        QCOMPARE(select(), selected);
    }

    void badNumbersAreRefused_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("message");
        QTest::newRow("letters") << "AI01" << "abc" << "“页数”中的内容不是有效的整数！";
        QTest::newRow("fraction in integer") << "AI01" << "3.5" << "“页数”中的内容不是有效的整数！";
        QTest::newRow("blanks only") << "AI01" << "  " << "“页数”中的内容不是有效的整数！";
        QTest::newRow("sql in integer") << "AI01" << "1 or 1=1" << "“页数”中的内容不是有效的整数！";
        QTest::newRow("two points") << "AF02" << "1.2.3" << "“面积”中的内容不是有效的数值！";
        QTest::newRow("no caption") << "AF03" << "x" << "“AF03”中的内容不是有效的数值！";
    }

    void badNumbersAreRefused()
    {
        QFETCH(QString, code);
        QFETCH(QString, text);
        QFETCH(QString, message);
        shared().captions.insert(QStringLiteral("AI01"), QStringLiteral("页数"));
        shared().captions.insert(QStringLiteral("AF02"), QStringLiteral("面积"));
        addVolumes();
        fill(QStringLiteral("AS01"), QStringLiteral("1"));
        m_qp->editor(code)->setText(text); // pasted: the key filter never saw it

        ScopedScriptedMessageBoxes boxes;
        Dataset volumes;
        const bool ran = RunCommand([&] {
            volumes.open(QueryConditions::volumeStatement(kBaseSql, m_qp->conditionText(shared().edition), QString()));
        });
        QVERIFY(!ran);
        QVERIFY(!volumes.isOpen());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Warning);
        QCOMPARE(boxes.shown.at(0).text, message);
    }

    void badTypedDateIsRefused()
    {
        DbDateEdit *end = m_qp->endDate(QStringLiteral("AD02"));
        QTest::keyClicks(end, QStringLiteral("2024-13-45"));
        ScopedScriptedMessageBoxes boxes;
        QVERIFY_THROWS_EXCEPTION(SilentAbort, m_qp->conditionText(shared().edition));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).text, DbDateEdit::badDateMessage(QStringLiteral("2024-13-45")));
    }

    void typedDateCountsBeforeLeaving()
    {
        QTest::keyClicks(m_qp->startDate(QStringLiteral("AD03")), QStringLiteral("24-1-1"));
        QCOMPARE(m_qp->conditionText(QStringLiteral("0")), QStringLiteral(" and AD03 >= 45292"));
    }

    // --- statements ----------------------------------------------------------

    void statements()
    {
        QCOMPARE(QueryConditions::volumeStatement(kBaseSql, QStringLiteral(" and AI02=3"), QStringLiteral(" order by AS01")),
                 QStringLiteral("select *\nfrom N_A a where 1=1 and AI02=3 order by AS01"));
        QCOMPARE(QueryConditions::documentStatement(QStringLiteral("select * from N_B a where 1=1"), QStringLiteral("17"),
                                                    QStringLiteral(" order by BS01")),
                 QStringLiteral("select * from N_B a where 1=1 and a.AIID=17 order by BS01"));
        QCOMPARE(QueryConditions::documentStatement(QStringLiteral("select * from N_B a where 1=1"), QString(),
                                                    QStringLiteral(" order by BS01")),
                 QStringLiteral("select * from N_B a where 1=1 and 1<>1"));
    }

    void addedVolumesNewestFirst_data()
    {
        QTest::addColumn<int>("keptBefore"); // volumes added before the key taken; -1: empty key
        QTest::addColumn<QStringList>("shown");
        QTest::newRow("empty key") << -1 << QStringList{"C12", "O'Brien 说明", "B456", "A123"};
        QTest::newRow("after two") << 2 << QStringList{"C12", "O'Brien 说明"};
        QTest::newRow("after all") << 4 << QStringList{};
    }

    void addedVolumesNewestFirst()
    {
        QFETCH(int, keptBefore);
        QFETCH(QStringList, shown);
        addVolumes();
        QString key;
        if (keptBefore >= 0) {
            Dataset ids;
            ids.open(QStringLiteral("select AIID from N_A order by AIID"));
            ids.setPos(keptBefore - 1);
            key = ids.text(QStringLiteral("AIID"));
        }
        Dataset q;
        q.open(QueryConditions::addedVolumesStatement(kBaseSql, key));
        QStringList names;
        for (q.first(); !q.eof(); q.next())
            names << q.text(QStringLiteral("AS01"));
        QCOMPARE(names, shown);
    }

    // --- layout --------------------------------------------------------------

    void metricsTiers_data()
    {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<QList<int>>("metrics");
        const QList<int> small{65, 160, 77, 6, 230, 918, 92, 2};
        const QList<int> medium{68, 230, 110, 10, 310, 1230, 120, 4};
        const QList<int> large{85, 240, 115, 10, 340, 1350, 130, 4};
        QTest::newRow("1024") << 1024 << small;
        QTest::newRow("1359") << 1359 << small;
        QTest::newRow("1360") << 1360 << medium;
        QTest::newRow("1599") << 1599 << medium;
        QTest::newRow("1600") << 1600 << large;
        QTest::newRow("2560") << 2560 << large;
    }

    void metricsTiers()
    {
        QFETCH(int, screenWidth);
        QFETCH(QList<int>, metrics);
        const QueryPanel::Metrics m = QueryPanel::metricsFor(screenWidth);
        QCOMPARE((QList<int>{m.labelWidth, m.editorWidth, m.dateWidth, m.dashWidth, m.columnStep, m.buttonOffset,
                             m.buttonWidth, m.glyphSpacing}),
                 metrics);
    }

    void layoutPlacesControls_data()
    {
        QTest::addColumn<int>("screenWidth");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("row");  // 0 or 1
        QTest::addColumn<int>("drop"); // 3 for labels
        QTest::addColumn<int>("width");
        struct Case {
            const char *name;
            int x[3];
            int row, drop, width[3];
        };
        // S_QUERY below: 1 AS01, 2 AS02 (again at 7), 3 AD01, 4 AC01, 5 AF01, 6 AI02, 8 AS50.
        const Case cases[] = {
            {"lblAS01", {3, 3, 3}, 0, 3, {65, 68, 85}},
            {"dbedAS01", {68, 71, 88}, 0, 0, {160, 230, 240}},
            {"lblAD01", {463, 623, 683}, 0, 3, {65, 68, 85}},
            {"dbdtsAD01", {528, 691, 768}, 0, 0, {77, 110, 115}},
            {"lblAD013", {605, 801, 883}, 0, 3, {6, 10, 10}},
            {"dbdteAD01", {611, 811, 893}, 0, 0, {77, 110, 115}},
            {"dbcbAC01", {758, 1001, 1108}, 0, 0, {160, 230, 240}},
            {"lblAF01", {3, 3, 3}, 1, 3, {65, 68, 85}},
            {"dbedAF01", {68, 71, 88}, 1, 0, {160, 230, 240}},
            {"dbedAI02", {298, 381, 428}, 1, 0, {160, 230, 240}},
            {"dbedAS02", {528, 691, 768}, 1, 0, {160, 230, 240}},
            {"dbedAS50", {758, 1001, 1108}, 1, 0, {160, 230, 240}},
            {"btnClearQuery", {921, 1233, 1353}, 0, 0, {92, 120, 130}},
            {"btnDoQuery", {921, 1233, 1353}, 1, 0, {92, 120, 130}},
        };
        const int widths[3] = {1280, 1440, 1920};
        for (int t = 0; t < 3; ++t) {
            for (const Case &c : cases)
                QTest::addRow("%d %s", widths[t], c.name)
                    << widths[t] << QString::fromLatin1(c.name) << c.x[t] << c.row << c.drop << c.width[t];
        }
    }

    void layoutPlacesControls()
    {
        QFETCH(int, screenWidth);
        QFETCH(QString, name);
        QFETCH(int, x);
        QFETCH(int, row);
        QFETCH(int, drop);
        QFETCH(int, width);
        setQueryRows({{1, "AS01"}, {2, "AS02"}, {3, "AD01"}, {4, "AC01"}, {5, "AF01"}, {6, "AI02"}, {7, "AS02"}, {8, "AS50"},
                      {9, "AS03"}, {0, "AS04"}, {3, "XX99"}});
        const int height = m_qp->BuildQueryPanel(m_form->Qry(), QStringLiteral("N_A"), screenWidth, m_btnDo, m_btnClear);
        const int h = m_qp->editor(QStringLiteral("AS01"))->height() + 2;
        QCOMPARE(height, 2 * h + 6);

        QWidget *w = m_panel->findChild<QWidget *>(name);
        QVERIFY(w);
        QVERIFY(!w->isHidden());
        QCOMPARE(w->x(), x);
        QCOMPARE(w->y(), 4 + row * h + drop);
        QCOMPARE(w->width(), width);
        if (qobject_cast<QPushButton *>(w))
            QCOMPARE(w->height(), h - 2);
    }

    void layoutShowsOnlyListedFields()
    {
        setQueryRows({{1, "AS01"}, {2, "AS02"}, {3, "AD01"}, {4, "AC01"}, {5, "AF01"}, {6, "AI02"}, {7, "AS02"}, {8, "AS50"},
                      {9, "AS03"}, {0, "AS04"}});
        m_qp->BuildQueryPanel(m_form->Qry(), QStringLiteral("N_A"), 1280, m_btnDo, m_btnClear);
        QStringList shown;
        for (QWidget *w : m_qp->poolWidgets()) {
            if (!w->isHidden())
                shown << w->objectName();
        }
        shown.sort();
        QCOMPARE(shown, (QStringList{"dbcbAC01", "dbdteAD01", "dbdtsAD01", "dbedAF01", "dbedAI02", "dbedAS01", "dbedAS02",
                                     "dbedAS50", "lblAC01", "lblAD01", "lblAD013", "lblAF01", "lblAI02", "lblAS01",
                                     "lblAS02", "lblAS50"}));
        QCOMPARE(m_btnDo->text(), QStringLiteral("执行查询"));
        QCOMPARE(m_btnClear->text(), QStringLiteral("清除条件"));
        QCOMPARE(m_btnDo->property("glyphSpacing").toInt(), 2);
    }

    void layoutWithoutRowsKeepsButtons()
    {
        setQueryRows({{1, "AS01"}, {5, "AD02"}});
        QVERIFY(m_qp->BuildQueryPanel(m_form->Qry(), QStringLiteral("N_A"), 1920, m_btnDo, m_btnClear) > 0);
        const QRect doPlace = m_btnDo->geometry(), clearPlace = m_btnClear->geometry();

        setQueryRows({});
        QCOMPARE(m_qp->BuildQueryPanel(m_form->Qry(), QStringLiteral("N_A"), 1280, m_btnDo, m_btnClear), -1);
        for (QWidget *w : m_qp->poolWidgets())
            QVERIFY2(w->isHidden(), qPrintable(w->objectName()));
        QCOMPARE(m_btnDo->geometry(), doPlace);
        QCOMPARE(m_btnClear->geometry(), clearPlace);
    }

    // The combined query window puts the document pool two rows below the
    // volume pool, in the same panel, and leaves the buttons beside row 1.
    void documentHalfBelowVolumeHalf()
    {
        QueryPanel documents(QLatin1Char('B'), m_panel, m_form.get());
        setQueryRows({{1, "AS01"}});
        m_qp->BuildQueryPanel(m_form->Qry(), QStringLiteral("N_A"), 1280, m_btnDo, m_btnClear);
        const QRect doPlace = m_btnDo->geometry();
        PELU_SQL(QStringLiteral("delete from S_QUERY where STABLE='N_B'"));
        PELU_SQL(QStringLiteral("insert into S_QUERY(STABLE,INO,SFIELD) values('N_B',6,'BC10')"));
        const int h = documents.rowHeight();
        const int top = 2 * m_qp->editor(QStringLiteral("AS01"))->height() + 8;
        QCOMPARE(documents.BuildQueryPanel(m_form->Qry(), QStringLiteral("N_B"), 1280, nullptr, nullptr, top),
                 2 * h + top + 2);
        QCOMPARE(documents.combo(QStringLiteral("BC10"))->geometry().topLeft(), QPoint(298, top + h));
        QVERIFY(!m_qp->editor(QStringLiteral("AS01"))->isHidden()); // the other pool keeps its layout
        QCOMPARE(m_btnDo->geometry(), doPlace);
        QVERIFY(m_panel->findChild<QWidget *>(QStringLiteral("dbcbBC10"), Qt::FindDirectChildrenOnly));
    }

    void hiddenValuesStillFilterUntilCleared()
    {
        addVolumes();
        setQueryRows({{1, "AS01"}, {2, "AC01"}, {3, "AD01"}});
        m_qp->BuildQueryPanel(m_form->Qry(), QStringLiteral("N_A"), 1280, m_btnDo, m_btnClear);
        fill(QStringLiteral("AS01"), QStringLiteral("12"));
        fill(QStringLiteral("AC01"), QStringLiteral("1"));
        fill(QStringLiteral("AD01"), QStringLiteral("|2024-01-01"));
        setQueryRows({{1, "AS02"}});
        m_qp->BuildQueryPanel(m_form->Qry(), QStringLiteral("N_A"), 1280, m_btnDo, m_btnClear);
        QVERIFY(m_qp->editor(QStringLiteral("AS01"))->isHidden());
        QVERIFY(m_qp->combo(QStringLiteral("AC01"))->isHidden());
        QCOMPARE(select(), QStringList{"A123"});
        QVERIFY(m_qp->conditionText(shared().edition).contains(QLatin1String("AD01 <= ")));

        m_qp->clear();
        QCOMPARE(m_qp->conditionText(shared().edition), QString());
        QCOMPARE(select().size(), 4);
    }

    // --- code combos ---------------------------------------------------------

    void codeCombosInListOrder()
    {
        PELU_SQL(QStringLiteral("delete from N_AC05"));
        PELU_SQL(QStringLiteral("insert into N_AC05(AC05NAME,AC05ORDER) values('丙',3)"));
        PELU_SQL(QStringLiteral("insert into N_AC05(AC05NAME,AC05ORDER) values('甲',1)"));
        PELU_SQL(QStringLiteral("insert into N_AC05(AC05NAME,AC05ORDER) values('乙',2)"));
        m_qp->LoadCodeLists(m_form->Qry());
        DbMapListCombo *cb = m_qp->combo(QStringLiteral("AC05"));
        QStringList names;
        for (int i = 0; i < cb->count(); ++i)
            names << cb->itemText(i);
        QCOMPARE(names, (QStringList{"甲", "乙", "丙"}));

        Dataset q;
        q.open(QStringLiteral("select AC05 from N_AC05 where AC05NAME='乙'"));
        const QString code = q.text(QStringLiteral("AC05"));
        cb->setCurrentIndex(1);
        QCOMPARE(cb->currentCode(), code);
        QCOMPARE(m_qp->conditionText(shared().edition), QStringLiteral(" and AC05=") + code);

        // A refill keeps the choice.
        m_qp->LoadCodeLists(m_form->Qry());
        QCOMPARE(cb->currentText(), QStringLiteral("乙"));
    }

    void failingCodeListLeavesOthersFilled()
    {
        PELU_SQL(QStringLiteral("drop table N_AC03"));
        ScopedScriptedMessageBoxes boxes;
        m_qp->LoadCodeLists(m_form->Qry());
        QCOMPARE(boxes.shown.size(), 1);
        QVERIFY(boxes.shown.at(0).text.contains(QLatin1String("N_AC03")));
        QCOMPARE(m_qp->combo(QStringLiteral("AC03"))->count(), 0);
        QCOMPARE(m_qp->combo(QStringLiteral("AC01"))->count(), 5); // the seeded secrecy levels
        QCOMPARE(m_qp->combo(QStringLiteral("AC02"))->count(), 10);
    }
};

QTEST_MAIN(TestQueryPanel)
#include "tst_querypanel.moc"

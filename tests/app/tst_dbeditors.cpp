#include "TestStore.h"

#include "app/DataLink.h"
#include "app/DbDateEdit.h"
#include "app/DbEdit.h"
#include "app/DbEditors.h"
#include "app/DbMapListCombo.h"
#include "app/DbMemo.h"
#include "app/MessageBoxes.h"
#include "app/base_dbform.h"
#include "data/Connection.h"
#include "data/Dataset.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QVBoxLayout>

namespace {

const QStringList kCodes = {QStringLiteral("机械\t1"), QStringLiteral("电气\t2"), QStringLiteral("土建\t3")};

// A record window in small: one editor of each kind bound to N_A, and a
// button that takes the focus.
class EditWindow : public Tfrm_base_dbform {
public:
    DbEdit *as01 = new DbEdit(this);
    DbEdit *ai01 = new DbEdit(this);
    DbEdit *af01 = new DbEdit(this);
    DbMemo *as50 = new DbMemo(this);
    DbMapListCombo *ac01 = new DbMapListCombo(this);
    DbDateEdit *ad01 = new DbDateEdit(this);
    QPushButton *save = new QPushButton(QStringLiteral("保存"), this);

    explicit EditWindow(Dataset *ds)
    {
        auto *layout = new QVBoxLayout(this);
        for (QWidget *w : std::initializer_list<QWidget *>{as01, ai01, af01, as50, ac01, ad01, save})
            layout->addWidget(w);
        ac01->addListItems(kCodes);
        as01->setDataSource(ds, QStringLiteral("AS01"));
        ai01->setDataSource(ds, QStringLiteral("AI01"));
        af01->setDataSource(ds, QStringLiteral("AF01"));
        as50->setDataSource(ds, QStringLiteral("AS50"));
        ac01->setDataSource(ds, QStringLiteral("AC01"));
        ad01->setDataSource(ds, QStringLiteral("AD01"));
        for (QWidget *w : std::initializer_list<QWidget *>{as01, ai01, af01, ac01, ad01})
            installKeyP(w);
        resize(360, 320);
    }
};

// Typed key by key; characters without a key of their own (Chinese) come
// as text, the way an input method delivers them.
void typeText(QWidget *editor, const QString &text)
{
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(editor, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

// Replaces the editor's text as a user does: select all, then type.
void typeInto(QWidget *editor, const QString &text)
{
    QTest::keyClick(editor, Qt::Key_A, Qt::ControlModifier);
    if (text.isEmpty())
        QTest::keyClick(editor, Qt::Key_Delete);
    else
        typeText(editor, text);
}

} // namespace

class TestDbEditors : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;
    int m_first = -1;  // AIID of the full row
    int m_second = -1; // AIID of the row with empty values

    bool pg() const { return m_store->kind() == TestStore::Postgres; }
    double dn(const QDate &date) const { return QDate(1899, 12, 30).daysTo(date) - (pg() ? 2 : 0); }

    static QVariant stored(int aiid, const QString &field)
    {
        QSqlQuery q(Connection::database());
        if (!q.exec(QStringLiteral("select %1 from N_A where AIID=%2").arg(field).arg(aiid)) || !q.next())
            return QStringLiteral("<failed: %1>").arg(q.lastError().text());
        return q.value(0);
    }

    static void openRows(Dataset &ds)
    {
        ds.open(QStringLiteral("select * from N_A order by AIID"));
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }

    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        PELU_SQL(QStringLiteral("insert into N_A(AS01,AI01,AF01,AS50,AC01,AD01) values('甲',1,1.5,'第一行',1,%1)")
                     .arg(dn(QDate(2024, 1, 1))));
        PELU_SQL(QStringLiteral("insert into N_A(AS01,AI01) values('乙',2)"));
        m_first = sqlValue(QStringLiteral("select min(AIID) from N_A"));
        m_second = sqlValue(QStringLiteral("select max(AIID) from N_A"));
    }

    void cleanup() { m_store.reset(); }

    // --- showing and following ----------------------------------------------------

    void showsCurrentRowAndFollows()
    {
        Dataset ds;
        EditWindow w(&ds);
        // Closed: empty and nothing to type into.
        QCOMPARE(w.as01->text(), QString());
        QVERIFY(w.as01->isReadOnly());
        QVERIFY(w.ac01->isReadOnly());
        QVERIFY(w.ad01->isReadOnly());
        QVERIFY(w.as50->isReadOnly());

        openRows(ds);
        QCOMPARE(w.as01->text(), QStringLiteral("甲"));
        QCOMPARE(w.ai01->text(), QStringLiteral("1"));
        QCOMPARE(w.af01->text(), QStringLiteral("1.5"));
        QCOMPARE(w.as50->text(), QStringLiteral("第一行"));
        QCOMPARE(w.ac01->currentText(), QStringLiteral("机械"));
        QCOMPARE(w.ad01->date(), QDate(2024, 1, 1));
        QCOMPARE(w.ad01->text(), QStringLiteral("2024-01-01"));
        QVERIFY(!w.as01->isReadOnly());
        QVERIFY(!w.ad01->isReadOnly());
        QVERIFY(!w.ac01->isReadOnly());

        ds.next();
        QCOMPARE(w.as01->text(), QStringLiteral("乙"));
        QCOMPARE(w.af01->text(), QString());
        QCOMPARE(w.as50->text(), QString());
        QCOMPARE(w.ac01->currentIndex(), -1);
        QVERIFY(w.ad01->date().isNull());
        QCOMPARE(w.ad01->text(), QString());

        // Held notifications: the editors follow only when controls return.
        ds.disableControls();
        ds.first();
        QCOMPARE(w.as01->text(), QStringLiteral("乙"));
        ds.enableControls();
        QCOMPARE(w.as01->text(), QStringLiteral("甲"));

        // Another field set by code shows at once.
        ds.edit();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("丙"));
        QCOMPARE(w.as01->text(), QStringLiteral("丙"));
        ds.cancel();
        QCOMPARE(w.as01->text(), QStringLiteral("甲"));

        ds.close();
        QCOMPARE(w.as01->text(), QString());
        QCOMPARE(w.ac01->currentIndex(), -1);
        QVERIFY(w.ad01->date().isNull());
        QVERIFY(w.as01->isReadOnly());
    }

    void fieldWithoutItemOrDataset()
    {
        PELU_SQL(QStringLiteral("update N_A set AC01=9 where AIID=%1").arg(m_first));
        auto ds = std::make_unique<Dataset>();
        openRows(*ds);
        DbMapListCombo combo;
        combo.addListItems(kCodes);
        combo.setDataSource(ds.get(), QStringLiteral("AC01"));
        QCOMPARE(combo.currentIndex(), -1);
        QCOMPARE(combo.currentText(), QString());
        DbMapListCombo editable;
        editable.setEditable(true);
        editable.addListItems(kCodes);
        editable.setDataSource(ds.get(), QStringLiteral("AC01"));
        QCOMPARE(editable.currentText(), QStringLiteral("9"));
        // Showing the code never wrote anything.
        QCOMPARE(ds->state(), Dataset::State::Browse);

        DbEdit missing;
        missing.setDataSource(ds.get(), QStringLiteral("NOFIELD"));
        QCOMPARE(missing.text(), QString());
        QVERIFY(missing.isReadOnly());

        DbEdit edit;
        edit.setDataSource(ds.get(), QStringLiteral("AS01"));
        ds.reset();
        QCOMPARE(edit.text(), QString());
        QVERIFY(edit.isReadOnly());
        typeText(&edit, QStringLiteral("x"));
        QVERIFY(edit.commit());
    }

    void comboProperties()
    {
        DbMapListCombo combo;
        QVERIFY(combo.mapList());
        QCOMPARE(combo.maxVisibleItems(), 8);
        combo.addListItems({QStringLiteral("乙\t2"), QStringLiteral("甲\t1")});
        QCOMPARE(combo.itemText(0), QStringLiteral("乙")); // as added, not sorted
        combo.setCurrentCode(QStringLiteral("1"));
        QTest::keyClick(&combo, Qt::Key_Delete);
        QCOMPARE(combo.currentCode(), QStringLiteral("1"));
    }

    void textWidthFromSchema()
    {
        Dataset ds;
        openRows(ds);
        DbEdit edit;
        edit.setDataSource(&ds, QStringLiteral("AS01"));
        QCOMPARE(edit.maxLength(), 50);
        DbMemo memo;
        memo.setDataSource(&ds, QStringLiteral("AS50"));
        QCOMPARE(memo.maxLength(), 250);
        memo.setPlainText(QString(260, QLatin1Char('x')));
        QCOMPARE(memo.text().size(), 250);
    }

    // --- writing --------------------------------------------------------------------

    void typingThenPostingWrites_data()
    {
        QTest::addColumn<QString>("editor");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");    // the editor after committing
        QTest::addColumn<QVariant>("expected"); // stored; a QDate compares day numbers

        QTest::newRow("text") << "AS01" << "新值 Ab" << "新值 Ab" << QVariant(QStringLiteral("新值 Ab"));
        QTest::newRow("text emptied") << "AS01" << "" << "" << QVariant();
        QTest::newRow("integer") << "AI01" << "007" << "7" << QVariant(7);
        QTest::newRow("negative") << "AI01" << "-3" << "-3" << QVariant(-3);
        QTest::newRow("float") << "AF01" << "2.25" << "2.25" << QVariant(2.25);
        QTest::newRow("float emptied") << "AF01" << "" << "" << QVariant();
        QTest::newRow("memo") << "AS50" << "多行文字" << "多行文字" << QVariant(QStringLiteral("多行文字"));
        QTest::newRow("date") << "AD01" << "2024-3-5" << "2024-03-05" << QVariant(QDate(2024, 3, 5));
        QTest::newRow("date two-digit year") << "AD01" << "49-12-31" << "2049-12-31" << QVariant(QDate(2049, 12, 31));
        QTest::newRow("date packed") << "AD01" << "19991231" << "1999-12-31" << QVariant(QDate(1999, 12, 31));
        QTest::newRow("date emptied") << "AD01" << "" << "" << QVariant();
        QTest::newRow("combo") << "AC01" << "End" << "土建" << QVariant(3);
    }

    void typingThenPostingWrites()
    {
        QFETCH(QString, editor);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QVariant, expected);
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        EditWindow w(&ds);
        openRows(ds);
        const QString field = editor;
        QWidget *target = nullptr;
        if (field == QLatin1String("AS01"))
            target = w.as01;
        else if (field == QLatin1String("AI01"))
            target = w.ai01;
        else if (field == QLatin1String("AF01"))
            target = w.af01;
        else if (field == QLatin1String("AS50"))
            target = w.as50;
        else if (field == QLatin1String("AD01"))
            target = w.ad01;
        else
            target = w.ac01;

        if (target == w.ac01)
            QTest::keyClick(target, Qt::Key_End); // a pick is written at once
        else
            typeInto(target, typed);
        QCOMPARE(ds.state(), Dataset::State::Edit); // auto edit
        // The save of a window whose button took no focus still sees the text.
        QVERIFY(CommitEditors(&w));
        QVERIFY2(boxes.shown.isEmpty(), qPrintable(boxes.shown.value(0).text));
        ds.post();

        QString now;
        if (auto *e = qobject_cast<DbEdit *>(target))
            now = e->text();
        else if (auto *m = qobject_cast<DbMemo *>(target))
            now = m->text();
        else if (auto *d = qobject_cast<DbDateEdit *>(target))
            now = d->text();
        else
            now = w.ac01->currentText();
        QCOMPARE(now, shown);

        const QVariant value = stored(m_first, field);
        if (!expected.isValid()) {
            QVERIFY2(value.isNull(), qPrintable(value.toString()));
        } else if (expected.typeId() == QMetaType::QDate) {
            QCOMPARE(value.toDouble(), dn(expected.toDate()));
        } else if (expected.typeId() == QMetaType::Double) {
            QCOMPARE(value.toDouble(), expected.toDouble());
        } else {
            QCOMPARE(value.toString(), expected.toString());
        }
        // The other fields of the row are untouched.
        if (field != QLatin1String("AS01"))
            QCOMPARE(stored(m_first, QStringLiteral("AS01")).toString(), QStringLiteral("甲"));
    }

    void autoEdit()
    {
        Dataset ds;
        openRows(ds);
        DbEdit edit;
        edit.setDataSource(&ds, QStringLiteral("AS01"));
        DbDateEdit date;
        date.setDataSource(&ds, QStringLiteral("AD01"));
        typeText(&edit, QStringLiteral("x"));
        QCOMPARE(ds.state(), Dataset::State::Edit);
        ds.cancel();
        // Cancel drops what was typed.
        QCOMPARE(edit.text(), QStringLiteral("甲"));
        QVERIFY(!edit.dataLink()->isModified());

        edit.dataLink()->setAutoEdit(false);
        date.dataLink()->setAutoEdit(false);
        QVERIFY(edit.isReadOnly());
        QVERIFY(date.isReadOnly());
        typeText(&edit, QStringLiteral("y"));
        QCOMPARE(edit.text(), QStringLiteral("甲"));
        QCOMPARE(ds.state(), Dataset::State::Browse);
        date.showPopup();
        QVERIFY(!date.isPopupVisible());

        ds.edit();
        QVERIFY(!edit.isReadOnly());
        QVERIFY(!date.isReadOnly());
        QTest::keyClick(&edit, Qt::Key_End);
        typeText(&edit, QStringLiteral("y"));
        QVERIFY(edit.commit());
        ds.post();
        QVERIFY(edit.isReadOnly());
        QCOMPARE(stored(m_first, QStringLiteral("AS01")).toString(), QStringLiteral("甲y"));

        // Read-only by the window's wish, whatever the dataset does.
        edit.dataLink()->setAutoEdit(true);
        edit.setReadOnly(true);
        QVERIFY(edit.isReadOnly());
        ds.edit();
        QVERIFY(edit.isReadOnly());
        ds.cancel();

        // The store's own number is never typed over.
        DbEdit key;
        key.setDataSource(&ds, QStringLiteral("AIID"));
        QVERIFY(key.isReadOnly());
    }

    void emptyDatasetAppendsOnTyping()
    {
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A where 1<>1"));
        DbEdit edit;
        edit.setDataSource(&ds, QStringLiteral("AS01"));
        DbEdit other;
        other.setDataSource(&ds, QStringLiteral("AS02"));
        typeText(&edit, QStringLiteral("新"));
        QCOMPARE(ds.state(), Dataset::State::Insert);
        QCOMPARE(edit.text(), QStringLiteral("新")); // the first key is kept
        QVERIFY(CommitEditors(&ds));
        ds.post();
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AS01='新'")), 1);
    }

    void userTextSurvivesOtherFieldChanges()
    {
        Dataset ds;
        openRows(ds);
        DbEdit edit;
        edit.setDataSource(&ds, QStringLiteral("AS01"));
        DbEdit other;
        other.setDataSource(&ds, QStringLiteral("AS02"));
        typeInto(&edit, QStringLiteral("未提交"));
        ds.setValue(QStringLiteral("AS02"), QStringLiteral("代码设置"));
        QCOMPARE(other.text(), QStringLiteral("代码设置"));
        QCOMPARE(edit.text(), QStringLiteral("未提交"));
        QVERIFY(CommitEditors(&ds));
        ds.post();
        QCOMPARE(stored(m_first, QStringLiteral("AS01")).toString(), QStringLiteral("未提交"));
        QCOMPARE(stored(m_first, QStringLiteral("AS02")).toString(), QStringLiteral("代码设置"));
    }

    // --- refused input ----------------------------------------------------------------

    void numberFieldRefusesText_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept"); // what the editor holds after typing
        QTest::newRow("integer with sign inside") << "AI01" << "1-2" << "1-2";
        QTest::newRow("integer with letters") << "AI01" << "1a-b" << "1-";
        QTest::newRow("float two points") << "AF01" << "1.2.3" << "1.2.3";
        QTest::newRow("float lone sign") << "AF01" << "-" << "-";
    }

    void numberFieldRefusesText()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        EditWindow w(&ds);
        openRows(ds);
        DbEdit *edit = field == QLatin1String("AI01") ? w.ai01 : w.af01;
        const QString before = stored(m_first, field).toString();
        typeInto(edit, typed);
        QCOMPARE(edit->text(), kept);
        QVERIFY(!CommitEditors(&ds));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).icon, MsgIcon::Warning);
        QVERIFY2(boxes.shown.at(0).text.contains(kept), qPrintable(boxes.shown.at(0).text));
        QCOMPARE(edit->text(), kept);
        QVERIFY(edit->dataLink()->isModified());
        QVERIFY(!ds.isModified());
        ds.post();
        QCOMPARE(stored(m_first, field).toString(), before);
    }

    void leavingWithRefusedTextKeepsFocus()
    {
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        EditWindow w(&ds);
        openRows(ds);
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));

        // A good value is written on leaving.
        w.as01->setFocus();
        typeInto(w.as01, QStringLiteral("离开"));
        QTest::keyClick(w.as01, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.ai01);
        QCOMPARE(ds.value(QStringLiteral("AS01")).toString(), QStringLiteral("离开"));

        // A refused one keeps the focus and is reported once, also when a
        // save command commits again before the report is shown.
        typeInto(w.ai01, QStringLiteral("1-2"));
        QTest::mouseClick(w.save, Qt::LeftButton);
        QCOMPARE(QApplication::focusWidget(), w.ai01);
        QVERIFY(!CommitEditors(&w));
        QCoreApplication::processEvents();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(w.ai01->text(), QStringLiteral("1-2"));

        boxes.clear();
        QTest::keyClick(w.ai01, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), w.ai01);
        QCoreApplication::processEvents();
        QCOMPARE(boxes.shown.size(), 1);

        // Corrected, Enter (the window's next-field key) moves on and writes.
        boxes.clear();
        typeInto(w.ai01, QStringLiteral("12"));
        QTest::keyClick(w.ai01, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.af01);
        QCOMPARE(ds.value(QStringLiteral("AI01")), QVariant(12));

        // The date picker behaves the same through its own text field.
        w.ad01->setFocus();
        typeInto(w.ad01, QStringLiteral("2024-2-30"));
        QTest::keyClick(w.ad01, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.ad01);
        QCoreApplication::processEvents();
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.at(0).text, DbDateEdit::badDateMessage(QStringLiteral("2024-2-30")));
        QCOMPARE(w.ad01->text(), QStringLiteral("2024-2-30"));
        typeInto(w.ad01, QStringLiteral("24-2-29"));
        QTest::keyClick(w.ad01, Qt::Key_Return);
        QCOMPARE(QApplication::focusWidget(), w.save);
        QCOMPARE(ds.value(QStringLiteral("AD01")), QVariant(QDate(2024, 2, 29)));
        QCOMPARE(w.ad01->text(), QStringLiteral("2024-02-29"));

        ds.post();
        QCOMPARE(stored(m_first, QStringLiteral("AI01")).toInt(), 12);
        QCOMPARE(stored(m_first, QStringLiteral("AS01")).toString(), QStringLiteral("离开"));
        QCOMPARE(boxes.shown.size(), 1);
    }

    // --- dates ------------------------------------------------------------------------

    void parseDate_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QDate>("date");
        QTest::newRow("iso") << "2024-03-05" << true << QDate(2024, 3, 5);
        QTest::newRow("short parts") << "2024-3-5" << true << QDate(2024, 3, 5);
        QTest::newRow("packed") << "20240305" << true << QDate(2024, 3, 5);
        QTest::newRow("blanks around") << " 2024-3-5 " << true << QDate(2024, 3, 5);
        QTest::newRow("two-digit 24") << "24-3-5" << true << QDate(2024, 3, 5);
        QTest::newRow("two-digit 50") << "50-1-1" << true << QDate(1950, 1, 1);
        QTest::newRow("two-digit 49") << "49-12-31" << true << QDate(2049, 12, 31);
        QTest::newRow("two-digit 99") << "99-12-31" << true << QDate(1999, 12, 31);
        QTest::newRow("two-digit 00") << "00-1-1" << true << QDate(2000, 1, 1);
        QTest::newRow("one-digit year") << "5-6-7" << true << QDate(2005, 6, 7);
        QTest::newRow("two-digit leap") << "24-02-29" << true << QDate(2024, 2, 29);
        QTest::newRow("empty") << "" << true << QDate();
        QTest::newRow("blanks") << "   " << true << QDate();
        QTest::newRow("impossible day") << "2024-2-30" << false << QDate();
        QTest::newRow("impossible packed") << "20240230" << false << QDate();
        QTest::newRow("month 13") << "24-13-1" << false << QDate();
        QTest::newRow("year 0") << "0000-01-01" << false << QDate();
        QTest::newRow("three-digit year") << "124-1-1" << false << QDate();
        QTest::newRow("slashes") << "2024/3/5" << false << QDate();
        QTest::newRow("six digits") << "240305" << false << QDate();
        QTest::newRow("month only") << "2024-3" << false << QDate();
        QTest::newRow("words") << "明天" << false << QDate();
        QTest::newRow("full-width digits") << "２０２４-3-5" << false << QDate();
    }

    void parseDate()
    {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(QDate, date);
        bool parsed = !ok;
        QCOMPARE(DbDateEdit::parseDate(text, &parsed), date);
        QCOMPARE(parsed, ok);

        // The same through an unbound picker, as the query panel uses it.
        ScopedScriptedMessageBoxes boxes;
        DbDateEdit edit;
        edit.setDate(QDate(2000, 1, 2));
        typeInto(&edit, text);
        QCOMPARE(edit.commit(), ok);
        if (ok) {
            QVERIFY(boxes.shown.isEmpty());
            QCOMPARE(edit.date(), date);
            QCOMPARE(edit.text(), date.isValid() ? date.toString(QStringLiteral("yyyy-MM-dd")) : QString());
        } else {
            QCOMPARE(boxes.shown.size(), 1);
            QCOMPARE(boxes.shown.at(0).text, DbDateEdit::badDateMessage(text));
            QCOMPARE(edit.text(), text.left(10)); // kept as typed (at most ten characters)
            QVERIFY(edit.date().isNull());
            QVERIFY(!edit.isTextValid());
        }
    }

    void emptyDateRoundTrip()
    {
        Dataset ds;
        openRows(ds);
        DbDateEdit date;
        date.setDataSource(&ds, QStringLiteral("AD01"));
        ds.next();
        // A null date is an empty picker, never day zero.
        QCOMPARE(date.text(), QString());
        QVERIFY(date.date().isNull());

        typeInto(&date, QStringLiteral("2023-12-31"));
        QVERIFY(date.commit());
        ds.post();
        QCOMPARE(stored(m_second, QStringLiteral("AD01")).toDouble(), dn(QDate(2023, 12, 31)));

        // Deleting all the text empties it again, and the store gets null.
        QTest::keyClick(&date, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&date, Qt::Key_Backspace);
        QVERIFY(CommitEditors(&ds));
        QVERIFY(ds.isNull(QStringLiteral("AD01")));
        ds.post();
        QVERIFY(stored(m_second, QStringLiteral("AD01")).isNull());
        ds.close();
        openRows(ds);
        ds.last();
        QCOMPARE(date.text(), QString());

        // setDate from code: null empties, nothing is written.
        DbDateEdit loose;
        loose.setDate(QDate(2024, 5, 6));
        QCOMPARE(loose.text(), QStringLiteral("2024-05-06"));
        loose.setDate(QDate());
        QCOMPARE(loose.text(), QString());
        QVERIFY(loose.date().isNull());
    }

    void calendarPopup()
    {
        Dataset ds;
        openRows(ds);
        QWidget w;
        auto *date = new DbDateEdit(&w);
        date->setDataSource(&ds, QStringLiteral("AD01"));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QSignalSpy edited(date, &DbDateEdit::userEdited);
        QTest::keyClick(date, Qt::Key_F4);
        QVERIFY(date->isPopupVisible());
        QCOMPARE(date->calendar()->selectedDate(), QDate(2024, 1, 1));
        emit date->calendar()->clicked(QDate(2024, 1, 20));
        QVERIFY(!date->isPopupVisible());
        QCOMPARE(edited.size(), 1);
        QCOMPARE(ds.state(), Dataset::State::Edit);
        QCOMPARE(ds.value(QStringLiteral("AD01")), QVariant(QDate(2024, 1, 20)));
        QCOMPARE(date->text(), QStringLiteral("2024-01-20"));

        // Picking the date already shown changes nothing.
        date->showPopup();
        emit date->calendar()->clicked(QDate(2024, 1, 20));
        QCOMPARE(edited.size(), 1);
        ds.post();
        QCOMPARE(stored(m_first, QStringLiteral("AD01")).toDouble(), dn(QDate(2024, 1, 20)));

        // An empty picker opens on today.
        ds.next();
        date->showPopup();
        QCOMPARE(date->calendar()->selectedDate(), QDate::currentDate());
        date->hidePopup();
    }

    // --- signals ------------------------------------------------------------------------

    void signalCounts_data()
    {
        QTest::addColumn<bool>("bound");
        QTest::newRow("bound") << true;
        QTest::newRow("unbound") << false;
    }

    void signalCounts()
    {
        QFETCH(bool, bound);
        Dataset ds;
        openRows(ds);
        DbEdit edit;
        DbMemo memo;
        DbMapListCombo combo;
        combo.addListItems(kCodes);
        DbDateEdit date;
        QList<QSignalSpy *> spies;
        auto spy = [&](auto *editor) {
            spies << new QSignalSpy(editor, &std::remove_pointer_t<decltype(editor)>::userEdited)
                  << new QSignalSpy(editor, &std::remove_pointer_t<decltype(editor)>::committed);
        };
        spy(&edit);
        spy(&memo);
        spy(&combo);
        spy(&date);
        auto counts = [&] {
            QList<int> n;
            for (QSignalSpy *s : spies)
                n << int(s->size());
            return n;
        };
        const QList<int> none(8, 0);

        // Values from the dataset or from code emit nothing.
        if (bound) {
            edit.setDataSource(&ds, QStringLiteral("AS01"));
            memo.setDataSource(&ds, QStringLiteral("AS50"));
            combo.setDataSource(&ds, QStringLiteral("AC01"));
            date.setDataSource(&ds, QStringLiteral("AD01"));
            ds.next();
            ds.first();
            ds.edit();
            ds.setValue(QStringLiteral("AS01"), QStringLiteral("代码"));
            ds.cancel();
        } else {
            edit.setText(QStringLiteral("代码"));
            memo.setText(QStringLiteral("代码"));
            combo.setCurrentCode(QStringLiteral("2"));
            date.setDate(QDate(2024, 1, 1));
        }
        QCOMPARE(counts(), none);

        // A user edit emits once however many keys it takes.
        typeText(&edit, QStringLiteral("abc"));
        typeText(&memo, QStringLiteral("abc"));
        QTest::keyClick(&date, Qt::Key_End);
        QTest::keyClick(&date, Qt::Key_Backspace);
        typeText(&date, QStringLiteral("2"));
        QTest::keyClick(&combo, Qt::Key_End);
        QCOMPARE(counts(), (QList<int>{1, 0, 1, 0, 1, 1, 1, 0}));
        QVERIFY(edit.commit());
        QVERIFY(memo.commit());
        QVERIFY(date.commit());
        QVERIFY(combo.commit()); // already written
        QCOMPARE(counts(), (QList<int>{1, 1, 1, 1, 1, 1, 1, 1}));
        // The next edit is another one.
        typeText(&edit, QStringLiteral("d"));
        QTest::keyClick(&combo, Qt::Key_Home);
        QCOMPARE(counts(), (QList<int>{2, 1, 1, 1, 2, 2, 1, 1}));
        // Committing an untouched editor writes nothing.
        QVERIFY(date.commit());
        QCOMPARE(counts().at(7), 1);
        qDeleteAll(spies);
    }

    // --- clearing -------------------------------------------------------------------------

    void clearEditorUnbound()
    {
        QWidget panel;
        auto *plain = new QLineEdit(QStringLiteral("图纸"), &panel);
        auto *combo = new QComboBox(&panel);
        combo->addItems({QStringLiteral("甲"), QStringLiteral("乙")});
        combo->setCurrentIndex(1);
        auto *map = new MapListCombo(&panel);
        map->setMapList(true);
        map->addListItems(kCodes);
        map->setCurrentCode(QStringLiteral("2"));
        auto *edit = new DbEdit(&panel);
        edit->setText(QStringLiteral("12"));
        auto *dbcombo = new DbMapListCombo(&panel);
        dbcombo->addListItems(kCodes);
        dbcombo->setCurrentCode(QStringLiteral("3"));
        auto *date = new DbDateEdit(&panel);
        date->setDate(QDate(2024, 1, 1));
        auto *memo = new DbMemo(&panel);
        memo->setText(QStringLiteral("备注"));
        auto *disabled = new DbEdit(&panel);
        disabled->setText(QStringLiteral("不动"));
        disabled->setEnabled(false);
        auto *button = new QPushButton(QStringLiteral("执行查询"), &panel);
        QSignalSpy editSpy(edit, &DbEdit::userEdited);
        QSignalSpy dateSpy(date, &DbDateEdit::userEdited);
        QSignalSpy comboSpy(dbcombo, &DbMapListCombo::userEdited);

        QVERIFY(!ClearEditor(memo));
        QVERIFY(!ClearEditor(button));
        QVERIFY(!ClearEditor(nullptr));
        QCOMPARE(memo->text(), QStringLiteral("备注"));

        ClearQueryEditors(&panel);
        QCOMPARE(plain->text(), QString());
        QCOMPARE(combo->currentIndex(), -1);
        QCOMPARE(map->currentIndex(), -1);
        QCOMPARE(map->currentCode(), QString());
        QCOMPARE(edit->text(), QString());
        QCOMPARE(dbcombo->currentIndex(), -1);
        QCOMPARE(dbcombo->currentCode(), QString());
        QCOMPARE(date->text(), QString());
        QVERIFY(date->date().isNull());
        QCOMPARE(memo->text(), QStringLiteral("备注"));
        QCOMPARE(disabled->text(), QStringLiteral("不动"));
        QCOMPARE(button->text(), QStringLiteral("执行查询"));
        QCOMPARE(editSpy.size() + dateSpy.size() + comboSpy.size(), 0);

        // Typed but not committed text goes as well.
        typeText(date, QStringLiteral("2024"));
        QVERIFY(ClearEditor(date));
        QVERIFY(!date->dataLink()->isModified());
        QVERIFY(date->commit());
        QCOMPARE(date->text(), QString());
    }

    void clearEditorBound()
    {
        Dataset ds;
        EditWindow w(&ds);
        openRows(ds);
        for (QWidget *e : std::initializer_list<QWidget *>{w.as01, w.ai01, w.ac01, w.ad01})
            QVERIFY(ClearEditor(e));
        QCOMPARE(ds.state(), Dataset::State::Edit);
        for (const char *f : {"AS01", "AI01", "AC01", "AD01"})
            QVERIFY2(ds.isNull(QLatin1String(f)), f);
        QCOMPARE(w.ac01->currentIndex(), -1);
        QCOMPARE(w.ad01->text(), QString());
        ds.post();
        QVERIFY(stored(m_first, QStringLiteral("AD01")).isNull());
        QVERIFY(stored(m_first, QStringLiteral("AC01")).isNull());

        // A read-only editor keeps its field.
        ds.next();
        w.as01->setReadOnly(true);
        QVERIFY(ClearEditor(w.as01));
        QCOMPARE(w.as01->text(), QStringLiteral("乙"));
        QCOMPARE(ds.state(), Dataset::State::Browse);
    }
};

QTEST_MAIN(TestDbEditors)
#include "tst_dbeditors.moc"

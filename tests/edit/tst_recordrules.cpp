#include "edit/RecordLayout.h"
#include "edit/RecordRules.h"

#include <QTest>

namespace {

QList<RecordLayout::Field> fields(const QStringList &codes, const QString &required = QString())
{
    QList<RecordLayout::Field> out;
    for (const QString &code : codes) {
        RecordLayout::Field f;
        f.code = code;
        f.type = code.mid(1, 1);
        f.easy = true;
        f.notNull = code == required;
        out << f;
    }
    return out;
}

// "code:slot:row:L|R" for every placed field.
QStringList walk(const RecordLayout::Result &r)
{
    QStringList out;
    for (const RecordLayout::Placed &p : r.fields)
        out << QStringLiteral("%1:%2:%3:%4").arg(p.code).arg(p.slot).arg(p.row).arg(p.left ? QLatin1Char('L') : QLatin1Char('R'));
    return out;
}

} // namespace

class TestRecordRules : public QObject {
    Q_OBJECT

private slots:
    void walkOfSlots_data()
    {
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("lastRow");
        QTest::newRow("tall field on the left")
            << QStringList{"AS01", "AS02", "AS50", "AI01", "AI02", "AC01", "AD01"}
            << QStringList{"AS01:0:1:L", "AS02:1:1:R", "AS50:2:2:L", "AI01:3:2:R", "AI02:5:3:R", "AC01:7:4:R",
                           "AD01:8:5:L"}
            << 5;
        QTest::newRow("tall field on the right: the left column fills its rows")
            << QStringList{"AS01", "AS02", "AS03", "AS50", "AI01", "AI02", "AC01", "AD01"}
            << QStringList{"AS01:0:1:L", "AS02:1:1:R", "AS03:2:2:L", "AS50:3:2:R", "AI01:4:3:L", "AI02:6:4:L",
                           "AC01:8:5:L", "AD01:9:5:R"}
            << 5;
        QTest::newRow("odd count leaves the last right half empty")
            << QStringList{"AS01", "AS02", "AI01"} << QStringList{"AS01:0:1:L", "AS02:1:1:R", "AI01:2:2:L"} << 2;
        QTest::newRow("tall field last still takes three rows")
            << QStringList{"AS01", "AS50"} << QStringList{"AS01:0:1:L", "AS50:1:1:R"} << 3;
        QTest::newRow("tall field first") << QStringList{"AS50", "AS01", "AS02"}
                                          << QStringList{"AS50:0:1:L", "AS01:1:1:R", "AS02:3:2:R"} << 3;
        QTest::newRow("nothing displayed") << QStringList{} << QStringList{} << 0;
    }

    void walkOfSlots()
    {
        QFETCH(QStringList, codes);
        QFETCH(QStringList, expected);
        QFETCH(int, lastRow);
        const RecordLayout::Result r = RecordLayout::layOut(fields(codes), 28, QStringLiteral("AS50"));
        QCOMPARE(walk(r), expected);
        QCOMPARE(r.lastRow, lastRow);
        QCOMPARE(r.rowHeight, 30);
        QCOMPARE(r.buttonTop, lastRow * 30 + 30);
        QCOMPARE(r.windowWidth, 1018);
        QCOMPARE(r.windowHeight, lastRow * 30 + 110);
    }

    void geometryOfOneField()
    {
        QList<RecordLayout::Field> list = fields({"AS01", "AS02", "AS50", "AC01", "AI01", "AD01"}, QStringLiteral("AI01"));
        list[1].easy = false;
        list << RecordLayout::Field{QStringLiteral("AX01"), QStringLiteral("X"), true, true};
        const RecordLayout::Result r = RecordLayout::layOut(list, 28, QStringLiteral("AS50"));
        const RecordLayout::Placed &as01 = r.fields.at(0);
        QCOMPARE(as01.x, 12);
        QCOMPARE(as01.labelTop, 13);
        QCOMPARE(as01.editorLeft, 92);
        QCOMPARE(as01.editorTop, 10);
        QCOMPARE(as01.editorHeight, 28);
        QVERIFY(as01.sideButton); // text with quick input
        QCOMPARE(as01.sideButtonLeft, 464);
        QVERIFY(!as01.marker);
        QVERIFY(!r.fields.at(1).sideButton); // text without quick input
        const RecordLayout::Placed &tall = r.fields.at(2);
        QCOMPARE(tall.editorHeight, 88);
        QCOMPARE(tall.lastRow, 4);
        const RecordLayout::Placed &code = r.fields.at(3);
        QCOMPARE(code.x, 515);
        QCOMPARE(code.editorTop, 40);
        QVERIFY(code.sideButton); // code fields always
        QCOMPARE(code.sideButtonLeft, 967);
        const RecordLayout::Placed &integer = r.fields.at(4);
        QVERIFY(integer.marker);
        QCOMPARE(integer.markerLeft, 515 + 484);
        QCOMPARE(integer.row, 3);
        QVERIFY(!integer.sideButton);
        const RecordLayout::Placed &other = r.fields.last();
        QVERIFY(!other.hasEditor);
        QVERIFY(!other.sideButton);
        QVERIFY(other.marker);
        QCOMPARE(other.tabOrder, 6);
    }

    void startingValue_data()
    {
        QTest::addColumn<QString>("newType");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("expected"); // "<none>" for no value
        QTest::newRow("repeat text") << "1" << "S" << "工程" << "工程";
        QTest::newRow("repeat date serial") << "1" << "D" << "45292" << "45292";
        QTest::newRow("count up text loses zeros") << "2" << "S" << "0099" << "100";
        QTest::newRow("count up 0012") << "2" << "S" << "0012" << "13";
        QTest::newRow("count up text that is no number") << "2" << "S" << "A-12" << "<none>";
        QTest::newRow("count up integer") << "2" << "I" << "41" << "42";
        QTest::newRow("count up float repeats") << "2" << "F" << "2.5" << "2.5";
        QTest::newRow("count up code repeats") << "2" << "C" << "3" << "3";
        QTest::newRow("empty") << "3" << "S" << "x" << "<none>";
        QTest::newRow("nothing stored") << "1" << "S" << "" << "<none>";
    }

    void startingValue()
    {
        QFETCH(QString, newType);
        QFETCH(QString, type);
        QFETCH(QString, stored);
        QFETCH(QString, expected);
        const QString value = RecordRules::startingValue(newType, type, stored);
        QCOMPARE(value.isNull() ? QStringLiteral("<none>") : value, expected);
    }

    void daySerials()
    {
        QCOMPARE(RecordRules::daySerial(QDate(2024, 1, 1)), QStringLiteral("45292"));
        QCOMPARE(RecordRules::dateFromSerial(QStringLiteral("45292")), QDate(2024, 1, 1));
        // An empty picker stores nothing, and nothing comes back as no date.
        QCOMPARE(RecordRules::daySerial(QDate()), QString());
        QVERIFY(!RecordRules::dateFromSerial(QString()).isValid());
        QVERIFY(!RecordRules::dateFromSerial(QStringLiteral("abc")).isValid());
    }

    void composedReference_data()
    {
        QTest::addColumn<QString>("as07");
        QTest::addColumn<bool>("hasAc03");
        QTest::addColumn<bool>("hasAc02");
        QTest::addColumn<QString>("ai02");
        QTest::addColumn<QString>("expected");
        QTest::newRow("everything") << "J001" << true << true << "7" << "J001-WS·2023-Y-BGS-0007";
        QTest::newRow("no fonds, no codes") << "" << false << false << "7" << "WS·2023-0007";
        QTest::newRow("long number unpadded") << "" << false << false << "12345" << "WS·2023-12345";
        QTest::newRow("no number") << "J001" << true << false << "" << "J001-WS·2023-Y-";
    }

    void composedReference()
    {
        QFETCH(QString, as07);
        QFETCH(bool, hasAc03);
        QFETCH(bool, hasAc02);
        QFETCH(QString, ai02);
        QFETCH(QString, expected);
        QCOMPARE(RecordRules::composeReference(as07, QStringLiteral("2023"), hasAc03, QStringLiteral("Y"), hasAc02,
                                               QStringLiteral("BGS"), ai02),
                 expected);
    }
};

QTEST_APPLESS_MAIN(TestRecordRules)
#include "tst_recordrules.moc"

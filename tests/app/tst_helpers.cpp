#include "TestStore.h"

#include "app/Conversions.h"
#include "app/MessageBoxes.h"
#include "app/SettingsCipher.h"
#include "app/SqlHelpers.h"
#include "data/Connection.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QDir>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestHelpers : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    // The key, its backslashes escaped for C++.
    static QByteArray key() { return QByteArrayLiteral("pw7nq3zx\\r5ub9e@kvhm64tc1yjs0+ogf;2ldir\\xw8aq-cnz5^bte7kfmu3g9ysp6hv@jlo4rdx1qnw+zk2eac"); }

    void run(const QString &sql)
    {
        QSqlQuery q(Connection::database());
        QVERIFY2(q.exec(sql), qPrintable(sql));
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    // --- conversions --------------------------------------------------------

    void dateToSqlNumber_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("edition0");
        QTest::addColumn<QString>("edition1");
        QTest::newRow("2024-01-01") << QDateTime(QDate(2024, 1, 1), QTime(0, 0)) << "45292" << "45290";
        QTest::newRow("day zero") << QDateTime(QDate(1899, 12, 30), QTime(0, 0)) << "0" << "-2";
        QTest::newRow("noon") << QDateTime(QDate(2024, 1, 1), QTime(12, 0)) << "45292.5" << "45290.5";
        QTest::newRow("one second") << QDateTime(QDate(2024, 1, 1), QTime(0, 0, 1)) << "45292.0000115741" << "45290.0000115741";
        QTest::newRow("small, no exponent") << QDateTime(QDate(1899, 12, 30), QTime(0, 0, 1)) << "0.0000115740740740741" << "-1.99998842592593";
        QTest::newRow("before day zero") << QDateTime(QDate(1899, 12, 29), QTime(6, 0)) << "-1.25" << "-3.25";
        QTest::newRow("year 9999") << QDateTime(QDate(9999, 12, 31), QTime(0, 0)) << "2958465" << "2958463";
    }
    void dateToSqlNumber()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, edition0);
        QFETCH(QString, edition1);
        QCOMPARE(DateToSqlNumber(QStringLiteral("0"), when), edition0);
        QCOMPARE(DateToSqlNumber(QStringLiteral("1"), when), edition1);
        if (when.time() == QTime(0, 0))
            QCOMPARE(DateToSqlNumber(QStringLiteral("0"), when.date()), edition0);
    }

    void dateToSqlNumberRejectsEmptyDate()
    {
        QVERIFY_THROWS_EXCEPTION(ConvertError, DateToSqlNumber(QStringLiteral("0"), QDate()));
    }

    // The number finds the stored day in the store of the edition.
    void dateNumberSelectsStoredDay()
    {
        const QString day = DateToSqlNumber(shared().edition, QDate(2024, 3, 5));
        run(QStringLiteral("insert into N_A(AS01,AD01) values('d',") + day + QStringLiteral(")"));
        Dataset ds;
        ds.open(QStringLiteral("select AD01 from N_A where AS01='d' and AD01=") + day);
        QCOMPARE(ds.recordCount(), 1);
        QCOMPARE(ds.value(QStringLiteral("AD01")).toDate(), QDate(2024, 3, 5));
    }

    void parseDateText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("yyyymmdd") << "20240203" << QDate(2024, 2, 3);
        QTest::newRow("date format") << "2024-02-03" << QDate(2024, 2, 3);
        QTest::newRow("single-digit month and day") << "2024-1-5" << QDate(2024, 1, 5);
        QTest::newRow("eight characters in date format") << "2024-2-3" << QDate(2024, 2, 3);
        QTest::newRow("surrounding blanks") << " 2024-12-31 " << QDate(2024, 12, 31);
        QTest::newRow("leap day") << "20240229" << QDate(2024, 2, 29);
    }
    void parseDateText()
    {
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        QCOMPARE(ParseDateText(text), expected);
    }

    void parseDateTextImpossible_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("30 February") << "20240230";
        QTest::newRow("29 February, no leap year") << "20230229";
        QTest::newRow("month 13") << "20241301";
        QTest::newRow("non-numeric month counts as 0") << "2024ab01";
        QTest::newRow("non-numeric year counts as 0") << "abcd0101";
    }
    void parseDateTextImpossible()
    {
        QFETCH(QString, text);
        try {
            ParseDateText(text);
            QFAIL("no conversion error");
        } catch (const ConvertError &e) {
            QVERIFY2(e.message().contains(text), qPrintable(e.message()));
        }
    }

    void parseDateTextAbortsSilently_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("slashes") << "2024/02/03";
        QTest::newRow("empty") << "";
        QTest::newRow("words") << "yesterday";
        QTest::newRow("impossible in date format") << "2024-02-30";
        QTest::newRow("seven digits") << "2024023";
    }
    void parseDateTextAbortsSilently()
    {
        QFETCH(QString, text);
        ScopedScriptedMessageBoxes boxes;
        QVERIFY_THROWS_EXCEPTION(SilentAbort, ParseDateText(text));
        QVERIFY(boxes.shown.isEmpty());
    }

    void textHelpers()
    {
        QCOMPARE(IfThenStr(true, QStringLiteral("是"), QStringLiteral("否")), QStringLiteral("是"));
        QCOMPARE(IfThenStr(false, QStringLiteral("是"), QStringLiteral("否")), QStringLiteral("否"));
        QCOMPARE(RemoveCR(QStringLiteral("a\r\nb\rc\n")), QStringLiteral("a\nbc\n"));
        QCOMPARE(QuoteSql(QStringLiteral("O'Brien''s")), QStringLiteral("'O''Brien''''s'"));
        QCOMPARE(QuoteSql(QString()), QStringLiteral("''"));
    }

    void tempDirHasTrailingSeparator()
    {
        QTemporaryDir dir;
        const QByteArray old = qgetenv("TMPDIR");
        qputenv("TMPDIR", QFile::encodeName(dir.path()));
        const QString temp = GetTempDir();
        qputenv("TMPDIR", old);
        QCOMPARE(temp, QDir::cleanPath(dir.path()) + QLatin1Char('/'));
    }

    // Typed text with quotes goes into a statement and comes back unchanged.
    void quotedTextRoundTrip()
    {
        const QString typed = QStringLiteral("它's 'x' ''; drop table N_A; --");
        run(QStringLiteral("insert into N_A(AS01) values(") + QuoteSql(typed) + QStringLiteral(")"));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AS01=") + QuoteSql(typed)), 1);
    }

    // --- settings cipher ----------------------------------------------------

    void cipherKnownValue()
    {
        // 'a'^'p' = 17, 'b'^'w' = 21: "017021" reversed.
        QCOMPARE(EncodeSetting(QStringLiteral("ab")), QStringLiteral("120710"));
        QCOMPARE(DecodeSetting(QStringLiteral("120710")), QStringLiteral("ab"));
    }

    // The key itself enciphers to zeros: every one of the 87 characters,
    // backslashes included, matches the stored key.
    void cipherKeyIsExact()
    {
        QCOMPARE(key().size(), 87);
        QCOMPARE(EncodeSetting(QString::fromLatin1(key().left(85))), QString(255, QLatin1Char('0')));
        QCOMPARE(DecodeSetting(QString(255, QLatin1Char('0'))), QString::fromLatin1(key().left(85)));
        // Group 9 is the first backslash: 0x5C ^ '\\' = 0.
        QCOMPARE(EncodeSetting(QString(9, QLatin1Char('\\'))).left(3), QStringLiteral("000"));
    }

    void cipherRoundTrip_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::newRow("empty") << "";
        QTest::newRow("ascii") << "ftp-Pass_123";
        QTest::newRow("inner blank") << "pass word";
        QTest::newRow("chinese") << "密码abc";
        QTest::newRow("85 characters") << QString(85, QLatin1Char('z'));
    }
    void cipherRoundTrip()
    {
        QFETCH(QString, plain);
        const QString digits = EncodeSetting(plain);
        QCOMPARE(digits.size(), int(plain.toUtf8().size()) * 3);
        for (const QChar c : digits)
            QVERIFY(c.isDigit());
        QCOMPARE(DecodeSetting(digits), plain);
        // Stored in S_SET and read back, as the FTP settings do.
        run(QStringLiteral("delete from S_SET where SNAME='FTPPASSWORD'"));
        run(QStringLiteral("insert into S_SET(SNAME,SVALUE) values('FTPPASSWORD',") + QuoteSql(digits) + QStringLiteral(")"));
        Dataset ds;
        ds.open(QStringLiteral("select SVALUE from S_SET where SNAME='FTPPASSWORD'"));
        QCOMPARE(DecodeSetting(ds.text(QStringLiteral("SVALUE"))), plain);
    }

    void cipherTrimsDecodedText()
    {
        QCOMPARE(DecodeSetting(EncodeSetting(QStringLiteral("  pw \t"))), QStringLiteral("pw"));
    }

    void cipherKeepsOnly255Digits()
    {
        QString plain;
        for (int i = 0; i < 86; ++i)
            plain += QChar(QLatin1Char('a' + i % 26));
        const QString digits = EncodeSetting(plain);
        QCOMPARE(digits.size(), 255);
        QCOMPARE(digits, EncodeSetting(plain.left(85)));
        QCOMPARE(DecodeSetting(digits), plain.left(85));
        // Decoding keeps at most 255 digits too; a partial group is dropped.
        QCOMPARE(DecodeSetting(QStringLiteral("9") + QStringLiteral("120710")), QStringLiteral("ab"));
        QCOMPARE(DecodeSetting(QString()), QString());
    }

    void cipherRejectsNonDigitGroup_data()
    {
        QTest::addColumn<QString>("digits");
        QTest::newRow("letter") << "12a710";
        QTest::newRow("blank") << "120 10";
        QTest::newRow("sign") << "120-10";
    }
    void cipherRejectsNonDigitGroup()
    {
        QFETCH(QString, digits);
        QVERIFY_THROWS_EXCEPTION(ConvertError, DecodeSetting(digits));
    }

    // --- SQL execution ------------------------------------------------------

    void openSqlSucceeds()
    {
        run(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('TST','AS01','b','乙')"));
        run(QStringLiteral("insert into S_EASY(STABLE,SFIELD,SEASY,SVALUE) values('TST','AS01','a','甲')"));
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        ds.open(QStringLiteral("select SEASY from S_EASY where STABLE='TST'"));
        ds.last();
        QVERIFY(OpenSql(ds, QStringLiteral("select SEASY,SVALUE from S_EASY where STABLE='TST' order by SEASY")));
        QVERIFY(ds.isOpen());
        QCOMPARE(ds.recordCount(), 2);
        QCOMPARE(ds.recNo(), 1);
        QCOMPARE(ds.text(QStringLiteral("SVALUE")), QStringLiteral("甲"));
        QVERIFY(boxes.shown.isEmpty());
    }

    void openSqlReportsFailure()
    {
        const QString sql = QStringLiteral("select * from N_A where");
        QString driverMessage;
        try {
            Dataset probe;
            probe.open(sql);
        } catch (const SqlError &e) {
            driverMessage = e.message();
        }
        QVERIFY(!driverMessage.isEmpty());

        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        ds.open(QStringLiteral("select * from S_SET"));
        QVERIFY(!OpenSql(ds, sql));
        QVERIFY(!ds.isOpen());
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("错误"));
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Critical);
        QCOMPARE(boxes.shown.first().text, driverMessage + QStringLiteral("\n\r") + sql);
    }

    void execSqlRuns()
    {
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        QVERIFY(ExecSql(ds, QStringLiteral("insert into N_A(AS01) values('e1')")));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AS01='e1'")), 1);
        QVERIFY(boxes.shown.isEmpty());
    }

    void execSqlReportsAndInterrupts()
    {
        const QString sql = QStringLiteral("update N_A set NOSUCHCOLUMN=1");
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        bool continued = false;
        bool caught = false;
        try {
            ExecSql(ds, sql);
            continued = true;
        } catch (const SqlError &e) {
            caught = true;
            QCOMPARE(boxes.shown.size(), 1);
            QCOMPARE(boxes.shown.first().title, QStringLiteral("错误"));
            QCOMPARE(boxes.shown.first().text, e.message() + QStringLiteral("\n\r") + sql);
        }
        QVERIFY(caught);
        QVERIFY(!continued);
    }

    // A failed statement inside a transaction rolls back what ran before it.
    void execSqlFailureRollsBackInCaller()
    {
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        QSqlDatabase db = Connection::database();
        QVERIFY(db.transaction());
        try {
            ExecSql(ds, QStringLiteral("insert into N_A(AS01) values('t1')"));
            ExecSql(ds, QStringLiteral("insert into N_A(NOSUCHCOLUMN) values('t2')"));
            db.commit();
        } catch (const AppError &) {
            db.rollback();
        }
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AS01='t1'")), 0);
        QCOMPARE(boxes.shown.size(), 1);
    }

    void confirmSaveChanges_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("saved");
        QTest::newRow("OK saves") << MsgResultOk << true;
        QTest::newRow("Cancel drops") << MsgResultCancel << false;
    }
    void confirmSaveChanges()
    {
        QFETCH(int, answer);
        QFETCH(bool, saved);
        run(QStringLiteral("insert into N_A(AS01) values('old')"));
        Dataset ds;
        ds.open(QStringLiteral("select * from N_A where AS01='old'"));
        ScopedScriptedMessageBoxes boxes;
        boxes.answers << answer;
        ds.edit();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("new"));
        QVERIFY(ConfirmSaveChanges(ds));
        QCOMPARE(boxes.shown.size(), 1);
        QCOMPARE(boxes.shown.first().title, QStringLiteral("确认"));
        QCOMPARE(boxes.shown.first().text, QStringLiteral("数据已修改，要保存吗?"));
        QCOMPARE(ds.state(), Dataset::State::Browse);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AS01='new'")), saved ? 1 : 0);
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AS01='old'")), saved ? 0 : 1);

        // A new row is posted or dropped the same way.
        boxes.answers << answer;
        ds.append();
        ds.setValue(QStringLiteral("AS01"), QStringLiteral("added"));
        QVERIFY(ConfirmSaveChanges(ds));
        QCOMPARE(sqlValue(QStringLiteral("select count(*) from N_A where AS01='added'")), saved ? 1 : 0);
    }

    void confirmSaveChangesWhenNotEditing()
    {
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        QVERIFY(!ConfirmSaveChanges(ds));
        ds.open(QStringLiteral("select * from N_A"));
        QVERIFY(!ConfirmSaveChanges(ds));
        QVERIFY(boxes.shown.isEmpty());
    }

    // --- sort clause --------------------------------------------------------

    void buildOrderClause_data()
    {
        // Rows as "ino:field:type", separated by '|'; "-" stands for a null field.
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("expected");
        QTest::newRow("no rows") << "" << "";
        QTest::newRow("empty field between") << "1:AS01:ASC|2::DESC|3:AI02:DESC" << " order by AS01 ,AI02 DESC";
        QTest::newRow("single ascending") << "1:AS03:ASC" << " order by AS03 ";
        QTest::newRow("lower-case desc sorts ascending") << "1:AS01:desc" << " order by AS01 ";
        QTest::newRow("priority order, not entry order") << "3:AF01:ASC|1:AIID:DESC|2:AC03:" << " order by AIID DESC,AC03 ,AF01 ";
        QTest::newRow("only empty fields") << "1::DESC|2:-:ASC" << "";
        QTest::newRow("blank field skipped") << "1:  :ASC|2:AD01:DESC" << " order by AD01 DESC";
    }
    void buildOrderClause()
    {
        QFETCH(QString, rows);
        QFETCH(QString, expected);
        const QString key = QStringLiteral("T_SORT");
        for (const QString &row : rows.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
            const QStringList p = row.split(QLatin1Char(':'));
            const QString field = p.at(1) == QLatin1String("-") ? QStringLiteral("null") : QuoteSql(p.at(1));
            run(QStringLiteral("insert into S_ORDER(STABLE,INO,SFIELD,STYPE) values(%1,%2,%3,%4)")
                    .arg(QuoteSql(key), p.at(0), field, QuoteSql(p.at(2))));
        }
        // Another table's rows never leak in.
        run(QStringLiteral("insert into S_ORDER(STABLE,INO,SFIELD,STYPE) values('T_OTHER',1,'AS09','DESC')"));
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        QCOMPARE(BuildOrderClause(ds, key), expected);
        QVERIFY(boxes.shown.isEmpty());
        QCOMPARE(ds.sql(), QStringLiteral("select sfield, stype from  s_order where stable='T_SORT' order by ino"));
        if (!expected.isEmpty()) {
            Dataset check;
            check.open(QStringLiteral("select * from N_A where 1=1") + expected);
        }
    }

    // A key with a quote is a literal, not a broken statement.
    void buildOrderClauseQuotesKey()
    {
        run(QStringLiteral("insert into S_ORDER(STABLE,INO,SFIELD,STYPE) values('N''A',1,'AS02','DESC')"));
        ScopedScriptedMessageBoxes boxes;
        Dataset ds;
        QCOMPARE(BuildOrderClause(ds, QStringLiteral("N'A")), QStringLiteral(" order by AS02 DESC"));
        QVERIFY(boxes.shown.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHelpers)
#include "tst_helpers.moc"

#include "TestStore.h"

#include "data/Connection.h"
#include "data/Schema.h"

#include <QSet>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTest>

// A new store is a usable technical archive: dictionary, code lists, tree,
// query and sort settings, settings rows and the super administrator.
class TestStoreSeed : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;

    static QSqlQuery query(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery q(Connection::database());
        if (!q.prepare(sql))
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        for (const QVariant &v : values)
            q.addBindValue(v);
        if (!q.exec())
            qFatal("%s: %s", qPrintable(sql), qPrintable(q.lastError().text()));
        return q;
    }

    static int count(const QString &sql, const QVariantList &values = {})
    {
        QSqlQuery q = query(sql, values);
        return q.next() ? q.value(0).toInt() : -1;
    }

    struct FieldRow {
        QString name, caption, type, remark;
        int no = 0, display = 0, required = 0, easy = 0, newType = 0;
    };

    static QHash<QString, FieldRow> fields(const QString &table)
    {
        QHash<QString, FieldRow> out;
        QSqlQuery q = query(QStringLiteral("select SFIELD,SFIELDNAME,SFIELDNAME1,SFIELDTYPE,INO,IDISPLAY,INOTNULL,IEASY,"
                                           "INEWTYPE,SREMARK from S_FIELD where STABLE=?"),
                            {table});
        while (q.next())
            out.insert(q.value(0).toString(),
                       {q.value(1).toString(), q.value(2).toString(), q.value(3).toString(), q.value(9).toString(),
                        q.value(4).toInt(), q.value(5).toInt(), q.value(6).toInt(), q.value(7).toInt(),
                        q.value(8).toInt()});
        return out;
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void init() { PELU_OPEN_TEST_STORE(m_store); }
    void cleanup() { m_store.reset(); }

    void dictionaryHasEveryField_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("volumes") << QStringLiteral("N_A");
        QTest::newRow("documents") << QStringLiteral("N_B");
    }
    void dictionaryHasEveryField()
    {
        QFETCH(QString, table);
        QCOMPARE(count(QStringLiteral("select count(*) from S_FIELD")), 76);
        const QHash<QString, FieldRow> rows = fields(table);
        const QStringList codes = Schema::fieldCodes(table.at(2));
        QCOMPARE(rows.size(), 38);
        QSet<int> numbers;
        int lastShown = 0, firstHidden = 39, shown = 0;
        for (const QString &code : codes) {
            QVERIFY2(rows.contains(code), qPrintable(code));
            const FieldRow &f = rows.value(code);
            QCOMPARE(f.type, QString(code.at(1)));
            QVERIFY2(!f.name.isEmpty() && !f.caption.isEmpty() && !f.remark.isEmpty(), qPrintable(code));
            QVERIFY2(f.newType >= 1 && f.newType <= 3, qPrintable(code));
            QVERIFY2(f.display == 0 || f.display == 1, qPrintable(code));
            QVERIFY2(f.required == 0 || f.display == 1, qPrintable(code)); // a hidden required field checks nothing
            QVERIFY2(f.easy == 0 || code.at(1) == QLatin1Char('S'), qPrintable(code));
            numbers.insert(f.no);
            if (f.display) {
                ++shown;
                lastShown = std::max(lastShown, f.no);
            } else {
                firstHidden = std::min(firstHidden, f.no);
            }
        }
        // INO is a permutation of 1..38 with the displayed fields first.
        QCOMPARE(numbers.size(), 38);
        QCOMPARE(*std::min_element(numbers.begin(), numbers.end()), 1);
        QCOMPARE(*std::max_element(numbers.begin(), numbers.end()), 38);
        QVERIFY(lastShown < firstHidden);
        QVERIFY2(shown >= 10 && shown <= 16, qPrintable(QString::number(shown)));
        // Captions are what labels and grid titles show: no two displayed fields alike.
        QSet<QString> captions;
        for (const FieldRow &f : rows)
            if (f.display)
                captions.insert(f.caption);
        QCOMPARE(captions.size(), shown);
        // The internal names are distinct too, so the settings window tells fields apart.
        QSet<QString> names;
        for (const FieldRow &f : rows)
            names.insert(f.name);
        QCOMPARE(names.size(), 38);
    }

    void fieldsWithAFixedMeaning_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("required");
        QTest::addColumn<int>("newType"); // 0: not checked
        QTest::newRow("全宗号") << "N_A" << "AS07" << "全宗号" << 1 << 1;
        QTest::newRow("档号") << "N_A" << "AS14" << "档号" << 0 << 0;
        QTest::newRow("分类号") << "N_A" << "AS15" << "分类号" << 0 << 0;
        QTest::newRow("年度") << "N_A" << "AI01" << "年度" << 1 << 0;
        QTest::newRow("件号") << "N_A" << "AI02" << "件号" << 1 << 2;
        QTest::newRow("机构") << "N_A" << "AC02" << "机构(问题)" << 1 << 0;
        QTest::newRow("保管期限") << "N_A" << "AC03" << "保管期限" << 1 << 0;
        QTest::newRow("案卷题名") << "N_A" << "AS01" << "案卷题名" << 1 << 3;
        QTest::newRow("文件题名") << "N_B" << "BS03" << "题名" << 1 << 3;
        QTest::newRow("借阅状态") << "N_B" << "BC10" << "借阅状态" << 0 << 0;
    }
    void fieldsWithAFixedMeaning()
    {
        QFETCH(QString, table);
        QFETCH(QString, code);
        QFETCH(QString, caption);
        QFETCH(int, required);
        QFETCH(int, newType);
        const FieldRow f = fields(table).value(code);
        QCOMPARE(f.caption, caption);
        QCOMPARE(f.display, 1);
        QCOMPARE(f.required, required);
        if (newType)
            QCOMPARE(f.newType, newType);
    }

    // The other captions a clerk expects, each on a field of a fitting type.
    void documentAndVolumeCaptions_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("types");
        for (const char *c : {"案卷题名", "立卷单位"})
            QTest::newRow(c) << "N_A" << QString::fromUtf8(c) << "S";
        QTest::newRow("A密级") << "N_A" << "密级" << "C";
        QTest::newRow("A起始日期") << "N_A" << "起始日期" << "D";
        QTest::newRow("A终止日期") << "N_A" << "终止日期" << "D";
        QTest::newRow("A页数") << "N_A" << "页数" << "I";
        QTest::newRow("A备注") << "N_A" << "备注" << "S";
        for (const char *c : {"文件编号", "责任者", "题名", "页号", "备注"})
            QTest::newRow(c) << "N_B" << QString::fromUtf8(c) << "S";
        QTest::newRow("B日期") << "N_B" << "日期" << "D";
        QTest::newRow("B页数") << "N_B" << "页数" << "I";
        QTest::newRow("B密级") << "N_B" << "密级" << "C";
    }
    void documentAndVolumeCaptions()
    {
        QFETCH(QString, table);
        QFETCH(QString, caption);
        QFETCH(QString, types);
        QSqlQuery q = query(QStringLiteral("select SFIELDTYPE, IDISPLAY from S_FIELD where STABLE=? and SFIELDNAME1=?"),
                            {table, caption});
        QVERIFY2(q.next(), qPrintable(caption));
        QCOMPARE(q.value(0).toString(), types);
        QCOMPARE(q.value(1).toInt(), 1);
        QVERIFY(!q.next());
    }

    // Every displayed code field offers a pick list; volume lists carry short codes.
    void displayedCodeFieldsHaveLists()
    {
        QSqlQuery q = query(QStringLiteral("select SFIELD from S_FIELD where SFIELDTYPE='C' and IDISPLAY=1"));
        int lists = 0;
        while (q.next()) {
            const QString f = q.value(0).toString();
            const bool volume = f.startsWith(QLatin1Char('A'));
            QSqlQuery l = query(QStringLiteral("select %1NAME, %1ORDER%2 from N_%1 order by %1ORDER")
                                    .arg(f, volume ? QStringLiteral(", %1CODE").arg(f) : QString()));
            int n = 0;
            QSet<QString> names;
            while (l.next()) {
                ++n;
                QCOMPARE(l.value(1).toInt(), n); // ORDER 1..n
                QVERIFY2(!l.value(0).toString().isEmpty(), qPrintable(f));
                names.insert(l.value(0).toString());
                if (volume)
                    QVERIFY2(!l.value(2).toString().isEmpty(), qPrintable(f));
            }
            QVERIFY2(n > 0, qPrintable(f));
            QCOMPARE(names.size(), n);
            ++lists;
        }
        QVERIFY(lists >= 5);
    }

    void codeListContents_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("codes"); // empty: document list, or not checked
        QTest::newRow("保管期限") << "AC03" << QStringList{"永久", "定期30年", "定期10年"} << QStringList{"Y", "D30", "D10"};
        QTest::newRow("机构") << "AC02" << QStringList{"办公室", "技术部"} << QStringList{"BGS", "JSB"};
        const QStringList secrecy{"公开", "内部", "秘密", "机密", "绝密"};
        QTest::newRow("案卷密级") << "AC01" << secrecy << QStringList();
        QTest::newRow("文件密级") << "BC01" << secrecy << QStringList();
        QTest::newRow("借阅状态") << "BC10" << QStringList{"正常", "借出"} << QStringList();
    }
    void codeListContents()
    {
        QFETCH(QString, field);
        QFETCH(QStringList, names);
        QFETCH(QStringList, codes);
        for (int i = 0; i < names.size(); ++i) {
            const bool withCode = !codes.isEmpty();
            QSqlQuery q = query(QStringLiteral("select %1%2 from N_%1 where %1NAME=?")
                                    .arg(field, withCode ? QStringLiteral(", %1CODE").arg(field) : QString()),
                                {names.at(i)});
            QVERIFY2(q.next(), qPrintable(names.at(i)));
            QVERIFY(q.value(0).toInt() > 0);
            if (withCode)
                QCOMPARE(q.value(1).toString(), codes.at(i));
            QVERIFY2(!q.next(), qPrintable(names.at(i) + QStringLiteral(" twice")));
        }
        // The lending dialogs look the two states up by name.
        if (field == QLatin1String("BC10")) {
            QCOMPARE(count(QStringLiteral("select count(*) from N_BC10 where BC10NAME='借出'")), 1);
            QCOMPARE(count(QStringLiteral("select count(*) from N_BC10 where BC10NAME='正常'")), 1);
        }
    }

    // The start-up reads the levels through this join; every level survives it.
    void treeLevelsJoinTheDictionary()
    {
        QSqlQuery q = query(QStringLiteral("select a.INO,a.SFIELD,b.SFIELDTYPE,b.IDISPLAY from S_TREE a, S_FIELD b "
                                           "where a.SFIELD=b.SFIELD and a.STABLE='N_A' and b.stable='N_A' order by a.INO"));
        int level = 0;
        QSet<QString> seen;
        while (q.next()) {
            ++level;
            QCOMPARE(q.value(0).toInt(), level);
            QCOMPARE(q.value(2).toString(), QString(Schema::fieldType(q.value(1).toString())));
            QCOMPARE(q.value(3).toInt(), 1); // the settings window offers displayed fields only
            seen.insert(q.value(1).toString());
        }
        QCOMPARE(level, 5);
        QCOMPARE(seen.size(), 5);
        QCOMPARE(count(QStringLiteral("select count(*) from S_TREE")), 5);
        // The first levels are the ones the store indexes.
        QSqlQuery top = query(QStringLiteral("select SFIELD from S_TREE where STABLE='N_A' and INO=1"));
        QVERIFY(top.next());
        QCOMPARE(top.value(0).toString(), QStringLiteral("AS07"));
    }

    void queryPositions_data()
    {
        QTest::addColumn<QString>("table");
        QTest::newRow("volumes") << QStringLiteral("N_A");
        QTest::newRow("documents") << QStringLiteral("N_B");
    }
    void queryPositions()
    {
        QFETCH(QString, table);
        QSqlQuery q = query(QStringLiteral("select a.INO, a.SFIELD, b.IDISPLAY from S_QUERY a, S_FIELD b "
                                           "where a.STABLE=? and b.STABLE=a.STABLE and b.SFIELD=a.SFIELD order by a.INO"),
                            {table});
        int pos = 0;
        QSet<QString> seen;
        while (q.next()) {
            ++pos;
            QCOMPARE(q.value(0).toInt(), pos);
            QCOMPARE(q.value(2).toInt(), 1);
            seen.insert(q.value(1).toString());
        }
        QCOMPARE(pos, 8);
        QCOMPARE(seen.size(), 8);
        QCOMPARE(count(QStringLiteral("select count(*) from S_QUERY where STABLE=?"), {table}), 8);
    }

    void sortOrders_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<QString>("statement"); // the grid's base statement
        QTest::newRow("volumes") << "N_A" << "select * from N_A a where 1=1";
        QTest::newRow("documents") << "N_B" << "select * from N_B a where 1=1";
        QTest::newRow("combined")
            << "N_AB"
            << "select a.*,b.BS01,b.BS02,b.BS03,b.BS04,b.BS05,b.BS06,b.BS07,b.BS08,b.BS09,b.BS10,b.BS11,b.BS12,b.BS13,"
               "b.BS14,b.BS15,b.BS50,b.BI01,b.BI02,b.BI03,b.BI04,b.BF01,b.BF02,b.BF03,b.BF04,b.BC01,b.BC02,b.BC03,"
               "b.BC04,b.BC05,b.BC06,b.BC07,b.BC08,b.BC09,b.BC10,b.BD01,b.BD02,b.BD03,b.BD04,b.BIID "
               "from N_A a, N_B b where a.AIID=b.AIID";
    }
    void sortOrders()
    {
        QFETCH(QString, table);
        QFETCH(QString, statement);
        QSqlQuery q = query(QStringLiteral("select INO, SFIELD, STYPE from S_ORDER where STABLE=? order by INO"), {table});
        int step = 0;
        QStringList clause;
        while (q.next()) {
            ++step;
            QCOMPARE(q.value(0).toInt(), step);
            const QString f = q.value(1).toString();
            if (f.isEmpty())
                continue;
            const QString type = q.value(2).toString();
            QVERIFY2(type == QLatin1String("ASC") || type == QLatin1String("DESC"), qPrintable(type));
            const bool key = f == QLatin1String("AIID") || f == QLatin1String("BIID");
            QVERIFY2(key || Schema::isFieldCode(f), qPrintable(f));
            if (table != QLatin1String("N_AB"))
                QVERIFY2(key || f.at(0) == table.at(2), qPrintable(f));
            clause.append(type == QLatin1String("DESC") ? f + QStringLiteral(" DESC") : f + QStringLiteral(" "));
        }
        QCOMPARE(step, 5);
        QVERIFY(!clause.isEmpty());
        // The clause the program builds from the rows runs against the grid's statement.
        QSqlQuery run(Connection::database());
        const QString sql = statement + QStringLiteral(" order by ") + clause.join(QLatin1Char(','));
        QVERIFY2(run.exec(sql), qPrintable(run.lastError().text() + QLatin1Char(' ') + sql));
    }

    void settingsRows_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::newRow("SYSFONTNAME") << "SYSFONTNAME" << "宋体";
        QTest::newRow("SYSFONTSIZE") << "SYSFONTSIZE" << "10";
        QTest::newRow("N_SYS") << "N_SYS" << "澜图科技档案管理系统V12.0";
        QTest::newRow("N_MOD") << "N_MOD" << "科技档案管理";
        const char *const slotNames[] = {"卷内目录一打印", "卷内目录二打印", "案卷封面打印", "一维码打印", "二维码打印", "", "", ""};
        for (int i = 0; i < 8; ++i) {
            const QByteArray n = "N_PRINT" + QByteArray::number(i + 1);
            QTest::newRow(n.constData()) << QString::fromLatin1(n) << QString::fromUtf8(slotNames[i]);
        }
        QTest::newRow("FTPENABLED") << "FTPENABLED" << "0";
        QTest::newRow("FTPHOST") << "FTPHOST" << "127.0.0.1";
        QTest::newRow("FTPPORT") << "FTPPORT" << "21";
        QTest::newRow("FTPUSERNAME") << "FTPUSERNAME" << "";
        QTest::newRow("FTPPASSWORD") << "FTPPASSWORD" << "";
    }
    void settingsRows()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QSqlQuery q = query(QStringLiteral("select SVALUE from S_SET where SNAME=?"), {name});
        QVERIFY(q.next());
        QCOMPARE(q.value(0).toString(), value);
        QVERIFY(!q.value(0).isNull()); // an empty value is '', which the program compares with ''
        QVERIFY(!q.next());
        // The form the program itself uses: the value quoted.
        QCOMPARE(count(QStringLiteral("select count(*) from S_SET where SNAME='%1' and SVALUE='%2'").arg(name, value)), 1);
    }

    void superAdministratorHasEveryRight()
    {
        QSqlQuery q = query(QStringLiteral("select * from S_USER where SUSERID='0000'"));
        QVERIFY(q.next());
        const QSqlRecord rec = q.record();
        QVERIFY(!q.value(rec.indexOf(QStringLiteral("SUSERNAME"))).toString().isEmpty());
        QCOMPARE(q.value(rec.indexOf(QStringLiteral("SPASSWORD"))).toString(), QString());
        int rights = 0;
        for (const ColumnDef &c : Schema::table(QStringLiteral("S_USER"))->columns) {
            if (c.type != ColType::Integer)
                continue;
            const int i = rec.indexOf(c.name); // case-insensitive, as PostgreSQL folds names
            QVERIFY2(i >= 0, qPrintable(c.name));
            QVERIFY2(!q.isNull(i) && q.value(i).toInt() == 1, qPrintable(c.name));
            ++rights;
        }
        QCOMPARE(rights, 32);
        QVERIFY(!q.next());
        QCOMPARE(count(QStringLiteral("select count(*) from S_USER")), 1);
    }

    // Phrases belong to displayed text fields marked for quick input.
    void phrasesBelongToQuickInputFields()
    {
        QVERIFY(count(QStringLiteral("select count(*) from S_EASY")) > 0);
        QCOMPARE(count(QStringLiteral("select count(*) from S_EASY e where not exists (select 1 from S_FIELD f "
                                      "where f.STABLE=e.STABLE and f.SFIELD=e.SFIELD and f.IEASY=1 and f.IDISPLAY=1 "
                                      "and f.SFIELDTYPE='S')")),
                 0);
        // Every field marked for quick input has at least one phrase to start with.
        QCOMPARE(count(QStringLiteral("select count(*) from S_FIELD f where f.IEASY=1 and not exists "
                                      "(select 1 from S_EASY e where e.STABLE=f.STABLE and e.SFIELD=f.SFIELD)")),
                 0);
    }

    // The first login gives the user one default-value row per dictionary field.
    void loginSeedsDefaultValues()
    {
        QSqlQuery q(Connection::database());
        QVERIFY(q.exec(QStringLiteral("insert into S_NEWVALUE (SUSERID,STABLE,SFIELD) select '0000','N_A',SFIELD from "
                                      "S_FIELD where STABLE='N_A'")));
        QCOMPARE(count(QStringLiteral("select count(*) from S_NEWVALUE where SUSERID='0000' and STABLE='N_A'")), 38);
    }
};

QTEST_GUILESS_MAIN(TestStoreSeed)
#include "tst_storeseed.moc"

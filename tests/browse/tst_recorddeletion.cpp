#include "TestStore.h"

#include "app/MessageBoxes.h"
#include "attach/AttachmentStore.h"
#include "attach/FtpClient.h"
#include "browse/N_A_main.h"
#include "browse/RecordDeletion.h"
#include "data/Connection.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(AttachmentStore::Kind)

namespace {

const QStringList kRights = {"IRADD", "IREDIT", "IRDEL", "IRBATCH", "IR4", "IRINPUT", "IREXPORT",
                             "IRPRINT", "IRBORROW", "IRSET", "IRBIN", "IR1", "IR2", "IR3"};

const QString kConfirmVolume = QStringLiteral("删除后将不能再恢复，确认要删除吗？");
const QString kConfirmDocument = QStringLiteral("确定要删除吗？");
const QString kDone = QStringLiteral("删除完成！");

qint64 insertRow(const QString &sql, const QString &table, const QString &key)
{
    if (!sqlExec(sql))
        return -1;
    return sqlValue(QStringLiteral("select max(%1) from %2").arg(key, table));
}

QStringList keysOf(const QString &table, const QString &key)
{
    QStringList out;
    QSqlQuery q(Connection::database());
    if (!q.exec(QStringLiteral("select %1 from %2 order by %1").arg(key, table)))
        return {QStringLiteral("<failed>")};
    while (q.next())
        out << table + QLatin1Char(':') + q.value(0).toString();
    return out;
}

QStringList filesIn(const QString &label, const QString &dir)
{
    QStringList out;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        out << label + QLatin1Char(':') + name;
    return out;
}

QStringList texts(const ScriptedMessageBoxes &boxes)
{
    QStringList out;
    for (const auto &b : boxes.shown)
        out << b.text;
    return out;
}

// Records the progress windows that show while it lives.
class ProgressWatch : public QObject {
public:
    struct Seen {
        Qt::WindowModality modality;
        bool cancelButton;
        int maximum;
        bool closed;   // a close request was taken
        bool escaped;  // the Escape key cancelled it
    };
    QList<Seen> seen;
    ProgressWatch() { qApp->installEventFilter(this); }
    ~ProgressWatch() override { qApp->removeEventFilter(this); }
    bool eventFilter(QObject *o, QEvent *e) override
    {
        if (e->type() == QEvent::Show) {
            if (auto *p = qobject_cast<QProgressDialog *>(o)) {
                const bool cancel = !p->findChildren<QPushButton *>().isEmpty();
                QCloseEvent close;
                QCoreApplication::sendEvent(p, &close);
                QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
                QCoreApplication::sendEvent(p, &escape);
                seen.append({p->windowModality(), cancel, p->maximum(), close.isAccepted(), p->wasCanceled()});
            }
        }
        return false;
    }
};

} // namespace

// Deleting through the main window's commands on both stores: the SQLite
// store keeps its files in the local folder, the PostgreSQL store on the FTP
// test server (PELU_TEST_FTP=host,port,user,password,root folder), whose
// files the test reads on disk.
class TestRecordDeletion : public QObject {
    Q_OBJECT
    std::unique_ptr<TestStore> m_store;
    QStringList m_ftpParts;
    std::unique_ptr<QTemporaryDir> m_remote; // the FTP store's folder, on disk
    std::unique_ptr<FtpClient> m_ftp;
    AttachmentStore::Kind m_kind = AttachmentStore::Kind::Local;

    // A small archive: 甲卷 with two documents (lendings and attachments), 乙卷
    // with one, 丙卷 without documents, 丁卷 with one.
    struct World {
        qint64 v1 = 0, v2 = 0, v3 = 0, v4 = 0;
        qint64 d11 = 0, d12 = 0, d21 = 0, d41 = 0;
        QHash<QString, QStringList> owned; // vol(key) or doc(key) -> what goes with it
    } m_w;

    static QString vol(qint64 aiid) { return QStringLiteral("A%1").arg(aiid); }
    static QString doc(qint64 biid) { return QStringLiteral("B%1").arg(biid); }

    QString localRoot() const { return m_store->folder() + QStringLiteral("/N_UPFILE"); }
    QString remoteDir() const { return QLatin1Char('/') + QFileInfo(m_remote->path()).fileName(); }

    void configure(FtpClient &client, int port = 0) const
    {
        client.setHost(m_ftpParts.at(0));
        client.setPort(port ? port : m_ftpParts.at(1).toInt());
        client.setUser(m_ftpParts.at(2));
        client.setPassword(m_ftpParts.at(3));
        client.setReadTimeout(10000);
    }

    // The edition's store for the commands: as the data module leaves the
    // shared state.
    void useStore(AttachmentStore::Kind kind)
    {
        m_kind = kind;
        SharedState &st = shared();
        if (kind == AttachmentStore::Kind::Local) {
            st.edition = QStringLiteral("0");
            st.attachRoot = localRoot();
        } else {
            st.edition = QStringLiteral("1");
            st.attachRoot = remoteDir();
            st.ftpEnabled = kind == AttachmentStore::Kind::Ftp ? QStringLiteral("1") : QStringLiteral("0");
        }
    }

    // A stored file where the store keeps it; an Off store gets one in both
    // places, to see that neither is touched.
    void storeFile(qint64 iid)
    {
        const QString name = QString::number(iid);
        QStringList dirs;
        if (m_kind != AttachmentStore::Kind::Ftp)
            dirs << localRoot();
        if (m_kind != AttachmentStore::Kind::Local)
            dirs << m_remote->path();
        for (const QString &dir : dirs) {
            QFile f(dir + QLatin1Char('/') + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("content of " + name.toUtf8());
        }
    }

    QStringList snapshot() const
    {
        QStringList s = keysOf(QStringLiteral("N_A"), QStringLiteral("AIID")) + keysOf(QStringLiteral("N_B"), QStringLiteral("BIID"))
            + keysOf(QStringLiteral("N_BBORROW"), QStringLiteral("IID")) + keysOf(QStringLiteral("N_BIN"), QStringLiteral("IID"))
            + filesIn(QStringLiteral("local"), localRoot()) + filesIn(QStringLiteral("remote"), m_remote->path());
        return s;
    }

    qint64 addVolume(const QString &name, int year)
    {
        return insertRow(QStringLiteral("insert into N_A (AS01, AI01) values ('%1', %2)").arg(name).arg(year),
                         QStringLiteral("N_A"), QStringLiteral("AIID"));
    }
    // A document of the volume with lendings and attachments; what it owns is
    // noted under the document and its volume.
    qint64 addDocument(qint64 aiid, const QString &title, int lendings, int attachments)
    {
        const qint64 biid = insertRow(QStringLiteral("insert into N_B (AIID, BS03) values (%1, '%2')").arg(aiid).arg(title),
                                      QStringLiteral("N_B"), QStringLiteral("BIID"));
        QStringList owned{QStringLiteral("N_B:%1").arg(biid)};
        for (int i = 0; i < lendings; ++i) {
            const qint64 id = insertRow(
                QStringLiteral("insert into N_BBORROW (AIID, SUSER, ISTATE) values (%1, '借阅人%2', 1)").arg(biid).arg(i),
                QStringLiteral("N_BBORROW"), QStringLiteral("IID"));
            owned << QStringLiteral("N_BBORROW:%1").arg(id);
        }
        for (int i = 0; i < attachments; ++i) {
            const qint64 iid = insertRow(QStringLiteral("insert into N_BIN (IFID, SFILENAME, SFILEEXT) values (%1, '扫描%2.jpg', '.jpg')")
                                             .arg(biid)
                                             .arg(i),
                                         QStringLiteral("N_BIN"), QStringLiteral("IID"));
            owned << QStringLiteral("N_BIN:%1").arg(iid);
            storeFile(iid);
            for (const QString &place : {QStringLiteral("local"), QStringLiteral("remote")})
                owned << place + QLatin1Char(':') + QString::number(iid);
        }
        m_w.owned[doc(biid)] = owned;
        m_w.owned[vol(aiid)] += owned;
        return biid;
    }

    void buildWorld()
    {
        m_w = World();
        m_w.v1 = addVolume(QStringLiteral("甲卷"), 2024);
        m_w.v2 = addVolume(QStringLiteral("乙卷"), 2024);
        m_w.v3 = addVolume(QStringLiteral("丙卷"), 2023);
        m_w.v4 = addVolume(QStringLiteral("丁卷"), 2023);
        for (qint64 v : {m_w.v1, m_w.v2, m_w.v3, m_w.v4})
            m_w.owned[vol(v)] << QStringLiteral("N_A:%1").arg(v);
        m_w.d11 = addDocument(m_w.v1, QStringLiteral("一"), 2, 2);
        m_w.d12 = addDocument(m_w.v1, QStringLiteral("二"), 1, 1);
        m_w.d21 = addDocument(m_w.v2, QStringLiteral("三"), 1, 2);
        m_w.d41 = addDocument(m_w.v4, QStringLiteral("四"), 0, 1);
    }

    // What remains of a snapshot when these records and what they own are gone.
    QStringList without(QStringList s, const QStringList &keys) const
    {
        for (const QString &k : keys)
            for (const QString &item : m_w.owned.value(k))
                s.removeAll(item);
        return s;
    }

    std::unique_ptr<Tfrm_N_A_main> openWindow()
    {
        auto w = std::make_unique<Tfrm_N_A_main>();
        w->setFtpClient(m_ftp.get());
        w->show();
        w->RunQuery();
        return w;
    }

    // A trigger that refuses to delete one document row.
    void refuseDocumentDelete(qint64 biid)
    {
        if (m_store->kind() == TestStore::SQLite) {
            PELU_SQL(QStringLiteral("create trigger TR_KEEP before delete on N_B when old.BIID=%1 "
                                    "begin select raise(abort, 'document %1 is kept'); end")
                         .arg(biid));
        } else {
            PELU_SQL(QStringLiteral("create function F_KEEP() returns trigger language plpgsql as $$ begin "
                                    "if old.BIID = %1 then raise exception 'document %1 is kept'; end if; return old; end $$")
                         .arg(biid));
            PELU_SQL(QStringLiteral("create trigger TR_KEEP before delete on N_B for each row execute function F_KEEP()"));
        }
    }

private slots:
    void initTestCase_data() { TestStore::addRows(); }
    void initTestCase()
    {
        m_ftpParts = qEnvironmentVariable("PELU_TEST_FTP").split(QLatin1Char(','));
        if (m_ftpParts.size() != 5) {
            const char *why = "PELU_TEST_FTP is not set (host,port,user,password,root; scripts/test-ftp.sh start)";
            if (qEnvironmentVariableIsSet("CI"))
                QFAIL(why);
            QSKIP(why);
        }
    }
    void init()
    {
        PELU_OPEN_TEST_STORE(m_store);
        shared().uiIniPath = m_store->folder() + QStringLiteral("/mavo120.ini");
        shared().orderA = QStringLiteral(" order by AIID");
        shared().orderB = QStringLiteral(" order by BIID");
        shared().user.rights.clear();
        for (const QString &r : kRights)
            shared().user.rights.insert(r, 1);
        const char *levels[5][2] = {{"AS07", "S"}, {"AI01", "I"}, {"AC03", "C"}, {"AC02", "C"}, {"AC01", "C"}};
        for (int i = 0; i < 5; ++i)
            shared().treeLevels[i] = {QLatin1String(levels[i][0]), QLatin1String(levels[i][1])};
        QVERIFY(QDir().mkpath(localRoot()));
        m_remote = std::make_unique<QTemporaryDir>(QDir(m_ftpParts.at(4)).filePath(QStringLiteral("d-XXXXXX")));
        QVERIFY(m_remote->isValid());
        m_ftp = std::make_unique<FtpClient>();
        configure(*m_ftp);
        QVERIFY2(m_ftp->connect(), qPrintable(m_ftp->lastError()));
        // Each store in its own edition: the network store keeps files on FTP.
        useStore(m_store->kind() == TestStore::SQLite ? AttachmentStore::Kind::Local : AttachmentStore::Kind::Ftp);
    }
    void cleanup()
    {
        m_ftp.reset();
        m_remote.reset();
        m_store.reset();
    }

    // "案卷记录删除": the volume with its documents, their lendings,
    // attachment rows and stored files; everything of other volumes stays.
    // The cursor goes to the following volume and shows its documents.
    void deleteVolume_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("next");
        QTest::newRow("with documents") << "甲卷" << "乙卷";
        QTest::newRow("without documents") << "丙卷" << "丁卷";
        QTest::newRow("the last row") << "丁卷" << "丙卷";
    }
    void deleteVolume()
    {
        QFETCH(QString, target);
        QFETCH(QString, next);
        buildWorld();
        const QHash<QString, qint64> keyOf = {{"甲卷", m_w.v1}, {"乙卷", m_w.v2}, {"丙卷", m_w.v3}, {"丁卷", m_w.v4}};
        const QStringList before = snapshot();
        auto w = openWindow();
        QVERIFY(w->Qry1().locate(QStringLiteral("AS01"), target));
        ScopedScriptedMessageBoxes boxes;
        w->action(QStringLiteral("actDel"))->trigger();
        QCOMPARE(texts(boxes), QStringList({kConfirmVolume, kDone}));
        QCOMPARE(boxes.shown.first().icon, MsgIcon::Question);
        QCOMPARE(boxes.shown.last().icon, MsgIcon::Information);
        QCOMPARE(snapshot(), without(before, {vol(keyOf.value(target))}));
        QCOMPARE(w->Qry1().recordCount(), 3);
        QVERIFY(!w->Qry1().locate(QStringLiteral("AIID"), keyOf.value(target))); // no move when not found
        QCOMPARE(w->Qry1().text(QStringLiteral("AS01")), next);
        const qint64 current = w->Qry1().value(QStringLiteral("AIID")).toLongLong();
        QCOMPARE(w->Qry2().recordCount(), sqlValue(QStringLiteral("select count(*) from N_B where AIID=%1").arg(current)));
        for (int pos = 0; pos < w->Qry2().recordCount(); ++pos)
            QCOMPARE(w->Qry2().valueAt(pos, w->Qry2().fieldIndex(QStringLiteral("AIID"))).toLongLong(), current);
    }

    // "批删": exactly the volumes the grid shows, one message however many.
    void batchDelete_data()
    {
        QTest::addColumn<QString>("editor"); // the query panel's condition
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("shown");
        QTest::newRow("two of four") << "dbedAI01" << "2024" << 2;
        QTest::newRow("one row") << "dbedAS01" << "甲" << 1;
        QTest::newRow("no condition") << "dbedAS01" << "" << 4;
    }
    void batchDelete()
    {
        QFETCH(QString, editor);
        QFETCH(QString, text);
        QFETCH(int, shown);
        buildWorld();
        const QStringList before = snapshot();
        auto w = openWindow();
        w->findChild<QLineEdit *>(editor)->setText(text);
        w->action(QStringLiteral("actDoQuery"))->trigger();
        QCOMPARE(w->Qry1().recordCount(), shown);
        QStringList gone;
        for (int pos = 0; pos < w->Qry1().recordCount(); ++pos)
            gone << vol(w->Qry1().valueAt(pos, w->Qry1().fieldIndex(QStringLiteral("AIID"))).toLongLong());
        ScopedScriptedMessageBoxes boxes;
        w->action(QStringLiteral("actBatchDel"))->trigger();
        QCOMPARE(texts(boxes), QStringList({kConfirmVolume, kDone}));
        QCOMPARE(snapshot(), without(before, gone));
        QVERIFY(w->Qry1().isOpen());
        QCOMPARE(w->Qry1().recordCount(), 0);
        QVERIFY(w->Qry2().isOpen());
        QCOMPARE(w->Qry2().recordCount(), 0);
    }

    // The batch in small chunks of keys: every chunk's volumes go, the
    // others stay, and a progress window that blocks the whole program
    // shows while it works.
    void batchInChunks_data()
    {
        QTest::addColumn<int>("chunk");
        QTest::addColumn<int>("threshold");
        QTest::addColumn<bool>("progress");
        QTest::newRow("one key per chunk, progress") << 1 << 1 << true;
        QTest::newRow("chunk boundary inside, progress") << 2 << 3 << true;
        QTest::newRow("one chunk, below threshold") << 500 << 5 << false;
    }
    void batchInChunks()
    {
        QFETCH(int, chunk);
        QFETCH(int, threshold);
        QFETCH(bool, progress);
        buildWorld();
        const qint64 v5 = addVolume(QStringLiteral("戊卷"), 2022);
        m_w.owned[vol(v5)] << QStringLiteral("N_A:%1").arg(v5);
        addDocument(v5, QStringLiteral("五"), 1, 1);
        const QStringList before = snapshot();
        auto w = openWindow();
        w->Qry1().open(w->baseSql() + QStringLiteral(" and AIID<>%1 order by AIID").arg(m_w.v2));
        QCOMPARE(w->Qry1().recordCount(), 4);
        AttachmentStore store = AttachmentStore::ofEdition(m_ftp.get());
        RecordDeletion deletion(w->Qry1(), w->Qry2(), w->Qry(), store, w.get());
        deletion.setChunkSize(chunk);
        deletion.setProgressThreshold(threshold);
        ScopedScriptedMessageBoxes boxes;
        ProgressWatch watch;
        QVERIFY(deletion.deleteAllVolumes());
        QCOMPARE(texts(boxes), QStringList({kConfirmVolume, kDone}));
        QCOMPARE(snapshot(), without(before, {vol(m_w.v1), vol(m_w.v3), vol(m_w.v4), vol(v5)}));
        QCOMPARE(watch.seen.size(), progress ? 1 : 0);
        if (progress) {
            QCOMPARE(watch.seen.first().modality, Qt::ApplicationModal);
            QVERIFY(!watch.seen.first().cancelButton);
            QVERIFY(!watch.seen.first().closed);
            QVERIFY(!watch.seen.first().escaped);
            QCOMPARE(watch.seen.first().maximum, 4);
        }
    }

    // "文件记录删除": the document with its lendings, attachment rows and
    // files; no message after the question; the next document is current.
    void deleteDocument_data()
    {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("next");
        QTest::newRow("first of two") << "一" << "二";
        QTest::newRow("last of two") << "二" << "一";
    }
    void deleteDocument()
    {
        QFETCH(QString, title);
        QFETCH(QString, next);
        buildWorld();
        const qint64 biid = title == QStringLiteral("一") ? m_w.d11 : m_w.d12;
        const QStringList before = snapshot();
        auto w = openWindow();
        QVERIFY(w->Qry1().locate(QStringLiteral("AIID"), m_w.v1));
        QVERIFY(w->Qry2().locate(QStringLiteral("BIID"), biid));
        ScopedScriptedMessageBoxes boxes;
        w->action(QStringLiteral("actDel2"))->trigger();
        QCOMPARE(texts(boxes), QStringList({kConfirmDocument}));
        QCOMPARE(snapshot(), without(before, {doc(biid)}));
        QCOMPARE(w->Qry2().recordCount(), 1);
        QCOMPARE(w->Qry2().text(QStringLiteral("BS03")), next);
        QCOMPARE(w->Qry1().recordCount(), 4); // the volume stays
        QCOMPARE(w->Qry1().value(QStringLiteral("AIID")).toLongLong(), m_w.v1);
    }

    // A question answered with Cancel changes nothing; a grid without rows
    // asks nothing.
    void nothingChanges_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("empty"); // the grid acted on has no rows
        QTest::addColumn<QString>("question");
        QTest::newRow("volume, cancelled") << "actDel" << false << kConfirmVolume;
        QTest::newRow("batch, cancelled") << "actBatchDel" << false << kConfirmVolume;
        QTest::newRow("document, cancelled") << "actDel2" << false << kConfirmDocument;
        QTest::newRow("volume, no rows") << "actDel" << true << QString();
        QTest::newRow("batch, no rows") << "actBatchDel" << true << QString();
        QTest::newRow("document, no rows") << "actDel2" << true << QString();
    }
    void nothingChanges()
    {
        QFETCH(QString, command);
        QFETCH(bool, empty);
        QFETCH(QString, question);
        buildWorld();
        const QStringList before = snapshot();
        auto w = openWindow();
        QVERIFY(w->Qry1().locate(QStringLiteral("AIID"), empty ? m_w.v3 : m_w.v1)); // 丙卷 has no documents
        if (empty && command != QLatin1String("actDel2"))
            w->Qry1().open(w->baseSql() + QStringLiteral(" and 1<>1"));
        const int volumes = w->Qry1().recordCount();
        const int documents = w->Qry2().recordCount();
        ScopedScriptedMessageBoxes boxes;
        boxes.defaultAnswer = MsgResultCancel;
        w->action(command)->trigger();
        QCOMPARE(texts(boxes), question.isEmpty() ? QStringList() : QStringList({question}));
        QCOMPARE(snapshot(), before);
        QCOMPARE(w->Qry1().recordCount(), volumes);
        QCOMPARE(w->Qry2().recordCount(), documents);
    }

    // A statement that fails in the middle: the error box, then every row
    // and every stored file as before, and the grids as before.
    void failureRollsBack_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<int>("chunk"); // batch in chunks of this many keys; 0: the window's command
        QTest::addColumn<QString>("refused"); // the document whose row the store refuses to delete
        QTest::newRow("volume") << "actDel" << 0 << "d12";
        QTest::newRow("batch") << "actBatchDel" << 0 << "d12";
        QTest::newRow("batch, failing in the last chunk") << "actBatchDel" << 1 << "d41";
        QTest::newRow("document") << "actDel2" << 0 << "d11";
    }
    void failureRollsBack()
    {
        QFETCH(QString, command);
        QFETCH(int, chunk);
        QFETCH(QString, refused);
        buildWorld();
        refuseDocumentDelete(refused == QLatin1String("d11") ? m_w.d11 : refused == QLatin1String("d12") ? m_w.d12 : m_w.d41);
        const QStringList before = snapshot();
        auto w = openWindow();
        QVERIFY(w->Qry1().locate(QStringLiteral("AIID"), m_w.v1));
        if (chunk)
            QVERIFY(w->Qry1().locate(QStringLiteral("AIID"), m_w.v2)); // the failing volume is not the current one
        const int volumes = w->Qry1().recordCount();
        const qint64 current = w->Qry1().value(QStringLiteral("AIID")).toLongLong();
        const int documents = w->Qry2().recordCount();
        ScopedScriptedMessageBoxes boxes;
        if (chunk) {
            AttachmentStore store = AttachmentStore::ofEdition(m_ftp.get());
            RecordDeletion deletion(w->Qry1(), w->Qry2(), w->Qry(), store, w.get());
            deletion.setChunkSize(chunk);
            QVERIFY(!deletion.deleteAllVolumes());
        } else {
            w->action(command)->trigger();
        }
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown.at(1).icon, MsgIcon::Critical);
        QVERIFY2(boxes.shown.at(1).text.contains(QStringLiteral("is kept")), qPrintable(boxes.shown.at(1).text));
        QCOMPARE(snapshot(), before);
        QCOMPARE(w->Qry1().recordCount(), volumes);
        QCOMPARE(w->Qry1().value(QStringLiteral("AIID")).toLongLong(), current);
        QCOMPARE(w->Qry2().recordCount(), documents);
    }

    // The FTP store cannot be reached: a message, nothing deleted.
    void ftpStoreNotReady_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("why");
        for (const char *command : {"actDel", "actBatchDel", "actDel2"}) {
            QTest::addRow("%s, server unreachable", command) << command << "unreachable";
            QTest::addRow("%s, directory missing", command) << command << "no directory";
        }
    }
    void ftpStoreNotReady()
    {
        QFETCH(QString, command);
        QFETCH(QString, why);
        useStore(AttachmentStore::Kind::Ftp);
        buildWorld();
        const QStringList before = snapshot();
        auto w = openWindow();
        if (why == QLatin1String("unreachable")) {
            m_ftp->quit();
            configure(*m_ftp, 1); // nothing listens on port 1 of the loopback
        } else {
            shared().attachRoot = remoteDir() + QStringLiteral("/missing");
        }
        QVERIFY(w->Qry1().locate(QStringLiteral("AIID"), m_w.v1));
        const int documents = w->Qry2().recordCount();
        ScopedScriptedMessageBoxes boxes;
        w->action(command)->trigger();
        QCOMPARE(boxes.shown.size(), 2);
        QCOMPARE(boxes.shown.at(1).icon, MsgIcon::Critical);
        QVERIFY2(boxes.shown.at(1).text.startsWith(QStringLiteral("附件服务器连接失败，记录未删除！\n")),
                 qPrintable(boxes.shown.at(1).text));
        QVERIFY(boxes.shown.at(1).text.size() > QStringLiteral("附件服务器连接失败，记录未删除！\n").size()); // and why
        QCOMPARE(snapshot(), before);
        QCOMPARE(w->Qry1().recordCount(), 4);
        QCOMPARE(w->Qry2().recordCount(), documents);
    }

    // Network edition with the FTP switch off: rows go, no file is touched
    // (neither on the server nor in a local folder).
    void ftpSwitchOff_data()
    {
        QTest::addColumn<QString>("command");
        QTest::newRow("volume") << "actDel";
        QTest::newRow("batch") << "actBatchDel";
        QTest::newRow("document") << "actDel2";
    }
    void ftpSwitchOff()
    {
        QFETCH(QString, command);
        useStore(AttachmentStore::Kind::Off);
        m_ftp->quit(); // a disconnected client is not asked to connect
        buildWorld();
        const QStringList before = snapshot();
        auto w = openWindow();
        QVERIFY(w->Qry1().locate(QStringLiteral("AIID"), m_w.v1));
        QVERIFY(w->Qry2().locate(QStringLiteral("BIID"), m_w.d11));
        QStringList gone{doc(m_w.d11)};
        if (command == QLatin1String("actDel"))
            gone = {vol(m_w.v1)};
        else if (command == QLatin1String("actBatchDel"))
            gone = {vol(m_w.v1), vol(m_w.v2), vol(m_w.v3), vol(m_w.v4)};
        QStringList expected = without(before, gone);
        for (const QString &item : before)
            if (item.startsWith(QLatin1String("local:")) || item.startsWith(QLatin1String("remote:")))
                if (!expected.contains(item))
                    expected << item;
        expected.sort();
        ScopedScriptedMessageBoxes boxes;
        w->action(command)->trigger();
        QCOMPARE(boxes.shown.size(), command == QLatin1String("actDel2") ? 1 : 2);
        QStringList after = snapshot();
        after.sort();
        QCOMPARE(after, expected);
        QVERIFY(!m_ftp->isConnected());
    }

    // A stored file that cannot be removed after the commit is named in a
    // warning; the records are gone, and so are the other files.
    void fileLeftAfterCommit()
    {
        useStore(AttachmentStore::Kind::Local);
        buildWorld();
        const QStringList before = snapshot();
        const qint64 stuck = sqlValue(QStringLiteral("select min(IID) from N_BIN where IFID=%1").arg(m_w.d12));
        QVERIFY(QFile::remove(localRoot() + QStringLiteral("/%1").arg(stuck)));
        QVERIFY(QDir().mkpath(localRoot() + QStringLiteral("/%1/inside").arg(stuck)));
        auto w = openWindow();
        QVERIFY(w->Qry1().locate(QStringLiteral("AIID"), m_w.v1));
        ScopedScriptedMessageBoxes boxes;
        w->action(QStringLiteral("actDel"))->trigger();
        QCOMPARE(boxes.shown.size(), 3);
        QCOMPARE(boxes.shown.at(1).icon, MsgIcon::Warning);
        QVERIFY2(boxes.shown.at(1).text.contains(QStringLiteral("\n%1\n").arg(stuck)), qPrintable(boxes.shown.at(1).text));
        QCOMPARE(boxes.shown.at(2).text, kDone);
        QStringList expected = without(before, {vol(m_w.v1)});
        expected << QStringLiteral("local:%1").arg(stuck);
        expected.sort();
        QStringList after = snapshot();
        after.sort();
        QCOMPARE(after, expected);
    }
};

QTEST_MAIN(TestRecordDeletion)
#include "tst_recorddeletion.moc"

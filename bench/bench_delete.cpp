// Batch deletion ("批删") of every demo volume with its documents, lendings
// and attachment rows (one or two per document, added here), through the
// deletion the main window runs, against the plain set-based deletes of the
// same rows in one transaction. Every timed run works on a fresh copy of the
// cached store (SQLite: a copy of the folder; PostgreSQL: a database made
// from pelu_bench_<N> as its template), so the cached stores stay as they are.
//
//   bench_delete [--sizes 10000] [--pg HOST,PORT | --no-pg] [--cache DIR] [--admin PATH]
//
// Environment: PELU_BENCH_SIZES, PELU_BENCH_PG, PELU_ADMIN.

#include "BenchStores.h"

#include "app/MessageBoxes.h"
#include "attach/AttachmentStore.h"
#include "browse/RecordDeletion.h"
#include "data/Connection.h"
#include "data/Dataset.h"
#include "data/SharedState.h"

#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QWidget>

#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 3;
const QString kCopyDb = QStringLiteral("pelu_bench_delete_run");

double seconds(const QElapsedTimer &t)
{
    return t.nsecsElapsed() / 1e9;
}

void exec(const QString &sql)
{
    QSqlQuery q(Connection::database());
    if (!q.exec(sql))
        throw SqlError(q.lastError().text() + QStringLiteral("\n") + sql);
}

void copyFolder(const QString &from, const QString &to)
{
    QDir().mkpath(to);
    QDirIterator it(from, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString target = to + path.mid(from.size());
        if (it.fileInfo().isDir())
            QDir().mkpath(target);
        else if (!QFile::copy(path, target))
            throw AppError(QStringLiteral("cannot copy %1").arg(path));
    }
}

struct Source {
    bool pg = false;
    QString folder;   // SQLite: the cached store's folder
    QString server;   // PostgreSQL: host,port
    QString template_; // PostgreSQL: the cached database
};

// A fresh copy of the store as the shared connection, with attachment rows.
// Returns what the run will remove.
struct Counts {
    qint64 volumes = 0, documents = 0, lendings = 0, attachments = 0;
};

Counts count()
{
    Counts c;
    c.volumes = scalar(QStringLiteral("select count(*) from N_A"));
    c.documents = scalar(QStringLiteral("select count(*) from N_B"));
    c.lendings = scalar(QStringLiteral("select count(*) from N_BBORROW"));
    c.attachments = scalar(QStringLiteral("select count(*) from N_BIN"));
    return c;
}

Counts freshCopy(const Source &s, QTemporaryDir &scratch)
{
    Connection::close();
    if (s.pg) {
        {
            QSqlDatabase admin = Connection::openPostgres(QStringLiteral("bench_delete_admin"), Connection::parseServer(s.server),
                                                          QStringLiteral("postgres"), QStringLiteral("postgres"), QString());
            QSqlQuery q(admin);
            if (!q.exec(QStringLiteral("drop database if exists ") + kCopyDb)
                || !q.exec(QStringLiteral("create database %1 template %2").arg(kCopyDb, s.template_)))
                throw SqlError(q.lastError().text());
            admin.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench_delete_admin"));
        shared().networkDbNameOverride = kCopyDb;
        Connection::openNetwork(s.server);
    } else {
        const QString folder = scratch.filePath(QStringLiteral("store"));
        QDir(folder).removeRecursively();
        copyFolder(s.folder, folder);
        shared().setEditionAndFolder(QStringLiteral("0"), folder);
        Connection::openSingleUser(folder);
    }
    // One attachment per document, a second one for every other document.
    exec(QStringLiteral("insert into N_BIN (IFID, SFILENAME, SFILEEXT) select BIID, 'scan' || BIID || '.jpg', '.jpg' from N_B"));
    exec(QStringLiteral("insert into N_BIN (IFID, SFILENAME, SFILEEXT) select BIID, 'page' || BIID || '.pdf', '.pdf' from N_B "
                        "where BIID % 2 = 0"));
    exec(s.pg ? QStringLiteral("analyze N_A, N_B, N_BIN, N_BBORROW") : QStringLiteral("analyze"));
    return count();
}

void requireEmpty()
{
    const Counts c = count();
    if (c.volumes || c.documents || c.lendings || c.attachments)
        throw AppError(QStringLiteral("rows left: %1 volumes, %2 documents, %3 lendings, %4 attachments")
                           .arg(c.volumes).arg(c.documents).arg(c.lendings).arg(c.attachments));
}

// The main window's command: the grid holds every volume, its first volume's
// documents are loaded; the store is a local folder (no file there, so each
// attachment costs one look at the disk).
double timeCommand(QTemporaryDir &scratch)
{
    Dataset volumes, documents, query;
    volumes.open(QStringLiteral("select *\nfrom N_A a where 1=1"));
    documents.open(QStringLiteral("select * from   N_B a where 1=1 and a.AIID=") + volumes.text(QStringLiteral("AIID")));
    const QString files = scratch.filePath(QStringLiteral("N_UPFILE"));
    QDir().mkpath(files);
    AttachmentStore store(AttachmentStore::Kind::Local, files);
    QWidget window;
    ScopedScriptedMessageBoxes boxes;
    RecordDeletion deletion(volumes, documents, query, store, &window);
    QElapsedTimer t;
    t.start();
    const bool done = deletion.deleteAllVolumes();
    const double s = seconds(t);
    if (!done || boxes.shown.size() != 2 || boxes.shown.last().text != RecordDeletion::doneText())
        throw AppError(QStringLiteral("the batch deletion did not complete: %1")
                           .arg(boxes.shown.isEmpty() ? QString() : boxes.shown.last().text));
    requireEmpty();
    return s;
}

// The same rows by four set-based statements in one transaction.
double timeBaseline()
{
    QSqlDatabase db = Connection::database();
    QElapsedTimer t;
    t.start();
    if (!db.transaction())
        throw SqlError(db.lastError().text());
    exec(QStringLiteral("delete from N_BBORROW where AIID in (select BIID from N_B where AIID in (select AIID from N_A))"));
    exec(QStringLiteral("delete from N_BIN where IFID in (select BIID from N_B where AIID in (select AIID from N_A))"));
    exec(QStringLiteral("delete from N_B where AIID in (select AIID from N_A)"));
    exec(QStringLiteral("delete from N_A"));
    if (!db.commit())
        throw SqlError(db.lastError().text());
    const double s = seconds(t);
    requireEmpty();
    return s;
}

bool measure(const Source &s)
{
    QTemporaryDir scratch;
    std::vector<double> command, baseline;
    Counts c;
    for (int run = 0; run < kRuns; ++run) {
        c = freshCopy(s, scratch);
        command.push_back(timeCommand(scratch));
        freshCopy(s, scratch);
        baseline.push_back(timeBaseline());
    }
    Connection::close();
    const double cm = median(command), bm = median(baseline), ratio = cm / bm;
    say(QStringLiteral("  removed per run: %1 volumes, %2 documents, %3 lendings, %4 attachment rows")
            .arg(c.volumes).arg(c.documents).arg(c.lendings).arg(c.attachments));
    say(QStringLiteral("  batch deletion: %1 s (median of %2); set-based deletes: %3 s; ratio %4 %5 (target <= 3)")
            .arg(cm, 0, 'f', 3)
            .arg(kRuns)
            .arg(bm, 0, 'f', 3)
            .arg(ratio, 0, 'f', 2)
            .arg(ratio <= 3 ? QStringLiteral("ok") : QStringLiteral("MISSED")));
    return ratio <= 3;
}

void dropCopy(const Source &s)
{
    Connection::close();
    try {
        {
            QSqlDatabase admin = Connection::openPostgres(QStringLiteral("bench_delete_admin"), Connection::parseServer(s.server),
                                                          QStringLiteral("postgres"), QStringLiteral("postgres"), QString());
            QSqlQuery(admin).exec(QStringLiteral("drop database if exists ") + kCopyDb);
            admin.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("bench_delete_admin"));
    } catch (const AppError &) {
    }
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    setBenchFont();

    BenchArguments parsed;
    if (!parseBenchArguments(app.arguments(), {10000}, {}, parsed))
        return 2;
    const BenchStoreOptions &stores = parsed.stores;
    const QList<qint64> &sizes = parsed.sizes;
    int failures = 0;
    for (const qint64 n : sizes) {
        for (const bool pg : {false, true}) {
            if (pg && stores.pg.isEmpty())
                continue;
            say(QStringLiteral("%1, %2 volumes").arg(pg ? QStringLiteral("PostgreSQL") : QStringLiteral("SQLite")).arg(n));
            Source s;
            s.pg = pg;
            try {
                if (pg) {
                    s.server = stores.pg;
                    s.template_ = openPostgresBenchStore(stores, n);
                } else {
                    s.folder = openSqliteBenchStore(stores, n);
                }
                if (!measure(s))
                    ++failures;
            } catch (const AppError &e) {
                say(QStringLiteral("  failed: %1").arg(e.message()));
                ++failures;
            }
            if (pg)
                dropCopy(s);
            Connection::close();
        }
    }
    return failures == 0 ? 0 : 1;
}

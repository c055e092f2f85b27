#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

// A fresh store made by the administration code for one test, opened as the
// shared connection: SQLite in a temporary folder (edition "0") or a new
// PostgreSQL database on the test server (edition "1").
//
// Test classes run every function on both stores with
//     void initTestCase_data() { TestStore::addRows(); }
//     void init() { PELU_OPEN_TEST_STORE(m_store); }
//     void cleanup() { m_store.reset(); }
class TestStore {
public:
    enum Kind { SQLite = 0, Postgres = 1 };

    explicit TestStore(Kind kind, bool openShared = true);
    ~TestStore();
    TestStore(const TestStore &) = delete;
    TestStore &operator=(const TestStore &) = delete;

    Kind kind() const { return m_kind; }
    QString folder() const { return m_dir.path(); } // the application folder
    QString server() const;                          // Postgres: "host,port"
    QString database() const { return m_database; }  // Postgres database name

    // "host,port" of the test PostgreSQL server (PELU_TEST_PG), empty when none.
    static QString pgServer();
    // Adds the global data rows "sqlite" and "postgres" (column "store").
    static void addRows();
    // Why a Postgres store cannot be made here; empty when it can.
    static QString pgUnavailableReason();

private:
    Kind m_kind;
    QTemporaryDir m_dir;
    QString m_database;
};

// Statements on the shared connection, for checking what a test did.
// sqlValue: the first column of the first row as an integer, -1 on failure.
int sqlValue(const QString &sql);
bool sqlExec(const QString &sql);
#define PELU_SQL(sql) QVERIFY2(sqlExec(sql), qPrintable(QString(sql)))

// Opens the store of the current global data row into a std::unique_ptr<TestStore>.
// Without a test server a Postgres row fails in CI and is skipped elsewhere.
#define PELU_OPEN_TEST_STORE(ptr)                                                                    \
    do {                                                                                             \
        QFETCH_GLOBAL(int, store);                                                                   \
        if (store == TestStore::Postgres && !TestStore::pgUnavailableReason().isEmpty()) {           \
            if (qEnvironmentVariableIsSet("CI"))                                                     \
                QFAIL(qPrintable(TestStore::pgUnavailableReason()));                                 \
            QSKIP(qPrintable(TestStore::pgUnavailableReason()));                                     \
        }                                                                                            \
        ptr = std::make_unique<TestStore>(TestStore::Kind(store));                                   \
    } while (0)

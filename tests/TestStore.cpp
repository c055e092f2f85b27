#include "TestStore.h"

#include "data/Connection.h"
#include "data/SharedState.h"
#include "data/StoreBuilder.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QSqlQuery>
#include <QTest>

namespace {
QAtomicInt g_counter;
}

QString TestStore::pgServer()
{
    return qEnvironmentVariable("PELU_TEST_PG");
}

QString TestStore::pgUnavailableReason()
{
    if (pgServer().isEmpty())
        return QStringLiteral("PELU_TEST_PG is not set: no PostgreSQL test server");
    return {};
}

void TestStore::addRows()
{
    QTest::addColumn<int>("store");
    QTest::newRow("sqlite") << int(SQLite);
    QTest::newRow("postgres") << int(Postgres);
}

TestStore::TestStore(Kind kind, bool openShared) : m_kind(kind)
{
    Connection::close();
    SharedState &st = shared();
    st = SharedState();
    if (kind == SQLite) {
        StoreBuilder::initSingleUser(folder());
        st.setEditionAndFolder(QStringLiteral("0"), folder());
        if (openShared)
            Connection::openSingleUser(folder());
    } else {
        m_database = QStringLiteral("pelu_t%1_%2").arg(QCoreApplication::applicationPid()).arg(g_counter.fetchAndAddRelaxed(1));
        StoreBuilder::NetworkTarget t;
        t.server = server();
        t.database = m_database;
        StoreBuilder::initNetwork(t);
        st.setEditionAndFolder(QStringLiteral("1"), folder());
        st.networkDbNameOverride = m_database;
        if (openShared)
            Connection::openNetwork(server());
    }
}

TestStore::~TestStore()
{
    Connection::close();
    if (m_kind == Postgres) {
        StoreBuilder::NetworkTarget t;
        t.server = server();
        t.database = m_database;
        try {
            StoreBuilder::dropNetwork(t);
        } catch (...) {
        }
    }
    shared() = SharedState();
}

QString TestStore::server() const
{
    return pgServer();
}

int sqlValue(const QString &sql)
{
    QSqlQuery q(Connection::database());
    if (!q.exec(sql) || !q.next())
        return -1;
    return q.value(0).toInt();
}

bool sqlExec(const QString &sql)
{
    QSqlQuery q(Connection::database());
    return q.exec(sql);
}

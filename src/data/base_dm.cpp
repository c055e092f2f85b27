#include "data/base_dm.h"

#include "app/IniFile.h"
#include "app/MessageBoxes.h"
#include "app/SettingsCipher.h"
#include "app/SqlHelpers.h"
#include "attach/FtpClient.h"
#include "data/Connection.h"
#include "data/Dataset.h"
#include "data/Schema.h"
#include "data/SharedState.h"


namespace {
Tfrm_base_dm *g_instance = nullptr;
}

Tfrm_base_dm *frm_base_dm()
{
    return g_instance;
}

Tfrm_base_dm::Tfrm_base_dm(ServerAsker askServer, QObject *parent)
    : QObject(parent), m_askServer(std::move(askServer)), m_qry(std::make_unique<Dataset>()),
      m_ftp(std::make_unique<FtpClient>())
{
    m_qry->setObjectName(QStringLiteral("Qry"));
    g_instance = this;
    DataModuleCreate();
}

Tfrm_base_dm::~Tfrm_base_dm()
{
    if (g_instance == this)
        g_instance = nullptr;
    m_qry.reset();
    if (m_ftp->isConnected())
        m_ftp->quit();
    Connection::close();
}

QString Tfrm_base_dm::clientConfigPath()
{
    return shared().appDir + QStringLiteral("/CliCfg.ini");
}

void Tfrm_base_dm::DataModuleCreate()
{
    // Edition, application folder and the paths derived from them are set
    // by the caller (the start-up, or a test).
    SharedState &st = shared();

    // A failure the steps do not handle themselves ends the start-up here, as
    // a failed connection does; the login then reports its own failures.
    RunCommand([&] {
        if (!openDatabase())
            return;
        st.attachRoot = st.edition == QLatin1String("0") ? st.appDir + QStringLiteral("/N_UPFILE")
                                                          : QStringLiteral("/N_UPFILE");
        reloadOrderClauses();
        reloadTreeLevels();
        reloadCaptions(QStringLiteral("N_A"));
        reloadCaptions(QStringLiteral("N_B"));

        st.sysFontName = readOrInsertSetting(QStringLiteral("SYSFONTNAME"), QStringLiteral("宋体"),
                                             QStringLiteral("'宋体'"));
        const QString size = readOrInsertSetting(QStringLiteral("SYSFONTSIZE"), QStringLiteral("10"),
                                                 QStringLiteral("10"));
        bool ok = false;
        const int points = size.trimmed().toInt(&ok);
        if (!ok)
            throw ConvertError(QStringLiteral("“%1”不是有效的整数值").arg(size));
        st.sysFontSize = points;

        st.sysTitle = readOrInsertSetting(QStringLiteral("N_SYS"), QStringLiteral("澜图科技档案管理系统V12.0"),
                                          QStringLiteral("'澜图科技档案管理系统V12.0'"));
        st.modName = readOrInsertSetting(QStringLiteral("N_MOD"), QStringLiteral("科技档案管理"),
                                         QStringLiteral("'科技档案管理'"));

        static const char *const slotDefaults[8] = {"卷内目录一打印", "卷内目录二打印", "案卷封面打印", "一维码打印",
                                                    "二维码打印", "", "", ""};
        for (int i = 0; i < 8; ++i) {
            const QString value = QString::fromUtf8(slotDefaults[i]);
            st.printNames[i] = readOrInsertSetting(QStringLiteral("N_PRINT%1").arg(i + 1), value,
                                                   QLatin1Char('\'') + value + QLatin1Char('\''));
        }
    });
}

bool Tfrm_base_dm::openDatabase()
{
    SharedState &st = shared();
    if (st.edition == QLatin1String("0")) {
        Connection::openSingleUser(st.appDir); // throws: the default error box, remaining steps skipped
        return true;
    }

    const IniFile ini(clientConfigPath());
    const QString server = ini.readString(QStringLiteral("Database"), QStringLiteral("ServerName"), defaultServer());
    st.ftpServer = ini.readString(QStringLiteral("FTP"), QStringLiteral("ServerName"), defaultServer());
    try {
        Connection::openNetwork(server);
    } catch (const AppError &) {
        QString next;
        if (!m_askServer || !m_askServer(server, next)) {
            m_terminate = true;
            return false;
        }
        try {
            Connection::openNetwork(next);
        } catch (const AppError &e) {
            ShowApplicationError(e.message());
            m_terminate = true;
            return false;
        }
    }
    startFtp();
    return true;
}

void Tfrm_base_dm::startFtp()
{
    SharedState &st = shared();
    if (!OpenSql(*m_qry, QStringLiteral("select sname,svalue from s_set")))
        return;
    QString port, user, password;
    const int nameCol = m_qry->fieldIndex(QStringLiteral("sname"));
    const int valueCol = m_qry->fieldIndex(QStringLiteral("svalue"));
    for (int pos = 0; pos < m_qry->recordCount(); ++pos) {
        const QString name = m_qry->textAt(pos, nameCol);
        const QString value = m_qry->textAt(pos, valueCol);
        if (name == QLatin1String("FTPENABLED")) {
            st.ftpEnabled = value;
            if (value != QLatin1String("1"))
                return;
        } else if (name == QLatin1String("FTPPORT")) {
            port = value;
        } else if (name == QLatin1String("FTPUSERNAME")) {
            user = value;
        } else if (name == QLatin1String("FTPPASSWORD")) {
            password = value;
        }
    }
    m_ftp->setHost(st.ftpServer);
    m_ftp->setPort(port.trimmed().toInt());
    m_ftp->setReadTimeout(10000);
    m_ftp->setUser(user);
    try {
        m_ftp->setPassword(DecodeSetting(password));
    } catch (const AppError &) {
        return; // an unreadable password cannot log in; the client stays disconnected
    }
    m_ftp->setPassive(true);
    // A failed connect is silent: the attachment commands test the connection.
    m_ftp->connect();
}

QString Tfrm_base_dm::readOrInsertSetting(const QString &name, const QString &defaultValue, const QString &insertValue)
{
    if (!OpenSql(*m_qry, QStringLiteral("select SVALUE from S_SET where SNAME='") + name + QLatin1Char('\'')))
        return defaultValue;
    if (!m_qry->isEmpty())
        return m_qry->text(QStringLiteral("SVALUE"));
    ExecSql(*m_qry, QStringLiteral("insert into S_SET(SNAME,SVALUE) VALUES('") + name + QStringLiteral("',")
                        + insertValue + QLatin1Char(')'));
    return defaultValue;
}

void Tfrm_base_dm::reloadOrderClauses()
{
    SharedState &st = shared();
    st.orderA = BuildOrderClause(*m_qry, QStringLiteral("N_A"));
    st.orderB = BuildOrderClause(*m_qry, QStringLiteral("N_B"));
    st.orderAB = BuildOrderClause(*m_qry, QStringLiteral("N_AB"));
}

void Tfrm_base_dm::reloadTreeLevels()
{
    // At start-up nothing of an earlier store is kept.
    for (TreeLevel &level : shared().treeLevels)
        level = TreeLevel();
    readTreeLevels(*m_qry, QStringLiteral("select a.INO,a.SFIELD,b.SFIELDTYPE from S_TREE a, S_FIELD b where "
                                          "a.SFIELD=b.SFIELD and a.STABLE='N_A' and b.stable='N_A'"));
}

bool Tfrm_base_dm::readTreeLevels(Dataset &query, const QString &sql)
{
    TreeLevel(&levels)[5] = shared().treeLevels;
    for (TreeLevel &level : levels)
        level.field.clear();
    if (!OpenSql(query, sql))
        return false;
    const int noCol = query.fieldIndex(QStringLiteral("INO"));
    const int fieldCol = query.fieldIndex(QStringLiteral("SFIELD"));
    const int typeCol = query.fieldIndex(QStringLiteral("SFIELDTYPE"));
    for (int pos = 0; pos < query.recordCount(); ++pos) {
        const QString no = query.textAt(pos, noCol);
        if (no.size() != 1 || no.at(0) < QLatin1Char('1') || no.at(0) > QLatin1Char('5'))
            continue;
        TreeLevel &level = levels[no.at(0).unicode() - '1'];
        level.field = query.textAt(pos, fieldCol);
        level.type = query.textAt(pos, typeCol);
    }
    return true;
}

void Tfrm_base_dm::reloadCaptions(const QString &tableKey)
{
    readCaptions(*m_qry, tableKey);
}

bool Tfrm_base_dm::readCaptions(Dataset &query, const QString &tableKey)
{
    const QChar letter = tableKey.endsWith(QLatin1Char('B'), Qt::CaseInsensitive) ? QLatin1Char('B') : QLatin1Char('A');
    const QStringList codes = Schema::fieldCodes(letter);
    if (!OpenSql(query, QStringLiteral("select SFIELD,SFIELDNAME1 from S_FIELD where stable='") + tableKey
                            + QLatin1Char('\'')))
        return false;
    SharedState &st = shared();
    for (const QString &code : codes)
        st.captions.remove(code);
    const int fieldCol = query.fieldIndex(QStringLiteral("SFIELD"));
    const int nameCol = query.fieldIndex(QStringLiteral("SFIELDNAME1"));
    for (int pos = 0; pos < query.recordCount(); ++pos) {
        const QString code = query.textAt(pos, fieldCol);
        if (codes.contains(code))
            st.captions.insert(code, query.textAt(pos, nameCol));
    }
    return true;
}

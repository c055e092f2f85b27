#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class Dataset;
class FtpClient;

// The data module: created first at start-up, it opens the one connection of
// the edition, connects the FTP client in the network edition and fills the
// shared state (paths, sort clauses, tree levels, field captions, system font,
// title, module name, report slot names), inserting settings rows that are
// missing but never overwriting one.
class Tfrm_base_dm : public QObject {
    Q_OBJECT
public:
    // Asks the user for the database server after a failed connection: gets the
    // server that failed, gives the one to try next; false when refused.
    using ServerAsker = std::function<bool(const QString &current, QString &server)>;

    // Runs the start-up sequence (DataModuleCreate). askServer may be empty:
    // then a failed network connection ends the program.
    explicit Tfrm_base_dm(ServerAsker askServer = {}, QObject *parent = nullptr);
    ~Tfrm_base_dm() override;

    // True when the start-up asked the program to end (network store
    // unreachable and the server dialog refused or the retry failed).
    bool terminateRequested() const { return m_terminate; }

    Dataset &Qry() { return *m_qry; }
    FtpClient &idftp() { return *m_ftp; }

    // The fixed default server of CliCfg.ini: this machine.
    static QString defaultServer() { return QStringLiteral("127.0.0.1"); }
    static QString clientConfigPath();

    // Re-reads the cached captions of one table key ("N_A" or "N_B").
    void reloadCaptions(const QString &tableKey);
    // The same on any query, for windows that run without the data module
    // (tests). A failed read is shown and leaves the cache as it was: false.
    static bool readCaptions(Dataset &query, const QString &tableKey);
    // Re-reads the five tree levels.
    void reloadTreeLevels();
    // Sets the field codes and types of the five tree levels from sql's rows
    // (INO "1".."5", SFIELD, SFIELDTYPE); the field of a level without a row
    // is emptied, its type kept. False when the statement failed (shown).
    static bool readTreeLevels(Dataset &query, const QString &sql);
    // Re-reads the three sort clauses.
    void reloadOrderClauses();

private:
    void DataModuleCreate();
    bool openDatabase();
    void startFtp();
    QString readOrInsertSetting(const QString &name, const QString &defaultValue, const QString &insertValue);

    ServerAsker m_askServer;
    std::unique_ptr<Dataset> m_qry;
    std::unique_ptr<FtpClient> m_ftp;
    bool m_terminate = false;
};

// The one data module of the process, while it exists.
Tfrm_base_dm *frm_base_dm();

#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The process-wide values that the data module and the login fill and every
// window reads instead of querying them again.

struct TreeLevel {
    QString field; // field code, empty when the level is not set
    QString type;  // type letter of the field code
};

struct CurrentUser {
    QString id;       // SUSERID
    QString name;     // SUSERNAME
    QString password; // SPASSWORD
    QHash<QString, int> rights; // right column (upper case, e.g. "IRADD") -> value
    bool hasRight(const QString &column) const { return rights.value(column.toUpper()) == 1; }
};

struct SharedState {
    QString edition;        // "0" single-user, "1" network
    QString appDir;         // folder of the executable, no trailing separator
    QString helpDocPath;    // appDir + "/mavo120.doc"
    QString uiIniPath;      // appDir + "/mavo120.ini"
    QString ftpServer;      // network edition: CliCfg.ini [FTP] ServerName
    QString ftpEnabled;     // network edition: S_SET FTPENABLED
    QString attachRoot;     // appDir + "/N_UPFILE" or "/N_UPFILE" on the FTP server
    QString orderA, orderB, orderAB; // sort clauses
    TreeLevel treeLevels[5];
    QHash<QString, QString> captions; // field code (upper case) -> SFIELDNAME1
    QString sysFontName;
    int sysFontSize = 0;
    QString sysTitle;
    QString modName;
    QString printNames[8];
    CurrentUser user;

    // Test-only: keeps parallel tests apart; the program always uses "pelu100".
    QString networkDbNameOverride;

    bool isNetwork() const { return edition == QLatin1String("1"); }
    QString caption(const QString &fieldCode) const { return captions.value(fieldCode.toUpper()); }
    QString networkDbName() const;

    // Sets edition and application folder and the paths derived from them.
    void setEditionAndFolder(const QString &edition, const QString &appDir);
};

SharedState &shared();

// The edition this program was built for (the PELU_EDITION build setting).
QString buildEdition();

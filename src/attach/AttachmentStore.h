#pragma once

#include <QList>
#include <QString>

#include <functional>

class FtpClient;

// The attachment store: one file per N_BIN row, named by the row's decimal
// IID without extension. Where the files are depends on the edition: a local
// folder (single-user), a directory on the FTP server (network, FTP switch
// on), or nowhere (network, FTP switch off: rows change, files never move).
// Neither the folder nor the remote directory is created here.
//
// A light value object: it borrows the FTP client (the data module's, shared
// by the whole program) and holds nothing but the last error.
class AttachmentStore {
public:
    enum class Kind {
        Local, // files in a folder of this machine
        Ftp,   // files in a directory of the FTP server
        Off,   // no files are stored, fetched or removed
    };

    AttachmentStore(Kind kind, const QString &root, FtpClient *ftp = nullptr);
    // The store of the running edition from the shared state: edition "0"
    // local under attachRoot; "1" (and "2") the FTP directory attachRoot when
    // ftpEnabled is "1", otherwise Off. ftp may be null: an FTP store
    // without a client is never ready.
    static AttachmentStore ofEdition(FtpClient *ftp);

    Kind kind() const { return m_kind; }
    QString root() const { return m_root; }
    FtpClient *ftp() const { return m_ftp; }
    bool movesFiles() const { return m_kind != Kind::Off; }

    // The name a row's file is stored under: its IID in decimal.
    static QString storedName(qint64 iid);
    // Local store: root + "/" + stored name; empty for the other kinds.
    QString localPath(qint64 iid) const;

    // Whether files can move now. FTP: the client is connected (one connect
    // is tried when it is not) and the root directory can be entered, which
    // then is the current one. Local and Off: always.
    bool ensureReady();

    // Whether the stored file exists. *ok is false when that could not be
    // told (the FTP request failed; an Off store knows no files).
    bool exists(qint64 iid, bool *ok = nullptr);

    // The removal rule. Local: delete the file; a missing one is no error.
    // FTP: in the root directory, delete the stored name when its size is not
    // -1. Off: touch nothing. False when a file may still be there.
    bool remove(qint64 iid);
    // The rule for many rows at once: gives those whose files may still be
    // there (lastError() says why for the last of them). progress, when
    // given, hears how many are done now and then.
    QList<qint64> remove(const QList<qint64> &iids, const std::function<void(int done)> &progress = {});

    // Stores localFile under iid, replacing an earlier file of that name.
    // Off: nothing is stored, and that is no failure.
    bool put(const QString &localFile, qint64 iid);
    // Copies the stored file to localPath, replacing it; an existing
    // localPath is kept when the copy fails. Off: always a failure.
    bool fetch(qint64 iid, const QString &localPath);

    // Why the last operation failed, in Chinese; empty after a success.
    QString lastError() const { return m_lastError; }

private:
    bool enterRoot();
    bool fail(const QString &text);

    Kind m_kind;
    QString m_root;
    FtpClient *m_ftp;
    QString m_lastError;
};

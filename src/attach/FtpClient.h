#pragma once

#include <QString>

#include <memory>

// The FTP client of the attachment store (network edition), over libcurl.
//
// One session keeps one control connection open between requests; when the
// server has dropped it (idle time-out) the next request logs in again by
// itself. No operation throws: each returns false (size: -1) and leaves a
// Chinese sentence in lastError(). lastError() is cleared when an operation
// starts. Not thread-safe: one operation at a time, as the program uses it.
//
// Remote names are paths: "/N_UPFILE" is absolute, anything else is relative to
// currentDir(). They travel as UTF-8. Names with control characters are refused.
class FtpClient {
public:
    FtpClient();
    ~FtpClient(); // ends the session (QUIT) when connected
    FtpClient(const FtpClient &) = delete;
    FtpClient &operator=(const FtpClient &) = delete;

    // Server, user, password and passive mode take effect at the next
    // connect(); the time-outs and the rate limit at the next request.
    QString host() const { return m_host; }
    void setHost(const QString &host) { m_host = host; }
    int port() const { return m_port; }
    void setPort(int port) { m_port = port; }
    QString user() const { return m_user; }
    void setUser(const QString &user) { m_user = user; }
    QString password() const { return m_password; }
    void setPassword(const QString &password) { m_password = password; }
    // Milliseconds; 0 = none. Limits the wait for the server to connect and to
    // answer a command, and a transfer that moves nothing for this long; a
    // transfer that keeps moving is never cut off, however long it takes.
    int readTimeout() const { return m_readTimeout; }
    void setReadTimeout(int ms) { m_readTimeout = ms < 0 ? 0 : ms; }
    bool passive() const { return m_passive; }
    void setPassive(bool passive) { m_passive = passive; }
    // Bytes per second for uploads and downloads; 0 = unlimited.
    qint64 transferRateLimit() const { return m_rateLimit; }
    void setTransferRateLimit(qint64 bytesPerSecond) { m_rateLimit = bytesPerSecond < 0 ? 0 : bytesPerSecond; }

    // Opens a session and logs in. An open session is ended first. On success
    // the current directory is the one the server put us in after login.
    bool connect();
    // True after a successful login until quit(), or until a request finds the
    // server unreachable or the login refused.
    bool isConnected() const { return m_connected; }
    // Ends the session (QUIT) if there is one. Always leaves isConnected() false.
    void quit();

    // Makes dir the current directory after checking on the server that it can
    // be entered; false (current directory unchanged) when it cannot.
    bool changeDir(const QString &dir);
    QString currentDir() const { return m_dir; }

    // Size in bytes, or -1 when the server gives none (no 213 reply to SIZE:
    // a missing file, a directory). -1 also when the request itself failed;
    // then *ok is set false. *ok is true whenever the server answered.
    qint64 size(const QString &name, bool *ok = nullptr);
    // Uploads localPath as remoteName: replacing it, or appending to it (and
    // creating it when missing) in append mode.
    bool put(const QString &localPath, const QString &remoteName, bool append = false);
    // Downloads remoteName to localPath from its first byte. The file arrives
    // under a temporary name beside localPath and replaces it only when
    // complete, so a failed download leaves an existing local file untouched.
    // Without overwrite, an existing localPath is an error and stays as it is.
    bool get(const QString &remoteName, const QString &localPath, bool overwrite = true);
    // Deletes the remote file (DELE).
    bool remove(const QString &name);

    QString lastError() const { return m_lastError; }

private:
    struct Session;
    struct Request;

    bool ready();
    bool perform(Request &request);
    QString absolutePath(const QString &path) const;
    QByteArray url(const QString &absolutePath, bool directory) const;
    bool checkName(const QString &name);
    void fail(const QString &what, const QString &why);

    QString m_host = QStringLiteral("127.0.0.1");
    int m_port = 21;
    QString m_user = QStringLiteral("QRTVMOXE");
    QString m_password = QStringLiteral("zubkevar");
    int m_readTimeout = 0;
    bool m_passive = true;
    qint64 m_rateLimit = 0;

    std::unique_ptr<Session> m_session;
    bool m_connected = false;
    QString m_dir = QStringLiteral("/");
    QString m_lastError;
};

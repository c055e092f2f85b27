#include "attach/FtpClient.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QSaveFile>
#include <QStringList>
#include <QUrl>

#include <curl/curl.h>

#include <algorithm>
#include <utility>

namespace {

bool globalInit()
{
    // Once per process, and safe if two clients start on different threads.
    static const CURLcode code = curl_global_init(CURL_GLOBAL_DEFAULT);
    return code == CURLE_OK;
}

size_t discard(char *, size_t size, size_t count, void *)
{
    return size * count;
}

size_t readFromFile(char *buffer, size_t size, size_t count, void *file)
{
    const qint64 n = static_cast<QFile *>(file)->read(buffer, qint64(size * count));
    return n < 0 ? CURL_READFUNC_ABORT : size_t(n);
}

size_t writeToFile(char *data, size_t size, size_t count, void *file)
{
    const qint64 n = static_cast<QSaveFile *>(file)->write(data, qint64(size * count));
    return n < 0 ? 0 : size_t(n); // a short count makes curl stop with a write error
}

// Errors after which there is no session left to use.
bool losesSession(CURLcode code)
{
    return code == CURLE_COULDNT_RESOLVE_HOST || code == CURLE_COULDNT_CONNECT || code == CURLE_LOGIN_DENIED;
}

QString reason(CURLcode code)
{
    switch (code) {
    case CURLE_LOGIN_DENIED:
        return QStringLiteral("用户名或密码错误");
    case CURLE_COULDNT_RESOLVE_HOST:
        return QStringLiteral("找不到服务器");
    case CURLE_COULDNT_CONNECT:
        return QStringLiteral("无法连接服务器");
    case CURLE_OPERATION_TIMEDOUT:
        return QStringLiteral("服务器响应超时");
    case CURLE_REMOTE_ACCESS_DENIED:
        return QStringLiteral("目录不存在或无权访问");
    case CURLE_REMOTE_FILE_NOT_FOUND:
        return QStringLiteral("文件不存在");
    case CURLE_QUOTE_ERROR:
        return QStringLiteral("服务器拒绝了该操作");
    case CURLE_UPLOAD_FAILED:
        return QStringLiteral("服务器拒绝接收文件");
    case CURLE_READ_ERROR:
    case CURLE_ABORTED_BY_CALLBACK:
        return QStringLiteral("读取本地文件出错");
    case CURLE_WRITE_ERROR:
        return QStringLiteral("写入本地文件出错");
    case CURLE_URL_MALFORMAT:
        return QStringLiteral("服务器地址或文件名无效");
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return QStringLiteral("传输中断");
    default:
        return QStringLiteral("FTP操作出错");
    }
}

QString explain(CURLcode code, const QString &detail)
{
    return reason(code) + QStringLiteral("（") + detail + QStringLiteral("）");
}

// "/a/./b/../c/" -> "/a/c"; ".." never climbs above the root.
QStringList segmentsOf(const QString &absolutePath)
{
    QStringList out;
    const QStringList parts = absolutePath.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    for (const QString &part : parts) {
        if (part == QLatin1String("."))
            continue;
        if (part == QLatin1String("..")) {
            if (!out.isEmpty())
                out.removeLast();
            continue;
        }
        out << part;
    }
    return out;
}

} // namespace

// The multi handle owns the connection cache, so the control connection lives
// as long as the session; the easy handle carries one request at a time.
struct FtpClient::Session {
    CURLM *multi = nullptr;
    CURL *curl = nullptr;
    char errorBuffer[CURL_ERROR_SIZE] = {};
    // Fixed at connect(): the whole session talks to one server as one user.
    QByteArray server; // "ftp://host:port"
    QByteArray user;
    QByteArray password;
    bool passive = true;

    Session() : multi(curl_multi_init()), curl(curl_easy_init()) {}
    ~Session()
    {
        if (curl)
            curl_easy_cleanup(curl);
        // Closing the cached control connection sends QUIT.
        if (multi)
            curl_multi_cleanup(multi);
    }
    bool valid() const { return multi && curl; }

    CURLcode run()
    {
        if (curl_multi_add_handle(multi, curl) != CURLM_OK)
            return CURLE_FAILED_INIT;
        CURLcode code = CURLE_OK;
        int running = 1;
        while (running) {
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                code = CURLE_FAILED_INIT;
                break;
            }
            // A short wait: when the data connection is still to be opened,
            // curl may have no socket to wait on and would otherwise sleep
            // through its whole poll interval before opening it.
            if (running && curl_multi_poll(multi, nullptr, 0, 20, nullptr) != CURLM_OK) {
                code = CURLE_FAILED_INIT;
                break;
            }
        }
        int left = 0;
        while (CURLMsg *message = curl_multi_info_read(multi, &left)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == curl)
                code = message->data.result;
        }
        curl_multi_remove_handle(multi, curl);
        return code;
    }
};

struct FtpClient::Request {
    QString path;                  // absolute; empty: the login request
    bool directory = false;
    bool noBody = false;
    bool append = false;
    QFile *source = nullptr;       // upload from
    QSaveFile *target = nullptr;   // download to
    QList<QByteArray> afterwards;  // commands sent after the transfer, in the URL's directory

    CURLcode code = CURLE_OK;
    QString detail;                // curl's own words, for lastError()
};

FtpClient::FtpClient() = default;

FtpClient::~FtpClient() = default;

bool FtpClient::connect()
{
    quit();
    m_lastError.clear();
    const QString what = QStringLiteral("连接FTP服务器%1:%2失败").arg(m_host).arg(m_port);
    if (m_host.trimmed().isEmpty()) {
        fail(what, QStringLiteral("未设置服务器地址"));
        return false;
    }
    // These would change the meaning of the URL (a user part, a path, ...).
    const QString host = m_host.trimmed();
    if (std::any_of(host.cbegin(), host.cend(), [](QChar c) {
            return c.isSpace() || c == QLatin1Char('/') || c == QLatin1Char('@') || c == QLatin1Char('?')
                || c == QLatin1Char('#') || c == QLatin1Char('\\') || c.unicode() < 0x20;
        })) {
        fail(what, QStringLiteral("服务器地址无效"));
        return false;
    }
    if (m_port < 1 || m_port > 65535) {
        fail(what, QStringLiteral("端口无效"));
        return false;
    }
    if (!globalInit()) {
        fail(what, QStringLiteral("网络组件初始化失败"));
        return false;
    }
    m_session = std::make_unique<Session>();
    if (!m_session->valid()) {
        m_session.reset();
        fail(what, QStringLiteral("网络组件初始化失败"));
        return false;
    }
    QByteArray hostPart = host.toUtf8();
    if (hostPart.contains(':') && !hostPart.startsWith('['))
        hostPart = '[' + hostPart + ']'; // IPv6 literal
    m_session->server = QByteArrayLiteral("ftp://") + hostPart + ':' + QByteArray::number(m_port);
    m_session->user = m_user.toUtf8();
    m_session->password = m_password.toUtf8();
    m_session->passive = m_passive;

    // A request without a path and without a transfer: log in and PWD only.
    Request login;
    login.noBody = true;
    if (!perform(login)) {
        m_session.reset();
        fail(what, explain(login.code, login.detail));
        return false;
    }
    char *entry = nullptr;
    curl_easy_getinfo(m_session->curl, CURLINFO_FTP_ENTRY_PATH, &entry);
    const QString entryPath = entry ? QString::fromUtf8(entry) : QString();
    m_dir = entryPath.startsWith(QLatin1Char('/')) ? absolutePath(entryPath) : QStringLiteral("/");
    m_connected = true;
    return true;
}

void FtpClient::quit()
{
    m_session.reset();
    m_connected = false;
    m_dir = QStringLiteral("/");
}

bool FtpClient::changeDir(const QString &dir)
{
    m_lastError.clear();
    if (!ready() || !checkName(dir))
        return false;
    const QString target = absolutePath(dir);
    Request request;
    request.noBody = true;
    request.path = target;
    request.directory = true;
    // curl skips its own CWD commands when the directory is the one of its
    // previous request, so ask the server once more in any case. A refusal
    // leaves the server where curl believes it is.
    request.afterwards << QByteArrayLiteral("CWD ") + target.toUtf8();
    if (!perform(request)) {
        const CURLcode code = request.code == CURLE_QUOTE_ERROR ? CURLE_REMOTE_ACCESS_DENIED : request.code;
        fail(QStringLiteral("进入FTP目录“%1”失败").arg(target),
             explain(code, request.detail));
        return false;
    }
    m_dir = target;
    return true;
}

qint64 FtpClient::size(const QString &name, bool *ok)
{
    if (ok)
        *ok = false;
    m_lastError.clear();
    if (!ready() || !checkName(name))
        return -1;
    const QString path = absolutePath(name);
    Request request;
    request.path = path;
    request.noBody = true;
    if (!perform(request)) {
        // A 550 to SIZE is the server's answer "no such file", not a failure.
        if (ok && request.code == CURLE_REMOTE_FILE_NOT_FOUND)
            *ok = true;
        fail(QStringLiteral("读取FTP文件“%1”的大小失败").arg(path),
             explain(request.code, request.detail));
        return -1;
    }
    if (ok)
        *ok = true;
    curl_off_t length = -1;
    if (curl_easy_getinfo(m_session->curl, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length) != CURLE_OK)
        length = -1;
    return length < 0 ? -1 : qint64(length);
}

bool FtpClient::put(const QString &localPath, const QString &remoteName, bool append)
{
    m_lastError.clear();
    if (!ready() || !checkName(remoteName))
        return false;
    const QString path = absolutePath(remoteName);
    const QString what = QStringLiteral("上传文件“%1”到FTP“%2”失败").arg(QDir::toNativeSeparators(localPath), path);
    QFile source(localPath);
    if (!source.open(QIODevice::ReadOnly)) {
        fail(what, QStringLiteral("无法读取本地文件（%1）").arg(source.errorString()));
        return false;
    }
    Request request;
    request.path = path;
    request.source = &source;
    request.append = append;
    if (!perform(request)) {
        fail(what, explain(request.code, request.detail));
        return false;
    }
    return true;
}

bool FtpClient::get(const QString &remoteName, const QString &localPath, bool overwrite)
{
    m_lastError.clear();
    if (!ready() || !checkName(remoteName))
        return false;
    const QString path = absolutePath(remoteName);
    const QString what = QStringLiteral("从FTP下载文件“%1”到“%2”失败").arg(path, QDir::toNativeSeparators(localPath));
    if (!overwrite && QFileInfo::exists(localPath)) {
        fail(what, QStringLiteral("本地文件已存在"));
        return false;
    }
    QSaveFile target(localPath);
    if (!target.open(QIODevice::WriteOnly)) {
        fail(what, QStringLiteral("无法写入本地文件（%1）").arg(target.errorString()));
        return false;
    }
    Request request;
    request.path = path;
    request.target = &target;
    if (!perform(request)) {
        target.cancelWriting();
        fail(what, explain(request.code, request.detail));
        return false;
    }
    if (!target.commit()) {
        fail(what, QStringLiteral("无法保存本地文件（%1）").arg(target.errorString()));
        return false;
    }
    return true;
}

bool FtpClient::remove(const QString &name)
{
    m_lastError.clear();
    if (!ready() || !checkName(name))
        return false;
    const QString path = absolutePath(name);
    const QString what = QStringLiteral("删除FTP文件“%1”失败").arg(path);
    const int slash = path.lastIndexOf(QLatin1Char('/'));
    const QString dir = slash > 0 ? path.left(slash) : QStringLiteral("/");
    const QString file = path.mid(slash + 1);
    if (file.isEmpty()) {
        fail(what, QStringLiteral("不是文件"));
        return false;
    }
    // curl has no delete of its own: change to the directory, then DELE.
    Request request;
    request.path = dir;
    request.directory = true;
    request.noBody = true;
    request.afterwards << QByteArrayLiteral("DELE ") + file.toUtf8();
    if (!perform(request)) {
        fail(what, explain(request.code, request.detail));
        return false;
    }
    return true;
}

bool FtpClient::ready()
{
    if (m_connected && m_session)
        return true;
    m_lastError = QStringLiteral("FTP服务器未连接");
    return false;
}

// A control character would end the command line early and start another one.
bool FtpClient::checkName(const QString &name)
{
    if (name.isEmpty()) {
        m_lastError = QStringLiteral("FTP路径为空");
        return false;
    }
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) {
            m_lastError = QStringLiteral("FTP路径“%1”含有控制字符").arg(QString(name).replace(c, QLatin1Char('?')));
            return false;
        }
    }
    return true;
}

QString FtpClient::absolutePath(const QString &path) const
{
    const QString full = path.startsWith(QLatin1Char('/')) ? path : m_dir + QLatin1Char('/') + path;
    return QLatin1Char('/') + segmentsOf(full).join(QLatin1Char('/'));
}

// The path is always absolute: "%2F" as the first segment makes curl begin with
// "CWD /" instead of the login directory, then one CWD per directory (the way
// every server understands). Segments are percent-encoded as UTF-8, so spaces,
// '#', '%' and Chinese names arrive intact.
QByteArray FtpClient::url(const QString &absolutePath, bool directory) const
{
    QByteArray out = m_session->server + QByteArrayLiteral("/%2F");
    const QStringList segments = segmentsOf(absolutePath);
    QList<QByteArray> encoded;
    for (const QString &segment : segments)
        encoded << QUrl::toPercentEncoding(segment);
    out += encoded.join('/');
    if (directory && !segments.isEmpty())
        out += '/';
    return out;
}

bool FtpClient::perform(Request &request)
{
    CURL *curl = m_session->curl;
    // Resets the options only; the cached control connection stays open.
    curl_easy_reset(curl);
    m_session->errorBuffer[0] = '\0';

    const QByteArray address = request.path.isEmpty() ? m_session->server + '/' : url(request.path, request.directory);
    curl_easy_setopt(curl, CURLOPT_URL, address.constData());
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "ftp");
    curl_easy_setopt(curl, CURLOPT_PATH_AS_IS, 1L);
    // Credentials outside the URL: any character is allowed in them.
    curl_easy_setopt(curl, CURLOPT_USERNAME, m_session->user.constData());
    curl_easy_setopt(curl, CURLOPT_PASSWORD, m_session->password.constData());
    curl_easy_setopt(curl, CURLOPT_ERRORBUFFER, m_session->errorBuffer);
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_TCP_KEEPALIVE, 1L);
    if (!m_session->passive)
        curl_easy_setopt(curl, CURLOPT_FTPPORT, "-");
    if (m_readTimeout > 0) {
        // Not CURLOPT_TIMEOUT: that caps the whole transfer. A large file that
        // keeps moving may take as long as it needs; only silence is cut off.
        const long seconds = (m_readTimeout + 999) / 1000;
        curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, long(m_readTimeout));
        curl_easy_setopt(curl, CURLOPT_SERVER_RESPONSE_TIMEOUT, seconds);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, 1L);
        curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, seconds);
    }
    if (m_rateLimit > 0) {
        curl_easy_setopt(curl, CURLOPT_MAX_SEND_SPEED_LARGE, curl_off_t(m_rateLimit));
        curl_easy_setopt(curl, CURLOPT_MAX_RECV_SPEED_LARGE, curl_off_t(m_rateLimit));
    }

    // Names are UTF-8. Some servers want to be told; those that always speak
    // it may refuse the command ('*': a refusal is no error). Sent with each
    // request that names something outside ASCII, because curl logs in again
    // by itself after an idle disconnect.
    bool wide = std::any_of(request.path.cbegin(), request.path.cend(), [](QChar c) { return c.unicode() > 0x7f; });
    for (const QByteArray &command : std::as_const(request.afterwards))
        wide = wide || std::any_of(command.cbegin(), command.cend(), [](char c) { return uchar(c) > 0x7f; });
    curl_slist *before = nullptr;
    if (wide) {
        before = curl_slist_append(nullptr, "*OPTS UTF8 ON");
        curl_easy_setopt(curl, CURLOPT_QUOTE, before);
    }
    curl_slist *after = nullptr;
    for (const QByteArray &command : std::as_const(request.afterwards))
        after = curl_slist_append(after, command.constData());
    if (after)
        curl_easy_setopt(curl, CURLOPT_POSTQUOTE, after);

    // Without these curl prints the SIZE reply as headers on stdout.
    curl_easy_setopt(curl, CURLOPT_HEADERFUNCTION, discard);
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, discard);
    if (request.noBody)
        curl_easy_setopt(curl, CURLOPT_NOBODY, 1L);
    if (request.source) {
        curl_easy_setopt(curl, CURLOPT_UPLOAD, 1L);
        curl_easy_setopt(curl, CURLOPT_APPEND, request.append ? 1L : 0L);
        curl_easy_setopt(curl, CURLOPT_READFUNCTION, readFromFile);
        curl_easy_setopt(curl, CURLOPT_READDATA, request.source);
        curl_easy_setopt(curl, CURLOPT_INFILESIZE_LARGE, curl_off_t(request.source->size()));
    }
    if (request.target) {
        curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, writeToFile);
        curl_easy_setopt(curl, CURLOPT_WRITEDATA, request.target);
    }

    request.code = m_session->run();

    curl_easy_setopt(curl, CURLOPT_QUOTE, nullptr);
    curl_easy_setopt(curl, CURLOPT_POSTQUOTE, nullptr);
    curl_slist_free_all(before);
    curl_slist_free_all(after);

    if (request.code == CURLE_OK)
        return true;
    request.detail = QString::fromUtf8(m_session->errorBuffer).trimmed();
    if (request.detail.isEmpty())
        request.detail = QString::fromUtf8(curl_easy_strerror(request.code));
    long reply = 0;
    if (curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &reply) == CURLE_OK && reply > 0
        && !request.detail.contains(QString::number(reply)))
        request.detail += QStringLiteral("，服务器应答%1").arg(reply);
    if (m_connected && losesSession(request.code)) {
        m_session.reset();
        m_connected = false;
    }
    return false;
}

void FtpClient::fail(const QString &what, const QString &why)
{
    m_lastError = what + QStringLiteral("：") + why;
}

#include "attach/AttachmentStore.h"

#include "attach/FtpClient.h"
#include "data/SharedState.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

} // namespace

AttachmentStore::AttachmentStore(Kind kind, const QString &root, FtpClient *ftp)
    : m_kind(kind)
    , m_root(root)
    , m_ftp(ftp)
{
}

AttachmentStore AttachmentStore::ofEdition(FtpClient *ftp)
{
    const SharedState &st = shared();
    const bool network = st.edition == QLatin1String("1") || st.edition == QLatin1String("2");
    if (!network)
        return AttachmentStore(Kind::Local, st.attachRoot);
    return AttachmentStore(st.ftpEnabled == QLatin1String("1") ? Kind::Ftp : Kind::Off, st.attachRoot, ftp);
}

QString AttachmentStore::storedName(qint64 iid)
{
    return QString::number(iid);
}

QString AttachmentStore::localPath(qint64 iid) const
{
    return m_kind == Kind::Local ? m_root + QLatin1Char('/') + storedName(iid) : QString();
}

bool AttachmentStore::fail(const QString &text)
{
    m_lastError = text;
    return false;
}

bool AttachmentStore::ensureReady()
{
    m_lastError.clear();
    if (m_kind != Kind::Ftp)
        return true;
    if (!m_ftp)
        return fail(QStringLiteral("FTP服务器未连接"));
    if (!m_ftp->isConnected() && !m_ftp->connect())
        return fail(m_ftp->lastError());
    if (!m_ftp->changeDir(m_root))
        return fail(m_ftp->lastError());
    return true;
}

// Every FTP operation works in the root directory; entering it again is a
// round trip the client saves when it is already there.
bool AttachmentStore::enterRoot()
{
    if (!m_ftp)
        return fail(QStringLiteral("FTP服务器未连接"));
    if (!m_ftp->isConnected() && !m_ftp->connect())
        return fail(m_ftp->lastError());
    if (m_ftp->currentDir() == m_root)
        return true;
    return m_ftp->changeDir(m_root) || fail(m_ftp->lastError());
}

bool AttachmentStore::exists(qint64 iid, bool *ok)
{
    m_lastError.clear();
    if (ok)
        *ok = false;
    switch (m_kind) {
    case Kind::Local:
        if (ok)
            *ok = true;
        return QFileInfo(localPath(iid)).isFile();
    case Kind::Ftp: {
        if (!enterRoot())
            return false;
        bool answered = false;
        const qint64 size = m_ftp->size(storedName(iid), &answered);
        if (!answered) {
            m_lastError = m_ftp->lastError();
            return false;
        }
        if (ok)
            *ok = true;
        m_lastError.clear(); // a missing file is an answer, not an error
        return size != -1;
    }
    case Kind::Off:
        break;
    }
    return fail(QStringLiteral("附件FTP功能未开启"));
}

bool AttachmentStore::remove(qint64 iid)
{
    m_lastError.clear();
    switch (m_kind) {
    case Kind::Local: {
        // The plain C call: a batch deletion passes over many missing files,
        // and QFile costs several times as much for each.
        const QString path = localPath(iid);
        const QByteArray encoded = QFile::encodeName(path);
        errno = 0;
        if (std::remove(encoded.constData()) == 0 || errno == ENOENT)
            return true;
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        if (!QFileInfo::exists(path))
            return true;
        return fail(QStringLiteral("删除附件文件“%1”失败（%2）").arg(native(path), why));
    }
    case Kind::Ftp: {
        if (!enterRoot())
            return false;
        bool answered = false;
        if (m_ftp->size(storedName(iid), &answered) == -1) {
            if (answered) {
                m_lastError.clear();
                return true; // nothing stored under that name
            }
            return fail(m_ftp->lastError());
        }
        return m_ftp->remove(storedName(iid)) || fail(m_ftp->lastError());
    }
    case Kind::Off:
        break;
    }
    return true;
}

QList<qint64> AttachmentStore::remove(const QList<qint64> &iids, const std::function<void(int)> &progress)
{
    // A large batch in the local folder: one reading of the folder's names
    // spares a system call for every file that is not there.
    QSet<QString> present;
    const bool listed = m_kind == Kind::Local && iids.size() >= 1000;
    if (listed) {
        QDirIterator it(m_root, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        while (it.hasNext()) {
            it.next();
            present.insert(it.fileName());
        }
    }
    QList<qint64> failed;
    QString lastError;
    const int step = std::max(1, int(iids.size()) / 100);
    for (int i = 0; i < iids.size(); ++i) {
        const qint64 iid = iids.at(i);
        if ((!listed || present.contains(storedName(iid))) && !remove(iid)) {
            failed << iid;
            lastError = m_lastError;
        }
        if (progress && ((i + 1) % step == 0 || i + 1 == iids.size()))
            progress(i + 1);
    }
    m_lastError = lastError;
    return failed;
}

bool AttachmentStore::put(const QString &localFile, qint64 iid)
{
    m_lastError.clear();
    switch (m_kind) {
    case Kind::Local: {
        // Copied beside the target first, so a failed copy leaves no half file
        // under the stored name.
        const QString path = localPath(iid);
        const QString part = path + QStringLiteral(".part");
        QFile::remove(part);
        QFile source(localFile);
        if (!source.copy(part))
            return fail(QStringLiteral("复制文件“%1”到附件文件夹失败（%2）").arg(native(localFile), source.errorString()));
        QFile::remove(path);
        if (!QFile::rename(part, path)) {
            QFile::remove(part);
            return fail(QStringLiteral("保存附件文件“%1”失败").arg(native(path)));
        }
        return true;
    }
    case Kind::Ftp:
        if (!enterRoot())
            return false;
        return m_ftp->put(localFile, storedName(iid), false) || fail(m_ftp->lastError());
    case Kind::Off:
        break;
    }
    return true;
}

bool AttachmentStore::fetch(qint64 iid, const QString &localPath)
{
    m_lastError.clear();
    switch (m_kind) {
    case Kind::Local: {
        const QString path = this->localPath(iid);
        if (!QFileInfo(path).isFile())
            return fail(QStringLiteral("附件文件“%1”不存在").arg(native(path)));
        const QString part = localPath + QStringLiteral(".part");
        QFile::remove(part);
        QFile source(path);
        if (!source.copy(part))
            return fail(QStringLiteral("复制附件文件到“%1”失败（%2）").arg(native(localPath), source.errorString()));
        QFile::remove(localPath);
        if (!QFile::rename(part, localPath)) {
            QFile::remove(part);
            return fail(QStringLiteral("写入文件“%1”失败").arg(native(localPath)));
        }
        return true;
    }
    case Kind::Ftp:
        if (!enterRoot())
            return false;
        return m_ftp->get(storedName(iid), localPath, true) || fail(m_ftp->lastError());
    case Kind::Off:
        break;
    }
    return fail(QStringLiteral("附件FTP功能未开启"));
}

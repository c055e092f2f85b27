#include "app/SingleInstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

SingleInstance::SingleInstance(const QString &name) : m_name(name) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::lockPath() const
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    QDir().mkpath(dir);
    return dir + QLatin1Char('/') + m_name + QStringLiteral(".lock");
}

bool SingleInstance::tryAcquire()
{
    m_lock = std::make_unique<QLockFile>(lockPath());
    // Never take a live instance's lock for stale however old it is; a dead
    // holder's lock is recognised by its process id.
    m_lock->setStaleLockTime(0);
    if (m_lock->tryLock(0))
        return true;
    m_lock.reset();
    return false;
}

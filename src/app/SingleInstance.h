#pragma once

#include <QString>

#include <memory>

class QLockFile;

// The per-user single-instance guard "N_SYS120". A lock file in the user's
// runtime folder held for the life of the process; the lock of a process that
// died (even by SIGKILL) is taken over, so a crash never blocks the next start.
class SingleInstance {
public:
    explicit SingleInstance(const QString &name);
    ~SingleInstance();

    // False when another live instance holds the name.
    bool tryAcquire();
    QString lockPath() const;

private:
    QString m_name;
    std::unique_ptr<QLockFile> m_lock;
};

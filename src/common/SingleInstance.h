#pragma once

#include <QString>

namespace rq {

// The process-wide lock that keeps a second copy from running. It is an
// advisory lock on a file, held by the open file and released by the system
// when the process ends, so a crashed copy never blocks the next start.
class SingleInstance
{
public:
    // The lock file of the machine's user: $XDG_RUNTIME_DIR (or the temp
    // directory) + "/RANQUILL.lock".
    static QString defaultLockPath();

    explicit SingleInstance(QString lockPath = defaultLockPath());
    ~SingleInstance();
    SingleInstance(const SingleInstance &) = delete;
    SingleInstance &operator=(const SingleInstance &) = delete;

    // True when this process now holds the lock (or already held it).
    bool tryAcquire();
    void release();

    static QString alreadyRunningMessage() { return QStringLiteral("Ranquill wird bereits ausgeführt."); }

private:
    QString m_path;
    int m_fd = -1;
};

}  // namespace rq

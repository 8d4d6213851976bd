#pragma once

#include <QString>

namespace rq {

// The process-wide lock that keeps a second copy from running. It is an
// advisory lock on a file, held by the open file and released by the system
// when the process ends, so a crashed copy never blocks the next start. The
// same lock beside the database file keeps two copies with different runtime
// directories from opening the same database.
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

    enum class Result { Acquired, HeldElsewhere, Failed };

    // Acquired when this process now holds the lock (or already held it),
    // HeldElsewhere when another process holds it, Failed when the lock file
    // cannot be opened at all (see failure()).
    Result acquire();
    // True when acquire() gives Acquired.
    bool tryAcquire() { return acquire() == Result::Acquired; }
    void release();
    // Why the last acquire() failed, naming the lock file.
    const QString &failure() const { return m_failure; }

    static QString alreadyRunningMessage() { return QStringLiteral("Ranquill wird bereits ausgeführt."); }

private:
    QString m_path;
    int m_fd = -1;
    QString m_failure;
};

}  // namespace rq

#include "common/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>
#include <sys/file.h>

#include <fcntl.h>
#include <unistd.h>

namespace rq {

QString SingleInstance::defaultLockPath()
{
    QString dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (dir.isEmpty())
        dir = QDir::tempPath();
    return dir + QStringLiteral("/RANQUILL.lock");
}

SingleInstance::SingleInstance(QString lockPath)
    : m_path(std::move(lockPath))
{
}

SingleInstance::~SingleInstance()
{
    release();
}

SingleInstance::Result SingleInstance::acquire()
{
    m_failure.clear();
    if (m_fd >= 0)
        return Result::Acquired;
    const QByteArray path = QFile::encodeName(m_path);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOCTTY, 0644);
    if (fd < 0) {
        m_failure = QStringLiteral("Die Sperrdatei %1 kann nicht geöffnet werden: %2")
                        .arg(m_path, QString::fromLocal8Bit(std::strerror(errno)));
        return Result::Failed;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            return Result::HeldElsewhere;
        m_failure = QStringLiteral("Die Sperrdatei %1 kann nicht gesperrt werden: %2")
                        .arg(m_path, QString::fromLocal8Bit(std::strerror(error)));
        return Result::Failed;
    }
    m_fd = fd;
    return Result::Acquired;
}

void SingleInstance::release()
{
    if (m_fd >= 0) {
        ::flock(m_fd, LOCK_UN);
        ::close(m_fd);
        m_fd = -1;
    }
}

}  // namespace rq

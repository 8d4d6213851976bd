#include "common/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

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

bool SingleInstance::tryAcquire()
{
    if (m_fd >= 0)
        return true;
    const QByteArray path = QFile::encodeName(m_path);
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
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

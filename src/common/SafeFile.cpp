#include "common/SafeFile.h"

#include "common/Errors.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>

#include <fcntl.h>
#include <unistd.h>

namespace rq::files {
namespace {

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

FileError openError(const QString &path, int error)
{
    return FileError(QStringLiteral("Datei %1 kann nicht geöffnet werden: %2").arg(path, systemError(error)));
}

QString notRegular(const QString &path, mode_t mode)
{
    if (S_ISDIR(mode))
        return QStringLiteral("%1 ist ein Verzeichnis und keine Datei").arg(path);
    return QStringLiteral("%1 ist keine gewöhnliche Datei (Gerät, Pipe oder Socket)").arg(path);
}

// A descriptor of a regular file, closed on every path.
class InputFile
{
public:
    explicit InputFile(const QString &path)
        : m_path(path)
    {
        // Non-blocking, so that opening a pipe without a writer cannot hang;
        // what is no regular file is refused before anything is read.
        m_fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (m_fd < 0)
            throw openError(path, errno);
        struct stat st = {};
        if (::fstat(m_fd, &st) != 0)
            throw openError(path, errno);
        if (!S_ISREG(st.st_mode))
            throw FileError(notRegular(path, st.st_mode));
        ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) & ~O_NONBLOCK);
    }
    ~InputFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    InputFile(const InputFile &) = delete;
    InputFile &operator=(const InputFile &) = delete;

    // Up to `size` bytes; 0 only at the end of the file.
    qint64 read(char *data, qint64 size)
    {
        while (true) {
            const ssize_t n = ::read(m_fd, data, size_t(size));
            if (n >= 0)
                return n;
            if (errno != EINTR)
                throw FileError(
                    QStringLiteral("Datei %1 kann nicht gelesen werden: %2").arg(m_path, systemError(errno)));
        }
    }

private:
    QString m_path;
    int m_fd = -1;
};

}  // namespace

QByteArray readAll(const QString &path)
{
    QByteArray content;
    forEachChunk(path, [&](const QByteArray &chunk) { content += chunk; });
    return content;
}

void forEachChunk(const QString &path, const std::function<void(const QByteArray &)> &chunk, qint64 chunkSize)
{
    InputFile file(path);
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    while (true) {
        const qint64 n = file.read(buffer.data(), chunkSize);
        if (n == 0)
            return;
        chunk(n == chunkSize ? buffer : buffer.left(n));
    }
}

void checkOutputTarget(const QString &path)
{
    struct stat st = {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return;  // missing: it will be created
    if (!S_ISREG(st.st_mode))
        throw FileError(notRegular(path, st.st_mode) + QStringLiteral(" und wird nicht ersetzt"));
}

OutputFile::OutputFile(const QString &path)
    : m_path(path)
    , m_file(path)
{
    checkOutputTarget(path);
    if (!m_file.open(QIODevice::WriteOnly))
        fail(m_file.errorString());
}

void OutputFile::write(const QByteArray &bytes)
{
    if (m_file.write(bytes) != bytes.size())
        fail(m_file.errorString());
}

void OutputFile::commit()
{
    // A write that failed on the way (a full disk, say) leaves the target as
    // it was. The size on disk is compared as well: a write cut short by a
    // full disk or a size limit is not always reported as an error.
    if (!m_file.flush() || m_file.error() != QFileDevice::NoError)
        fail(m_file.errorString());
    if (m_file.size() != m_file.pos())
        fail(QStringLiteral("nur %1 von %2 Bytes gespeichert, der Datenträger ist voll")
                 .arg(m_file.size())
                 .arg(m_file.pos()));
    checkOutputTarget(m_path);
    if (!m_file.commit())
        fail(m_file.errorString());
}

void OutputFile::fail(const QString &why) const
{
    throw FileError(QStringLiteral("Datei %1 kann nicht geschrieben werden: %2").arg(m_path, why));
}

void writeAll(const QString &path, const QByteArray &bytes)
{
    OutputFile file(path);
    file.write(bytes);
    file.commit();
}

}  // namespace rq::files

#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <functional>

// Reading and writing the files the program exchanges with the operator: only
// regular files are read (a pipe, a device or a directory is refused, and
// nothing ever waits for a writer), a read error is an error and never the end
// of the file, and an output goes to a temporary file beside its target that
// replaces the target only when it is complete. Every failure is a FileError
// that names the file.
namespace rq::files {

// The whole content of a regular file.
QByteArray readAll(const QString &path);

// The content in pieces of up to `chunkSize` bytes, in order, for large files.
void forEachChunk(const QString &path, const std::function<void(const QByteArray &)> &chunk,
                  qint64 chunkSize = 1 << 20);

// FileError unless `path` is missing or a regular file (a link to one counts
// as one), so that writing never replaces a device, a pipe or a directory.
void checkOutputTarget(const QString &path);

// An output written to a temporary file beside `path`; commit() checks every
// write, then renames it over the target. Destroyed without commit() it
// leaves the target as it was.
class OutputFile
{
public:
    explicit OutputFile(const QString &path);
    OutputFile(const OutputFile &) = delete;
    OutputFile &operator=(const OutputFile &) = delete;

    QIODevice *device() { return &m_file; }
    void write(const QByteArray &bytes);
    void commit();

    const QString &path() const { return m_path; }

private:
    [[noreturn]] void fail(const QString &why) const;

    QString m_path;
    QSaveFile m_file;
};

// Writes `bytes` as the new content of `path` the same way.
void writeAll(const QString &path, const QByteArray &bytes);

}  // namespace rq::files

#pragma once

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace rq::db {
class Database;
}

namespace rq::test {

// A fresh database with all ten tables in its own temporary directory.
struct TempDatabase
{
    TempDatabase();
    ~TempDatabase();

    QTemporaryDir dir;
    std::unique_ptr<db::Database> db;
};

// While it lives, no file of the process may grow beyond `bytes`: a write past
// it fails (EFBIG) as on a full disk, instead of ending the process.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(qint64 bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit &) = delete;
    FileSizeLimit &operator=(const FileSizeLimit &) = delete;

private:
    qint64 m_previous = -1;
};

// The file's bytes; empty when it cannot be read.
QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);

}  // namespace rq::test

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

// The file's bytes; empty when it cannot be read.
QByteArray readBytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &bytes);

}  // namespace rq::test

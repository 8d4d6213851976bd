#pragma once

#include "db/Database.h"

#include <QString>
#include <QTemporaryDir>

#include <memory>

namespace rq::test {

// Which engine the database-facing tests run on: the SQLite file, or with
// RANQUILL_TEST_ENGINE=postgres the server RANQUILL_TEST_PG_HOST, _PORT and
// _USER name (the throw-away cluster scripts/test.sh starts).
bool onServer();
// A new, empty database on the test server, dropped again by dropServerDatabase().
db::ServerSettings createServerDatabase();
void dropServerDatabase(const db::ServerSettings &server);

// From now on the engine refuses every UPDATE of `table` for which `condition`
// (on the row's NEW values) holds: a failure in the middle of an operation.
void refuseUpdates(db::Database &db, const QString &table, const QString &condition);

// A fresh database with all ten tables: a file in its own temporary directory,
// or on the test server a database of its own.
struct TempDatabase
{
    TempDatabase();
    ~TempDatabase();
    // Another connection to the same database, as a second station has it.
    std::unique_ptr<db::Database> connect() const;

    QTemporaryDir dir;
    db::ServerSettings server;  // set on the server
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

#pragma once

#include "common/Errors.h"
#include "db/PreparedStatement.h"

#include <QHash>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <unordered_map>

namespace rq::db {

enum class Engine { Sqlite, Postgres };

// A shared database on a PostgreSQL server: "host[:port]" (a directory as host
// is a Unix socket's), the database and the user. The password is libpq's
// business (~/.pgpass or a service file), never the program's.
struct ServerSettings
{
    QString host;
    int port = 5432;
    QString database;
    QString user;

    // From the settings' "Server" ("host" or "host:port"), "Database" and "User".
    static ServerSettings parse(const QString &server, const QString &database, const QString &user);
    bool isSet() const { return !host.isEmpty(); }
    // "user@host:port/database", as the about box and the status bar show it.
    QString display() const;
};

// The program's database: the SQLite file in the data directory (the "alias"
// RANBASE stands for its directory; foreign keys on, WAL journal, synchronous
// NORMAL, a busy timeout), or a shared database on a PostgreSQL server.
// Statements are written in SQLite's dialect; on PostgreSQL they are carried
// over once per statement text (see Dialect.h).
// Every failure throws EngineError with the engine's message and the SQL text.
class Database
{
public:
    // The database file in `dataDirectory`.
    static QString fileIn(const QString &dataDirectory);

    explicit Database(QString filePath);
    explicit Database(ServerSettings server);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    // Opens the file (creating it when missing) and sets the connection up.
    // Throws EngineError when the file is not a database.
    void open();
    void close();
    bool isOpen() const;

    Engine engine() const { return m_server.isSet() ? Engine::Postgres : Engine::Sqlite; }
    // The SQLite file; empty for a server's database.
    const QString &filePath() const { return m_filePath; }
    const ServerSettings &server() const { return m_server; }
    // Which database is in use, for the operator: the file's path or the server's database.
    QString display() const;
    // The directory of this station's own files (snapshots): the file's
    // directory, for a server's database the data directory the setup names.
    QString localDirectory() const;
    void setLocalDirectory(const QString &directory) { m_localDirectory = directory; }
    QSqlDatabase connection() const;
    // `sql` (SQLite's dialect) as this database's engine runs it.
    QString dialect(const QString &sql) const;
    // Whether queries may read their results as a stream (see QSqlQuery::setForwardOnly).
    bool forwardOnly() const;

    // Runs one statement for effect. The lines of a statement are joined by line breaks.
    void exec(const QString &sql);
    void exec(const QStringList &lines);
    // Runs one statement with its values bound to the "?" placeholders.
    QSqlQuery exec(const QString &sql, const QVariantList &values);
    // Runs a change (INSERT, UPDATE, DELETE) with its values and returns the
    // number of rows it changed. The compiled statement is kept for its next
    // run, which saves compiling the tables' text rules again and again.
    int execute(const QString &sql, const QVariantList &values);
    // Runs a query through a statement kept prepared for it and hands every row
    // to `each` as texts; on SQLite without QVariants in between (large reports).
    void forEachRow(const QString &sql, const QVariantList &values,
                    const std::function<void(const PreparedStatement::Row &)> &each);
    // Runs a query through the statement kept prepared for it, for queries run
    // once per row of a loop (what execute does for changes). The result must be
    // read to its end or finish()ed before the same query runs again.
    QSqlQuery select(const QString &sql, const QVariantList &values);
    // The first column of the first row, or an invalid QVariant without rows.
    QVariant scalar(const QString &sql, const QVariantList &values = {});

    // Who wants to know that what a ranking list prints has changed (the
    // results site): the operations on lists tell it the list's key, the
    // listener decides when to act (after the change has been committed).
    using ListListener = std::function<void(int kat, int klasse)>;
    void setListListener(ListListener listener) { m_listListener = std::move(listener); }
    void listChanged(int kat, int klasse) const
    {
        if (m_listListener)
            m_listListener(kat, klasse);
    }

    // The automatic numbering of `table` (IMPORT) starts again at 1.
    void restartNumbering(const QString &table);
    // After rows came with their own numbers (a restore): the next automatic
    // number follows the highest one there is. SQLite does that by itself.
    void continueNumbering(const QString &table);

    // The transaction just begun reads one state of the data throughout, whatever
    // other stations commit meanwhile (SQLite's write lock gives that already).
    // Must come before the transaction's first statement.
    void readOneState();

    // Until the open transaction ends, no other station generates or ranks the
    // list: on the server a second one waits for it (and is refused after the
    // lock timeout); SQLite lets one station write the file at a time anyway.
    void lockList(int kat, int klasse);

    // On the server: `changed` runs (from the event loop) whenever another
    // station committed a change. Nothing on SQLite, where a window refreshes
    // when it is activated instead. Returns whether the server will tell.
    bool watchOtherStations(std::function<void()> changed);

    // On SQLite: whether another connection committed a change since the last
    // call (the first call says no). Always no on the server, which tells by itself.
    bool othersCommitted();

    // Whether a transaction or savepoint is open on this connection.
    bool inTransaction() const;

    bool tableExists(const QString &name) const;
    QStringList tableNames() const;  // the user tables, without SQLite's own
    // The columns of a table in their order, in the letter case the program writes them.
    QStringList columnNames(const QString &table) const;
    // The name of a result's column, in that letter case too.
    QString fieldName(const QSqlRecord &record, int i) const;

private:
    friend class Savepoint;
    void openServer();
    QString m_filePath;
    ServerSettings m_server;
    QString m_localDirectory;
    int m_savepoints = 0;
    qint64 m_dataVersion = -1;  // SQLite's data_version at the last othersCommitted()  // open savepoints, on
                                // PostgreSQL the outermost being the transaction
    QString m_connectionName;
    std::unordered_map<QString, std::unique_ptr<PreparedStatement>> m_prepared;
    QHash<QString, QSqlQuery> m_selects;
    ListListener m_listListener;
};

// The engine's own text of a failure (the driver's when the engine gave none).
QString engineText(const QSqlError &error);
// A common failure of the engine (duplicate key, required field empty, missing
// reference, syntax error, locked database, full disk, unknown table or field)
// in plain German with the engine's text after it in brackets; any other text
// as it is.
QString germanEngineText(const QString &engineText);
// What the operator is told of a failure: engineText made German where it can be.
QString engineMessage(const QSqlError &error);

// A fault of the storage under the database: a full disk, an I/O error, a
// read-only, damaged or vanished file, a lock another program holds. It is no
// refused row or statement but the end of the whole operation, whose work is
// rolled back; its message says in German what happened.
class StorageError : public EngineError
{
public:
    using EngineError::EngineError;
};

// A database file that is damaged or no database at all.
class DamagedDatabaseError : public StorageError
{
public:
    using StorageError::StorageError;
};

bool isStorageFault(const QSqlError &error);
// The German message of a storage fault, with the engine's own text.
QString storageFaultMessage(const QSqlError &error);
// The message of a failure: the German one of a storage fault, else the engine's.
QString failureMessage(const QSqlError &error);
// Throws the failure as what it is: DamagedDatabaseError or StorageError for a
// storage fault, else EngineError.
[[noreturn]] void throwFailure(const QSqlError &error, const QString &sql);
// Why the engine refused a row or a statement that an operation skips and
// reports; a storage fault is thrown as StorageError instead, ending the operation.
QString refusalReason(const QSqlError &error);

// Column i of the query's row as text, NULL as a null string: for number
// columns, whose NULL the server's driver would read as "0".
inline QString textOf(const QSqlQuery &query, int i)
{
    return query.isNull(i) ? QString() : query.value(i).toString();
}

// A literal for the places where a value becomes part of the statement text:
// 'text' with single quotes doubled; NULL for a null string.
QString quote(const QString &value);

// On PostgreSQL a refused statement spoils its whole transaction, while the
// program goes on after a refused row (imports, the restore, a text table). So
// there a change inside a transaction runs under a savepoint of its own, and a
// refusal takes back that statement only, as on SQLite. Elsewhere it does nothing.
class StatementGuard
{
public:
    StatementGuard(const Database &db, const QString &sql);
    ~StatementGuard();
    StatementGuard(const StatementGuard &) = delete;
    StatementGuard &operator=(const StatementGuard &) = delete;

    // The statement went through: its savepoint is released.
    void succeeded();

private:
    QSqlDatabase m_connection;
    bool m_open = false;
};

// A savepoint: everything between construction and release() is kept as one
// unit; destroyed without release() it rolls back. At the outermost level it is
// the transaction itself, so bulk work commits once.
class Savepoint
{
public:
    Savepoint(Database &db, QString name = QStringLiteral("rq"));
    ~Savepoint();
    Savepoint(const Savepoint &) = delete;
    Savepoint &operator=(const Savepoint &) = delete;

    void release();

private:
    Database &m_db;
    QString m_name;
    bool m_done = false;
};

}  // namespace rq::db

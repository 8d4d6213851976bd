#pragma once

#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace rq::db {

class Database;

// A change compiled once and run many times with its values bound by position
// to the "?" placeholders: the inserts of imports and restores, the kept
// statements of Database::execute.
//
// On SQLite the values are bound through the engine's own interface, with the
// same types QtSql gives them (NULL for null and empty-null values, integers,
// doubles, blobs, everything else as text). QtSql names a placeholder per bound
// value, which made up a fifth of an import's time; other drivers go through
// QSqlQuery as before.
class PreparedStatement
{
public:
    // Throws EngineError (or StorageError) when the statement does not compile.
    PreparedStatement(const Database &db, const QString &sql);
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement &) = delete;
    PreparedStatement &operator=(const PreparedStatement &) = delete;

    // Runs the statement with `values`; false when the engine refused it
    // (lastError() says why, in the form QtSql gives).
    bool run(const QVariantList &values);
    const QSqlError &lastError() const { return m_error; }
    // The rows the last run changed.
    int changedRows() const { return m_changed; }

private:
    bool runOnSqlite(const QVariantList &values);
    void failOnSqlite(const QString &what, int code);

    QString m_sql;
    sqlite3 *m_handle = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    std::unique_ptr<QSqlQuery> m_query;  // drivers other than SQLite
    QSqlError m_error;
    int m_changed = 0;
};

}  // namespace rq::db

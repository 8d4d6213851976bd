#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace rq::db {

class Database;

// The engine's own handle of a SQLite connection; nothing for other drivers.
sqlite3 *sqliteHandle(const QSqlDatabase &connection);

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

    // The current row of a query, read as texts: NULL as a null string,
    // numbers as QVariant writes them. Valid during the call it is handed to.
    class Row
    {
    public:
        Row(sqlite3_stmt *statement, QSqlQuery *query)
            : m_statement(statement)
            , m_query(query)
        {
        }
        int count() const;
        QString name(int i) const;
        QString text(int i) const;
        // Appends what text(i) gives, as UTF-8, without a QString in between.
        void appendUtf8(int i, QByteArray &to) const;

    private:
        sqlite3_stmt *m_statement;
        QSqlQuery *m_query;
    };
    // Runs a query with `values` and hands each row to `each`; false as run().
    // On SQLite the texts come from the engine without a QVariant in between.
    bool forEachRow(const QVariantList &values, const std::function<void(const Row &)> &each);
    const QSqlError &lastError() const { return m_error; }
    // The rows the last run changed.
    int changedRows() const { return m_changed; }

private:
    bool runOnSqlite(const QVariantList &values, const std::function<void(const Row &)> &each);
    void failOnSqlite(const QString &what, int code);

    const Database *m_db;
    QString m_sql;
    sqlite3 *m_handle = nullptr;
    sqlite3_stmt *m_statement = nullptr;
    std::unique_ptr<QSqlQuery> m_query;  // drivers other than SQLite
    QSqlError m_error;
    int m_changed = 0;
};

}  // namespace rq::db

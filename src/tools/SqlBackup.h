#pragma once

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>

namespace rq {
class ErrorList;
class Operator;
}  // namespace rq

namespace rq::db {
class Database;
class Savepoint;
}  // namespace rq::db

namespace rq::tools {

// The backup of the whole database as a file of INSERT statements, one per
// line (CP1252, CR LF), tables in parent-before-child order, rows ordered by
// their first six columns. IMPORT rows carry their number as a "-N-" prefix.
class SqlBackup
{
public:
    // IMPORT, PERSON, LEISTUNG, RANGLISTE, RANGPOS, DETAILBLOCK, DETAIL,
    // DETAILLINE, VEREIN, PERSVEREIN.
    static const QStringList &tableOrder();

    // The lines of one table, one after another. Throws EngineError when the
    // table cannot be read; the lines handed on before stay handed on.
    static void forEachInsert(db::Database &db, const QString &table, const std::function<void(const QString &)> &line);
    static QStringList tableAsInserts(db::Database &db, const QString &table);
    // The lines of every table; a table that cannot be read is left out.
    static QStringList allInserts(db::Database &db);
    // Writes the backup file table by table, without holding it all in memory.
    // Throws FileError; a failed write leaves no file.
    static void writeFile(db::Database &db, const QString &path);

    // The menu command "&Sicherung aller Daten": asks for the file, then writes it.
    static void run(db::Database &db, Operator &op, const QString &programDirectory);
};

// Loads a backup file into the database: one statement per line (a statement
// may span lines up to its ";"), refused statements reported in the error list
// and skipped, IMPORT rows given back exactly their old numbers. Everything runs
// in one transaction; each statement is atomic on its own, so a refused one
// leaves nothing behind and the rest is stored as if line by line.
class SqlRestore
{
public:
    SqlRestore(db::Database &db, ErrorList &errors);

    void restoreLines(const QStringList &lines);
    // One line of the file; call finish() after the last.
    void restoreLine(const QString &raw);
    // Throws FileError when the file cannot be read.
    void restoreFile(const QString &path);

    // Asks for the backup file ("Daten importieren") and restores it; does
    // nothing when the operator cancels.
    void run(Operator &op, const QString &programDirectory);

    int failedStatements() const { return m_failed; }

private:
    bool execute(const QString &statement);
    void begin();
    void finish();

    db::Database &m_db;
    ErrorList &m_errors;
    int m_failed = 0;
    // Prepared INSERTs by "table(columns)", for the lines in the backup's own shape.
    QHash<QString, QSqlQuery> m_inserts;
    std::unique_ptr<db::Savepoint> m_transaction;
    QString m_buffer;
    QString m_table;
    QString m_keyColumn;
};

// One line in the shape the backup writes: INSERT INTO T (A,B)  VALUES ("x",NULL);
// with values that are NULL or strings in double (or single) quotes joined by "+".
struct BackupInsert
{
    QString table;
    QString columns;  // as written, "A,B"
    QVariantList values;
};
std::optional<BackupInsert> parseBackupInsert(const QString &statement);

}  // namespace rq::tools

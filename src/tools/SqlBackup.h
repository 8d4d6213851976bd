#pragma once

#include "db/PreparedStatement.h"

#include <QHash>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>

namespace rq {
class ErrorList;
class Operator;
class Progress;
}  // namespace rq

namespace rq::db {
class Database;
class Savepoint;
struct TableDef;
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
    // Throws FileError; a failed write leaves the previous file as it was. An
    // existing backup is not replaced by that of a database without any rows
    // (Error) unless `mayReplaceWithEmpty`.
    // Returns the number of rows written.
    static qint64 writeFile(db::Database &db, const QString &path, bool mayReplaceWithEmpty = false);
    // True when none of the ten tables holds a row.
    static bool holdsNoData(db::Database &db);

    // The menu command "&Sicherung aller Daten": asks for the file, then writes
    // it; replacing a backup with an empty one is asked first.
    static void run(db::Database &db, Operator &op, const QString &programDirectory);
};

// One statement of a backup file as the restore accepts it: an INSERT into one
// of the program's tables with literal values only, in the shape the backup
// writes or in the older forms (a table named by its file name, "PERSON.DB";
// no column list; strings in single or double quotes joined by "+"; bare
// numbers). Anything else is refused.
struct RestoreInsert
{
    const db::TableDef *table = nullptr;
    QStringList columns;  // as the table names them
    QString columnsWritten;  // the column list as the statement gives it
    QVariantList values;  // QString, qint64, double or NULL
};
// The statement read, or nothing with the reason in `why`. Column lists
// checked before and kept in `knownColumns` (by table and text) are not
// checked again.
std::optional<RestoreInsert> parseRestoreInsert(const QString &statement, QString *why = nullptr,
                                                QHash<QString, QStringList> *knownColumns = nullptr);

// Loads a backup file into the database: one statement per line (a statement
// may span lines up to its ";"), refused statements reported in the error list
// and skipped, IMPORT rows given back exactly their old numbers from their
// "-N-" prefixes. A backup file is data: only INSERTs into the program's
// tables are run. Everything runs in one transaction; each statement is atomic
// on its own, so a refused one leaves nothing behind and the rest is stored as
// if line by line. A storage fault ends the restore and rolls all of it back.
class SqlRestore
{
public:
    SqlRestore(db::Database &db, ErrorList &errors);

    void restoreLines(const QStringList &lines);
    // Throws FileError when the file cannot be read; then nothing is restored.
    void restoreFile(const QString &path);

    // Asks for the backup file ("Daten importieren") and restores it; does
    // nothing when the operator cancels.
    void run(Operator &op, const QString &programDirectory);

    int failedStatements() const { return m_failed; }
    qint64 storedRows() const { return m_stored; }

private:
    void begin();
    void restoreLine(const QString &raw);
    void finish();
    void abandon();
    void refuse(const QString &text);
    bool execute(const QString &statement, std::optional<qint64> importId);

    db::Database &m_db;
    ErrorList &m_errors;
    int m_failed = 0;
    qint64 m_stored = 0;
    Progress *m_progress = nullptr;  // while the menu command runs
    // Prepared INSERTs by "TABLE(columns)", and the column lists checked.
    std::unordered_map<QString, std::unique_ptr<db::PreparedStatement>> m_inserts;
    QHash<QString, QStringList> m_knownColumns;
    std::unique_ptr<db::Savepoint> m_transaction;
    QString m_buffer;  // the statement read so far
    QStringList m_bufferLines;  // its lines as written, for the error list
    std::optional<qint64> m_importId;  // the prefix of the statement in the buffer
};

}  // namespace rq::tools

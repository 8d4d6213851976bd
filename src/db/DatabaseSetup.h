#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace rq {
class ErrorList;
class Operator;
}  // namespace rq

namespace rq::db {

class Database;
struct TableDef;

// What the start-up check found for one table.
enum class TableState { Fits, Missing, Misfit };

// Finds or creates the data directory and the database at start-up, creates
// missing tables, keeps damaged ones aside instead of overwriting them, adds
// the referential rule LEISTUNG_PERSON and offers the restore when tables were
// created. In maintenance mode ("RebuildId" ≠ 0) it packs the tables and lists
// their referential rules in the error list.
class DatabaseSetup
{
public:
    using RestoreOffer = std::function<void(Database &)>;

    DatabaseSetup(Operator &op, ErrorList &errors);

    // The data directory: the alias file's PATH entry when it has one (without
    // enclosing double quotes), else `defaultDirectory`, which is then recorded
    // in the alias file. The directory is created with missing parents.
    // Throws Error "Verzeichnis " + directory + " kann nicht erstellt werden".
    static QString locateDataDirectory(const QString &aliasFile, const QString &defaultDirectory);

    // The whole start-up work on `dataDirectory`. Failures are shown to the
    // operator and end the setup; the database is returned open whenever the
    // file could be opened (nullptr otherwise). `offerRestore` runs after
    // tables were created.
    std::unique_ptr<Database> run(const QString &dataDirectory, int rebuildId, const RestoreOffer &offerRestore);

    // The steps of run() on an open database; they throw instead of showing.
    // Returns true when a table was created.
    bool checkTables(Database &db, bool maintenance);
    void ensureConstraints(Database &db);

    // The lines the error list shows for a table's referential rules.
    static QStringList constraintListing(Database &db, const TableDef &table);
    static TableState inspect(Database &db, const TableDef &table);

    // Where damaged tables and files went during the last run, for the message.
    const QStringList &keptAside() const { return m_keptAside; }
    // The message of the failure that ended the last run; empty when none did.
    const QString &failure() const { return m_failure; }

private:
    std::unique_ptr<Database> openDatabase(const QString &dataDirectory);
    void keepTableAside(Database &db, const TableDef &table);
    static void createTable(Database &db, const TableDef &table);

    Operator &m_op;
    ErrorList &m_errors;
    QStringList m_keptAside;
    QString m_failure;
};

}  // namespace rq::db

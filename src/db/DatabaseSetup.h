#pragma once

#include "db/Database.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace rq {
class ErrorList;
class IniFile;
class Operator;
}  // namespace rq

namespace rq::db {

class Database;
struct TableDef;

// What the setup may do to the data directory. The program may create what is
// missing and keep damaged data aside, after telling the operator; an
// unattended run that only reads must find a complete database and touch nothing.
struct SetupPolicy
{
    bool mayCreate = true;  // a missing database, directory or table is created
    bool mayKeepAside = true;  // a damaged file or table is moved aside and replaced
};

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

    using Policy = SetupPolicy;

    DatabaseSetup(Operator &op, ErrorList &errors, Policy policy = Policy());

    // run() opens this database on a server instead of the data directory's file.
    void useServer(const ServerSettings &server) { m_server = server; }
    // The server of the settings file's section "DB" ("Server", "Database",
    // "User"); not set without "Server": the data directory's file.
    static ServerSettings serverOf(const IniFile &ini);

    // The data directory: the alias file's PATH entry when it has one (without
    // enclosing double quotes), else `defaultDirectory`, which is then recorded
    // in the alias file. The directory is created with missing parents.
    // Throws Error "Verzeichnis " + directory + " kann nicht erstellt werden".
    // With `create` false nothing is created or recorded, and a directory
    // that does not exist is an Error.
    static QString locateDataDirectory(const QString &aliasFile, const QString &defaultDirectory, bool create = true);

    // The whole start-up work on `dataDirectory`. Failures are shown to the
    // operator and end the setup; the database is returned open whenever the
    // file could be opened (nullptr otherwise). `offerRestore` runs after
    // tables were created.
    std::unique_ptr<Database> run(const QString &dataDirectory, int rebuildId, const RestoreOffer &offerRestore);

    // The steps of run() on an open database; they throw instead of showing.
    // Returns true when a table was created.
    bool checkTables(Database &db, bool maintenance);
    void ensureConstraints(Database &db);
    // Creates the rule triggers a database of an older version lacks.
    static void ensureRules(Database &db);
    // Gives the tables of an older version the rules of this one (whole
    // numbers within 32 bits), keeping their rows. A table whose rows break a
    // rule keeps its old form, with a line in the error list; false then.
    bool upgradeTables(Database &db);
    // Rebuilds a table with its current definition, keeping its rows and its
    // automatic numbering. Throws EngineError when a row breaks a rule; the
    // table then stays as it was.
    static void rebuildKeepingRows(Database &db, const TableDef &table);

    // The lines the error list shows for a table's referential rules.
    static QStringList constraintListing(Database &db, const TableDef &table);
    static TableState inspect(Database &db, const TableDef &table);

    // The message when another copy of the program holds the database of `dataDirectory`.
    static QString inUseMessage(const QString &dataDirectory);
    // The lock file beside the database of `dataDirectory`.
    static QString lockFile(const QString &dataDirectory);

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
    Policy m_policy;
    ServerSettings m_server;
    QStringList m_keptAside;
    QString m_failure;
};

}  // namespace rq::db

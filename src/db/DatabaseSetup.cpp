#include "db/DatabaseSetup.h"

#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "db/TableDefs.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>
#include <QSet>
#include <QSqlQuery>

namespace rq::db {
namespace {

const QString kAliasSection = QStringLiteral("RANBASE");
const QString kAliasKey = QStringLiteral("PATH");

QString stamp()
{
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmmss"));
}

QString withSlash(QString dir)
{
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

void makeDirectory(const QString &dir)
{
    if (!QDir().mkpath(dir))
        throw Error(QStringLiteral("Verzeichnis ") + dir + QStringLiteral(" kann nicht erstellt werden"));
}

QString declaredType(FieldType type)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        return QStringLiteral("INTEGER");
    case FieldType::Float:
        return QStringLiteral("REAL");
    case FieldType::Text:
        return QStringLiteral("TEXT");
    }
    return {};
}

QString ruleWord(const QString &action)
{
    const QString a = action.toUpper();
    if (a == QStringLiteral("CASCADE"))
        return QStringLiteral("CASCADE");
    if (a == QStringLiteral("RESTRICT") || a == QStringLiteral("NO ACTION"))
        return QStringLiteral("RESTRICT");
    return QStringLiteral("UNKNOWN");
}

QString positions(const TableDef *table, const QStringList &fields)
{
    QStringList numbers;
    for (const QString &f : fields)
        numbers << QString::number(table ? table->fieldIndex(f) + 1 : 0);
    return numbers.join(QStringLiteral(", "));
}

// One referential rule as read from the engine.
struct ForeignKey
{
    QString table;
    QString master;
    QStringList fields;
    QStringList masterFields;
    QString onUpdate;
    QString onDelete;
};

QList<ForeignKey> foreignKeysOf(Database &db, const QString &table)
{
    QList<ForeignKey> keys;
    QSqlQuery q = db.exec(QStringLiteral("SELECT id, \"table\", \"from\", \"to\", on_update, on_delete "
                                         "FROM pragma_foreign_key_list(?) ORDER BY id, seq"),
                          {table});
    int currentId = -1;
    while (q.next()) {
        if (q.value(0).toInt() != currentId) {
            currentId = q.value(0).toInt();
            keys.append({table, q.value(1).toString(), {}, {}, q.value(4).toString(), q.value(5).toString()});
        }
        keys.last().fields << q.value(2).toString();
        keys.last().masterFields << q.value(3).toString();
    }
    return keys;
}

QString constraintName(const ForeignKey &key)
{
    for (const ConstraintDef &c : constraintDefs()) {
        if (c.table.compare(key.table, Qt::CaseInsensitive) == 0 &&
            c.masterTable.compare(key.master, Qt::CaseInsensitive) == 0)
            return c.name;
    }
    return key.table + u'_' + key.master;
}

}  // namespace

DatabaseSetup::DatabaseSetup(Operator &op, ErrorList &errors, Policy policy)
    : m_op(op)
    , m_errors(errors)
    , m_policy(policy)
{
}

QString DatabaseSetup::locateDataDirectory(const QString &aliasFile, const QString &defaultDirectory, bool create)
{
    IniFile alias(aliasFile);
    QString dir = alias.readString(kAliasSection, kAliasKey);
    if (dir.startsWith(u'"'))
        dir = dir.mid(1, dir.size() - 2);
    const bool recorded = !dir.isEmpty();
    dir = withSlash(recorded ? dir : defaultDirectory);
    if (!create) {
        if (!QFileInfo(dir).isDir())
            throw Error(QStringLiteral("Keine Datenbank: das Verzeichnis %1 gibt es nicht").arg(dir));
        return dir;
    }
    if (recorded) {
        if (!QFileInfo(dir).isDir())
            makeDirectory(dir);
        return dir;
    }
    if (!QFileInfo(dir).isDir())
        makeDirectory(dir);
    QDir().mkpath(QFileInfo(aliasFile).absolutePath());
    alias.writeString(kAliasSection, kAliasKey, dir);
    return dir;
}

ServerSettings DatabaseSetup::serverOf(const IniFile &ini)
{
    const QString section = QStringLiteral("DB");
    return ServerSettings::parse(ini.readString(section, QStringLiteral("Server")),
                                 ini.readString(section, QStringLiteral("Database")),
                                 ini.readString(section, QStringLiteral("User")));
}

QString DatabaseSetup::inUseMessage(const QString &dataDirectory)
{
    return QStringLiteral("Die Datenbank in %1 wird bereits von einem anderen Ranquill benutzt.").arg(dataDirectory);
}

QString DatabaseSetup::lockFile(const QString &dataDirectory)
{
    return Database::fileIn(dataDirectory) + QStringLiteral(".lock");
}

std::unique_ptr<Database> DatabaseSetup::run(const QString &dataDirectory, int rebuildId,
                                             const RestoreOffer &offerRestore)
{
    m_keptAside.clear();
    m_failure.clear();
    // Where damaged data went is told once, also when a later step fails.
    bool told = false;
    const auto tellKeptAside = [&] {
        if (!told && !m_keptAside.isEmpty())
            m_op.warn(QStringLiteral("Beschädigte Daten wurden nicht überschrieben, sondern aufbewahrt:\n") +
                      m_keptAside.join(u'\n'));
        told = true;
    };
    std::unique_ptr<Database> db;
    try {
        db = openDatabase(dataDirectory);
        m_errors.clearLines();
        const bool created = checkTables(*db, rebuildId != 0);
        if (m_policy.mayCreate) {
            upgradeTables(*db);
            ensureRules(*db);
        }
        if (created) {
            ensureConstraints(*db);
            tellKeptAside();
            if (offerRestore)
                offerRestore(*db);
        }
    } catch (const std::exception &e) {
        showGeneralError(m_op, e);
        m_failure = QString::fromUtf8(e.what());
        tellKeptAside();
    }
    return db;
}

std::unique_ptr<Database> DatabaseSetup::openDatabase(const QString &dataDirectory)
{
    if (m_server.isSet()) {
        auto db = std::make_unique<Database>(m_server);
        db->setLocalDirectory(dataDirectory);
        db->open();
        return db;
    }
    const QString path = Database::fileIn(dataDirectory);
    if (!m_policy.mayCreate && !QFileInfo(path).isFile())
        throw Error(QStringLiteral("Keine Datenbank: %1 gibt es nicht").arg(path));
    auto db = std::make_unique<Database>(path);
    try {
        db->open();
        return db;
    } catch (const DamagedDatabaseError &) {
        // Only a file that is no database is damaged; a locked or unreadable one is left alone.
        if (!QFileInfo::exists(path))
            throw;
        if (!m_policy.mayKeepAside)
            throw Error(QStringLiteral("Die Datenbankdatei %1 ist beschädigt; sie bleibt unverändert").arg(path));
    }
    // The file exists but is no database: keep it (and its journal) under a
    // dated name and start a new one.
    db.reset();
    const QString aside = path + QStringLiteral(".defekt-") + stamp();
    if (!QFile::rename(path, aside))
        throw Error(
            QStringLiteral("Die Datenbankdatei %1 ist beschädigt und kann nicht beiseitegelegt werden").arg(path));
    for (const char *suffix : {"-wal", "-shm"}) {
        const QString extra = path + QLatin1String(suffix);
        if (QFileInfo::exists(extra))
            QFile::rename(extra, aside + QLatin1String(suffix));
    }
    m_keptAside << QStringLiteral("Datenbankdatei: ") + aside;
    db = std::make_unique<Database>(path);
    db->open();
    return db;
}

TableState DatabaseSetup::inspect(Database &db, const TableDef &table)
{
    if (!db.tableExists(table.name))
        return TableState::Missing;
    const bool server = db.engine() == Engine::Postgres;
    QSqlQuery q = db.exec(server ? QStringLiteral("SELECT column_name, data_type FROM information_schema.columns WHERE "
                                                  "table_schema = current_schema() AND upper(table_name) = upper(?)")
                                 : QStringLiteral("SELECT name, type FROM pragma_table_info(?)"),
                          {table.name});
    QHash<QString, QString> types;
    while (q.next())
        types.insert(q.value(0).toString().toUpper(), q.value(1).toString().toUpper());
    for (const FieldDef &f : table.fields) {
        const auto it = types.constFind(f.name.toUpper());
        const QString type = server ? postgresType(f.type).toUpper() : declaredType(f.type);
        if (it == types.constEnd() || *it != type)
            return TableState::Misfit;
    }
    return TableState::Fits;
}

void DatabaseSetup::createTable(Database &db, const TableDef &table)
{
    Savepoint sp(db, QStringLiteral("create_table"));
    for (const QString &sql : db.engine() == Engine::Postgres ? createTableSqlPostgres(table) : createTableSql(table))
        db.exec(sql);
    sp.release();
}

void DatabaseSetup::keepTableAside(Database &db, const TableDef &table)
{
    const QString aside = table.name + QStringLiteral("_ALT_") + stamp();
    if (db.engine() == Engine::Postgres) {
        // The old table keeps its rows under another name; its rules go with it.
        db.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(table.name, aside));
        m_keptAside << QStringLiteral("Tabelle %1: %2").arg(table.name, aside);
        return;
    }
    // A plain copy without keys or rules, so the old rows cannot block the new table.
    db.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    try {
        Savepoint sp(db, QStringLiteral("keep_aside"));
        db.exec(QStringLiteral("CREATE TABLE \"%1\" AS SELECT * FROM %2").arg(aside, table.name));
        db.exec(QStringLiteral("DROP TABLE %1").arg(table.name));
        sp.release();
    } catch (...) {
        db.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
        throw;
    }
    db.exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    m_keptAside << QStringLiteral("Tabelle %1: %2").arg(table.name, aside);
}

bool DatabaseSetup::checkTables(Database &db, bool maintenance)
{
    bool created = false;
    for (const TableDef &table : tableDefs()) {
        const TableState state = inspect(db, table);
        if (maintenance && state != TableState::Missing) {
            try {
                db.exec(
                    (db.engine() == Engine::Postgres ? QStringLiteral("REINDEX TABLE ") : QStringLiteral("REINDEX ")) +
                    table.name);
            } catch (const EngineError &) {
                // A table that cannot be packed is only listed.
            }
            for (const QString &line : constraintListing(db, table))
                m_errors.appendLine(line);
        }
        if (state != TableState::Fits && !m_policy.mayCreate)
            throw Error(QStringLiteral("Die Datenbank %1 ist unvollständig: die Tabelle %2 %3; sie bleibt unverändert")
                            .arg(db.filePath(), table.name,
                                 state == TableState::Missing ? QStringLiteral("fehlt")
                                                              : QStringLiteral("passt nicht zum Programm")));
        if (state == TableState::Misfit && !m_policy.mayKeepAside)
            throw Error(QStringLiteral("Die Tabelle %1 in %2 passt nicht zum Programm; sie bleibt unverändert")
                            .arg(table.name, db.filePath()));
        if (state == TableState::Misfit)
            keepTableAside(db, table);
        if (state != TableState::Fits) {
            createTable(db, table);
            created = true;
        }
    }
    if (maintenance) {
        try {
            db.exec(QStringLiteral("VACUUM"));
        } catch (const EngineError &) {
        }
    }
    return created;
}

void DatabaseSetup::ensureConstraints(Database &db)
{
    // On the server the tables are only ever created with their rules, which
    // the server keeps for every row.
    if (db.engine() == Engine::Postgres)
        return;
    for (const ConstraintDef &c : constraintDefs()) {
        const TableDef *table = findTable(c.table);
        bool present = false;
        for (const ForeignKey &key : foreignKeysOf(db, c.table))
            present |= key.master.compare(c.masterTable, Qt::CaseInsensitive) == 0;
        // The table came without the rule: rebuild it with the rule, keeping its rows.
        if (!present)
            rebuildKeepingRows(db, *table);
        // Rows that break the rule: the engine refuses the rule, and the setup ends here.
        const QVariant orphans =
            db.scalar(QStringLiteral("SELECT count(*) FROM pragma_foreign_key_check(?)"), {c.table});
        if (orphans.toInt() > 0)
            throw Error(QStringLiteral("Die Regel %1 kann nicht hinzugefügt werden: %2 Zeilen von %3 haben keinen "
                                       "Datensatz in %4")
                            .arg(c.name)
                            .arg(orphans.toInt())
                            .arg(c.table, c.masterTable));
    }
}

void DatabaseSetup::rebuildKeepingRows(Database &db, const TableDef &table)
{
    // The engine's own way to change a table: a new one beside it, the rows
    // copied, the old one dropped and the new one renamed, with the
    // referential rules off meanwhile so that no other table's reference is
    // rewritten. One unit: a row the new rules refuse leaves the old table.
    QStringList sql = createTableSql(table);
    const QString fresh = table.name + QStringLiteral("_NEU");
    const qsizetype open = sql.first().indexOf(u'(');
    const QString create = QStringLiteral("CREATE TABLE ") + fresh + u' ' + sql.first().mid(open);
    const QVariant sequence = db.scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table.name});
    db.exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    const auto rulesOn = qScopeGuard([&] { db.exec(QStringLiteral("PRAGMA foreign_keys = ON")); });
    Savepoint sp(db, QStringLiteral("rebuild_table"));
    db.exec(create);
    const QString fields = table.fieldNames().join(u',');
    db.exec(QStringLiteral("INSERT INTO %1 (%2) SELECT %2 FROM %3").arg(fresh, fields, table.name));
    db.exec(QStringLiteral("DROP TABLE %1").arg(table.name));
    db.exec(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(fresh, table.name));
    for (qsizetype i = 1; i < sql.size(); ++i)
        db.exec(sql.at(i));
    // The automatic numbering goes on where it was, also past deleted rows.
    if (sequence.isValid())
        db.exec(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ?"), {sequence, table.name});
    sp.release();
}

bool DatabaseSetup::upgradeTables(Database &db)
{
    if (db.engine() == Engine::Postgres)
        return true;  // no older version kept its tables there
    bool refused = false;
    for (const TableDef &table : tableDefs()) {
        const QString created =
            db.scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE"),
                      {table.name})
                .toString();
        if (created.isEmpty() || created.contains(QStringLiteral("_32BIT")))
            continue;
        // A table of an older version: the whole-number rule is added, its rows kept.
        try {
            rebuildKeepingRows(db, table);
        } catch (const StorageError &) {
            throw;
        } catch (const EngineError &e) {
            // Rows with numbers beyond 32 bits: the table keeps its old form.
            m_errors.appendLine(QStringLiteral("Tabelle %1 behält ihre alte Form: %2").arg(table.name, e.message()));
            refused = true;
        }
    }
    return !refused;
}

void DatabaseSetup::ensureRules(Database &db)
{
    if (db.engine() == Engine::Postgres) {
        QSet<QString> present;
        QSqlQuery q = db.exec(QStringLiteral("SELECT upper(tgname) FROM pg_trigger WHERE NOT tgisinternal"), {});
        while (q.next())
            present.insert(q.value(0).toString());
        for (const TableDef &table : tableDefs()) {
            QStringList sql;
            if (!present.contains(table.name + QStringLiteral("_TEXT_RULES")))
                sql += ruleTriggerSqlPostgres(table);
            if (!present.contains(table.name + QStringLiteral("_NOTICE")))
                sql += changeNoticeSqlPostgres(table);
            for (const QString &statement : sql)
                db.exec(statement);
        }
        return;
    }
    QSet<QString> present;
    QSqlQuery q = db.exec(QStringLiteral("SELECT upper(name) FROM sqlite_master WHERE type = 'trigger'"), {});
    while (q.next())
        present.insert(q.value(0).toString());
    for (const TableDef &table : tableDefs()) {
        for (const TriggerDef &trigger : ruleTriggers(table)) {
            if (!present.contains(trigger.name.toUpper()))
                db.exec(trigger.sql);
        }
    }
}

QStringList DatabaseSetup::constraintListing(Database &db, const TableDef &table)
{
    if (db.engine() == Engine::Postgres)
        return {};  // the server lists its rules itself (psql's "\d TABLE")
    QList<std::pair<ForeignKey, bool>> rules;  // rule, table is its dependent
    for (const ForeignKey &key : foreignKeysOf(db, table.name))
        rules.append({key, true});
    for (const TableDef &other : tableDefs()) {
        if (other.name == table.name || !db.tableExists(other.name))
            continue;
        for (const ForeignKey &key : foreignKeysOf(db, other.name)) {
            if (key.master.compare(table.name, Qt::CaseInsensitive) == 0)
                rules.append({key, false});
        }
    }
    QStringList lines;
    int number = 0;
    for (const auto &[key, dependent] : rules) {
        const TableDef *other = findTable(dependent ? key.master : key.table);
        const TableDef *masterDef = findTable(key.master);
        const TableDef *dependentDef = findTable(key.table);
        lines << QStringLiteral("RI Number: %1").arg(++number) << QStringLiteral("RI Name: ") + constraintName(key)
              << (dependent ? QStringLiteral("RI Type: DEPENDENT") : QStringLiteral("RI Type: MASTER"))
              << QStringLiteral("RI Other Table Name: ") + (other ? other->fileName : key.master)
              << QStringLiteral("RI Modify Qualifier: ") + ruleWord(key.onUpdate)
              << QStringLiteral(", rint") + ruleWord(key.onDelete)
              << QStringLiteral("RI Fields in Linking Key: %1").arg(key.fields.size());
        const QString own = dependent ? positions(dependentDef, key.fields) : positions(masterDef, key.masterFields);
        const QString theirs = dependent ? positions(masterDef, key.masterFields) : positions(dependentDef, key.fields);
        lines << QStringLiteral("RI Key Field Numbers in Table: ") + own
              << QStringLiteral("RI Key Field Numbers in Other Table: ") + theirs << QString();
    }
    return lines;
}

}  // namespace rq::db

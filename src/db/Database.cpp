#include "db/Database.h"

#include "common/Errors.h"
#include "db/PreparedStatement.h"

#include <QAtomicInt>
#include <QSqlError>

#include <sqlite3.h>

namespace rq::db {
namespace {

QAtomicInt s_connectionCounter;

}  // namespace

QString Database::fileIn(const QString &dataDirectory)
{
    QString dir = dataDirectory;
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir + QStringLiteral("ranbase.sqlite");
}

Database::Database(QString filePath)
    : m_filePath(std::move(filePath))
    , m_connectionName(QStringLiteral("RANBASE-%1").arg(s_connectionCounter.fetchAndAddRelaxed(1)))
{
}

Database::~Database()
{
    close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Database::open()
{
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    db.setDatabaseName(m_filePath);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        throwFailure(db.lastError(), QString());
    try {
        // Reading the schema fails at once on a file that is not a database.
        exec(QStringLiteral("PRAGMA schema_version"));
        exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
        // Large events: the indexes of 450,000 performances stay in a 16 MB page
        // cache, and the WAL is copied back every 10,000 pages (about 40 MB)
        // instead of every 1,000, so that a save of one participant stays cheap.
        exec(QStringLiteral("PRAGMA wal_autocheckpoint = 10000"));
        exec(QStringLiteral("PRAGMA cache_size = -16384"));
        exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    } catch (...) {
        db.close();
        throw;
    }
}

void Database::close()
{
    m_prepared.clear();
    m_selects.clear();
    if (QSqlDatabase::contains(m_connectionName)) {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
}

bool Database::isOpen() const
{
    return QSqlDatabase::contains(m_connectionName) && connection().isOpen();
}

QSqlDatabase Database::connection() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

void Database::exec(const QString &sql)
{
    QSqlQuery query(connection());
    if (!query.exec(sql))
        throwFailure(query.lastError(), sql);
}

void Database::exec(const QStringList &lines)
{
    exec(lines.join(u'\n'));
}

QSqlQuery Database::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(connection());
    query.setForwardOnly(true);
    if (!query.prepare(sql))
        throwFailure(query.lastError(), sql);
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec())
        throwFailure(query.lastError(), sql);
    return query;
}

int Database::execute(const QString &sql, const QVariantList &values)
{
    auto it = m_prepared.find(sql);
    if (it == m_prepared.end())
        it = m_prepared.emplace(sql, std::make_unique<PreparedStatement>(*this, sql)).first;
    PreparedStatement &statement = *it->second;
    if (!statement.run(values))
        throwFailure(statement.lastError(), sql);
    return statement.changedRows();
}

void Database::forEachRow(const QString &sql, const QVariantList &values,
                          const std::function<void(const PreparedStatement::Row &)> &each)
{
    auto it = m_prepared.find(sql);
    if (it == m_prepared.end())
        it = m_prepared.emplace(sql, std::make_unique<PreparedStatement>(*this, sql)).first;
    PreparedStatement &statement = *it->second;
    if (!statement.forEachRow(values, each))
        throwFailure(statement.lastError(), sql);
}

QSqlQuery Database::select(const QString &sql, const QVariantList &values)
{
    auto it = m_selects.find(sql);
    if (it == m_selects.end()) {
        QSqlQuery query(connection());
        query.setForwardOnly(true);
        if (!query.prepare(sql))
            throwFailure(query.lastError(), sql);
        it = m_selects.emplace(sql, std::move(query));
    }
    for (const QVariant &v : values)
        it->addBindValue(v);
    if (!it->exec())
        throwFailure(it->lastError(), sql);
    return *it;
}

QVariant Database::scalar(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = exec(sql, values);
    if (query.next())
        return query.value(0);
    // A read that breaks off is no empty result.
    if (query.lastError().isValid())
        throwFailure(query.lastError(), sql);
    return QVariant();
}

bool Database::inTransaction() const
{
    sqlite3 *handle = sqliteHandle(connection());
    return handle && sqlite3_get_autocommit(handle) == 0;
}

bool Database::tableExists(const QString &name) const
{
    const QString sql = QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
    QSqlQuery query(connection());
    if (!query.prepare(sql))
        throwFailure(query.lastError(), sql);
    query.addBindValue(name);
    if (!query.exec())
        throwFailure(query.lastError(), sql);
    return query.next();
}

QStringList Database::tableNames() const
{
    QStringList names = connection().tables(QSql::Tables);
    names.removeIf([](const QString &name) { return name.startsWith(QStringLiteral("sqlite_")); });
    return names;
}

QString engineText(const QSqlError &error)
{
    const QString text = error.databaseText();
    return (text.isEmpty() ? error.text() : text).trimmed();
}

namespace {

// The engine's common failures in plain German, found by the start of their
// text. The engine's own text follows in brackets for the expert.
struct EngineFailure
{
    const char *pattern;  // matched case-insensitively at the start or after "near …: "
    const char *german;
};

const EngineFailure kEngineFailures[] = {
    {"UNIQUE constraint failed", "Ein Datensatz mit diesem Schlüssel ist schon vorhanden"},
    {"PRIMARY KEY must be unique", "Ein Datensatz mit diesem Schlüssel ist schon vorhanden"},
    {"NOT NULL constraint failed", "Ein Pflichtfeld ist leer"},
    {"FOREIGN KEY constraint failed",
     "Der Datensatz verweist auf einen fehlenden Datensatz oder wird von einem anderen noch gebraucht"},
    {"syntax error", "Die SQL-Anweisung ist fehlerhaft"},
    {"incomplete input", "Die SQL-Anweisung ist unvollständig"},
    {"no such table", "Diese Tabelle gibt es nicht"},
    {"no such column", "Dieses Feld gibt es nicht"},
    {"database is locked", "Die Datenbank ist von einem anderen Programm gesperrt"},
    {"database table is locked", "Die Datenbank ist von einem anderen Programm gesperrt"},
    {"database or disk is full", "Der Datenträger ist voll"},
};

}  // namespace

QString germanEngineText(const QString &text)
{
    for (const EngineFailure &failure : kEngineFailures) {
        const QString pattern = QString::fromUtf8(failure.pattern);
        // "near "selec": syntax error" names the place first.
        const bool matches = text.startsWith(pattern, Qt::CaseInsensitive) ||
                             (text.startsWith(QStringLiteral("near "), Qt::CaseInsensitive) &&
                              text.endsWith(QStringLiteral(": ") + pattern, Qt::CaseInsensitive));
        if (matches)
            return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(failure.german), text);
    }
    return text;
}

QString engineMessage(const QSqlError &error)
{
    return germanEngineText(engineText(error));
}

namespace {

// The engine's primary result codes that mean the storage failed, with what
// the operator is told.
struct StorageFault
{
    int code;
    const char *text;
};

const StorageFault kStorageFaults[] = {
    {3, "Kein Zugriff auf die Datenbankdatei"},  // SQLITE_PERM
    {5, "Die Datenbank ist von einem anderen Programm gesperrt"},  // SQLITE_BUSY
    {6, "Die Datenbank ist von einem anderen Programm gesperrt"},  // SQLITE_LOCKED
    {7, "Nicht genügend Arbeitsspeicher"},  // SQLITE_NOMEM
    {8, "Die Datenbank ist schreibgeschützt"},  // SQLITE_READONLY
    {10, "Lese- oder Schreibfehler auf dem Datenträger"},  // SQLITE_IOERR
    {11, "Die Datenbankdatei ist beschädigt"},  // SQLITE_CORRUPT
    {13, "Der Datenträger ist voll"},  // SQLITE_FULL
    {14, "Die Datenbankdatei kann nicht geöffnet werden"},  // SQLITE_CANTOPEN
    {15, "Die Sperre der Datenbank ist verloren gegangen"},  // SQLITE_PROTOCOL
    {22, "Die Datenbankdatei ist für das Dateisystem zu groß"},  // SQLITE_NOLFS
    {26, "Die Datenbankdatei ist beschädigt"},  // SQLITE_NOTADB
};

int primaryCode(const QSqlError &error)
{
    bool ok = false;
    const int code = error.nativeErrorCode().toInt(&ok) & 0xff;  // the primary of an extended code
    return ok ? code : -1;
}

const StorageFault *storageFault(const QSqlError &error)
{
    const int code = primaryCode(error);
    for (const StorageFault &fault : kStorageFaults) {
        if (fault.code == code)
            return &fault;
    }
    return nullptr;
}

}  // namespace

bool isStorageFault(const QSqlError &error)
{
    return storageFault(error) != nullptr;
}

QString storageFaultMessage(const QSqlError &error)
{
    const StorageFault *fault = storageFault(error);
    return QStringLiteral("%1. Der Vorgang wurde abgebrochen, seine Änderungen wurden zurückgenommen "
                          "(Meldung der Datenbank: %2)")
        .arg(fault ? QString::fromUtf8(fault->text) : QStringLiteral("Fehler des Datenträgers"), engineText(error));
}

QString failureMessage(const QSqlError &error)
{
    return isStorageFault(error) ? storageFaultMessage(error) : engineMessage(error);
}

void throwFailure(const QSqlError &error, const QString &sql)
{
    const int code = primaryCode(error);
    if (code == 11 || code == 26)  // SQLITE_CORRUPT, SQLITE_NOTADB
        throw DamagedDatabaseError(storageFaultMessage(error), sql);
    if (isStorageFault(error))
        throw StorageError(storageFaultMessage(error), sql);
    throw EngineError(engineMessage(error), sql);
}

QString refusalReason(const QSqlError &error)
{
    if (isStorageFault(error))
        throw StorageError(storageFaultMessage(error), QString());
    return engineMessage(error);
}

QString quote(const QString &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    return u'\'' + QString(value).replace(u'\'', QStringLiteral("''")) + u'\'';
}

Savepoint::Savepoint(Database &db, QString name)
    : m_db(db)
    , m_name(std::move(name))
{
    m_db.exec(QStringLiteral("SAVEPOINT ") + m_name);
}

Savepoint::~Savepoint()
{
    if (m_done)
        return;
    try {
        m_db.exec(QStringLiteral("ROLLBACK TO ") + m_name);
        m_db.exec(QStringLiteral("RELEASE ") + m_name);
    } catch (const Error &) {
        // The connection is gone; there is nothing left to undo.
    }
}

void Savepoint::release()
{
    m_db.exec(QStringLiteral("RELEASE ") + m_name);
    m_done = true;
}

}  // namespace rq::db

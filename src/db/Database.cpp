#include "db/Database.h"

#include "common/Errors.h"
#include "db/Dialect.h"
#include "db/PreparedStatement.h"
#include "db/TableDefs.h"

#include <QAtomicInt>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlRecord>

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

ServerSettings ServerSettings::parse(const QString &server, const QString &database, const QString &user)
{
    ServerSettings settings;
    QString host = server.trimmed();
    // "host:port" (a Unix socket's directory too); an IPv6 address keeps its colons.
    const qsizetype colon = host.lastIndexOf(u':');
    if (colon > 0 && host.count(u':') == 1) {
        bool ok = false;
        const int port = host.mid(colon + 1).toInt(&ok);
        if (ok && port > 0 && port < 65536) {
            settings.port = port;
            host.truncate(colon);
        }
    }
    settings.host = host;
    settings.database = database.trimmed();
    settings.user = user.trimmed();
    return settings;
}

QString ServerSettings::display() const
{
    return QStringLiteral("%1%2:%3/%4").arg(user.isEmpty() ? QString() : user + u'@', host).arg(port).arg(database);
}

Database::Database(QString filePath)
    : m_filePath(std::move(filePath))
    , m_connectionName(QStringLiteral("RANBASE-%1").arg(s_connectionCounter.fetchAndAddRelaxed(1)))
{
}

Database::Database(ServerSettings server)
    : m_server(std::move(server))
    , m_connectionName(QStringLiteral("RANBASE-%1").arg(s_connectionCounter.fetchAndAddRelaxed(1)))
{
}

QString Database::display() const
{
    return m_server.isSet() ? QStringLiteral("PostgreSQL ") + m_server.display() : m_filePath;
}

QString Database::localDirectory() const
{
    if (!m_localDirectory.isEmpty() || m_filePath.isEmpty())
        return m_localDirectory;
    return QFileInfo(m_filePath).absolutePath();
}

bool Database::forwardOnly() const
{
    // QtSql's PostgreSQL driver streams a forward-only result row by row and
    // then runs no other statement on the connection until it is read; the
    // program reads one result while it writes, so there results come whole.
    return engine() == Engine::Sqlite;
}

QString Database::dialect(const QString &sql) const
{
    return engine() == Engine::Postgres ? postgresDialect(sql) : sql;
}

Database::~Database()
{
    close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

void Database::open()
{
    if (engine() == Engine::Postgres) {
        openServer();
        return;
    }
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

void Database::openServer()
{
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    db.setHostName(m_server.host);
    db.setPort(m_server.port);
    db.setDatabaseName(m_server.database);
    db.setUserName(m_server.user);
    db.setConnectOptions(QStringLiteral("application_name=Ranquill;connect_timeout=10"));
    if (!db.open())
        throwFailure(db.lastError(), QString());
    try {
        // A station waits at most 10 s for another's lock (a list being
        // generated, a participant being saved) before its operation is refused.
        exec(QStringLiteral("SET lock_timeout = '10s'"));
        exec(QStringLiteral("SET client_min_messages = warning"));
    } catch (...) {
        db.close();
        throw;
    }
}

void Database::close()
{
    m_savepoints = 0;
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
    StatementGuard guard(*this, sql);
    QSqlQuery query(connection());
    if (!query.exec(dialect(sql)))
        throwFailure(query.lastError(), sql);
    guard.succeeded();
}

void Database::exec(const QStringList &lines)
{
    exec(lines.join(u'\n'));
}

QSqlQuery Database::exec(const QString &sql, const QVariantList &values)
{
    QSqlQuery query(connection());
    query.setForwardOnly(forwardOnly());
    if (!query.prepare(dialect(sql)))
        throwFailure(query.lastError(), sql);
    for (const QVariant &v : values)
        query.addBindValue(v);
    StatementGuard guard(*this, sql);
    if (!query.exec())
        throwFailure(query.lastError(), sql);
    guard.succeeded();
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
        query.setForwardOnly(forwardOnly());
        if (!query.prepare(dialect(sql)))
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

namespace {

// The automatic number's column of a table.
QString numberedColumn(const QString &table)
{
    const TableDef *def = findTable(table);
    if (!def || def->fields.isEmpty() || def->fields.first().type != FieldType::AutoInc)
        throw Error(QStringLiteral("Die Tabelle %1 hat keine automatische Nummer").arg(table));
    return def->fields.first().name;
}

}  // namespace

void Database::restartNumbering(const QString &table)
{
    const QString column = numberedColumn(table);
    if (engine() == Engine::Postgres)
        exec(QStringLiteral("ALTER TABLE %1 ALTER COLUMN %2 RESTART WITH 1").arg(table, column));
    else
        exec(QStringLiteral("DELETE FROM sqlite_sequence WHERE name = ?"), {table});
}

void Database::continueNumbering(const QString &table)
{
    const QString column = numberedColumn(table);
    if (engine() != Engine::Postgres)
        return;
    // The sequence stands at the highest number (the next is one more, also
    // beyond 32 bits, where the server refuses it), or at its start when there is none.
    exec(QStringLiteral("SELECT setval(pg_get_serial_sequence('%1', '%2'), coalesce(max(%2), 1), max(%2) IS NOT NULL) "
                        "FROM %1")
             .arg(table.toLower(), column.toLower()),
         {});
}

bool Database::watchOtherStations(std::function<void()> changed)
{
    if (engine() != Engine::Postgres)
        return false;
    QSqlDriver *driver = connection().driver();
    const QString channel = QString::fromLatin1(kChangeChannel);
    if (!driver->subscribedToNotifications().contains(channel) && !driver->subscribeToNotification(channel))
        return false;
    QObject::disconnect(driver, &QSqlDriver::notification, nullptr, nullptr);
    QObject::connect(
        driver, &QSqlDriver::notification, driver,
        [changed = std::move(changed)](const QString &, QSqlDriver::NotificationSource source, const QVariant &) {
            if (source == QSqlDriver::OtherSource && changed)
                changed();
        });
    return true;
}

bool Database::othersCommitted()
{
    if (engine() == Engine::Postgres)
        return false;
    const qint64 version = scalar(QStringLiteral("PRAGMA data_version")).toLongLong();
    const bool changed = m_dataVersion >= 0 && version != m_dataVersion;
    m_dataVersion = version;
    return changed;
}

void Database::readOneState()
{
    if (engine() == Engine::Postgres && m_savepoints == 1)
        exec(QStringLiteral("SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"));
}

void Database::lockList(int kat, int klasse)
{
    if (engine() == Engine::Postgres && inTransaction())
        exec(QStringLiteral("SELECT pg_advisory_xact_lock(?, ?)"), {kat, klasse});
}

bool Database::inTransaction() const
{
    if (engine() == Engine::Postgres)
        return m_savepoints > 0;
    sqlite3 *handle = sqliteHandle(connection());
    return handle && sqlite3_get_autocommit(handle) == 0;
}

bool Database::tableExists(const QString &name) const
{
    const QString sql =
        engine() == Engine::Postgres
            ? QStringLiteral("SELECT 1 FROM information_schema.tables WHERE table_schema = "
                             "current_schema() AND upper(table_name) = upper(?)")
            : QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
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
    if (engine() == Engine::Postgres) {
        // The server keeps unquoted names in lower case; the program's are upper case.
        for (QString &name : names)
            name = name.toUpper();
    }
    return names;
}

namespace {

// PostgreSQL names a failure by its five-character SQLSTATE, SQLite by a number.
bool isServerCode(const QString &code)
{
    return code.size() == 5 && !code.startsWith(u'-');
}

}  // namespace

QStringList Database::columnNames(const QString &table) const
{
    const bool server = engine() == Engine::Postgres;
    // The server keeps unquoted names in lower case; QtSql looks them up as given.
    const QSqlRecord record = connection().record(server ? table.toLower() : table);
    QStringList names;
    for (int i = 0; i < record.count(); ++i)
        names << (server ? record.fieldName(i).toUpper() : record.fieldName(i));
    return names;
}

QString Database::fieldName(const QSqlRecord &record, int i) const
{
    return engine() == Engine::Postgres ? record.fieldName(i).toUpper() : record.fieldName(i);
}

QString engineText(const QSqlError &error)
{
    QString text = error.databaseText();
    if (text.isEmpty())
        text = error.text();
    if (isServerCode(error.nativeErrorCode())) {
        // "ERROR:  duplicate key … \nDETAIL: …\n(23505)": the message's first line.
        text = text.section(u'\n', 0, 0);
        if (text.startsWith(QStringLiteral("ERROR:")))
            text = text.mid(6);
    }
    return text.trimmed();
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

namespace {

// The server's common failures in plain German, by SQLSTATE.
struct ServerFailure
{
    const char *code;
    const char *german;
};

const ServerFailure kServerFailures[] = {
    {"23505", "Ein Datensatz mit diesem Schlüssel ist schon vorhanden"},
    {"23502", "Ein Pflichtfeld ist leer"},
    {"23503", "Der Datensatz verweist auf einen fehlenden Datensatz oder wird von einem anderen noch gebraucht"},
    {"42601", "Die SQL-Anweisung ist fehlerhaft"},
    {"42P01", "Diese Tabelle gibt es nicht"},
    {"42703", "Dieses Feld gibt es nicht"},
    {"55P03", "Die Daten sind gerade von einem anderen Erfassungsplatz gesperrt"},
    {"40P01", "Die Daten sind gerade von einem anderen Erfassungsplatz gesperrt"},
    {"40001", "Ein anderer Erfassungsplatz hat dieselben Daten gleichzeitig geändert"},
    {"22003", "Eine Zahl ist zu gross für ihr Feld"},
    {"22P02", "Ein Wert passt nicht zum Typ seines Felds"},
};

}  // namespace

QString engineMessage(const QSqlError &error)
{
    const QString code = error.nativeErrorCode();
    if (isServerCode(code)) {
        for (const ServerFailure &failure : kServerFailures) {
            if (code == QLatin1String(failure.code))
                return QStringLiteral("%1 (%2)").arg(QString::fromUtf8(failure.german), engineText(error));
        }
        return engineText(error);
    }
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

// The server's failures of the storage or the connection, by SQLSTATE class or code.
const char *serverStorageFault(const QString &code)
{
    if (code.startsWith(QStringLiteral("08")))
        return "Die Verbindung zum Datenbankserver ist unterbrochen";
    if (code == QStringLiteral("53100"))
        return "Der Datenträger des Datenbankservers ist voll";
    if (code.startsWith(QStringLiteral("53")))
        return "Dem Datenbankserver fehlen Mittel (Speicher oder Verbindungen)";
    if (code.startsWith(QStringLiteral("58")) || code == QStringLiteral("XX001") || code == QStringLiteral("XX002"))
        return "Lese- oder Schreibfehler auf dem Datenbankserver";
    if (code == QStringLiteral("57P01") || code == QStringLiteral("57P02") || code == QStringLiteral("57P03"))
        return "Der Datenbankserver ist nicht verfügbar";
    return nullptr;
}

int primaryCode(const QSqlError &error)
{
    if (isServerCode(error.nativeErrorCode()))
        return -1;
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
    // A connection that could not be made at all names no code: a fault of the storage, too.
    if (error.type() == QSqlError::ConnectionError && error.nativeErrorCode().isEmpty())
        return true;
    return storageFault(error) != nullptr || serverStorageFault(error.nativeErrorCode()) != nullptr;
}

QString storageFaultMessage(const QSqlError &error)
{
    const StorageFault *fault = storageFault(error);
    const char *serverFault = serverStorageFault(error.nativeErrorCode());
    QString text = fault         ? QString::fromUtf8(fault->text)
                   : serverFault ? QString::fromUtf8(serverFault)
                                 : QStringLiteral("Fehler des Datenträgers");
    if (!fault && !serverFault && error.type() == QSqlError::ConnectionError)
        text = QStringLiteral("Keine Verbindung zur Datenbank");
    return QStringLiteral("%1. Der Vorgang wurde abgebrochen, seine Änderungen wurden zurückgenommen "
                          "(Meldung der Datenbank: %2)")
        .arg(text, engineText(error));
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

namespace {

bool changesData(const QString &sql)
{
    static const QRegularExpression change(QStringLiteral("^\\s*(INSERT|UPDATE|DELETE|REPLACE)\\b"),
                                           QRegularExpression::CaseInsensitiveOption);
    return change.match(sql).hasMatch();
}

}  // namespace

StatementGuard::StatementGuard(const Database &db, const QString &sql)
{
    if (db.engine() != Engine::Postgres || !db.inTransaction() || !changesData(sql))
        return;
    m_connection = db.connection();
    QSqlQuery query(m_connection);
    m_open = query.exec(QStringLiteral("SAVEPOINT rq_statement"));
}

StatementGuard::~StatementGuard()
{
    if (!m_open)
        return;
    QSqlQuery query(m_connection);
    query.exec(QStringLiteral("ROLLBACK TO SAVEPOINT rq_statement"));
    query.exec(QStringLiteral("RELEASE SAVEPOINT rq_statement"));
}

void StatementGuard::succeeded()
{
    if (!m_open)
        return;
    QSqlQuery query(m_connection);
    query.exec(QStringLiteral("RELEASE SAVEPOINT rq_statement"));
    m_open = false;
}

// The outermost savepoint is the transaction itself. On SQLite it takes the
// file's write lock at once (waiting for another writer as long as the busy
// timeout allows): a transaction that first read and then wrote would
// otherwise be refused when another connection wrote in between. PostgreSQL
// needs BEGIN before a savepoint anyway.
Savepoint::Savepoint(Database &db, QString name)
    : m_db(db)
    , m_name(std::move(name))
{
    const bool outermost = m_db.m_savepoints == 0;
    if (outermost)
        m_db.exec(m_db.engine() == Engine::Postgres ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
    else
        m_db.exec(QStringLiteral("SAVEPOINT ") + m_name);
    ++m_db.m_savepoints;
}

Savepoint::~Savepoint()
{
    if (m_done)
        return;
    --m_db.m_savepoints;
    try {
        if (m_db.m_savepoints == 0) {
            m_db.exec(QStringLiteral("ROLLBACK"));
        } else {
            m_db.exec(QStringLiteral("ROLLBACK TO ") + m_name);
            m_db.exec(QStringLiteral("RELEASE ") + m_name);
        }
    } catch (const Error &) {
        // The connection is gone; there is nothing left to undo.
    }
}

void Savepoint::release()
{
    const bool outermost = m_db.m_savepoints == 1;
    m_db.exec(outermost ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE ") + m_name);
    --m_db.m_savepoints;
    m_done = true;
}

}  // namespace rq::db

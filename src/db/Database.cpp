#include "db/Database.h"

#include "common/Errors.h"

#include <QAtomicInt>
#include <QSqlError>

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
        throw EngineError(engineMessage(db.lastError()), QString());
    try {
        // Reading the schema fails at once on a file that is not a database.
        exec(QStringLiteral("PRAGMA schema_version"));
        exec(QStringLiteral("PRAGMA journal_mode = WAL"));
        exec(QStringLiteral("PRAGMA synchronous = NORMAL"));
        exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    } catch (...) {
        db.close();
        throw;
    }
}

void Database::close()
{
    m_prepared.clear();
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
        throw EngineError(engineMessage(query.lastError()), sql);
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
        throw EngineError(engineMessage(query.lastError()), sql);
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec())
        throw EngineError(engineMessage(query.lastError()), sql);
    return query;
}

int Database::execute(const QString &sql, const QVariantList &values)
{
    auto it = m_prepared.find(sql);
    if (it == m_prepared.end()) {
        QSqlQuery query(connection());
        if (!query.prepare(sql))
            throw EngineError(engineMessage(query.lastError()), sql);
        it = m_prepared.emplace(sql, std::move(query));
    }
    for (const QVariant &v : values)
        it->addBindValue(v);
    if (!it->exec())
        throw EngineError(engineMessage(it->lastError()), sql);
    return it->numRowsAffected();
}

QVariant Database::scalar(const QString &sql, const QVariantList &values)
{
    QSqlQuery query = exec(sql, values);
    return query.next() ? query.value(0) : QVariant();
}

bool Database::tableExists(const QString &name) const
{
    const QString sql = QStringLiteral("SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ? COLLATE NOCASE");
    QSqlQuery query(connection());
    if (!query.prepare(sql))
        throw EngineError(engineMessage(query.lastError()), sql);
    query.addBindValue(name);
    if (!query.exec())
        throw EngineError(engineMessage(query.lastError()), sql);
    return query.next();
}

QStringList Database::tableNames() const
{
    QStringList names = connection().tables(QSql::Tables);
    names.removeIf([](const QString &name) { return name.startsWith(QStringLiteral("sqlite_")); });
    return names;
}

QString engineMessage(const QSqlError &error)
{
    const QString text = error.databaseText();
    return (text.isEmpty() ? error.text() : text).trimmed();
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

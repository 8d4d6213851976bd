#include "db/PreparedStatement.h"

#include "db/Database.h"

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QSqlDriver>
#include <QSqlRecord>
#include <QTime>
#include <QUuid>

#include <sqlite3.h>

namespace rq::db {
namespace {

// What QtSql binds as NULL: an invalid value, and null texts, byte arrays and dates.
bool isNullValue(const QVariant &v)
{
    if (v.isNull())
        return true;
    switch (v.typeId()) {
    case QMetaType::QString:
        return static_cast<const QString *>(v.constData())->isNull();
    case QMetaType::QByteArray:
        return static_cast<const QByteArray *>(v.constData())->isNull();
    case QMetaType::QDateTime:
        return static_cast<const QDateTime *>(v.constData())->isNull();
    case QMetaType::QDate:
        return static_cast<const QDate *>(v.constData())->isNull();
    case QMetaType::QTime:
        return static_cast<const QTime *>(v.constData())->isNull();
    case QMetaType::QUuid:
        return static_cast<const QUuid *>(v.constData())->isNull();
    default:
        return false;
    }
}

}  // namespace

sqlite3 *sqliteHandle(const QSqlDatabase &connection)
{
    if (connection.driverName() != QStringLiteral("QSQLITE"))
        return nullptr;
    const QVariant handle = connection.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3 *const *>(handle.constData());
}

PreparedStatement::PreparedStatement(const Database &db, const QString &sql)
    : m_db(&db)
    , m_sql(sql)
    , m_handle(sqliteHandle(db.connection()))
{
    if (!m_handle) {
        m_query = std::make_unique<QSqlQuery>(db.connection());
        m_query->setForwardOnly(db.forwardOnly());
        if (!m_query->prepare(db.dialect(sql)))
            throwFailure(m_query->lastError(), sql);
        return;
    }
    const QByteArray utf8 = sql.toUtf8();
    const int code = sqlite3_prepare_v3(m_handle, utf8.constData(), int(utf8.size()), SQLITE_PREPARE_PERSISTENT,
                                        &m_statement, nullptr);
    if (code != SQLITE_OK) {
        failOnSqlite(QStringLiteral("Unable to execute statement"), code);
        throwFailure(m_error, sql);
    }
}

PreparedStatement::~PreparedStatement()
{
    sqlite3_finalize(m_statement);
}

bool PreparedStatement::run(const QVariantList &values)
{
    return forEachRow(values, {});
}

bool PreparedStatement::forEachRow(const QVariantList &values, const std::function<void(const Row &)> &each)
{
    m_error = QSqlError();
    m_changed = 0;
    if (m_statement)
        return runOnSqlite(values, each);
    for (const QVariant &v : values)
        m_query->addBindValue(v);
    StatementGuard guard(*m_db, m_sql);
    if (!m_query->exec()) {
        m_error = m_query->lastError();
        return false;
    }
    guard.succeeded();
    const Row row(nullptr, m_query.get());
    while (each && m_query->next())
        each(row);
    if (m_query->lastError().isValid()) {
        m_error = m_query->lastError();
        return false;
    }
    m_changed = m_query->numRowsAffected();
    return true;
}

int PreparedStatement::Row::count() const
{
    return m_statement ? sqlite3_column_count(m_statement) : m_query->record().count();
}

QString PreparedStatement::Row::name(int i) const
{
    if (!m_statement) {
        // The server gives unquoted names in lower case; the program's are upper case.
        const QString name = m_query->record().fieldName(i);
        return m_query->driver()->dbmsType() == QSqlDriver::PostgreSQL ? name.toUpper() : name;
    }
    return QString::fromUtf16(static_cast<const char16_t *>(sqlite3_column_name16(m_statement, i)));
}

// Columns are read through the engine's own value of each: that locks the
// connection once per column, not once per question asked of it. The value is
// "unprotected", which is safe because a connection is only ever used by the
// thread that opened it (as QtSql requires).
QString PreparedStatement::Row::text(int i) const
{
    if (!m_statement) {
        // NULL as a null string, also where the driver gives a number's NULL (which reads as "0").
        return m_query->isNull(i) ? QString() : m_query->value(i).toString();
    }
    sqlite3_value *value = sqlite3_column_value(m_statement, i);
    switch (sqlite3_value_type(value)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QString::number(sqlite3_value_int64(value));
    case SQLITE_FLOAT:
        // As QVariant writes a double, so that both paths give the same text.
        return QString::number(sqlite3_value_double(value), 'g', QLocale::FloatingPointShortest);
    default: {
        // The program's files keep texts as UTF-8 (the engine converts when a
        // file does not); reading them so spares the engine a conversion and a copy.
        const auto *chars = reinterpret_cast<const char *>(sqlite3_value_text(value));
        return QString::fromUtf8(chars, sqlite3_value_bytes(value));
    }
    }
}

void PreparedStatement::Row::appendUtf8(int i, QByteArray &to) const
{
    sqlite3_value *value = m_statement ? sqlite3_column_value(m_statement, i) : nullptr;
    if (value && sqlite3_value_type(value) == SQLITE_TEXT)
        to.append(reinterpret_cast<const char *>(sqlite3_value_text(value)), sqlite3_value_bytes(value));
    else if (!value || sqlite3_value_type(value) != SQLITE_NULL)
        to.append(text(i).toUtf8());
}

bool PreparedStatement::runOnSqlite(const QVariantList &values, const std::function<void(const Row &)> &each)
{
    // The statement was reset and its bindings cleared at the end of its last run.
    if (values.size() != sqlite3_bind_parameter_count(m_statement)) {
        m_error = QSqlError(QStringLiteral("Parameter count mismatch"), QString(), QSqlError::StatementError);
        return false;
    }
    for (int i = 0; i < values.size(); ++i) {
        const QVariant &v = values.at(i);
        const int column = i + 1;
        int code = SQLITE_OK;
        if (isNullValue(v)) {
            code = sqlite3_bind_null(m_statement, column);
        } else {
            switch (v.typeId()) {
            case QMetaType::Int:
            case QMetaType::Bool:
                code = sqlite3_bind_int(m_statement, column, v.toInt());
                break;
            case QMetaType::UInt:
            case QMetaType::LongLong:
            case QMetaType::ULongLong:
                code = sqlite3_bind_int64(m_statement, column, v.toLongLong());
                break;
            case QMetaType::Double:
                code = sqlite3_bind_double(m_statement, column, v.toDouble());
                break;
            case QMetaType::QByteArray: {
                const auto *bytes = static_cast<const QByteArray *>(v.constData());
                code = sqlite3_bind_blob(m_statement, column, bytes->constData(), int(bytes->size()), SQLITE_STATIC);
                break;
            }
            case QMetaType::QString: {
                // The value lives in `values` until the statement has run.
                const auto *text = static_cast<const QString *>(v.constData());
                code = sqlite3_bind_text16(m_statement, column, text->utf16(), int(text->size() * sizeof(QChar)),
                                           SQLITE_STATIC);
                break;
            }
            default: {
                const QString text = v.toString();
                code = sqlite3_bind_text16(m_statement, column, text.utf16(), int(text.size() * sizeof(QChar)),
                                           SQLITE_TRANSIENT);
                break;
            }
            }
        }
        if (code != SQLITE_OK) {
            failOnSqlite(QStringLiteral("Unable to bind parameters"), code);
            sqlite3_clear_bindings(m_statement);
            return false;
        }
    }
    const Row row(m_statement, nullptr);
    int code = sqlite3_step(m_statement);
    try {
        while (code == SQLITE_ROW) {
            if (each)
                each(row);
            code = sqlite3_step(m_statement);
        }
    } catch (...) {
        // A reader that gives up ends the query, so that it holds no read lock.
        sqlite3_reset(m_statement);
        sqlite3_clear_bindings(m_statement);
        throw;
    }
    if (code != SQLITE_DONE) {
        failOnSqlite(QStringLiteral("Unable to fetch row"), sqlite3_reset(m_statement));
        sqlite3_clear_bindings(m_statement);
        return false;
    }
    m_changed = sqlite3_changes(m_handle);
    sqlite3_reset(m_statement);
    sqlite3_clear_bindings(m_statement);  // no pointer into `values` outlives this call
    return true;
}

void PreparedStatement::failOnSqlite(const QString &what, int code)
{
    const auto *message = static_cast<const char16_t *>(sqlite3_errmsg16(m_handle));
    m_error = QSqlError(what, QString::fromUtf16(message), QSqlError::StatementError, QString::number(code));
}

}  // namespace rq::db

#include "ranking/LinkedTableModel.h"

#include "common/Errors.h"
#include "db/Database.h"

#include <QSqlDriver>
#include <QSqlError>
#include <QSqlField>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rq::ranking {
namespace {

// Savepoints on the model's connection, so that the row and its follow-ups are
// one unit. A savepoint that cannot be set shows in the update that follows.
bool execOn(const QSqlDatabase &db, const QString &sql)
{
    QSqlQuery q(db);
    return q.exec(sql);
}

bool onServer(const QSqlDatabase &db)
{
    return db.driver()->dbmsType() == QSqlDriver::PostgreSQL;
}

}  // namespace

LinkedTableModel::LinkedTableModel(QObject *parent, const QSqlDatabase &db, const QString &table,
                                   const QStringList &linkFields, const QString &orderField)
    : QSqlTableModel(parent, db)
    , m_linkFields(linkFields)
    , m_orderField(orderField)
{
    // The server keeps the program's unquoted names in lower case, and QtSql
    // quotes the table's name as given; the titles stay the program's.
    setTable(onServer(db) ? table.toLower() : table);
    if (onServer(db)) {
        for (int i = 0; i < columnCount(); ++i)
            setHeaderData(i, Qt::Horizontal, record().fieldName(i).toUpper());
    }
    setEditStrategy(OnRowChange);
    connect(this, &QSqlTableModel::primeInsert, this, [this](int, QSqlRecord &record) {
        for (int i = 0; i < m_linkFields.size() && i < m_linkValues.size(); ++i) {
            record.setValue(m_linkFields.at(i), m_linkValues.at(i));
            record.setGenerated(m_linkFields.at(i), true);
        }
    });
}

void LinkedTableModel::link(const QVariantList &values)
{
    if (values == m_linkValues && !filter().isEmpty())
        return;  // already showing these rows; keep pending edits
    revertAll();
    m_linkValues = values;
    if (values.isEmpty()) {
        setFilter(QStringLiteral("0"));
    } else {
        QStringList conditions;
        for (int i = 0; i < m_linkFields.size(); ++i)
            conditions << QStringLiteral("%1 = %2").arg(m_linkFields.at(i)).arg(values.value(i).toLongLong());
        setFilter(conditions.join(QStringLiteral(" AND ")));
    }
    select();
}

void LinkedTableModel::setFollowUps(FollowUps followUps, db::StatementRunner runner)
{
    m_followUps = std::move(followUps);
    m_runner = runner;
}

void LinkedTableModel::post()
{
    if (!isDirty())
        return;
    if (!submitAll()) {
        db::throwFailure(lastError(), QString());
    }
}

bool LinkedTableModel::updateRowInTable(int row, const QSqlRecord &values)
{
    if (!m_followUps)
        return QSqlTableModel::updateRowInTable(row, values);
    const QSqlRecord stored = primaryValues(row);
    const QSqlDatabase db = database();
    // The server has no savepoint outside a transaction: there the row's
    // change is a transaction of its own.
    const bool server = onServer(db);
    execOn(db, server ? QStringLiteral("BEGIN") : QStringLiteral("SAVEPOINT edit_row"));
    const auto undo = [&] {
        if (server) {
            execOn(db, QStringLiteral("ROLLBACK"));
            return;
        }
        execOn(db, QStringLiteral("ROLLBACK TO edit_row"));
        execOn(db, QStringLiteral("RELEASE edit_row"));
    };
    if (!QSqlTableModel::updateRowInTable(row, values)) {
        undo();
        return false;
    }
    try {
        for (const auto &[lines, bound] : m_followUps(stored, values))
            m_runner->run(lines, bound);
    } catch (const EngineError &e) {
        undo();
        setLastError(QSqlError(e.message(), e.message(), QSqlError::StatementError));
        return false;
    }
    execOn(db, server ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE edit_row"));
    return true;
}

QString LinkedTableModel::orderByClause() const
{
    return m_orderField.isEmpty() ? QString() : QStringLiteral("ORDER BY ") + m_orderField;
}

}  // namespace rq::ranking

#include "db/StatementRunner.h"

#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"

namespace rq::db {

StatementRunner::StatementRunner(Database &db, Operator &op)
    : m_db(&db)
    , m_op(&op)
{
}

int StatementRunner::run(const QStringList &lines, const QVariantList &values) const
{
    const QString sql = lines.join(u'\n');
    try {
        return m_db->execute(sql, values);
    } catch (const EngineError &) {
        m_op->error(withValuesWrittenIn(sql, values));
        throw;
    }
}

QString literal(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    switch (value.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Long:
        return value.toString();
    case QMetaType::Double:
    case QMetaType::Float:
        return num::formatGeneral(value.toDouble());
    default:
        return quote(value.toString());
    }
}

QString withValuesWrittenIn(const QString &sql, const QVariantList &values)
{
    QString out;
    out.reserve(sql.size() + 16 * values.size());
    qsizetype next = 0;
    QChar quoteChar;
    for (const QChar c : sql) {
        if (!quoteChar.isNull()) {
            if (c == quoteChar)
                quoteChar = QChar();
            out += c;
        } else if (c == u'\'' || c == u'"') {
            quoteChar = c;
            out += c;
        } else if (c == u'?' && next < values.size()) {
            out += literal(values.at(next++));
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace rq::db

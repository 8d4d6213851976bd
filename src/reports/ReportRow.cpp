#include "reports/ReportRow.h"

#include <QSqlQuery>
#include <QVariant>

namespace rq::reports {

ReportRow::ReportRow(std::shared_ptr<const ColumnIndex> columns, QList<QString> values)
    : m_columns(std::move(columns))
    , m_values(std::move(values))
{
}

ReportRow::ReportRow(const QSqlRecord &record)
    : m_columns(indexOf(record))
{
    m_values.reserve(record.count());
    for (int i = 0; i < record.count(); ++i)
        m_values << record.value(i).toString();
}

std::shared_ptr<const ReportRow::ColumnIndex> ReportRow::indexOf(const QSqlRecord &record)
{
    auto columns = std::make_shared<ColumnIndex>();
    // The first of equal names counts, as with QSqlRecord::value; names compare case-insensitively there
    // and in SQL, so the index keeps them in upper case.
    for (int i = record.count() - 1; i >= 0; --i)
        columns->insert(record.fieldName(i).toUpper(), i);
    return columns;
}

QString ReportRow::value(const QString &field) const
{
    if (!m_columns)
        return {};
    auto it = m_columns->constFind(field);
    if (it == m_columns->cend()) {
        it = m_columns->constFind(field.toUpper());
        if (it == m_columns->cend())
            return {};
    }
    return m_values.at(*it);
}

QList<ReportRow> ReportRow::readAll(QSqlQuery &query)
{
    QList<ReportRow> rows;
    std::shared_ptr<const ColumnIndex> columns;
    int n = 0;
    while (query.next()) {
        if (!columns) {
            const QSqlRecord record = query.record();
            columns = indexOf(record);
            n = record.count();
        }
        QList<QString> values;
        values.reserve(n);
        for (int i = 0; i < n; ++i)
            values << query.value(i).toString();
        rows << ReportRow(columns, std::move(values));
    }
    return rows;
}

}  // namespace rq::reports

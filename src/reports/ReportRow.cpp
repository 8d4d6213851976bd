#include "reports/ReportRow.h"

#include "db/Database.h"

#include <QVariant>

namespace rq::reports {

ReportRow::ReportRow(std::shared_ptr<const ColumnIndex> columns, const std::function<QString(int)> &valueAt, int count)
    : m_columns(std::move(columns))
{
    m_ends.reserve(count);
    for (int i = 0; i < count; ++i) {
        m_text += valueAt(i);
        m_ends << m_text.size();
    }
    m_text.squeeze();
}

ReportRow::ReportRow(const QSqlRecord &record)
    : ReportRow(
          indexOf([&record] {
              QStringList names;
              for (int i = 0; i < record.count(); ++i)
                  names << record.fieldName(i);
              return names;
          }()),
          [&record](int i) { return record.value(i).toString(); }, record.count())
{
}

std::shared_ptr<const ReportRow::ColumnIndex> ReportRow::indexOf(const QStringList &names)
{
    auto columns = std::make_shared<ColumnIndex>();
    columns->names = names;
    // The first of equal names counts, as with QSqlRecord::value; names compare case-insensitively there
    // and in SQL, so the index keeps them in upper case.
    for (qsizetype i = names.size() - 1; i >= 0; --i)
        columns->positions.insert(names.at(i).toUpper(), i);
    return columns;
}

QString ReportRow::value(const QString &field) const
{
    if (!m_columns)
        return {};
    auto it = m_columns->positions.constFind(field);
    if (it == m_columns->positions.cend()) {
        it = m_columns->positions.constFind(field.toUpper());
        if (it == m_columns->positions.cend())
            return {};
    }
    return valueAt(*it);
}

QStringList ReportRow::names() const
{
    return m_columns ? m_columns->names : QStringList();
}

QString ReportRow::valueAt(qsizetype i) const
{
    const QStringView view = viewAt(i);
    return view.isEmpty() ? QString() : view.toString();
}

QStringView ReportRow::viewAt(qsizetype i) const
{
    if (i < 0 || i >= m_ends.size())
        return {};
    const qsizetype start = i == 0 ? 0 : m_ends.at(i - 1);
    return QStringView(m_text).mid(start, m_ends.at(i) - start);
}

QList<ReportRow> ReportRow::readAll(db::Database &db, const QString &sql, const QVariantList &values)
{
    QList<ReportRow> rows;
    std::shared_ptr<const ColumnIndex> columns;
    int n = 0;
    db.forEachRow(sql, values, [&](const db::PreparedStatement::Row &row) {
        if (!columns) {
            n = row.count();
            QStringList names;
            for (int i = 0; i < n; ++i)
                names << row.name(i);
            columns = indexOf(names);
        }
        rows << ReportRow(
            columns, [&row](int i) { return row.text(i); }, n);
    });
    return rows;
}

}  // namespace rq::reports

#pragma once

#include <QHash>
#include <QList>
#include <QSqlRecord>
#include <QString>
#include <QVariantList>

#include <functional>
#include <memory>

namespace rq::db {
class Database;
}

namespace rq::reports {

// One row of a report's row query: its values as text, found by column name.
// The rows of one query share one column index, so a row holds its texts only
// and a lookup is one hash probe. (A QSqlRecord carries every field's metadata
// and finds a name by comparing it with each field in turn: for a list of
// thousands of positions with a hundred columns each, that dominated the
// layout and its memory.)
class ReportRow
{
public:
    ReportRow() = default;
    // A record is a row: its fields' names and values (NULL as empty text).
    ReportRow(const QSqlRecord &record);  // NOLINT(google-explicit-constructor)

    // The field as text; empty when missing or NULL.
    QString value(const QString &field) const;
    // The names of the fields, in the query's order, and the value of field `i`.
    QStringList names() const;
    QString valueAt(qsizetype i) const;
    // The same without a copy, valid while the row lives.
    QStringView viewAt(qsizetype i) const;
    bool isEmpty() const { return m_ends.isEmpty(); }

    // Every row of `sql` with `values`, read through a statement the database keeps.
    static QList<ReportRow> readAll(db::Database &db, const QString &sql, const QVariantList &values);

private:
    struct ColumnIndex
    {
        QHash<QString, qsizetype> positions;  // by upper-case name
        QStringList names;
    };
    ReportRow(std::shared_ptr<const ColumnIndex> columns, const std::function<QString(int)> &valueAt, int count);
    static std::shared_ptr<const ColumnIndex> indexOf(const QStringList &names);

    // The values one after the other in one text, each ending where m_ends says:
    // most of a list's hundred columns are empty, and an empty one then costs
    // four bytes instead of a text of its own.
    std::shared_ptr<const ColumnIndex> m_columns;
    QString m_text;
    QList<qsizetype> m_ends;
};

}  // namespace rq::reports

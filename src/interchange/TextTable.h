#pragma once

#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QVariant>

namespace rq::db {
class Database;
struct TableDef;
}  // namespace rq::db

// Tab-separated text tables: the exchange files of ranking lists and the
// tables loaded into any table by name. CP1252, CR LF after every line, the
// first line naming the columns.
namespace rq::interchange {

// Takes the next value off `line`: the text before the first TAB (all of it
// when there is none), trimmed of blanks and control characters; the line
// loses it and the TAB.
QString takeTabField(QString &line);

// One level of single quotes removed: 'O''Brien' is O'Brien. A value that
// would become empty ('' or ') stays as it is, and so does any value that does
// not start with a quote.
QString removeQuotes(const QString &value);

// The value of a written table: enclosed in single quotes, inner quotes doubled.
QString quoteField(const QString &value);

// The column names of a header line, up to the first empty name.
QStringList headerColumns(QString headerLine);

// A header's names matched against a table: each as the table spells it, and
// the first name the table lacks (empty when it has them all).
struct HeaderMatch
{
    QStringList columns;
    QString unknown;
};
HeaderMatch matchColumns(const db::TableDef &table, const QStringList &names);

// Stores rows of text values in one table, the columns named by a header.
// Values are bound, never written into the statement; the table's own rules
// (widths, empty text as NULL, whole numbers, keys) apply as on every write.
class TextRowInsert
{
public:
    TextRowInsert(db::Database &db, const db::TableDef &table, const QStringList &header);

    // Stores one row: values in header order, an empty or missing one as NULL;
    // a column named twice takes its last value. False, with the engine's
    // reason, when the row is refused; a header name the table lacks refuses every row.
    bool insert(const QStringList &values, QString *reason);

private:
    db::Database *m_db;
    QSqlQuery m_query;
    QList<int> m_slot;  // header position -> bound column
    QString m_refusal;  // the reason every row fails, when the header cannot work
};

// Writes the rows of a query as a text table replacing `path`: with `header` a
// line of the bare column names (RANGPOS.KAT_NR gives KAT_NR) in capitals,
// then a line per row. A value is its text trimmed of blanks and control
// characters; with `quote` a non-empty one is quoted as quoteField does; NULL
// and blanks give an empty field. The file is written under a temporary name
// and renamed at the end; FileError names it when it cannot be written.
void writeQueryAsTextTable(db::Database &db, const QString &sql, const QVariantList &values, const QString &path,
                           bool header = true, QChar separator = u'\t', bool quote = true);

}  // namespace rq::interchange

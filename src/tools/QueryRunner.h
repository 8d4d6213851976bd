#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <optional>

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::tools {

// A statement with its named parameters (":NAME") turned into "?" placeholders.
struct ParsedStatement
{
    QString sql;
    QStringList parameters;  // one per name, in order of first appearance
    QList<int> placeholders;  // for each "?", the index of its parameter
};

// Finds ":NAME" outside quoted text; "::" and a colon without a name stay.
ParsedStatement parseParameters(const QString &statement);

// The statements of an editor text: split at every ";" (also one inside quoted
// text), each range running up to and including its ";". Ranges are [start, end).
QList<std::pair<qsizetype, qsizetype>> statementRanges(const QString &text);

// An answer to a parameter prompt as the first type it converts to: integer,
// floating-point number, date, time, date and time, logical (True/False), text.
QVariant typedAnswer(const QString &answer);

// A value's text form in the result outputs: numbers in the program's format,
// NULL as empty text.
QString textForm(const QVariant &value);

// A result that can be edited in place: a plain query of one table, its
// columns (empty for all, in table order), its WHERE condition (values written
// in) and its ORDER BY clause.
struct EditableQuery
{
    QString table;
    QStringList columns;
    QString filter;
    QString orderBy;
};

// The editable form of a statement, when it is a plain query of one table:
// "SELECT *" or a list of the table's columns, FROM one table, an optional
// WHERE and ORDER BY; nothing for joins, expressions, DISTINCT, grouping,
// unions or limits. `tableColumns` gives the columns of a table (empty when
// there is no such table). `values` are the statement's bound values.
std::optional<EditableQuery> editableQuery(const QString &sql, const QVariantList &values,
                                           const std::function<QStringList(const QString &table)> &tableColumns);

// What the last statement of a run produced.
struct QueryOutcome
{
    bool hasResult = false;
    QStringList columns;
    QList<QVariantList> rows;
    // Set when the result is a plain query of one table, so it can be edited.
    std::optional<EditableQuery> editable;
};

// Runs the statements of the SQL window: one after another through the
// legacy-SQL adapter, parameters asked from the operator ("Parameterabfrage"),
// the first failure ending the run. The rows of a result are read in full.
class QueryRunner
{
public:
    QueryRunner(db::Database &db, Operator &op);

    // Throws EngineError for the first statement that fails after its retry;
    // statements after it are not run. `running` hears the range [start, end)
    // of each statement of the text before it runs.
    QueryOutcome run(const QString &editorText,
                     const std::function<void(qsizetype start, qsizetype end)> &running = {});

    // True when a statement of the text may change data: any that is no
    // query (SELECT, WITH, EXPLAIN, VALUES, PRAGMA). Such a run first takes a
    // snapshot of the database.
    static bool changesData(const QString &editorText);

    // "SQL-Anweisung:", blank, the editor lines, two blanks, "Ausgabe:", the
    // header (names separated by TAB), one TAB-separated line per row.
    static QStringList clipboardLines(const QString &editorText, const QueryOutcome &outcome);
    // The header and the rows alone, for the result file.
    static QStringList resultFileLines(const QueryOutcome &outcome);
    // The printed form: the statement as above, then each row's values each
    // followed by three blanks; no header.
    static QStringList printLines(const QString &editorText, const QueryOutcome &outcome);

private:
    QueryOutcome runOne(const QString &statement);

    db::Database &m_db;
    Operator &m_op;
    QString m_lastAnswer;
};

}  // namespace rq::tools

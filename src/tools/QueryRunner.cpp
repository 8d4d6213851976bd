#include "tools/QueryRunner.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "db/LegacySql.h"
#include "db/Snapshots.h"
#include "db/StatementRunner.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QTime>

#include <algorithm>
#include <climits>

namespace rq::tools {
namespace {

bool isNameChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// Prepares and runs a statement with its values; returns the failure, if any.
std::optional<EngineError> tryExec(QSqlQuery &query, const QString &sql, const QVariantList &values)
{
    if (!query.prepare(sql))
        return EngineError(db::failureMessage(query.lastError()), sql);
    for (const QVariant &v : values)
        query.addBindValue(v);
    if (!query.exec())
        return EngineError(db::failureMessage(query.lastError()), sql);
    return std::nullopt;
}

}  // namespace

ParsedStatement parseParameters(const QString &statement)
{
    ParsedStatement parsed;
    QString &out = parsed.sql;
    const qsizetype n = statement.size();
    QChar quote;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = statement.at(i);
        if (!quote.isNull()) {
            out += c;
            if (c == quote)
                quote = QChar();
            continue;
        }
        if (c == u'\'' || c == u'"') {
            quote = c;
            out += c;
            continue;
        }
        if (c == u':' && i + 1 < n && statement.at(i + 1) == u':') {
            out += QStringLiteral("::");
            ++i;
            continue;
        }
        if (c == u':' && i + 1 < n && isNameChar(statement.at(i + 1))) {
            qsizetype j = i + 1;
            while (j < n && isNameChar(statement.at(j)))
                ++j;
            const QString name = statement.mid(i + 1, j - i - 1);
            qsizetype index = parsed.parameters.indexOf(name);
            if (index < 0) {
                index = parsed.parameters.size();
                parsed.parameters << name;
            }
            parsed.placeholders << int(index);
            out += u'?';
            i = j - 1;
            continue;
        }
        out += c;
    }
    return parsed;
}

QList<std::pair<qsizetype, qsizetype>> statementRanges(const QString &text)
{
    QList<std::pair<qsizetype, qsizetype>> ranges;
    qsizetype p = 0;
    while (p < text.size()) {
        const qsizetype semi = text.indexOf(u';', p);
        const qsizetype end = semi < 0 ? text.size() : semi + 1;
        ranges.append({p, end});
        p = end;
    }
    return ranges;
}

QVariant typedAnswer(const QString &answer)
{
    if (const auto i = num::parseInteger(answer); i && *i >= INT_MIN && *i <= INT_MAX)
        return QVariant(int(*i));
    if (const auto d = num::parseDecimal(answer))
        return QVariant(*d);
    const QString t = answer.trimmed();
    for (const char *format : {"d.M.yyyy", "yyyy-MM-dd"}) {
        const QDate date = QDate::fromString(t, QString::fromLatin1(format));
        if (date.isValid())
            return QVariant(QDateTime(date, QTime(0, 0)));
    }
    for (const char *format : {"H:mm:ss", "H:mm"}) {
        const QTime time = QTime::fromString(t, QString::fromLatin1(format));
        if (time.isValid())
            return QVariant(time);
    }
    for (const char *format : {"d.M.yyyy H:mm:ss", "d.M.yyyy H:mm", "yyyy-MM-dd H:mm:ss", "yyyy-MM-ddTH:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(t, QString::fromLatin1(format));
        if (dt.isValid())
            return QVariant(dt);
    }
    if (t.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0)
        return QVariant(true);
    if (t.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0)
        return QVariant(false);
    return QVariant(answer);
}

QString textForm(const QVariant &value)
{
    if (value.isNull())
        return QString();
    if (value.metaType().id() == QMetaType::Double)
        return num::formatGeneral(value.toDouble());
    return value.toString();
}

QueryRunner::QueryRunner(db::Database &db, Operator &op)
    : m_db(db)
    , m_op(op)
{
}

bool QueryRunner::changesData(const QString &editorText)
{
    static const QRegularExpression reading(QStringLiteral("^(SELECT|WITH|EXPLAIN|VALUES|PRAGMA)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    // A common table expression may end in a change.
    static const QRegularExpression changing(QStringLiteral("\\b(INSERT|UPDATE|DELETE|REPLACE)\\b"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (const auto &[start, end] : statementRanges(editorText)) {
        QString statement = editorText.mid(start, end - start).trimmed();
        // Comments before the statement do not count.
        while (statement.startsWith(QStringLiteral("--")) || statement.startsWith(QStringLiteral("/*"))) {
            const qsizetype after = statement.startsWith(QStringLiteral("--"))
                                        ? statement.indexOf(u'\n')
                                        : statement.indexOf(QStringLiteral("*/")) + 1;
            statement = after <= 0 ? QString() : statement.mid(after + 1).trimmed();
        }
        if (statement.isEmpty() || statement == QStringLiteral(";"))
            continue;
        if (!reading.match(statement).hasMatch() ||
            (statement.startsWith(QStringLiteral("WITH"), Qt::CaseInsensitive) && changing.match(statement).hasMatch()))
            return true;
    }
    return false;
}

QueryOutcome QueryRunner::run(const QString &editorText, const std::function<void(qsizetype, qsizetype)> &running)
{
    m_lastAnswer.clear();
    // Statements that change data may be a mistake; the state before them can be had back.
    if (changesData(editorText))
        db::Snapshots(m_db).take(db::SnapshotReason::SqlWindow);
    QueryOutcome outcome;
    for (const auto &[start, end] : statementRanges(editorText)) {
        const QString statement = editorText.mid(start, end - start).trimmed();
        if (statement.isEmpty() || statement == QStringLiteral(";"))
            continue;
        if (running)
            running(start, end);
        outcome = runOne(statement);
    }
    return outcome;
}

std::optional<EditableQuery> editableQuery(const QString &sql, const QVariantList &values,
                                           const std::function<QStringList(const QString &)> &tableColumns)
{
    static const QRegularExpression plain(
        QStringLiteral(
            "^SELECT\\s+(.+?)\\s+FROM\\s+(\\w+)(?:\\s+WHERE\\s+(.*?))?(?:\\s+ORDER\\s+BY\\s+(.*?))?\\s*;?\\s*$"),
        QRegularExpression::CaseInsensitiveOption | QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression grouping(
        QStringLiteral("\\b(GROUP\\s+BY|HAVING|UNION|INTERSECT|EXCEPT|LIMIT|OFFSET)\\b"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = plain.match(sql.trimmed());
    if (!m.hasMatch() || grouping.match(m.captured(3)).hasMatch() || grouping.match(m.captured(4)).hasMatch() ||
        m.captured(4).contains(u'?'))
        return std::nullopt;
    EditableQuery query;
    query.table = m.captured(2);
    const QStringList available = tableColumns(query.table);
    if (available.isEmpty())
        return std::nullopt;
    const QString list = m.captured(1).trimmed();
    if (list != QStringLiteral("*")) {
        for (const QString &part : list.split(u',')) {
            const QString name = part.trimmed();
            const auto found = std::find_if(available.begin(), available.end(), [&](const QString &c) {
                return c.compare(name, Qt::CaseInsensitive) == 0;
            });
            if (found == available.end())
                return std::nullopt;  // an expression, an alias or DISTINCT: not a column of the table
            query.columns << *found;
        }
    }
    query.filter = db::withValuesWrittenIn(m.captured(3), values);
    query.orderBy = m.captured(4);
    return query;
}

QueryOutcome QueryRunner::runOne(const QString &statement)
{
    const ParsedStatement parsed = parseParameters(statement);
    QVariantList values;
    for (const QString &name : parsed.parameters) {
        const auto answer = m_op.askText(QStringLiteral("Parameterabfrage"), name, m_lastAnswer);
        if (!answer) {
            values << QVariant();
            continue;
        }
        m_lastAnswer = *answer;
        values << typedAnswer(*answer);
    }
    QVariantList bound;
    for (const int index : parsed.placeholders)
        bound << values.at(index);
    values = bound;
    const QString sql = m_db.dialect(db::translateLegacySql(parsed.sql));

    QSqlQuery query(m_db.connection());
    query.setForwardOnly(m_db.forwardOnly());
    std::optional<EngineError> failure = tryExec(query, sql, values);
    if (failure && !values.isEmpty()) {
        // Once more with every value as text.
        QVariantList texts;
        for (const QVariant &v : values)
            texts << (v.isNull() ? v : QVariant(textForm(v)));
        failure = tryExec(query, sql, texts);
    }
    if (failure)
        throw *failure;

    QueryOutcome outcome;
    outcome.hasResult = statement.toUpper().startsWith(QStringLiteral("SELECT"));
    if (!outcome.hasResult)
        return outcome;
    const QSqlRecord record = query.record();
    for (int i = 0; i < record.count(); ++i)
        outcome.columns << m_db.fieldName(record, i);
    while (query.next()) {
        QVariantList row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row << query.value(i);
        outcome.rows << row;
    }
    // A read that breaks off is no complete result.
    if (query.lastError().isValid())
        db::throwFailure(query.lastError(), sql);
    outcome.editable = editableQuery(sql, values, [this](const QString &table) {
        return m_db.tableExists(table) ? m_db.columnNames(table) : QStringList();
    });
    return outcome;
}

QStringList QueryRunner::resultFileLines(const QueryOutcome &outcome)
{
    QStringList lines;
    lines << outcome.columns.join(u'\t');
    for (const QVariantList &row : outcome.rows) {
        QStringList fields;
        for (const QVariant &v : row)
            fields << textForm(v);
        lines << fields.join(u'\t');
    }
    return lines;
}

QStringList QueryRunner::clipboardLines(const QString &editorText, const QueryOutcome &outcome)
{
    QStringList lines;
    lines << QStringLiteral("SQL-Anweisung:") << QString() << cp1252::splitLines(editorText) << QString() << QString()
          << QStringLiteral("Ausgabe:");
    return lines + resultFileLines(outcome);
}

QStringList QueryRunner::printLines(const QString &editorText, const QueryOutcome &outcome)
{
    QStringList lines;
    lines << QStringLiteral("SQL-Anweisung:") << QString() << cp1252::splitLines(editorText) << QString() << QString()
          << QStringLiteral("Ausgabe:");
    for (const QVariantList &row : outcome.rows) {
        QString line;
        for (const QVariant &v : row)
            line += textForm(v) + QStringLiteral("   ");
        lines << line;
    }
    return lines;
}

}  // namespace rq::tools

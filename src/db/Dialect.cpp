#include "db/Dialect.h"

#include "db/TableDefs.h"

#include <QRegularExpression>

namespace rq::db {

QString postgresDialect(const QString &sql)
{
    static const QRegularExpression insertOr(
        QStringLiteral("^(\\s*)INSERT\\s+OR\\s+(IGNORE|REPLACE)\\s+INTO\\s+(\\w+)\\s*\\(([^)]*)\\)"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression ifnull(QStringLiteral("\\bifnull\\s*\\("),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression lastRowid(QStringLiteral("\\blast_insert_rowid\\s*\\(\\s*\\)"),
                                              QRegularExpression::CaseInsensitiveOption);
    // group_concat(x[, sep]) of a plain expression: string_agg of its text.
    static const QRegularExpression groupConcat(
        QStringLiteral("\\bgroup_concat\\s*\\(([^(),]+(?:\\([^()]*\\))?)\\s*(?:,\\s*('[^']*')\\s*)?\\)"),
        QRegularExpression::CaseInsensitiveOption);
    QString out = sql;
    for (QRegularExpressionMatch g = groupConcat.match(out); g.hasMatch(); g = groupConcat.match(out)) {
        const QString separator = g.captured(2).isEmpty() ? QStringLiteral("','") : g.captured(2);
        out.replace(g.capturedStart(), g.capturedLength(),
                    QStringLiteral("string_agg(CAST(%1 AS TEXT), %2)").arg(g.captured(1).trimmed(), separator));
    }
    out.replace(ifnull, QStringLiteral("coalesce("));
    out.replace(lastRowid, QStringLiteral("lastval()"));
    const QRegularExpressionMatch m = insertOr.match(out);
    if (!m.hasMatch())
        return out;
    const bool replace = m.captured(2).compare(QStringLiteral("REPLACE"), Qt::CaseInsensitive) == 0;
    QString tail = out.mid(m.capturedEnd());
    while (tail.endsWith(u';') || (!tail.isEmpty() && tail.back().isSpace()))
        tail.chop(1);
    QString upsert = QStringLiteral(" ON CONFLICT DO NOTHING");
    const TableDef *table = findTable(m.captured(3));
    if (replace && table) {
        QStringList sets;
        for (QString column : m.captured(4).split(u',')) {
            column = column.trimmed();
            if (!table->primaryKey.fields.contains(column, Qt::CaseInsensitive))
                sets << QStringLiteral("%1 = EXCLUDED.%1").arg(column);
        }
        upsert = QStringLiteral(" ON CONFLICT (%1) DO ").arg(table->primaryKey.fields.join(u',')) +
                 (sets.isEmpty() ? QStringLiteral("NOTHING") : QStringLiteral("UPDATE SET ") + sets.join(u','));
    }
    return m.captured(1) + QStringLiteral("INSERT INTO ") + m.captured(3) + QStringLiteral(" (") + m.captured(4) +
           u')' + tail + upsert;
}

}  // namespace rq::db

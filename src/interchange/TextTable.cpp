#include "interchange/TextTable.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Text.h"
#include "db/Database.h"
#include "db/TableDefs.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rq::interchange {

QString takeTabField(QString &line)
{
    const qsizetype tab = line.indexOf(u'\t');
    QString value;
    if (tab < 0) {
        value = trimControl(line);
        line.clear();
    } else {
        value = trimControl(line.left(tab));
        line.remove(0, tab + 1);
    }
    return value;
}

QString removeQuotes(const QString &value)
{
    if (!value.startsWith(u'\''))
        return value;
    QString inner = value.mid(1);
    if (inner.endsWith(u'\''))
        inner.chop(1);
    inner.replace(QStringLiteral("''"), QStringLiteral("'"));
    return inner.isEmpty() ? value : inner;
}

QString quoteField(const QString &value)
{
    QString quoted = value;
    quoted.replace(u'\'', QStringLiteral("''"));
    return u'\'' + quoted + u'\'';
}

QStringList headerColumns(QString headerLine)
{
    QStringList names;
    while (true) {
        const QString name = takeTabField(headerLine);
        if (name.isEmpty())
            return names;
        names << name;
    }
}

HeaderMatch matchColumns(const db::TableDef &table, const QStringList &names)
{
    HeaderMatch match;
    for (const QString &name : names) {
        const db::FieldDef *field = table.field(name);
        if (!field && match.unknown.isEmpty())
            match.unknown = name;
        match.columns << (field ? field->name : name);
    }
    return match;
}

TextRowInsert::TextRowInsert(db::Database &db, const db::TableDef &table, const QStringList &header)
    : m_db(&db)
    , m_query(db.connection())
{
    const HeaderMatch match = matchColumns(table, header);
    if (!match.unknown.isEmpty()) {
        m_refusal = QStringLiteral("table %1 has no column named %2").arg(table.name, match.unknown);
        return;
    }
    QStringList columns;
    for (const QString &column : match.columns) {
        qsizetype slot = columns.indexOf(column);
        if (slot < 0) {
            slot = columns.size();
            columns << column;
        }
        m_slot << int(slot);
    }
    const QString sql = columns.isEmpty() ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(table.name)
                                          : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                                .arg(table.name, columns.join(u','),
                                                     QStringList(columns.size(), QStringLiteral("?")).join(u','));
    if (!m_query.prepare(db.dialect(sql)))
        m_refusal = db::engineMessage(m_query.lastError());
}

bool TextRowInsert::insert(const QStringList &values, QString *reason)
{
    if (!m_refusal.isEmpty()) {
        *reason = m_refusal;
        return false;
    }
    // Every bound column has a header position, so each row sets them all;
    // a column named twice is bound twice and keeps the later value.
    const QVariant null{QMetaType(QMetaType::QString)};
    for (int i = 0; i < m_slot.size(); ++i) {
        const QString value = values.value(i);
        m_query.bindValue(m_slot.at(i), value.isEmpty() ? null : QVariant(value));
    }
    db::StatementGuard guard(*m_db, QStringLiteral("INSERT"));
    if (m_query.exec()) {
        guard.succeeded();
        return true;
    }
    *reason = db::refusalReason(m_query.lastError());
    return false;
}

namespace {

QString fieldText(const QVariant &value)
{
    if (value.isNull())
        return {};
    if (value.typeId() == QMetaType::Double)
        return num::formatGeneral(value.toDouble());
    return value.toString();
}

}  // namespace

void writeQueryAsTextTable(db::Database &db, const QString &sql, const QVariantList &values, const QString &path,
                           bool header, QChar separator, bool quote)
{
    QSqlQuery query = db.exec(sql, values);
    QStringList lines;
    const QSqlRecord record = query.record();
    const int columns = record.count();
    if (header) {
        QStringList names;
        for (int i = 0; i < columns; ++i)
            names << record.fieldName(i).section(u'.', -1).toUpper();
        lines << names.join(separator);
    }
    QStringList fields;
    while (query.next()) {
        fields.clear();
        for (int i = 0; i < columns; ++i) {
            const QString text = trimControl(fieldText(query.value(i)));
            fields << (quote && !text.isEmpty() ? quoteField(text) : text);
        }
        lines << fields.join(separator);
    }
    // A read that breaks off must not pass for the end of the rows.
    if (query.lastError().isValid())
        db::throwFailure(query.lastError(), sql);
    cp1252::writeLines(path, lines);
}

}  // namespace rq::interchange

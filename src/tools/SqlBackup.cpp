#include "tools/SqlBackup.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "common/Text.h"
#include "db/Database.h"
#include "db/LegacySql.h"
#include "db/TableDefs.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rq::tools {
namespace {

const QString kFilter = QStringLiteral("SQL-Dateien (*.sql)|*.sql|Alle Dateien (*.*)|*.*");
const QString kFileName = QStringLiteral("RanBase.sql");

// A double quote inside a text closes the string, appends '"' and reopens it.
QString valueText(const QVariant &value)
{
    if (value.isNull())
        return QStringLiteral("NULL");
    QString text;
    switch (value.metaType().id()) {
    case QMetaType::Double:
        text = num::formatGeneral(value.toDouble());
        break;
    case QMetaType::Bool:
        text = value.toBool() ? QStringLiteral("TRUE") : QStringLiteral("FALSE");
        break;
    case QMetaType::QByteArray:
        text = QString::fromUtf8(value.toByteArray());
        break;
    default:
        text = value.toString();
    }
    return u'"' + text.replace(u'"', QStringLiteral("\"+'\"'+\"")) + u'"';
}

// "INSERT INTO IMPORT (A,B)  VALUES (x,y);" with key K = n becomes
// "INSERT INTO IMPORT (K,A,B)  VALUES (n,x,y);", so the row gets its old number.
QString withKey(const QString &statement, const QString &key, qint64 number)
{
    const qsizetype columns = statement.indexOf(u'(');
    const qsizetype values = statement.indexOf(QStringLiteral("VALUES"), columns + 1, Qt::CaseInsensitive);
    const qsizetype valuesOpen = values < 0 ? -1 : statement.indexOf(u'(', values);
    if (columns < 0 || valuesOpen < 0)
        return statement;
    QString s = statement;
    s.insert(valuesOpen + 1, QString::number(number) + u',');
    s.insert(columns + 1, key + u',');
    return s;
}

}  // namespace

const QStringList &SqlBackup::tableOrder()
{
    static const QStringList order = {QStringLiteral("IMPORT"),   QStringLiteral("PERSON"),
                                      QStringLiteral("LEISTUNG"), QStringLiteral("RANGLISTE"),
                                      QStringLiteral("RANGPOS"),  QStringLiteral("DETAILBLOCK"),
                                      QStringLiteral("DETAIL"),   QStringLiteral("DETAILLINE"),
                                      QStringLiteral("VEREIN"),   QStringLiteral("PERSVEREIN")};
    return order;
}

QStringList SqlBackup::tableAsInserts(db::Database &db, const QString &table)
{
    QStringList lines;
    forEachInsert(db, table, [&](const QString &line) { lines << line; });
    return lines;
}

void SqlBackup::forEachInsert(db::Database &db, const QString &table, const std::function<void(const QString &)> &out)
{
    // The columns first, then the rows ordered by the first six of them.
    QSqlQuery probe = db.exec(QStringLiteral("SELECT * FROM ") + table + QStringLiteral(" LIMIT 0"), {});
    const QSqlRecord record = probe.record();
    QStringList columns;
    for (int i = 0; i < record.count(); ++i)
        columns << record.fieldName(i);
    probe.finish();
    const QString sql = QStringLiteral("SELECT * FROM ") + table + u'\n' + QStringLiteral("ORDER BY ") +
                        columns.mid(0, 6).join(u',') + u';';
    QSqlQuery q = db.exec(sql, {});

    const bool isImport = table.compare(QStringLiteral("IMPORT"), Qt::CaseInsensitive) == 0;
    const int first = isImport ? 1 : 0;
    const QString head = QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (") + columns.mid(first).join(u',') +
                         QStringLiteral(")  VALUES (");
    while (q.next()) {
        QString line = isImport ? u'-' + q.value(0).toString() + u'-' + head : head;
        for (int i = first; i < columns.size(); ++i) {
            line += valueText(q.value(i));
            line += u',';
        }
        line.chop(1);
        line += QStringLiteral(");");
        out(line);
    }
}

QStringList SqlBackup::allInserts(db::Database &db)
{
    QStringList lines;
    for (const QString &table : tableOrder()) {
        try {
            lines += tableAsInserts(db, table);
        } catch (const EngineError &) {
            // A table that cannot be read is left out; the others still count.
        }
    }
    return lines;
}

void SqlBackup::writeFile(db::Database &db, const QString &path)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw FileError(QStringLiteral("Datei %1 kann nicht geschrieben werden: %2").arg(path, file.errorString()));
    bool written = true;
    for (const QString &table : tableOrder()) {
        try {
            forEachInsert(db, table,
                          [&](const QString &line) { written &= file.write(cp1252::encode(line) + "\r\n") > 0; });
        } catch (const EngineError &) {
            // A table that cannot be read is left out; the others still count.
        }
    }
    if (!written || !file.commit())
        throw FileError(QStringLiteral("Datei %1 kann nicht geschrieben werden: %2").arg(path, file.errorString()));
}

void SqlBackup::run(db::Database &db, Operator &op, const QString &programDirectory)
{
    FileDialogRequest request;
    request.initialDirectory = programDirectory;
    request.fileName = kFileName;
    request.filter = kFilter;
    request.title = QStringLiteral("Daten Exportieren");
    request.promptOverwrite = true;
    const auto path = op.chooseSaveFile(request);
    if (!path)
        return;
    const auto wait = op.waitCursor();
    writeFile(db, *path);
}

SqlRestore::SqlRestore(db::Database &db, ErrorList &errors)
    : m_db(db)
    , m_errors(errors)
{
}

std::optional<BackupInsert> parseBackupInsert(const QString &statement)
{
    static const QString head = QStringLiteral("INSERT INTO ");
    if (!statement.startsWith(head))
        return std::nullopt;
    const qsizetype open = statement.indexOf(QStringLiteral(" ("), head.size());
    const qsizetype close = open < 0 ? -1 : statement.indexOf(u')', open);
    const qsizetype values = close < 0 ? -1 : statement.indexOf(QStringLiteral("VALUES ("), close);
    if (values < 0 || statement.mid(close + 1, values - close - 1).trimmed().size() != 0)
        return std::nullopt;
    BackupInsert insert;
    insert.table = statement.mid(head.size(), open - head.size());
    insert.columns = statement.mid(open + 2, close - open - 2);
    if (insert.table.contains(u' ') || insert.table.contains(u'"') || insert.columns.contains(u'"'))
        return std::nullopt;

    const qsizetype n = statement.size();
    qsizetype i = values + 8;
    while (true) {
        if (statement.mid(i, 4) == QStringLiteral("NULL")) {
            insert.values << QVariant();
            i += 4;
        } else {
            QString value;
            while (true) {
                if (i >= n || (statement.at(i) != u'"' && statement.at(i) != u'\''))
                    return std::nullopt;
                const QChar quote = statement.at(i);
                const qsizetype end = statement.indexOf(quote, i + 1);
                if (end < 0)
                    return std::nullopt;
                value += QStringView(statement).mid(i + 1, end - i - 1);
                i = end + 1;
                if (i < n && statement.at(i) == u'+')
                    ++i;
                else
                    break;
            }
            insert.values << QVariant(value);
        }
        if (i < n && statement.at(i) == u',') {
            ++i;
            continue;
        }
        if (statement.mid(i).trimmed() == QStringLiteral(");"))
            break;
        return std::nullopt;
    }
    if (insert.values.size() != insert.columns.count(u',') + 1)
        return std::nullopt;
    return insert;
}

bool SqlRestore::execute(const QString &statement)
{
    // Lines in the backup's own shape run through one prepared statement per
    // table; anything else goes through the legacy-SQL adapter. A single
    // statement is atomic, so a refused one leaves nothing behind.
    const auto insert = parseBackupInsert(statement);
    const db::TableDef *table = insert ? db::findTable(insert->table) : nullptr;
    if (table) {
        const QString key = insert->table + u'(' + insert->columns;
        auto it = m_inserts.find(key);
        if (it == m_inserts.end()) {
            QSqlQuery query(m_db.connection());
            QStringList marks(insert->values.size(), QStringLiteral("?"));
            if (!query.prepare(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                   .arg(table->name, insert->columns, marks.join(u','))))
                return false;
            it = m_inserts.insert(key, query);
        }
        for (const QVariant &v : insert->values)
            it->addBindValue(v);
        return it->exec();
    }
    try {
        m_db.exec(db::translateLegacySql(statement));
    } catch (const EngineError &) {
        return false;
    }
    return true;
}

void SqlRestore::begin()
{
    m_inserts.clear();
    m_buffer.clear();
    m_table.clear();
    m_keyColumn.clear();
    m_transaction = std::make_unique<db::Savepoint>(m_db, QStringLiteral("restore"));
}

void SqlRestore::finish()
{
    m_inserts.clear();
    m_transaction->release();
    m_transaction.reset();
}

void SqlRestore::restoreLine(const QString &raw)
{
    const QString asWritten = trimControl(raw);
    QString line = asWritten;
    if (line.startsWith(u'-')) {
        const QString rest = line.mid(1);
        const qsizetype dash = rest.indexOf(u'-');
        const auto number = num::parseInteger(rest.left(dash));
        line = rest.mid(dash + 1);
        const QString name = line.mid(12).section(QStringLiteral(" ("), 0, 0);
        if (name != m_table) {
            m_table = name;
            if (name.toUpper() == QStringLiteral("IMPORT"))
                m_keyColumn = QStringLiteral("IMPORT_ID");
        }
        if (number && !m_keyColumn.isEmpty())
            line = withKey(line, m_keyColumn, *number);
    }
    if (!m_buffer.isEmpty())
        m_buffer += u'\n';
    m_buffer += line;
    if (line.endsWith(u';')) {
        if (!execute(m_buffer)) {
            ++m_failed;
            m_errors.appendLine(QStringLiteral("Zeile konnte nicht importiert werden: ") + asWritten);
            m_errors.showList();
        }
        m_buffer.clear();
    }
}

void SqlRestore::restoreLines(const QStringList &lines)
{
    begin();
    for (const QString &line : lines)
        restoreLine(line);
    finish();
}

void SqlRestore::restoreFile(const QString &path)
{
    // Opened first, so that a file that cannot be read changes nothing.
    if (!QFileInfo(path).isFile())
        throw FileError(QStringLiteral("Datei %1 kann nicht geöffnet werden").arg(path));
    begin();
    cp1252::forEachLine(path, [this](const QString &line) { restoreLine(line); });
    finish();
}

void SqlRestore::run(Operator &op, const QString &programDirectory)
{
    FileDialogRequest request;
    request.initialDirectory = programDirectory;
    request.fileName = kFileName;
    request.filter = kFilter;
    request.title = QStringLiteral("Daten importieren");
    const auto path = op.chooseOpenFile(request);
    if (!path)
        return;
    const auto wait = op.waitCursor();
    restoreFile(*path);
}

}  // namespace rq::tools

#include "tools/SqlBackup.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "common/SafeFile.h"
#include "common/Text.h"
#include "db/Database.h"
#include "db/PreparedStatement.h"
#include "db/Snapshots.h"
#include "db/TableDefs.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <limits>

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
        columns << db.fieldName(record, i);
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
    // A read that breaks off is no end of the table.
    if (q.lastError().isValid())
        db::throwFailure(q.lastError(), sql);
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

bool SqlBackup::holdsNoData(db::Database &db)
{
    for (const QString &table : tableOrder()) {
        if (db.scalar(QStringLiteral("SELECT EXISTS (SELECT 1 FROM %1)").arg(table)).toBool())
            return false;
    }
    return true;
}

qint64 SqlBackup::writeFile(db::Database &db, const QString &path, bool mayReplaceWithEmpty)
{
    // The backup of an empty database never quietly takes the place of a real one.
    if (!mayReplaceWithEmpty && QFileInfo(path).size() > 0 && holdsNoData(db))
        throw Error(QStringLiteral("Die Datenbank enthält keine Daten; die Sicherung %1 wird nicht durch eine leere "
                                   "ersetzt")
                        .arg(path));
    files::OutputFile file(path);
    qint64 rows = 0;
    for (const QString &table : tableOrder()) {
        try {
            forEachInsert(db, table, [&](const QString &line) {
                file.write(cp1252::encode(line) + "\r\n");
                ++rows;
            });
        } catch (const db::StorageError &) {
            throw;  // a storage fault is no unreadable table: the backup would be incomplete
        } catch (const EngineError &) {
            // A table that cannot be read is left out; the others still count.
        }
    }
    file.commit();
    return rows;
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
    bool replaceWithEmpty = false;
    if (QFileInfo(*path).size() > 0 && holdsNoData(db)) {
        if (op.askKeeping(QStringLiteral("Die Datenbank enthält keine Daten. Soll die Sicherung %1 wirklich durch eine "
                                         "leere ersetzt werden?")
                              .arg(*path),
                          {Button::Yes, Button::No}, Button::No, MessageKind::Warning) != Button::Yes)
            return;
        replaceWithEmpty = true;
    }
    const auto wait = op.waitCursor();
    const qint64 rows = writeFile(db, *path, replaceWithEmpty);
    op.report(QStringLiteral("Sicherung: %1 in %2")
                  .arg(counted(rows, QStringLiteral("Zeile"), QStringLiteral("Zeilen")), *path));
}

SqlRestore::SqlRestore(db::Database &db, ErrorList &errors)
    : m_db(db)
    , m_errors(errors)
{
}

namespace {

bool isWordStart(QChar c)
{
    return c.isLetter() || c == u'_';
}

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

// Reads one INSERT statement token by token; every step either consumes what
// it expects or leaves the position alone and fails.
class InsertReader
{
public:
    explicit InsertReader(const QString &text)
        : m_s(text)
    {
    }

    bool keyword(QLatin1String word)
    {
        skipSpace();
        const qsizetype end = m_i + word.size();
        if (end > m_s.size() || QStringView(m_s).mid(m_i, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        if (end < m_s.size() && isWordChar(m_s.at(end)))
            return false;
        m_i = end;
        return true;
    }

    bool punct(QChar c)
    {
        skipSpace();
        if (m_i < m_s.size() && m_s.at(m_i) == c) {
            ++m_i;
            return true;
        }
        return false;
    }

    bool peek(QChar c)
    {
        skipSpace();
        return m_i < m_s.size() && m_s.at(m_i) == c;
    }

    // A bare name, or a name in double quotes ("PERSON.DB").
    std::optional<QString> name()
    {
        skipSpace();
        if (m_i < m_s.size() && m_s.at(m_i) == u'"') {
            const qsizetype end = m_s.indexOf(u'"', m_i + 1);
            if (end < 0)
                return std::nullopt;
            const QString n = m_s.mid(m_i + 1, end - m_i - 1);
            m_i = end + 1;
            return n;
        }
        if (m_i >= m_s.size() || !isWordStart(m_s.at(m_i)))
            return std::nullopt;
        const qsizetype start = m_i;
        while (m_i < m_s.size() && isWordChar(m_s.at(m_i)))
            ++m_i;
        return m_s.mid(start, m_i - start);
    }

    // NULL, a number, or strings joined by "+"; nothing for anything else.
    std::optional<QVariant> value()
    {
        if (keyword(QLatin1String("NULL")))
            return QVariant();
        skipSpace();
        if (m_i < m_s.size() && (m_s.at(m_i) == u'"' || m_s.at(m_i) == u'\''))
            return strings();
        return number();
    }

    bool atEnd()
    {
        skipSpace();
        return m_i >= m_s.size();
    }

    qsizetype position() const { return m_i; }
    void moveTo(qsizetype position) { m_i = position; }

private:
    void skipSpace()
    {
        while (m_i < m_s.size() && m_s.at(m_i).isSpace())
            ++m_i;
    }

    std::optional<QString> string()
    {
        const QChar quote = m_s.at(m_i);
        QString text;
        qsizetype i = m_i + 1;
        while (true) {
            const qsizetype end = m_s.indexOf(quote, i);
            if (end < 0)
                return std::nullopt;
            text += QStringView(m_s).mid(i, end - i);
            // In single quotes a doubled quote is one; double quotes have no escape.
            if (quote == u'\'' && end + 1 < m_s.size() && m_s.at(end + 1) == u'\'') {
                text += u'\'';
                i = end + 2;
                continue;
            }
            m_i = end + 1;
            return text;
        }
    }

    std::optional<QVariant> strings()
    {
        QString text;
        while (true) {
            const auto part = string();
            if (!part)
                return std::nullopt;
            text += *part;
            const qsizetype mark = m_i;
            if (!punct(u'+'))
                return QVariant(text);
            skipSpace();
            if (m_i >= m_s.size() || (m_s.at(m_i) != u'"' && m_s.at(m_i) != u'\'')) {
                m_i = mark;
                return std::nullopt;
            }
        }
    }

    std::optional<QVariant> number()
    {
        const qsizetype start = m_i;
        qsizetype i = m_i;
        if (i < m_s.size() && (m_s.at(i) == u'-' || m_s.at(i) == u'+'))
            ++i;
        const qsizetype digits = i;
        while (i < m_s.size() && (m_s.at(i).isDigit() || m_s.at(i) == u'.' || m_s.at(i) == u'e' || m_s.at(i) == u'E' ||
                                  ((m_s.at(i) == u'-' || m_s.at(i) == u'+') && i > digits &&
                                   (m_s.at(i - 1) == u'e' || m_s.at(i - 1) == u'E'))))
            ++i;
        if (i == digits)
            return std::nullopt;
        const QString text = m_s.mid(start, i - start);
        if (const auto whole = num::parseInteger(text)) {
            m_i = i;
            return QVariant(*whole);
        }
        if (const auto real = num::parseDecimal(text)) {
            m_i = i;
            return QVariant(*real);
        }
        return std::nullopt;
    }

    const QString &m_s;
    qsizetype m_i = 0;
};

}  // namespace

std::optional<RestoreInsert> parseRestoreInsert(const QString &statement, QString *why,
                                                QHash<QString, QStringList> *knownColumns)
{
    const auto refuse = [why](const QString &reason) -> std::optional<RestoreInsert> {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    InsertReader r(statement);
    if (!r.keyword(QLatin1String("INSERT")) || !r.keyword(QLatin1String("INTO")))
        return refuse(QStringLiteral("nur INSERT-Anweisungen werden wiederhergestellt"));
    const auto tableName = r.name();
    RestoreInsert insert;
    insert.table = tableName ? db::findTable(*tableName) : nullptr;
    if (!insert.table)
        return refuse(QStringLiteral("keine Tabelle des Programms"));
    if (r.punct(u'(')) {
        // A backup names the same columns on every row of a table: a list
        // checked once is known by its text.
        const qsizetype listStart = r.position();
        const qsizetype listEnd = statement.indexOf(u')', listStart);
        const QString key =
            listEnd < 0 ? QString() : insert.table->name + u'(' + statement.mid(listStart, listEnd - listStart);
        if (knownColumns && listEnd >= 0 && knownColumns->contains(key)) {
            insert.columns = knownColumns->value(key);
            r.moveTo(listEnd);
        } else {
            QList<bool> named(insert.table->fields.size(), false);
            do {
                const auto column = r.name();
                const int index = column ? insert.table->fieldIndex(*column) : -1;
                if (index < 0)
                    return refuse(QStringLiteral("unbekannte Spalte"));
                if (named.at(index))
                    return refuse(QStringLiteral("Spalte doppelt genannt"));
                named[index] = true;
                insert.columns << insert.table->fields.at(index).name;
            } while (r.punct(u','));
            if (knownColumns && r.position() == listEnd)
                knownColumns->insert(key, insert.columns);
        }
        insert.columnsWritten = statement.mid(listStart, r.position() - listStart);
        if (!r.punct(u')'))
            return refuse(QStringLiteral("Spaltenliste unvollständig"));
    } else {
        insert.columns = insert.table->fieldNames();
    }
    if (!r.keyword(QLatin1String("VALUES")) || !r.punct(u'('))
        return refuse(QStringLiteral("VALUES fehlt"));
    do {
        const auto value = r.value();
        if (!value)
            return refuse(QStringLiteral("nur feste Werte sind erlaubt"));
        insert.values << *value;
    } while (r.punct(u','));
    if (!r.punct(u')'))
        return refuse(QStringLiteral("Werteliste unvollständig"));
    r.punct(u';');
    if (!r.atEnd())
        return refuse(QStringLiteral("nach der Anweisung folgt weiterer Text"));
    if (insert.values.size() != insert.columns.size())
        return refuse(QStringLiteral("Zahl der Werte passt nicht zu den Spalten"));
    return insert;
}

bool SqlRestore::execute(const QString &statement, std::optional<qint64> importId)
{
    auto insert = parseRestoreInsert(statement, nullptr, &m_knownColumns);
    if (!insert)
        return false;
    // An IMPORT row gets back its old number from its prefix; a prefix belongs to IMPORT rows only.
    const bool isImport = insert->table->name == QStringLiteral("IMPORT");
    if (importId) {
        if (!isImport || insert->columns.contains(QStringLiteral("IMPORT_ID")))
            return false;
        insert->columns.prepend(QStringLiteral("IMPORT_ID"));
        insert->values.prepend(*importId);
    }
    // The prepared statement is found by the column list as written, which a
    // backup repeats on every row of a table.
    const QString key =
        insert->table->name + (importId ? QStringLiteral("#(") : QStringLiteral("(")) + insert->columnsWritten + u')';
    auto it = m_inserts.find(key);
    if (it == m_inserts.end()) {
        const QStringList marks(insert->values.size(), QStringLiteral("?"));
        const QString sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                                .arg(insert->table->name, insert->columns.join(u','), marks.join(u','));
        it = m_inserts.emplace(key, std::make_unique<db::PreparedStatement>(m_db, sql)).first;
    }
    if (it->second->run(insert->values))
        return true;
    db::refusalReason(it->second->lastError());  // a storage fault ends the restore here
    return false;
}

void SqlRestore::begin()
{
    m_inserts.clear();
    m_buffer.clear();
    m_bufferLines.clear();
    m_importId.reset();
    m_failed = 0;
    m_stored = 0;
    db::Snapshots(m_db).take(db::SnapshotReason::Restore);
    m_transaction = std::make_unique<db::Savepoint>(m_db, QStringLiteral("restore"));
}

void SqlRestore::finish()
{
    // A statement the file breaks off in is no statement; it is reported, not dropped.
    if (!m_bufferLines.isEmpty())
        refuse(m_bufferLines.join(u' '));
    m_inserts.clear();
    // The rows came with their import numbers; new imports number on after them.
    m_db.continueNumbering(QStringLiteral("IMPORT"));
    m_transaction->release();
    m_transaction.reset();
}

void SqlRestore::refuse(const QString &text)
{
    ++m_failed;
    m_errors.appendLine(QStringLiteral("Zeile konnte nicht importiert werden: ") + text);
    m_errors.showList();
}

void SqlRestore::restoreLine(const QString &raw)
{
    const QString line = trimControl(raw);
    if (m_bufferLines.isEmpty()) {
        if (line.isEmpty())
            return;
        // "-N-" before an IMPORT row: N is its number, 1 to 2147483647, in digits only.
        if (line.startsWith(u'-')) {
            static const QRegularExpression prefix(QStringLiteral("^-([0-9]{1,10})-(.*)$"),
                                                   QRegularExpression::DotMatchesEverythingOption);
            const QRegularExpressionMatch m = prefix.match(line);
            const qint64 number = m.hasMatch() ? m.captured(1).toLongLong() : 0;
            if (number < 1 || number > std::numeric_limits<qint32>::max()) {
                refuse(line);
                return;
            }
            m_importId = number;
            m_buffer = m.captured(2);
            m_bufferLines << line;
        } else {
            m_buffer = line;
            m_bufferLines << line;
        }
    } else {
        m_buffer += u'\n';
        m_buffer += line;
        m_bufferLines << line;
    }
    if (!line.endsWith(u';'))
        return;
    const bool stored = execute(m_buffer, m_importId);
    if (stored)
        ++m_stored;
    else
        refuse(m_bufferLines.join(u' '));
    m_buffer.clear();
    m_bufferLines.clear();
    m_importId.reset();
}

void SqlRestore::restoreLines(const QStringList &lines)
{
    begin();
    try {
        for (const QString &line : lines)
            restoreLine(line);
        finish();
    } catch (...) {
        abandon();
        throw;
    }
}

void SqlRestore::restoreFile(const QString &path)
{
    begin();
    try {
        // Progress counts the bytes of the lines read (one byte a character, CR LF after each).
        const qint64 size = QFileInfo(path).size();
        qint64 read = 0;
        cp1252::forEachLine(path, [&](const QString &line) {
            restoreLine(line);
            read += line.size() + 2;
            if (m_progress)
                m_progress->advance(read, size);
        });
        finish();
    } catch (...) {
        abandon();
        throw;
    }
}

void SqlRestore::abandon()
{
    // Nothing of a restore that broke off stays, and no line the list showed for it counts.
    m_inserts.clear();
    m_transaction.reset();
    m_errors.clearLines();
    m_errors.hideList();
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
    const auto progress = op.progress(QStringLiteral("%1 wird eingelesen …").arg(QFileInfo(*path).fileName()));
    m_progress = progress.get();
    const auto done = qScopeGuard([this] { m_progress = nullptr; });
    restoreFile(*path);
    op.report(QStringLiteral("Wiederherstellung: %1 aus %2 eingelesen, %3 abgewiesen")
                  .arg(counted(m_stored, QStringLiteral("Zeile"), QStringLiteral("Zeilen")), *path)
                  .arg(m_failed));
}

}  // namespace rq::tools

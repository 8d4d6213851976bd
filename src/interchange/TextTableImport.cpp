#include "interchange/TextTableImport.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Operator.h"
#include "common/Text.h"
#include "db/Database.h"
#include "db/Snapshots.h"
#include "db/TableDefs.h"
#include "interchange/TextTable.h"

#include <QFileInfo>

namespace rq::interchange {

TextTableImport::TextTableImport(db::Database &db, Operator &op)
    : m_db(db)
    , m_op(op)
{
}

QString TextTableImport::tableNameOf(const QString &path)
{
    return trimControl(QFileInfo(path).fileName().section(u'.', 0, 0));
}

void TextTableImport::importFile(const QString &path)
{
    m_stored = 0;
    m_refused.clear();
    const QString name = tableNameOf(path);
    if (!db::findTable(name))
        throw EngineError(db::germanEngineText(QStringLiteral("no such table: %1").arg(name)), QString());
    const QStringList lines = cp1252::readLines(path);
    if (lines.isEmpty())
        throw FileError(QStringLiteral("Datei %1 ist leer").arg(path));
    importLines(name, lines);
}

void TextTableImport::importLines(const QString &tableName, const QStringList &lines)
{
    m_stored = 0;
    m_refused.clear();
    // The name only ever selects one of the program's tables; it never becomes statement text.
    const db::TableDef *table = db::findTable(tableName);
    if (!table)
        throw EngineError(db::germanEngineText(QStringLiteral("no such table: %1").arg(tableName)), QString());
    if (lines.isEmpty())
        return;

    const QStringList header = headerColumns(lines.first());
    db::Snapshots(m_db).take(db::SnapshotReason::TableImport);
    TextRowInsert insert(m_db, *table, header);
    db::Savepoint transaction(m_db, QStringLiteral("text_table_import"));
    QStringList values;
    QString reason;
    for (int i = 1; i < lines.size(); ++i) {
        QString line = lines.at(i);
        values.clear();
        for (qsizetype c = 0; c < header.size(); ++c)
            values << takeTabField(line);
        if (insert.insert(values, &reason)) {
            ++m_stored;
            continue;
        }
        m_refused.append({i, reason});
        const Button answer =
            m_op.ask(QStringLiteral("Zeile  %1 konnten nicht eingefügt werden! Fehler anzeigen?").arg(i),
                     {Button::Yes, Button::Abort, Button::Ignore}, MessageKind::Warning);
        if (answer == Button::Ignore)
            continue;
        // Ending early keeps the rows stored so far.
        transaction.release();
        if (answer == Button::Yes)
            throw EngineError(reason, QString());
        return;
    }
    transaction.release();
}

void TextTableImport::run()
{
    FileDialogRequest request;
    request.fileName = QString();
    request.filter = QStringLiteral("txt-Ranglisten (*.txt)|*.txt");
    request.title = QStringLiteral("Daten aus Text-Tabellen importieren");
    const auto path = m_op.chooseOpenFile(request);
    if (!path)
        return;
    const auto wait = m_op.waitCursor();
    importFile(*path);
    // Also after an Abort: the rows stored before it stay.
    m_op.report(QStringLiteral("%1: %2 eingelesen, %3 abgewiesen")
                    .arg(tableNameOf(*path), counted(m_stored, QStringLiteral("Zeile"), QStringLiteral("Zeilen")))
                    .arg(m_refused.size()));
}

}  // namespace rq::interchange

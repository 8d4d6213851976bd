#include "interchange/RankingListImport.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "common/Text.h"
#include "db/Database.h"
#include "db/Snapshots.h"
#include "db/StatementRunner.h"
#include "db/TableDefs.h"
#include "interchange/TextTable.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

namespace rq::interchange {
namespace {

struct ListTable
{
    const char *prefix;
    const char *table;
};

// The four files of a list in the order they are loaded.
constexpr ListTable kListTables[] = {{"LST_", "RangListe"},
                                     {"POS_", "RangPos"},
                                     {"BLK_", "DetailBlock"},
                                     {"DET_", "Detail"}};

QStringList readTable(const QString &path)
{
    QStringList lines = cp1252::readLines(path);
    if (lines.isEmpty())
        throw FileError(QStringLiteral("Datei %1 ist leer").arg(path));
    return lines;
}

int keyValue(const QString &text)
{
    const auto number = num::parseInteger(removeQuotes(text));
    if (!number || *number > std::numeric_limits<int>::max() || *number < std::numeric_limits<int>::min())
        return -1;
    return int(*number);
}

}  // namespace

RankingListImport::RankingListImport(db::Database &db, Operator &op)
    : m_db(db)
    , m_op(op)
{
}

ranking::ListKey RankingListImport::keyOf(const QStringList &lines)
{
    ranking::ListKey key{-1, -1};
    if (lines.size() < 2)
        return key;
    // The key columns are found by name, like every other column of the file.
    const QStringList header = headerColumns(lines.first());
    QString line = lines.last();
    for (const QString &name : header) {
        const QString value = takeTabField(line);
        if (name.compare(QLatin1String("KAT_NR"), Qt::CaseInsensitive) == 0)
            key.kat = keyValue(value);
        else if (name.compare(QLatin1String("KLASSE_NR"), Qt::CaseInsensitive) == 0)
            key.klasse = keyValue(value);
    }
    return key;
}

TableLoad RankingListImport::loadTable(db::Database &db, const QString &table, const QStringList &lines)
{
    TableLoad load;
    const db::TableDef *def = db::findTable(table);
    const QStringList header = headerColumns(lines.value(0));
    TextRowInsert insert(db, *def, header);
    QStringList values;
    QString reason;
    for (int i = 1; i < lines.size(); ++i) {
        QString line = lines.at(i);
        values.clear();
        for (qsizetype c = 0; c < header.size(); ++c)
            values << removeQuotes(takeTabField(line));
        if (insert.insert(values, &reason))
            continue;
        if (load.complete) {
            load.complete = false;
            load.failedLine = i + 1;
            load.reason = reason;
        }
    }
    return load;
}

RankingListImport::Step RankingListImport::refuse(const QString &message)
{
    ++m_refused;
    return m_op.ask(message, {Button::Abort, Button::Ignore}, MessageKind::Error) == Button::Ignore ? Step::Next
                                                                                                    : Step::Stop;
}

RankingListImport::Step RankingListImport::importList(const QString &path)
{
    const QFileInfo chosen(path);
    const QString name = chosen.fileName();
    if (name.indexOf(u'_') != 3)
        return refuse(QStringLiteral("Keine Ranglistentabelle gefunden"));
    const QString base = name.mid(4);
    const QDir dir = chosen.absoluteDir();
    const auto fileOf = [&](const ListTable &t) { return dir.filePath(QString::fromLatin1(t.prefix) + base); };

    QList<QStringList> contents{readTable(fileOf(kListTables[0]))};
    const ranking::ListKey key = keyOf(contents.first());
    if (key.kat < 1 || key.klasse < 0)
        return refuse(QStringLiteral("Tabelle LST_") + base + QStringLiteral(" ungültig"));
    // All four files are read before anything changes, so a missing one leaves the list alone.
    for (int i = 1; i < 4; ++i)
        contents << readTable(fileOf(kListTables[i]));

    // The stored list is replaced as one unit: deleted and loaded again, or left as it was.
    std::optional<db::Savepoint> replacement(std::in_place, m_db, QStringLiteral("ranking_list_import"));
    const db::StatementRunner runner(m_db, m_op);
    for (const char *table : {"DETAIL", "DETAILBLOCK", "RANGPOS", "RANGLISTE"})
        runner.run({QStringLiteral("DELETE FROM %1 WHERE").arg(QLatin1String(table)), QStringLiteral("KAT_NR = ? AND"),
                    QStringLiteral("KLASSE_NR = ?")},
                   {key.kat, key.klasse});
    for (int i = 0; i < 4; ++i) {
        const TableLoad load = loadTable(m_db, QString::fromLatin1(kListTables[i].table), contents.at(i));
        if (!load.complete) {
            replacement.reset();
            const QString file = QString::fromLatin1(kListTables[i].prefix) + base;
            m_failures << QStringLiteral("%1, Zeile %2: %3").arg(file).arg(load.failedLine).arg(load.reason);
            return refuse(QStringLiteral("Tabelle ") + file + QStringLiteral(" kann nicht importiert werden"));
        }
    }
    replacement->release();
    m_db.listChanged(key.kat, key.klasse);
    ++m_loaded;
    return Step::Next;
}

void RankingListImport::importFiles(const QStringList &paths)
{
    m_loaded = 0;
    m_refused = 0;
    m_failures.clear();
    if (!paths.isEmpty())
        db::Snapshots(m_db).take(db::SnapshotReason::ListImport);
    for (const QString &path : paths) {
        if (importList(path) == Step::Stop)
            return;
    }
}

void RankingListImport::run()
{
    FileDialogRequest request;
    request.fileName = QString();
    request.filter = QStringLiteral("txt-Ranglisten (*.txt)|*.txt");
    request.title = QStringLiteral("Ranglisten aus Text-Tabellen importieren");
    const auto paths = m_op.chooseOpenFiles(request);
    if (!paths)
        return;
    const auto wait = m_op.waitCursor();
    importFiles(*paths);
    QString summary = QStringLiteral("Ranglisten: %1 importiert")
                          .arg(counted(m_loaded, QStringLiteral("Liste"), QStringLiteral("Listen")));
    if (m_refused > 0)
        summary += QStringLiteral(", %1 abgewiesen")
                       .arg(counted(m_refused, QStringLiteral("Datei"), QStringLiteral("Dateien")));
    m_op.report(summary);
}

}  // namespace rq::interchange

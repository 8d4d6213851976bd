#pragma once

#include <QList>
#include <QString>

#include <utility>

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::interchange {

// Appends the rows of a text table to the table the file is named after (the
// menu command "Textdatei in Tabelle einlesen", historically
// `extTabelleImportieren1Click`): VEREIN.txt and VEREIN.2024.txt both fill
// VEREIN. The header line names the columns; values are taken as written,
// quotes included; an empty or missing value is NULL. For each row the table
// refuses, the operator decides: go on (Ignore), stop (Abort) or stop and see
// the engine's error (Yes). Rows stored before the end stay.
class TextTableImport
{
public:
    TextTableImport(db::Database &db, Operator &op);

    // The name of the table a file fills: its name up to the first ".", trimmed.
    static QString tableNameOf(const QString &path);

    // Loads one file. Throws EngineError "… (no such table: …)" when the file is
    // named after no table, FileError when it cannot be read or is empty, and
    // EngineError with the refusal when the operator answers Yes.
    void importFile(const QString &path);
    // The lines of a text table already read (the header first) into `tableName`.
    void importLines(const QString &tableName, const QStringList &lines);
    // The command: the dialog "Daten aus Text-Tabellen importieren", then importFile.
    void run();

    int storedRows() const { return m_stored; }
    // Data lines (the file's second line is 1) the table refused, with the reason.
    const QList<std::pair<int, QString>> &refusedLines() const { return m_refused; }

private:
    db::Database &m_db;
    Operator &m_op;
    int m_stored = 0;
    QList<std::pair<int, QString>> m_refused;
};

}  // namespace rq::interchange

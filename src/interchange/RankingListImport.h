#pragma once

#include "ranking/RankingList.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::interchange {

// The outcome of loading one text table into its table.
struct TableLoad
{
    bool complete = true;  // every data line stored
    int failedLine = 0;  // the first line (of the file) that was refused, 0 when none
    QString reason;  // why it was refused
};

// Loads ranking lists written as four text tables (the menu command
// "&Rangliste importieren", historically `Ranglisteimportieren1Click`). The
// operator picks any of a list's files, named XXX_B with any three characters
// before the first "_"; the list's key comes from "LST_" + B, and "LST_",
// "POS_", "BLK_" and "DET_" + B fill RANGLISTE, RANGPOS, DETAILBLOCK and
// DETAIL. A list replaces the stored one of its key as one unit: when any of
// its files cannot be loaded whole, the stored list stays exactly as it was.
class RankingListImport
{
public:
    RankingListImport(db::Database &db, Operator &op);

    // Loads the lists of `paths` in their order. Questions (Abort/Ignore) come
    // from the operator; Abort ends the run. A file that is missing, unreadable
    // or empty ends the run with FileError.
    void importFiles(const QStringList &paths);
    // The command: the multiple-selection dialog, then importFiles.
    void run();

    // Lists loaded whole, and chosen files whose list was not loaded (refused with a question).
    int loadedLists() const { return m_loaded; }
    int refusedFiles() const { return m_refused; }
    // For each table that could not be loaded: its file, its first refused line and why.
    const QStringList &failures() const { return m_failures; }

    // The key written in a list file: KAT_NR and KLASSE_NR of its last data
    // line, each -1 when it is no 32-bit whole number.
    static ranking::ListKey keyOf(const QStringList &lines);
    // Stores the data lines of `lines` in `table` (header line first, columns
    // matched by name, one level of quotes removed, empty values NULL).
    // Refused lines are skipped; the result says whether any was.
    static TableLoad loadTable(db::Database &db, const QString &table, const QStringList &lines);

private:
    enum class Step { Next, Stop };
    Step importList(const QString &path);
    Step refuse(const QString &message);

    db::Database &m_db;
    Operator &m_op;
    int m_loaded = 0;
    int m_refused = 0;
    QStringList m_failures;
};

}  // namespace rq::interchange

#pragma once

#include "db/StatementRunner.h"

#include <QList>
#include <QSqlRecord>
#include <QString>

#include <optional>

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::ranking {

// A ranking list's key: its category and its class.
struct ListKey
{
    int kat = 0;
    int klasse = 0;
    bool operator==(const ListKey &) const = default;
};

// The sort settings of the tab "Rangieren".
struct SortSettings
{
    bool ascending = false;  // "Aufsteigend": lower points first
    bool byAge = false;  // "Diff./Jahrg. (abst.)": the higher JAHRGANG first among equal points
};

// One position of a list as the ranking sees it: its texts as stored, and the
// numbers that order and rank it (PUNKTE, JAHRGANG and RANG read as numbers;
// missing where the text is missing).
struct Position
{
    int number = 0;  // RANGPOS_NR
    QString rank;
    QString name1;
    QString name2;
    QString jahrgang;
    QString verein;
    QString kanton;
    QString points;
    QString award;
    std::optional<double> pointsValue;
    std::optional<double> ageValue;
    std::optional<qint64> rankValue;
};

// One ranking list: its key, its RANGLISTE row, its positions in the order of
// given sort settings, and the statement runner through which every change of
// the list runs. A value: the editor hands out the list it selects; the
// operations, the pre-stage, printing, the exports and the command line work
// on what they are handed.
class RankingList
{
public:
    // The list with this key. Throws Error "Rangliste mit Kat. … und Klasse …
    // nicht vorhanden" when there is none.
    static RankingList load(db::Database &db, Operator &op, ListKey key);

    ListKey key() const { return m_key; }
    const QSqlRecord &header() const { return m_header; }
    // A field of the RANGLISTE row as text (empty when NULL).
    QString text(const QString &field) const;
    QString layout() const;
    QString detailsPerLine() const;
    // "Kategorie " + KAT_NR + " - " + SPARTE_D + " " + KATEGORIE_D + " " + KLASSE_D, trimmed.
    QString captionLine() const;
    // Reads the RANGLISTE row again (after the list was stamped, say).
    void reload();

    // The positions in ranking order for `sort`.
    QList<Position> positions(const SortSettings &sort) const;
    // The highest position number; 0 without positions.
    int maxPosition() const;

    db::Database &database() const { return *m_db; }
    Operator &op() const { return *m_op; }
    db::StatementRunner runner() const { return db::StatementRunner(*m_db, *m_op); }

private:
    RankingList(db::Database &db, Operator &op, ListKey key);

    db::Database *m_db;
    Operator *m_op;
    ListKey m_key;
    QSqlRecord m_header;
};

}  // namespace rq::ranking

#pragma once

#include "ranking/RankingList.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

// The calculations of the tab "Rangieren" as functions of values: positions in,
// new ranks, numbers, awards and totals out. The operations write their results.
namespace rq::ranking {

// Ranking order: the points in the direction of `sort` (a missing value below
// every number), then with `byAge` the higher age value first (missing last),
// then the position number. Rows equal in all of these keep their order.
void sortPositions(QList<Position> &positions, const SortSettings &sort);

// Competition ranks of positions in ranking order: the row's count, or the
// empty text when its points equal those of the row above, so ties read
// 1, "", 3. A missing value counts as 0; the first row is compared with -1.
QStringList competitionRanks(const QList<Position> &ordered);

// "Gleiche Ränge": for each row whose rank is empty, the last rank above it
// ("1" above the first row); nothing for a row that keeps its rank.
QList<std::optional<QString>> sameRanks(const QList<Position> &ordered);

// The new number of each row in ranking order: (old number, 1..n).
QList<std::pair<int, int>> renumbering(const QList<Position> &ordered);

// How the award quantity counts: a percentage of the positions or a number of ranks.
enum class AwardMode { Percent, Count };

// The rank limit of an award: `quantity` ranks, or `quantity` percent of
// `positions`, rounded up.
double awardLimit(qsizetype positions, double quantity, AwardMode mode);
// How many rows from the top get the award: every row up to the first whose
// rank is beyond the limit (an empty rank reads as 0, so a tie group that
// begins within the limit is awarded whole).
qsizetype awardedRows(const QList<Position> &ordered, double limit);

// Sum or average of the points below a level.
enum class PointsTotal { Sum, Average };

// The points of one row of the level below, filed under the key of its row above.
struct PointsEntry
{
    QList<int> key;
    QString points;
};

// The new total of one row of the level above, as the text to store.
struct Total
{
    QList<int> key;
    QString text;
};

// One total per key that has at least one points text, in the order the keys
// first appear. Empty texts count as absent, not as 0; the texts are read as
// numbers as the engine's CAST reads them. The text has `decimals` decimals
// and at most 12 significant digits.
QList<Total> totals(const QList<PointsEntry> &entries, PointsTotal total, int decimals);

}  // namespace rq::ranking

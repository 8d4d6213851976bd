#pragma once

#include "ranking/RankingList.h"
#include "ranking/RankingRules.h"

#include <QString>

namespace rq::ranking {

// The ranking, award and total commands of the tab "Rangieren" on one list.
// Each runs as one transaction: it ends with the same rows as its statements
// run one by one, and a failure leaves the list exactly as it was. A refused
// statement is first shown with its text (the list's runner), then EngineError
// is thrown. The calculations are those of RankingRules; this class asks the
// questions and writes the results.
class RankingOperations
{
public:
    explicit RankingOperations(RankingList list);

    // "Rangieren": ranks in competition style (ties get an empty rank), then
    // positions renumbered 1..n in ranking order with their blocks and details,
    // and blocks and details of vanished positions removed. `reselect` is the
    // position to select afterwards (-1 for none); returns its new number.
    int rankAndRenumber(const SortSettings &sort, int reselect);
    // "Pos als Rang", after its question; false when declined.
    bool positionAsRank();
    // "Gleiche Ränge", after its question: empty ranks take the rank above.
    bool sameRanks(const SortSettings &sort);
    // "Zeile an Ende von Rang schieben": position `position` goes behind the
    // other rows of its rank; with `ask` (double click) after the question.
    // Returns the row's new number, or -1 when declined.
    int moveToEndOfRank(const SortSettings &sort, int position, bool ask);

    // "Verteilen": the award text for the ranks up to the limit. Warns and
    // returns false for a quantity that is not a number above 0.
    bool distributeAwards(const SortSettings &sort, const QString &quantity, AwardMode mode, const QString &award);
    // "Alle löschen", after its question.
    bool clearAwards();

    // "Total aus Details berechnen" / "Total aus Blöcken berechnen", after their
    // questions: sum or average of the level below with `decimals` decimals.
    bool blockTotals(PointsTotal total, int decimals);
    bool positionTotals(PointsTotal total, int decimals);

private:
    void cleanUp(int maxPosition);
    // Tells who listens (the results site) that the list has changed.
    void changed() const;
    int renumber(const SortSettings &sort, int reselect);
    bool totals(PointsTotal total, int decimals, bool blocks);

    RankingList m_list;
    db::StatementRunner m_runner;
    QVariant m_kat;
    QVariant m_kl;
};

}  // namespace rq::ranking

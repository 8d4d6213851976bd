#pragma once

#include <QString>

namespace rq {
class Operator;
}

namespace rq::ranking {

class KonfigDataModule;

// The sort settings of the tab "Rangieren".
struct SortSettings
{
    bool ascending = false;  // "Aufsteigend": lower points first
    bool byAge = false;      // "Diff./Jahrg. (abst.)": higher JAHRG_VAL first among equal points
};

// The ranking, award and total commands on the current list. Each runs as one
// transaction: it ends with the same rows as its statements run one by one,
// and a failure leaves the list exactly as it was. A failed statement is first
// shown with its text (the module's runner), then EngineError is thrown.
// Every command ends with the ordered list re-read.
class RankingOperations
{
public:
    RankingOperations(KonfigDataModule &module, Operator &op);

    // "Rangieren": ranks in competition style (ties get an empty rank), then
    // positions renumbered 1..n in ranking order with their blocks and details,
    // and blocks and details of vanished positions removed. `reselect` is the
    // position to select afterwards (-1 for none); returns its new number.
    int rankAndRenumber(const SortSettings &sort, int reselect);
    // "Pos als Rang", after its question; false when declined.
    bool positionAsRank(const SortSettings &sort);
    // "Gleiche Ränge", after its question: empty ranks take the rank above.
    bool sameRanks(const SortSettings &sort);
    // "Zeile an Ende von Rang schieben": position `position` goes behind the
    // other rows of its rank; with `ask` (double click) after the question.
    // Returns the row's new number, or -1 when declined.
    int moveToEndOfRank(const SortSettings &sort, int position, bool ask);

    // "Verteilen": the award text for the ranks up to the limit (a percentage
    // of the positions or a number of ranks, rounded up). Warns and returns
    // false for a quantity that is not a number above 0.
    bool distributeAwards(const SortSettings &sort, const QString &quantity, bool countMode, const QString &award);
    // "Alle löschen", after its question.
    bool clearAwards(const SortSettings &sort);

    // "Total aus Details berechnen" / "Total aus Blöcken berechnen", after their
    // questions: sum or average of the level below with `decimals` decimals.
    bool blockTotals(const SortSettings &sort, bool average, int decimals);
    bool positionTotals(const SortSettings &sort, bool average, int decimals);

private:
    void rankPass();
    void cleanUp(int maxPosition);
    void reopen(const SortSettings &sort);
    bool totals(const SortSettings &sort, bool average, int decimals, bool blocks);

    KonfigDataModule &m_module;
    Operator &m_op;
    QString m_kl;
    QString m_kat;
};

} // namespace rq::ranking

#include "ranking/RankingRules.h"

#include "common/Numbers.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace rq::ranking {
namespace {

// -1: a before b, 1: after, 0: equal; a missing value lies below every number.
int compare(const std::optional<double> &a, const std::optional<double> &b)
{
    if (!a || !b)
        return a ? 1 : b ? -1 : 0;
    return *a < *b ? -1 : *a > *b ? 1 : 0;
}

}  // namespace

void sortPositions(QList<Position> &positions, const SortSettings &sort)
{
    std::stable_sort(positions.begin(), positions.end(), [&](const Position &a, const Position &b) {
        const int points = compare(a.pointsValue, b.pointsValue);
        if (points != 0)
            return sort.ascending ? points < 0 : points > 0;
        if (sort.byAge) {
            const int age = compare(a.ageValue, b.ageValue);
            if (age != 0)
                return age > 0;
        }
        return a.number < b.number;
    });
}

QStringList competitionRanks(const QList<Position> &ordered)
{
    QStringList ranks;
    double previous = -1.0;
    for (qsizetype n = 1; n <= ordered.size(); ++n) {
        const double points = ordered.at(n - 1).pointsValue.value_or(0.0);
        ranks << (points == previous ? QString() : QString::number(n));
        previous = points;
    }
    return ranks;
}

QList<std::optional<QString>> sameRanks(const QList<Position> &ordered)
{
    QList<std::optional<QString>> result;
    QString carried = QStringLiteral("1");
    for (const Position &p : ordered) {
        if (!p.rank.isEmpty()) {
            carried = p.rank;
            result.append(std::nullopt);
        } else {
            result.append(carried);
        }
    }
    return result;
}

QList<std::pair<int, int>> renumbering(const QList<Position> &ordered)
{
    QList<std::pair<int, int>> numbers;
    for (qsizetype n = 1; n <= ordered.size(); ++n)
        numbers.append({ordered.at(n - 1).number, int(n)});
    return numbers;
}

double awardLimit(qsizetype positions, double quantity, AwardMode mode)
{
    return mode == AwardMode::Count ? std::ceil(quantity) : std::ceil(double(positions) * quantity / 100.0);
}

qsizetype awardedRows(const QList<Position> &ordered, double limit)
{
    qsizetype rows = 0;
    while (rows < ordered.size() && double(ordered.at(rows).rankValue.value_or(0)) <= limit)
        ++rows;
    return rows;
}

QList<Total> totals(const QList<PointsEntry> &entries, PointsTotal total, int decimals)
{
    struct Sum
    {
        double value = 0;
        int count = 0;
        qsizetype first = 0;
    };
    std::map<QList<int>, Sum> sums;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const PointsEntry &e = entries.at(i);
        if (e.points.isEmpty())
            continue;
        auto [it, added] = sums.try_emplace(e.key, Sum{0, 0, i});
        it->second.value += num::leadingReal(e.points);
        ++it->second.count;
    }
    QList<std::pair<qsizetype, Total>> ordered;
    for (const auto &[key, sum] : sums) {
        const double value = total == PointsTotal::Average ? sum.value / sum.count : sum.value;
        ordered.append({sum.first, Total{key, num::formatFixed(value, decimals, 12)}});
    }
    std::sort(ordered.begin(), ordered.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<Total> result;
    for (const auto &[first, t] : ordered)
        result.append(t);
    return result;
}

}  // namespace rq::ranking

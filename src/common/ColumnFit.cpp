#include "common/ColumnFit.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace rq::columns {

QList<int> fitProportional(const QList<int> &widths, int usable)
{
    const int sum = std::accumulate(widths.begin(), widths.end(), 0);
    const double factor = sum > 0 ? double(usable) / sum : 1.0;
    QList<int> fitted;
    for (const int w : widths)
        fitted << std::max(10, int(std::lround(w * factor)));
    return fitted;
}

QList<int> fitSpareTo(const QList<int> &contentWidths, int usable, const QList<int> &growing)
{
    QList<int> fitted = contentWidths;
    const int spare = usable - std::accumulate(contentWidths.begin(), contentWidths.end(), 0);
    QList<int> targets;
    for (const int i : growing) {
        if (i >= 0 && i < fitted.size())
            targets << i;
    }
    if (spare <= 0 || targets.isEmpty())
        return fitted;
    const int share = spare / int(targets.size());
    const int rest = spare % int(targets.size());
    for (int t = 0; t < targets.size(); ++t)
        fitted[targets.at(t)] += share + (t < rest ? 1 : 0);
    return fitted;
}

}  // namespace rq::columns

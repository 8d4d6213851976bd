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

QList<int> fitLastColumn(const QList<int> &widths, int usable, int &narrowestLast)
{
    if (widths.isEmpty())
        return widths;
    QList<int> fitted = widths;
    const int sum = std::accumulate(widths.begin(), widths.end(), 0);
    narrowestLast = std::min(narrowestLast, widths.last());
    fitted.last() = std::max({widths.last() + usable - sum, narrowestLast, 10});
    return fitted;
}

}  // namespace rq::columns

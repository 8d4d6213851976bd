#pragma once

#include <QList>

// Column widths of the grids fitted to the grid's width, in pixels.
namespace rq::columns {

// Every width scaled by usable ÷ sum (by 1 when the sum is not positive),
// rounded, and never below 10.
QList<int> fitProportional(const QList<int> &widths, int usable);

// The other columns stay; the last gets the rest (last + usable − sum), but
// never less than `narrowestLast` (the narrowest it had at any fitting, at
// first its design width) nor 10. `narrowestLast` is lowered to the last
// column's width before fitting when that is narrower.
QList<int> fitLastColumn(const QList<int> &widths, int usable, int &narrowestLast);

}  // namespace rq::columns

#pragma once

#include <QList>

// Column widths of the grids fitted to the grid's width, in pixels.
namespace rq::columns {

// Every width scaled by usable ÷ sum (by 1 when the sum is not positive),
// rounded, and never below 10.
QList<int> fitProportional(const QList<int> &widths, int usable);

// Every column keeps the width its contents ask for; the width left over (usable
// − sum, when positive) goes to the columns at the indexes `growing` in equal
// parts, the first ones taking the pixels that do not divide.
QList<int> fitSpareTo(const QList<int> &contentWidths, int usable, const QList<int> &growing);

}  // namespace rq::columns

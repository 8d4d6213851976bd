#pragma once

#include <QString>

#include <optional>

// Every conversion between numbers and text: "." is the decimal separator,
// ":" the time separator, whatever the system's regional settings say.
namespace rq::num {

// An optionally signed decimal whole number; blanks at both ends are ignored.
// Nothing for anything else, including "12.0", "1e3" and values beyond 64 bits.
std::optional<qint64> parseInteger(const QString &text);

// A decimal number with "." as the only decimal separator ("12,5" is no number);
// an exponent is allowed; blanks at both ends are ignored; inf and nan are not numbers.
std::optional<double> parseDecimal(const QString &text);

// The number at the start of a text, read as the database engine's CAST reads a
// text: blanks and tabs at the start skipped, then the longest prefix that is a
// decimal number (sign, digits, point, digits, exponent); 0 when there is none.
// So "12abc" is 12, "abc" 0, "1e3" 1000. Ranks, orders and totals of ranking
// lists read their number texts this way, whatever engine holds them.
double leadingReal(const QString &text);
// The longest prefix that is a whole number, the same way: "3.7" is 3, "1e3" 1;
// beyond 64 bits the nearest 64-bit limit.
qint64 leadingInteger(const QString &text);

// Rounded in two steps, first to `precision` significant digits, then to
// `decimals` digits after the point, each half away from zero on the decimal
// digits (so 1.005, held as 1.00499…, is 1.01 with two decimals), and written
// with exactly `decimals` digits after the point, no thousands separator. With more than `precision` digits before the
// point the value is written in exponent form ("1.2345679E9"). The 8-digit form is the display form of performances and
// points, the 12-digit form that of recomputed totals.
QString formatFixed(double value, int decimals, int precision = 8);

// The shortest text of up to 15 significant digits: 5.50 → "5.5", 3 → "3".
QString formatGeneral(double value);

// A whole number grouped in thousands with `separator` (none when empty).
QString formatGrouped(qint64 value, const QString &separator);

// The process-wide thousands separator: the system's, unless it would equal ".",
// then none.
QString thousandsSeparator();

// Round half to even, as the performance normalisation does: 12.5 → 12, 13.5 → 14.
double roundHalfEven(double value);

// Round half away from zero: 2.5 → 3, -2.5 → -3.
double roundHalfAway(double value);

}  // namespace rq::num

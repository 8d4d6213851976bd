#pragma once

#include "reports/Report.h"
#include "reports/ReportRow.h"

#include <functional>

// What the ranking-list and medal-list layouts share: items placed in
// millimetres, the field values of a row, the rank and award expressions, the
// rank separator rule and the page headers.
namespace rq::reports {

// One layout unit of the ranking lists (1/96 inch) and of the medal lists (1/153.6 inch), in mm.
inline constexpr double kListUnit = 25.4 / 96;
inline constexpr double kMedalUnit = 25.4 / 153.6;

// A text whose box starts at `x`; its height follows the font size.
ReportItem text(double x, double y, double width, const QString &t, double pt, bool bold = false);
// A text right-aligned so that it ends at `right`.
ReportItem rightText(double right, double y, double width, const QString &t, double pt, bool bold = false);
// A horizontal rule at `y` across `width`.
ReportItem rule(double y, double width, double lineWidth);

// A field of a row as text (empty when missing or NULL).
QString value(const ReportRow &row, const QString &field);
// "RANG." when RANG is not empty, else nothing.
QString rankText(const ReportRow &row);
// AUSZEICHNUNG + " " + BEMERKUNGEN when there is an award, else BEMERKUNGEN.
QString awardText(const ReportRow &row);
// The rank separator: a rule above a position that opens a rank, when the rules are wanted.
bool opensRank(const ReportRow &row, bool rankLines);

// Whether any of the fields is not empty.
bool anyFilled(const ReportRow &row, const QStringList &fields);

// Detail columns placed at run time, in layout units.
struct ColumnLayout
{
    int count = 1;  // columns printed
    int step = 0;  // distance between columns
    QList<int> x;  // x of every column
    QList<bool> visible;  // printed or not
};

// `n` columns of `columns` (n above `most` taken as `most`, 0 as 1) spread from
// `x1` towards `bound`: step (bound − x1) div n; column 1 always printed,
// column j at x1 + (j − 1) × step and printed when j ≤ n. A negative n gives a
// negative step and prints column 1 only.
ColumnLayout layoutColumns(int n, int x1, int bound, int most, int columns);

// A column of a main line and of the column-header line above it: the header
// prints the title field, a position band its value.
struct MainColumn
{
    double x;  // the left edge, or the right edge when `right`
    double width;
    bool right;
    QString title;  // empty: no title
    std::function<QString(const ReportRow &)> value;
};
QList<ReportItem> mainLine(const QList<MainColumn> &columns, const ReportRow &row, double y, double pt, bool bold);
QList<ReportItem> titleLine(const QList<MainColumn> &columns, const ReportRow &first, double y, double pt, bool bold);

// The page header of the four ranking-list layouts (15.1 mm): SPARTE, KATEGORIE
// and KLASSE in German and French, KAT_NR at the right.
Band rankingListPageHeader(const ReportRow &first);

// The page frame of the medal lists: 6 mm above and below, 5 mm at the sides;
// on page 1 the free space of `introMm` above the titles, on every page the
// title band `ChildBand1` (9.3 mm) with the German titles at 2.3 mm, the
// French at `frenchX` and KATE right-aligned ending at `kateRight`.
PageFrame medalListFrame(const ReportRow &first, double introMm, double frenchX, double kateRight,
                         const Band &columnHeader);

// The report title of the medal lists: "Kat" + KATE.
QString medalTitle(const ReportRow &first);

}  // namespace rq::reports

#pragma once

#include "reports/Report.h"

#include <QSqlRecord>

#include <functional>

namespace rq::reports {

// The detail columns of the individual lists, in layout units of 1/96 inch.
struct ColumnLayout
{
    int count = 1;  // columns printed (1..20)
    int step = 0;  // distance between columns
    QList<int> x;  // x of columns 1..20
    QList<bool> visible;  // printed or not
};

// n clamped to 20, 0 taken as 1; step (698 − 64) div n; column 1 always printed,
// column j at 64 + (j − 1) × step and printed when j ≤ n (a negative n prints column 1 only).
ColumnLayout layoutDetailColumns(int n);

// The highest block 1..4 of a row that has a detail text (DETAILTEXTn_k), 0 for none.
int highestBlockWithText(const QSqlRecord &row);
// The band height of a position in units: 84, less 16 for each of the blocks
// 4, 3, 2, 1 (from the top) without any detail text.
int positionBandHeight(const QSqlRecord &row);

// The number of detail columns and where their titles come from: DETAILS_PRO_ZEILE
// when it is a whole number; else the highest filled DETAILi_TITEL of the list;
// else with "AUTO" or empty the highest filled title of `autoTitles` (the first
// row of the automatic title query, read only then); else 15.
struct DetailColumns
{
    int count = 0;
    bool automatic = false;  // titles from the automatic title query
    QStringList autoTitles;  // 20 titles when automatic
};
DetailColumns resolveDetailColumnCount(const QSqlRecord &list, const std::function<QStringList()> &autoTitles);

// The individual ranking list ("EINZEL", "PAAR"; historically
// `TQRRanklistEinzelForm`): page header, column header, one band per position
// with the main line and up to four detail lines.
class IndividualListLayout
{
public:
    // The row query, parameters KAT_NR and KLASSE_NR bound in this order.
    static QString rowQuery();

    // The document for the rows of the row query. `titles` are the 20 detail
    // column titles; `rankLines` is "Rangtrennlinien".
    static ReportDocument build(const QList<QSqlRecord> &rows, int detailColumnCount, const QStringList &titles,
                                bool rankLines);
};

}  // namespace rq::reports

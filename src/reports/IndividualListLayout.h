#pragma once

#include "reports/ReportLayout.h"
#include "reports/ReportParts.h"

#include <functional>

namespace rq::reports {

// The detail columns of the individual ranking list, in units of 1/96 inch:
// `layoutColumns` from x 64 over the width 698, at most 20.
ColumnLayout layoutDetailColumns(int n);

// The highest block 1..`blocks` of a row that has a detail text (DETAILTEXTn_k, n ≤ 20), 0 for none.
int highestBlockWithText(const ReportRow &row, int blocks = 4);
// The band height of a position in units: 84, less 16 for each of the blocks
// 4, 3, 2, 1 (from the top) without any detail text.
int positionBandHeight(const ReportRow &row);

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
DetailColumns resolveDetailColumnCount(const ReportRow &list, const std::function<QStringList()> &autoTitles);

// The individual ranking list ("EINZEL", "PAAR"; historically
// `TQRRanklistEinzelForm`): page header, column header, one band per position
// with the main line and up to four detail lines of twenty columns.
class IndividualListLayout : public ReportLayout
{
public:
    using ReportLayout::build;
    QString rowQuery() const override;
    bool hasDetailColumns() const override { return true; }
    ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const override;

    // The same with the options spelled out (for tests and callers that hold them).
    static ReportBands lay(const QList<ReportRow> &rows, int detailColumnCount, const QStringList &titles,
                           bool rankLines);
    static ReportDocument build(const QList<ReportRow> &rows, int detailColumnCount, const QStringList &titles,
                                bool rankLines);
};

}  // namespace rq::reports

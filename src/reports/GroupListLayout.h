#pragma once

#include "reports/ReportLayout.h"

namespace rq::reports {

// The group ranking list ("GRUPPE"; historically `TQRRanklistGruppeForm`): a
// main line per group and below it the first four blocks side by side as
// columns of up to six detail texts.
class GroupListLayout : public ReportLayout
{
public:
    QString rowQuery() const override;
    ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const override;

    // The highest detail row 1..6 used by any of the blocks 1..4, 0 for none.
    static int usedDetailRows(const ReportRow &row);
    // The band height in units: 116, less 16 for each detail row from 6 down that no block uses.
    static int bandHeight(const ReportRow &row);
};

}  // namespace rq::reports

#pragma once

#include "reports/ReportLayout.h"

namespace rq::reports {

// The medal list of group lists (historically `TQRMediaListGruppeForm`): a main
// line per group with its first three blocks as columns of up to four details.
class GroupMedalLayout : public ReportLayout
{
public:
    QString rowQuery() const override;
    ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const override;

    // The highest detail row 1..4 used by any of the blocks 1..4 (block 4
    // counts although it is not printed), 0 for none.
    static int usedDetailRows(const ReportRow &row);
    // The band height in units: 62, less 15 for each detail row from 4 down that no block uses.
    static int bandHeight(const ReportRow &row);
};

}  // namespace rq::reports

#pragma once

#include "reports/ReportLayout.h"

namespace rq::reports {

// The team ranking list ("TEAM"; historically `TQRRanklistTeamForm`): a main
// line per team and below it up to six members, each a line of name, year,
// points and remark and a line of six detail texts.
class TeamListLayout : public ReportLayout
{
public:
    QString rowQuery() const override;
    ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const override;

    // The highest member 1..6 with points (PUNKTE_k), 0 for none: members after it are not printed.
    static int printedMembers(const ReportRow &row);
    // The band height in units: 214, less 32 for each member from 6 down without points.
    static int bandHeight(const ReportRow &row);
};

}  // namespace rq::reports

#pragma once

#include "reports/ReportLayout.h"

namespace rq::reports {

// The medal list of team lists (historically `TQRMediaListTeamForm`): a main
// line per team and one line per member with name, year, five detail texts,
// points and remark.
class TeamMedalLayout : public ReportLayout
{
public:
    QString rowQuery() const override;
    ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const override;

    // The band height in units: 107, less 15 for each member from 6 down without points.
    static int bandHeight(const ReportRow &row);
};

}  // namespace rq::reports

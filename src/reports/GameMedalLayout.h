#pragma once

#include "reports/ReportLayout.h"

namespace rq::reports {

// The medal list of game lists (historically `TQRMediaListSpielForm`): one line per team.
class GameMedalLayout : public ReportLayout
{
public:
    QString rowQuery() const override;
    ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const override;

    static constexpr int kBandHeight = 17;  // units, fixed
};

}  // namespace rq::reports

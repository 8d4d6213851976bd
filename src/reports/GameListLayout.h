#pragma once

#include "reports/ReportLayout.h"

namespace rq::reports {

// The game ranking list ("SPIEL"; historically `TQRRanklistSpielForm`): one
// line per team, with the JAHRGANG column as the difference value.
class GameListLayout : public ReportLayout
{
public:
    QString rowQuery() const override;
    ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const override;

    static constexpr int kBandHeight = 24;  // units, fixed
};

}  // namespace rq::reports

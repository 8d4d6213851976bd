#pragma once

#include "reports/ReportLayout.h"
#include "reports/ReportParts.h"

namespace rq::reports {

// The medal list of individual and pair lists with "Alle Details auf
// Hauptzeile" (historically `TQRMediaListEinzelZeileForm`): one line per
// position with up to six detail texts of its first block before the points.
class SingleLineMedalLayout : public ReportLayout
{
public:
    QString rowQuery() const override;
    bool hasDetailColumns() const override { return true; }
    ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const override;

    // The detail columns in units of 1/153.6 inch: from x 599 to the points
    // field at 1084, at most 6; column 1 always printed.
    static ColumnLayout columns(int n);
    static constexpr int kBandHeight = 17;  // units, fixed
};

}  // namespace rq::reports

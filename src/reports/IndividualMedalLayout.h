#pragma once

#include "reports/ReportLayout.h"
#include "reports/ReportParts.h"

namespace rq::reports {

// The medal list of individual and pair lists (historically
// `TQRMediaListEinzelForm`): the individual list in 6 and 7 pt on narrow
// margins, four block lines of up to twenty detail columns per position.
class IndividualMedalLayout : public ReportLayout
{
public:
    QString rowQuery() const override;
    bool hasDetailColumns() const override { return true; }
    ReportBands lay(const QList<ReportRow> &rows, const LayoutOptions &options) const override;

    // The detail columns in units of 1/153.6 inch: from x 103 over the width 1210, at most 20.
    static ColumnLayout columns(int n);
    // The band height in units: 77, less 15 for each block from 4 down without detail texts.
    static int bandHeight(const ReportRow &row);
};

}  // namespace rq::reports

#include "reports/GameMedalLayout.h"

#include "reports/ReportParts.h"
#include "reports/RowQueries.h"

namespace rq::reports {

QString GameMedalLayout::rowQuery() const
{
    return medalRowQuery(ListLayout::Game);
}

ReportBands GameMedalLayout::lay(const QList<ReportRow> &rows, const LayoutOptions &options) const
{
    if (rows.isEmpty())
        return {};
    const ReportRow &first = rows.first();
    const double width = 1210 * kMedalUnit;
    const QList<MainColumn> main = {
        {13.1, 13.1, true, QStringLiteral("RANG_TITEL"), rankText},
        {17.0, 65.4, false, QStringLiteral("VEREIN_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("VEREIN")); }},
        {82.4, 27.0, false, QStringLiteral("KANTON_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("KANTON")); }},
        {122.0, 12.6, true, QStringLiteral("JAHRGANG_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("JAHRGANG")); }},
        {154.3, 20.0, true, QStringLiteral("PUNKTE_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("PUNKTE")); }},
        {156.6, width - 156.6, false, QStringLiteral("AUSZEICHNUNGS_TITEL"), awardText},
    };

    Band columnHeader;
    columnHeader.height = 3.6;
    columnHeader.items << rule(0, width, 0.25) << rule(columnHeader.height, width, 0.25)
                       << titleLine(main, first, 0.0, 7, false);

    QList<Band> bands;
    for (const ReportRow &row : rows) {
        Band band;
        band.height = kBandHeight * kMedalUnit;
        if (opensRank(row, options.rankLines))
            band.items << rule(0, width, 0.2);
        band.items << mainLine(main, row, 0.0, 7, false);
        bands << band;
    }
    return {medalListFrame(first, options.introMm, 95.2, 197.9, columnHeader), std::move(bands)};
}

}  // namespace rq::reports

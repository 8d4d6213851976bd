#include "reports/GameListLayout.h"

#include "reports/ReportParts.h"
#include "reports/RowQueries.h"

namespace rq::reports {

QString GameListLayout::rowQuery() const
{
    return rankingRowQuery(ListLayout::Game);
}

ReportBands GameListLayout::lay(const QList<ReportRow> &rows, const LayoutOptions &options) const
{
    if (rows.isEmpty())
        return {};
    const ReportRow &first = rows.first();
    const double width = 698 * kListUnit;
    const QList<MainColumn> main = {
        {13.0, 13.0, true, QStringLiteral("RANG_TITEL"), rankText},
        {16.9, 76.2, false, QStringLiteral("VEREIN_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("VEREIN")); }},
        {93.1, 25.0, false, QStringLiteral("KANTON_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("KANTON")); }},
        {137.1, 19.0, true, QStringLiteral("JAHRGANG_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("JAHRGANG")); }},
        {154.0, 16.9, true, QStringLiteral("PUNKTE_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("PUNKTE")); }},
        {156.6, width - 156.6, false, QStringLiteral("AUSZEICHNUNGS_TITEL"), awardText},
    };

    Band columnHeader;
    columnHeader.height = 24 * kListUnit;
    columnHeader.items << rule(0, width, 0.5) << rule(columnHeader.height, width, 0.5)
                       << titleLine(main, first, 1.1, 10, true);

    QList<Band> bands;
    for (const ReportRow &row : rows) {
        Band band;
        band.height = kBandHeight * kListUnit;
        if (opensRank(row, options.rankLines))
            band.items << rule(0, width, 0.26);
        band.items << mainLine(main, row, 1.1, 10, true);
        bands << band;
    }
    return {pageFrame(QStringLiteral("List") + value(first, QStringLiteral("KAT_NR")), rankingListPageHeader(first),
                      columnHeader),
            std::move(bands)};
}

}  // namespace rq::reports

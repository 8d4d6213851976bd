#include "reports/TeamMedalLayout.h"

#include "reports/ReportParts.h"
#include "reports/RowQueries.h"
#include "reports/TeamListLayout.h"

namespace rq::reports {
namespace {

constexpr int kMembers = 6;
constexpr int kBandHeight = 107;  // units, with six members
constexpr int kMemberHeight = 15;  // units
constexpr int kDetails = 5;  // detail texts per member in the medal list
const double kDetailX[kDetails] = {69.8, 91.6, 113.3, 134.9, 156.6};

}  // namespace

QString TeamMedalLayout::rowQuery() const
{
    return medalRowQuery(ListLayout::Team);
}

int TeamMedalLayout::bandHeight(const ReportRow &row)
{
    return kBandHeight - kMemberHeight * (kMembers - TeamListLayout::printedMembers(row));
}

ReportBands TeamMedalLayout::lay(const QList<ReportRow> &rows, const LayoutOptions &options) const
{
    if (rows.isEmpty())
        return {};
    const ReportRow &first = rows.first();
    const double width = 1210 * kMedalUnit;
    const QList<MainColumn> main = {
        {7.6, 7.6, true, QStringLiteral("RANG_TITEL"), rankText},
        {10.6, 82.3, false, QStringLiteral("VEREIN_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("VEREIN")); }},
        {92.9, 60.0, false, QStringLiteral("KANTON_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("KANTON")); }},
        {186.0, 20.0, true, QStringLiteral("PUNKTE_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("PUNKTE")); }},
        {186.4, width - 186.4, false, QStringLiteral("AUSZEICHNUNGS_TITEL"), awardText},
    };

    Band columnHeader;
    columnHeader.height = 5.6;
    columnHeader.items << rule(0, width, 0.25) << rule(columnHeader.height, width, 0.25)
                       << titleLine(main, first, 0.0, 7, true)
                       << text(10.6, 2.8, 48.8, value(first, QStringLiteral("NAME1_TITEL")), 6)
                       << text(59.4, 2.8, 10.4, value(first, QStringLiteral("JAHRGANG_TITEL")), 6)
                       << rightText(185.5, 2.8, 7.0, value(first, QStringLiteral("NAME2_TITEL")), 6);

    QList<Band> bands;
    for (const ReportRow &row : rows) {
        Band band;
        band.height = bandHeight(row) * kMedalUnit;
        if (opensRank(row, options.rankLines))
            band.items << rule(0, width, 0.2);
        band.items << mainLine(main, row, 0.0, 7, true);
        for (int k = 1; k <= TeamListLayout::printedMembers(row); ++k) {
            const double y = 2.8 + 2.5 * (k - 1);
            band.items << text(10.6, y, 48.8, value(row, QStringLiteral("NAME_%1").arg(k)), 6)
                       << text(59.4, y, 10.4, value(row, QStringLiteral("JAHRHANG_%1").arg(k)), 6);
            for (int n = 1; n <= kDetails; ++n)
                band.items << text(kDetailX[n - 1], y, 21.6,
                                   value(row, QStringLiteral("DETAILTEXT%1_%2").arg(n).arg(k)), 6);
            band.items << rightText(185.5, y, 7.0, value(row, QStringLiteral("PUNKTE_%1").arg(k)), 6)
                       << text(186.4, y, width - 186.4, value(row, QStringLiteral("BEMERKUNGEN_%1").arg(k)), 6);
        }
        bands << band;
    }
    return {medalListFrame(first, options.introMm, 92.9, 197.9, columnHeader), std::move(bands)};
}

}  // namespace rq::reports

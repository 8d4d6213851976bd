#include "reports/TeamListLayout.h"

#include "reports/ReportParts.h"
#include "reports/RowQueries.h"

namespace rq::reports {
namespace {

constexpr int kMembers = 6;
constexpr int kBandHeight = 214;  // units, with six members
constexpr int kMemberHeight = 32;  // units: a member's two lines
constexpr double kMemberStep = 8.5;  // mm between members
const double kDetailX[] = {16.9, 42.3, 67.7, 93.1, 118.5, 143.9};

}  // namespace

QString TeamListLayout::rowQuery() const
{
    return rankingRowQuery(ListLayout::Team);
}

int TeamListLayout::printedMembers(const ReportRow &row)
{
    for (int k = kMembers; k >= 1; --k) {
        if (!value(row, QStringLiteral("PUNKTE_%1").arg(k)).isEmpty())
            return k;
    }
    return 0;
}

int TeamListLayout::bandHeight(const ReportRow &row)
{
    return kBandHeight - kMemberHeight * (kMembers - printedMembers(row));
}

ReportBands TeamListLayout::lay(const QList<ReportRow> &rows, const LayoutOptions &options) const
{
    if (rows.isEmpty())
        return {};
    const ReportRow &first = rows.first();
    const double width = 698 * kListUnit;
    const QList<MainColumn> main = {
        {13.0, 13.0, true, QStringLiteral("RANG_TITEL"), rankText},
        {16.9, 76.2, false, QStringLiteral("VEREIN_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("VEREIN")); }},
        {93.1, 40.0, false, QStringLiteral("KANTON_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("KANTON")); }},
        {154.0, 20.9, true, QStringLiteral("PUNKTE_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("PUNKTE")); }},
        {156.6, width - 156.6, false, QStringLiteral("AUSZEICHNUNGS_TITEL"), awardText},
    };

    Band columnHeader;
    columnHeader.height = 40 * kListUnit;
    columnHeader.items << rule(0, width, 0.5) << rule(columnHeader.height, width, 0.5)
                       << titleLine(main, first, 1.1, 10, true)
                       << text(16.9, 5.3, 76.2, value(first, QStringLiteral("NAME1_TITEL")), 10)
                       << text(93.1, 5.3, 40.0, value(first, QStringLiteral("JAHRGANG_TITEL")), 10)
                       << rightText(154.0, 5.3, 20.9, value(first, QStringLiteral("NAME2_TITEL")), 10);

    QList<Band> bands;
    for (const ReportRow &row : rows) {
        Band band;
        band.height = bandHeight(row) * kListUnit;
        if (opensRank(row, options.rankLines))
            band.items << rule(0, width, 0.26);
        band.items << mainLine(main, row, 1.1, 10, true);
        for (int k = 1; k <= printedMembers(row); ++k) {
            const double memberY = 5.3 + kMemberStep * (k - 1);
            const double detailY = 9.5 + kMemberStep * (k - 1);
            band.items << text(16.9, memberY, 76.2, value(row, QStringLiteral("NAME_%1").arg(k)), 10)
                       << text(93.1, memberY, 40.0, value(row, QStringLiteral("JAHRHANG_%1").arg(k)), 10)
                       << rightText(154.0, memberY, 20.9, value(row, QStringLiteral("PUNKTE_%1").arg(k)), 10)
                       << text(156.6, memberY, width - 156.6, value(row, QStringLiteral("BEMERKUNGEN_%1").arg(k)), 10);
            for (int n = 1; n <= 6; ++n)
                band.items << text(kDetailX[n - 1], detailY, 25.4,
                                   value(row, QStringLiteral("DETAILTEXT%1_%2").arg(n).arg(k)), 6);
        }
        bands << band;
    }
    return {pageFrame(QStringLiteral("List") + value(first, QStringLiteral("KAT_NR")), rankingListPageHeader(first),
                      columnHeader),
            std::move(bands)};
}

}  // namespace rq::reports

#include "reports/IndividualMedalLayout.h"

#include "reports/IndividualListLayout.h"
#include "reports/RowQueries.h"

namespace rq::reports {
namespace {

constexpr int kX1 = 103;  // units: x of detail column 1
constexpr int kWidth = 1210;  // units: the printable width
constexpr int kBlocks = 4;
constexpr int kDetailColumns = 20;
constexpr int kBandHeight = 77;  // units, with four block lines
constexpr int kBlockHeight = 15;  // units
const double kBlockY[kBlocks] = {2.8, 5.3, 7.8, 10.3};

}  // namespace

QString IndividualMedalLayout::rowQuery() const
{
    return medalRowQuery(ListLayout::Individual);
}

ColumnLayout IndividualMedalLayout::columns(int n)
{
    return layoutColumns(n, kX1, kWidth, kDetailColumns, kDetailColumns);
}

int IndividualMedalLayout::bandHeight(const ReportRow &row)
{
    return kBandHeight - kBlockHeight * (kBlocks - highestBlockWithText(row, kBlocks));
}

ReportBands IndividualMedalLayout::lay(const QList<ReportRow> &rows, const LayoutOptions &options) const
{
    if (rows.isEmpty())
        return {};
    const ReportRow &first = rows.first();
    const bool pair = value(first, QStringLiteral("LAYOUT")) == QStringLiteral("PAAR");
    const double width = kWidth * kMedalUnit;
    const ColumnLayout layout = columns(options.detailColumns);
    const double columnWidth = (layout.step > 0 ? layout.step : kWidth - kX1) * kMedalUnit;
    const QList<MainColumn> main = {
        {13.1, 13.1, true, QStringLiteral("RANG_TITEL"), rankText},
        {17.0, 52.9, false, QStringLiteral("NAME1_TITEL"),
         [pair](const ReportRow &r) {
             return pair ? value(r, QStringLiteral("NAME1")) + QStringLiteral(" / ") + value(r, QStringLiteral("NAME2"))
                         : value(r, QStringLiteral("NAME"));
         }},
        {69.9, 14.8, false, pair ? QString() : QStringLiteral("JAHRGANG_TITEL"),
         [pair](const ReportRow &r) { return pair ? QString() : value(r, QStringLiteral("JAHRGANG")); }},
        {84.7, 59.3, false, QStringLiteral("VEREIN_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("VEREIN")); }},
        {144.0, 12.0, false, QStringLiteral("KANTON_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("KANTON")); }},
        {169.0, 13.0, true, QStringLiteral("PUNKTE_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("PUNKTE")); }},
        {171.6, width - 171.6, false, QStringLiteral("AUSZEICHNUNGS_TITEL"), awardText},
    };

    Band columnHeader;
    columnHeader.height = 5.6;
    columnHeader.items << rule(0, width, 0.25) << rule(columnHeader.height, width, 0.25)
                       << titleLine(main, first, 0.0, 7, true)
                       << rightText(13.1, 2.8, 13.1, value(first, QStringLiteral("NAME2_TITEL")), 6);
    for (int j = 1; j <= kDetailColumns; ++j) {
        if (layout.visible.at(j - 1))
            columnHeader.items << text(layout.x.at(j - 1) * kMedalUnit, 2.8, columnWidth, options.titles.value(j - 1),
                                       6);
    }

    QList<Band> bands;
    for (const ReportRow &row : rows) {
        Band band;
        band.height = bandHeight(row) * kMedalUnit;
        if (opensRank(row, options.rankLines))
            band.items << rule(0, width, 0.2);
        band.items << mainLine(main, row, 0.0, 7, true);
        for (int k = 1; k <= highestBlockWithText(row, kBlocks); ++k) {
            band.items << rightText(12.9, kBlockY[k - 1], 12.9, value(row, QStringLiteral("NAME1_%1").arg(k)), 6);
            for (int j = 1; j <= kDetailColumns; ++j) {
                if (layout.visible.at(j - 1))
                    band.items << text(layout.x.at(j - 1) * kMedalUnit, kBlockY[k - 1], columnWidth,
                                       value(row, QStringLiteral("DETAILTEXT%1_%2").arg(j).arg(k)), 6);
            }
        }
        bands << band;
    }
    return {medalListFrame(first, options.introMm, 92.9, 197.9, columnHeader), std::move(bands)};
}

}  // namespace rq::reports

#include "reports/GroupMedalLayout.h"

#include "reports/ReportParts.h"
#include "reports/RowQueries.h"

namespace rq::reports {
namespace {

constexpr int kCountedBlocks = 4;  // blocks that count for the height
constexpr int kPrintedBlocks = 3;
constexpr int kDetailRows = 4;
constexpr int kBandHeight = 62;  // units, with four detail rows
constexpr int kRowHeight = 15;  // units
const double kBlockX[kPrintedBlocks] = {95.2, 122.7, 150.3};
const double kTitleX[kPrintedBlocks] = {95.2, 122.8, 150.3};
const double kRowY[kDetailRows] = {0.2, 2.8, 5.3, 7.8};
constexpr double kBlockWidth = 27.5;

}  // namespace

QString GroupMedalLayout::rowQuery() const
{
    return medalRowQuery(ListLayout::Group);
}

int GroupMedalLayout::usedDetailRows(const ReportRow &row)
{
    for (int n = kDetailRows; n >= 1; --n) {
        for (int k = 1; k <= kCountedBlocks; ++k) {
            if (!value(row, QStringLiteral("DETAILTEXT%1_%2").arg(n).arg(k)).isEmpty())
                return n;
        }
    }
    return 0;
}

int GroupMedalLayout::bandHeight(const ReportRow &row)
{
    return kBandHeight - kRowHeight * (kDetailRows - usedDetailRows(row));
}

ReportBands GroupMedalLayout::lay(const QList<ReportRow> &rows, const LayoutOptions &options) const
{
    if (rows.isEmpty())
        return {};
    const ReportRow &first = rows.first();
    const double width = 1210 * kMedalUnit;
    const QList<MainColumn> main = {
        {8.9, 8.9, true, QStringLiteral("RANG_TITEL"), rankText},
        {10.6, 67.6, false, QStringLiteral("VEREIN_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("VEREIN")); }},
        {78.2, 17.0, false, QStringLiteral("KANTON_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("KANTON")); }},
        {186.0, 186.0 - 177.8, true, QStringLiteral("PUNKTE_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("PUNKTE")); }},
        {188.2, width - 188.2, false, QStringLiteral("AUSZEICHNUNGS_TITEL"), awardText},
    };

    Band columnHeader;
    columnHeader.height = 4.0;
    columnHeader.items << rule(0, width, 0.25) << rule(columnHeader.height, width, 0.25)
                       << titleLine(main, first, 0.0, 7, true);
    for (int k = 1; k <= kPrintedBlocks; ++k)
        columnHeader.items << text(kTitleX[k - 1], 0.2, kBlockWidth,
                                   value(first, QStringLiteral("DETAIL%1_TITEL").arg(k)), 6);

    QList<Band> bands;
    for (const ReportRow &row : rows) {
        Band band;
        band.height = bandHeight(row) * kMedalUnit;
        if (opensRank(row, options.rankLines))
            band.items << rule(0, width, 0.2);
        band.items << mainLine(main, row, 0.0, 7, true);
        for (int n = 1; n <= usedDetailRows(row); ++n) {
            for (int k = 1; k <= kPrintedBlocks; ++k)
                band.items << text(kBlockX[k - 1], kRowY[n - 1], kBlockWidth,
                                   value(row, QStringLiteral("DETAILTEXT%1_%2").arg(n).arg(k)), 6);
        }
        bands << band;
    }
    return {medalListFrame(first, options.introMm, 95.2, 197.9, columnHeader), std::move(bands)};
}

}  // namespace rq::reports

#include "reports/GroupListLayout.h"

#include "reports/ReportParts.h"
#include "reports/RowQueries.h"

namespace rq::reports {
namespace {

constexpr int kBlocks = 4;
constexpr int kDetailRows = 6;
constexpr int kBandHeight = 116;  // units, with six detail rows
constexpr int kRowHeight = 16;  // units
const double kBlockX[kBlocks] = {31.8, 63.5, 95.2, 127.0};
constexpr double kBlockWidth = 31.7;

QStringList detailRowFields(int n, int blocks)
{
    QStringList fields;
    for (int k = 1; k <= blocks; ++k)
        fields << QStringLiteral("DETAILTEXT%1_%2").arg(n).arg(k);
    return fields;
}

}  // namespace

QString GroupListLayout::rowQuery() const
{
    return rankingRowQuery(ListLayout::Group);
}

int GroupListLayout::usedDetailRows(const ReportRow &row)
{
    for (int n = kDetailRows; n >= 1; --n) {
        if (anyFilled(row, detailRowFields(n, kBlocks)))
            return n;
    }
    return 0;
}

int GroupListLayout::bandHeight(const ReportRow &row)
{
    return kBandHeight - kRowHeight * (kDetailRows - usedDetailRows(row));
}

ReportBands GroupListLayout::lay(const QList<ReportRow> &rows, const LayoutOptions &options) const
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
                       << titleLine(main, first, 1.1, 10, true);
    for (int k = 1; k <= kBlocks; ++k)
        columnHeader.items << text(kBlockX[k - 1], 5.3, kBlockWidth,
                                   value(first, QStringLiteral("DETAIL%1_TITEL").arg(k)), 6);

    QList<Band> bands;
    for (const ReportRow &row : rows) {
        Band band;
        band.height = bandHeight(row) * kListUnit;
        if (opensRank(row, options.rankLines))
            band.items << rule(0, width, 0.26);
        band.items << mainLine(main, row, 1.1, 10, true);
        for (int n = 1; n <= usedDetailRows(row); ++n) {
            for (int k = 1; k <= kBlocks; ++k)
                band.items << text(kBlockX[k - 1], 5.3 + 4.2 * (n - 1), kBlockWidth,
                                   value(row, QStringLiteral("DETAILTEXT%1_%2").arg(n).arg(k)), 6);
        }
        bands << band;
    }
    return {pageFrame(QStringLiteral("List") + value(first, QStringLiteral("KAT_NR")) + u'-' +
                          value(first, QStringLiteral("KLASSE_D")),
                      rankingListPageHeader(first), columnHeader),
            std::move(bands)};
}

}  // namespace rq::reports

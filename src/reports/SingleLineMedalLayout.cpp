#include "reports/SingleLineMedalLayout.h"

#include "reports/RowQueries.h"

namespace rq::reports {
namespace {

constexpr int kX1 = 599;  // units: x of detail column 1
constexpr int kBound = 1084;  // units: where the points field begins
constexpr int kMost = 6;
// The 6 pt detail texts stand on the baseline of the 7 pt main line.
constexpr double kDetailBaseline = (7 - 6) * 0.3528 * 0.9;

}  // namespace

QString SingleLineMedalLayout::rowQuery() const
{
    return medalRowQuery(ListLayout::Individual);
}

ColumnLayout SingleLineMedalLayout::columns(int n)
{
    return layoutColumns(n, kX1, kBound, kMost, kMost);
}

ReportBands SingleLineMedalLayout::lay(const QList<ReportRow> &rows, const LayoutOptions &options) const
{
    if (rows.isEmpty())
        return {};
    const ReportRow &first = rows.first();
    const bool pair = value(first, QStringLiteral("LAYOUT")) == QStringLiteral("PAAR");
    const double width = 1210 * kMedalUnit;
    const ColumnLayout layout = columns(options.detailColumns);
    const double columnWidth = (layout.step > 0 ? layout.step : kBound - kX1) * kMedalUnit;
    const QList<MainColumn> main = {
        {9.1, 9.1, true, QStringLiteral("RANG_TITEL"), rankText},
        {10.4, 38.4, false, QStringLiteral("NAME1_TITEL"),
         [pair](const ReportRow &r) {
             return pair ? value(r, QStringLiteral("NAME1")) + QStringLiteral(" / ") + value(r, QStringLiteral("NAME2"))
                         : value(r, QStringLiteral("NAME"));
         }},
        {48.8, 9.4, false, pair ? QString() : QStringLiteral("JAHRGANG_TITEL"),
         [pair](const ReportRow &r) { return pair ? QString() : value(r, QStringLiteral("JAHRGANG")); }},
        {58.2, 32.9, false, QStringLiteral("VEREIN_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("VEREIN")); }},
        {91.1, 8.0, false, QStringLiteral("KANTON_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("KANTON")); }},
        {187.5, 187.5 - kBound * kMedalUnit, true, QStringLiteral("PUNKTE_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("PUNKTE")); }},
        {188.8, width - 188.8, false, QStringLiteral("AUSZEICHNUNGS_TITEL"), awardText},
    };

    Band columnHeader;
    columnHeader.height = 3.6;
    columnHeader.items << rule(0, width, 0.25) << rule(columnHeader.height, width, 0.25)
                       << titleLine(main, first, 0.0, 7, false);
    for (int j = 1; j <= kMost; ++j) {
        if (layout.visible.at(j - 1))
            columnHeader.items << text(layout.x.at(j - 1) * kMedalUnit, kDetailBaseline, columnWidth,
                                       options.titles.value(j - 1), 6);
    }

    QList<Band> bands;
    for (const ReportRow &row : rows) {
        Band band;
        band.height = kBandHeight * kMedalUnit;
        if (opensRank(row, options.rankLines))
            band.items << rule(0, width, 0.2);
        band.items << mainLine(main, row, 0.0, 7, false);
        for (int j = 1; j <= kMost; ++j) {
            if (layout.visible.at(j - 1))
                band.items << text(layout.x.at(j - 1) * kMedalUnit, kDetailBaseline, columnWidth,
                                   value(row, QStringLiteral("DETAILTEXT%1_1").arg(j)), 6);
        }
        bands << band;
    }
    return {medalListFrame(first, options.introMm, 92.9, 196.6, columnHeader), std::move(bands)};
}

}  // namespace rq::reports

#include "reports/IndividualListLayout.h"

#include "common/Numbers.h"
#include "reports/RowQueries.h"

namespace rq::reports {
namespace {

constexpr int kX1 = 64;  // units: x of detail column 1
constexpr int kWidth = 698;  // units: the printable width
constexpr int kBandHeight = 84;  // units: a position band with four detail lines
constexpr int kBlockLineHeight = 16;  // units
constexpr int kBlocks = 4;  // blocks printed per position
constexpr int kDetailColumns = 20;
const double kLineY[kBlocks] = {5.3, 9.5, 13.8, 18.0};

// "DETAILTEXTn_k" for the 20 columns of the 6 blocks the row queries join, made once:
// a list of thousands of positions asks for each of them on every row.
const QString &detailTextField(int n, int k)
{
    static const QList<QString> names = [] {
        QList<QString> all;
        for (int block = 1; block <= 6; ++block) {
            for (int column = 1; column <= kDetailColumns; ++column)
                all << QStringLiteral("DETAILTEXT%1_%2").arg(column).arg(block);
        }
        return all;
    }();
    return names.at((k - 1) * kDetailColumns + n - 1);
}

}  // namespace

ColumnLayout layoutDetailColumns(int n)
{
    return layoutColumns(n, kX1, kWidth, kDetailColumns, kDetailColumns);
}

int highestBlockWithText(const ReportRow &row, int blocks)
{
    for (int k = std::min(blocks, 6); k >= 1; --k) {
        for (int n = 1; n <= kDetailColumns; ++n) {
            if (!value(row, detailTextField(n, k)).isEmpty())
                return k;
        }
    }
    return 0;
}

int positionBandHeight(const ReportRow &row)
{
    return kBandHeight - kBlockLineHeight * (kBlocks - highestBlockWithText(row));
}

DetailColumns resolveDetailColumnCount(const ReportRow &list, const std::function<QStringList()> &autoTitles)
{
    DetailColumns result;
    const QString perLine = value(list, QStringLiteral("DETAILS_PRO_ZEILE"));
    if (const auto n = num::parseInteger(perLine)) {
        result.count = int(*n);
        return result;
    }
    for (int i = 1; i <= 15; ++i) {
        if (!value(list, QStringLiteral("DETAIL%1_TITEL").arg(i)).isEmpty())
            result.count = i;
    }
    if (result.count > 0)
        return result;
    if (perLine == QStringLiteral("AUTO") || perLine.isEmpty()) {
        result.automatic = true;
        result.autoTitles = autoTitles();
        for (int i = 1; i <= result.autoTitles.size() && i <= kDetailColumns; ++i) {
            if (!result.autoTitles.at(i - 1).isEmpty())
                result.count = i;
        }
        return result;
    }
    result.count = 15;
    return result;
}

QString IndividualListLayout::rowQuery() const
{
    return rankingRowQuery(ListLayout::Individual);
}

ReportBands IndividualListLayout::lay(const QList<ReportRow> &rows, const LayoutOptions &options) const
{
    return lay(rows, options.detailColumns, options.titles, options.rankLines);
}

ReportDocument IndividualListLayout::build(const QList<ReportRow> &rows, int detailColumnCount,
                                           const QStringList &titles, bool rankLines)
{
    if (rows.isEmpty())
        return {};
    ReportBands laid = lay(rows, detailColumnCount, titles, rankLines);
    return paginate(laid.frame, std::move(laid.bands));
}

ReportBands IndividualListLayout::lay(const QList<ReportRow> &rows, int detailColumnCount, const QStringList &titles,
                                      bool rankLines)
{
    if (rows.isEmpty())
        return {};
    const ReportRow &first = rows.first();
    const bool pair = value(first, QStringLiteral("LAYOUT")) == QStringLiteral("PAAR");
    const double width = kWidth * kListUnit;
    const ColumnLayout columns = layoutDetailColumns(detailColumnCount);
    const double columnWidth = (columns.step > 0 ? columns.step : kWidth - kX1) * kListUnit;

    const QList<MainColumn> main = {
        {13.0, 13.0, true, QStringLiteral("RANG_TITEL"), rankText},
        {16.9, 52.9, false, QStringLiteral("NAME1_TITEL"),
         [pair](const ReportRow &r) {
             return pair ? value(r, QStringLiteral("NAME1")) + QStringLiteral(" / ") + value(r, QStringLiteral("NAME2"))
                         : value(r, QStringLiteral("NAME"));
         }},
        {69.8, 14.9, false, pair ? QString() : QStringLiteral("JAHRGANG_TITEL"),
         [pair](const ReportRow &r) { return pair ? QString() : value(r, QStringLiteral("JAHRGANG")); }},
        {84.7, 59.2, false, QStringLiteral("VEREIN_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("VEREIN")); }},
        {143.9, 12, false, QStringLiteral("KANTON_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("KANTON")); }},
        {168.8, 12.8, true, QStringLiteral("PUNKTE_TITEL"),
         [](const ReportRow &r) { return value(r, QStringLiteral("PUNKTE")); }},
        {171.5, width - 171.5, false, QStringLiteral("AUSZEICHNUNGS_TITEL"), awardText},
    };

    Band columnHeader;
    columnHeader.height = 10.6;
    columnHeader.items << rule(0, width, 0.5) << rule(10.6, width, 0.5) << titleLine(main, first, 1.1, 10, true)
                       << rightText(13.0, 6.3, 13.0, value(first, QStringLiteral("NAME2_TITEL")), 6);
    for (int j = 1; j <= kDetailColumns; ++j) {
        if (columns.visible.at(j - 1))
            columnHeader.items << text(columns.x.at(j - 1) * kListUnit, 6.3, columnWidth, titles.value(j - 1), 6);
    }

    QList<Band> bands;
    for (const ReportRow &row : rows) {
        Band band;
        band.height = positionBandHeight(row) * kListUnit;
        if (opensRank(row, rankLines))
            band.items << rule(0, width, 0.26);
        band.items << mainLine(main, row, 1.1, 10, true);
        for (int k = 1; k <= highestBlockWithText(row); ++k) {
            band.items << rightText(13.0, kLineY[k - 1], 13.0, value(row, QStringLiteral("NAME1_%1").arg(k)), 6);
            for (int j = 1; j <= kDetailColumns; ++j) {
                if (columns.visible.at(j - 1))
                    band.items << text(columns.x.at(j - 1) * kListUnit, kLineY[k - 1], columnWidth,
                                       value(row, detailTextField(j, k)), 6);
            }
        }
        bands << band;
    }
    return {pageFrame(QStringLiteral("List") + value(first, QStringLiteral("KAT_NR")), rankingListPageHeader(first),
                      columnHeader),
            std::move(bands)};
}

}  // namespace rq::reports

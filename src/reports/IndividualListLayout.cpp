#include "reports/IndividualListLayout.h"

#include "common/Numbers.h"

#include <QVariant>

namespace rq::reports {
namespace {

constexpr double kUnit = 25.4 / 96;  // one layout unit in millimetres
constexpr int kX1 = 64;  // units: x of detail column 1
constexpr int kWidth = 698;  // units: the printable width
constexpr int kBandHeight = 84;  // units: a position band with four detail lines
constexpr int kBlockLineHeight = 16;
constexpr int kBlocks = 4;  // blocks printed per position
constexpr int kDetailColumns = 20;

ReportItem text(double x, double y, double width, const QString &t, double pt, bool bold = false,
                Qt::Alignment align = Qt::AlignLeft)
{
    ReportItem item;
    item.box = QRectF(x, y, width, pt * 0.3528 * 1.35);
    item.text = t;
    item.pointSize = pt;
    item.bold = bold;
    item.alignment = align | Qt::AlignTop;
    return item;
}

// A text right-aligned so that it ends at `right`.
ReportItem rightText(double right, double y, double width, const QString &t, double pt, bool bold = false)
{
    return text(right - width, y, width, t, pt, bold, Qt::AlignRight);
}

ReportItem rule(double y, double width, double lineWidth)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Line;
    item.box = QRectF(0, y, width, 0);
    item.lineWidth = lineWidth;
    return item;
}

QString value(const QSqlRecord &row, const QString &field)
{
    return row.value(field).toString();
}

}  // namespace

ColumnLayout layoutDetailColumns(int n)
{
    ColumnLayout layout;
    if (n > 20)
        n = 20;
    if (n == 0)
        n = 1;
    layout.count = std::max(1, n);
    layout.step = (kWidth - kX1) / n;
    for (int j = 1; j <= 20; ++j) {
        layout.x << kX1 + (j - 1) * layout.step;
        layout.visible << (j == 1 || j <= n);
    }
    return layout;
}

int highestBlockWithText(const QSqlRecord &row)
{
    for (int k = kBlocks; k >= 1; --k) {
        for (int n = 1; n <= kDetailColumns; ++n) {
            if (!value(row, QStringLiteral("DETAILTEXT%1_%2").arg(n).arg(k)).isEmpty())
                return k;
        }
    }
    return 0;
}

int positionBandHeight(const QSqlRecord &row)
{
    return kBandHeight - kBlockLineHeight * (kBlocks - highestBlockWithText(row));
}

DetailColumns resolveDetailColumnCount(const QSqlRecord &list, const std::function<QStringList()> &autoTitles)
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
        for (int i = 1; i <= result.autoTitles.size() && i <= 20; ++i) {
            if (!result.autoTitles.at(i - 1).isEmpty())
                result.count = i;
        }
        return result;
    }
    result.count = 15;
    return result;
}

QString IndividualListLayout::rowQuery()
{
    QStringList select = {QStringLiteral(
        "select RANGLISTE.KAT_NR, db.RANGPOS_NR, RANGLISTE.LAYOUT, RANGLISTE.SPARTE_D, RANGLISTE.SPARTE_F,"
        " RANGLISTE.KATEGORIE_D, RANGLISTE.KATEGORIE_F, RANGLISTE.KLASSE_D, RANGLISTE.KLASSE_F,"
        " RANGLISTE.RANG_TITEL, RANGLISTE.NAME1_TITEL, RANGLISTE.NAME2_TITEL, RANGLISTE.JAHRGANG_TITEL,"
        " RANGLISTE.VEREIN_TITEL, RANGLISTE.KANTON_TITEL, RANGLISTE.PUNKTE_TITEL,"
        " RANGLISTE.AUSZEICHNUNGS_TITEL,")};
    QStringList titles;
    for (int i = 1; i <= 15; ++i)
        titles << QStringLiteral("RANGLISTE.DETAIL%1_TITEL").arg(i);
    select << titles.join(QStringLiteral(", ")) + u',';
    select << QStringLiteral(
        "db.RANG, coalesce(db.NAME1, '') || ' ' || coalesce(db.NAME2, '') as NAME, db.NAME1, "
        "db.NAME2, db.JAHRGANG, db.VEREIN, db.KANTON, db.PUNKTE, db.AUSZEICHNUNG, db.BEMERKUNGEN,");
    QStringList blocks;
    for (int k = 1; k <= 4; ++k) {
        blocks << QStringLiteral("d%1.NAME1 as NAME1_%1").arg(k);
        for (int n = 1; n <= 20; ++n)
            blocks << QStringLiteral("d%1.DETAILTEXT%2 as DETAILTEXT%2_%1").arg(k).arg(n);
    }
    select << blocks.join(QStringLiteral(", "));
    select << QStringLiteral("from rangpos db");
    for (int k = 1; k <= 4; ++k)
        select << QStringLiteral("left outer join detailline d%1 on (db.KAT_NR = d%1.KAT_NR) and (db.KLASSE_NR = "
                                 "d%1.KLASSE_NR) and (db.RANGPOS_NR = d%1.RANGPOS_NR) and (d%1.DETAILBLOCK_NR = %1)")
                      .arg(k);
    select << QStringLiteral(", RANGLISTE WHERE db.KAT_NR = ? and db.KLASSE_NR = ? and RANGLISTE.KAT_NR = db.KAT_NR "
                             "AND RANGLISTE.KLASSE_NR = db.KLASSE_NR ORDER BY db.RANGPOS_NR");
    return select.join(u'\n');
}

ReportDocument IndividualListLayout::build(const QList<QSqlRecord> &rows, int detailColumnCount,
                                           const QStringList &titles, bool rankLines)
{
    if (rows.isEmpty())
        return {};
    const QSqlRecord &first = rows.first();
    const bool pair = value(first, QStringLiteral("LAYOUT")) == QStringLiteral("PAAR");
    const double width = kWidth * kUnit;
    const ColumnLayout columns = layoutDetailColumns(detailColumnCount);
    const double columnWidth = (columns.step > 0 ? columns.step : kWidth - kX1) * kUnit;

    // The main line and the column header's first line share their columns:
    // the header prints the title field, a position band its value.
    struct MainColumn
    {
        double x;  // left edge, or the right edge when right-aligned
        double width;
        bool right;
        const char *title;
        std::function<QString(const QSqlRecord &)> value;
    };
    const QList<MainColumn> mainLine = {
        {13.0, 13.0, true, "RANG_TITEL",
         [](const QSqlRecord &r) {
             const QString rank = value(r, QStringLiteral("RANG"));
             return rank.isEmpty() ? QString() : rank + u'.';
         }},
        {16.9, 52.9, false, "NAME1_TITEL",
         [pair](const QSqlRecord &r) {
             return pair ? value(r, QStringLiteral("NAME1")) + QStringLiteral(" / ") + value(r, QStringLiteral("NAME2"))
                         : value(r, QStringLiteral("NAME"));
         }},
        {69.8, 14.9, false, pair ? nullptr : "JAHRGANG_TITEL",
         [pair](const QSqlRecord &r) { return pair ? QString() : value(r, QStringLiteral("JAHRGANG")); }},
        {84.7, 59.2, false, "VEREIN_TITEL", [](const QSqlRecord &r) { return value(r, QStringLiteral("VEREIN")); }},
        {143.9, 12, false, "KANTON_TITEL", [](const QSqlRecord &r) { return value(r, QStringLiteral("KANTON")); }},
        {168.8, 12.8, true, "PUNKTE_TITEL", [](const QSqlRecord &r) { return value(r, QStringLiteral("PUNKTE")); }},
        {171.5, width - 171.5, false, "AUSZEICHNUNGS_TITEL",
         [](const QSqlRecord &r) {
             const QString award = value(r, QStringLiteral("AUSZEICHNUNG"));
             const QString remark = value(r, QStringLiteral("BEMERKUNGEN"));
             return award.isEmpty() ? remark : award + u' ' + remark;
         }},
    };
    const auto mainItem = [](const MainColumn &c, double y, const QString &t) {
        return c.right ? rightText(c.x, y, c.width, t, 10, true) : text(c.x, y, c.width, t, 10, true);
    };

    Band header;
    header.height = 15.1;
    header.items << text(2.1, 1.1, 90, value(first, QStringLiteral("SPARTE_D")), 10)
                 << text(2.1, 5.3, 90, value(first, QStringLiteral("KATEGORIE_D")), 12, true)
                 << text(2.1, 10.6, 90, value(first, QStringLiteral("KLASSE_D")), 8)
                 << text(93.1, 1.1, 90, value(first, QStringLiteral("SPARTE_F")), 10)
                 << text(93.1, 5.3, 90, value(first, QStringLiteral("KATEGORIE_F")), 12, true)
                 << text(93.1, 10.6, 80, value(first, QStringLiteral("KLASSE_F")), 8)
                 << rightText(182.3, 11.6, 30, value(first, QStringLiteral("KAT_NR")), 6);

    Band columnHeader;
    columnHeader.height = 10.6;
    columnHeader.items << rule(0, width, 0.5) << rule(10.6, width, 0.5);
    for (const MainColumn &c : mainLine)
        columnHeader.items << mainItem(c, 1.1, c.title ? value(first, QString::fromLatin1(c.title)) : QString());
    columnHeader.items << rightText(13.0, 6.3, 13.0, value(first, QStringLiteral("NAME2_TITEL")), 6);
    for (int j = 1; j <= kDetailColumns; ++j) {
        if (columns.visible.at(j - 1))
            columnHeader.items << text(columns.x.at(j - 1) * kUnit, 6.3, columnWidth, titles.value(j - 1), 6);
    }

    const double lineY[kBlocks] = {5.3, 9.5, 13.8, 18.0};
    QList<Band> bands;
    for (const QSqlRecord &row : rows) {
        Band band;
        const int blocks = highestBlockWithText(row);
        band.height = positionBandHeight(row) * kUnit;
        if (rankLines && !value(row, QStringLiteral("RANG")).isEmpty())
            band.items << rule(0, width, 0.26);
        for (const MainColumn &c : mainLine)
            band.items << mainItem(c, 1.1, c.value(row));
        for (int k = 1; k <= blocks; ++k) {
            band.items << rightText(13.0, lineY[k - 1], 13.0, value(row, QStringLiteral("NAME1_%1").arg(k)), 6);
            for (int j = 1; j <= kDetailColumns; ++j) {
                if (columns.visible.at(j - 1))
                    band.items << text(columns.x.at(j - 1) * kUnit, lineY[k - 1], columnWidth,
                                       value(row, QStringLiteral("DETAILTEXT%1_%2").arg(j).arg(k)), 6);
            }
        }
        bands << band;
    }
    return paginate(QStringLiteral("List") + value(first, QStringLiteral("KAT_NR")), header, columnHeader, bands);
}

}  // namespace rq::reports

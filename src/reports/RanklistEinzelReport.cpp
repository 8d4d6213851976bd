#include "reports/RanklistEinzelReport.h"

#include "common/Numbers.h"

#include <QVariant>

namespace rq::reports {
namespace {

constexpr double kUnit = 25.4 / 96;  // one layout unit in millimetres
constexpr int kX1 = 64;
constexpr int kWidth = 698;

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

} // namespace

int RanklistEinzelReport::lastLaidOutColumnCount = -1;

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

int positionBandHeight(const QSqlRecord &row)
{
    int height = 84;
    for (int k = 4; k >= 1; --k) {
        for (int n = 1; n <= 20; ++n) {
            if (!value(row, QStringLiteral("DETAILTEXT%1_%2").arg(n).arg(k)).isEmpty())
                return height;
        }
        height -= 16;
    }
    return height;
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

QString RanklistEinzelReport::rowQuery()
{
    QStringList select = {
        QStringLiteral("select RANGLISTE.KAT_NR, db.RANGPOS_NR, RANGLISTE.LAYOUT, RANGLISTE.SPARTE_D, RANGLISTE.SPARTE_F,"
                       " RANGLISTE.KATEGORIE_D, RANGLISTE.KATEGORIE_F, RANGLISTE.KLASSE_D, RANGLISTE.KLASSE_F,"
                       " RANGLISTE.RANG_TITEL, RANGLISTE.NAME1_TITEL, RANGLISTE.NAME2_TITEL, RANGLISTE.JAHRGANG_TITEL,"
                       " RANGLISTE.VEREIN_TITEL, RANGLISTE.KANTON_TITEL, RANGLISTE.PUNKTE_TITEL,"
                       " RANGLISTE.AUSZEICHNUNGS_TITEL,")};
    QStringList titles;
    for (int i = 1; i <= 15; ++i)
        titles << QStringLiteral("RANGLISTE.DETAIL%1_TITEL").arg(i);
    select << titles.join(QStringLiteral(", ")) + u',';
    select << QStringLiteral("db.RANG, coalesce(db.NAME1, '') || ' ' || coalesce(db.NAME2, '') as NAME, db.NAME1, "
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

ReportDocument RanklistEinzelReport::build(const QList<QSqlRecord> &rows, int detailColumnCount,
                                           const QStringList &titles, bool rankLines)
{
    if (rows.isEmpty())
        return {};
    const QSqlRecord &first = rows.first();
    const bool pair = value(first, QStringLiteral("LAYOUT")) == QStringLiteral("PAAR");
    const double width = kWidth * kUnit;
    const ColumnLayout columns = layoutDetailColumns(detailColumnCount);
    lastLaidOutColumnCount = columns.count;
    const double columnWidth = (columns.step > 0 ? columns.step : kWidth - kX1) * kUnit;

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
    columnHeader.items << rule(0, width, 0.5) << rule(10.6, width, 0.5)
                       << rightText(13.0, 1.1, 13.0, value(first, QStringLiteral("RANG_TITEL")), 10, true)
                       << text(16.9, 1.1, 52.9, value(first, QStringLiteral("NAME1_TITEL")), 10, true)
                       << text(69.8, 1.1, 14.9, pair ? QString() : value(first, QStringLiteral("JAHRGANG_TITEL")), 10, true)
                       << text(84.7, 1.1, 59.2, value(first, QStringLiteral("VEREIN_TITEL")), 10, true)
                       << text(143.9, 1.1, 12, value(first, QStringLiteral("KANTON_TITEL")), 10, true)
                       << rightText(168.8, 1.1, 12.8, value(first, QStringLiteral("PUNKTE_TITEL")), 10, true)
                       << text(171.5, 1.1, width - 171.5, value(first, QStringLiteral("AUSZEICHNUNGS_TITEL")), 10, true)
                       << rightText(13.0, 6.3, 13.0, value(first, QStringLiteral("NAME2_TITEL")), 6);
    for (int j = 1; j <= 20; ++j) {
        if (columns.visible.at(j - 1))
            columnHeader.items << text(columns.x.at(j - 1) * kUnit, 6.3, columnWidth, titles.value(j - 1), 6);
    }

    QList<Band> bands;
    for (const QSqlRecord &row : rows) {
        Band band;
        band.height = positionBandHeight(row) * kUnit;
        const QString rank = value(row, QStringLiteral("RANG"));
        if (rankLines && !rank.isEmpty())
            band.items << rule(0, width, 0.26);
        const QString award = value(row, QStringLiteral("AUSZEICHNUNG"));
        const QString remark = value(row, QStringLiteral("BEMERKUNGEN"));
        band.items << rightText(13.0, 1.1, 13.0, rank.isEmpty() ? QString() : rank + u'.', 10, true)
                   << text(16.9, 1.1, 52.9,
                           pair ? value(row, QStringLiteral("NAME1")) + QStringLiteral(" / ") + value(row, QStringLiteral("NAME2"))
                                : value(row, QStringLiteral("NAME")),
                           10, true)
                   << text(69.8, 1.1, 14.9, pair ? QString() : value(row, QStringLiteral("JAHRGANG")), 10, true)
                   << text(84.7, 1.1, 59.2, value(row, QStringLiteral("VEREIN")), 10, true)
                   << text(143.9, 1.1, 12, value(row, QStringLiteral("KANTON")), 10, true)
                   << rightText(168.8, 1.1, 12.8, value(row, QStringLiteral("PUNKTE")), 10, true)
                   << text(171.5, 1.1, width - 171.5, award.isEmpty() ? remark : award + u' ' + remark, 10, true);
        const double lineY[] = {5.3, 9.5, 13.8, 18.0};
        const int lines = (positionBandHeight(row) - 20) / 16;
        for (int k = 1; k <= lines; ++k) {
            band.items << rightText(13.0, lineY[k - 1], 13.0, value(row, QStringLiteral("NAME1_%1").arg(k)), 6);
            for (int j = 1; j <= 20; ++j) {
                if (columns.visible.at(j - 1))
                    band.items << text(columns.x.at(j - 1) * kUnit, lineY[k - 1], columnWidth,
                                       value(row, QStringLiteral("DETAILTEXT%1_%2").arg(j).arg(k)), 6);
            }
        }
        bands << band;
    }
    return paginate(QStringLiteral("List") + value(first, QStringLiteral("KAT_NR")), header, columnHeader, bands);
}

} // namespace rq::reports

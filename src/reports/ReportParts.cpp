#include "reports/ReportParts.h"

#include <QVariant>

namespace rq::reports {
namespace {

constexpr double kLineHeightPerPoint = 0.3528 * 1.35;  // mm per point: the box of one line of text

}  // namespace

ReportItem text(double x, double y, double width, const QString &t, double pt, bool bold)
{
    ReportItem item;
    item.box = QRectF(x, y, width, pt * kLineHeightPerPoint);
    item.text = t;
    item.pointSize = pt;
    item.bold = bold;
    item.alignment = Qt::AlignLeft | Qt::AlignTop;
    return item;
}

ReportItem rightText(double right, double y, double width, const QString &t, double pt, bool bold)
{
    ReportItem item = text(right - width, y, width, t, pt, bold);
    item.alignment = Qt::AlignRight | Qt::AlignTop;
    return item;
}

ReportItem rule(double y, double width, double lineWidth)
{
    ReportItem item;
    item.kind = ReportItem::Kind::Line;
    item.box = QRectF(0, y, width, 0);
    item.lineWidth = lineWidth;
    return item;
}

ColumnLayout layoutColumns(int n, int x1, int bound, int most, int columns)
{
    ColumnLayout layout;
    if (n > most)
        n = most;
    if (n == 0)
        n = 1;
    layout.count = std::max(1, n);
    layout.step = (bound - x1) / n;
    for (int j = 1; j <= columns; ++j) {
        layout.x << x1 + (j - 1) * layout.step;
        layout.visible << (j == 1 || j <= n);
    }
    return layout;
}

QString value(const ReportRow &row, const QString &field)
{
    return row.value(field);
}

QString rankText(const ReportRow &row)
{
    const QString rank = value(row, QStringLiteral("RANG"));
    return rank.isEmpty() ? QString() : rank + u'.';
}

QString awardText(const ReportRow &row)
{
    const QString award = value(row, QStringLiteral("AUSZEICHNUNG"));
    const QString remark = value(row, QStringLiteral("BEMERKUNGEN"));
    return award.isEmpty() ? remark : award + u' ' + remark;
}

bool opensRank(const ReportRow &row, bool rankLines)
{
    return rankLines && !value(row, QStringLiteral("RANG")).isEmpty();
}

bool anyFilled(const ReportRow &row, const QStringList &fields)
{
    for (const QString &f : fields) {
        if (!value(row, f).isEmpty())
            return true;
    }
    return false;
}

QList<ReportItem> mainLine(const QList<MainColumn> &columns, const ReportRow &row, double y, double pt, bool bold)
{
    QList<ReportItem> items;
    for (const MainColumn &c : columns) {
        const QString t = c.value(row);
        items << (c.right ? rightText(c.x, y, c.width, t, pt, bold) : text(c.x, y, c.width, t, pt, bold));
    }
    return items;
}

QList<ReportItem> titleLine(const QList<MainColumn> &columns, const ReportRow &first, double y, double pt, bool bold)
{
    QList<ReportItem> items;
    for (const MainColumn &c : columns) {
        const QString t = c.title.isEmpty() ? QString() : value(first, c.title);
        items << (c.right ? rightText(c.x, y, c.width, t, pt, bold) : text(c.x, y, c.width, t, pt, bold));
    }
    return items;
}

Band rankingListPageHeader(const ReportRow &first)
{
    Band header;
    header.height = 15.1;
    header.items << text(2.1, 1.1, 90, value(first, QStringLiteral("SPARTE_D")), 10)
                 << text(2.1, 5.3, 90, value(first, QStringLiteral("KATEGORIE_D")), 12, true)
                 << text(2.1, 10.6, 90, value(first, QStringLiteral("KLASSE_D")), 8)
                 << text(93.1, 1.1, 90, value(first, QStringLiteral("SPARTE_F")), 10)
                 << text(93.1, 5.3, 90, value(first, QStringLiteral("KATEGORIE_F")), 12, true)
                 << text(93.1, 10.6, 80, value(first, QStringLiteral("KLASSE_F")), 8)
                 << rightText(182.3, 11.6, 30, value(first, QStringLiteral("KAT_NR")), 6);
    return header;
}

PageFrame medalListFrame(const ReportRow &first, double introMm, double frenchX, double kateRight,
                         const Band &columnHeader)
{
    PageFrame frame;
    frame.title = medalTitle(first);
    frame.margins = QMarginsF(5, 6, 5, 6);
    const double frenchWidth = kateRight - 20 - frenchX;
    Band titles;
    titles.height = 9.3;
    titles.items << text(2.3, 0.0, frenchX - 2.3, value(first, QStringLiteral("SPARTE_D")), 7)
                 << text(2.3, 3.0, frenchX - 2.3, value(first, QStringLiteral("KATEGORIE_D")), 7, true)
                 << text(2.3, 6.4, frenchX - 2.3, value(first, QStringLiteral("KLASSE_D")), 7)
                 << text(frenchX, 0.0, frenchWidth, value(first, QStringLiteral("SPARTE_F")), 7)
                 << text(frenchX, 3.0, frenchWidth, value(first, QStringLiteral("KATEGORIE_F")), 7, true)
                 << text(frenchX, 6.4, frenchWidth, value(first, QStringLiteral("KLASSE_F")), 7)
                 << rightText(kateRight, 0.0, 20, value(first, QStringLiteral("KATE")), 7);
    frame.pageHeader = titles;
    // Page 1 leaves the intro's free space above the titles.
    frame.hasFirstPageHeader = true;
    frame.firstPageHeader.height = std::max(0.0, introMm) + titles.height;
    for (ReportItem item : titles.items) {
        item.box.translate(0, std::max(0.0, introMm));
        frame.firstPageHeader.items << item;
    }
    frame.columnHeader = columnHeader;
    return frame;
}

QString medalTitle(const ReportRow &first)
{
    return QStringLiteral("Kat") + value(first, QStringLiteral("KATE"));
}

}  // namespace rq::reports

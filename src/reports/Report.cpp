#include "reports/Report.h"

#include "common/Errors.h"

#include <QFileInfo>
#include <QPdfWriter>

#include <algorithm>
#include <map>

namespace rq::reports {
namespace {

void place(ReportPage &page, const Band &band, double top)
{
    for (ReportItem item : band.items) {
        item.box.translate(0, top);
        page.items.append(item);
    }
}

QString csvField(const QString &text)
{
    if (!text.contains(u',') && !text.contains(u'"'))
        return text;
    return u'"' + QString(text).replace(u'"', QStringLiteral("\"\"")) + u'"';
}

QString html(const QString &text)
{
    return text.toHtmlEscaped();
}

}  // namespace

ReportDocument paginate(const QString &title, const Band &pageHeader, const Band &columnHeader,
                        const QList<Band> &details)
{
    ReportDocument doc;
    doc.title = title;
    const double bottom = doc.printableHeight();
    double y = 0;
    const auto newPage = [&] {
        doc.pages.append(ReportPage());
        place(doc.pages.last(), pageHeader, 0);
        place(doc.pages.last(), columnHeader, pageHeader.height);
        y = pageHeader.height + columnHeader.height;
    };
    newPage();
    for (const Band &band : details) {
        if (y + band.height > bottom && y > pageHeader.height + columnHeader.height)
            newPage();
        place(doc.pages.last(), band, y);
        y += band.height;
    }
    return doc;
}

void paintPage(const ReportDocument &document, int page, QPainter &painter, double pixelsPerMm)
{
    if (page < 0 || page >= document.pages.size())
        return;
    const double left = document.margins.left();
    const double top = document.margins.top();
    const auto px = [&](double mm) { return mm * pixelsPerMm; };
    for (const ReportItem &item : document.pages.at(page).items) {
        const QRectF box(px(item.box.left() + left), px(item.box.top() + top), px(item.box.width()),
                         px(item.box.height()));
        if (item.kind == ReportItem::Kind::Line) {
            QPen pen(Qt::black);
            pen.setWidthF(std::max(1.0, px(item.lineWidth)));
            painter.setPen(pen);
            painter.drawLine(box.topLeft(), box.bottomRight());
            continue;
        }
        QFont font(item.font);
        font.setPointSizeF(item.pointSize);
        font.setBold(item.bold);
        font.setItalic(item.italic);
        painter.setFont(font);
        painter.setPen(Qt::black);
        painter.drawText(box, int(item.alignment) | Qt::TextSingleLine, item.text);
    }
}

void writePdf(const ReportDocument &document, const QString &path)
{
    QPdfWriter writer(path);
    writer.setTitle(document.title);
    writer.setCreator(QStringLiteral("Ranquill"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
    writer.setResolution(600);
    QPainter painter;
    if (!painter.begin(&writer))
        throw FileError(QStringLiteral("PDF-Datei %1 kann nicht geschrieben werden").arg(path));
    const double pxPerMm = writer.resolution() / 25.4;
    for (int p = 0; p < document.pages.size(); ++p) {
        if (p > 0)
            writer.newPage();
        paintPage(document, p, painter, pxPerMm);
    }
    painter.end();
    if (!QFileInfo(path).isFile() || QFileInfo(path).size() == 0)
        throw FileError(QStringLiteral("PDF-Datei %1 kann nicht geschrieben werden").arg(path));
}

QList<QStringList> textRows(const ReportDocument &document)
{
    QList<QStringList> rows;
    for (const ReportPage &page : document.pages) {
        std::map<int, std::vector<std::pair<double, QString>>> lines;  // by y in tenths of a millimetre
        for (const ReportItem &item : page.items) {
            if (item.kind == ReportItem::Kind::Text && !item.text.isEmpty())
                lines[int(item.box.top() * 10)].push_back({item.box.left(), item.text});
        }
        for (auto &[y, cells] : lines) {
            std::stable_sort(cells.begin(), cells.end(),
                             [](const auto &a, const auto &b) { return a.first < b.first; });
            QStringList row;
            for (const auto &cell : cells)
                row << cell.second;
            rows << row;
        }
    }
    return rows;
}

QStringList plainText(const ReportDocument &document)
{
    QStringList lines;
    for (const QStringList &row : textRows(document))
        lines << row.join(QStringLiteral("  "));
    return lines;
}

QStringList csvText(const ReportDocument &document)
{
    QStringList lines;
    for (const QStringList &row : textRows(document)) {
        QStringList fields;
        for (const QString &cell : row)
            fields << csvField(cell);
        lines << fields.join(u',');
    }
    return lines;
}

QStringList htmlText(const ReportDocument &document)
{
    QStringList lines = {QStringLiteral("<html><head><meta charset=\"windows-1252\"><title>") + html(document.title) +
                         QStringLiteral("</title></head><body><table>")};
    for (const QStringList &row : textRows(document)) {
        QString line = QStringLiteral("<tr>");
        for (const QString &cell : row)
            line += QStringLiteral("<td>") + html(cell) + QStringLiteral("</td>");
        lines << line + QStringLiteral("</tr>");
    }
    lines << QStringLiteral("</table></body></html>");
    return lines;
}

}  // namespace rq::reports

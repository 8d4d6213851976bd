#include "reports/Report.h"

#include "common/Errors.h"
#include "common/SafeFile.h"

#include <QFontMetricsF>
#include <QHash>
#include <QImage>
#include <QPdfWriter>

#include <algorithm>
#include <map>
#include <optional>

namespace rq::reports {
namespace {

void place(ReportPage &page, const Band &band, double top)
{
    for (ReportItem item : band.items) {
        item.box.translate(0, top);
        page.items.append(std::move(item));
    }
}

// The same for a band used once: its items move onto the page.
void place(ReportPage &page, Band &&band, double top)
{
    for (ReportItem &item : band.items) {
        item.box.translate(0, top);
        page.items.append(std::move(item));
    }
    band.items = QList<ReportItem>();  // frees the storage, which clear() would keep
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

constexpr int kMeasureDpi = 600;  // the resolution of the PDF files
constexpr double kMmPerPoint = 25.4 / 72;
constexpr double kGap = 0.5;  // mm: a run-on text keeps at least this much space to its neighbour
constexpr double kSizeStep = 0.5;  // points
constexpr double kMostSmaller = 1.0;  // points: a text is set at most this much smaller
constexpr int kStretchStep = 5;  // percent
constexpr int kNarrowest = 80;  // percent of the normal width

QFont fontOf(const ReportItem &item)
{
    QFont font(item.font);
    font.setPointSizeF(item.pointSize);
    font.setBold(item.bold);
    font.setItalic(item.italic);
    font.setStretch(item.stretch);
    return font;
}

}  // namespace

double textWidth(const ReportItem &item)
{
    // Measured at the PDF's resolution, where the layout is meant to hold.
    static const QImage device = [] {
        QImage image(1, 1, QImage::Format_Mono);
        image.setDotsPerMeterX(kMeasureDpi * 10000 / 254);
        image.setDotsPerMeterY(kMeasureDpi * 10000 / 254);
        return image;
    }();
    static QHash<QString, QFontMetricsF> cache;
    const QString key = item.font + u'|' + QString::number(item.pointSize) + u'|' + QString::number(item.stretch) +
                        u'|' + QString::number(int(item.bold) + 2 * int(item.italic));
    auto it = cache.find(key);
    if (it == cache.end())
        it = cache.insert(key, QFontMetricsF(fontOf(item), &device));
    return it->horizontalAdvance(item.text) * 25.4 / kMeasureDpi;
}

void settleTexts(QList<ReportItem> &items)
{
    const auto isText = [&](qsizetype i) {
        return items.at(i).kind == ReportItem::Kind::Text && !items.at(i).text.isEmpty();
    };
    // No glyph is wider than this many ems: a text whose bound fits its box is
    // not measured, which keeps long lists fast.
    constexpr double kWidestGlyph = 1.1;
    const auto bound = [&](qsizetype i) {
        const ReportItem &item = items.at(i);
        return item.text.size() * item.pointSize * kMmPerPoint * kWidestGlyph;
    };
    // Where a text's ink lies, measured when first asked for.
    QList<std::optional<std::pair<double, double>>> ink(items.size());
    const auto inkOf = [&](qsizetype i) {
        if (!ink.at(i)) {
            const ReportItem &item = items.at(i);
            const QRectF &box = item.box;
            const double width = textWidth(item);
            if (item.alignment & Qt::AlignRight)
                ink[i] = std::pair{box.right() - width, box.right()};
            else if (item.alignment & Qt::AlignHCenter)
                ink[i] = std::pair{box.center().x() - width / 2, box.center().x() + width / 2};
            else
                ink[i] = std::pair{box.left(), box.left() + width};
        }
        return *ink.at(i);
    };
    const auto sameLine = [&](qsizetype a, qsizetype b) {
        const QRectF &x = items.at(a).box;
        const QRectF &y = items.at(b).box;
        const double overlap = std::min(x.bottom(), y.bottom()) - std::max(x.top(), y.top());
        return overlap > 0.5 * std::min(x.height(), y.height());
    };
    // Only a neighbour on the side a text runs on to counts: a left-aligned text
    // gives way to the text after it, a right-aligned one to the text before it.
    // Setting a text smaller cannot clear a neighbour that runs into it.
    const auto runsTowards = [&](qsizetype i, qsizetype j) {
        const Qt::Alignment alignment = items.at(i).alignment;
        const double here = items.at(i).box.center().x();
        const double there = items.at(j).box.center().x();
        if (alignment & Qt::AlignRight)
            return there < here;
        if (alignment & Qt::AlignHCenter)
            return true;
        return there > here;
    };
    const auto collides = [&](qsizetype i) {
        const auto [left, right] = inkOf(i);
        for (qsizetype j = 0; j < items.size(); ++j) {
            if (j == i || !isText(j) || !sameLine(i, j) || !runsTowards(i, j))
                continue;
            const QRectF &other = items.at(j).box;
            // Far apart even at the widest: no need to measure the neighbour.
            if (other.left() - bound(j) > right || other.right() + bound(j) < left)
                continue;
            const auto [otherLeft, otherRight] = inkOf(j);
            if (left < otherRight + kGap && otherLeft < right + kGap)
                return true;
        }
        return false;
    };
    for (qsizetype i = 0; i < items.size(); ++i) {
        if (!isText(i) || bound(i) <= items.at(i).box.width())
            continue;
        const auto [left, right] = inkOf(i);
        if (right - left <= items.at(i).box.width() + 1e-6 || !collides(i))
            continue;
        ReportItem &item = items[i];
        const double nominal = item.pointSize;
        bool clear = false;
        for (double smaller = kSizeStep; !clear && smaller <= kMostSmaller + 1e-9; smaller += kSizeStep) {
            item.pointSize = nominal - smaller;
            ink[i].reset();
            clear = !collides(i);
        }
        for (int stretch = 100 - kStretchStep; !clear && stretch >= kNarrowest; stretch -= kStretchStep) {
            item.stretch = stretch;
            ink[i].reset();
            clear = !collides(i);
        }
    }
}

ReportDocument paginate(const PageFrame &frame, QList<Band> details)
{
    ReportDocument doc;
    doc.title = frame.title;
    doc.margins = frame.margins;
    const double bottom = doc.printableHeight();
    const auto settled = [](Band band) {
        settleTexts(band.items);
        return band;
    };
    const Band pageHeader = settled(frame.pageHeader);
    const Band firstPageHeader = frame.hasFirstPageHeader ? settled(frame.firstPageHeader) : pageHeader;
    const Band columnHeader = settled(frame.columnHeader);
    double y = 0;
    double top = 0;  // where the detail bands of the current page begin
    const auto newPage = [&] {
        if (!doc.pages.isEmpty())
            doc.pages.last().items.squeeze();
        const Band &header = doc.pages.isEmpty() ? firstPageHeader : pageHeader;
        doc.pages.append(ReportPage());
        place(doc.pages.last(), header, 0);
        place(doc.pages.last(), columnHeader, header.height);
        y = top = header.height + columnHeader.height;
    };
    newPage();
    // Each band moves onto its page, so the details are not held twice.
    for (Band &band : details) {
        if (y + band.height > bottom && y > top)
            newPage();
        settleTexts(band.items);
        const double height = band.height;
        place(doc.pages.last(), std::move(band), y);
        y += height;
    }
    doc.pages.last().items.squeeze();
    return doc;
}

PageFrame pageFrame(const QString &title, const Band &pageHeader, const Band &columnHeader)
{
    PageFrame frame;
    frame.title = title;
    frame.pageHeader = pageHeader;
    frame.columnHeader = columnHeader;
    return frame;
}

ReportDocument paginate(const QString &title, const Band &pageHeader, const Band &columnHeader, QList<Band> details)
{
    return paginate(pageFrame(title, pageHeader, columnHeader), std::move(details));
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
        painter.setFont(fontOf(item));
        painter.setPen(Qt::black);
        // Not clipped: a text longer than its box runs on beyond it.
        painter.drawText(box, int(item.alignment) | Qt::TextSingleLine | Qt::TextDontClip, item.text);
    }
}

void writePdf(const ReportDocument &document, const QString &path)
{
    files::OutputFile file(path);
    {
        QPdfWriter writer(file.device());
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("Ranquill"));
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
        writer.setResolution(kMeasureDpi);
        QPainter painter;
        if (!painter.begin(&writer))
            throw FileError(QStringLiteral("PDF-Datei %1 kann nicht geschrieben werden: der PDF-Ausgabe fehlt ein "
                                           "Zeichengerät")
                                .arg(path));
        const double pxPerMm = writer.resolution() / 25.4;
        for (int p = 0; p < document.pages.size(); ++p) {
            if (p > 0)
                writer.newPage();
            paintPage(document, p, painter, pxPerMm);
        }
        painter.end();
    }
    // Every write of the PDF writer is checked here: a failed one leaves the old file as it was.
    file.commit();
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

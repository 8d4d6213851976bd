#pragma once

#include <QList>
#include <QMarginsF>
#include <QPainter>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>

// A report laid out into pages of items. Every measure is in millimetres from
// the top left corner of the printable area (the page less its margins).
namespace rq::reports {

struct ReportItem
{
    enum class Kind { Text, Line };
    Kind kind = Kind::Text;
    QRectF box;  // text: its box; line: from top left to bottom right
    QString text;
    QString font = QStringLiteral("Arial");
    double pointSize = 10;
    int stretch = 100;  // percent of the font's normal width; below 100 when condensed to fit
    bool bold = false;
    bool italic = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    double lineWidth = 0.5;  // millimetres, for lines
};

struct ReportPage
{
    QList<ReportItem> items;
};

// The A4 portrait page of the ranking lists: 12.7 mm margins.
inline constexpr QMarginsF kRankingListMargins{12.7, 12.7, 12.7, 12.7};

struct ReportDocument
{
    QString title;  // the print-job name
    QSizeF pageSize{210, 297};
    QMarginsF margins = kRankingListMargins;
    QList<ReportPage> pages;

    double printableWidth() const { return pageSize.width() - margins.left() - margins.right(); }
    double printableHeight() const { return pageSize.height() - margins.top() - margins.bottom(); }
};

// A band: its height and its items, placed from the band's top.
struct Band
{
    double height = 0;
    QList<ReportItem> items;
};

// What a report prints above its detail bands: a page header (on page 1
// `firstPageHeader` instead, when given), then the column header.
struct PageFrame
{
    QString title;
    QMarginsF margins = kRankingListMargins;
    Band firstPageHeader;
    bool hasFirstPageHeader = false;
    Band pageHeader;
    Band columnHeader;
};

// A report before it is laid out into pages: its frame and one band per row.
struct ReportBands
{
    PageFrame frame;
    QList<Band> bands;
};

// The frame of the ranking lists: `pageHeader` on every page, then `columnHeader`.
PageFrame pageFrame(const QString &title, const Band &pageHeader, const Band &columnHeader);

// Lays bands out into pages: the page header and the column header at the top
// of every page, then the detail bands; a detail band that does not fit goes
// whole to the next page. Texts are settled first (settleTexts).
ReportDocument paginate(const PageFrame &frame, QList<Band> details);
ReportDocument paginate(const QString &title, const Band &pageHeader, const Band &columnHeader, QList<Band> details);

// Texts longer than their box run on, a left-aligned one to the right, a
// right-aligned one to the left: nothing printed is ever cut. Where a text that
// runs on would cover a neighbour on its line, it is set up to one point
// smaller and then condensed down to 80 % of its width until it clears the
// neighbour; a text that still does not clear keeps that size and runs on.
void settleTexts(QList<ReportItem> &items);

// The width in millimetres that `item`'s text takes when printed.
double textWidth(const ReportItem &item);

// Paints one page on a device with `pixelsPerMm` (the page's top left corner
// at the painter's origin). The same code serves preview, printer and PDF.
void paintPage(const ReportDocument &document, int page, QPainter &painter, double pixelsPerMm);

// Writes the document as a PDF file: one page per report page, fonts embedded.
// The file is written beside the target and takes its name only when it is
// complete. Throws FileError naming the file when it cannot be written; an
// existing file of that name is then left as it was.
void writePdf(const ReportDocument &document, const QString &path);

// The document's texts line by line (items of equal height joined in x
// order), for the plain-text, CSV and HTML exports.
QList<QStringList> textRows(const ReportDocument &document);
QStringList plainText(const ReportDocument &document);
QStringList csvText(const ReportDocument &document);
QStringList htmlText(const ReportDocument &document);

}  // namespace rq::reports

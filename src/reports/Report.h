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
    bool bold = false;
    bool italic = false;
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop;
    double lineWidth = 0.5;  // millimetres, for lines
};

struct ReportPage
{
    QList<ReportItem> items;
};

struct ReportDocument
{
    QString title;  // the print-job name
    QSizeF pageSize{210, 297};
    QMarginsF margins{12.7, 12.7, 12.7, 12.7};
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

// Lays bands out into pages: the page header and the column header at the top
// of every page, then the detail bands; a detail band that does not fit goes
// whole to the next page.
ReportDocument paginate(const QString &title, const Band &pageHeader, const Band &columnHeader,
                        const QList<Band> &details);

// Paints one page on a device with `pixelsPerMm` (the page's top left corner
// at the painter's origin). The same code serves preview, printer and PDF.
void paintPage(const ReportDocument &document, int page, QPainter &painter, double pixelsPerMm);

// Writes the document as a PDF file: one A4 page per report page, fonts
// embedded. Throws FileError when the file cannot be written.
void writePdf(const ReportDocument &document, const QString &path);

// The document's texts line by line (items of equal height joined in x
// order), for the plain-text, CSV and HTML exports.
QList<QStringList> textRows(const ReportDocument &document);
QStringList plainText(const ReportDocument &document);
QStringList csvText(const ReportDocument &document);
QStringList htmlText(const ReportDocument &document);

}  // namespace rq::reports

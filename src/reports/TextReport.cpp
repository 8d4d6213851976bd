#include "reports/TextReport.h"

namespace rq::reports {
namespace {

constexpr double kMmPerPoint = 25.4 / 72;
constexpr double kLineSpacing = 1.25;  // line height as a multiple of the font size

}  // namespace

ReportDocument textDocument(const QString &title, const QStringList &lines, const QString &font, double pointSize)
{
    ReportDocument frame;
    const double height = pointSize * kMmPerPoint * kLineSpacing;
    QList<Band> bands;
    for (const QString &line : lines) {
        ReportItem item;
        item.box = QRectF(0, 0, frame.printableWidth(), height);
        item.text = line;
        item.font = font;
        item.pointSize = pointSize;
        bands.append(Band{height, {item}});
    }
    return paginate(title, Band(), Band(), std::move(bands));
}

}  // namespace rq::reports

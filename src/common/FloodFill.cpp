#include "common/FloodFill.h"

#include <QColor>
#include <QImage>
#include <QPoint>

#include <vector>

namespace rq {

void floodFill(QImage &image, const QPoint &start, const QColor &colour)
{
    if (!image.rect().contains(start))
        return;
    if (image.format() != QImage::Format_ARGB32 && image.format() != QImage::Format_RGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb target = image.pixel(start);
    const QRgb fill = colour.rgba();
    if (target == fill)
        return;
    std::vector<QPoint> stack{start};
    while (!stack.empty()) {
        const QPoint p = stack.back();
        stack.pop_back();
        int x = p.x();
        const int y = p.y();
        auto *row = reinterpret_cast<QRgb *>(image.scanLine(y));
        while (x > 0 && row[x - 1] == target)
            --x;
        bool above = false;
        bool below = false;
        for (; x < image.width() && row[x] == target; ++x) {
            row[x] = fill;
            if (y > 0) {
                const bool match = reinterpret_cast<const QRgb *>(image.constScanLine(y - 1))[x] == target;
                if (match && !above)
                    stack.emplace_back(x, y - 1);
                above = match;
            }
            if (y + 1 < image.height()) {
                const bool match = reinterpret_cast<const QRgb *>(image.constScanLine(y + 1))[x] == target;
                if (match && !below)
                    stack.emplace_back(x, y + 1);
                below = match;
            }
        }
    }
}

}  // namespace rq

#pragma once

class QImage;
class QColor;
class QPoint;

namespace rq {

// Fills the 4-connected area around `start` that has `start`'s colour with
// `colour`. Does nothing when `start` is outside the image.
void floodFill(QImage &image, const QPoint &start, const QColor &colour);

}  // namespace rq

#include "common/FloodFill.h"

#include <QColor>
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

TEST(FloodFill, FillsTheConnectedBackgroundOnly)
{
    QImage image(20, 20, QImage::Format_ARGB32);
    image.fill(Qt::white);
    {
        QPainter p(&image);
        p.setPen(Qt::black);
        p.drawRect(5, 5, 8, 8);  // a closed ring; its inside stays white
    }
    rq::floodFill(image, QPoint(1, 1), QColor(Qt::gray));
    EXPECT_EQ(image.pixelColor(0, 0), QColor(Qt::gray));
    EXPECT_EQ(image.pixelColor(19, 19), QColor(Qt::gray));
    EXPECT_EQ(image.pixelColor(5, 5), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(9, 9), QColor(Qt::white));
    rq::floodFill(image, QPoint(40, 40), QColor(Qt::red));  // outside: nothing happens
}

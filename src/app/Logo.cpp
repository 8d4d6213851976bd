#include "app/Logo.h"

#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>

namespace rq {
namespace {

void drawPodium(QPainter &p, const QRect &area)
{
    const int w = area.width() / 3;
    const int unit = area.height() / 4;
    const struct
    {
        int column;
        int steps;
        QColor colour;
        const char *label;
    } blocks[] = {{0, 2, QColor(0xB0, 0xB4, 0xBA), "2"},
                  {1, 3, QColor(0xE0, 0xB0, 0x30), "1"},
                  {2, 1, QColor(0xC0, 0x7A, 0x40), "3"}};
    QFont font(QStringLiteral("Arial"));
    font.setBold(true);
    font.setPixelSize(unit * 2 / 3);
    p.setFont(font);
    for (const auto &b : blocks) {
        const QRect r(area.left() + b.column * w, area.bottom() - b.steps * unit, w - 2, b.steps * unit);
        p.fillRect(r, b.colour);
        p.setPen(QColor(0x30, 0x30, 0x40));
        p.drawRect(r);
        p.setPen(Qt::white);
        p.drawText(r, Qt::AlignHCenter | Qt::AlignTop, QString::fromLatin1(b.label));
    }
}

}  // namespace

QImage logoImage()
{
    QImage image(320, 240, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing, false);
    drawPodium(p, QRect(70, 40, 180, 120));
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(36);
    font.setItalic(true);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x1F, 0x3A, 0x7A));
    p.drawText(QRect(0, 170, 320, 50), Qt::AlignCenter, QStringLiteral("Ranquill"));
    return image;
}

QImage aboutPicture()
{
    QImage image(281, 281, QImage::Format_ARGB32);
    QPainter p(&image);
    QLinearGradient gradient(0, 0, 0, 281);
    gradient.setColorAt(0, QColor(0xDD, 0xE6, 0xF5));
    gradient.setColorAt(1, QColor(0x8A, 0xA4, 0xD0));
    p.fillRect(image.rect(), gradient);
    drawPodium(p, QRect(50, 150, 180, 110));
    return image;
}

}  // namespace rq

#include "about_picture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr int Width = 173;
constexpr int Height = 167;

void drawSky(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, Height);
    sky.setColorAt(0.0, QColor(12, 24, 88));
    sky.setColorAt(0.6, QColor(70, 110, 190));
    sky.setColorAt(1.0, QColor(250, 180, 90));
    p.fillRect(0, 0, Width, Height, sky);
}

void drawHill(QPainter& p)
{
    QPainterPath hill;
    hill.moveTo(0, Height);
    hill.lineTo(0, 140);
    hill.quadTo(70, 118, Width, 138);
    hill.lineTo(Width, Height);
    hill.closeSubpath();
    p.fillPath(hill, QColor(30, 80, 40));
}

// A tapering lattice mast with its cross braces.
void drawMast(QPainter& p, double x, double top, double foot)
{
    const double halfFoot = 12, halfTop = 2;
    p.setPen(QPen(QColor(220, 220, 230), 1.6));
    p.drawLine(QPointF(x - halfFoot, foot), QPointF(x - halfTop, top));
    p.drawLine(QPointF(x + halfFoot, foot), QPointF(x + halfTop, top));
    p.setPen(QPen(QColor(200, 200, 215), 0.9));
    const int sections = 8;
    for (int i = 0; i < sections; ++i) {
        const double y0 = foot - (foot - top) * i / sections;
        const double y1 = foot - (foot - top) * (i + 1) / sections;
        const double w0 = halfFoot - (halfFoot - halfTop) * i / sections;
        const double w1 = halfFoot - (halfFoot - halfTop) * (i + 1) / sections;
        p.drawLine(QPointF(x - w0, y0), QPointF(x + w1, y1));
        p.drawLine(QPointF(x + w0, y0), QPointF(x - w1, y1));
        p.drawLine(QPointF(x - w1, y1), QPointF(x + w1, y1));
    }
    p.setPen(QPen(QColor(255, 60, 40), 1));
    p.setBrush(QColor(255, 60, 40));
    p.drawEllipse(QPointF(x, top - 3), 2.5, 2.5);
}

// Rings of signal spreading from the mast head.
void drawWaves(QPainter& p, double x, double y)
{
    p.setBrush(Qt::NoBrush);
    for (int i = 1; i <= 4; ++i) {
        const double r = 10.0 + 11.0 * i;
        p.setPen(QPen(QColor(255, 210 - 25 * i, 80), 2.2 - 0.3 * i));
        p.drawArc(QRectF(x - r, y - r, 2 * r, 2 * r), 20 * 16, 50 * 16);
        p.drawArc(QRectF(x - r, y - r, 2 * r, 2 * r), 110 * 16, 50 * 16);
    }
}

void drawStars(QPainter& p)
{
    p.setPen(QColor(235, 235, 255));
    const QPoint stars[] = {{14, 12}, {40, 30}, {150, 16}, {160, 48}, {120, 8}, {24, 60}, {140, 74}, {8, 92}};
    for (const QPoint& s : stars)
        p.drawPoint(s);
}

} // namespace

QImage aboutPicture()
{
    QImage image(Width, Height, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    drawSky(p);
    drawStars(p);
    drawHill(p);
    const double mastX = 86, mastTop = 44, mastFoot = 132;
    drawWaves(p, mastX, mastTop - 3);
    drawMast(p, mastX, mastTop, mastFoot);
    p.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
}

#include "font_record.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

constexpr quint32 SystemColorFlag = 0xFF000000u;

int pixelsOfPoints(double points, int dpi)
{
    return static_cast<int>(std::lround(points * dpi / 72.0));
}

int boundedPixels(long long pixels)
{
    return static_cast<int>(std::clamp<long long>(pixels, MinFontPixels, MaxFontPixels));
}

// A positive height counts the whole character cell, internal leading
// included: find the em size whose line height comes nearest to it.
int emPixelsOfCellHeight(const QFont& font, int cellHeight)
{
    QFont probe = font;
    probe.setPixelSize(cellHeight);
    const int line = QFontMetrics(probe).height();
    if (line <= 0)
        return cellHeight;
    return boundedPixels(std::lround(double(cellHeight) * cellHeight / line));
}

} // namespace

QColor colorOf(qint32 encoded, const QPalette& palette)
{
    const auto bits = static_cast<quint32>(encoded);
    if ((bits & SystemColorFlag) == SystemColorFlag)
        return palette.color((bits & 0xFFu) == 5 ? QPalette::Base : QPalette::Text);
    return QColor(int(bits & 0xFF), int((bits >> 8) & 0xFF), int((bits >> 16) & 0xFF));
}

qint32 encodedColor(const QColor& color)
{
    return qint32(quint32(color.red()) | quint32(color.green()) << 8 | quint32(color.blue()) << 16);
}

int logicalDpi(const QWidget* widget)
{
    const QScreen* s = widget && widget->screen() ? widget->screen() : QGuiApplication::primaryScreen();
    const int dpi = s ? qRound(s->logicalDotsPerInchY()) : 96;
    return dpi > 0 ? dpi : 96;
}

ScreenFontRecord fontRecordOf(const QFont& font, qint32 color, int dpi)
{
    if (dpi <= 0)
        dpi = 96;
    ScreenFontRecord r;
    r.Name.store(font.family().toLatin1().toStdString());
    // A font given in pixels is stored with a negative height (no internal
    // leading) and its size rounded to whole points.
    const int pixels = font.pixelSize() > 0 ? font.pixelSize() : pixelsOfPoints(font.pointSizeF(), dpi);
    r.Height = -pixels;
    r.Size = static_cast<std::int32_t>(std::lround(pixels * 72.0 / dpi));
    r.Color = color;
    r.Style = (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) |
        (font.strikeOut() ? 8 : 0);
    r.Pitch = font.fixedPitch() ? 2 : 0;
    return r;
}

void storeFontFields(ScreenFontRecord& record, const ScreenFontRecord& from)
{
    record.Name.store(from.Name.text());
    record.Color = from.Color;
    record.Size = from.Size;
    record.Pitch = from.Pitch;
    record.Style = from.Style;
    record.Height = from.Height;
}

QFont fontFromRecord(const ScreenFontRecord& record, const QFont& current, int dpi)
{
    if (dpi <= 0)
        dpi = 96;
    QFont f = current;
    if (!record.Name.empty())
        f.setFamily(QString::fromLatin1(slotBytes(record.Name)));
    if (record.Size > 0)
        f.setPixelSize(boundedPixels(std::llround(double(record.Size) * dpi / 72.0)));
    f.setFixedPitch(record.Pitch == 2);
    f.setBold(record.Style & 1);
    f.setItalic(record.Style & 2);
    f.setUnderline(record.Style & 4);
    f.setStrikeOut(record.Style & 8);
    if (record.Height < 0)
        f.setPixelSize(boundedPixels(-static_cast<long long>(record.Height)));
    else if (record.Height > 0)
        f.setPixelSize(emPixelsOfCellHeight(f, boundedPixels(record.Height)));
    return f;
}

QFont withinFontLimits(const QFont& font, int dpi)
{
    if (dpi <= 0)
        dpi = 96;
    const long long pixels =
        font.pixelSize() > 0 ? font.pixelSize() : std::llround(font.pointSizeF() * dpi / 72.0);
    const int bounded = boundedPixels(pixels);
    if (bounded == pixels)
        return font;
    QFont f = font;
    f.setPixelSize(bounded);
    return f;
}

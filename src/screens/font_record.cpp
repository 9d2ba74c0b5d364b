#include "font_record.h"

#include <cmath>

ScreenFontRecord fontRecordOf(const QFont& font, qint32 color, int dpi)
{
    ScreenFontRecord r;
    r.Name.store(font.family().toLatin1().toStdString());
    // A font given in pixels is stored with a negative height (no internal
    // leading) and its size rounded to whole points.
    const int pixels = font.pixelSize() > 0 ? font.pixelSize()
                                            : static_cast<int>(std::lround(font.pointSizeF() * dpi / 72.0));
    r.Height = -pixels;
    r.Size = static_cast<std::int32_t>(std::lround(pixels * 72.0 / (dpi > 0 ? dpi : 96)));
    r.Color = color;
    r.Style = (font.bold() ? 1 : 0) | (font.italic() ? 2 : 0) | (font.underline() ? 4 : 0) |
        (font.strikeOut() ? 8 : 0);
    r.Pitch = font.fixedPitch() ? 2 : 0;
    return r;
}

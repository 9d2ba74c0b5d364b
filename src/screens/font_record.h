#pragma once
// Between a screen's font and the 272-byte record the settings file keeps,
// and the toolkit colour encoding the record uses: 0x00BBGGRR for a plain
// colour, 0xFF000000 plus an index for a system colour.

#include "app/state.h"

#include <QColor>
#include <QFont>

class QPalette;
class QWidget;

// The system window-text and window colours in that encoding.
constexpr qint32 clWindowText = qint32(0xFF000008);
constexpr qint32 clWindow = qint32(0xFF000005);
constexpr qint32 clBlack = 0x00000000;
constexpr qint32 clWhite = 0x00FFFFFF;

// An encoded colour as the screens show it. The system window colour is the
// palette's base (a text field's background), window text its text colour;
// any other system index shows as window text.
QColor colorOf(qint32 encoded, const QPalette& palette);
// A plain colour in the encoding (its alpha is not kept).
qint32 encodedColor(const QColor& color);

// The logical resolution of the screen a widget is on, for points to pixels.
int logicalDpi(const QWidget* widget);

// A font as the record holds it: face, size in points, style, pitch, and the
// pixel height (negative: without internal leading). `dpi` relates points
// and pixels. The reserved bytes are zero.
ScreenFontRecord fontRecordOf(const QFont& font, qint32 color, int dpi);

// Copies what a font command stores (name, colour, size, pitch, style,
// height) into `record`, keeping its reserved bytes and whatever follows the
// name's terminator.
void storeFontFields(ScreenFontRecord& record, const ScreenFontRecord& from);

// `current` changed by a stored record, set in the order name, size, pitch,
// style, height; the height, set last, decides the size when it is not 0.
// Safe cuts for damaged records: an empty name keeps the current face, and a
// size or height is held within MinFontPixels to MaxFontPixels pixels, so
// both screens still show a line of text in the smallest window.
constexpr int MinFontPixels = 6;
constexpr int MaxFontPixels = 96;
QFont fontFromRecord(const ScreenFontRecord& record, const QFont& current, int dpi);

// `font` with its character size held within the same limits (a font chosen
// in the dialog).
QFont withinFontLimits(const QFont& font, int dpi);

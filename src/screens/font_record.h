#pragma once
// Between a screen's font and the 272-byte record the settings file keeps.

#include "app/state.h"

#include <QFont>

// Toolkit colour encoding of the system window-text and window colours.
constexpr qint32 clWindowText = qint32(0xFF000008);
constexpr qint32 clWindow = qint32(0xFF000005);

// `dpi` converts the pixel height into points as the record stores them.
ScreenFontRecord fontRecordOf(const QFont& font, qint32 color, int dpi);

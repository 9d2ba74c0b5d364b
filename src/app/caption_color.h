#pragma once
// Buttons whose caption colour carries meaning (red while a mode is on).

#include <QColor>

class QPushButton;

// Sets the caption colour for the active and inactive window; a disabled
// button keeps the greyed look.
void setCaptionColor(QPushButton* button, const QColor& color);

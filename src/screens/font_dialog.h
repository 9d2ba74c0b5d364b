#pragma once
// The font dialog as a component of the main window: between showings it
// keeps the font it last held (it is never preset with a screen's font), at
// first "MS Sans Serif", 13 pixels, in the window-text colour.

#include <QFont>
#include <QObject>

#include <functional>

class TFontDialog : public QObject {
    Q_OBJECT
public:
    explicit TFontDialog(QObject* parent = nullptr);

    QFont Font;
    qint32 Color;
    // Runs for each press of Apply, with Font and Color already the dialog's.
    std::function<void()> OnApply;

    // Shows the dialog; true when the operator confirmed, Font and Color then
    // being the choice. A cancelled dialog keeps what it held before, or what
    // it held at its last Apply.
    bool Execute();
};

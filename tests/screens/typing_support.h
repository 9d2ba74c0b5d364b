#pragma once
// Shared by the window tests that type: a window ready for typing, real key
// events from a written key sequence, and a screen's text written with its
// caret ("|") and selection anchor ("{") in place.

#include <QString>

class QPlainTextEdit;
class QWidget;
class WindowFixture;

// Shows the window, opens a fake COM1 so sends are recorded, sets the modes,
// empties both screens and forgets what start-up did.
void startTyping(WindowFixture& f, int screenMode, int sendMode, int editXmitMode = 0);

// Keys separated by spaces, each pressed and released: one character ("H",
// "é") or a name (<Enter> <BS> <Tab> <Esc> <F1> <F2> <F3> <Left> <Del> <Ins>
// <Ctrl> <Backtab>), after modifiers ^ Ctrl, + Shift, @ Alt. A leading ~
// sends the release alone, ! the press alone, & an auto-repeated release and
// press (a key held down).
void typeKeys(QWidget* target, const QString& keys);

// "ab{cd|ef": text "abcdef", selection anchored at 2, caret at 4.
void setMarkedText(QPlainTextEdit* screen, const QString& marked);
QString markedText(const QPlainTextEdit* screen);

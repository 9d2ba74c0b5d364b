#pragma once
// Shared by the keyboard tests: a window ready for typing, and a screen's
// text written with its caret ("|") and selection anchor ("{") in place, so
// one string says what a screen holds and where the operator is in it.

#include <QString>

class QPlainTextEdit;
class WindowFixture;

// Shows the window, opens a fake COM1 so sends are recorded, sets the modes,
// empties both screens and forgets what start-up did.
void startTyping(WindowFixture& f, int screenMode, int sendMode, int editXmitMode = 0);

// "ab{cd|ef": text "abcdef", selection anchored at 2, caret at 4.
void setMarkedText(QPlainTextEdit* screen, const QString& marked);
QString markedText(const QPlainTextEdit* screen);

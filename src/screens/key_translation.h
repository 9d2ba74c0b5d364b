#pragma once
// How a Qt key event reads to the keyboards: the Windows-style virtual key
// code of the key, and the 8-bit characters it types.

#include <QByteArray>
#include <QString>
#include <Qt>

// Letters 0x41-0x5A, digits 0x30-0x39, F1-F24 0x70-0x87, Backspace 8, Tab 9,
// Enter 13, Shift 0x10, Ctrl 0x11, Alt 0x12, Escape 0x1B, the navigation and
// editing keys and the US punctuation keys; 0 for a key with no such code.
quint16 virtualKeyOf(int qtKey);

// The characters the key types: Ctrl with a letter its control code (1-26),
// Ctrl+Enter a line feed (10), Enter 13, Backspace 8, Tab 9, Escape 27, and
// otherwise the printable Latin-1 characters of the event's text. Alt without
// Ctrl types nothing (those are menu keys), nor does Ctrl with any other key.
// A character outside Latin-1 cannot be held in an 8-bit screen and is left out.
QByteArray typedCharactersOf(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text);

// True for a printable Latin-1 character (32-126, 160-255).
bool isPrintableLatin1(QChar ch);

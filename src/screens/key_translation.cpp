#include "key_translation.h"

#include <utility>

namespace {

// Keys whose code is not a range of their own.
constexpr std::pair<int, quint16> NamedKeys[] = {
    {Qt::Key_Backspace, 0x08},
    {Qt::Key_Tab, 0x09},
    {Qt::Key_Backtab, 0x09},
    {Qt::Key_Clear, 0x0C},
    {Qt::Key_Return, 0x0D},
    {Qt::Key_Enter, 0x0D},
    {Qt::Key_Shift, 0x10},
    {Qt::Key_Control, 0x11},
    {Qt::Key_Alt, 0x12},
    {Qt::Key_Pause, 0x13},
    {Qt::Key_CapsLock, 0x14},
    {Qt::Key_Escape, 0x1B},
    {Qt::Key_Space, 0x20},
    {Qt::Key_PageUp, 0x21},
    {Qt::Key_PageDown, 0x22},
    {Qt::Key_End, 0x23},
    {Qt::Key_Home, 0x24},
    {Qt::Key_Left, 0x25},
    {Qt::Key_Up, 0x26},
    {Qt::Key_Right, 0x27},
    {Qt::Key_Down, 0x28},
    {Qt::Key_Print, 0x2C},
    {Qt::Key_Insert, 0x2D},
    {Qt::Key_Delete, 0x2E},
    {Qt::Key_Meta, 0x5B},
    {Qt::Key_Menu, 0x5D},
    {Qt::Key_NumLock, 0x90},
    {Qt::Key_ScrollLock, 0x91},
    // The punctuation keys of a US keyboard, plain and shifted.
    {Qt::Key_Semicolon, 0xBA},
    {Qt::Key_Colon, 0xBA},
    {Qt::Key_Equal, 0xBB},
    {Qt::Key_Plus, 0xBB},
    {Qt::Key_Comma, 0xBC},
    {Qt::Key_Less, 0xBC},
    {Qt::Key_Minus, 0xBD},
    {Qt::Key_Underscore, 0xBD},
    {Qt::Key_Period, 0xBE},
    {Qt::Key_Greater, 0xBE},
    {Qt::Key_Slash, 0xBF},
    {Qt::Key_Question, 0xBF},
    {Qt::Key_QuoteLeft, 0xC0},
    {Qt::Key_AsciiTilde, 0xC0},
    {Qt::Key_BracketLeft, 0xDB},
    {Qt::Key_BraceLeft, 0xDB},
    {Qt::Key_Backslash, 0xDC},
    {Qt::Key_Bar, 0xDC},
    {Qt::Key_BracketRight, 0xDD},
    {Qt::Key_BraceRight, 0xDD},
    {Qt::Key_Apostrophe, 0xDE},
    {Qt::Key_QuoteDbl, 0xDE},
    // Shifted digits: the digit key itself.
    {Qt::Key_Exclam, '1'},
    {Qt::Key_At, '2'},
    {Qt::Key_NumberSign, '3'},
    {Qt::Key_Dollar, '4'},
    {Qt::Key_Percent, '5'},
    {Qt::Key_AsciiCircum, '6'},
    {Qt::Key_Ampersand, '7'},
    {Qt::Key_Asterisk, '8'},
    {Qt::Key_ParenLeft, '9'},
    {Qt::Key_ParenRight, '0'},
};

bool isLetter(int qtKey)
{
    return qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z;
}

bool isEnter(int qtKey)
{
    return qtKey == Qt::Key_Return || qtKey == Qt::Key_Enter;
}

// The character of a key that types the same whatever its text says.
char fixedCharacterOf(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: return 9;
    case Qt::Key_Escape: return 27;
    default: return 0;
    }
}

} // namespace

quint16 virtualKeyOf(int qtKey)
{
    if (isLetter(qtKey))
        return quint16(0x41 + (qtKey - Qt::Key_A));
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return quint16(0x30 + (qtKey - Qt::Key_0));
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return quint16(0x70 + (qtKey - Qt::Key_F1));
    for (const auto& [key, code] : NamedKeys)
        if (key == qtKey)
            return code;
    return 0;
}

bool isPrintableLatin1(QChar ch)
{
    const char16_t u = ch.unicode();
    return (u >= 32 && u <= 126) || (u >= 160 && u <= 255);
}

QByteArray typedCharactersOf(int qtKey, Qt::KeyboardModifiers modifiers, const QString& text)
{
    const bool ctrl = modifiers & Qt::ControlModifier;
    if (ctrl) {
        if (isLetter(qtKey))
            return QByteArray(1, char(qtKey - Qt::Key_A + 1));
        return isEnter(qtKey) ? QByteArray(1, '\n') : QByteArray();
    }
    if (modifiers & Qt::AltModifier)
        return {};
    if (const char fixed = fixedCharacterOf(qtKey))
        return QByteArray(1, fixed);
    QByteArray typed;
    for (const QChar ch : text)
        if (isPrintableLatin1(ch))
            typed += char(ch.unicode());
    return typed;
}

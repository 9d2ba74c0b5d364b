#include "control_codes.h"

namespace {
constexpr quint16 LetterA = 0x41;
constexpr quint16 LetterZ = 0x5A;

// Ctrl with K, L or N to Q sends nothing; the other letters send their code.
bool sendsUnderCtrl(quint16 letter)
{
    return !(letter == 'K' || letter == 'L' || (letter >= 'N' && letter <= 'Q'));
}
} // namespace

std::optional<ControlCode> ctrlLetterCode(quint16 virtualKey)
{
    if (virtualKey < LetterA || virtualKey > LetterZ || !sendsUnderCtrl(virtualKey))
        return std::nullopt;
    const auto code = static_cast<quint8>(virtualKey - LetterA + 1);
    return ControlCode{code, code == 9 ? " " : "*"};
}

std::optional<ControlCode> functionKeyCode(quint16 virtualKey)
{
    if (virtualKey == vk::F1)
        return ControlCode{7, "*"};
    if (virtualKey == vk::F2)
        return ControlCode{26, "*"};
    return std::nullopt;
}

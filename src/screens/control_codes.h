#pragma once
// The codes the typing screens send for Ctrl with a letter and for F1 / F2,
// and the marker each one leaves in the screen instead of an echo.

#include <QtGlobal>

#include <optional>

struct ControlCode {
    quint8 code;
    const char* marker; // "*", or " " for Ctrl+I, which the screen shows as a gap
};

// Windows-style virtual key codes the keyboards look at.
namespace vk {
constexpr quint16 Back = 0x08;
constexpr quint16 Tab = 0x09;
constexpr quint16 Return = 0x0D;
constexpr quint16 Control = 0x11;
constexpr quint16 F1 = 0x70;
constexpr quint16 F2 = 0x71;
} // namespace vk

// The code Ctrl with this key gives; K, L, N, O, P, Q and every key that is
// not a letter give none.
std::optional<ControlCode> ctrlLetterCode(quint16 virtualKey);

// F1 (BEL) and F2 (SUB) pressed without Ctrl; no other function key sends.
std::optional<ControlCode> functionKeyCode(quint16 virtualKey);

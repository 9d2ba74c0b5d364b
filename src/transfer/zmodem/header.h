// A ZModem header: the frame type and its four argument bytes.
#pragma once

#include <array>
#include <cstdint>

#include "protocol.h"

namespace quillmar::zmodem {

// Positions read P0 first (little-endian); flags run the other way, ZF0 being the last byte.
struct Header {
    FrameType type = FrameType::RQInit;
    std::array<std::uint8_t, 4> args{};

    static Header at(FrameType type, std::uint32_t position)
    {
        return {type,
                {std::uint8_t(position), std::uint8_t(position >> 8), std::uint8_t(position >> 16),
                 std::uint8_t(position >> 24)}};
    }
    static Header flags(FrameType type, std::uint8_t f0, std::uint8_t f1 = 0, std::uint8_t f2 = 0,
                        std::uint8_t f3 = 0)
    {
        return {type, {f3, f2, f1, f0}};
    }

    std::uint32_t position() const
    {
        return std::uint32_t(args[0]) | std::uint32_t(args[1]) << 8 | std::uint32_t(args[2]) << 16 |
            std::uint32_t(args[3]) << 24;
    }
    std::uint8_t f0() const { return args[3]; }
    std::uint8_t f1() const { return args[2]; }

    bool operator==(const Header&) const = default;
};

} // namespace quillmar::zmodem

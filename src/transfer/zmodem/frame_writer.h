// Encodes headers and data subpackets onto the wire, with ZDLE escaping.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "header.h"

namespace quillmar::zmodem {

// Appends wire bytes to a caller's buffer; remembers the last byte so "@" CR is escaped across calls.
class FrameWriter {
public:
    FrameWriter() { setEscapeControl(false); }

    // Also escape 0x00-0x1F and 0x80-0x9F: a TNC link that is not 8-bit clean eats some of them.
    void setEscapeControl(bool on);
    bool escapeControl() const { return escapeControl_; }

    void hexHeader(std::vector<std::uint8_t>& out, const Header& header);
    void binaryHeader(std::vector<std::uint8_t>& out, const Header& header, bool crc32);
    void subpacket(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t size, Terminator end,
                   bool crc32);
    void escaped(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t size);

private:
    std::uint8_t* escapeInto(std::uint8_t* out, const std::uint8_t* data, std::size_t size);

    std::array<bool, 256> mustEscape_{};
    bool escapeControl_ = false;
    std::uint8_t last_ = 0;
};

} // namespace quillmar::zmodem

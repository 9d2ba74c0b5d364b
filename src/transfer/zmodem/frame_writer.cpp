#include "frame_writer.h"

#include "crc.h"

namespace quillmar::zmodem {
namespace {

    constexpr char kHexDigits[] = "0123456789abcdef";

    void appendHex(std::vector<std::uint8_t>& out, std::uint8_t value)
    {
        out.push_back(kHexDigits[value >> 4]);
        out.push_back(kHexDigits[value & 0x0F]);
    }

} // namespace

void FrameWriter::setEscapeControl(bool on)
{
    escapeControl_ = on;
    for (int b = 0; b < 256; ++b) {
        const int low = b & 0x7F;
        const bool flowControl = low == 0x10 || low == 0x11 || low == 0x13 || b == kDle;
        mustEscape_[b] = flowControl || (on && low < 0x20);
    }
}

std::uint8_t* FrameWriter::escapeInto(std::uint8_t* out, const std::uint8_t* data, std::size_t size)
{
    std::uint8_t last = last_;
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = data[i];
        // CR right after "@" is escaped so no packet-switched network reads "@<CR>" as its escape.
        if (mustEscape_[b] || ((b & 0x7F) == 0x0D && (last & 0x7F) == 0x40)) {
            *out++ = kDle;
            *out++ = b ^ 0x40;
        } else {
            *out++ = b;
        }
        last = b;
    }
    last_ = last;
    return out;
}

void FrameWriter::escaped(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t size)
{
    const std::size_t start = out.size();
    out.resize(start + 2 * size);
    std::uint8_t* end = escapeInto(out.data() + start, data, size);
    out.resize(static_cast<std::size_t>(end - out.data()));
}

void FrameWriter::hexHeader(std::vector<std::uint8_t>& out, const Header& header)
{
    std::uint8_t raw[5] = {static_cast<std::uint8_t>(header.type), header.args[0], header.args[1],
                           header.args[2], header.args[3]};
    const std::uint16_t crc = crc16(raw, sizeof raw);
    out.insert(out.end(), {kPad, kPad, kDle, static_cast<std::uint8_t>(HeaderKind::Hex)});
    for (std::uint8_t b : raw)
        appendHex(out, b);
    appendHex(out, static_cast<std::uint8_t>(crc >> 8));
    appendHex(out, static_cast<std::uint8_t>(crc));
    out.push_back('\r');
    out.push_back(0x8A);
    // Wakes a sender stopped by a stray XOFF; ZACK and ZFIN are answered too quickly for it to matter.
    if (header.type != FrameType::Ack && header.type != FrameType::Fin)
        out.push_back(kXon);
    last_ = 0x8A;
}

void FrameWriter::binaryHeader(std::vector<std::uint8_t>& out, const Header& header, bool crc32)
{
    std::uint8_t raw[9] = {static_cast<std::uint8_t>(header.type), header.args[0], header.args[1],
                           header.args[2], header.args[3]};
    std::size_t size = 5;
    if (crc32) {
        const std::uint32_t crc = zmodem::crc32(raw, 5);
        for (int i = 0; i < 4; ++i)
            raw[size++] = static_cast<std::uint8_t>(crc >> (8 * i));
    } else {
        const std::uint16_t crc = crc16(raw, 5);
        raw[size++] = static_cast<std::uint8_t>(crc >> 8);
        raw[size++] = static_cast<std::uint8_t>(crc);
    }
    out.insert(out.end(),
               {kPad, kDle, static_cast<std::uint8_t>(crc32 ? HeaderKind::Bin32 : HeaderKind::Bin16)});
    last_ = static_cast<std::uint8_t>(crc32 ? HeaderKind::Bin32 : HeaderKind::Bin16);
    escaped(out, raw, size);
}

void FrameWriter::subpacket(std::vector<std::uint8_t>& out, const std::uint8_t* data, std::size_t size,
                            Terminator end, bool crc32)
{
    const auto term = static_cast<std::uint8_t>(end);
    std::uint8_t check[4];
    std::size_t checkSize = 0;
    if (crc32) {
        const std::uint32_t crc = crc32Final(crc32Update(crc32Update(kCrc32Start, data, size), &term, 1));
        for (int i = 0; i < 4; ++i)
            check[checkSize++] = static_cast<std::uint8_t>(crc >> (8 * i));
    } else {
        const std::uint16_t crc = crc16Update(crc16Update(0, data, size), &term, 1);
        check[checkSize++] = static_cast<std::uint8_t>(crc >> 8);
        check[checkSize++] = static_cast<std::uint8_t>(crc);
    }
    const std::size_t start = out.size();
    out.resize(start + 2 * size + 2 + 2 * checkSize);
    std::uint8_t* p = escapeInto(out.data() + start, data, size);
    *p++ = kDle;
    *p++ = term;
    last_ = term;
    p = escapeInto(p, check, checkSize);
    out.resize(static_cast<std::size_t>(p - out.data()));
}

} // namespace quillmar::zmodem

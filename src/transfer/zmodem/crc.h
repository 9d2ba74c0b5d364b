// The two checksums ZModem uses: CRC-16/XMODEM and the zlib CRC-32.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quillmar::zmodem {

// CRC-16, polynomial 0x1021, start 0, not reflected; feed bytes one run at a time.
std::uint16_t crc16Update(std::uint16_t crc, const std::uint8_t* data, std::size_t size);
inline std::uint16_t crc16(const std::uint8_t* data, std::size_t size)
{
    return crc16Update(0, data, size);
}

// CRC-32 kept in its running (uncomplemented) form: start with kCrc32Start, finish with crc32Final.
inline constexpr std::uint32_t kCrc32Start = 0xFFFFFFFFu;
std::uint32_t crc32Update(std::uint32_t running, const std::uint8_t* data, std::size_t size);
inline std::uint32_t crc32Final(std::uint32_t running)
{
    return ~running;
}
inline std::uint32_t crc32(const std::uint8_t* data, std::size_t size)
{
    return crc32Final(crc32Update(kCrc32Start, data, size));
}

} // namespace quillmar::zmodem

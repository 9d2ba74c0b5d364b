#include "crc.h"

#include <array>

namespace quillmar::zmodem {
namespace {

    constexpr std::array<std::uint16_t, 256> makeCrc16Table()
    {
        std::array<std::uint16_t, 256> table{};
        for (unsigned i = 0; i < 256; ++i) {
            std::uint16_t value = static_cast<std::uint16_t>(i << 8);
            for (int bit = 0; bit < 8; ++bit)
                value = (value & 0x8000) ? static_cast<std::uint16_t>((value << 1) ^ 0x1021)
                                         : static_cast<std::uint16_t>(value << 1);
            table[i] = value;
        }
        return table;
    }

    // Slicing by eight: the receiver checks every data byte, so this sits on the hot path.
    using Crc32Tables = std::array<std::array<std::uint32_t, 256>, 8>;

    constexpr Crc32Tables makeCrc32Tables()
    {
        Crc32Tables tables{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t value = i;
            for (int bit = 0; bit < 8; ++bit)
                value = (value & 1) ? (value >> 1) ^ 0xEDB88320u : value >> 1;
            tables[0][i] = value;
        }
        for (std::size_t t = 1; t < 8; ++t)
            for (std::size_t i = 0; i < 256; ++i)
                tables[t][i] = (tables[t - 1][i] >> 8) ^ tables[0][tables[t - 1][i] & 0xFF];
        return tables;
    }

    constexpr auto kCrc16Table = makeCrc16Table();
    constexpr Crc32Tables kCrc32Tables = makeCrc32Tables();

    std::uint32_t load32le(const std::uint8_t* p)
    {
        return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
            std::uint32_t(p[3]) << 24;
    }

} // namespace

std::uint16_t crc16Update(std::uint16_t crc, const std::uint8_t* data, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        crc = static_cast<std::uint16_t>((crc << 8) ^ kCrc16Table[((crc >> 8) ^ data[i]) & 0xFF]);
    return crc;
}

std::uint32_t crc32Update(std::uint32_t running, const std::uint8_t* data, std::size_t size)
{
    const auto& t = kCrc32Tables;
    while (size >= 8) {
        const std::uint32_t low = load32le(data) ^ running;
        const std::uint32_t high = load32le(data + 4);
        running = t[7][low & 0xFF] ^ t[6][(low >> 8) & 0xFF] ^ t[5][(low >> 16) & 0xFF] ^ t[4][low >> 24] ^
            t[3][high & 0xFF] ^ t[2][(high >> 8) & 0xFF] ^ t[1][(high >> 16) & 0xFF] ^ t[0][high >> 24];
        data += 8;
        size -= 8;
    }
    for (std::size_t i = 0; i < size; ++i)
        running = (running >> 8) ^ t[0][(running ^ data[i]) & 0xFF];
    return running;
}

} // namespace quillmar::zmodem

#include "start_detector.h"

#include "crc.h"
#include "protocol.h"

namespace quillmar::zmodem {
namespace {

    constexpr int kHexDigitsInHeader = 14;

    bool isLowerHex(std::uint8_t b)
    {
        return (b >= '0' && b <= '9') || (b >= 'a' && b <= 'f');
    }
    int hexValue(char c)
    {
        return c <= '9' ? c - '0' : c - 'a' + 10;
    }

} // namespace

// Stages: 0 nothing, 1 after ZPAD(s), 2 after ZDLE, 3 after 'B', then hex digits.
StartDetector::Seen StartDetector::push(std::uint8_t b)
{
    switch (stage_) {
    case 0:
        if (b == kPad)
            stage_ = 1;
        return Seen::Nothing;
    case 1: stage_ = b == kDle ? 2 : (b == kPad ? 1 : 0); return Seen::Nothing;
    case 2:
        stage_ = b == static_cast<std::uint8_t>(HeaderKind::Hex) ? 3 : (b == kPad ? 1 : 0);
        digits_.clear();
        return Seen::Nothing;
    default: break;
    }
    // Only types 00 and 01 interest us: the first digit must be 0, the second 0 or 1.
    const bool fits = isLowerHex(b) && (digits_.size() != 0 || b == '0') && (digits_.size() != 1 || b <= '1');
    if (!fits) {
        stage_ = b == kPad ? 1 : 0;
        return Seen::Nothing;
    }
    digits_.push_back(static_cast<char>(b));
    if (digits_.size() < kHexDigitsInHeader)
        return Seen::Nothing;
    stage_ = 0;
    return finish();
}

StartDetector::Seen StartDetector::finish()
{
    std::uint8_t raw[7];
    for (int i = 0; i < 7; ++i)
        raw[i] = static_cast<std::uint8_t>(hexValue(digits_[2 * i]) << 4 | hexValue(digits_[2 * i + 1]));
    const std::uint16_t crc = crc16(raw, 5);
    if (raw[5] != std::uint8_t(crc >> 8) || raw[6] != std::uint8_t(crc))
        return Seen::Nothing;
    header_.type = static_cast<FrameType>(raw[0]);
    for (int i = 0; i < 4; ++i)
        header_.args[i] = raw[1 + i];
    rebuilt_ = std::string{char(kPad), char(kPad), char(kDle), 'B'} + digits_ + "\r\n";
    return header_.type == FrameType::RQInit ? Seen::RemoteSender : Seen::RemoteReceiver;
}

bool holdsSenderStart(const std::uint8_t* decoded, std::size_t size)
{
    constexpr std::uint8_t kDecodedHex = 'B' ^ 0x40;
    for (std::size_t i = 0; i + 3 + kHexDigitsInHeader <= size; ++i) {
        if (decoded[i] != kPad || decoded[i + 1] != kPad || decoded[i + 2] != kDecodedHex)
            continue;
        StartDetector detector;
        for (std::uint8_t b : {kPad, kDle, std::uint8_t('B')})
            detector.push(b);
        StartDetector::Seen seen = StartDetector::Seen::Nothing;
        for (int digit = 0; digit < kHexDigitsInHeader; ++digit)
            seen = detector.push(decoded[i + 3 + std::size_t(digit)]);
        if (seen == StartDetector::Seen::RemoteSender)
            return true;
    }
    return false;
}

} // namespace quillmar::zmodem

#include "frame_reader.h"

#include "crc.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace quillmar::zmodem {
namespace {

    constexpr int kCancelRun = 5; // five CANs in a row end a transfer; valid frames never hold two

    bool isFlowControl(std::uint8_t b)
    {
        return (b & 0x7F) == kXon || (b & 0x7F) == kXoff;
    }

    // Bytes that end a run of plain data: ZDLE and the flow-control characters a receiver drops.
    constexpr std::array<bool, 256> kEndsRun = [] {
        std::array<bool, 256> table{};
        for (int b = 0; b < 256; ++b)
            table[b] = b == kDle || ((b & 0x7F) == kXon || (b & 0x7F) == kXoff);
        return table;
    }();

    // How many leading bytes of `run` (up to `limit`, in whole 16-byte blocks)
    // need no decoding; the caller finishes the last partial block byte by byte.
    std::size_t plainRunLength(const std::uint8_t* run, std::size_t limit)
    {
        std::size_t n = 0;
#if defined(__SSE2__)
        // Flow-control bytes differ from XON/XOFF only in bit 7, so one mask
        // folds 0x91/0x93 onto 0x11/0x13.
        const __m128i dle = _mm_set1_epi8(static_cast<char>(kDle));
        const __m128i xon = _mm_set1_epi8(static_cast<char>(kXon));
        const __m128i xoff = _mm_set1_epi8(static_cast<char>(kXoff));
        const __m128i low7 = _mm_set1_epi8(0x7F);
        for (; n + 16 <= limit; n += 16) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(run + n));
            const __m128i folded = _mm_and_si128(block, low7);
            const __m128i special =
                _mm_or_si128(_mm_cmpeq_epi8(block, dle),
                             _mm_or_si128(_mm_cmpeq_epi8(folded, xon), _mm_cmpeq_epi8(folded, xoff)));
            const int mask = _mm_movemask_epi8(special);
            if (mask != 0)
                return n + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
#endif
        return n;
    }

    int hexValue(std::uint8_t b)
    {
        b &= 0x7F;
        if (b >= '0' && b <= '9')
            return b - '0';
        if (b >= 'a' && b <= 'f')
            return b - 'a' + 10;
        if (b >= 'A' && b <= 'F')
            return b - 'A' + 10;
        return -1;
    }

    bool isLineEnd(std::uint8_t b)
    {
        return (b & 0x7F) == '\r' || (b & 0x7F) == '\n';
    }

    // True when `check` holds, in wire order, the CRC of `data` followed by the optional terminator.
    bool crcMatches(const std::uint8_t* data, std::size_t size, const std::uint8_t* terminator,
                    const std::uint8_t* check, bool thirtyTwo)
    {
        const std::size_t extra = terminator ? 1 : 0;
        if (thirtyTwo) {
            const std::uint32_t crc =
                crc32Final(crc32Update(crc32Update(kCrc32Start, data, size), terminator, extra));
            return check[0] == std::uint8_t(crc) && check[1] == std::uint8_t(crc >> 8) &&
                check[2] == std::uint8_t(crc >> 16) && check[3] == std::uint8_t(crc >> 24);
        }
        const std::uint16_t crc = crc16Update(crc16Update(0, data, size), terminator, extra);
        return check[0] == std::uint8_t(crc >> 8) && check[1] == std::uint8_t(crc);
    }

} // namespace

FrameReader::FrameReader()
    : buffer_(kMaxReceivedSubpacket)
{
}

void FrameReader::expectSubpacket()
{
    state_ = State::Data;
    dataCrc32_ = kind_ == HeaderKind::Bin32;
    escapePending_ = false;
    size_ = 0;
}

void FrameReader::huntHeader()
{
    state_ = State::Hunt;
    escapePending_ = false;
}

bool FrameReader::countCancel(std::uint8_t b)
{
    cancelRun_ = b == kCan ? cancelRun_ + 1 : 0;
    return cancelRun_ >= kCancelRun;
}

FrameReader::Escape FrameReader::unescape(std::uint8_t b, std::uint8_t& out)
{
    if (!escapePending_) {
        if (b == kDle) {
            escapePending_ = true;
            return Escape::Pending;
        }
        if (isFlowControl(b))
            return Escape::Dropped;
        out = b;
        return Escape::Plain;
    }
    if (b == kDle)
        return Escape::Pending;
    if (isFlowControl(b))
        return Escape::Dropped;
    escapePending_ = false;
    switch (b) {
    case 'h':
    case 'i':
    case 'j':
    case 'k': out = b; return Escape::Terminator;
    case kRub0: out = 0x7F; return Escape::Decoded;
    case kRub1: out = 0xFF; return Escape::Decoded;
    default: break;
    }
    if ((b & 0x60) != 0x40)
        return Escape::Invalid;
    out = b ^ 0x40;
    return Escape::Decoded;
}

FrameReader::Event FrameReader::next(const std::uint8_t* data, std::size_t size, std::size_t& pos)
{
    if (subpacketTaken_) {
        subpacketTaken_ = false;
        size_ = 0;
    }
    while (pos < size) {
        if (state_ == State::Data && !escapePending_ && cancelRun_ == 0 && hexTrailer_ == 0) {
            pos = fastCopyData(data, size, pos);
            if (pos >= size)
                break;
        }
        const std::uint8_t b = data[pos++];
        if (countCancel(b)) {
            cancelRun_ = 0;
            huntHeader();
            return Event::Cancel;
        }
        if (hexTrailer_ > 0) {
            --hexTrailer_;
            if (isLineEnd(b))
                continue;
            hexTrailer_ = 0;
        }
        Event event = Event::NeedMore;
        switch (state_) {
        case State::Hunt:
        case State::Pad:
        case State::PadDle: event = huntByte(b); break;
        case State::BinaryHeader: event = binaryHeaderByte(b); break;
        case State::HexHeader: event = hexHeaderByte(b); break;
        case State::Data: event = dataByte(b); break;
        case State::DataCheck: event = dataCheckByte(b); break;
        }
        if (event != Event::NeedMore)
            return event;
    }
    return Event::NeedMore;
}

// Copies the run of plain bytes that needs no decoding; this is where the time goes at speed.
std::size_t FrameReader::fastCopyData(const std::uint8_t* data, std::size_t size, std::size_t pos)
{
    const std::uint8_t* run = data + pos;
    const std::size_t limit = std::min(size - pos, buffer_.size() - size_);
    std::size_t n = plainRunLength(run, limit);
    while (n < limit && !kEndsRun[run[n]])
        ++n;
    std::memcpy(buffer_.data() + size_, run, n);
    size_ += n;
    return pos + n;
}

FrameReader::Event FrameReader::huntByte(std::uint8_t b)
{
    switch (state_) {
    case State::Hunt:
        if (b == kPad)
            state_ = State::Pad;
        return Event::NeedMore;
    case State::Pad:
        if (b == kDle)
            state_ = State::PadDle;
        else if (b != kPad)
            state_ = State::Hunt;
        return Event::NeedMore;
    default: break;
    }
    headerCount_ = 0;
    escapePending_ = false;
    switch (b) {
    case 'A':
        kind_ = HeaderKind::Bin16;
        state_ = State::BinaryHeader;
        break;
    case 'C':
        kind_ = HeaderKind::Bin32;
        state_ = State::BinaryHeader;
        break;
    case 'B':
        kind_ = HeaderKind::Hex;
        state_ = State::HexHeader;
        break;
    default: state_ = b == kPad ? State::Pad : State::Hunt; break;
    }
    return Event::NeedMore;
}

FrameReader::Field FrameReader::fieldByte(std::uint8_t b, std::uint8_t* field, std::size_t& count,
                                          std::size_t needed)
{
    std::uint8_t value = 0;
    switch (unescape(b, value)) {
    case Escape::Pending:
    case Escape::Dropped: return Field::More;
    case Escape::Terminator:
    case Escape::Invalid: huntHeader(); return Field::Broken;
    case Escape::Plain:
    case Escape::Decoded: break;
    }
    field[count++] = value;
    return count < needed ? Field::More : Field::Complete;
}

FrameReader::Event FrameReader::binaryHeaderByte(std::uint8_t b)
{
    switch (fieldByte(b, headerBytes_.data(), headerCount_, kind_ == HeaderKind::Bin32 ? 9 : 7)) {
    case Field::More: return Event::NeedMore;
    case Field::Broken: return Event::BadHeader;
    case Field::Complete: break;
    }
    return finishBinaryHeader();
}

FrameReader::Event FrameReader::finishBinaryHeader()
{
    state_ = State::Hunt;
    return takeHeader(kind_ == HeaderKind::Bin32);
}

// The five header bytes and their CRC are in headerBytes_, whatever the kind of header.
FrameReader::Event FrameReader::takeHeader(bool crc32)
{
    if (!crcMatches(headerBytes_.data(), 5, nullptr, headerBytes_.data() + 5, crc32) ||
        headerBytes_[0] >= kFrameTypeCount)
        return Event::BadHeader;
    header_.type = static_cast<FrameType>(headerBytes_[0]);
    for (int i = 0; i < 4; ++i)
        header_.args[i] = headerBytes_[1 + i];
    return Event::Header;
}

FrameReader::Event FrameReader::hexHeaderByte(std::uint8_t b)
{
    if (isFlowControl(b))
        return Event::NeedMore;
    const int value = hexValue(b);
    if (value < 0) {
        state_ = b == kPad ? State::Pad : State::Hunt;
        return Event::BadHeader;
    }
    const std::size_t index = headerCount_ / 2;
    headerBytes_[index] =
        static_cast<std::uint8_t>(headerCount_ % 2 ? (headerBytes_[index] << 4) | value : value);
    return ++headerCount_ < 14 ? Event::NeedMore : finishHexHeader();
}

FrameReader::Event FrameReader::finishHexHeader()
{
    state_ = State::Hunt;
    hexTrailer_ = 2;
    return takeHeader(false);
}

FrameReader::Event FrameReader::dataByte(std::uint8_t b)
{
    std::uint8_t value = 0;
    switch (unescape(b, value)) {
    case Escape::Pending:
    case Escape::Dropped: return Event::NeedMore;
    case Escape::Invalid: huntHeader(); return Event::BadSubpacket;
    case Escape::Terminator:
        terminator_ = static_cast<Terminator>(value);
        state_ = State::DataCheck;
        checkCount_ = 0;
        return Event::NeedMore;
    case Escape::Plain:
    case Escape::Decoded: break;
    }
    if (size_ >= buffer_.size()) {
        huntHeader();
        return Event::BadSubpacket;
    }
    buffer_[size_++] = value;
    return Event::NeedMore;
}

FrameReader::Event FrameReader::dataCheckByte(std::uint8_t b)
{
    switch (fieldByte(b, check_.data(), checkCount_, dataCrc32_ ? 4 : 2)) {
    case Field::More: return Event::NeedMore;
    case Field::Broken: return Event::BadSubpacket;
    case Field::Complete: break;
    }
    return finishSubpacket();
}

FrameReader::Event FrameReader::finishSubpacket()
{
    const auto term = static_cast<std::uint8_t>(terminator_);
    const bool good = crcMatches(buffer_.data(), size_, &term, check_.data(), dataCrc32_);
    // Frame goes on after ZCRCG and ZCRCQ: stay in data mode for the next subpacket.
    const bool goesOn = terminator_ == Terminator::Go || terminator_ == Terminator::GoAck;
    if (good && goesOn) {
        state_ = State::Data;
        subpacketTaken_ = true;
    } else {
        state_ = State::Hunt;
    }
    escapePending_ = false;
    return good ? Event::Subpacket : Event::BadSubpacket;
}

} // namespace quillmar::zmodem

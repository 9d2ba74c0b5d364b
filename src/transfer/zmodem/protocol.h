// Byte values and frame numbers of the ZModem wire format.
#pragma once

#include <cstdint>

namespace quillmar::zmodem {

inline constexpr std::uint8_t kPad = '*';
inline constexpr std::uint8_t kDle = 0x18; // ZDLE, the same byte as CAN
inline constexpr std::uint8_t kCan = 0x18;
inline constexpr std::uint8_t kBackspace = 0x08;
inline constexpr std::uint8_t kXon = 0x11;
inline constexpr std::uint8_t kXoff = 0x13;

// Header kinds: the letter after ZPAD ZDLE.
enum class HeaderKind : std::uint8_t { Bin16 = 'A', Hex = 'B', Bin32 = 'C' };

// Subpacket terminators, the byte after ZDLE that ends a data subpacket.
enum class Terminator : std::uint8_t {
    EndFrame = 'h', // ZCRCE: frame ends, no reply
    Go = 'i',       // ZCRCG: frame goes on, no reply
    GoAck = 'j',    // ZCRCQ: frame goes on, ZACK expected
    WaitAck = 'k',  // ZCRCW: frame ends, ZACK expected
};
inline constexpr std::uint8_t kRub0 = 'l'; // escaped 0x7F
inline constexpr std::uint8_t kRub1 = 'm'; // escaped 0xFF

enum class FrameType : std::uint8_t {
    RQInit = 0,
    RInit = 1,
    SInit = 2,
    Ack = 3,
    File = 4,
    Skip = 5,
    Nak = 6,
    Abort = 7,
    Fin = 8,
    RPos = 9,
    Data = 10,
    Eof = 11,
    FErr = 12,
    Crc = 13,
    Challenge = 14,
    Compl = 15,
    Can = 16,
    FreeCnt = 17,
    Command = 18,
    StdErr = 19,
};
inline constexpr int kFrameTypeCount = 20;

// ZRINIT capability bits, carried in ZF0.
inline constexpr std::uint8_t kCanFullDuplex = 0x01;
inline constexpr std::uint8_t kCanOverlapIo = 0x02;
inline constexpr std::uint8_t kCanFcs32 = 0x20;
inline constexpr std::uint8_t kEscapeControl = 0x40;
inline constexpr std::uint8_t kEscape8 = 0x80;

// ZRINIT ZF1, our own: this receiver keeps data that comes past a gap, so a sender may resend the lost
// subpacket alone instead of everything after it. Other senders ignore the bit and rewind as usual.
inline constexpr std::uint8_t kCanFillGaps = 0x40;

// ZSINIT ZF0: the sender wants control characters escaped too.
inline constexpr std::uint8_t kSenderEscapeControl = 0x40;

// ZFILE ZF0 conversion: binary transfer.
inline constexpr std::uint8_t kConvBinary = 1;

// A frame's data subpacket never carries more than this; we accept up to it.
inline constexpr std::size_t kMaxReceivedSubpacket = 16384;
// The file-information subpacket of ZFILE is limited to this.
inline constexpr std::size_t kMaxFileInfo = 1024;

const char* frameTypeName(FrameType type);

} // namespace quillmar::zmodem

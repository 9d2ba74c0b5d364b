// Decodes received wire bytes into headers, data subpackets and the abort sequence.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "header.h"

namespace quillmar::zmodem {

// Pull-style: next() consumes bytes until one event is complete, so the caller can switch
// the reader into data mode right after a header that carries a subpacket.
class FrameReader {
public:
    enum class Event { NeedMore, Header, BadHeader, Subpacket, BadSubpacket, Cancel };

    FrameReader();

    Event next(const std::uint8_t* data, std::size_t size, std::size_t& pos);

    // The header just reported carries a data subpacket: read it next.
    void expectSubpacket();
    // Drop any partial frame and look for a header again.
    void huntHeader();

    // True while the reader is inside a data subpacket that followed a valid header.
    bool inSubpacket() const { return state_ == State::Data || state_ == State::DataCheck; }
    const Header& header() const { return header_; }
    HeaderKind headerKind() const { return kind_; }
    const std::uint8_t* subpacketData() const { return buffer_.data(); }
    std::size_t subpacketSize() const { return size_; }
    Terminator terminator() const { return terminator_; }

private:
    enum class State { Hunt, Pad, PadDle, BinaryHeader, HexHeader, Data, DataCheck };
    enum class Escape { Plain, Dropped, Pending, Decoded, Terminator, Invalid };
    enum class Field { More, Complete, Broken };

    Escape unescape(std::uint8_t b, std::uint8_t& out);
    // One escaped byte of a fixed-size field (header, CRC).
    Field fieldByte(std::uint8_t b, std::uint8_t* field, std::size_t& count, std::size_t needed);
    Event takeHeader(bool crc32);
    Event huntByte(std::uint8_t b);
    Event binaryHeaderByte(std::uint8_t b);
    Event hexHeaderByte(std::uint8_t b);
    Event dataByte(std::uint8_t b);
    Event dataCheckByte(std::uint8_t b);
    Event finishBinaryHeader();
    Event finishHexHeader();
    Event finishSubpacket();
    bool countCancel(std::uint8_t b);
    std::size_t fastCopyData(const std::uint8_t* data, std::size_t size, std::size_t pos);

    State state_ = State::Hunt;
    HeaderKind kind_ = HeaderKind::Hex;
    Header header_;
    bool dataCrc32_ = false;
    bool escapePending_ = false;
    int cancelRun_ = 0;
    int hexTrailer_ = 0;
    std::array<std::uint8_t, 16> headerBytes_{};
    std::size_t headerCount_ = 0;
    std::vector<std::uint8_t> buffer_;
    std::size_t size_ = 0;
    bool subpacketTaken_ = false; // the caller has the last subpacket; start the next one empty
    Terminator terminator_ = Terminator::EndFrame;
    std::array<std::uint8_t, 4> check_{};
    std::size_t checkCount_ = 0;
};

} // namespace quillmar::zmodem

// Settings of one ZModem engine; the defaults suit a TNC link and a local pipe alike.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

namespace quillmar::zmodem {

// Time-outs, retry and error limits, escaping and packet sizes.
//
// A radio channel fades for tens of seconds while the TNCs retry their frames, and answers seconds
// late, so waiting is split in two. Each side learns the round trip from its own exchanges (a
// header and its answer, a ZRPOS and the data it brings back; an exchange with a repeat gives no
// sample) and waits three round trips before asking again (ZRPOS, or its last header), never less
// than timeoutMs and at first never more than fifteen times it (30 s at 2000, so a sender that gives
// up after a minute of silence hears from us in time). Each ask that goes unanswered doubles the wait,
// up to eight times timeoutMs (16 s) or the first wait if that is longer, so a faded channel carries
// one short request now and then instead of a pile the TNC would hold and deliver in one burst.
// Data that only answers an older request keeps no side waiting. timeoutRetries counts rounds of 30
// time-outs (a minute at 2000 ms) without a frame from the other side; after the last round the side
// gives up: 3 minutes at the window's 2000 and 3, beyond what a TNC spends retrying a connected link.
struct Config {
    std::uint64_t timeoutMs = 2000;      // silence before the first ask again
    int timeoutRetries = 3;              // rounds of 30 time-outs without a frame before giving up
    int errorLimit = 255;                // bad frames, restarts and repeated requests over one transfer
    bool escapeControl = false;          // escape every control character, both ways (via ZRINIT / ZSINIT)
    bool allowCrc32 = true;              // use CRC-32 when the receiver offers it; offer it when receiving
    std::size_t maxSubpacket = 8192;     // data bytes per subpacket when the receiver streams
    std::size_t syncInterval = 1u << 20; // streamed bytes between ZCRCW checkpoints; 0 for none
    std::string receiveDirectory;        // empty: the operator's home directory
    std::uint64_t maxUnannouncedBytes = std::uint64_t(256) << 20; // for a file sent with no length
    // A start heard on the channel that no valid frame follows within this time was not for us.
    std::uint64_t strayStartMs = 30000;
    bool trace = false; // report every header sent and received through trace()

    std::uint64_t longestWaitMs() const { return timeoutMs * 8; }
    // The longest first wait a long learned round trip earns: half the minute a sender such as sz waits
    // for a header, so it always hears from us in time.
    std::uint64_t longestRoundTripWaitMs() const { return timeoutMs * 15; }
    std::uint64_t giveUpMs() const { return timeoutMs * 30 * std::uint64_t(std::max(timeoutRetries, 1)); }
};

} // namespace quillmar::zmodem

// Settings of one ZModem engine; the defaults suit a TNC link and a local pipe alike.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillmar::zmodem {

// Time-outs, retry and error limits, escaping and packet sizes.
struct Config {
    std::uint64_t timeoutMs = 2000;      // silence after which a wait counts as timed out
    int timeoutRetries = 3;              // time-outs in a row that are answered by repeating ourselves
    int errorLimit = 255;                // bad frames and restarts over one transfer before giving up
    bool escapeControl = false;          // escape every control character, both ways (via ZRINIT / ZSINIT)
    bool allowCrc32 = true;              // use CRC-32 when the receiver offers it; offer it when receiving
    std::size_t maxSubpacket = 8192;     // data bytes per subpacket when the receiver streams
    std::size_t syncInterval = 1u << 20; // streamed bytes between ZCRCW checkpoints; 0 for none
    std::string receiveDirectory;        // empty: the operator's home directory
    bool trace = false;                  // report every header sent and received through trace()
};

} // namespace quillmar::zmodem

// Watches terminal bytes for a remote ZModem start without holding any of them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "header.h"

namespace quillmar::zmodem {

// Matches a hex ZRQINIT (a remote sender) or ZRINIT (a remote receiver) header byte by byte, keeping
// its place across chunks; the matched bytes have already gone to the terminal, so it rebuilds them.
class StartDetector {
public:
    enum class Seen { Nothing, RemoteSender, RemoteReceiver };

    Seen push(std::uint8_t b);
    void reset() { stage_ = 0; }

    // The header just matched, as wire bytes, to be fed to the engine's reader.
    const std::string& rebuiltHeader() const { return rebuilt_; }
    const Header& header() const { return header_; }

private:
    Seen finish();

    int stage_ = 0;
    std::string digits_;
    std::string rebuilt_;
    Header header_;
};

// True when decoded subpacket bytes hold a sender's hex ZRQINIT: a sender that restarted while we
// read its data, whose header the data reader took for data (ZDLE 'B' decodes to 0x02).
bool holdsSenderStart(const std::uint8_t* decoded, std::size_t size);

} // namespace quillmar::zmodem

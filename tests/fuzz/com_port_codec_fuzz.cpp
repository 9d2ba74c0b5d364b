// libFuzzer target: arbitrary server bytes into the telnet client with the COM port option.
//
// The first input byte picks the piece size and whether the option is asked for; the codec must
// never crash or overrun, and what it hands back stays within a fixed multiple of what came in.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "com_port_codec.h"

using namespace quillmar::telnet;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const std::size_t piece = (data[0] & 0x3f) + 1;
    ComPortCodec codec((data[0] & 0x40) != 0);
    std::string sent = codec.start();
    sent += codec.requestSettings({115200, 8, 1, 1, 1});
    const std::size_t settingsSize = 64;
    std::string received, replies;
    std::vector<ComPortReply> reports;
    for (std::size_t at = 1; at < size; at += piece) {
        const std::size_t n = std::min(piece, size - at);
        codec.receive(data + at, n, received, replies, reports);
    }
    std::string echoed;
    codec.encode(reinterpret_cast<const std::uint8_t*>(received.data()), received.size(), echoed);
    // Each command of three bytes earns at most one answer of three; the settings go out once.
    if (received.size() > size || replies.size() > size + settingsSize || reports.size() > size ||
        echoed.size() > 2 * received.size())
        std::abort();
    return 0;
}

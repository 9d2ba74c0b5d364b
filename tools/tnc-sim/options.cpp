#include "options.h"

#include "callsign.h"

#include <charconv>
#include <string_view>

namespace tncsim {

const char* const usageText =
    "usage: tnc-sim --link PATH [--mycall CALL] [--transcript FILE] [--chatter SECONDS]\n"
    "       tnc-sim --help | --version\n"
    "  --link PATH         symbolic link to create to the terminal end (an old link there is replaced)\n"
    "  --mycall CALL       the TNC's own callsign (default N0CALL)\n"
    "  --transcript FILE   append every byte the client sends to FILE\n"
    "  --chatter SECONDS   a connected remote station speaks up unasked this often (default never)\n";

namespace {

    constexpr int maxRemarkSeconds = 86400;

    int parseSeconds(std::string_view text)
    {
        int value = 0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
        if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 0 ||
            value > maxRemarkSeconds)
            throw UsageError("--chatter wants whole seconds from 0 to " + std::to_string(maxRemarkSeconds) +
                             ", not '" + std::string(text) + "'");
        return value;
    }

} // namespace

Options parseOptions(int argc, const char* const* argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view name = argv[i];
        if (name == "--help" || name == "-h") {
            options.help = true;
            return options;
        }
        if (name == "--version") {
            options.version = true;
            return options;
        }
        if (name != "--link" && name != "--mycall" && name != "--transcript" && name != "--chatter")
            throw UsageError("unknown option '" + std::string(name) + "'");
        if (i + 1 >= argc)
            throw UsageError(std::string(name) + " needs a value");
        const std::string value = argv[++i];
        if (name == "--link") {
            options.link = value;
        } else if (name == "--transcript") {
            options.transcript = value;
        } else if (name == "--chatter") {
            options.remarkSeconds = parseSeconds(value);
        } else {
            const std::optional<std::string> call = normalizeCallsign(value);
            if (!call)
                throw UsageError("--mycall wants a callsign such as N0CALL or K1ABC-7, not '" + value + "'");
            options.mycall = *call;
        }
    }
    if (options.link.empty())
        throw UsageError("--link PATH is required");
    return options;
}

} // namespace tncsim

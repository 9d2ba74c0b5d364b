#include "callsign.h"

#include "words.h"

namespace tncsim {

namespace {

    bool isLetterOrDigit(char c)
    {
        return (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    }

    std::optional<int> parseSsid(std::string_view digits)
    {
        if (digits.empty() || digits.size() > 2)
            return std::nullopt;
        int value = 0;
        for (char c : digits) {
            if (c < '0' || c > '9')
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        if (value > 15)
            return std::nullopt;
        return value;
    }

} // namespace

std::optional<std::string> normalizeCallsign(std::string_view text)
{
    const std::string upper = upperCase(text);
    const std::size_t dash = upper.find('-');
    const std::string_view base = std::string_view(upper).substr(0, dash);
    if (base.empty() || base.size() > 6)
        return std::nullopt;
    for (char c : base) {
        if (!isLetterOrDigit(c))
            return std::nullopt;
    }
    if (dash == std::string::npos)
        return std::string(base);
    const std::optional<int> ssid = parseSsid(std::string_view(upper).substr(dash + 1));
    if (!ssid)
        return std::nullopt;
    return *ssid == 0 ? std::string(base) : std::string(base) + "-" + std::to_string(*ssid);
}

} // namespace tncsim

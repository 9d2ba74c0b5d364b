#pragma once
// Checking and normalising AX.25 station callsigns as the operator types them.

#include <optional>
#include <string>
#include <string_view>

namespace tncsim {

// "k1abc-07" -> "K1ABC-7": one to six letters or digits, then an optional SSID 0..15
// ("-0" is the same station as none and is dropped). Anything else has no value.
std::optional<std::string> normalizeCallsign(std::string_view text);

} // namespace tncsim

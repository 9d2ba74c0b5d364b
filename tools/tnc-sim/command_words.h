#pragma once
// The TNC's command words and the abbreviations it accepts for them.

#include <cstddef>
#include <optional>
#include <string_view>

namespace tncsim {

enum class Command { Connect, Disconnect, Convers, Beacon, Btext, Mycall, Restart };

// True when `word` spells the start of `full`, case-insensitively, with at least `minimum` letters.
bool abbreviates(std::string_view word, std::string_view full, std::size_t minimum);

// The command a typed word names, if any ("c" -> Connect, "DISCONNE" -> Disconnect, "K" -> Convers).
std::optional<Command> lookupCommand(std::string_view word);

} // namespace tncsim

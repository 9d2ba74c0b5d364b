#pragma once
// Text helpers the command interpreter shares: case folding and splitting a line into words.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tncsim {

std::string upperCase(std::string_view text);
std::string_view trimmed(std::string_view text);

// The first blank-separated word and the trimmed rest ("MY  K1ABC " -> "MY", "K1ABC").
std::pair<std::string_view, std::string_view> splitFirstWord(std::string_view text);

// Pieces separated by blanks or commas, empty ones dropped ("W1A, W1B" -> W1A W1B).
std::vector<std::string_view> splitList(std::string_view text);

} // namespace tncsim

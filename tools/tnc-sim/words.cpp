#include "words.h"

namespace tncsim {

namespace {
    bool isBlank(char c)
    {
        return c == ' ' || c == '\t';
    }
} // namespace

std::string upperCase(std::string_view text)
{
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::pair<std::string_view, std::string_view> splitFirstWord(std::string_view text)
{
    text = trimmed(text);
    std::size_t end = 0;
    while (end < text.size() && !isBlank(text[end]))
        ++end;
    return {text.substr(0, end), trimmed(text.substr(end))};
}

std::vector<std::string_view> splitList(std::string_view text)
{
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || isBlank(text[i]) || text[i] == ',') {
            if (i > start)
                pieces.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return pieces;
}

} // namespace tncsim

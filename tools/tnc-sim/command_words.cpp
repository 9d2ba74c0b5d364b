#include "command_words.h"

#include "words.h"

namespace tncsim {

namespace {

    struct CommandWord {
        std::string_view name;
        std::size_t minimum;
        Command command;
    };

    // C alone is CONNECT, so CONVERS needs four letters; K is the TNC's one-letter alias for it.
    constexpr CommandWord commandWords[] = {
        {"CONNECT", 1, Command::Connect}, {"CONVERS", 4, Command::Convers},
        {"K", 1, Command::Convers},       {"DISCONNECT", 1, Command::Disconnect},
        {"BEACON", 1, Command::Beacon},   {"BTEXT", 2, Command::Btext},
        {"MYCALL", 2, Command::Mycall},   {"RESTART", 7, Command::Restart},
    };

} // namespace

bool abbreviates(std::string_view word, std::string_view full, std::size_t minimum)
{
    if (word.size() < minimum || word.size() > full.size())
        return false;
    return upperCase(word) == full.substr(0, word.size());
}

std::optional<Command> lookupCommand(std::string_view word)
{
    for (const CommandWord& entry : commandWords) {
        if (abbreviates(word, entry.name, entry.minimum))
            return entry.command;
    }
    return std::nullopt;
}

} // namespace tncsim

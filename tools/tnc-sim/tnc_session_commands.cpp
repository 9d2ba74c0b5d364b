// The TNC's commands: what each one answers and how it changes the session.

#include "tnc_session.h"

#include "callsign.h"
#include "command_words.h"
#include "words.h"

#include <charconv>
#include <utility>
#include <vector>

namespace tncsim {

namespace {

    // The wording the project's operators expect for a line the TNC cannot make sense of.
    constexpr std::string_view notUnderstood = "EH?";

    std::optional<unsigned> parseTens(std::string_view digits)
    {
        unsigned value = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
        if (error != std::errc() || end != digits.data() + digits.size() || value > TncSession::maxBeaconTens)
            return std::nullopt;
        return value;
    }

} // namespace

void TncSession::runCommand(std::string_view line, Clock::time_point now)
{
    const auto [word, args] = splitFirstWord(line);
    if (!word.empty()) {
        if (const std::optional<Command> command = lookupCommand(word))
            execute(*command, args, now);
        else
            reply(notUnderstood);
    }
    // CONNECT and CONVERS leave the TNC in converse mode, where there is no prompt.
    if (mode_ == Mode::Command)
        prompt();
}

void TncSession::execute(Command command, std::string_view args, Clock::time_point now)
{
    switch (command) {
    case Command::Connect: connect(args, now); break;
    case Command::Disconnect: disconnect(); break;
    case Command::Convers: mode_ = Mode::Converse; break;
    case Command::Beacon: beacon(args, now); break;
    case Command::Btext: beaconText(args); break;
    case Command::Mycall: myCall(args); break;
    case Command::Restart: restart(now); break;
    }
}

void TncSession::connect(std::string_view args, Clock::time_point now)
{
    const std::vector<std::string_view> words = splitList(args);
    if (words.empty()) {
        reply(remote_ ? "Link state is: CONNECTED to " + remote_->call() : "Link state is: DISCONNECTED");
        return;
    }
    if (remote_) {
        reply("?already connected to " + remote_->call());
        return;
    }
    const std::optional<std::string> call = normalizeCallsign(words[0]);
    const bool hasPath = words.size() > 1;
    if (!call || (hasPath && !abbreviates(words[1], "VIA", 1)) || words.size() == 2 ||
        words.size() > 2 + maxDigipeaters) {
        reply("?bad connect: CONNECT call [VIA digi,...] (8 digipeaters at most)");
        return;
    }
    std::vector<std::string> via;
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::optional<std::string> digi = normalizeCallsign(words[i]);
        if (!digi) {
            reply("?bad digipeater callsign " + std::string(words[i]));
            return;
        }
        via.push_back(*digi);
    }
    remote_.emplace(*call, std::move(via));
    reply(remote_->connectedMessage());
    mode_ = Mode::Converse;
    if (settings_.remarkEvery > Clock::duration::zero())
        remarkDue_ = now + settings_.remarkEvery;
}

void TncSession::disconnect()
{
    if (!remote_) {
        reply("?not connected");
        return;
    }
    remote_.reset();
    remarkDue_.reset();
    reply("*** DISCONNECTED");
}

std::string TncSession::beaconSetting() const
{
    return std::string(beaconMode_ == BeaconMode::Every ? "EVERY " : "AFTER ") + std::to_string(beaconTens_);
}

void TncSession::beacon(std::string_view args, Clock::time_point now)
{
    if (args.empty()) {
        reply("BEACON " + beaconSetting());
        return;
    }
    const std::vector<std::string_view> words = splitList(args);
    const bool every = !words.empty() && abbreviates(words[0], "EVERY", 1);
    const bool after = !words.empty() && abbreviates(words[0], "AFTER", 1);
    const std::optional<unsigned> tens = words.size() == 2 ? parseTens(words[1]) : std::nullopt;
    if (!(every || after) || !tens) {
        reply("?bad beacon: BEACON EVERY n or BEACON AFTER n, n from 0 to " + std::to_string(maxBeaconTens) +
              " (tens of seconds)");
        return;
    }
    const std::string was = beaconSetting();
    beaconMode_ = every ? BeaconMode::Every : BeaconMode::After;
    beaconTens_ = *tens;
    armBeacon(now);
    reply("BEACON was " + was);
}

void TncSession::beaconText(std::string_view args)
{
    if (args.empty()) {
        reply("BTEXT " + beaconText_);
        return;
    }
    if (args.size() > maxBeaconTextLength) {
        reply("?too long: BTEXT holds " + std::to_string(maxBeaconTextLength) + " characters at most");
        return;
    }
    // "BTEXT %" empties the text, since an empty argument shows it instead.
    const std::string was = std::exchange(beaconText_, args == "%" ? std::string() : std::string(args));
    reply("BTEXT was " + was);
}

void TncSession::myCall(std::string_view args)
{
    if (args.empty()) {
        reply("MYCALL " + settings_.mycall);
        return;
    }
    if (remote_) {
        reply("?not while connected");
        return;
    }
    const std::optional<std::string> call = normalizeCallsign(args);
    if (!call) {
        reply("?bad callsign: 1 to 6 letters or digits, then -0 to -15 if wanted");
        return;
    }
    reply("MYCALL was " + std::exchange(settings_.mycall, *call));
}

void TncSession::restart(Clock::time_point now)
{
    // Like a power cycle: the link drops, the settings stay (the TNC keeps them in backed-up memory).
    remote_.reset();
    remarkDue_.reset();
    mode_ = Mode::Command;
    armBeacon(now);
    banner();
}

} // namespace tncsim

#include "tnc_session.h"

#include <algorithm>
#include <utility>

namespace tncsim {

namespace {
    constexpr char ctrlC = '\x03';
    constexpr char backspace = '\b';
    constexpr char del = '\x7f';
    constexpr char bell = '\a';
} // namespace

TncSession::TncSession(TncSettings settings)
    : settings_(std::move(settings))
{
}

std::string TncSession::signOn()
{
    banner();
    prompt();
    return std::exchange(out_, {});
}

std::string TncSession::receive(std::string_view bytes, Clock::time_point now)
{
    // BEACON AFTER waits for a quiet spell: anything from the terminal starts it over.
    if (beaconMode_ == BeaconMode::After && !bytes.empty())
        armBeacon(now);
    for (char c : bytes)
        receiveByte(c, now);
    return std::exchange(out_, {});
}

void TncSession::receiveByte(char c, Clock::time_point now)
{
    if (c == ctrlC) {
        // ETX takes the TNC out of converse mode; at the prompt there is nothing to leave.
        if (mode_ == Mode::Converse)
            leaveConverse();
        return;
    }
    if (c == '\n')
        return;
    if (c == '\r') {
        endLine(now);
        return;
    }
    if (c == backspace || c == del) {
        if (!line_.empty()) {
            line_.pop_back();
            emit("\b \b");
        }
        return;
    }
    if (line_.size() >= maxLineLength) {
        emit(std::string_view(&bell, 1));
        return;
    }
    line_ += c;
    emit(std::string_view(&c, 1));
}

void TncSession::endLine(Clock::time_point now)
{
    emit("\r\n");
    const std::string line = std::exchange(line_, {});
    if (mode_ == Mode::Command)
        runCommand(line, now);
    else
        sendConverseLine(line);
}

void TncSession::leaveConverse()
{
    // What was typed after the last CR is never sent.
    line_.clear();
    mode_ = Mode::Command;
    if (lastSent_ != '\n')
        emit("\r\n");
    prompt();
}

void TncSession::sendConverseLine(std::string_view line)
{
    // Unconnected, the line goes out unproto and nobody answers.
    if (remote_ && !line.empty())
        reply(remote_->answer(line));
}

std::string TncSession::runTimers(Clock::time_point now)
{
    if (beaconDue_ && now >= *beaconDue_) {
        unsolicited(settings_.mycall + ">BEACON: " + beaconText_);
        if (beaconMode_ == BeaconMode::Every) {
            // Keep the rhythm, but after a long stall start afresh instead of catching up.
            const Clock::time_point due = *beaconDue_;
            armBeacon(due);
            if (*beaconDue_ <= now)
                armBeacon(now);
        } else {
            beaconDue_.reset();
        }
    }
    if (remote_ && remarkDue_ && now >= *remarkDue_) {
        unsolicited(remote_->nextRemark());
        remarkDue_ = now + settings_.remarkEvery;
    }
    return std::exchange(out_, {});
}

std::optional<Clock::time_point> TncSession::nextTimer() const
{
    if (beaconDue_ && remarkDue_)
        return std::min(*beaconDue_, *remarkDue_);
    return beaconDue_ ? beaconDue_ : remarkDue_;
}

void TncSession::armBeacon(Clock::time_point from)
{
    if (beaconTens_ == 0)
        beaconDue_.reset();
    else
        beaconDue_ = from + std::chrono::seconds(10 * beaconTens_);
}

void TncSession::banner()
{
    reply("");
    reply("tnc-sim 1.0 - TNC-2 command set");
}

void TncSession::reply(std::string_view line)
{
    emit(line);
    emit("\r\n");
}

void TncSession::unsolicited(std::string_view line)
{
    // Start on a fresh line, then put back the prompt and whatever the operator had typed.
    if (lastSent_ != '\n')
        emit("\r\n");
    reply(line);
    if (mode_ == Mode::Command)
        prompt();
    emit(line_);
}

void TncSession::emit(std::string_view bytes)
{
    if (bytes.empty())
        return;
    out_ += bytes;
    lastSent_ = bytes.back();
}

} // namespace tncsim

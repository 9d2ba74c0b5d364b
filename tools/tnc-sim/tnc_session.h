#pragma once
// The TNC's command interpreter: turns what the terminal sends into what the TNC sends back,
// including the beacon and the remote station's remarks that come due with time.

#include "command_words.h"
#include "remote_station.h"

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace tncsim {

using Clock = std::chrono::steady_clock;

struct TncSettings {
    std::string mycall = "N0CALL";
    // How often a connected remote station speaks up unasked; zero keeps it quiet.
    Clock::duration remarkEvery{};
};

class TncSession {
public:
    // Longer lines are refused a character at a time with a bell, as a terminal would.
    static constexpr std::size_t maxLineLength = 255;
    static constexpr std::size_t maxBeaconTextLength = 120;
    static constexpr unsigned maxBeaconTens = 250;
    static constexpr std::size_t maxDigipeaters = 8;

    explicit TncSession(TncSettings settings);

    // The sign-on banner and the first prompt.
    std::string signOn();

    std::string receive(std::string_view bytes, Clock::time_point now);

    // Whatever has come due by `now`: beacons and remarks from the remote station.
    std::string runTimers(Clock::time_point now);

    // When runTimers next has something to say, if ever.
    std::optional<Clock::time_point> nextTimer() const;

private:
    enum class Mode { Command, Converse };
    enum class BeaconMode { Every, After };

    void receiveByte(char c, Clock::time_point now);
    void endLine(Clock::time_point now);
    void leaveConverse();
    void runCommand(std::string_view line, Clock::time_point now);
    void execute(Command command, std::string_view args, Clock::time_point now);
    void sendConverseLine(std::string_view line);

    void connect(std::string_view args, Clock::time_point now);
    void disconnect();
    void beacon(std::string_view args, Clock::time_point now);
    void beaconText(std::string_view args);
    void myCall(std::string_view args);
    void restart(Clock::time_point now);

    void armBeacon(Clock::time_point from);
    std::string beaconSetting() const;
    void banner();
    void prompt() { emit("cmd:"); }
    void reply(std::string_view line);
    void unsolicited(std::string_view line);
    void emit(std::string_view bytes);

    TncSettings settings_;
    std::string beaconText_;
    BeaconMode beaconMode_ = BeaconMode::Every;
    unsigned beaconTens_ = 0;
    std::optional<Clock::time_point> beaconDue_;
    std::optional<RemoteStation> remote_;
    std::optional<Clock::time_point> remarkDue_;
    Mode mode_ = Mode::Command;
    std::string line_;
    std::string out_;
    char lastSent_ = '\n';
};

} // namespace tncsim

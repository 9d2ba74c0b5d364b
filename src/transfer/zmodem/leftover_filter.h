// Keeps the data a sender still had on its way off the terminal once a receive has ended badly.
#pragma once

#include <cstdint>
#include <vector>

namespace quillmar::zmodem {

// After an aborted receive the sender goes on streaming until our abort reaches it: kilobytes of escaped
// subpackets the terminal would show as garbage. Once a byte no TNC text has (ZDLE, eight-bit bytes,
// odd controls) came, the filter drops everything up to the next pause of kPauseMs, line ends included
// (data holds bare CRs); text between pauses passes, line by line and in order, so the TNC's answer
// after the data broke off still shows. It stops once no such data came for kQuietMs, and after
// kLongestMs at most.
class LeftoverFilter {
public:
    static constexpr std::uint64_t kQuietMs = 2000;
    static constexpr std::uint64_t kLongestMs = 10000;
    static constexpr std::uint64_t kPauseMs = 300;

    void start(std::uint64_t now);
    bool active() const { return active_; }
    // Takes one received byte at `now`; text lines complete go to `terminal`.
    void push(std::uint8_t b, std::uint64_t now, std::vector<std::uint8_t>& terminal);
    // Ends the filter when its time is up; the text of an unfinished line goes to `terminal`.
    void tick(std::uint64_t now, std::vector<std::uint8_t>& terminal);
    // Ends it at once; an unfinished line is dropped.
    void stop();

private:
    bool active_ = false;
    bool lineIsData_ = false;
    std::uint64_t startedAt_ = 0;
    std::uint64_t lastDataAt_ = 0;
    std::uint64_t lastByteAt_ = 0;
    std::vector<std::uint8_t> line_;
};

} // namespace quillmar::zmodem

#include "pty_relay.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// A raw pseudo-terminal: no echo, no line editing, eight clean bits.
bool openRaw(int& master, int& slave, std::string& path)
{
    master = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const char* name =
        master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0 ? ::ptsname(master) : nullptr;
    termios tio{};
    if (!name || (slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC)) < 0 || ::tcgetattr(slave, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    path = name;
    return ::tcsetattr(slave, TCSANOW, &tio) == 0;
}

// One way of the line: bytes taken from the sender, each with the moment it reaches the receiver.
class Way {
public:
    explicit Way(PtyRelay::Channel channel)
        : channel_(channel)
    {
    }

    // How many more bytes the channel takes from its sender now.
    std::size_t room(Clock::time_point now) const
    {
        if (channel_.bytesPerSecond <= 0)
            return 4096;
        // What has not yet left for the air is the TNC's buffer: a tenth of a second of line time.
        const std::size_t buffer = std::max<std::size_t>(64, std::size_t(channel_.bytesPerSecond) / 10);
        std::size_t waiting = 0;
        for (auto it = inFlight_.rbegin(); it != inFlight_.rend() && it->left > now; ++it)
            ++waiting;
        return waiting >= buffer ? 0 : buffer - waiting;
    }

    void take(const char* bytes, std::size_t count, Clock::time_point now)
    {
        const auto perByte = channel_.bytesPerSecond > 0
            ? std::chrono::nanoseconds(1'000'000'000LL / channel_.bytesPerSecond)
            : std::chrono::nanoseconds(0);
        for (std::size_t i = 0; i < count; ++i) {
            lastLeft_ = std::max(lastLeft_, now) + perByte;
            inFlight_.push_back({bytes[i], lastLeft_, lastLeft_ + std::chrono::milliseconds(channel_.delayMs)});
        }
    }

    // The bytes due at the receiver by now, in order.
    std::string due(Clock::time_point now) const
    {
        std::string out;
        for (auto it = inFlight_.begin(); it != inFlight_.end() && it->arrives <= now; ++it)
            out += it->byte;
        return out;
    }
    void delivered(std::size_t count) { inFlight_.erase(inFlight_.begin(), inFlight_.begin() + long(count)); }

    // When the next byte falls due; max() when nothing is on the way.
    Clock::time_point next() const { return inFlight_.empty() ? Clock::time_point::max() : inFlight_.front().arrives; }

private:
    struct Byte {
        char byte;
        Clock::time_point left, arrives;
    };
    PtyRelay::Channel channel_;
    std::deque<Byte> inFlight_;
    Clock::time_point lastLeft_{};
};

} // namespace

PtyRelay::PtyRelay(End countFrom, long afterBytes, int holdMs)
    : countFrom_(countFrom)
    , afterBytes_(afterBytes)
    , holdMs_(holdMs)
{
    start();
}

PtyRelay::PtyRelay(Channel channel)
    : channel_(channel)
{
    start();
}

void PtyRelay::start()
{
    if (openRaw(master_[A], slave_[A], path_[A]) && openRaw(master_[B], slave_[B], path_[B]))
        thread_ = std::thread([this] { run(); });
    else
        path_[A] = path_[B] = {};
}

PtyRelay::~PtyRelay()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    for (int fd : {master_[A], master_[B], slave_[A], slave_[B]})
        if (fd >= 0)
            ::close(fd);
}

void PtyRelay::run()
{
    Way toward[2] = {Way(channel_), Way(channel_)}; // toward[A] carries what B sends
    long counted = 0;
    auto silenceEnds = Clock::now();
    while (!stop_) {
        auto now = Clock::now();
        const bool silent = silenceBegan_ && now < silenceEnds;
        pollfd fds[2] = {{master_[A], 0, 0}, {master_[B], 0, 0}};
        for (End from : {A, B})
            fds[from].events = toward[from == A ? B : A].room(now) > 0 ? POLLIN : 0;
        // Wake for the next byte due, at most 20 ms on.
        const auto nextDue = std::min(toward[A].next(), toward[B].next());
        const long waitMs = nextDue == Clock::time_point::max()
            ? 20
            : std::clamp<long>(std::chrono::ceil<std::chrono::milliseconds>(nextDue - now).count(), 0, 20);
        ::poll(fds, 2, int(waitMs));
        now = Clock::now();
        for (End from : {A, B}) {
            Way& way = toward[from == A ? B : A];
            char buffer[4096];
            const std::size_t room = std::min(sizeof buffer, way.room(now));
            const ssize_t count =
                (fds[from].revents & POLLIN) && room > 0 ? ::read(master_[from], buffer, room) : 0;
            if (count > 0) {
                way.take(buffer, std::size_t(count), now);
                counted += from == countFrom_ ? count : 0;
            }
        }
        for (End to : {A, B}) {
            const std::string due = silent ? std::string() : toward[to].due(now);
            const ssize_t count = due.empty() ? 0 : ::write(master_[to], due.data(), due.size());
            if (count > 0) {
                toward[to].delivered(std::size_t(count));
                delivered_[to] += count;
            }
        }
        if (!silenceBegan_ && holdMs_ > 0 && counted >= afterBytes_) {
            silenceEnds = Clock::now() + std::chrono::milliseconds(holdMs_);
            silenceBegan_ = true;
        }
    }
}

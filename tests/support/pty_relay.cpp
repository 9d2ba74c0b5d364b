#include "pty_relay.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
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
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0)
        return false;
    const char* name = ::ptsname(master);
    if (!name)
        return false;
    path = name;
    slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios tio{};
    if (slave < 0 || ::tcgetattr(slave, &tio) != 0)
        return false;
    ::cfmakeraw(&tio);
    return ::tcsetattr(slave, TCSANOW, &tio) == 0;
}

} // namespace

PtyRelay::PtyRelay(End countFrom, qint64 afterBytes, int holdMs)
    : countFrom_(countFrom)
    , afterBytes_(afterBytes)
    , holdMs_(holdMs)
{
    if (!openRaw(master_[A], slave_[A], path_[A]) || !openRaw(master_[B], slave_[B], path_[B]) ||
        ::pipe2(stop_, O_CLOEXEC) != 0) {
        path_[A].clear();
        path_[B].clear();
        return;
    }
    thread_ = std::thread([this] { run(); });
}

PtyRelay::~PtyRelay()
{
    if (thread_.joinable()) {
        const char stop = 0;
        [[maybe_unused]] const auto written = ::write(stop_[1], &stop, 1);
        thread_.join();
    }
    for (int fd : {master_[A], master_[B], slave_[A], slave_[B], stop_[0], stop_[1]})
        if (fd >= 0)
            ::close(fd);
}

void PtyRelay::run()
{
    Clock::time_point silenceEnds{};
    for (;;) {
        const bool silent = silenceBegan_ && Clock::now() < silenceEnds;
        pollfd fds[3] = {{stop_[0], POLLIN, 0}, {master_[A], POLLIN, 0}, {master_[B], POLLIN, 0}};
        for (End end : {A, B})
            if (!silent && !waiting_[end].empty())
                fds[1 + end].events |= POLLOUT;
        if (::poll(fds, 3, silent ? 50 : 200) < 0 && errno != EINTR)
            return;
        if (fds[0].revents)
            return;
        for (End end : {A, B}) {
            if ((fds[1 + end].revents & POLLIN) && !pass(end))
                return;
            if (!silent && !deliver(end))
                return;
        }
        if (!silenceBegan_ && holdMs_ > 0 && counted_ >= afterBytes_) {
            silenceEnds = Clock::now() + std::chrono::milliseconds(holdMs_);
            silenceBegan_ = true;
        }
    }
}

// Reads what one end sent and keeps it for the other.
bool PtyRelay::pass(End from)
{
    char buffer[4096];
    const ssize_t count = ::read(master_[from], buffer, sizeof buffer);
    if (count < 0)
        return errno == EAGAIN || errno == EINTR || errno == EIO; // EIO: no program on that end now
    waiting_[from == A ? B : A].append(buffer, std::size_t(count));
    if (from == countFrom_)
        counted_ += count;
    return true;
}

// Writes what waits for one end, as much as its terminal takes now.
bool PtyRelay::deliver(End to)
{
    std::string& waiting = waiting_[to];
    while (!waiting.empty()) {
        const ssize_t count = ::write(master_[to], waiting.data(), waiting.size());
        if (count < 0)
            return errno == EAGAIN || errno == EINTR;
        waiting.erase(0, std::size_t(count));
    }
    return true;
}

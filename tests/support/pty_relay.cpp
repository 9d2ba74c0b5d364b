#include "pty_relay.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace {

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

} // namespace

PtyRelay::PtyRelay(End countFrom, long afterBytes, int holdMs)
    : countFrom_(countFrom)
    , afterBytes_(afterBytes)
    , holdMs_(holdMs)
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
    std::string waiting[2]; // read from one end, for the other
    long counted = 0;
    auto silenceEnds = std::chrono::steady_clock::now();
    while (!stop_) {
        const bool silent = silenceBegan_ && std::chrono::steady_clock::now() < silenceEnds;
        pollfd fds[2] = {{master_[A], POLLIN, 0}, {master_[B], POLLIN, 0}};
        for (End to : {A, B})
            fds[to].events |= silent || waiting[to].empty() ? 0 : POLLOUT;
        ::poll(fds, 2, 20);
        for (End from : {A, B}) {
            char buffer[4096];
            const ssize_t count =
                (fds[from].revents & POLLIN) ? ::read(master_[from], buffer, sizeof buffer) : 0;
            if (count > 0) {
                waiting[from == A ? B : A].append(buffer, std::size_t(count));
                counted += from == countFrom_ ? count : 0;
            }
        }
        for (End to : {A, B}) {
            const ssize_t count = silent || waiting[to].empty()
                ? 0
                : ::write(master_[to], waiting[to].data(), waiting[to].size());
            if (count > 0)
                waiting[to].erase(0, std::size_t(count));
        }
        if (!silenceBegan_ && holdMs_ > 0 && counted >= afterBytes_) {
            silenceEnds = std::chrono::steady_clock::now() + std::chrono::milliseconds(holdMs_);
            silenceBegan_ = true;
        }
    }
}

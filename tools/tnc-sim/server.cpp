#include "server.h"

#include "system_error.h"

#include <cerrno>
#include <algorithm>
#include <climits>
#include <cstdio>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace tncsim {

Server::Server(int controllingFd, TncSession& session, Transcript& transcript)
    : fd_(controllingFd)
    , session_(session)
    , transcript_(transcript)
{
}

void Server::run(int stopFd)
{
    queue(session_.signOn());
    flush();
    for (;;) {
        pollfd fds[2] = {{fd_, static_cast<short>(POLLIN | (output_.empty() ? 0 : POLLOUT)), 0},
                         {stopFd, POLLIN, 0}};
        if (poll(fds, 2, pollTimeoutMs()) < 0) {
            if (errno == EINTR)
                continue;
            throw systemError("poll failed");
        }
        // A stop comes first, however much output is stuck behind a client that does not read.
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents & POLLIN)
            readFromClient();
        else if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL))
            throw std::runtime_error("the pseudo-terminal hung up");
        queue(session_.runTimers(Clock::now()));
        flush();
    }
}

void Server::readFromClient()
{
    char buffer[4096];
    const ssize_t count = read(fd_, buffer, sizeof buffer);
    if (count < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)
            return;
        throw systemError("cannot read the pseudo-terminal");
    }
    if (count == 0)
        throw std::runtime_error("the pseudo-terminal hung up");
    const std::string_view bytes(buffer, static_cast<std::size_t>(count));
    transcript_.record(bytes);
    queue(session_.receive(bytes, Clock::now()));
}

void Server::queue(std::string bytes)
{
    if (bytes.empty())
        return;
    if (output_.push(std::move(bytes)) > 0 && !dropping_) {
        std::fprintf(stderr, "tnc-sim: the client is not reading; dropping its oldest unread output\n");
        dropping_ = true;
    }
}

void Server::flush()
{
    while (!output_.empty()) {
        const std::string_view pending = output_.pending();
        const ssize_t written = write(fd_, pending.data(), pending.size());
        if (written > 0) {
            output_.consume(static_cast<std::size_t>(written));
            if (output_.empty())
                dropping_ = false;
            continue;
        }
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        throw systemError("cannot write to the pseudo-terminal");
    }
}

int Server::pollTimeoutMs() const
{
    const std::optional<Clock::time_point> next = session_.nextTimer();
    if (!next)
        return -1;
    const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*next - Clock::now()).count();
    return static_cast<int>(std::clamp<decltype(wait)>(wait, 0, INT_MAX));
}

} // namespace tncsim

#include "stdio_link.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

namespace quillmar::zmodem {
namespace {

    constexpr std::size_t kReadSize = 64 * 1024;
    constexpr std::size_t kOutputBatch = 4096; // at most this is pumped ahead of what the descriptor took
    constexpr int kPollMs = 100;
    constexpr std::uint64_t kDrainLimitMs = 10000; // the peer may be gone; do not wait forever
    constexpr std::uint64_t kProgressEveryMs = 500;

    volatile std::sig_atomic_t interrupted = 0;

    void onSignal(int)
    {
        interrupted = 1;
    }

    void catchSignals()
    {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        sigaction(SIGHUP, &action, nullptr);
        signal(SIGPIPE, SIG_IGN);
    }

    // Writes what the descriptor takes now; false when it is closed.
    bool flush(BufferedSink& sink)
    {
        while (sink.pending() > 0) {
            const ssize_t count = ::write(STDOUT_FILENO, sink.data(), sink.pending());
            if (count > 0) {
                sink.consume(static_cast<std::size_t>(count));
                continue;
            }
            if (count < 0 && errno == EINTR)
                continue;
            return count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        }
        return true;
    }

    // Reads what is there; false at end of input or on error.
    bool readInput(Engine& engine)
    {
        static std::vector<std::uint8_t> buffer(kReadSize);
        std::vector<std::uint8_t> terminal;
        for (;;) {
            const ssize_t count = ::read(STDIN_FILENO, buffer.data(), buffer.size());
            if (count > 0) {
                engine.feed(buffer.data(), static_cast<std::size_t>(count), terminal);
                return true;
            }
            if (count < 0 && errno == EINTR)
                continue;
            return count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
        }
    }

} // namespace

std::uint64_t monotonicMs()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000 + static_cast<std::uint64_t>(now.tv_nsec) / 1000000;
}

void BufferedSink::consume(std::size_t count)
{
    head_ += count;
    if (head_ == bytes_.size()) {
        bytes_.clear();
        head_ = 0;
    }
}

void ConsoleListener::transferStarting(Direction direction)
{
    if (verbose_)
        std::fprintf(stderr, "%s\n", direction == Direction::Send ? "sending" : "receiving");
}

void ConsoleListener::fileReceived(const std::string& path)
{
    if (verbose_)
        std::fprintf(stderr, "received %s\n", path.c_str());
}

void ConsoleListener::fileSent(const std::string& path)
{
    if (verbose_)
        std::fprintf(stderr, "sent %s\n", path.c_str());
}

void ConsoleListener::fileRefused(const std::string& path)
{
    turnedDown_ = true;
    std::fprintf(stderr, "quillmar-zmodem: the far end refused %s\n", path.c_str());
}

void ConsoleListener::offerDeclined(const std::string& name, const std::string& reason)
{
    turnedDown_ = true;
    std::fprintf(stderr, "quillmar-zmodem: refused %s: %s\n", name.c_str(), reason.c_str());
}

void ConsoleListener::notice(const std::string& line)
{
    std::fprintf(stderr, "quillmar-zmodem: %s\n", line.c_str());
}

void ConsoleListener::aborted(const std::string& reason)
{
    done_ = true;
    succeeded_ = false;
    std::fprintf(stderr, "quillmar-zmodem: transfer aborted: %s\n", reason.c_str());
}

void ConsoleListener::progress(std::uint64_t done, std::uint64_t total)
{
    if (!verbose_ || (now_ - lastProgress_ < kProgressEveryMs && done != total))
        return;
    lastProgress_ = now_;
    std::fprintf(stderr, "%llu / %llu bytes\n", static_cast<unsigned long long>(done),
                 static_cast<unsigned long long>(total));
}

void ConsoleListener::trace(const std::string& line)
{
    if (verbose_)
        std::fprintf(stderr, "%s\n", line.c_str());
}

bool runOverStdio(Engine& engine, BufferedSink& sink, ConsoleListener& listener)
{
    catchSignals();
    ::fcntl(STDIN_FILENO, F_SETFL, ::fcntl(STDIN_FILENO, F_GETFL) | O_NONBLOCK);
    ::fcntl(STDOUT_FILENO, F_SETFL, ::fcntl(STDOUT_FILENO, F_GETFL) | O_NONBLOCK);
    bool inputOpen = true;
    bool outputOpen = true;
    std::uint64_t drainStart = 0;
    for (;;) {
        const std::uint64_t now = monotonicMs();
        listener.setNow(now);
        engine.tick(now);
        if (interrupted && engine.transferring())
            engine.abort("interrupted");
        // The line gets only what it takes now, a batch at a time: bytes left waiting here could not
        // be withdrawn when the receiver asks for data from elsewhere, and a slow line would carry
        // them first.
        if (outputOpen && sink.pending() > 0)
            outputOpen = flush(sink);
        while (outputOpen && sink.pending() == 0 && engine.pump(kOutputBatch) > 0)
            outputOpen = flush(sink);
        if (listener.done()) {
            if (drainStart == 0)
                drainStart = now;
            if (!outputOpen || (sink.pending() == 0 && !engine.hasOutput()) ||
                now - drainStart > kDrainLimitMs)
                break;
        }
        if (!inputOpen && engine.transferring())
            engine.abort("the link closed");

        // Ask for room also when the batch went out whole but the engine has more to give.
        const bool wantsOut = outputOpen && (sink.pending() > 0 || engine.hasOutput());
        pollfd fds[2] = {{STDIN_FILENO, short(inputOpen && !listener.done() ? POLLIN : 0), 0},
                         {STDOUT_FILENO, short(wantsOut ? POLLOUT : 0), 0}};
        const int ready = ::poll(fds, 2, kPollMs);
        if (ready <= 0)
            continue;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR))
            inputOpen = readInput(engine);
        if (fds[1].revents & (POLLERR | POLLHUP))
            outputOpen = false;
    }
    if (isatty(STDOUT_FILENO))
        ::tcdrain(STDOUT_FILENO);
    return listener.succeeded();
}

} // namespace quillmar::zmodem

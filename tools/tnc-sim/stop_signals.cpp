#include "stop_signals.h"

#include "system_error.h"

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace tncsim {

namespace {

    constexpr int stopSignals[] = {SIGTERM, SIGINT, SIGHUP};
    volatile sig_atomic_t signalWriteFd = -1;

    void onStopSignal(int signal)
    {
        const int savedErrno = errno;
        const char byte = static_cast<char>(signal);
        // Non-blocking: if the pipe is somehow full, a stop is already waiting in it.
        [[maybe_unused]] const ssize_t ignored = write(signalWriteFd, &byte, 1);
        errno = savedErrno;
    }

} // namespace

StopSignals::StopSignals()
{
    int ends[2];
    if (pipe(ends) < 0)
        throw systemError("cannot make the signal pipe");
    readEnd_ = UniqueFd(ends[0]);
    writeEnd_ = UniqueFd(ends[1]);
    for (int fd : ends) {
        if (fcntl(fd, F_SETFD, FD_CLOEXEC) < 0 || fcntl(fd, F_SETFL, O_NONBLOCK) < 0)
            throw systemError("cannot set up the signal pipe");
    }
    signalWriteFd = writeEnd_.get();
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    for (int signal : stopSignals) {
        if (sigaction(signal, &action, nullptr) < 0)
            throw systemError("cannot catch signal " + std::to_string(signal));
    }
    // A client hanging up must never kill us through a stray write.
    std::signal(SIGPIPE, SIG_IGN);
}

StopSignals::~StopSignals()
{
    for (int signal : stopSignals)
        std::signal(signal, SIG_DFL);
    signalWriteFd = -1;
}

} // namespace tncsim

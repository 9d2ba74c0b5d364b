#include "pty_pair.h"

#include "system_error.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace tncsim {

namespace {

    void addDescriptorFlags(int fd, int fdFlags, int statusFlags, const std::string& what)
    {
        const int current = fcntl(fd, F_GETFD);
        const int status = fcntl(fd, F_GETFL);
        if (current < 0 || status < 0 || fcntl(fd, F_SETFD, current | fdFlags) < 0 ||
            fcntl(fd, F_SETFL, status | statusFlags) < 0)
            throw systemError("cannot set flags on " + what);
    }

} // namespace

void makeRaw(int fd)
{
    termios mode{};
    if (tcgetattr(fd, &mode) < 0)
        throw systemError("cannot read the terminal mode");
    mode.c_iflag &= ~(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF | IXANY);
    mode.c_oflag &= ~OPOST;
    // IEXTEN off too, or the line discipline would swallow 0x0F and 0x16.
    mode.c_lflag &= ~(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
    mode.c_cflag &= ~(CSIZE | PARENB);
    mode.c_cflag |= CS8 | CREAD | CLOCAL;
    mode.c_cc[VMIN] = 1;
    mode.c_cc[VTIME] = 0;
    if (tcsetattr(fd, TCSANOW, &mode) < 0)
        throw systemError("cannot make the terminal raw");
}

PtyPair::PtyPair()
    : controlling_(posix_openpt(O_RDWR | O_NOCTTY))
{
    if (!controlling_.valid())
        throw systemError("cannot open a pseudo-terminal");
    if (grantpt(controlling_.get()) < 0 || unlockpt(controlling_.get()) < 0)
        throw systemError("cannot unlock the pseudo-terminal");
    const char* name = ptsname(controlling_.get());
    if (!name)
        throw systemError("cannot name the pseudo-terminal's terminal end");
    terminalPath_ = name;
    addDescriptorFlags(controlling_.get(), FD_CLOEXEC, O_NONBLOCK, "the controlling end");
    terminal_ = UniqueFd(open(terminalPath_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!terminal_.valid())
        throw systemError("cannot open " + terminalPath_);
    makeRaw(terminal_.get());
}

} // namespace tncsim

#pragma once
// The pseudo-terminal pair the simulator serves: it speaks on the controlling end, a client opens
// the terminal end as its serial port.

#include "unique_fd.h"

#include <string>

namespace tncsim {

class PtyPair {
public:
    // Opens the pair with the terminal end raw and the controlling end non-blocking; throws on failure.
    PtyPair();

    int controllingFd() const { return controlling_.get(); }
    const std::string& terminalPath() const { return terminalPath_; }

private:
    UniqueFd controlling_;
    // Held open for the pair's whole life, so a client closing and reopening the port does not
    // tear it down and sees a hangup only when the simulator stops.
    UniqueFd terminal_;
    std::string terminalPath_;
};

// Raw 8-bit: no echo, no line editing, no signal or flow-control characters, no output rewriting.
void makeRaw(int fd);

} // namespace tncsim

#pragma once
// SIGTERM, SIGINT and SIGHUP turned into a readable descriptor, so the serving loop can poll for them.

#include "unique_fd.h"

namespace tncsim {

class StopSignals {
public:
    // Installs the handlers; only one instance may exist at a time. Throws on failure.
    StopSignals();
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // Becomes readable once a stop signal has arrived.
    int fd() const { return readEnd_.get(); }

private:
    UniqueFd readEnd_;
    UniqueFd writeEnd_;
};

} // namespace tncsim

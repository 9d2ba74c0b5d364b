#pragma once
// Moves bytes between the pseudo-terminal and the TNC session until a stop signal arrives.

#include "output_queue.h"
#include "tnc_session.h"
#include "transcript.h"

namespace tncsim {

class Server {
public:
    // About how much may wait for a client that does not read before the oldest output is dropped.
    static constexpr std::size_t outputLimit = 32 * 1024;

    Server(int controllingFd, TncSession& session, Transcript& transcript);

    // Sends the sign-on, then serves until `stopFd` becomes readable. Throws on a pseudo-terminal error.
    void run(int stopFd);

private:
    void readFromClient();
    void queue(std::string bytes);
    void flush();
    int pollTimeoutMs() const;

    int fd_;
    TncSession& session_;
    Transcript& transcript_;
    OutputQueue output_{outputLimit};
    bool dropping_ = false;
};

} // namespace tncsim

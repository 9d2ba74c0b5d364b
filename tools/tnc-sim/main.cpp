// tnc-sim: stands in for a TNC-2 on a pseudo-terminal, for Quillmar's demo and integration tests.

#include "app/version.h"
#include "device_link.h"
#include "options.h"
#include "pty_pair.h"
#include "server.h"
#include "stop_signals.h"
#include "tnc_session.h"
#include "transcript.h"

#include <cstdio>
#include <exception>

namespace {

int serve(const tncsim::Options& options)
{
    tncsim::Transcript transcript;
    if (!options.transcript.empty())
        transcript = tncsim::Transcript(options.transcript);
    // Catch stop signals before the link exists, so none can leave it behind.
    tncsim::StopSignals stop;
    tncsim::PtyPair pty;
    tncsim::DeviceLink link(options.link, pty.terminalPath());

    tncsim::TncSettings settings;
    settings.mycall = options.mycall;
    settings.remarkEvery = std::chrono::seconds(options.remarkSeconds);
    tncsim::TncSession session(settings);
    tncsim::Server server(pty.controllingFd(), session, transcript);

    std::printf("ready %s\n", pty.terminalPath().c_str());
    std::fflush(stdout);
    server.run(stop.fd());
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    tncsim::Options options;
    try {
        options = tncsim::parseOptions(argc, argv);
    } catch (const tncsim::UsageError& error) {
        std::fprintf(stderr, "tnc-sim: %s\n%s", error.what(), tncsim::usageText);
        return 2;
    }
    if (options.help) {
        std::fputs(tncsim::usageText, stdout);
        return 0;
    }
    if (options.version) {
        std::printf("tnc-sim %s\n", QuillmarVersion);
        return 0;
    }
    try {
        return serve(options);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "tnc-sim: %s\n", error.what());
        return 1;
    }
}

#pragma once
// The station at the far end of a simulated connection: it answers each line and, if asked, chats.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tncsim {

class RemoteStation {
public:
    RemoteStation(std::string call, std::vector<std::string> via);

    const std::string& call() const { return call_; }

    // "*** CONNECTED to K1ABC", with " VIA W1XYZ-1,WIDE2" when the link runs through digipeaters.
    std::string connectedMessage() const;

    // K1ABC: copied "<line>" 73
    std::string answer(std::string_view line) const;

    // The next of a few unsolicited remarks, in turn, prefixed with the station's call.
    std::string nextRemark();

private:
    std::string call_;
    std::vector<std::string> via_;
    std::size_t remarkIndex_ = 0;
};

} // namespace tncsim

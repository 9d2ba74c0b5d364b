#include "remote_station.h"

#include <array>

namespace tncsim {

namespace {

    constexpr std::array<std::string_view, 4> remarks = {
        "standing by, any traffic for this station?",
        "signal here is good, copy all",
        "checking in with net control, no traffic",
        "still here, go ahead when ready",
    };

} // namespace

RemoteStation::RemoteStation(std::string call, std::vector<std::string> via)
    : call_(std::move(call))
    , via_(std::move(via))
{
}

std::string RemoteStation::connectedMessage() const
{
    std::string message = "*** CONNECTED to " + call_;
    for (std::size_t i = 0; i < via_.size(); ++i)
        message += (i == 0 ? " VIA " : ",") + via_[i];
    return message;
}

std::string RemoteStation::answer(std::string_view line) const
{
    return call_ + ": copied \"" + std::string(line) + "\" 73";
}

std::string RemoteStation::nextRemark()
{
    const std::string_view remark = remarks[remarkIndex_];
    remarkIndex_ = (remarkIndex_ + 1) % remarks.size();
    return call_ + ": " + std::string(remark);
}

} // namespace tncsim

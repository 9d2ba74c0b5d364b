#pragma once
// The symbolic link a client opens as its serial port (for example COM1 beside the program).

#include <string>

namespace tncsim {

class DeviceLink {
public:
    // Points `path` at `target`, replacing an old link there; refuses (throws) to replace anything else.
    DeviceLink(std::string path, std::string target);
    ~DeviceLink();
    DeviceLink(const DeviceLink&) = delete;
    DeviceLink& operator=(const DeviceLink&) = delete;

    // Removes the link, but only while it still points at our target: another simulator may own it now.
    void remove();

private:
    std::string path_;
    std::string target_;
};

} // namespace tncsim

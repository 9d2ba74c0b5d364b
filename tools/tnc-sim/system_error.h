#pragma once
// Turning a failed system call into an exception that names what was being done.

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>

namespace tncsim {

// "cannot open /tmp/x: No such file or directory", from the errno the call left.
inline std::runtime_error systemError(const std::string& what)
{
    return std::runtime_error(what + ": " + std::strerror(errno));
}

} // namespace tncsim

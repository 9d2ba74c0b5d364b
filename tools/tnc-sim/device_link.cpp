#include "device_link.h"

#include "system_error.h"

#include <cerrno>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tncsim {

namespace {

    std::string readLink(const std::string& path)
    {
        std::vector<char> buffer(4096);
        const ssize_t length = readlink(path.c_str(), buffer.data(), buffer.size());
        if (length < 0 || static_cast<std::size_t>(length) >= buffer.size())
            return {};
        return std::string(buffer.data(), static_cast<std::size_t>(length));
    }

    // A new link under a temporary name renamed over the old one, so the path is never missing.
    void replaceLink(const std::string& path, const std::string& target)
    {
        const std::string temporary = path + ".tnc-sim-" + std::to_string(getpid());
        ::unlink(temporary.c_str());
        if (symlink(target.c_str(), temporary.c_str()) < 0)
            throw systemError("cannot create link " + temporary);
        if (rename(temporary.c_str(), path.c_str()) < 0) {
            const int error = errno;
            ::unlink(temporary.c_str());
            errno = error;
            throw systemError("cannot replace link " + path);
        }
    }

} // namespace

DeviceLink::DeviceLink(std::string path, std::string target)
    : path_(std::move(path))
    , target_(std::move(target))
{
    struct stat status {};
    if (lstat(path_.c_str(), &status) == 0) {
        if (!S_ISLNK(status.st_mode))
            throw std::runtime_error(path_ + " exists and is not a symbolic link; not replacing it");
        replaceLink(path_, target_);
        return;
    }
    if (errno != ENOENT)
        throw systemError("cannot examine " + path_);
    if (symlink(target_.c_str(), path_.c_str()) < 0)
        throw systemError("cannot create link " + path_);
}

DeviceLink::~DeviceLink()
{
    remove();
}

void DeviceLink::remove()
{
    if (!path_.empty() && readLink(path_) == target_)
        ::unlink(path_.c_str());
    path_.clear();
}

} // namespace tncsim

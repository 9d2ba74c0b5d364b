#include "safe_file.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string failure(const char* what, const std::string& path, int err)
{
    return std::string(what) + " " + path + ": " + std::strerror(err);
}

std::string folderOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Follows a chain of symbolic links to the file they finally name (which
// need not exist yet). A loop or an unreadable link leaves the path as given.
std::string finalTarget(const std::string& path)
{
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st;
        if (::lstat(current.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            return current;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(current.c_str(), target, sizeof target - 1);
        if (n <= 0)
            return path;
        target[n] = 0;
        current = target[0] == '/' ? std::string(target) : folderOf(current) + "/" + target;
    }
    return path;
}

bool writeAll(int fd, std::span<const std::uint8_t> bytes, off_t at, int* err)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, at + off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *err = n < 0 ? errno : EIO;
            return false;
        }
        done += std::size_t(n);
    }
    return true;
}

// The mode a newly created file gets, as open() would give it.
mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

SafeWriteResult writeInPlace(const std::string& target, std::span<const std::uint8_t> bytes)
{
    SafeWriteResult r;
    r.inPlace = true;
    const int fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd < 0) {
        r.error = failure("cannot open", target, errno);
        return r;
    }
    int err = 0;
    if (!writeAll(fd, bytes, 0, &err))
        r.error = failure("cannot write", target, err);
    else if (::ftruncate(fd, off_t(bytes.size())) != 0)
        r.error = failure("cannot set the length of", target, errno);
    else if (::fsync(fd) != 0)
        r.error = failure("cannot sync", target, errno);
    if (::close(fd) != 0 && r.error.empty())
        r.error = failure("cannot close", target, errno);
    r.ok = r.error.empty();
    return r;
}

} // namespace

SafeWriteResult replaceFileSafely(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const std::string target = finalTarget(path);
    const std::string folder = folderOf(target);
    struct stat old;
    const bool existed = ::stat(target.c_str(), &old) == 0;
    // A link to a device or a folder is never replaced by a plain file.
    if (existed && !S_ISREG(old.st_mode))
        return {.error = target + " is not a plain file"};

    std::string temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (existed && (err == EACCES || err == EPERM))
            return writeInPlace(target, bytes);
        return {.error = failure("cannot create a file in", folder, err)};
    }

    SafeWriteResult r;
    int err = 0;
    // mkostemp makes the file 0600; the settings keep the old file's mode
    // (and owner, when the process may give it away).
    const mode_t mode = existed ? (old.st_mode & 07777) : mode_t(0666 & ~currentUmask());
    if (existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only a privileged process may give a file away; the new file then stays ours.
    }
    if (::fchmod(fd, mode) != 0)
        r.error = failure("cannot set the permissions of", temp, errno);
    else if (!writeAll(fd, bytes, 0, &err))
        r.error = failure("cannot write", temp, err);
    else if (::fsync(fd) != 0)
        r.error = failure("cannot sync", temp, errno);
    if (::close(fd) != 0 && r.error.empty())
        r.error = failure("cannot close", temp, errno);
    if (r.error.empty() && ::rename(temp.c_str(), target.c_str()) != 0)
        r.error = failure("cannot replace", target, errno);
    // The folder is not synced after the rename: a crash then leaves the old
    // file or the new one, both whole, which is all the settings need.
    if (!r.error.empty())
        ::unlink(temp.c_str());
    r.ok = r.error.empty();
    return r;
}

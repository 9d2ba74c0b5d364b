#include "safe_file.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Records what failed, where, and the system's words for it.
SafeWriteResult& fail(SafeWriteResult& r, const char* what, const std::string& path, int err)
{
    r.reason = std::strerror(err);
    r.error = std::string(what) + " " + path + ": " + r.reason;
    r.ok = false;
    return r;
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

// Writes every byte from offset 0; `done` tells how far it got.
bool writeAll(int fd, std::span<const std::uint8_t> bytes, std::size_t* done, int* err)
{
    *done = 0;
    while (*done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + *done, bytes.size() - *done, off_t(*done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            *err = n < 0 ? errno : EIO;
            return false;
        }
        *done += std::size_t(n);
    }
    return true;
}

// The whole file behind `fd`, or false with `err` set.
bool readAll(int fd, std::vector<std::uint8_t>* bytes, int* err)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *err = errno;
        return false;
    }
    bytes->resize(std::size_t(st.st_size));
    std::size_t done = 0;
    while (done < bytes->size()) {
        const ssize_t n = ::pread(fd, bytes->data() + done, bytes->size() - done, off_t(done));
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

// Puts back the first `touched` bytes of the old contents and the old length.
// Only what the failed write covered is rewritten: a full disk or a size limit
// that refused the new bytes still lets the old ones go back where they were.
bool putBack(int fd, const std::vector<std::uint8_t>& old, std::size_t touched)
{
    std::size_t done = 0;
    int err = 0;
    const std::span<const std::uint8_t> covered(old.data(), std::min(touched, old.size()));
    struct stat st;
    return writeAll(fd, covered, &done, &err) && ::fstat(fd, &st) == 0 &&
        (st.st_size == off_t(old.size()) || ::ftruncate(fd, off_t(old.size())) == 0) && ::fsync(fd) == 0;
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
    // Read as well as written: the old contents are kept to undo a failed write.
    const int fd = ::open(target.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0)
        return fail(r, "cannot open", target, errno);
    std::vector<std::uint8_t> old;
    std::size_t touched = 0;
    int err = 0;
    if (!readAll(fd, &old, &err)) {
        fail(r, "cannot read", target, err);
    } else if (!writeAll(fd, bytes, &touched, &err)) {
        fail(r, "cannot write", target, err);
    } else if (::ftruncate(fd, off_t(bytes.size())) != 0) {
        fail(r, "cannot set the length of", target, errno);
    } else if (::fsync(fd) != 0) {
        fail(r, "cannot sync", target, errno);
        touched = std::max(bytes.size(), old.size());
    } else {
        r.ok = true;
    }
    if (!r.ok && touched > 0 && !putBack(fd, old, touched))
        r.error += "; the old contents could not be put back";
    if (::close(fd) != 0 && r.ok)
        fail(r, "cannot close", target, errno);
    return r;
}

} // namespace

SafeWriteResult replaceFileSafely(const std::string& path, std::span<const std::uint8_t> bytes)
{
    const std::string target = finalTarget(path);
    const std::string folder = folderOf(target);
    struct stat old;
    const bool existed = ::stat(target.c_str(), &old) == 0;
    SafeWriteResult r;
    // A link to a device or a folder is never replaced by a plain file.
    if (existed && !S_ISREG(old.st_mode)) {
        r.reason = "it is not a plain file";
        r.error = target + " is not a plain file";
        return r;
    }

    std::string temp = target + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) {
        const int err = errno;
        if (existed && (err == EACCES || err == EPERM))
            return writeInPlace(target, bytes);
        return fail(r, "cannot create a file in", folder, err);
    }

    std::size_t written = 0;
    int err = 0;
    // mkostemp makes the file 0600; the new file keeps the old file's mode
    // (and owner, when the process may give it away).
    const mode_t mode = existed ? (old.st_mode & 07777) : mode_t(0666 & ~currentUmask());
    if (existed && (old.st_uid != ::geteuid() || old.st_gid != ::getegid()) &&
        ::fchown(fd, old.st_uid, old.st_gid) != 0) {
        // Only a privileged process may give a file away; the new file then stays ours.
    }
    r.ok = true;
    if (::fchmod(fd, mode) != 0)
        fail(r, "cannot set the permissions of", temp, errno);
    else if (!writeAll(fd, bytes, &written, &err))
        fail(r, "cannot write", temp, err);
    else if (::fsync(fd) != 0)
        fail(r, "cannot sync", temp, errno);
    if (::close(fd) != 0 && r.ok)
        fail(r, "cannot close", temp, errno);
    if (r.ok && ::rename(temp.c_str(), target.c_str()) != 0)
        fail(r, "cannot replace", target, errno);
    // The folder is not synced after the rename: a crash then leaves the old
    // file or the new one, both whole.
    if (!r.ok)
        ::unlink(temp.c_str());
    return r;
}

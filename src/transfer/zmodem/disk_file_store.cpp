#include "disk_file_store.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <vector>

namespace quillmar::zmodem {
namespace {

    std::string systemError(const std::string& what, const std::string& path)
    {
        return what + " " + path + ": " + std::strerror(errno);
    }

    // The process's file-creation mask, read without changing it where the kernel tells it.
    mode_t currentUmask()
    {
        if (FILE* status = std::fopen("/proc/self/status", "r")) {
            char line[256];
            unsigned mask = 0;
            bool found = false;
            while (!found && std::fgets(line, sizeof line, status))
                found = std::sscanf(line, "Umask: %o", &mask) == 1;
            std::fclose(status);
            if (found)
                return static_cast<mode_t>(mask);
        }
        const mode_t mask = ::umask(022);
        ::umask(mask);
        return mask;
    }

    // Owns a descriptor opened for reading.
    class DiskSourceFile : public SourceFile {
    public:
        DiskSourceFile(int fd, const struct stat& info)
            : fd_(fd)
            , info_(info)
        {
        }
        ~DiskSourceFile() override { ::close(fd_); }
        std::uint64_t size() const override { return static_cast<std::uint64_t>(info_.st_size); }
        std::uint32_t modifiedTime() const override { return static_cast<std::uint32_t>(info_.st_mtime); }
        std::uint32_t mode() const override { return static_cast<std::uint32_t>(info_.st_mode); }
        long read(std::uint64_t offset, std::uint8_t* data, std::size_t size) override
        {
            for (;;) {
                const ssize_t count = ::pread(fd_, data, size, static_cast<off_t>(offset));
                if (count >= 0 || errno != EINTR)
                    return static_cast<long>(count);
            }
        }

    private:
        int fd_;
        struct stat info_;
    };

    // Owns the descriptor of a temporary file; collects writes so small subpackets cost no system call each.
    class DiskTargetFile : public TargetFile {
    public:
        DiskTargetFile(int fd, std::string path)
            : fd_(fd)
            , path_(std::move(path))
        {
            pending_.reserve(kBufferSize);
        }
        ~DiskTargetFile() override
        {
            if (fd_ >= 0)
                ::close(fd_);
        }
        const std::string& path() const override { return path_; }
        bool write(const std::uint8_t* data, std::size_t size) override
        {
            if (pending_.size() + size > kBufferSize && !flush())
                return false;
            if (size >= kBufferSize)
                return writeAll(data, size);
            pending_.insert(pending_.end(), data, data + size);
            return true;
        }
        bool close() override
        {
            const bool flushed = flush();
            const int fd = fd_;
            fd_ = -1;
            return flushed && fd >= 0 && ::close(fd) == 0;
        }

    private:
        static constexpr std::size_t kBufferSize = 256 * 1024;

        bool flush()
        {
            const bool ok = writeAll(pending_.data(), pending_.size());
            pending_.clear();
            return ok;
        }
        bool writeAll(const std::uint8_t* data, std::size_t size)
        {
            while (size > 0) {
                const ssize_t count = ::write(fd_, data, size);
                if (count < 0 && errno == EINTR)
                    continue;
                if (count <= 0)
                    return false;
                data += count;
                size -= static_cast<std::size_t>(count);
            }
            return true;
        }

        int fd_;
        std::string path_;
        std::vector<std::uint8_t> pending_;
    };

} // namespace

DiskFileStore::DiskFileStore(std::string home)
    : home_(std::move(home))
{
    if (home_.empty()) {
        const char* env = std::getenv("HOME");
        home_ = env && *env ? env : ".";
    }
}

std::unique_ptr<SourceFile> DiskFileStore::openForReading(const std::string& path, std::string& error)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = systemError("cannot open", path);
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "not a regular file: " + path;
        ::close(fd);
        return nullptr;
    }
    return std::make_unique<DiskSourceFile>(fd, info);
}

std::string DiskFileStore::resolveDirectory(const std::string& directory) const
{
    return directory.empty() ? home_ : directory;
}

std::unique_ptr<TargetFile> DiskFileStore::createTemporary(const std::string& directory, std::string& error)
{
    std::string pattern = joinPath(directory, ".zmodem-XXXXXX.part");
    const int fd = ::mkstemps(pattern.data(), 5);
    if (fd < 0) {
        error = systemError("cannot write in", directory);
        return nullptr;
    }
    // mkstemps made it 0600; a received file gets what any new file of the operator's gets.
    ::fchmod(fd, 0666 & ~currentUmask());
    return std::make_unique<DiskTargetFile>(fd, pattern);
}

std::optional<std::uint64_t> DiskFileStore::freeSpace(const std::string& directory) const
{
    struct statvfs info {};
    if (::statvfs(directory.c_str(), &info) != 0)
        return std::nullopt;
    return std::uint64_t(info.f_bavail) * std::uint64_t(info.f_frsize);
}

bool DiskFileStore::exists(const std::string& path) const
{
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

bool DiskFileStore::renameNoReplace(const std::string& from, const std::string& to, std::string& error)
{
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS) {
        // Filesystems without the no-replace rename (some network mounts): a hard link refuses
        // an existing name just the same.
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            return true;
        }
    }
    error = systemError("cannot rename to", to);
    return false;
}

void DiskFileStore::remove(const std::string& path)
{
    ::unlink(path.c_str());
}

} // namespace quillmar::zmodem

#include "memory_file_store.h"

#include <algorithm>
#include <cstring>

namespace quillmar::zmodem {

namespace {

    std::string parentOf(const std::string& path)
    {
        const auto slash = path.find_last_of('/');
        if (slash == std::string::npos)
            return ".";
        return slash == 0 ? "/" : path.substr(0, slash);
    }

    // Reads a copy taken when the file was opened, as a real file would not change under us either.
    class MemorySourceFile : public SourceFile {
    public:
        explicit MemorySourceFile(MemoryFileStore::Bytes content)
            : content_(std::move(content))
        {
        }
        std::uint64_t size() const override { return content_.size(); }
        long read(std::uint64_t offset, std::uint8_t* data, std::size_t size) override
        {
            if (offset > content_.size())
                return -1;
            const std::size_t count = std::min<std::size_t>(size, content_.size() - offset);
            if (count > 0)
                std::memcpy(data, content_.data() + offset, count);
            return static_cast<long>(count);
        }

    private:
        MemoryFileStore::Bytes content_;
    };

} // namespace

// Appends straight into the store, so a test sees the temporary file while it grows.
class MemoryTargetFile : public TargetFile {
public:
    MemoryTargetFile(MemoryFileStore& store, std::string path)
        : store_(store)
        , path_(std::move(path))
    {
    }
    const std::string& path() const override { return path_; }
    bool write(const std::uint8_t* data, std::size_t size) override
    {
        auto found = store_.files_.find(path_);
        if (found == store_.files_.end())
            return false;
        if (found->second.size() + size > store_.writeLimit_)
            return false;
        found->second.insert(found->second.end(), data, data + size);
        return true;
    }
    bool close() override { return store_.files_.count(path_) == 1; }

private:
    MemoryFileStore& store_;
    std::string path_;
};

void MemoryFileStore::addDirectory(const std::string& path, bool writable)
{
    directories_[path] = writable;
}

void MemoryFileStore::putFile(const std::string& path, Bytes content)
{
    files_[path] = std::move(content);
}

const MemoryFileStore::Bytes* MemoryFileStore::file(const std::string& path) const
{
    auto found = files_.find(path);
    return found == files_.end() ? nullptr : &found->second;
}

std::unique_ptr<SourceFile> MemoryFileStore::openForReading(const std::string& path, std::string& error)
{
    auto found = files_.find(path);
    if (found == files_.end() || unreadable_.count(path)) {
        error = "cannot read " + path;
        return nullptr;
    }
    return std::make_unique<MemorySourceFile>(found->second);
}

std::string MemoryFileStore::resolveDirectory(const std::string& directory) const
{
    return directory.empty() ? home_ : directory;
}

std::unique_ptr<TargetFile> MemoryFileStore::createTemporary(const std::string& directory, std::string& error)
{
    auto found = directories_.find(directory);
    if (found == directories_.end() || !found->second) {
        error = "cannot write in " + directory;
        return nullptr;
    }
    const std::string path = joinPath(directory, ".zmodem-" + std::to_string(++temporaryCount_) + ".part");
    files_[path] = {};
    return std::make_unique<MemoryTargetFile>(*this, path);
}

bool MemoryFileStore::exists(const std::string& path) const
{
    return files_.count(path) == 1 || directories_.count(path) == 1;
}

bool MemoryFileStore::renameNoReplace(const std::string& from, const std::string& to, std::string& error)
{
    auto found = files_.find(from);
    if (found == files_.end() || exists(to) || directories_.count(parentOf(to)) == 0) {
        error = "cannot rename " + from + " to " + to;
        return false;
    }
    files_[to] = std::move(found->second);
    files_.erase(from);
    return true;
}

void MemoryFileStore::remove(const std::string& path)
{
    files_.erase(path);
}

} // namespace quillmar::zmodem

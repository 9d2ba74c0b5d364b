// An in-memory FileStore: tests run transfers without touching the disk.
#pragma once

#include <map>
#include <set>
#include <vector>

#include "file_store.h"

namespace quillmar::zmodem {

// Files are byte vectors keyed by path; directories must be added before they receive files.
class MemoryFileStore : public FileStore {
public:
    using Bytes = std::vector<std::uint8_t>;

    void addDirectory(const std::string& path, bool writable = true);
    void putFile(const std::string& path, Bytes content);
    void makeUnreadable(const std::string& path) { unreadable_.insert(path); }
    // Writes fail once this many bytes are stored in one temporary file (a full disk).
    void setWriteLimit(std::size_t bytes) { writeLimit_ = bytes; }
    void setHome(const std::string& path) { home_ = path; }
    // What freeSpace() reports for every directory; unknown unless set.
    void setFreeSpace(std::optional<std::uint64_t> bytes) { freeSpace_ = bytes; }

    const std::map<std::string, Bytes>& files() const { return files_; }
    const Bytes* file(const std::string& path) const;

    std::unique_ptr<SourceFile> openForReading(const std::string& path, std::string& error) override;
    std::string resolveDirectory(const std::string& directory) const override;
    std::unique_ptr<TargetFile> createTemporary(const std::string& directory, std::string& error) override;
    std::optional<std::uint64_t> freeSpace(const std::string&) const override { return freeSpace_; }
    bool exists(const std::string& path) const override;
    bool renameNoReplace(const std::string& from, const std::string& to, std::string& error) override;
    void remove(const std::string& path) override;

private:
    friend class MemoryTargetFile;

    std::map<std::string, Bytes> files_;
    std::map<std::string, bool> directories_;
    std::set<std::string> unreadable_;
    std::size_t writeLimit_ = SIZE_MAX;
    std::optional<std::uint64_t> freeSpace_;
    std::string home_ = "/home/operator";
    int temporaryCount_ = 0;
};

} // namespace quillmar::zmodem

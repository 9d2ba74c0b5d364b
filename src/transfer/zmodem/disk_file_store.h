// The FileStore on the real filesystem, with POSIX calls.
#pragma once

#include "file_store.h"

namespace quillmar::zmodem {

// Received files go under `home` when the receive directory is left empty.
class DiskFileStore : public FileStore {
public:
    // An empty home means the HOME environment variable.
    explicit DiskFileStore(std::string home = {});

    std::unique_ptr<SourceFile> openForReading(const std::string& path, std::string& error) override;
    std::string resolveDirectory(const std::string& directory) const override;
    std::unique_ptr<TargetFile> createTemporary(const std::string& directory, std::string& error) override;
    std::optional<std::uint64_t> freeSpace(const std::string& directory) const override;
    bool exists(const std::string& path) const override;
    bool renameNoReplace(const std::string& from, const std::string& to, std::string& error) override;
    void remove(const std::string& path) override;

private:
    std::string home_;
};

} // namespace quillmar::zmodem

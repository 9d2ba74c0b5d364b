// The file operations the engine needs, so it runs on disk or, in tests, in memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace quillmar::zmodem {

// A file being sent: its size and positional reads.
class SourceFile {
public:
    virtual ~SourceFile() = default;
    virtual std::uint64_t size() const = 0;
    virtual std::uint32_t modifiedTime() const { return 0; } // seconds since 1970, 0 when unknown
    virtual std::uint32_t mode() const { return 0100644; }
    // Reads up to `size` bytes at `offset`; returns the count, or -1 on error.
    virtual long read(std::uint64_t offset, std::uint8_t* data, std::size_t size) = 0;
};

// A file being received under a temporary name in the receive directory.
class TargetFile {
public:
    virtual ~TargetFile() = default;
    virtual const std::string& path() const = 0;
    virtual bool write(const std::uint8_t* data, std::size_t size) = 0;
    // Flushes and closes; false when the data may not all be on disk.
    virtual bool close() = 0;
};

// Opens, creates, renames and removes files for the engine.
class FileStore {
public:
    virtual ~FileStore() = default;

    virtual std::unique_ptr<SourceFile> openForReading(const std::string& path, std::string& error) = 0;

    // The directory received files go to; an empty name stands for the operator's home directory.
    virtual std::string resolveDirectory(const std::string& directory) const = 0;
    // Created with the mode a new file of the operator's gets, never the sender's.
    virtual std::unique_ptr<TargetFile> createTemporary(const std::string& directory, std::string& error) = 0;
    // Bytes a new file in `directory` may take; empty when that cannot be told.
    virtual std::optional<std::uint64_t> freeSpace(const std::string& directory) const = 0;
    virtual bool exists(const std::string& path) const = 0;
    // Gives `from` the name `to`; fails rather than replace an existing `to`.
    virtual bool renameNoReplace(const std::string& from, const std::string& to, std::string& error) = 0;
    virtual void remove(const std::string& path) = 0;
};

// The last component of a path, for the name announced when sending.
std::string baseName(const std::string& path);
std::string joinPath(const std::string& directory, const std::string& name);

} // namespace quillmar::zmodem

#pragma once
// Replacing a file's contents so that a failure at any point leaves the old
// contents as they were: the new bytes go to a temporary file in the same
// folder, are synced to disk and renamed over the old file.

#include <cstdint>
#include <span>
#include <string>

struct SafeWriteResult {
    bool ok = false;
    bool inPlace = false; // the folder took no new file: the file was overwritten where it is
    std::string error;    // what failed and where, for the trace
    std::string reason; // the system's words for the error met ("No space left on device"), for the operator
};

// `path` may be a symbolic link: its final target is replaced and the link
// stays. The permission bits of an existing file are kept (and its owner,
// where the process may give it). Where the folder cannot take a new file but
// the file itself is writable, the file is overwritten in place: without
// being emptied first, then cut to the new length and synced; if that write
// fails, the bytes it covered are put back and the old length restored.
// Anything but a plain file (a device, a folder) is left alone.
SafeWriteResult replaceFileSafely(const std::string& path, std::span<const std::uint8_t> bytes);

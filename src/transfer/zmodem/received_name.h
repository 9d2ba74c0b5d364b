// Turns the name a sender announces into a safe, new file name inside the receive directory.
#pragma once

#include <optional>
#include <string>

namespace quillmar::zmodem {

class FileStore;

inline constexpr const char* kFallbackName = "received-file";
inline constexpr std::size_t kMaxNameBytes = 200; // leaves room for ".NNNN" under the usual 255

// A plain name: last path component (either slash), no control bytes, no leading dots (so
// nothing lands as "..", "." or a hidden start-up file in a home directory), at most
// kMaxNameBytes, never empty.
std::string plainReceivedName(const std::string& announced);

// The first of dir/name, dir/name.1, dir/name.2 ... that does not exist; none after name.9999.
std::optional<std::string> unusedPath(const FileStore& files, const std::string& directory,
                                      const std::string& name);

} // namespace quillmar::zmodem

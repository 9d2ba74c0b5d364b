#pragma once
// The file that gets every byte the client sends, raw, as soon as it arrives (tests wait on it).

#include "unique_fd.h"

#include <string>
#include <string_view>

namespace tncsim {

class Transcript {
public:
    Transcript() = default;
    // Opens `path` for appending; throws if it cannot.
    explicit Transcript(const std::string& path);

    // Writes the bytes through at once. After a write error it says so once and records no more.
    void record(std::string_view bytes);

private:
    UniqueFd file_;
    std::string path_;
};

} // namespace tncsim

#include "received_name.h"

#include "file_store.h"

namespace quillmar::zmodem {

std::string plainReceivedName(const std::string& announced)
{
    const auto separator = announced.find_last_of("/\\");
    const std::string last = separator == std::string::npos ? announced : announced.substr(separator + 1);
    std::string name;
    for (unsigned char c : last) {
        if (c < 0x20 || c == 0x7F)
            continue;
        if (name.empty() && c == '.')
            continue;
        name.push_back(static_cast<char>(c));
    }
    if (name.size() > kMaxNameBytes) {
        name.resize(kMaxNameBytes);
        // Do not leave half of a multi-byte UTF-8 character at the cut.
        while (!name.empty() && (static_cast<unsigned char>(name.back()) & 0xC0) == 0x80)
            name.pop_back();
        if (!name.empty() && static_cast<unsigned char>(name.back()) >= 0xC0)
            name.pop_back();
    }
    return name.empty() ? kFallbackName : name;
}

std::optional<std::string> unusedPath(const FileStore& files, const std::string& directory,
                                      const std::string& name)
{
    std::string path = joinPath(directory, name);
    for (int suffix = 1; files.exists(path); ++suffix) {
        if (suffix > 9999)
            return std::nullopt;
        path = joinPath(directory, name + "." + std::to_string(suffix));
    }
    return path;
}

} // namespace quillmar::zmodem

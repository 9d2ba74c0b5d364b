#include "file_store.h"

namespace quillmar::zmodem {

std::string baseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string joinPath(const std::string& directory, const std::string& name)
{
    if (directory.empty() || directory.back() == '/')
        return directory + name;
    return directory + "/" + name;
}

} // namespace quillmar::zmodem

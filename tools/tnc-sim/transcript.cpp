#include "transcript.h"

#include "system_error.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tncsim {

Transcript::Transcript(const std::string& path)
    : file_(open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644))
    , path_(path)
{
    if (!file_.valid())
        throw systemError("cannot open transcript " + path);
}

void Transcript::record(std::string_view bytes)
{
    while (file_.valid() && !bytes.empty()) {
        const ssize_t written = write(file_.get(), bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            std::fprintf(stderr, "tnc-sim: transcript %s stops here: %s\n", path_.c_str(),
                         std::strerror(errno));
            file_ = UniqueFd();
            return;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace tncsim

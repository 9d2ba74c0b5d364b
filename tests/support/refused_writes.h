#pragma once
// Writes refused as a full disk or a locked folder refuses them. Root passes
// every permission check, so under root the process acts as "nobody" while a
// RefusedWrites lives; a size limit (RLIMIT_FSIZE, SIGXFSZ ignored) makes any
// write past `limit` bytes of a file fail with EFBIG. Both are lifted again.

#include <QFile>
#include <QString>

#include <csignal>
#include <sys/resource.h>
#include <unistd.h>

constexpr uid_t NobodyId = 65534;

struct RefusedWrites {
    explicit RefusedWrites(rlim_t limit = 0)
        : root(::geteuid() == 0)
    {
        ::getrlimit(RLIMIT_FSIZE, &old);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit lower{limit, old.rlim_max};
        if ((limit && ::setrlimit(RLIMIT_FSIZE, &lower) != 0) ||
            (root && (::setegid(NobodyId) != 0 || ::seteuid(NobodyId) != 0)))
            qFatal("cannot restrict the writer");
    }
    ~RefusedWrites()
    {
        if ((root && (::seteuid(0) != 0 || ::setegid(0) != 0)) || ::setrlimit(RLIMIT_FSIZE, &old) != 0)
            qFatal("cannot lift the restriction");
        std::signal(SIGXFSZ, oldHandler);
    }
    RefusedWrites(const RefusedWrites&) = delete;
    RefusedWrites& operator=(const RefusedWrites&) = delete;

    bool root;
    rlimit old{};
    void (*oldHandler)(int) = SIG_DFL;
};

// Makes `path` (not following a link) belong to the user RefusedWrites acts as.
inline void giveToOrdinaryUser(const QString& path)
{
    if (::geteuid() == 0 && ::lchown(QFile::encodeName(path).constData(), NobodyId, NobodyId) != 0)
        qFatal("cannot hand %s to nobody", qPrintable(path));
}

#include "seams.h"

#include <cstdio>
#include <cstdlib>

namespace {
seams::Set installed;

[[noreturn]] void missing(const char* what)
{
    std::fprintf(stderr, "quillmar: no %s installed\n", what);
    std::abort();
}
} // namespace

void seams::install(const Set& set)
{
    installed = set;
}

const seams::Set& seams::current()
{
    return installed;
}

void Pause(int ms)
{
    if (!installed.pause)
        missing("pause");
    installed.pause->pause(ms);
}

UserQuery& Query()
{
    if (!installed.query)
        missing("user query");
    return *installed.query;
}

Sound& SoundOut()
{
    if (!installed.sound)
        missing("sound");
    return *installed.sound;
}

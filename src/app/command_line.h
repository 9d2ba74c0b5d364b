#pragma once
// The options quillmar answers itself, before any window or display exists.

#include <cstdio>
#include <optional>

// --help or --version anywhere on the command line: prints to `out` and gives
// the exit status. Anything else is left to Qt: nullopt. The help names the
// folder of the installed data files.
std::optional<int> answerInformationalOption(int argc, const char* const* argv, const char* dataFolder,
                                             std::FILE* out);

#pragma once
// The simulator's command line.

#include <stdexcept>
#include <string>

namespace tncsim {

struct Options {
    std::string link;
    std::string mycall = "N0CALL";
    std::string transcript;
    int remarkSeconds = 0;
    bool help = false;
    bool version = false;
};

// A mistake on the command line, worded for the operator.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

extern const char* const usageText;

// Reads argv[1..]; throws UsageError on anything it cannot use.
Options parseOptions(int argc, const char* const* argv);

} // namespace tncsim

// quillmar-zmodem: send or receive files with ZModem over standard input and output.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/version.h"
#include "disk_file_store.h"
#include "engine.h"
#include "stdio_link.h"

using namespace quillmar::zmodem;

namespace {

const char usageText[] = "usage: quillmar-zmodem [-v] [-e] send FILE...\n"
                         "       quillmar-zmodem [-v] [-e] receive DIR\n"
                         "       quillmar-zmodem --help | --version\n"
                         "  -v  progress and trace on stderr\n"
                         "  -e  escape all control characters (links that are not 8-bit clean)\n"
                         "exit status 0 when every file went across; 1 when one was refused or the\n"
                         "transfer failed\n";

// A wrong command line: the usage goes with the error, to standard error.
int usage()
{
    std::fputs(usageText, stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    Config config;
    bool verbose = false;
    int arg = 1;
    if (argc > 1 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usageText, stdout);
        return 0;
    }
    if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
        std::printf("quillmar-zmodem %s\n", QuillmarVersion);
        return 0;
    }
    for (; arg < argc && argv[arg][0] == '-'; ++arg) {
        if (std::strcmp(argv[arg], "-v") == 0)
            verbose = true;
        else if (std::strcmp(argv[arg], "-e") == 0)
            config.escapeControl = true;
        else
            return usage();
    }
    if (arg + 1 >= argc)
        return usage();
    const std::string command = argv[arg++];
    std::vector<std::string> operands(argv + arg, argv + argc);
    config.trace = verbose;

    DiskFileStore files;
    BufferedSink sink;
    ConsoleListener listener(verbose);
    if (command == "receive") {
        if (operands.size() != 1)
            return usage();
        config.receiveDirectory = operands.front();
        Engine engine(sink, files, listener, config);
        engine.tick(monotonicMs());
        engine.receive();
        return runOverStdio(engine, sink, listener) ? 0 : 1;
    }
    if (command == "send") {
        Engine engine(sink, files, listener, config);
        engine.tick(monotonicMs());
        if (!engine.send(operands)) {
            runOverStdio(engine, sink, listener);
            return 1;
        }
        return runOverStdio(engine, sink, listener) ? 0 : 1;
    }
    return usage();
}

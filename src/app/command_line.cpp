#include "command_line.h"

#include "app/version.h"

#include <cstring>

namespace {

const char helpText[] = "Usage: quillmar [OPTION] [Qt option...]\n"
                        "Quillmar EMCOMM/ARES Program: a terminal that drives a TNC on a serial port.\n"
                        "\n"
                        "  --help       print this help and exit\n"
                        "  --version    print the version and exit\n"
                        "\n"
                        "Any other argument goes to Qt, for example -platform offscreen or -display :1.\n"
                        "\n"
                        "The program folder is $QUILLMAR_HOME, or ~/.quillmar/ when that is not set:\n"
                        "  Quillmar.cfg     the settings; kept only when this file exists at start\n"
                        "  COM1 .. COM6     links to serial devices; without one COMn is /dev/ttyS<n-1>\n"
                        "  nrcommlib.log    the serial trace\n"
                        "  ringin.wav, ringout.wav, QuillmarHelp.chm\n"
                        "                   alarm sounds and help; when absent, the installed copies in\n"
                        "                   %s\n";

} // namespace

std::optional<int> answerInformationalOption(int argc, const char* const* argv, const char* dataFolder,
                                             std::FILE* out)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0) {
            std::fprintf(out, helpText, dataFolder);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::fprintf(out, "quillmar %s\n", QuillmarVersion);
            return 0;
        }
    }
    return std::nullopt;
}

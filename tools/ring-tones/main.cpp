// Writes the two alarm sounds, "ringin.wav" and "ringout.wav", into the folder
// given as the only argument: short 16-bit mono PCM rings made from sine tones,
// each shorter than the 450 ms an alarm may play.
//   ring-tones <folder>

#include "tone_writer.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: ring-tones <folder>\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    // Ring-in: a bright trill twice, like a telephone calling.
    const Tones ringIn = {{1000, 1250, 170}, {0, 0, 40}, {1000, 1250, 170}};
    // Ring-out: a falling pair of plain tones.
    const Tones ringOut = {{880, 880, 170}, {0, 0, 40}, {660, 660, 170}};
    for (const auto& [name, tones] : {std::pair{"ringin.wav", ringIn}, std::pair{"ringout.wav", ringOut}}) {
        const std::string path = folder + name;
        if (!writeWaveFile(path, renderTones(tones))) {
            std::perror(path.c_str());
            return 1;
        }
    }
    return 0;
}

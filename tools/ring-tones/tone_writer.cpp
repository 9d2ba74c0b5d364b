#include "tone_writer.h"

#include <algorithm>
#include <cmath>
#include <fstream>

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint16_t v)
{
    out.push_back(std::uint8_t(v & 0xFF));
    out.push_back(std::uint8_t(v >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t v)
{
    put16(out, std::uint16_t(v & 0xFFFF));
    put16(out, std::uint16_t(v >> 16));
}

void putTag(std::vector<std::uint8_t>& out, const char (&tag)[5])
{
    for (int i = 0; i < 4; ++i)
        out.push_back(std::uint8_t(tag[i]));
}

} // namespace

std::vector<std::int16_t> renderTones(const Tones& tones)
{
    constexpr double pi = 3.14159265358979323846;
    constexpr int fade = ToneSampleRate * 5 / 1000;
    constexpr int switchEvery = ToneSampleRate * 25 / 1000;
    std::vector<std::int16_t> samples;
    for (const Tone& tone : tones) {
        const int count = ToneSampleRate * tone.ms / 1000;
        double phase = 0;
        for (int i = 0; i < count; ++i) {
            const int hz = (i / switchEvery) % 2 ? tone.hzB : tone.hzA;
            const double envelope = std::min({1.0, double(i) / fade, double(count - 1 - i) / fade});
            samples.push_back(std::int16_t(std::lround(0.6 * 32767 * envelope * std::sin(phase))));
            // Advancing the phase keeps the wave continuous where the frequency changes.
            phase = std::fmod(phase + 2 * pi * hz / ToneSampleRate, 2 * pi);
        }
    }
    return samples;
}

std::vector<std::uint8_t> waveFileBytes(const std::vector<std::int16_t>& samples)
{
    const auto dataBytes = std::uint32_t(samples.size() * 2);
    std::vector<std::uint8_t> out;
    putTag(out, "RIFF");
    put32(out, 36 + dataBytes);
    putTag(out, "WAVE");
    putTag(out, "fmt ");
    put32(out, 16);
    put16(out, 1); // PCM
    put16(out, 1); // mono
    put32(out, ToneSampleRate);
    put32(out, ToneSampleRate * 2); // bytes per second
    put16(out, 2);                  // bytes per frame
    put16(out, 16);                 // bits per sample
    putTag(out, "data");
    put32(out, dataBytes);
    for (std::int16_t s : samples)
        put16(out, std::uint16_t(s));
    return out;
}

bool writeWaveFile(const std::string& path, const std::vector<std::int16_t>& samples)
{
    const std::vector<std::uint8_t> bytes = waveFileBytes(samples);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    file.close();
    return bool(file);
}

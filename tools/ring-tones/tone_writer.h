#pragma once
// Sine tones rendered into 16-bit mono PCM and written as a RIFF/WAVE file.

#include <cstdint>
#include <string>
#include <vector>

constexpr int ToneSampleRate = 8000;

// A stretch of sound: two frequencies alternating every 25 ms (the same one
// twice for a plain tone; 0 Hz for silence) for `ms` milliseconds.
struct Tone {
    int hzA;
    int hzB;
    int ms;
};
using Tones = std::vector<Tone>;

// The samples of the tones one after the other; each sounding stretch fades
// in and out over 5 ms so it starts and ends without a click.
std::vector<std::int16_t> renderTones(const Tones& tones);

// The 44-byte header and the samples, little-endian.
std::vector<std::uint8_t> waveFileBytes(const std::vector<std::int16_t>& samples);
bool writeWaveFile(const std::string& path, const std::vector<std::int16_t>& samples);

// libFuzzer target: arbitrary bytes as a settings file, read whole and field by field the way the load
// reads it. The decoder must not overrun, and encoding the result must give back every unit that lay
// wholly inside the input and the old value of every unit that did not.
#include "app/settings_codec.h"

#include <cstdlib>
#include <cstring>

namespace {

const ProcessState& startingState()
{
    static const ProcessState s = [] {
        ProcessState p;
        std::vector<std::uint8_t> pattern(SettingsFileSize);
        for (std::size_t i = 0; i < pattern.size(); ++i)
            pattern[i] = std::uint8_t(i * 131 + 7);
        decodeSettings(pattern, p);
        return p;
    }();
    return s;
}

// Length of the prefix of a file of `length` bytes made of whole units.
std::size_t wholeUnits(std::size_t length)
{
    std::size_t covered = 0;
    for (const SettingsFieldLayout& f : SettingsLayout)
        for (int k = 0; k < f.units; ++k) {
            if (covered + std::size_t(settingsUnitSize(f.unit)) > length)
                return covered;
            covered += std::size_t(settingsUnitSize(f.unit));
        }
    return covered;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::vector<std::uint8_t> before = encodeSettings(startingState());
    const std::span<const std::uint8_t> file(data, size);
    ProcessState whole = startingState();
    decodeSettings(file, whole);
    const std::vector<std::uint8_t> after = encodeSettings(whole);
    const std::size_t kept = wholeUnits(size);
    if (after.size() != std::size_t(SettingsFileSize) || std::memcmp(after.data(), data, kept) != 0 ||
        std::memcmp(after.data() + kept, before.data() + kept, after.size() - kept) != 0)
        std::abort();
    // Field by field, as the load reads between its apply steps, gives the same.
    ProcessState stepwise = startingState();
    for (const SettingsFieldLayout& f : SettingsLayout)
        decodeSettings(file, stepwise, f.field);
    if (encodeSettings(stepwise) != after)
        std::abort();
    return 0;
}

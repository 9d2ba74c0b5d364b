#pragma once
// The settings file's byte layout: one table of fields in file order, and the
// encoding of the persisted variables to and from those bytes. No header, no
// checks: 313985 bytes, little-endian, fields back to back. A file moves
// between installations byte for byte, so every byte a field holds (the bytes
// after a text terminator, the reserved font-record bytes) is carried through.

#include "app/state.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// The fields in file order.
enum class SettingsField : int {
    CommPortName,
    SerialParity,
    SerialBaudRate,
    SerialStopBits,
    SerialByteSize,
    SerialStreamProtocol,
    SelectedTnc,
    Stations, // 32 entries: StationNames slot i, then StationPaths slot i
    ScreenMode,
    Functions, // 12 entries: FunctionNames slot i, then FunctionCommands slot i
    TncNames,  // slots 0..7; slot 8 ("None") is not stored
    LegacyInitTable,
    LegacyTermTable,
    NotifyEnabled,
    AlarmSound,
    ResetCommand,
    SendMode,
    ColorScheme,
    TransmitFontWhite,
    TransmitFontBlack,
    ReceiveFontWhite,
    ReceiveFontBlack,
    ZModemEnabled,
    ZModemConverse,
    ZModemReceiveDir,
    ZModemConnectCommand,
    BroadcastText,
    BroadcastInterval,
    BroadcastTimerValue,
    TncInitCommands, // sets 0..7; set 8 (None) is not stored
    TncTermCommands,
    CommPortSelected,
};

// A field is a run of units of one kind. A unit is read only when it lies
// wholly inside the file; one cut by the end keeps the value it had.
enum class SettingsUnit : std::uint8_t { PortName, Int, Byte, Slot, Font };

constexpr int settingsUnitSize(SettingsUnit unit)
{
    switch (unit) {
    case SettingsUnit::PortName: return 4;
    case SettingsUnit::Int: return 4;
    case SettingsUnit::Byte: return 1;
    case SettingsUnit::Slot: return 256;
    case SettingsUnit::Font: return 272;
    }
    return 0;
}

struct SettingsFieldLayout {
    SettingsField field;
    const char* name;
    SettingsUnit unit;
    int units;
    int offset = 0; // filled in from the sizes of the fields before it

    constexpr int size() const { return units * settingsUnitSize(unit); }
    constexpr int end() const { return offset + size(); }
};

namespace settings_detail {

constexpr int SetSlots = 33; // a set of command lines: lines 1..32 and one unused slot

constexpr std::array<SettingsFieldLayout, 32> withOffsets(std::array<SettingsFieldLayout, 32> fields)
{
    int offset = 0;
    for (SettingsFieldLayout& f : fields) {
        f.offset = offset;
        offset += f.size();
    }
    return fields;
}

} // namespace settings_detail

inline constexpr std::array<SettingsFieldLayout, 32> SettingsLayout = settings_detail::withOffsets({{
    {SettingsField::CommPortName, "CommPortName", SettingsUnit::PortName, 1},
    {SettingsField::SerialParity, "SerialParity", SettingsUnit::Int, 1},
    {SettingsField::SerialBaudRate, "SerialBaudRate", SettingsUnit::Int, 1},
    {SettingsField::SerialStopBits, "SerialStopBits", SettingsUnit::Int, 1},
    {SettingsField::SerialByteSize, "SerialByteSize", SettingsUnit::Int, 1},
    {SettingsField::SerialStreamProtocol, "SerialStreamProtocol", SettingsUnit::Int, 1},
    {SettingsField::SelectedTnc, "SelectedTnc", SettingsUnit::Int, 1},
    {SettingsField::Stations, "stations", SettingsUnit::Slot, 2 * 32},
    {SettingsField::ScreenMode, "ScreenMode", SettingsUnit::Int, 1},
    {SettingsField::Functions, "functions", SettingsUnit::Slot, 2 * 12},
    {SettingsField::TncNames, "TncNames", SettingsUnit::Slot, 8},
    {SettingsField::LegacyInitTable, "LegacyInitTable", SettingsUnit::Slot, 9 * settings_detail::SetSlots},
    {SettingsField::LegacyTermTable, "LegacyTermTable", SettingsUnit::Slot, 9 * settings_detail::SetSlots},
    {SettingsField::NotifyEnabled, "NotifyEnabled", SettingsUnit::Int, 1},
    {SettingsField::AlarmSound, "AlarmSound", SettingsUnit::Int, 1},
    {SettingsField::ResetCommand, "ResetCommand", SettingsUnit::Slot, 1},
    {SettingsField::SendMode, "SendMode", SettingsUnit::Int, 1},
    {SettingsField::ColorScheme, "ColorScheme", SettingsUnit::Int, 1},
    {SettingsField::TransmitFontWhite, "TransmitFontWhite", SettingsUnit::Font, 1},
    {SettingsField::TransmitFontBlack, "TransmitFontBlack", SettingsUnit::Font, 1},
    {SettingsField::ReceiveFontWhite, "ReceiveFontWhite", SettingsUnit::Font, 1},
    {SettingsField::ReceiveFontBlack, "ReceiveFontBlack", SettingsUnit::Font, 1},
    {SettingsField::ZModemEnabled, "ZModemEnabled", SettingsUnit::Byte, 1},
    {SettingsField::ZModemConverse, "ZModemConverse", SettingsUnit::Int, 1},
    {SettingsField::ZModemReceiveDir, "ZModemReceiveDir", SettingsUnit::Slot, 1},
    {SettingsField::ZModemConnectCommand, "ZModemConnectCommand", SettingsUnit::Slot, 1},
    {SettingsField::BroadcastText, "BroadcastText", SettingsUnit::Slot, 1},
    {SettingsField::BroadcastInterval, "BroadcastInterval", SettingsUnit::Int, 1},
    {SettingsField::BroadcastTimerValue, "BroadcastTimerValue", SettingsUnit::Int, 1},
    {SettingsField::TncInitCommands, "TncInitCommands", SettingsUnit::Slot, 8 * settings_detail::SetSlots},
    {SettingsField::TncTermCommands, "TncTermCommands", SettingsUnit::Slot, 8 * settings_detail::SetSlots},
    {SettingsField::CommPortSelected, "CommPortSelected", SettingsUnit::Int, 1},
}});

constexpr const SettingsFieldLayout& settingsFieldLayout(SettingsField field)
{
    return SettingsLayout[static_cast<std::size_t>(field)];
}

inline constexpr int SettingsFileSize = SettingsLayout.back().end();
static_assert(SettingsFileSize == 313985);
static_assert(settingsFieldLayout(SettingsField::ScreenMode).offset == 16412);
static_assert(settingsFieldLayout(SettingsField::ZModemEnabled).offset == 178032);
static_assert(settingsFieldLayout(SettingsField::TncInitCommands).offset == 178813);

// The whole file from the persisted variables of `state`.
std::vector<std::uint8_t> encodeSettings(const ProcessState& state);

// Reads the fields `first` to `last` (in file order) from `file` into
// `state`. Only units that lie wholly inside `file` are read; the others,
// and every byte beyond 313985, leave `state` as it was.
void decodeSettings(std::span<const std::uint8_t> file, ProcessState& state, SettingsField first,
                    SettingsField last);
inline void decodeSettings(std::span<const std::uint8_t> file, ProcessState& state, SettingsField field)
{
    decodeSettings(file, state, field, field);
}
inline void decodeSettings(std::span<const std::uint8_t> file, ProcessState& state)
{
    decodeSettings(file, state, SettingsLayout.front().field, SettingsLayout.back().field);
}

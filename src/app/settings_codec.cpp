#include "settings_codec.h"

#include <cstring>

namespace {

using Byte = std::uint8_t;

void putInt(Byte* out, std::int32_t value)
{
    const auto v = static_cast<std::uint32_t>(value);
    out[0] = Byte(v);
    out[1] = Byte(v >> 8);
    out[2] = Byte(v >> 16);
    out[3] = Byte(v >> 24);
}

std::int32_t getInt(const Byte* in)
{
    const std::uint32_t v = std::uint32_t(in[0]) | std::uint32_t(in[1]) << 8 | std::uint32_t(in[2]) << 16 |
        std::uint32_t(in[3]) << 24;
    return static_cast<std::int32_t>(v);
}

// Where one unit of a field lives among the variables. Exactly one member is
// set, matching the field's unit kind.
struct UnitRef {
    char* raw = nullptr; // port name (4 bytes) or text slot (256 bytes)
    std::int32_t* number = nullptr;
    std::uint8_t* byte = nullptr;
    ScreenFontRecord* font = nullptr;
};

UnitRef slot(TextSlot& s)
{
    return {.raw = s.bytes};
}

// Slot k of a table of command sets, counted across the sets.
UnitRef setSlot(CommandSet* sets, int k)
{
    return slot(sets[k / 33][k % 33]);
}

UnitRef unitOf(ProcessState& s, SettingsField field, int k)
{
    switch (field) {
    case SettingsField::CommPortName: return {.raw = s.CommPortName};
    case SettingsField::SerialParity: return {.number = &s.SerialParity};
    case SettingsField::SerialBaudRate: return {.number = &s.SerialBaudRate};
    case SettingsField::SerialStopBits: return {.number = &s.SerialStopBits};
    case SettingsField::SerialByteSize: return {.number = &s.SerialByteSize};
    case SettingsField::SerialStreamProtocol: return {.number = &s.SerialStreamProtocol};
    case SettingsField::SelectedTnc: return {.number = &s.SelectedTnc};
    case SettingsField::Stations: return slot(k % 2 ? s.StationPaths[k / 2] : s.StationNames[k / 2]);
    case SettingsField::ScreenMode: return {.number = &s.ScreenMode};
    case SettingsField::Functions: return slot(k % 2 ? s.FunctionCommands[k / 2] : s.FunctionNames[k / 2]);
    case SettingsField::TncNames: return slot(s.TncNames[k]);
    case SettingsField::LegacyInitTable: return setSlot(s.LegacyInitTable, k);
    case SettingsField::LegacyTermTable: return setSlot(s.LegacyTermTable, k);
    case SettingsField::NotifyEnabled: return {.number = &s.NotifyEnabled};
    case SettingsField::AlarmSound: return {.number = &s.AlarmSound};
    case SettingsField::ResetCommand: return slot(s.ResetCommand);
    case SettingsField::SendMode: return {.number = &s.SendMode};
    case SettingsField::ColorScheme: return {.number = &s.ColorScheme};
    case SettingsField::TransmitFontWhite: return {.font = &s.TransmitFontWhite};
    case SettingsField::TransmitFontBlack: return {.font = &s.TransmitFontBlack};
    case SettingsField::ReceiveFontWhite: return {.font = &s.ReceiveFontWhite};
    case SettingsField::ReceiveFontBlack: return {.font = &s.ReceiveFontBlack};
    case SettingsField::ZModemEnabled: return {.byte = &s.ZModemEnabled};
    case SettingsField::ZModemConverse: return {.number = &s.ZModemConverse};
    case SettingsField::ZModemReceiveDir: return slot(s.ZModemReceiveDir);
    case SettingsField::ZModemConnectCommand: return slot(s.ZModemConnectCommand);
    case SettingsField::BroadcastText: return slot(s.BroadcastText);
    case SettingsField::BroadcastInterval: return {.number = &s.BroadcastInterval};
    case SettingsField::BroadcastTimerValue: return {.number = &s.BroadcastTimerValue};
    case SettingsField::TncInitCommands: return setSlot(s.TncInitCommands, k);
    case SettingsField::TncTermCommands: return setSlot(s.TncTermCommands, k);
    case SettingsField::CommPortSelected: return {.number = &s.CommPortSelected};
    }
    return {};
}

// The font record with its field offsets: name, size, colour, style, pitch,
// the two reserved bytes, height.
void putFont(Byte* out, const ScreenFontRecord& f)
{
    std::memcpy(out, f.Name.bytes, TextSlot::Size);
    putInt(out + 256, f.Size);
    putInt(out + 260, f.Color);
    out[264] = f.Style;
    out[265] = f.Pitch;
    out[266] = f.Reserved[0];
    out[267] = f.Reserved[1];
    putInt(out + 268, f.Height);
}

void getFont(const Byte* in, ScreenFontRecord& f)
{
    std::memcpy(f.Name.bytes, in, TextSlot::Size);
    f.Size = getInt(in + 256);
    f.Color = getInt(in + 260);
    f.Style = in[264];
    f.Pitch = in[265];
    f.Reserved[0] = in[266];
    f.Reserved[1] = in[267];
    f.Height = getInt(in + 268);
}

void putUnit(Byte* out, SettingsUnit kind, const UnitRef& u)
{
    switch (kind) {
    case SettingsUnit::PortName:
    case SettingsUnit::Slot: std::memcpy(out, u.raw, std::size_t(settingsUnitSize(kind))); break;
    case SettingsUnit::Int: putInt(out, *u.number); break;
    case SettingsUnit::Byte: *out = *u.byte; break;
    case SettingsUnit::Font: putFont(out, *u.font); break;
    }
}

void getUnit(const Byte* in, SettingsUnit kind, const UnitRef& u)
{
    switch (kind) {
    case SettingsUnit::PortName:
    case SettingsUnit::Slot: std::memcpy(u.raw, in, std::size_t(settingsUnitSize(kind))); break;
    case SettingsUnit::Int: *u.number = getInt(in); break;
    case SettingsUnit::Byte: *u.byte = *in; break;
    case SettingsUnit::Font: getFont(in, *u.font); break;
    }
}

} // namespace

std::vector<std::uint8_t> encodeSettings(const ProcessState& state)
{
    std::vector<std::uint8_t> file(SettingsFileSize);
    // unitOf hands out writable references; encoding only reads through them.
    auto& s = const_cast<ProcessState&>(state);
    for (const SettingsFieldLayout& f : SettingsLayout) {
        const int size = settingsUnitSize(f.unit);
        for (int k = 0; k < f.units; ++k)
            putUnit(file.data() + f.offset + k * size, f.unit, unitOf(s, f.field, k));
    }
    return file;
}

void decodeSettings(std::span<const std::uint8_t> file, ProcessState& state, SettingsField first,
                    SettingsField last)
{
    const std::size_t available = file.size();
    for (int i = static_cast<int>(first); i <= static_cast<int>(last); ++i) {
        const SettingsFieldLayout& f = SettingsLayout[std::size_t(i)];
        const int size = settingsUnitSize(f.unit);
        for (int k = 0; k < f.units; ++k) {
            const std::size_t at = std::size_t(f.offset + k * size);
            if (at + std::size_t(size) > available)
                return; // this unit is cut, and every later one lies further out
            getUnit(file.data() + at, f.unit, unitOf(state, f.field, k));
        }
    }
}

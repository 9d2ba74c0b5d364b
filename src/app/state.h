#pragma once
// Every value that outlives one event handler, under its own name. The
// initializers are the values of a freshly started process: the main window's
// creation step then gives the working defaults, the settings file the stored
// ones. A test restores a fresh process with `G = ProcessState{}`.

#include "text_slot.h"

#include <QByteArray>

#include <cstdint>
#include <cstdio>
#include <termios.h>

// The stored font of one screen in one colour scheme: 272 bytes, kept whole in
// the settings file, the two reserved bytes included.
struct ScreenFontRecord {
    TextSlot Name;
    std::int32_t Size = 0;
    std::int32_t Color = 0; // 0x00BBGGRR, or 0xFF000000 + system colour index
    std::uint8_t Style = 0; // bit 0 bold, 1 italic, 2 underline, 3 strike-out
    std::uint8_t Pitch = 0; // 0 default, 1 variable, 2 fixed
    std::uint8_t Reserved[2] = {};
    std::int32_t Height = 0; // pixels; negative: without internal leading
};
static_assert(sizeof(ScreenFontRecord) == 272);

// Slots 0..31 hold command lines 1..32; slot 32 is stored but never a line.
using CommandSet = TextSlot[33];

// Named values of the integer codes below. The stored and sent numbers are
// these; a test that checks a file or a transcript keeps the raw numbers.
constexpr std::int32_t NoCommPort = 0;       // CommPortNumber, CommPortSelected
constexpr std::int32_t NoTnc = 8;            // SelectedTnc: 0..7 are TNC1..TNC8
constexpr std::int32_t ScreenModeSingle = 1; // ScreenMode
constexpr std::int32_t ScreenModeDual = 2;
constexpr std::int32_t SendModeImmediate = 1; // SendMode
constexpr std::int32_t SendModeBuffered = 2;
constexpr std::int32_t ActiveReceiveScreen = 0; // ActiveScreen
constexpr std::int32_t ActiveTransmitScreen = 1;
constexpr std::int32_t ColorSchemeWhite = 1; // ColorScheme; any other value loads as Black
constexpr std::int32_t ColorSchemeBlack = 2;
constexpr std::int32_t FontTargetReceive = 0; // FontTarget
constexpr std::int32_t FontTargetTransmit = 1;
constexpr std::int32_t ZModemConverseOff = 0; // ZModemConverse
constexpr std::int32_t ZModemConverseOn = 1;
constexpr std::int32_t BroadcastOnce = 1; // BroadcastInterval
constexpr std::int32_t BroadcastOnTimer = 2;
constexpr std::int32_t BroadcastNone = 3;
constexpr std::int32_t NotifyOff = 0; // NotifyEnabled
constexpr std::int32_t NotifyOn = 1;
constexpr std::int32_t AlarmBeep = 1; // AlarmSound
constexpr std::int32_t AlarmRingIn = 2;
constexpr std::int32_t AlarmRingOut = 3;
constexpr std::int32_t SoundPlaying = 1; // SoundState: also "the last open failed"
constexpr std::int32_t SoundIdle = 2;
constexpr std::int32_t LogFileOpen = 1; // LogFileState
constexpr std::int32_t LogFileClosed = 2;

struct ProcessState {
    // Files and folders.
    TextSlot SettingsFilePath;
    TextSlot HelpFilePath;
    TextSlot ProgramFolder;
    TextSlot RingInWavePath;
    TextSlot RingOutWavePath;

    // Serial line and port.
    std::int32_t SerialParity = 0;
    std::int32_t SerialBaudRate = 0;
    std::int32_t SerialStopBits = 0;
    std::int32_t SerialByteSize = 0;
    std::int32_t SerialStreamProtocol = 0;
    std::int32_t CommPortNumber = 0;   // 0 = no port, 1..6 = COM1..COM6: the send gate
    std::int32_t CommPortSelected = 0; // the stored port, always set with CommPortNumber
    char CommPortName[4] = {};         // "NONE" or "COM1".."COM6", no terminator
    int PortProbeHandle = -1;          // descriptor of the last probe's open
    std::int32_t PortProbeResult = 0;  // nonzero: the device answered
    termios PortProbeDcb = {};         // line state read by the probe

    // TNC command sets.
    std::int32_t SelectedTnc = 0; // 0..7 = TNC1..TNC8, anything else acts as None
    std::int32_t PreviousTnc = 0;
    TextSlot TncNames[9];
    CommandSet TncInitCommands[9];
    CommandSet TncTermCommands[9];
    CommandSet LegacyInitTable[9];
    CommandSet LegacyTermTable[9];
    TextSlot ResetCommand;
    QByteArray ResetCommandText = "Default String";

    // Stations and functions: staging copies for the settings file; the live
    // tables are the lists of the two setup windows.
    TextSlot StationNames[32];
    TextSlot StationPaths[32];
    TextSlot FunctionNames[12];
    TextSlot FunctionCommands[12];

    // Screens and typing.
    std::int32_t ScreenMode = 0;   // 1 single, 2 dual
    std::int32_t SendMode = 0;     // 1 immediate, 2 buffered
    std::int32_t ActiveScreen = 0; // 1 transmit, 0 receive
    std::int32_t ColorScheme = 0;  // 1 White, 2 Black
    std::uint8_t ReceiveFlag = 0;  // 1: the receive screen's next character is received data
    std::uint8_t EditXmitMode = 0; // 1: typing in the transmit screen is not sent
    TextSlot LineBuffer;
    std::int32_t LineIndex = 0;
    std::int32_t SendPermitted = 0;
    std::int32_t FontTarget = 0;
    std::uint8_t SplitDragging = 0;
    std::int32_t SplitDragStartY = 0;
    float ScreenAreaHeight = 0;
    float SplitRatio = 0;
    ScreenFontRecord ReceiveFontWhite;
    ScreenFontRecord ReceiveFontBlack;
    ScreenFontRecord TransmitFontWhite;
    ScreenFontRecord TransmitFontBlack;

    // Connection.
    std::uint8_t CommandChar = 0; // takes the TNC out of converse mode

    // ZModem.
    std::uint8_t ZModemEnabled = 0;
    std::int32_t ZModemConverse = 0;
    std::uint8_t ZModemFileChosen = 0;
    TextSlot ZModemReceiveDir;
    QByteArray ReceiveDirText = "Default String";
    TextSlot ZModemConnectCommand;
    QByteArray ConnectCommandText = "Default String";

    // Broadcast.
    TextSlot BroadcastText;
    std::int32_t BroadcastInterval = 0; // 1 once, 2 timer, 3 none
    std::int32_t BroadcastTimerValue = 0;
    QByteArray BroadcastTimerText = "Default String";
    std::int32_t BroadcastActive = 0;

    // Alarm and log.
    std::int32_t NotifyEnabled = 0;
    std::int32_t AlarmSound = 0; // 1 beep, 2 ring-in, 3 ring-out
    std::int32_t SoundState = 0; // 2 idle, 1 playing or the last open failed
    std::int32_t LogActive = 0;
    std::int32_t LogFileState = 0; // 1 open, 2 closed
    TextSlot LogFilePath;
    std::FILE* LogFileHandle = nullptr;

    // Set while the stored settings are being applied.
    std::uint8_t ApplyingSettings = 0;
};

// The one process-wide instance; only the UI thread touches it.
extern ProcessState G;

// The 4-character port name as text.
inline QByteArray commPortNameText(const ProcessState& s)
{
    return QByteArray(s.CommPortName, sizeof s.CommPortName);
}

inline void setCommPortName(ProcessState& s, const char (&name)[5])
{
    for (int i = 0; i < 4; ++i)
        s.CommPortName[i] = name[i];
}

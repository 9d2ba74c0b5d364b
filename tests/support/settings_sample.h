#pragma once
// A settings file whose every value lies in its set and is unlike the
// defaults, with junk after every text terminator, in slot 32 of every
// command set and in the reserved font bytes: loading and saving it must
// give it back byte for byte.

#include "app/settings_codec.h"

#include <QByteArray>
#include <QRandomGenerator>

#include <string>
#include <vector>

inline QByteArray settingsBytes(const ProcessState& s)
{
    const std::vector<std::uint8_t> v = encodeSettings(s);
    return QByteArray(reinterpret_cast<const char*>(v.data()), qsizetype(v.size()));
}

// Port COM2 (19200 8O2 RTS/CTS), TNC3, single screen, immediate mode, Black,
// ZModem off with converse on, beacon on a 42-unit timer.
inline ProcessState distinctiveSettings()
{
    ProcessState s;
    std::vector<std::uint8_t> junk(SettingsFileSize);
    QRandomGenerator(11).fillRange(reinterpret_cast<quint32*>(junk.data()), int(junk.size() / 4));
    decodeSettings(junk, s);
    auto n = [](int i) { return std::to_string(i); };

    setCommPortName(s, "COM2");
    s.SerialParity = 2;
    s.SerialBaudRate = 19200;
    s.SerialStopBits = 2;
    s.SerialByteSize = 8;
    s.SerialStreamProtocol = 2;
    s.SelectedTnc = 2;
    for (int i = 0; i < 32; ++i) {
        s.StationNames[i].store(i % 5 == 3 ? ""
                                           : "K1\xC6"
                                             "BC-" +
                                        n(i));
        s.StationPaths[i].store("K1ABC VIA WIDE" + n(i));
    }
    s.ScreenMode = 1;
    for (int i = 0; i < 12; ++i) {
        s.FunctionNames[i].store("Fn " + n(i));
        s.FunctionCommands[i].store(i == 4 ? "" : "MHEARD " + n(i));
    }
    for (int t = 0; t < 8; ++t)
        s.TncNames[t].store("KPC-" + n(t + 1));
    s.NotifyEnabled = 1;
    s.AlarmSound = 3;
    s.ResetCommand.store("RESET");
    s.SendMode = 1;
    s.ColorScheme = 2;
    for (ScreenFontRecord* f :
         {&s.TransmitFontWhite, &s.TransmitFontBlack, &s.ReceiveFontWhite, &s.ReceiveFontBlack}) {
        f->Name.store("DejaVu Sans Mono");
        f->Size = 12;
        f->Color = 0x00FFFFFF;
        f->Style = 1;
        f->Pitch = 2;
        f->Height = -16;
    }
    s.ZModemEnabled = 0;
    s.ZModemConverse = 1;
    s.ZModemReceiveDir.store("/srv/zmodem/in");
    s.ZModemConnectCommand.store("C W1AW");
    s.BroadcastText.store("CQ CQ de N0CALL");
    s.BroadcastInterval = 2;
    s.BroadcastTimerValue = 42;
    // 22 filled initialization and 24 filled termination lines per TNC.
    for (int t = 0; t < 8; ++t)
        for (int k = 0; k < 32; ++k) {
            const std::string line = n(t) + "." + n(k);
            s.TncInitCommands[t][k].store(k % 3 == 2 ? std::string() : "INIT " + line);
            s.TncTermCommands[t][k].store(k % 4 == 1 ? std::string() : "TERM " + line);
        }
    s.CommPortSelected = 2;
    return s;
}

// The sample settings on the simulator's COM1, with line settings a pty takes (odd parity, 7 bits, no flow
// control) and TNC2 chosen with only `initLines` (from line 1, "" skips one) to initialize.
inline ProcessState settingsOnCom1(const std::vector<std::string>& initLines)
{
    ProcessState s = distinctiveSettings();
    setCommPortName(s, "COM1");
    s.CommPortSelected = 1;
    s.SerialParity = 2;
    s.SerialStopBits = 1;
    s.SerialByteSize = 7;
    s.SerialStreamProtocol = 0;
    s.SelectedTnc = 1;
    for (int k = 0; k < 32; ++k)
        s.TncInitCommands[1][k].store(k < int(initLines.size()) ? initLines[k] : std::string());
    return s;
}

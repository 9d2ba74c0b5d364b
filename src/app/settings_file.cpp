// The settings file: read and applied once as the main window is first shown,
// written once as it closes. Each stored value is applied by the handler the
// operator's own menu choice would run, in file order, the stored port last.

#include "app/ferrow.h"

#include "app/combo_box.h"
#include "app/forms.h"
#include "app/safe_file.h"
#include "app/settings_codec.h"
#include "app/state.h"
#include "link/function_form.h"
#include "link/nr_comm.h"
#include "link/nr_log_file.h"
#include "link/setup_window_parts.h"
#include "link/station_form.h"
#include "link/tnc_menus.h"
#include "transfer/nr_zmodem.h"

#include <QFile>

#include <cstdio>
#include <span>

namespace {

using Handler = void (TFerrow::*)();
using Bytes = std::span<const std::uint8_t>;

// ApplyingSettings is set for exactly the whole load, however it ends.
class ApplyingSettingsScope {
public:
    ApplyingSettingsScope() { G.ApplyingSettings = 1; }
    ~ApplyingSettingsScope() { G.ApplyingSettings = 0; }
    ApplyingSettingsScope(const ApplyingSettingsScope&) = delete;
    ApplyingSettingsScope& operator=(const ApplyingSettingsScope&) = delete;
};

// What the file holds, at most one file's worth: a settings path that names
// something endless (a device, a huge file) cannot exhaust memory.
bool readSettingsFile(const TextSlot& path, QByteArray* contents)
{
    QFile file(QFile::decodeName(slotBytes(path)));
    if (!file.open(QIODevice::ReadOnly))
        return false;
    *contents = file.read(SettingsFileSize);
    return true;
}

Bytes asBytes(const QByteArray& contents)
{
    return {reinterpret_cast<const std::uint8_t*>(contents.constData()), std::size_t(contents.size())};
}

// Runs the handler for `value`; a value with no handler runs none.
template <std::size_t N> void runChoice(TFerrow* window, const Handler (&handlers)[N], std::int32_t value)
{
    if (value >= 0 && std::size_t(value) < N)
        (window->*handlers[value])();
}

// The serial component takes four of the line settings as 8-bit values.
void handLineSettingsTo(TnrComm* comm)
{
    comm->SetParity(static_cast<quint8>(G.SerialParity));
    comm->SetBaudRate(static_cast<quint32>(G.SerialBaudRate));
    comm->SetStopBits(static_cast<quint8>(G.SerialStopBits));
    comm->SetByteSize(static_cast<quint8>(G.SerialByteSize));
    comm->SetStreamProtocol(static_cast<quint8>(G.SerialStreamProtocol));
}

// The component holds the live values; they come back widened, the byte
// size without sign.
void takeLineSettingsFrom(const TnrComm* comm)
{
    G.SerialParity = comm->GetParity();
    G.SerialBaudRate = static_cast<std::int32_t>(comm->GetBaudRate());
    G.SerialStopBits = comm->GetStopBits();
    G.SerialByteSize = comm->GetByteSize();
    G.SerialStreamProtocol = comm->GetStreamProtocol();
}

// Entries 0..8 of the selector and items 1..8 of both TNC menus show the
// names; the selector's None entry keeps its name.
void showTncNames(TComboBox* selector)
{
    for (int i = 0; i <= NoTnc; ++i)
        selector->setItemText(i, QString::fromLatin1(slotBytes(G.TncNames[i])));
    selector->setCurrentIndex(G.SelectedTnc);
    for (int i = 0; i < NoTnc; ++i)
        showTncNameInMenus(i);
}

// The live station and function tables are the rows of their windows.
void takeTablesFromWindows()
{
    for (int i = 0; i < TStationForm::Entries; ++i) {
        selectRow(StationForm->StationList, i);
        selectRow(StationForm->ConnectList, i);
        storeBytes(G.StationNames[i], StationForm->stationName(i));
        storeBytes(G.StationPaths[i], StationForm->stationPath(i));
    }
    for (int i = 0; i < TFunctionForm::Entries; ++i) {
        selectRow(FunctionForm->FunctionName, i);
        selectRow(FunctionForm->FunctionString, i);
        storeBytes(G.FunctionNames[i], FunctionForm->functionName(i));
        storeBytes(G.FunctionCommands[i], FunctionForm->functionCommand(i));
    }
}

} // namespace

void TFerrow::LoadSettings(const TextSlot& path)
{
    if (path.empty())
        return;
    const ApplyingSettingsScope applying;
    QByteArray contents;
    if (!readSettingsFile(path, &contents)) {
        // Nothing to read: keep what this run starts with, applying nothing.
        SaveSettings(path);
        return;
    }
    const Bytes file = asBytes(contents);
    auto read = [&](SettingsField first, SettingsField last) { decodeSettings(file, G, first, last); };
    auto readOne = [&](SettingsField field) { decodeSettings(file, G, field); };

    readOne(SettingsField::CommPortName);

    read(SettingsField::SerialParity, SettingsField::SerialStreamProtocol);
    handLineSettingsTo(nrComm1);

    // With ApplyingSettings set the TNC items open no window.
    readOne(SettingsField::SelectedTnc);
    static constexpr Handler tncChoices[] = {&TFerrow::TNCClick,  &TFerrow::TNC2Click, &TFerrow::TNC3Click,
                                             &TFerrow::TNC4Click, &TFerrow::TNC5Click, &TFerrow::TNC6Click,
                                             &TFerrow::TNC7Click, &TFerrow::TNC8Click, &TFerrow::NoTNCClick};
    runChoice(this, tncChoices, G.SelectedTnc);

    readOne(SettingsField::Stations);
    for (int i = 0; i < TStationForm::Entries; ++i)
        StationForm->setStation(i, slotBytes(G.StationNames[i]), slotBytes(G.StationPaths[i]));

    readOne(SettingsField::ScreenMode);
    applyStoredScreenMode();

    readOne(SettingsField::Functions);
    for (int i = 0; i < TFunctionForm::Entries; ++i)
        FunctionForm->setFunction(i, slotBytes(G.FunctionNames[i]), slotBytes(G.FunctionCommands[i]));

    readOne(SettingsField::TncNames);
    showTncNames(TNCSelect);

    read(SettingsField::LegacyInitTable, SettingsField::LegacyTermTable);

    readOne(SettingsField::NotifyEnabled);
    applyStoredNotify();
    readOne(SettingsField::AlarmSound);
    applyStoredAlarmSound();

    readOne(SettingsField::ResetCommand);

    readOne(SettingsField::SendMode);
    if (G.SendMode == SendModeImmediate)
        ImmediateClick();
    else
        BufferedClick();

    readOne(SettingsField::ColorScheme);
    applyStoredColorScheme();
    read(SettingsField::TransmitFontWhite, SettingsField::TransmitFontBlack);
    applyStoredTransmitFont();
    read(SettingsField::ReceiveFontWhite, SettingsField::ReceiveFontBlack);
    applyStoredReceiveFont();

    readOne(SettingsField::ZModemEnabled);
    if (G.ZModemEnabled == 1)
        ZEnableClick();
    else
        ZDisableClick();
    readOne(SettingsField::ZModemConverse);
    if (G.ZModemConverse == ZModemConverseOn)
        ConverseOnClick();
    else
        ConverseOffClick();

    // An empty stored directory replaces the start-up one: the ZModem
    // component then receives into the operator's home directory.
    readOne(SettingsField::ZModemReceiveDir);
    G.ReceiveDirText = slotBytes(G.ZModemReceiveDir);
    nrZModem1->SetDefaultPath(QFile::decodeName(G.ReceiveDirText));
    readOne(SettingsField::ZModemConnectCommand);
    G.ConnectCommandText = slotBytes(G.ZModemConnectCommand);

    readOne(SettingsField::BroadcastText);
    applyStoredBroadcastText();
    readOne(SettingsField::BroadcastInterval);
    applyStoredBroadcastInterval();
    readOne(SettingsField::BroadcastTimerValue);
    G.BroadcastTimerText = QByteArray::number(G.BroadcastTimerValue);

    read(SettingsField::TncInitCommands, SettingsField::TncTermCommands);

    // Last: every handler above runs with no port in use.
    readOne(SettingsField::CommPortSelected);
    static constexpr Handler portChoices[] = {
        &TFerrow::None1Click,  &TFerrow::Comm11Click, &TFerrow::Comm21Click, &TFerrow::Comm31Click,
        &TFerrow::Comm41Click, &TFerrow::Comm51Click, &TFerrow::Comm61Click};
    runChoice(this, portChoices, G.CommPortSelected);
}

void TFerrow::SaveSettings(const TextSlot& path)
{
    if (path.empty())
        return;

    takeLineSettingsFrom(nrComm1);
    takeTablesFromWindows();
    const std::vector<std::uint8_t> file = encodeSettings(G);
    const SafeWriteResult written = replaceFileSafely(std::string(path.text()), file);
    // Nothing is shown (the window is going away); the trace and standard
    // error say why the settings of this run were not kept. The old file is
    // as it was.
    if (!written.ok) {
        const QString line =
            QStringLiteral("settings not saved: %1").arg(QString::fromLocal8Bit(written.error));
        nrLogFile1->Log(line);
        std::fprintf(stderr, "quillmar: %s\n", qPrintable(line));
    }
}

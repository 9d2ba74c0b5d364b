// The main window's life: creation gives every setting its default, the
// first showing greets the operator, closing takes the link out of service.

#include "app/ferrow.h"

#include "app/close_sequence.h"
#include "app/combo_box.h"
#include "app/forms.h"
#include "app/program_folder.h"
#include "app/seams.h"
#include "app/state.h"
#include "app/status_memo.h"
#include "link/nr_comm.h"
#include "link/nr_log_file.h"
#include "link/tnc_close_form.h"
#include "link/tnc_setup_form.h"
#include "screens/clipboard_insert.h"
#include "screens/font_record.h"
#include "screens/screen_layout.h"
#include "screens/screen_memo.h"
#include "transfer/nr_zmodem.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTextEdit>

#include <cstdio>
#include <functional>

namespace {

QByteArray pathBytes(const QString& path)
{
    return QFile::encodeName(path);
}

// Too long a path is not kept at all: cut to the slot it would name
// another file.
bool storeWhole(TextSlot& slot, const QString& path)
{
    const QByteArray bytes = pathBytes(path);
    if (bytes.size() > qsizetype(TextSlot::MaxText))
        return false;
    storeBytes(slot, bytes);
    return true;
}

// A path is kept only if the file can be opened for reading right now, and
// only whole. False when the path is too long to keep.
bool keepIfReadable(TextSlot& slot, const QString& path)
{
    if (pathBytes(path).size() > qsizetype(TextSlot::MaxText))
        return false;
    QFile probe(path);
    return !probe.open(QIODevice::ReadOnly) || storeWhole(slot, path);
}

int screenDpi(const QWidget* w)
{
    const QScreen* s = w->screen() ? w->screen() : QGuiApplication::primaryScreen();
    return s ? qRound(s->logicalDotsPerInchY()) : 96;
}

// Said once, in the status area and to whoever started the program.
void reportFolderInUse(TnrLogFile* trace, const QString& folder)
{
    const QString text =
        QStringLiteral("Another Quillmar is using %1: this one keeps no settings. "
                       "A second station needs a program folder of its own (set QUILLMAR_HOME).")
            .arg(folder);
    std::fprintf(stderr, "quillmar: %s\n", text.toLocal8Bit().constData());
    trace->Log(text);
}

} // namespace

void TFerrow::FormCreate()
{
    G.LogActive = 0;
    G.LogFileState = LogFileClosed;

    G.PortProbeResult = 0;
    setCommPortName(G, "NONE");
    G.CommPortSelected = NoCommPort;

    G.SerialParity = 1;
    G.SerialBaudRate = 9600;
    G.SerialStopBits = 1;
    G.SerialByteSize = 7;
    G.SerialStreamProtocol = 0;
    nrComm1->SetParity(static_cast<quint8>(G.SerialParity));
    nrComm1->SetBaudRate(static_cast<quint32>(G.SerialBaudRate));
    nrComm1->SetStopBits(static_cast<quint8>(G.SerialStopBits));
    nrComm1->SetByteSize(static_cast<quint8>(G.SerialByteSize));
    nrComm1->SetStreamProtocol(static_cast<quint8>(G.SerialStreamProtocol));

    G.ScreenAreaHeight =
        screenAreaHeight(StatusPanel->y(), ControlPanel->y(), ControlPanel->height(), ControlPanel2->y(),
                         ControlPanel2->height(), SplitterPanel->height());
    G.SplitRatio = static_cast<float>(ReceiveScreen->height()) / G.ScreenAreaHeight;
    G.SplitDragging = 0;

    TempEditBuffer->clear();
    QGuiApplication::clipboard()->setText(QString());

    G.ActiveScreen = ActiveTransmitScreen;
    G.CommandChar = 3;
    G.LineIndex = 0;
    G.EditXmitMode = 0;
    G.ScreenMode = ScreenModeDual;
    ModeMemo->setPlainText(QStringLiteral("Dual Screen"));
    G.SendPermitted = 0;

    const QString folder = programFolderPath();
    keepIfReadable(G.HelpFilePath, programDataFile(QStringLiteral("QuillmarHelp.chm")));
    const QString settingsPath = folder + QStringLiteral("Quillmar.cfg");
    // A folder whose settings path does not fit keeps no settings, so it is not held either.
    const bool settingsPathFits = pathBytes(settingsPath).size() <= qsizetype(TextSlot::MaxText);
    const bool settingsKept = !settingsPathFits || holdProgramFolder(folder);
    if (settingsPathFits && settingsKept)
        keepIfReadable(G.SettingsFilePath, settingsPath);
    storeWhole(G.ProgramFolder, folder);
    storeWhole(G.RingInWavePath, programDataFile(QStringLiteral("ringin.wav")));
    storeWhole(G.RingOutWavePath, programDataFile(QStringLiteral("ringout.wav")));
    nrLogFile1->SetFileName(QDir(folder).exists() ? folder + QStringLiteral("nrcommlib.log") : QString());
    if (!settingsKept)
        reportFolderInUse(nrLogFile1, folder);
    if (!settingsPathFits)
        nrLogFile1->Log(QStringLiteral("settings not kept: the path %1 is longer than %2 bytes")
                            .arg(settingsPath)
                            .arg(TextSlot::MaxText));

    G.ApplyingSettings = 0;
    const char* const names[] = {"TNC1", "TNC2", "TNC3", "TNC4", "TNC5", "TNC6", "TNC7", "TNC8", "None"};
    for (int i = 0; i < 9; ++i)
        G.TncNames[i].store(names[i]);
    G.SelectedTnc = NoTnc;
    G.ResetCommand.store("RESTART");
    // The names the function rows are designed with, so a settings file too
    // short to hold the function table leaves them as they are.
    for (int i = 0; i < 12; ++i)
        G.FunctionNames[i].store(QByteArray("F" + QByteArray::number(i + 1)).toStdString());

    const int dpi = screenDpi(this);
    G.ReceiveFontWhite = fontRecordOf(ReceiveScreen->font(), ReceiveScreen->FontColor, dpi);
    G.ReceiveFontBlack = G.ReceiveFontWhite;
    G.ReceiveFontBlack.Color = 0x00FFFFFF;
    G.TransmitFontWhite = fontRecordOf(TransmitScreen->font(), TransmitScreen->FontColor, dpi);
    G.TransmitFontBlack = G.TransmitFontWhite;
    G.TransmitFontBlack.Color = 0x00FFFFFF;

    G.NotifyEnabled = NotifyOff;
    G.AlarmSound = AlarmBeep;
    G.SoundState = SoundIdle;
    G.SendMode = SendModeBuffered;
    G.ColorScheme = ColorSchemeWhite;
    G.ReceiveFlag = 1;
    G.ZModemFileChosen = 0;
    G.ZModemEnabled = 1;
    G.ZModemConverse = ZModemConverseOff;
    G.BroadcastActive = 0;
    G.BroadcastTimerValue = 0;
    G.BroadcastInterval = BroadcastNone;
}

void TFerrow::FormShow()
{
    emptyClipboard();
    TmpXmitBuf->clear();
    ReceiveScreen->clear();
    TNCSelect->setCurrentIndex(8);

    // Received files go to the operator's home directory until told otherwise.
    G.ReceiveDirText = QFile::encodeName(QDir::homePath());
    nrZModem1->SetDefaultPath(QFile::decodeName(G.ReceiveDirText));

    LoadSettings(G.SettingsFilePath);

    RefillConnectList();
    RefillFunctionList();

    if (G.ScreenMode == ScreenModeDual)
        insertThroughClipboard(TmpXmitBuf, TransmitScreen, "Quillmar EMCOMM/ARES Program \r< ");
    else
        insertThroughClipboard(TmpRcvBuf, ReceiveScreen, "Quillmar EMCOMM/ARES Program \r");
    emptyClipboard();
    FocusTypingScreen();
    Pause(100);

    TNCSelect->setCurrentIndex(G.SelectedTnc);
    nrComm1->SetTerminalUsage(tuReceive);
    if (G.SelectedTnc < NoTnc)
        SendStartupInitialization();
}

void TFerrow::FormClose()
{
    // Each step is guarded: one that fails is traced and the next still
    // runs, so the port is closed and the process ends whatever happened.
    const auto step = [this](const char* what, const std::function<void()>& run) {
        runCloseStep(nrLogFile1, what, run);
    };
    // A screen send stops first, so the TNC is back in command mode for the rest.
    step("the screen send", [this] { StopScreenSend(); });
    step("Once beacon", [this] { SwitchOffPendingOnceBeacon(); });
    // An open TNC window stores its edit and puts the selection back first,
    // so the termination lines are those of the TNC actually selected.
    step("TNC windows", [] {
        for (TncLinesForm* dialog :
             {static_cast<TncLinesForm*>(TNC_SetupForm), static_cast<TncLinesForm*>(TNC_CloseForm)})
            if (dialog && dialog->isOpen())
                dialog->close();
    });
    step("termination lines", [this] {
        if (G.SelectedTnc < NoTnc)
            SendShutdownTermination();
    });
    // A transfer still running is aborted (its partial file removed) before
    // the port closes, so the abort sequence still reaches the other side.
    step("ZModem", [this] {
        if (nrZModem1->GetActive())
            nrZModem1->SetActive(false);
    });
    step("the port", [this] {
        if (nrComm1->GetActive() || nrComm1->IsReopening())
            nrComm1->SetActive(false);
    });
    // Text received before the port closed is on the screen before anything
    // reads the screen.
    step("received text", [this] { flushPendingReceive(); });
    step("the log", [this] { CloseLogAtExit(); });
    // Last, in every case.
    step("the settings file", [this] { SaveSettings(G.SettingsFilePath); });
}

void TFerrow::FormDestroy() {}

void TFerrow::Exit2Click()
{
    close();
}

void TFerrow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TFerrow::closeEvent(QCloseEvent* event)
{
    // The close box, File > Exit and a termination signal all end here; the
    // sequence runs once.
    if (!closeDone_) {
        closeDone_ = true;
        runCloseStep(nrLogFile1, "the close sequence", [this] { FormClose(); });
    }
    event->accept();
    emit closeSequenceFinished();
}

void TFerrow::WireAppHandlers()
{
    wire(Exit2, &TFerrow::Exit2Click);
}

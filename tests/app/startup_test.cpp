// Start-up and shut-down of the main window on a machine with no settings
// file: the defaults, the banner, the frame, and the close sequence.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QAction>
#include <QMenu>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void processStartValues();
    void defaultsAfterCreate_data();
    void defaultsAfterCreate();
    void fontRecordsFromDesignFont();
    void bannerAndCaretAfterShow();
    void singleScreenBannerGoesToReceiveScreen();
    void menuBarOrderAndCheckMarks();
    void closeSequenceRunsOnce_data();
    void closeSequenceRunsOnce();
    void programFolderPaths();
};

void StartupTest::processStartValues()
{
    // Before any window exists only the four text objects hold a value.
    const ProcessState fresh;
    QCOMPARE(fresh.ResetCommandText, QByteArray("Default String"));
    QCOMPARE(fresh.ReceiveDirText, QByteArray("Default String"));
    QCOMPARE(fresh.ConnectCommandText, QByteArray("Default String"));
    QCOMPARE(fresh.BroadcastTimerText, QByteArray("Default String"));
    QCOMPARE(fresh.SelectedTnc, 0);
    QCOMPARE(fresh.ScreenMode, 0);
    QVERIFY(fresh.TncNames[0].empty());
}

void StartupTest::defaultsAfterCreate_data()
{
    QTest::addColumn<qint64>("actual");
    QTest::addColumn<qint64>("expected");
    // Each row reads the value right after window creation.
    WindowFixture f;
    auto row = [](const char* name, qint64 actual, qint64 expected) {
        QTest::newRow(name) << actual << expected;
    };
    row("LogActive", G.LogActive, 0);
    row("LogFileState", G.LogFileState, 2);
    row("PortProbeResult", G.PortProbeResult, 0);
    row("CommPortSelected", G.CommPortSelected, 0);
    row("CommPortNumber", G.CommPortNumber, 0);
    row("SerialParity", G.SerialParity, 1);
    row("SerialBaudRate", G.SerialBaudRate, 9600);
    row("SerialStopBits", G.SerialStopBits, 1);
    row("SerialByteSize", G.SerialByteSize, 7);
    row("SerialStreamProtocol", G.SerialStreamProtocol, 0);
    row("nrComm1 parity", Ferrow->nrComm1->GetParity(), 1);
    row("nrComm1 baud rate", Ferrow->nrComm1->GetBaudRate(), 9600);
    row("nrComm1 stop bits", Ferrow->nrComm1->GetStopBits(), 1);
    row("nrComm1 byte size", Ferrow->nrComm1->GetByteSize(), 7);
    row("nrComm1 stream protocol", Ferrow->nrComm1->GetStreamProtocol(), 0);
    row("nrComm1 closed", Ferrow->nrComm1->GetActive(), 0);
    row("ScreenAreaHeight", qint64(G.ScreenAreaHeight), 253);
    row("SplitRatio is 144/253 in float", G.SplitRatio == 144.0f / 253.0f, 1);
    row("SplitDragging", G.SplitDragging, 0);
    row("ActiveScreen", G.ActiveScreen, 1);
    row("CommandChar", G.CommandChar, 3);
    row("LineIndex", G.LineIndex, 0);
    row("EditXmitMode", G.EditXmitMode, 0);
    row("ScreenMode", G.ScreenMode, 2);
    row("SendPermitted", G.SendPermitted, 0);
    row("SettingsFilePath empty without a file", G.SettingsFilePath.empty(), 1);
    row("HelpFilePath empty without a file", G.HelpFilePath.empty(), 1);
    row("ApplyingSettings", G.ApplyingSettings, 0);
    row("SelectedTnc", G.SelectedTnc, 8);
    row("NotifyEnabled", G.NotifyEnabled, 0);
    row("AlarmSound", G.AlarmSound, 1);
    row("SoundState", G.SoundState, 2);
    row("SendMode", G.SendMode, 2);
    row("ColorScheme", G.ColorScheme, 1);
    row("ReceiveFlag", G.ReceiveFlag, 1);
    row("ZModemFileChosen", G.ZModemFileChosen, 0);
    row("ZModemEnabled", G.ZModemEnabled, 1);
    row("ZModemConverse", G.ZModemConverse, 0);
    row("BroadcastActive", G.BroadcastActive, 0);
    row("BroadcastTimerValue", G.BroadcastTimerValue, 0);
    row("BroadcastInterval", G.BroadcastInterval, 3);
    row("ConnectCommandText kept", G.ConnectCommandText == "Default String", 1);
    row("BroadcastTimerText kept", G.BroadcastTimerText == "Default String", 1);
    row("CommPortName is NONE", commPortNameText(G) == "NONE", 1);
    row("ResetCommand is RESTART", G.ResetCommand.text() == "RESTART", 1);
    row("TncNames slot 0", G.TncNames[0].text() == "TNC1", 1);
    row("TncNames slot 7", G.TncNames[7].text() == "TNC8", 1);
    row("TncNames slot 8", G.TncNames[8].text() == "None", 1);
    row("ModeMemo shows Dual Screen", Ferrow->ModeMemo->toPlainText() == "Dual Screen", 1);
    row("ZBreakBtn disabled", Ferrow->ZBreakBtn->isEnabled(), 0);
    row("nothing sent at creation", f.transcript.entries.size(), 0);
}

void StartupTest::defaultsAfterCreate()
{
    QFETCH(qint64, actual);
    QFETCH(qint64, expected);
    QCOMPARE(actual, expected);
}

void StartupTest::fontRecordsFromDesignFont()
{
    WindowFixture f;
    for (const ScreenFontRecord* r : {&G.ReceiveFontWhite, &G.TransmitFontWhite}) {
        QCOMPARE(QByteArray(r->Name.text().data(), int(r->Name.text().size())), QByteArray("MS Sans Serif"));
        QCOMPARE(r->Height, -15);
        QCOMPARE(r->Size, 11); // 15 pixels at 96 pixels per inch
        QCOMPARE(r->Color, qint32(0xFF000008));
        QCOMPARE(int(r->Style), 0);
        QCOMPARE(int(r->Pitch), 0);
    }
    QCOMPARE(G.ReceiveFontBlack.Color, 0x00FFFFFF);
    QCOMPARE(G.TransmitFontBlack.Color, 0x00FFFFFF);
    QCOMPARE(G.TransmitFontBlack.Height, -15);
}

void StartupTest::bannerAndCaretAfterShow()
{
    WindowFixture f;
    Ferrow->ReceiveScreen->setPlainText(QStringLiteral("left over"));
    QGuiApplication::clipboard()->setText(QStringLiteral("operator's text"));
    f.show();

    QCOMPARE(Ferrow->TransmitScreen->toPlainText(), QStringLiteral("Quillmar EMCOMM/ARES Program \n< "));
    QCOMPARE(Ferrow->TransmitScreen->textCursor().position(),
             Ferrow->TransmitScreen->document()->characterCount() - 1);
    QCOMPARE(G.ActiveScreen, 1);
    QVERIFY(Ferrow->ReceiveScreen->toPlainText().isEmpty());
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    QCOMPARE(Ferrow->TNCSelect->currentIndex(), 8);
    QCOMPARE(Ferrow->nrComm1->GetTerminalUsage(), 2);
    // No port, no TNC: the only thing on the record is the banner's pause.
    QCOMPARE(f.transcript.entries, QStringList{QStringLiteral("pause 100")});
}

void StartupTest::singleScreenBannerGoesToReceiveScreen()
{
    WindowFixture f;
    G.ScreenMode = 1;
    f.show();
    QCOMPARE(Ferrow->ReceiveScreen->toPlainText(), QStringLiteral("Quillmar EMCOMM/ARES Program \n"));
    QVERIFY(Ferrow->TransmitScreen->toPlainText().isEmpty());
    QCOMPARE(Ferrow->ReceiveScreen->textCursor().blockNumber(), 1);
    QCOMPARE(G.ActiveScreen, 0);
}

void StartupTest::menuBarOrderAndCheckMarks()
{
    WindowFixture f;
    QStringList menus;
    for (QAction* a : Ferrow->menuBar()->actions())
        menus << a->text();
    QCOMPARE(menus, (QStringList{"File", "ZModem", "Edit", "Options", "Mode", "Screen", "Alarm", "Broadcast",
                                 "Help"}));
    QCOMPARE(Ferrow->windowTitle(), QStringLiteral("Quillmar"));
    QStringList ports;
    for (QAction* a : Ferrow->Port1->actions())
        ports << (a->isSeparator() ? QStringLiteral("-") : a->text());
    QCOMPARE(ports, (QStringList{"COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "-", "None"}));
    QVERIFY(Ferrow->None1->isChecked());
    QVERIFY(Ferrow->TNC->isChecked());
    QVERIFY(Ferrow->TNC11->isChecked());
    QVERIFY(Ferrow->ZEnable->isChecked());
    QVERIFY(Ferrow->ConverseOff->isChecked());
    QVERIFY(Ferrow->Buffered->isChecked());
    QVERIFY(Ferrow->DualScreenBtn->isChecked());
    QVERIFY(Ferrow->White1->isChecked());
    QVERIFY(Ferrow->OFF1->isChecked());
    QVERIFY(Ferrow->Beep2->isChecked());
    QVERIFY(Ferrow->NONE2->isChecked());
    QCOMPARE(Ferrow->TNCSelect->count(), 10);
}

void StartupTest::closeSequenceRunsOnce_data()
{
    QTest::addColumn<bool>("viaExitMenu");
    QTest::newRow("close box") << false;
    QTest::newRow("File > Exit") << true;
}

void StartupTest::closeSequenceRunsOnce()
{
    QFETCH(bool, viaExitMenu);
    WindowFixture f;
    f.show();
    openFakePort(1);
    QVERIFY(Ferrow->nrComm1->GetActive());
    int finished = 0;
    QObject::connect(Ferrow, &TFerrow::closeSequenceFinished, [&finished] { ++finished; });

    if (viaExitMenu)
        Ferrow->Exit2->trigger();
    else
        Ferrow->close();
    QVERIFY(Ferrow->closeSequenceDone());
    QVERIFY(!Ferrow->nrComm1->GetActive());
    QCOMPARE(f.device()->closes, 1);
    QCOMPARE(finished, 1);

    // A second close request (a signal arriving during shut-down) does not
    // run the sequence again: the port it would close stays as it is.
    QString reason;
    QVERIFY(f.device()->open(QStringLiteral("/dev/again"), {}, &reason));
    QCloseEvent again;
    QCoreApplication::sendEvent(Ferrow, &again);
    QCOMPARE(f.device()->closes, 1);
    QCOMPARE(finished, 2);
    // Without a settings file at start nothing is created at close.
    QVERIFY(!QFile::exists(f.home() + QStringLiteral("Quillmar.cfg")));
}

void StartupTest::programFolderPaths()
{
    WindowFixture f;
    const QByteArray home = QFile::encodeName(f.home());
    QCOMPARE(QByteArray(G.ProgramFolder.text().data(), int(G.ProgramFolder.text().size())), home);
    QCOMPARE(QByteArray(G.RingInWavePath.text().data(), int(G.RingInWavePath.text().size())), home + "ringin.wav");
    QCOMPARE(QByteArray(G.RingOutWavePath.text().data(), int(G.RingOutWavePath.text().size())),
             home + "ringout.wav");

    // Files present at creation are remembered; the folder itself is never created.
    QFile cfg(f.home() + QStringLiteral("Quillmar.cfg"));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.close();
    DestroyForms();
    G = ProcessState{};
    CreateForms();
    QCOMPARE(QByteArray(G.SettingsFilePath.text().data(), int(G.SettingsFilePath.text().size())),
             home + "Quillmar.cfg");
    QVERIFY(G.HelpFilePath.empty());
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"

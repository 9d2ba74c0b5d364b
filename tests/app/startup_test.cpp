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
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>

namespace {

QByteArray slot(const TextSlot& s)
{
    return QByteArray(s.text().data(), qsizetype(s.text().size()));
}

} // namespace

class StartupTest : public QObject {
    Q_OBJECT
private slots:
    void defaultsAfterCreate_data();
    void defaultsAfterCreate();
    void firstShow_data();
    void firstShow();
    void closeSequenceRunsOnce_data();
    void closeSequenceRunsOnce();
    void settingsFileRememberedIfPresent();
};

void StartupTest::defaultsAfterCreate_data()
{
    QTest::addColumn<QList<qint64>>("actual");
    QTest::addColumn<QList<qint64>>("expected");
    // Each row reads a group of values right after window creation; true counts as 1. Values that stay
    // zero from the fresh process state are left out.
    WindowFixture f;
    const TnrComm* comm = Ferrow->nrComm1;
    auto row = [](const char* name, const QList<qint64>& actual, const QList<qint64>& expected) {
        QTest::newRow(name) << actual << expected;
    };
    row("log file closed, port name NONE", {G.LogFileState, commPortNameText(G) == "NONE"}, {2, 1});
    row("serial: parity 1, 9600 baud, 1 stop bit, 7 bits",
        {G.SerialParity, G.SerialBaudRate, G.SerialStopBits, G.SerialByteSize}, {1, 9600, 1, 7});
    row("nrComm1 takes the serial settings and stays closed",
        {comm->GetParity(), comm->GetBaudRate(), comm->GetStopBits(), comm->GetByteSize(),
         comm->GetStreamProtocol(), comm->GetActive()},
        {1, 9600, 1, 7, 0, 0});
    row("screen area 253 high, split at 144/253 in float",
        {qint64(G.ScreenAreaHeight), G.SplitRatio == 144.0f / 253.0f}, {253, 1});
    row("typing: transmit screen active, ETX, dual screen shown, buffered, receive flag",
        {G.ActiveScreen, G.CommandChar, G.ScreenMode, Ferrow->ModeMemo->toPlainText() == "Dual Screen",
         G.SendMode, G.ReceiveFlag},
        {1, 3, 2, 1, 2, 1});
    row("TNC: None selected, names TNC1..TNC8 and None, reset command RESTART",
        {G.SelectedTnc, slot(G.TncNames[0]) == "TNC1", slot(G.TncNames[7]) == "TNC8",
         slot(G.TncNames[8]) == "None", slot(G.ResetCommand) == "RESTART"},
        {8, 1, 1, 1, 1});
    row("beep, sound idle, white, ZModem on with Break disabled, no broadcast",
        {G.AlarmSound, G.SoundState, G.ColorScheme, G.ZModemEnabled, Ferrow->ZBreakBtn->isEnabled(),
         G.BroadcastInterval},
        {1, 2, 1, 1, 0, 3});
    row("the four query texts keep Default String",
        {G.ConnectCommandText == "Default String", G.BroadcastTimerText == "Default String",
         G.ReceiveDirText == "Default String", G.ResetCommandText == "Default String"},
        {1, 1, 1, 1});
    const QByteArray home = QFile::encodeName(f.home());
    row("program folder and the ring sounds in it",
        {slot(G.ProgramFolder) == home, slot(G.RingInWavePath) == home + "ringin.wav",
         slot(G.RingOutWavePath) == home + "ringout.wav", G.SettingsFilePath.empty(), G.HelpFilePath.empty()},
        {1, 1, 1, 1, 1});
    // The design font, 15 pixels high (11 points at 96 pixels per inch), regular; black schemes write in
    // white.
    const char* const fontNames[] = {"receive font, white", "transmit font, white", "receive font, black",
                                     "transmit font, black"};
    const ScreenFontRecord* fonts[] = {&G.ReceiveFontWhite, &G.TransmitFontWhite, &G.ReceiveFontBlack,
                                       &G.TransmitFontBlack};
    for (int i = 0; i < 4; ++i)
        row(fontNames[i],
            {slot(fonts[i]->Name) == "MS Sans Serif", fonts[i]->Height, fonts[i]->Size, fonts[i]->Color,
             fonts[i]->Style, fonts[i]->Pitch},
            {1, -15, 11, i < 2 ? qint32(0xFF000008) : 0x00FFFFFF, 0, 0});
    row("menu check marks: no port, no TNC, ZModem on, converse off, buffered, dual, white, no alarm, beep",
        {Ferrow->None1->isChecked(), Ferrow->TNC->isChecked(), Ferrow->TNC11->isChecked(),
         Ferrow->ZEnable->isChecked(), Ferrow->ConverseOff->isChecked(), Ferrow->Buffered->isChecked(),
         Ferrow->DualScreenBtn->isChecked(), Ferrow->White1->isChecked(), Ferrow->OFF1->isChecked(),
         Ferrow->Beep2->isChecked(), Ferrow->NONE2->isChecked()},
        {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    row("nothing sent at creation", {f.transcript.entries.size()}, {0});
}

void StartupTest::defaultsAfterCreate()
{
    QFETCH(QList<qint64>, actual);
    QFETCH(QList<qint64>, expected);
    QCOMPARE(actual, expected);
}

void StartupTest::firstShow_data()
{
    QTest::addColumn<int>("screenMode");
    QTest::addColumn<QString>("transmitText");
    QTest::addColumn<QString>("receiveText");

    QTest::newRow("dual screen: banner and prompt in the transmit screen")
        << 2 << "Quillmar EMCOMM/ARES Program \n< "
        << "";
    QTest::newRow("single screen: banner in the receive screen") << 1 << ""
                                                                 << "Quillmar EMCOMM/ARES Program \n";
}

void StartupTest::firstShow()
{
    QFETCH(int, screenMode);
    QFETCH(QString, transmitText);
    QFETCH(QString, receiveText);
    WindowFixture f;
    G.ScreenMode = screenMode;
    Ferrow->ReceiveScreen->setPlainText(QStringLiteral("left over"));
    QGuiApplication::clipboard()->setText(QStringLiteral("operator's text"));
    f.show();

    QCOMPARE(Ferrow->TransmitScreen->toPlainText(), transmitText);
    QCOMPARE(Ferrow->ReceiveScreen->toPlainText(), receiveText);
    QCOMPARE(G.ActiveScreen, screenMode == 2 ? 1 : 0);
    // The caret waits at the end of the typing screen.
    const QPlainTextEdit* typing = screenMode == 2 ? Ferrow->TransmitScreen : Ferrow->ReceiveScreen;
    QCOMPARE(typing->textCursor().position(), typing->document()->characterCount() - 1);
    QVERIFY(QGuiApplication::clipboard()->text().isEmpty());
    QCOMPARE(Ferrow->TNCSelect->currentIndex(), 8);
    QCOMPARE(Ferrow->nrComm1->GetTerminalUsage(), 2);
    // No port, no TNC: the only thing on the record is the banner's pause.
    QCOMPARE(f.transcript.entries, QStringList{QStringLiteral("pause 100")});
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

void StartupTest::settingsFileRememberedIfPresent()
{
    WindowFixture f;
    QFile cfg(f.home() + QStringLiteral("Quillmar.cfg"));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.close();
    DestroyForms();
    G = ProcessState{};
    CreateForms();
    QCOMPARE(slot(G.SettingsFilePath), QFile::encodeName(cfg.fileName()));
    QVERIFY(G.HelpFilePath.empty());
}

QTEST_MAIN(StartupTest)
#include "startup_test.moc"

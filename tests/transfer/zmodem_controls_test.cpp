// The ZModem panel and menu on the main window, with a remote station running
// ZModem at the far end of a fake serial line: the refusals and their boxes,
// the connected-mode bytes, the status lines, the queries, and the safety of
// breaking, disabling and narrow lines.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "remote_station.h"
#include "screens/screen_memo.h"
#include "transfer/nr_zmodem.h"
#include "window_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <memory>

namespace {

constexpr int WaitMs = 20000;

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    quint32 x = 12345;
    for (int i = 0; i < size; ++i) {
        x = x * 1103515245 + 12345;
        bytes[i] = char(x >> 24);
    }
    return bytes;
}

// A file on disk for the program to send.
QString writeFile(const QString& dir, const QString& name, const QByteArray& content)
{
    QFile f(QDir(dir).filePath(name));
    f.open(QIODevice::WriteOnly);
    f.write(content);
    return f.fileName();
}

QString statusText()
{
    return Ferrow->LogScreen->toPlainText();
}

// The program's port is open 8N1 and the status memo is clear.
void openLine(WindowFixture& f)
{
    f.show();
    Ferrow->nrComm1->SetByteSize(8);
    Ferrow->nrComm1->SetParity(0);
    openFakePort(1);
    Ferrow->LogScreen->clear();
}

// Runs `action` once, from the event loop, when the transfer has come `percent` of the way.
void whenProgressReaches(int percent, std::function<void()> action)
{
    auto done = std::make_shared<bool>(false);
    QObject::connect(Ferrow->ZProgressBar, &QProgressBar::valueChanged, Ferrow, [=](int value) {
        if (value >= percent && !*done) {
            *done = true;
            QTimer::singleShot(0, Ferrow, action);
        }
    });
}

void chooseFile(WindowFixture& f, const QString& path)
{
    f.query.fileAnswers << path;
    Ferrow->ZFileOpenBtn->click();
}

// What a sender's start looks like on the line; another station's, heard while monitoring, is the same.
const QByteArray StartHeader("rz\r**\x18"
                             "B00000000000000\r\x8a\x11");

// Lets `ms` of silence pass on both stations' clocks, ticking both every half second.
void skipTime(SkippingClock& clock, RemoteStation* remote, int ms)
{
    for (int passed = 0; passed < ms; passed += 500) {
        clock.skipped += 500;
        Ferrow->nrZModem1->Tick();
        if (remote)
            remote->tick();
        QCoreApplication::processEvents();
    }
}

// Holds the line silent for `ms` once the transfer is a third of the way, then lets it go on.
void silenceMidFile(SkippingClock& clock, RemoteStation& remote, int ms)
{
    if (ms == 0)
        return;
    bool silent = false;
    whenProgressReaches(33, [&] {
        remote.setSilent(true);
        silent = true;
    });
    QTRY_VERIFY_WITH_TIMEOUT(silent, WaitMs);
    skipTime(clock, &remote, ms);
    remote.setSilent(false);
}

} // namespace

class ZModemControlsTest : public QObject {
    Q_OBJECT
private slots:
    void zSendRefusals_data();
    void zSendRefusals();
    void strayStartHeard_data();
    void strayStartHeard();
    void textQueries_data();
    void textQueries();
    void sendToRemote_data();
    void sendToRemote();
    void receiveFromRemote_data();
    void receiveFromRemote();
    void interruptedTransfer_data();
    void interruptedTransfer();
    void narrowLineRefusedAtOnce();
};

void ZModemControlsTest::zSendRefusals_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("converse");
    QTest::addColumn<QList<std::optional<QString>>>("fileChoices");
    QTest::addColumn<QStringList>("transcript");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("sessionRunning"); // a start was heard on the line just before

    const QString rcv = QStringLiteral("ZModem Error|ZModem Rcv Active must be checked");
    const QString noFile = QStringLiteral("ZModem Error| A file must be specified");
    const QStringList connect{"SendString C W1AW", "SendChar 13", "pause 750"};
    QTest::newRow("Enable unchecked: only that box, not even the connect command")
        << false << true << QList<std::optional<QString>>{QStringLiteral("/etc/hostname")} << QStringList{}
        << QStringList{rcv} << false;
    QTest::newRow("no file chosen") << true << false << QList<std::optional<QString>>{} << QStringList{}
                                    << QStringList{noFile} << false;
    QTest::newRow("connected mode without a file: connect command first, then the box")
        << true << true << QList<std::optional<QString>>{} << connect << QStringList{noFile} << false;
    QTest::newRow("Z-File cancelled after a choice")
        << true << false << QList<std::optional<QString>>{QStringLiteral("/etc/hostname"), std::nullopt}
        << QStringList{} << QStringList{noFile} << false;
    QTest::newRow("a session runs: refused before the connect command, no disconnect after")
        << true << true << QList<std::optional<QString>>{QStringLiteral("/etc/hostname")} << QStringList{}
        << QStringList{} << true;
}

void ZModemControlsTest::zSendRefusals()
{
    QFETCH(bool, enabled);
    QFETCH(bool, converse);
    QFETCH(QList<std::optional<QString>>, fileChoices);
    QFETCH(QStringList, transcript);
    QFETCH(QStringList, boxes);
    QFETCH(bool, sessionRunning);

    WindowFixture f;
    openLine(f);
    G.ZModemConnectCommand.store("C W1AW");
    if (!enabled)
        Ferrow->ZDisable->trigger();
    if (converse)
        Ferrow->ConverseOn->trigger();
    for (const std::optional<QString>& choice : fileChoices) {
        f.query.fileAnswers << choice;
        Ferrow->ZFileOpenBtn->click();
    }
    if (sessionRunning) {
        Ferrow->nrZModem1->SetClock([] { return quint64(1000); }); // no time-out meanwhile, however slow
        f.device()->inject(StartHeader);
    }
    QCoreApplication::processEvents();
    f.transcript.clear();

    Ferrow->ZSendBtn->click();
    QCoreApplication::processEvents(); // an abort's events would come now

    QCOMPARE(f.transcript.entries, transcript);
    QCOMPARE(f.query.boxes, boxes);
    QVERIFY(!statusText().contains(QStringLiteral("Sending")));
    QVERIFY(Ferrow->ZSendBtn->isEnabled());
    QCOMPARE(statusText().contains(QStringLiteral("Z-Send refused: a transfer is running")), sessionRunning);
    QCOMPARE(Ferrow->nrZModem1->GetTransferring(), sessionRunning);
    QCOMPARE(Ferrow->ZBreakBtn->isEnabled(), sessionRunning);
    // A cancelled choice keeps the old name in the field.
    if (!fileChoices.isEmpty())
        QCOMPARE(Ferrow->ZModemEdit->text(), QStringLiteral("/etc/hostname"));
}

void ZModemControlsTest::textQueries_data()
{
    QTest::addColumn<bool>("receiveDir");
    QTest::addColumn<std::optional<QByteArray>>("answer");
    QTest::addColumn<QByteArray>("stored");

    QTest::newRow("Connect Cmd cancelled: nothing stored")
        << false << std::optional<QByteArray>() << QByteArray();
    QTest::newRow("Connect Cmd confirmed empty: kept")
        << false << std::optional<QByteArray>("") << QByteArray();
    QTest::newRow("Connect Cmd confirmed")
        << false << std::optional<QByteArray>("C N0CALL-2") << QByteArray("C N0CALL-2");
    QTest::newRow("Receive Dir. cancelled: nothing stored")
        << true << std::optional<QByteArray>() << QByteArray();
    QTest::newRow("Receive Dir. confirmed empty: kept")
        << true << std::optional<QByteArray>("") << QByteArray();
    QTest::newRow("Receive Dir. confirmed")
        << true << std::optional<QByteArray>("/srv/inbox") << QByteArray("/srv/inbox");
}

void ZModemControlsTest::textQueries()
{
    QFETCH(bool, receiveDir);
    QFETCH(std::optional<QByteArray>, answer);
    QFETCH(QByteArray, stored);

    WindowFixture f;
    f.show();
    const QString homeDir = Ferrow->nrZModem1->GetDefaultPath();
    f.query.textAnswers << answer;
    (receiveDir ? Ferrow->RcvDir : Ferrow->ModemConnect)->trigger();

    const TextSlot& slot = receiveDir ? G.ZModemReceiveDir : G.ZModemConnectCommand;
    QCOMPARE(slotBytes(slot), stored);
    // The first query of a run starts from the working copy.
    const QString initial = receiveDir ? QFile::decodeName(QFile::encodeName(QDir::homePath()))
                                       : QStringLiteral("Default String");
    const QString caption =
        receiveDir ? QStringLiteral("Default Directory") : QStringLiteral("Connect Command");
    QCOMPARE(f.query.queries, QStringList{caption + "|ZModem File Transfer|" + initial});
    if (receiveDir)
        QCOMPARE(Ferrow->nrZModem1->GetDefaultPath(),
                 stored.isEmpty() ? homeDir : QString::fromLatin1(stored));
}

void ZModemControlsTest::sendToRemote_data()
{
    QTest::addColumn<bool>("converse");
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("silenceMs"); // the line falls silent a third of the way in
    QTest::addColumn<bool>("refused");  // the remote station turns the file down

    QTest::newRow("converse off, empty file") << false << 0 << 0 << false;
    QTest::newRow("converse off, 100 KiB") << false << 100 * 1024 << 0 << false;
    QTest::newRow("converse on wraps the send") << true << 3000 << 0 << false;
    QTest::newRow("90 s of silence mid-file, the window's time-outs")
        << false << 100 * 1024 << 90000 << false;
    QTest::newRow("refused by the far end: an abort, disconnect included") << true << 3000 << 0 << true;
}

void ZModemControlsTest::sendToRemote()
{
    QFETCH(bool, converse);
    QFETCH(int, size);
    QFETCH(int, silenceMs);
    QFETCH(bool, refused);
    WindowFixture f;
    openLine(f);
    SkippingClock clock;
    Ferrow->nrZModem1->SetClock([&] { return clock.now(); });
    RemoteStation remote(f.device(), &clock);
    remote.refuseFiles = refused;
    G.ZModemConnectCommand.store("C W1AW");
    if (converse)
        Ferrow->ConverseOn->trigger();
    const QByteArray content = pattern(size);
    chooseFile(f, writeFile(f.home(), QStringLiteral("net report.txt"), content));
    f.transcript.clear();

    Ferrow->ZSendBtn->click();
    QVERIFY(!Ferrow->ZSendBtn->isEnabled());
    QVERIFY(Ferrow->ZBreakBtn->isEnabled());
    silenceMidFile(clock, remote, silenceMs);
    const QString expected = refused
        ? QStringLiteral("Sending...\nnet report.txt\nZModem: the far end refused net report.txt")
        : QStringLiteral("Sending...\nnet report.txt\nFile Sent\nEnd of Transfers\n");
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), expected, WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!Ferrow->ZBreakBtn->isEnabled(), WaitMs);

    const auto* got = remote.files.file("/remote/net report.txt");
    QCOMPARE(got != nullptr, !refused);
    if (got)
        QCOMPARE(QByteArray(reinterpret_cast<const char*>(got->data()), qsizetype(got->size())), content);
    QVERIFY(remote.aborts.empty());
    const QStringList connected{"SendString C W1AW", "SendChar 13", "pause 750", "SendString <3>",
                                "SendString DISCONNECT<13>"};
    QCOMPARE(f.transcript.entries, converse ? connected : QStringList{});
    QVERIFY(Ferrow->ZSendBtn->isEnabled());
    QVERIFY(!Ferrow->ZBreakBtn->isEnabled());
    QCOMPARE(Ferrow->ZProgressBar->value(), 0);
    // Every status line went through the clipboard; the last one is there.
    QVERIFY(QGuiApplication::clipboard()->text().contains(refused ? QStringLiteral("net report.txt")
                                                                  : QStringLiteral("End of Transfers")));
    QCOMPARE(G.ActiveScreen, 1);
}

void ZModemControlsTest::receiveFromRemote_data()
{
    QTest::addColumn<int>("silenceMs"); // the line falls silent a third of the way in
    QTest::newRow("clean line") << 0;
    QTest::newRow("90 s of silence mid-file, the window's time-outs") << 90000;
}

void ZModemControlsTest::receiveFromRemote()
{
    QFETCH(int, silenceMs);
    WindowFixture f;
    openLine(f);
    SkippingClock clock;
    Ferrow->nrZModem1->SetClock([&] { return clock.now(); });
    RemoteStation remote(f.device(), &clock);
    const QString inbox = f.home() + QStringLiteral("inbox");
    QDir().mkpath(inbox);
    writeFile(inbox, QStringLiteral("traffic.txt"), "already here"); // never overwritten
    f.query.textAnswers << inbox.toLocal8Bit();
    Ferrow->RcvDir->trigger();
    Ferrow->ReceiveScreen->clear();
    Ferrow->LogScreen->clear();

    const QByteArray content = pattern(300 * 1024);
    remote.files.putFile("/remote/traffic.txt", {content.begin(), content.end()});
    // The buttons as the announcement left them, before the file came in.
    bool sendWhileReceiving = true, breakWhileReceiving = false;
    QObject::connect(Ferrow->nrZModem1, &TnrZModem::OnBeforeReceived, Ferrow, [&] {
        sendWhileReceiving = Ferrow->ZSendBtn->isEnabled();
        breakWhileReceiving = Ferrow->ZBreakBtn->isEnabled();
    });
    QVERIFY(remote.send("/remote/traffic.txt"));
    silenceMidFile(clock, remote, silenceMs);

    QTRY_VERIFY_WITH_TIMEOUT(statusText().contains(QStringLiteral("End of Transfers")), WaitMs);
    QVERIFY(remote.aborts.empty());

    const QString text = statusText();
    const qsizetype receiving = text.indexOf(QStringLiteral("\nReceiving...\ntraffic.txt\n"));
    const qsizetype received = text.indexOf(QStringLiteral("\nFile Received\n"));
    const qsizetype end = text.indexOf(QStringLiteral("\nEnd of Transfers\n"));
    QVERIFY2(receiving >= 0 && receiving < received && received < end, qPrintable(text));
    QVERIFY(!sendWhileReceiving);
    QVERIFY(breakWhileReceiving); // the operator can stop a transfer that ties up the channel
    QFile kept(QDir(inbox).filePath(QStringLiteral("traffic.txt")));
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), QByteArray("already here"));
    QFile arrived(QDir(inbox).filePath(QStringLiteral("traffic.txt.1")));
    QVERIFY(arrived.open(QIODevice::ReadOnly));
    QCOMPARE(arrived.readAll(), content);
    QCOMPARE(QDir(inbox).entryList(QDir::Files).size(), 2); // no temporary left behind
    // The transfer's bytes never reached the receive screen.
    QVERIFY(!Ferrow->ReceiveScreen->toPlainText().contains(QStringLiteral("B0100")));
    QVERIFY(Ferrow->ZSendBtn->isEnabled());
    QVERIFY(!Ferrow->ZBreakBtn->isEnabled());
}

void ZModemControlsTest::strayStartHeard_data()
{
    QTest::addColumn<bool>("operatorBreaks"); // or the session is left to end by itself
    QTest::newRow("nothing follows for 30 s: ends by itself, no disconnect") << false;
    QTest::newRow("Break from its first byte") << true;
}

// Another station's transfer start, heard while monitoring in connected mode, and a line of text after it.
void ZModemControlsTest::strayStartHeard()
{
    QFETCH(bool, operatorBreaks);
    WindowFixture f;
    openLine(f);
    SkippingClock clock;
    Ferrow->nrZModem1->SetClock([&] { return clock.now(); });
    Ferrow->ConverseOn->trigger();
    Ferrow->ReceiveScreen->clear();
    f.transcript.clear();

    f.device()->inject(StartHeader + "de N0CALL: QSL? K\r");
    QCoreApplication::processEvents();
    QVERIFY(Ferrow->ZBreakBtn->isEnabled());
    QVERIFY(Ferrow->ZSendBtn->isEnabled()); // no file announced yet
    QVERIFY(!Ferrow->ReceiveScreen->toPlainText().contains(QStringLiteral("QSL?")));
    if (operatorBreaks)
        Ferrow->ZBreakBtn->click();
    else
        skipTime(clock, nullptr, 30000);
    QCoreApplication::processEvents();

    QVERIFY(!Ferrow->nrZModem1->GetTransferring());
    QVERIFY(!Ferrow->ZBreakBtn->isEnabled());
    QVERIFY(Ferrow->ZSendBtn->isEnabled());
    // The held text reaches the screen after the start, in order, either way.
    Ferrow->flushPendingReceive();
    const QString screen = Ferrow->ReceiveScreen->toPlainText();
    const qsizetype start = screen.indexOf(QStringLiteral("B00000000000000"));
    QVERIFY2(start >= 0 && start < screen.indexOf(QStringLiteral("de N0CALL: QSL? K")), qPrintable(screen));
    // Left to itself it says why in the status memo and tells the line nothing: no abort sequence, no
    // "DISCONNECT" (no OnAbort). The operator's Break is an abort like any other.
    QCOMPARE(statusText().contains(QStringLiteral("no transfer followed")), !operatorBreaks);
    const QString sent = f.transcript.entries.join('\n');
    QCOMPARE(sent.contains(QStringLiteral("<24><24><24><24><24><24><24><24>")), operatorBreaks);
    QCOMPARE(sent.contains(QStringLiteral("DISCONNECT")), operatorBreaks);
}

void ZModemControlsTest::narrowLineRefusedAtOnce()
{
    WindowFixture f;
    f.show();
    openFakePort(1); // 7 data bits, as a TNC link starts
    RemoteStation remote(f.device());
    chooseFile(f, writeFile(f.home(), QStringLiteral("x.txt"), "x"));
    Ferrow->ZSendBtn->click();
    QVERIFY(statusText().contains(QStringLiteral("needs 8")));
    QTRY_VERIFY_WITH_TIMEOUT(Ferrow->ZSendBtn->isEnabled(), WaitMs);
    QVERIFY(remote.terminal.isEmpty()); // not a byte of ZModem went out
}

void ZModemControlsTest::interruptedTransfer_data()
{
    QTest::addColumn<QString>("action"); // what the operator does a tenth of the way in
    QTest::addColumn<bool>("receiving");
    QTest::newRow("Break while sending") << "break" << false;
    QTest::newRow("Break while receiving") << "break" << true;
    QTest::newRow("Disable while receiving") << "disable" << true;
    QTest::newRow("closing the window while sending") << "close" << false;
}

void ZModemControlsTest::interruptedTransfer()
{
    QFETCH(QString, action);
    QFETCH(bool, receiving);
    WindowFixture f;
    openLine(f);
    RemoteStation remote(f.device());
    const QString inbox = f.home() + QStringLiteral("inbox");
    QDir().mkpath(inbox);
    Ferrow->nrZModem1->SetDefaultPath(inbox);
    const QByteArray content = pattern(4 * 1024 * 1024);
    bool acted = false, breakStillEnabled = true;
    whenProgressReaches(10, [&] {
        if (action == "break") {
            Ferrow->ZBreakBtn->click();
            breakStillEnabled = Ferrow->ZBreakBtn->isEnabled();
        } else if (action == "disable") {
            Ferrow->ZDisable->trigger();
        } else {
            Ferrow->close();
            // The abort sequence was queued before the port closed.
            QVERIFY(!Ferrow->nrComm1->GetActive());
            QVERIFY(!Ferrow->nrZModem1->GetTransferring());
        }
        acted = true;
    });
    if (receiving) {
        remote.files.putFile("/remote/long.bin", {content.begin(), content.end()});
        QVERIFY(remote.send("/remote/long.bin"));
    } else {
        chooseFile(f, writeFile(f.home(), QStringLiteral("long.bin"), content));
        Ferrow->ZSendBtn->click();
    }

    QTRY_VERIFY_WITH_TIMEOUT(acted && Ferrow->ZSendBtn->isEnabled(), WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!remote.aborts.empty(), WaitMs);
    QCOMPARE(Ferrow->ZProgressBar->value(), 0);
    QVERIFY(!statusText().contains(QStringLiteral("File Sent")));
    QVERIFY(!statusText().contains(QStringLiteral("File Received")));
    // Neither end keeps a file that looks complete, nor a partial one.
    QVERIFY(remote.files.file("/remote/long.bin") == nullptr || receiving);
    QCOMPARE(QDir(inbox).entryList(QDir::Files | QDir::Hidden), QStringList{});
    if (action == "break") {
        QVERIFY(!breakStillEnabled);
        // "Aborted" is written before the component is told to stop.
        const QString text = statusText();
        QVERIFY(text.indexOf(QStringLiteral("Aborted\n")) >= 0);
        QVERIFY(text.indexOf(QStringLiteral("Aborted\n")) < text.indexOf(QStringLiteral("transfer aborted")));
    }
    if (action == "disable")
        QCOMPARE(G.ZModemEnabled, 0);
}

QTEST_MAIN(ZModemControlsTest)
#include "zmodem_controls_test.moc"

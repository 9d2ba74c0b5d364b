// The ZModem panel and menu on the main window, with a remote station running ZModem at the far end of a
// fake serial line: the refusals and their boxes, the connected-mode bytes, the status lines, the queries,
// and the safety of breaking, disabling, closing and narrow lines.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "screens/screen_memo.h"
#include "transfer/nr_zmodem.h"
#include "transfer/zmodem/engine.h"
#include "transfer/zmodem/memory_file_store.h"
#include "file_bytes.h"
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

namespace zm = quillmar::zmodem;
constexpr int WaitMs = 20000;

// A remote station on the fake line: an engine on in-memory files in /remote, fed what the program sends
// and answering after the current event, as over a real line.
struct RemoteStation : zm::Listener, zm::ByteSink {
    explicit RemoteStation(FakeTransport* line)
        : engine(*this, files, *this, zm::Config{})
        , line_(line)
    {
        files.addDirectory("/remote");
        zm::Config config = engine.config();
        config.receiveDirectory = "/remote";
        engine.setConfig(config);
        line_->peer = [this](const QByteArray& bytes) {
            std::vector<std::uint8_t> passed;
            engine.feed(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size()),
                        passed);
            terminal.append(reinterpret_cast<const char*>(passed.data()), qsizetype(passed.size()));
            pumpAll();
        };
    }
    ~RemoteStation() { line_->peer = nullptr; }
    bool send(const std::string& path)
    {
        const bool ok = engine.send({path});
        pumpAll();
        return ok;
    }
    // A slice at a time, so the program's events interleave with the transfer as on a line.
    void pumpAll()
    {
        if (engine.hasOutput() && !pumpPending_) {
            engine.pump(16 * 1024);
            pumpPending_ = engine.hasOutput();
            if (pumpPending_)
                QTimer::singleShot(0, &alive_, [this] {
                    pumpPending_ = false;
                    pumpAll();
                });
        }
    }
    void write(const std::uint8_t* data, std::size_t size) override
    {
        const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
        QTimer::singleShot(0, &alive_, [this, bytes] {
            if (line_->isOpen())
                line_->inject(bytes);
        });
    }
    void aborted(const std::string& reason) override { aborts.push_back(reason); }
    bool fileOffered(const std::string&, std::uint64_t) override { return !refuseFiles; }

    zm::MemoryFileStore files;
    zm::Engine engine;
    QByteArray terminal; // what it saw outside transfers
    std::vector<std::string> aborts;
    bool refuseFiles = false; // turns every offered file down (ZSKIP)

private:
    FakeTransport* line_;
    QObject alive_; // what is still queued for the line goes with the station
    bool pumpPending_ = false;
};

// A file on disk for the program to send.
QString writeFile(const QString& dir, const QString& name, const QByteArray& content)
{
    const QString path = QDir(dir).filePath(name);
    return writeFile(path, content) ? path : QString();
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

} // namespace

class ZModemControlsTest : public QObject {
    Q_OBJECT
private slots:
    void zSendRefusals_data();
    void zSendRefusals();
    void strayStartHeard_data();
    void strayStartHeard();
    void cancelledQueriesStoreNothing();
    void transferWithRemote_data();
    void transferWithRemote();
    void interruptedTransfer_data();
    void interruptedTransfer();
};

void ZModemControlsTest::zSendRefusals_data()
{
    QTest::addColumn<bool>("enabled");
    QTest::addColumn<bool>("converse");
    QTest::addColumn<int>("byteSize");
    QTest::addColumn<QList<std::optional<QString>>>("fileChoices");
    QTest::addColumn<QStringList>("transcript");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("status");      // a reason in the status memo; empty: none
    QTest::addColumn<bool>("sessionRunning"); // a start was heard on the line just before

    const QString rcv = QStringLiteral("ZModem Error|ZModem Rcv Active must be checked");
    const QString noFile = QStringLiteral("ZModem Error| A file must be specified");
    const QStringList none, connect{"SendString C W1AW", "SendChar 13", "pause 750"};
    const QList<std::optional<QString>> hostname{QStringLiteral("/etc/hostname")}, noChoice;
    QTest::newRow("Enable unchecked: only that box, not even the connect command")
        << false << true << 8 << hostname << none << QStringList{rcv} << QString() << false;
    QTest::newRow("no file chosen") << true << false << 8 << noChoice << none << QStringList{noFile}
                                    << QString() << false;
    QTest::newRow("connected mode without a file: connect command first, then the box")
        << true << true << 8 << noChoice << connect << QStringList{noFile} << QString() << false;
    QTest::newRow("Z-File cancelled after a choice")
        << true << false << 8 << hostname + QList<std::optional<QString>>{std::nullopt} << none
        << QStringList{noFile} << QString() << false;
    QTest::newRow("a session runs: refused before the connect command, no disconnect after")
        << true << true << 8 << hostname << none << QStringList{} << "Z-Send refused: a transfer is running"
        << true;
    QTest::newRow("7 data bits: not a byte of ZModem goes out")
        << true << false << 7 << hostname << none << QStringList{} << "needs 8" << false;
}

void ZModemControlsTest::zSendRefusals()
{
    QFETCH(bool, enabled);
    QFETCH(bool, converse);
    QFETCH(int, byteSize);
    QFETCH(QList<std::optional<QString>>, fileChoices);
    QFETCH(QStringList, transcript);
    QFETCH(QStringList, boxes);
    QFETCH(QString, status);
    QFETCH(bool, sessionRunning);

    WindowFixture f;
    openLine(f);
    Ferrow->nrComm1->SetByteSize(byteSize);
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
    Ferrow->LogScreen->clear();

    Ferrow->ZSendBtn->click();
    QTRY_VERIFY_WITH_TIMEOUT(Ferrow->ZSendBtn->isEnabled(), WaitMs); // an abort's events come first

    QCOMPARE(f.transcript.entries, transcript);
    QCOMPARE(f.query.boxes, boxes);
    QVERIFY2(status.isEmpty() ? statusText().isEmpty() : statusText().contains(status),
             qPrintable(statusText()));
    QCOMPARE(Ferrow->nrZModem1->GetTransferring(), sessionRunning);
    QTRY_COMPARE_WITH_TIMEOUT(Ferrow->ZBreakBtn->isEnabled(), sessionRunning, WaitMs);
    // A cancelled choice keeps the old name in the field.
    if (!fileChoices.isEmpty())
        QCOMPARE(Ferrow->ZModemEdit->text(), QStringLiteral("/etc/hostname"));
}

// A cancelled query stores nothing (the answered ones are used by transferWithRemote).
void ZModemControlsTest::cancelledQueriesStoreNothing()
{
    WindowFixture f;
    f.show();
    G.ZModemConnectCommand.store("C W1AW");
    G.ZModemReceiveDir.store("/srv/inbox");
    f.query.textAnswers << std::nullopt << std::nullopt;
    Ferrow->ModemConnect->trigger();
    Ferrow->RcvDir->trigger();
    QCOMPARE(slotBytes(G.ZModemConnectCommand), QByteArray("C W1AW"));
    QCOMPARE(slotBytes(G.ZModemReceiveDir), QByteArray("/srv/inbox"));
    QCOMPARE(f.query.queries.size(), 2);
}

void ZModemControlsTest::transferWithRemote_data()
{
    QTest::addColumn<bool>("receiving"); // the remote station sends; or the operator uses Z-Send
    QTest::addColumn<bool>("converse");
    QTest::addColumn<bool>("refused"); // the remote station turns the file down
    QTest::addColumn<QString>("status");
    QTest::addColumn<QStringList>("transcript");

    const QStringList none,
        wrapped{"SendString C W1AW", "SendChar 13", "pause 750", "SendString <3>",
                "SendString DISCONNECT<13>"};
    QTest::newRow("Z-Send, converse off")
        << false << false << false << "Sending...\nnet report.txt\nFile Sent\nEnd of Transfers\n"
        << none;
    QTest::newRow("Z-Send in converse mode: connect before, ETX and disconnect after")
        << false << true << false << "Sending...\nnet report.txt\nFile Sent\nEnd of Transfers\n"
        << wrapped;
    QTest::newRow("Z-Send refused by the far end: an abort, disconnect included")
        << false << true << true << "Sending...\nnet report.txt\nZModem: the far end refused net report.txt"
        << wrapped;
    QTest::newRow("the remote sends: the file lands beside the one already there")
        << true << false << false
        << "ZModem: a remote station is starting a transfer\nReceiving...\nnet report.txt\n"
           "ZModem: received <inbox>/net report.txt.1\nFile Received\nEnd of Transfers\n"
        << none;
}

void ZModemControlsTest::transferWithRemote()
{
    QFETCH(bool, receiving);
    QFETCH(bool, converse);
    QFETCH(bool, refused);
    QFETCH(QString, status);
    QFETCH(QStringList, transcript);
    WindowFixture f;
    openLine(f);
    RemoteStation remote(f.device());
    remote.refuseFiles = refused;
    const QString inbox = f.home() + QStringLiteral("inbox");
    QDir().mkpath(inbox);
    writeFile(inbox, QStringLiteral("net report.txt"), "already here"); // never overwritten
    f.query.textAnswers << inbox.toLocal8Bit() << "C W1AW";
    Ferrow->RcvDir->trigger();
    Ferrow->ModemConnect->trigger();
    // Each query starts from the working copy.
    const QString home = QFile::decodeName(QFile::encodeName(QDir::homePath()));
    QCOMPARE(f.query.queries,
             (QStringList{"Default Directory|ZModem File Transfer|" + home,
                          "Connect Command|ZModem File Transfer|Default String"}));
    if (converse)
        Ferrow->ConverseOn->trigger();
    const QByteArray content = pattern(100 * 1024);
    Ferrow->LogScreen->clear();
    f.transcript.clear();
    if (receiving) {
        remote.files.putFile("/remote/net report.txt", {content.begin(), content.end()});
        QVERIFY(remote.send("/remote/net report.txt"));
    } else {
        f.query.fileAnswers << writeFile(f.home(), QStringLiteral("net report.txt"), content);
        Ferrow->ZFileOpenBtn->click();
        f.transcript.clear();
        Ferrow->ZSendBtn->click();
        QVERIFY(!Ferrow->ZSendBtn->isEnabled());
        QVERIFY(Ferrow->ZBreakBtn->isEnabled());
    }
    QTRY_COMPARE_WITH_TIMEOUT(statusText(), QString(status).replace("<inbox>", inbox), WaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(!Ferrow->ZBreakBtn->isEnabled(), WaitMs);

    QVERIFY(remote.aborts.empty());
    QCOMPARE(f.transcript.entries, transcript);
    const auto* got = remote.files.file("/remote/net report.txt");
    if (!receiving)
        QCOMPARE(got ? QByteArray(reinterpret_cast<const char*>(got->data()), qsizetype(got->size()))
                     : "<none>",
                 refused ? "<none>" : content);
    // Received under a new name, nothing else left in the folder.
    QCOMPARE(QDir(inbox).entryList(QDir::Files | QDir::Hidden).size(), receiving ? 2 : 1);
    QCOMPARE(readFile(inbox + QStringLiteral("/net report.txt")), QByteArray("already here"));
    if (receiving)
        QCOMPARE(readFile(inbox + QStringLiteral("/net report.txt.1")), content);
    QVERIFY(Ferrow->ZSendBtn->isEnabled());
    QCOMPARE(Ferrow->ZProgressBar->value(), 0);
    // Every status line went through the clipboard; the last one is there.
    QVERIFY(QGuiApplication::clipboard()->text().contains(refused ? "net report.txt" : "End of Transfers"));
    QCOMPARE(G.ActiveScreen, 1);
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
    quint64 now = 1000;
    Ferrow->nrZModem1->SetClock([&] { return now; });
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
    for (int tick = 0; tick < 60 && !operatorBreaks; ++tick) {
        now += 500;
        Ferrow->nrZModem1->Tick();
    }
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
    bool acted = false, sendEnabled = true, breakStillEnabled = true;
    whenProgressReaches(10, [&] {
        sendEnabled = Ferrow->ZSendBtn->isEnabled();
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
    QVERIFY(!sendEnabled); // Z-Send is off while any transfer runs, Break on (it was clicked above)
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

// The ZModem panel and menu on the main window, with a remote station running ZModem at the far end of a
// fake serial line: refusals and their boxes, connected-mode bytes, status lines, queries, interruptions.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "file_bytes.h"
#include "link/nr_comm.h"
#include "screens/screen_memo.h"
#include "transfer/nr_zmodem.h"
#include "window_fixture.h"
#include "zmodem_test_link.h"

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

#pragma GCC diagnostic ignored "-Wmissing-field-initializers" // rows name only what they change

namespace {

constexpr int WaitMs = 20000;

// A remote station on the fake line: an engine on in-memory files, fed what the program sends and answering
// after the current event, as over a real line.
struct RemoteStation : zmodemtest::Station {
    explicit RemoteStation(FakeTransport* line)
        : line_(line)
    {
        line_->peer = [this](const QByteArray& bytes) {
            engine.feed(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size()),
                        terminal);
            pumpAll();
        };
    }
    ~RemoteStation() { line_->peer = nullptr; }
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

private:
    FakeTransport* line_;
    QObject alive_; // what is still queued for the line goes with the station
    bool pumpPending_ = false;
};

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

// What a sender's start looks like on the line; another station's, heard while monitoring, is the same.
const QByteArray StartHeader("rz\r**\x18"
                             "B00000000000000\r\x8a\x11");

// A Z-Send the program turns down, and what it set up first.
struct Refusal {
    bool enabled = true, converse = false;
    int byteSize = 8;
    QList<std::optional<QString>> fileChoices{QStringLiteral("/etc/hostname")};
    bool sessionRunning = false; // a start was heard on the line just before
    QStringList transcript, boxes;
    QString status; // a reason in the status memo; empty: none
};

// A transfer with the remote station, left to end or interrupted a tenth of the way in.
struct Transfer {
    bool receiving = false; // the remote station sends; or the operator uses Z-Send
    bool converse = false;
    bool refused = false; // the remote station turns the file down
    QString action;       // "break", "disable" or "close" a tenth of the way in; empty: none
    QString status;       // the status memo at the end of an uninterrupted transfer
    QStringList transcript;
};

} // namespace

Q_DECLARE_METATYPE(Refusal)
Q_DECLARE_METATYPE(Transfer)

class ZModemControlsTest : public QObject {
    Q_OBJECT
private slots:
    void zSendRefusals_data();
    void zSendRefusals();
    void strayStartHeard_data();
    void strayStartHeard();
    void transferWithRemote_data();
    void transferWithRemote();
};

void ZModemControlsTest::zSendRefusals_data()
{
    QTest::addColumn<Refusal>("r");
    const QStringList rcv{"ZModem Error|ZModem Rcv Active must be checked"};
    const QStringList noFile{"ZModem Error| A file must be specified"};
    const QStringList connect{"SendString C W1AW", "SendChar 13", "pause 750"};
    const auto row = [](const char* name, Refusal r) { QTest::newRow(name) << r; };
    row("Enable unchecked: only that box, not even the connect command",
        {.enabled = false, .converse = true, .boxes = rcv});
    row("no file chosen", {.fileChoices = {}, .boxes = noFile});
    row("connected mode without a file: connect command first, then the box",
        {.converse = true, .fileChoices = {}, .transcript = connect, .boxes = noFile});
    row("Z-File cancelled after a choice", {.fileChoices = {"/etc/hostname", std::nullopt}, .boxes = noFile});
    row("a session runs: refused before the connect command, no disconnect after",
        {.converse = true, .sessionRunning = true, .status = "Z-Send refused: a transfer is running"});
    row("7 data bits: not a byte of ZModem goes out", {.byteSize = 7, .status = "needs 8"});
    row("connected mode, the chosen file gone: one disconnect after the abort",
        {.converse = true,
         .fileChoices = {"/nonexistent/report.txt"},
         .transcript = connect + QStringList{"SendString <3>", "SendString DISCONNECT<13>"},
         .status = "cannot open /nonexistent/report.txt"});
}

void ZModemControlsTest::zSendRefusals()
{
    QFETCH(Refusal, r);
    WindowFixture f;
    openLine(f);
    Ferrow->nrComm1->SetByteSize(r.byteSize);
    G.ZModemConnectCommand.store("C W1AW");
    G.ZModemReceiveDir.store("/srv/inbox");
    f.query.textAnswers << std::nullopt << std::nullopt; // cancelled queries store nothing
    Ferrow->ModemConnect->trigger();
    Ferrow->RcvDir->trigger();
    if (!r.enabled)
        Ferrow->ZDisable->trigger();
    if (r.converse)
        Ferrow->ConverseOn->trigger();
    for (const std::optional<QString>& choice : r.fileChoices) {
        f.query.fileAnswers << choice;
        Ferrow->ZFileOpenBtn->click();
    }
    if (r.sessionRunning) {
        Ferrow->nrZModem1->SetClock([] { return quint64(1000); }); // no time-out meanwhile, however slow
        f.device()->inject(StartHeader);
    }
    QCoreApplication::processEvents();
    f.transcript.clear();
    Ferrow->LogScreen->clear();

    Ferrow->ZSendBtn->click();
    QTRY_VERIFY_WITH_TIMEOUT(Ferrow->ZSendBtn->isEnabled(), WaitMs); // an abort's events come first

    QCOMPARE(f.transcript.entries, r.transcript);
    QCOMPARE(f.query.boxes, r.boxes);
    QVERIFY2(r.status.isEmpty() ? statusText().isEmpty() : statusText().contains(r.status),
             qPrintable(statusText()));
    QCOMPARE(Ferrow->nrZModem1->GetTransferring(), r.sessionRunning);
    QTRY_COMPARE_WITH_TIMEOUT(Ferrow->ZBreakBtn->isEnabled(), r.sessionRunning, WaitMs);
    if (!r.fileChoices.isEmpty()) // a cancelled choice keeps the old name
        QCOMPARE(Ferrow->ZModemEdit->text(), *r.fileChoices.first());
    QCOMPARE(slotBytes(G.ZModemReceiveDir), QByteArray("/srv/inbox"));
}

void ZModemControlsTest::strayStartHeard_data()
{
    QTest::addColumn<QString>("action"); // what the operator does while the start waits; "wait": nothing
    QTest::newRow("nothing follows for 30 s: ends by itself, no disconnect") << "wait";
    QTest::newRow("Break from its first byte") << "break";
    // 3.7 s after the start the operator's command takes the receive screen, held lines included.
    QTest::newRow("Log OFF 3.7 s after: the held lines are in the log") << "log off";
    QTest::newRow("Save Receive 3.7 s after: the held lines are in the file") << "save";
    QTest::newRow("Print Receive 3.7 s after: the held lines are printed") << "print";
    QTest::newRow("Select All and Copy 3.7 s after: the held lines are on the clipboard") << "copy";
    QTest::newRow("Select All and Cut 3.7 s after: the held lines go to the clipboard once") << "cut";
    QTest::newRow("window closed 1 s after: nothing to the line") << "close";
}

// Another station's transfer start, heard while monitoring in connected mode, and lines of text after it.
void ZModemControlsTest::strayStartHeard()
{
    QFETCH(QString, action);
    WindowFixture f;
    openLine(f);
    quint64 now = 1000;
    Ferrow->nrZModem1->SetClock([&] { return now; });
    Ferrow->ConverseOn->trigger();
    Ferrow->ReceiveScreen->clear();
    const QString logPath = f.home() + QStringLiteral("ops.rtf");
    if (action == "log off") {
        f.query.fileAnswers << logPath;
        Ferrow->LogBtn->click();
        QCOMPARE(G.LogActive, 1);
    }
    f.transcript.clear();

    QByteArray lines;
    for (int i = 0; i < 40; ++i)
        lines += "de N0CALL: QSL? " + QByteArray::number(i) + "\r";
    f.device()->inject(StartHeader + lines);
    QCoreApplication::processEvents();
    QVERIFY(Ferrow->ZBreakBtn->isEnabled() && Ferrow->ZSendBtn->isEnabled()); // no file announced yet
    QVERIFY(!Ferrow->ReceiveScreen->toPlainText().contains(QStringLiteral("QSL?")));
    const bool breaks = action == "break", closes = action == "close";
    const bool takes = !breaks && !closes && action != "wait";
    if (breaks)
        Ferrow->ZBreakBtn->click();
    if (takes) {
        now += 3700;
        Ferrow->nrZModem1->Tick();
        QByteArray taken; // what the command took from the receive screen
        const QString path = f.home() + QStringLiteral("taken.rtf");
        if (action == "log off") {
            Ferrow->LogBtn->click();
            QCOMPARE(G.LogActive, 0);
            taken = readFile(logPath);
        } else if (action == "save") {
            f.query.fileAnswers << path;
            Ferrow->Save1->trigger();
            taken = readFile(path);
        } else if (action == "print") {
            f.query.printAnswers << f.home() + QStringLiteral("taken.pdf");
            Ferrow->Print1->trigger();
            taken = Ferrow->TempEditBuffer->toPlainText().toUtf8();
        } else {
            G.ActiveScreen = ActiveReceiveScreen;
            Ferrow->SelectAll1->trigger();
            (action == "cut" ? Ferrow->Cut1 : Ferrow->Copy1)->trigger();
            taken = QGuiApplication::clipboard()->text().toUtf8();
        }
        taken.replace("\r\n", "\n");
        QVERIFY2(taken.indexOf("QSL? 0\n") < taken.indexOf("QSL? 39\n") && taken.indexOf("QSL? 0\n") >= 0 &&
                     taken.count("QSL? 17\n") == 1,
                 taken.constData());
        // The header's line is ended: the first held line starts one of its own.
        QVERIFY2(taken.contains("B00000000000000\nde N0CALL: QSL? 0"), taken.constData());
    }
    if (closes) {
        now += 1000;
        Ferrow->nrZModem1->Tick();
        Ferrow->close();
    }
    for (int tick = 0; tick < 60 && !breaks && !closes; ++tick) {
        now += 500;
        Ferrow->nrZModem1->Tick();
    }
    QCoreApplication::processEvents();

    QVERIFY(!Ferrow->nrZModem1->GetTransferring() && !Ferrow->ZBreakBtn->isEnabled() &&
            Ferrow->ZSendBtn->isEnabled());
    // The held text reaches the screen after the start, in order, each line once, whatever happened.
    Ferrow->flushPendingReceive();
    const QString screen = Ferrow->ReceiveScreen->toPlainText();
    if (action == "cut") // and none of them comes back
        QVERIFY2(!screen.contains(QStringLiteral("QSL?")), qPrintable(screen));
    else
        QVERIFY2(screen.contains(QStringLiteral("B00000000000000\nde N0CALL: QSL? 0\n")) &&
                     screen.endsWith(QStringLiteral("QSL? 39\n")) &&
                     screen.count(QStringLiteral("QSL? 17\n")) == 1,
                 qPrintable(screen));
    // Left to itself it says why and tells the line nothing (no abort sequence, no OnAbort's "DISCONNECT");
    // the operator's Break is an abort like any other.
    QCOMPARE(statusText().contains(QStringLiteral("no transfer followed")), !breaks);
    const QString sent = f.transcript.entries.join('\n');
    QCOMPARE(sent.contains(QStringLiteral("<24><24><24><24><24><24><24><24>")), breaks);
    QCOMPARE(sent.contains(QStringLiteral("DISCONNECT")), breaks);
}

void ZModemControlsTest::transferWithRemote_data()
{
    QTest::addColumn<Transfer>("t");
    const QStringList wrapped{"SendString C W1AW", "SendChar 13", "pause 750", "SendString <3>",
                              "SendString DISCONNECT<13>"};
    const QString sent = "Sending...\nnet report.txt\nFile Sent\nEnd of Transfers\n";
    const auto row = [](const char* name, Transfer t) { QTest::newRow(name) << t; };
    row("Z-Send, converse off", {.status = sent});
    row("Z-Send in converse mode: connect before, ETX and disconnect after",
        {.converse = true, .status = sent, .transcript = wrapped});
    row("Z-Send refused by the far end: an abort, disconnect included",
        {.converse = true,
         .refused = true,
         .status = "Sending...\nnet report.txt\nZModem: the far end refused net report.txt",
         .transcript = wrapped});
    row("the remote sends: the file lands beside the one already there",
        {.receiving = true,
         .status = "ZModem: a remote station is starting a transfer\nReceiving...\nnet report.txt\n"
                   "ZModem: received <inbox>/net report.txt.1\nFile Received\nEnd of Transfers\n"});
    row("Break while sending", {.action = "break"});
    row("Break while receiving", {.receiving = true, .action = "break"});
    row("Disable while receiving", {.receiving = true, .action = "disable"});
    row("closing the window while sending", {.action = "close"});
}

void ZModemControlsTest::transferWithRemote()
{
    QFETCH(Transfer, t);
    WindowFixture f;
    openLine(f);
    const QString name = QStringLiteral("net report.txt"), inbox = f.home() + QStringLiteral("inbox");
    RemoteStation remote(f.device());
    if (t.refused)
        remote.turnDown << name;
    QDir().mkpath(inbox);
    writeFile(inbox + "/" + name, "already here"); // never overwritten
    f.query.textAnswers << inbox.toLocal8Bit() << "C W1AW";
    Ferrow->RcvDir->trigger();
    Ferrow->ModemConnect->trigger();
    // Each query starts from the working copy.
    const QString home = QFile::decodeName(QFile::encodeName(QDir::homePath()));
    QCOMPARE(f.query.queries,
             (QStringList{"Default Directory|ZModem File Transfer|" + home,
                          "Connect Command|ZModem File Transfer|Default String"}));
    if (t.converse)
        Ferrow->ConverseOn->trigger();
    const QByteArray content = pattern(t.action.isEmpty() ? 100 * 1024 : 4 * 1024 * 1024);
    bool acted = false, sendEnabled = true, breakStillEnabled = true;
    auto done = std::make_shared<bool>(false);
    QObject::connect(Ferrow->ZProgressBar, &QProgressBar::valueChanged, Ferrow, [&, done](int value) {
        if (value < 10 || t.action.isEmpty() || std::exchange(*done, true))
            return;
        QTimer::singleShot(0, Ferrow, [&] {
            sendEnabled = Ferrow->ZSendBtn->isEnabled();
            if (t.action == "break") {
                Ferrow->ZBreakBtn->click();
                breakStillEnabled = Ferrow->ZBreakBtn->isEnabled();
            } else if (t.action == "disable") {
                Ferrow->ZDisable->trigger();
            } else {
                Ferrow->close();
                // The abort sequence was queued before the port closed.
                QVERIFY(!Ferrow->nrComm1->GetActive() && !Ferrow->nrZModem1->GetTransferring());
            }
            acted = true;
        });
    });
    Ferrow->LogScreen->clear();
    f.transcript.clear();
    const std::string remotePath = "/in/" + name.toStdString();
    if (t.receiving) {
        remote.files.putFile(remotePath, {content.begin(), content.end()});
        QVERIFY(remote.engine.send({remotePath}));
        remote.pumpAll();
    } else {
        f.query.fileAnswers << f.home() + name;
        QVERIFY(writeFile(f.home() + name, content));
        Ferrow->ZFileOpenBtn->click();
        f.transcript.clear();
        Ferrow->ZSendBtn->click();
        QVERIFY(!Ferrow->ZSendBtn->isEnabled() && Ferrow->ZBreakBtn->isEnabled());
    }
    if (t.action.isEmpty()) {
        QTRY_COMPARE_WITH_TIMEOUT(statusText(), QString(t.status).replace("<inbox>", inbox), WaitMs);
        QTRY_VERIFY_WITH_TIMEOUT(!Ferrow->ZBreakBtn->isEnabled(), WaitMs);
        QVERIFY(remote.aborts.isEmpty());
        QCOMPARE(f.transcript.entries, t.transcript);
        const auto* got = remote.files.file(remotePath);
        if (!t.receiving)
            QCOMPARE(got ? zmodemtest::textOf(*got) : "<none>", t.refused ? "<none>" : content);
        // Every status line went through the clipboard; the last one is there.
        QVERIFY(QGuiApplication::clipboard()->text().contains(t.refused ? name : "End of Transfers"));
    } else {
        QTRY_VERIFY_WITH_TIMEOUT(acted && Ferrow->ZSendBtn->isEnabled(), WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(remote.aborts, QStringList{"cancelled by the other side"}, WaitMs);
        QVERIFY(!sendEnabled); // Z-Send is off while any transfer runs
        QVERIFY(!statusText().contains(QStringLiteral("File Sent")) &&
                !statusText().contains("File Received"));
        // Neither end keeps a file that looks complete, nor a partial one.
        QVERIFY(remote.files.file(remotePath) == nullptr || t.receiving);
        if (t.action == "break") {
            QVERIFY(!breakStillEnabled);
            // "Aborted" is written before the component is told to stop.
            const qsizetype aborted = statusText().indexOf(QStringLiteral("Aborted\n"));
            QVERIFY(aborted >= 0 && aborted < statusText().indexOf(QStringLiteral("transfer aborted")));
        }
        QCOMPARE(G.ZModemEnabled, t.action == "disable" ? 0 : 1);
    }
    // Received under a new name beside the old file, nothing else left in the folder.
    const bool landed = t.receiving && t.action.isEmpty();
    QCOMPARE(QDir(inbox).entryList(QDir::Files | QDir::Hidden).size(), landed ? 2 : 1);
    QCOMPARE(readFile(inbox + "/" + name), QByteArray("already here"));
    if (landed)
        QCOMPARE(readFile(inbox + "/" + name + ".1"), content);
    QVERIFY(Ferrow->ZSendBtn->isEnabled());
    QCOMPARE(Ferrow->ZProgressBar->value(), 0);
    QCOMPARE(G.ActiveScreen, 1);
}

QTEST_MAIN(ZModemControlsTest)
#include "zmodem_controls_test.moc"

// ZModem against lrzsz's sz and rz over pseudo-terminal lines: the quillmar-zmodem tool, and the window's
// component on the real serial layer on a clean line, one silent for 45 s mid-file (sz gives up at 60 s),
// and a slow, far line against lrzsz between its own ends.
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "file_bytes.h"
#include "link/nr_comm.h"
#include "process_on_link.h"
#include "pty_relay.h"
#include "transfer/nr_zmodem.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr int kTransferMs = 60000;

QString tool()
{
    return qEnvironmentVariable("QUILLMAR_BUILD_DIR", ".") + "/quillmar-zmodem";
}

// Sends `name` from `outDir` with `sender` to `receiver` in `inDir` over a fresh line; the time until the
// sender exited, or -1 (with a note in `log`) when either failed or the file arrived different.
qint64 timedTransfer(const QStringList& sender, const QStringList& receiver, const QString& outDir,
                     const QString& inDir, const QString& name, PtyRelay::Channel channel, QByteArray& log)
{
    constexpr int kSlowTransferMs = 600000;
    QDir(inDir).removeRecursively();
    QDir().mkpath(inDir);
    PtyRelay line(channel);
    if (line.path(PtyRelay::A).empty()) {
        log += "no pseudo-terminals";
        return -1;
    }
    QProcess rx, tx;
    startOnLink(rx, inDir, QString::fromStdString(line.path(PtyRelay::B)), receiver);
    QElapsedTimer timer;
    timer.start();
    startOnLink(tx, outDir, QString::fromStdString(line.path(PtyRelay::A)), sender + QStringList{name});
    const bool done = tx.waitForFinished(kSlowTransferMs) && rx.waitForFinished(kSlowTransferMs);
    const qint64 took = timer.elapsed();
    log += (sender.join(' ') + " -> " + receiver.join(' ')).toUtf8() + ": " + tx.readAllStandardError() +
        " / " + rx.readAllStandardError() + "\n";
    const bool same = readFile(outDir + "/" + name) == readFile(inDir + "/" + name);
    return done && tx.exitCode() == 0 && rx.exitCode() == 0 && same ? took : -1;
}

QString statusText()
{
    return Ferrow->LogScreen->toPlainText();
}

// The window on its real serial layer, COM1 set for eight clean bits; received files go to its folder.
void showWindowForZmodem(WindowFixture& f)
{
    f.show();
    Ferrow->nrComm1->SetBaudRate(115200);
    Ferrow->nrComm1->SetByteSize(8);
    Ferrow->nrComm1->SetParity(0);
    Ferrow->nrZModem1->SetDefaultPath(f.home());
}

// One file through the window over `line`: COM1 leads to the line's end A and the peer runs on end B.
// With `windowSends` the operator sends `file` with Z-Send to rz in `peerDir`; otherwise sz sends
// `file` from `peerDir` and the window takes it by itself. Returns the time from the start until the
// window said "End of Transfers" and the peer exited with 0, or -1 with what went wrong in `log`.
qint64 windowTransfer(WindowFixture& f, const PtyRelay& line, bool windowSends, const QString& file,
                      const QString& peerDir, int timeoutMs, QByteArray& log)
{
    QFile::remove(f.home() + QStringLiteral("COM1"));
    if (!QFile::link(QString::fromStdString(line.path(PtyRelay::A)), f.home() + QStringLiteral("COM1"))) {
        log += "no pseudo-terminals";
        return -1;
    }
    if (windowSends)
        Ferrow->nrComm1->SetActive(true);
    else
        Ferrow->Comm11->trigger();
    if (!Ferrow->nrComm1->GetActive()) {
        log += statusText().toUtf8();
        return -1;
    }
    Ferrow->LogScreen->clear();
    QProcess peer;
    const QString name = QFileInfo(file).fileName();
    QElapsedTimer timer;
    timer.start();
    startOnLink(peer, peerDir, QString::fromStdString(line.path(PtyRelay::B)),
                windowSends ? QStringList{"rz", "-q"} : QStringList{"sz", "-q", name});
    if (windowSends && peer.waitForStarted(timeoutMs)) {
        f.query.fileAnswers << file;
        Ferrow->ZFileOpenBtn->click();
        Ferrow->ZSendBtn->click();
    }
    // Both ends done; a peer that gave up ends the wait as well.
    const auto peerDone = [&] { return peer.state() == QProcess::NotRunning; };
    const auto peerOk = [&] { return peer.exitStatus() == QProcess::NormalExit && peer.exitCode() == 0; };
    const auto windowDone = [] { return statusText().contains(QStringLiteral("End of Transfers")); };
    // Whether it ended in time is read just below, from the ends themselves.
    (void)QTest::qWaitFor([&] { return peerDone() && (!peerOk() || windowDone()); }, timeoutMs);
    const qint64 took = timer.elapsed();
    const bool ended = peerDone() && peerOk() && windowDone();
    Ferrow->nrComm1->SetActive(false); // before its line goes
    log += "window " + QByteArray(windowSends ? "to rz: " : "from sz: ") + peer.readAllStandardError() +
        "\n" + statusText().toUtf8() + "\n";
    return ended ? took : -1;
}

} // namespace

class ZmodemLrzszTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void transfersAgainstLrzsz_data();
    void transfersAgainstLrzsz();
    void slowFarLineKeepsUpWithLrzsz_data();
    void slowFarLineKeepsUpWithLrzsz();
    void transfersBothWays_data();
    void transfersBothWays();
};

void ZmodemLrzszTest::initTestCase()
{
    // A missing peer fails rather than skips, so a lost install step cannot pass unnoticed.
    for (const char* program : {"sz", "rz"})
        QVERIFY2(!QStandardPaths::findExecutable(program).isEmpty(),
                 qPrintable(QString(program) + " is not installed (the test script installs lrzsz)"));
    QVERIFY2(QFile::exists(tool()), qPrintable(tool() + " is missing"));
}

void ZmodemLrzszTest::transfersAgainstLrzsz_data()
{
    QTest::addColumn<bool>("oursSends");
    QTest::addColumn<QStringList>("names"); // sizes 0, 1, 1023, 1024, 1025, 3 MiB, 5000, ... in turn
    QTest::addColumn<QString>("alreadyThere");
    QTest::addColumn<QString>("refused"); // what our sender reports rz refused; it then exits 1

    const QStringList names{"empty", "one", "k-1", "k", "k+1", "three-mib", "net log 3.txt"};
    QTest::newRow("sz to ours: sizes 0 to 3 MiB in one session") << false << names << QString() << QString();
    QTest::newRow("ours to rz: sizes 0 to 3 MiB in one session") << true << names << QString() << QString();
    // rz refuses to replace a file: our sender takes the ZSKIP, carries on, and says it was refused.
    QTest::newRow("ours to rz: existing name is refused")
        << true << QStringList{"next.txt", "report.txt", "last.txt"} << "report.txt"
        << "the far end refused report.txt";
}

void ZmodemLrzszTest::transfersAgainstLrzsz()
{
    QFETCH(bool, oursSends);
    QFETCH(QStringList, names);
    QFETCH(QString, alreadyThere);
    QFETCH(QString, refused);

    QTemporaryDir folder;
    const QString outDir = folder.filePath("out/sub"), inDir = folder.filePath("in");
    QVERIFY(folder.isValid() && QDir().mkpath(outDir) && QDir().mkpath(inDir));
    const QList<int> sizes{0, 1, 1023, 1024, 1025, 3 << 20, 5000};
    for (qsizetype i = 0; i < names.size(); ++i)
        QVERIFY(writeFile(QDir(outDir).filePath(names[i]), pattern(sizes[i], quint32(i + 1))));
    const QByteArray oldContent("already here\n");
    if (!alreadyThere.isEmpty())
        QVERIFY(writeFile(inDir + "/" + alreadyThere, oldContent));

    PtyRelay line;
    const QString a = QString::fromStdString(line.path(PtyRelay::A)),
                  b = QString::fromStdString(line.path(PtyRelay::B));
    QVERIFY2(!a.isEmpty(), "no pseudo-terminals");
    QProcess receiver, sender;
    startOnLink(receiver, inDir, b,
                oursSends ? QStringList{"rz", "-vv"} : QStringList{tool(), "receive", "."});
    startOnLink(sender, outDir, a,
                (oursSends ? QStringList{tool(), "send"} : QStringList{"sz", "-vv"}) + names);
    QVERIFY2(sender.waitForFinished(kTransferMs), "sender did not finish");
    QVERIFY2(receiver.waitForFinished(kTransferMs), "receiver did not finish");
    const QByteArray log =
        "sender: " + sender.readAllStandardError() + "\nreceiver: " + receiver.readAllStandardError();
    QVERIFY2(sender.exitStatus() == QProcess::NormalExit && sender.exitCode() == (refused.isEmpty() ? 0 : 1),
             log.constData());
    QVERIFY2(log.contains(refused.toUtf8()), log.constData());
    QVERIFY2(receiver.exitStatus() == QProcess::NormalExit && receiver.exitCode() == 0, log.constData());

    for (qsizetype i = 0; i < names.size(); ++i)
        QCOMPARE(readFile(inDir + "/" + names[i]),
                 names[i] == alreadyThere ? oldContent : pattern(sizes[i], quint32(i + 1)));
    names.sort(); // nothing else: no temporary files, nothing under another name
    QCOMPARE(QDir(inDir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name), names);
}

void ZmodemLrzszTest::slowFarLineKeepsUpWithLrzsz_data()
{
    QTest::addColumn<bool>("windowSends");
    QTest::newRow("sz to the window") << false;
    QTest::newRow("the window to rz") << true;
}

// A radio channel: 1200 bytes/s each way, every byte 3 s late. 64 KiB arrive whole through the window
// and, with room for a loaded machine, not much later than lrzsz takes between its own two ends over
// the same kind of line.
void ZmodemLrzszTest::slowFarLineKeepsUpWithLrzsz()
{
    QFETCH(bool, windowSends);
    WindowFixture f(true);
    showWindowForZmodem(f);
    const QString outDir = f.home() + QStringLiteral("out"), inDir = f.home() + QStringLiteral("in");
    QVERIFY(QDir().mkpath(outDir));
    const QByteArray bytes = pattern(64 * 1024, 25);
    QVERIFY(writeFile(outDir + "/radio.bin", bytes));
    const PtyRelay::Channel channel{1200, 3000};
    QByteArray log;
    const qint64 lrzsz = timedTransfer({"sz", "-q"}, {"rz", "-q"}, outDir, inDir, "radio.bin", channel, log);
    QVERIFY2(lrzsz > 0, log.constData());
    QDir(inDir).removeRecursively();
    QVERIFY(QDir().mkpath(inDir));
    PtyRelay line(channel);
    const qint64 ours =
        windowTransfer(f, line, windowSends, windowSends ? outDir + "/radio.bin" : "radio.bin",
                       windowSends ? inDir : outDir, int(3 * lrzsz), log);
    QVERIFY2(ours > 0, log.constData());
    QCOMPARE(readFile((windowSends ? inDir + "/" : f.home()) + "radio.bin"), bytes);
    // The benchmark reads this line.
    qInfo("slowlink %s ours %lld ms lrzsz %lld ms", QTest::currentDataTag(), ours, lrzsz);
    QVERIFY2(ours <= 3 * lrzsz, log.constData());
}

void ZmodemLrzszTest::transfersBothWays_data()
{
    QTest::addColumn<int>("silenceMs"); // once a third of the file is across, both ways
    QTest::newRow("clean line") << 0;
    QTest::newRow("45 s silence mid-file") << 45000;
}

// The remote station sends with sz and the program takes the file by itself; then the operator sends one
// with Z-Send to rz, on a fresh line.
void ZmodemLrzszTest::transfersBothWays()
{
    QFETCH(int, silenceMs);
    WindowFixture f(true);
    showWindowForZmodem(f);
    const QString outbox = f.home() + QStringLiteral("outbox/"),
                  remote = f.home() + QStringLiteral("remote/");
    QVERIFY(QDir().mkpath(outbox) && QDir().mkpath(remote));
    for (bool programSends : {false, true}) {
        const int size = programSends ? 200 * 1024 + 17 : 300 * 1024;
        const QString name = programSends ? QStringLiteral("report.bin") : QStringLiteral("net log.txt");
        const QByteArray bytes = pattern(size, quint32(size));
        QVERIFY(writeFile((programSends ? f.home() : outbox) + name, bytes));
        // A line silent for `silenceMs` once a third of the file came from the sender's end (B for sz).
        PtyRelay line(programSends ? PtyRelay::A : PtyRelay::B, size / 3, silenceMs);
        QByteArray log;
        const qint64 took = windowTransfer(f, line, programSends, programSends ? f.home() + name : name,
                                           programSends ? remote : outbox, kTransferMs + silenceMs, log);
        QVERIFY2(took > 0, log.constData());
        QCOMPARE(line.silenceBegan(), silenceMs > 0);
        const QString text = statusText();
        QVERIFY2(programSends ? text.startsWith("Sending...\n" + name + "\nFile Sent\n")
                              : text.contains("Receiving...\n" + name + "\n"),
                 qPrintable(text));
        QCOMPARE(readFile((programSends ? remote : f.home()) + name), bytes);
        QVERIFY(Ferrow->ZSendBtn->isEnabled());
        QVERIFY(!Ferrow->ZBreakBtn->isEnabled());
    }
}

QTEST_MAIN(ZmodemLrzszTest)
#include "zmodem_lrzsz_test.moc"

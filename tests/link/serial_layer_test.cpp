// The serial layer. First the seam's contract, one body over the fake device the window tests use and
// over the real transport on a pseudo-terminal, so the fake cannot drift from the real thing. Then the
// layer over it: where received bytes go, the trace, a device that fails while open, and on real
// pseudo-terminals a held line, a device another program holds, a device that is no serial port.

#include "app/production_seams.h"
#include "fake_seams.h"
#include "file_bytes.h"
#include "fake_transport.h"
#include "link/device_lock.h"
#include "link/nr_comm.h"
#include "link/nr_log_file.h"
#include "link/port_probe.h"
#include "link/qt_serial_transport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int WaitMs = 20000;
struct Chunk {
    qint64 ms;    // when it reached the far end
    QString text; // as printable() writes it
};

// A pseudo-terminal. Once `listen()` ran, a thread reads its controlling end and stamps each chunk;
// until then nothing takes what is written, as when a TNC stops taking data.
class Pty {
public:
    Pty()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0) {
            device = QString::fromLocal8Bit(::ptsname(master_));
            keep_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY); // the terminal stays up between opens
        }
    }
    ~Pty()
    {
        stop_ = true;
        if (reader_.joinable())
            reader_.join();
        ::close(keep_);
        ::close(master_);
    }
    void listen()
    {
        reader_ = std::thread([this, start = std::chrono::steady_clock::now()] {
            for (char buf[65536]; !stop_;) {
                pollfd p{master_, POLLIN, 0};
                const ssize_t n = ::poll(&p, 1, 20) > 0 ? ::read(master_, buf, sizeof buf) : 0;
                const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
                    std::chrono::steady_clock::now() - start);
                std::lock_guard lock(mutex_);
                if (n > 0)
                    chunks_.push_back({ms.count(), printable(QByteArray(buf, int(n)))});
            }
        });
    }
    std::vector<Chunk> chunks() const
    {
        std::lock_guard lock(mutex_);
        return chunks_;
    }
    bool send(const QByteArray& b) { return ::write(master_, b.constData(), size_t(b.size())) == b.size(); }
    QString device;

private:
    int master_ = -1, keep_ = -1;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<Chunk> chunks_;
};

// The line cut into bursts at quiet spells longer than `gapMs` (negative: one burst).
QStringList bursts(const std::vector<Chunk>& line, int gapMs)
{
    QStringList out;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (out.isEmpty() || (gapMs >= 0 && line[i].ms - line[i - 1].ms > gapMs))
            out << QString();
        out.last() += line[i].text;
    }
    return out;
}

// The far end of either transport: on the fake its transcript is the line and a recorded pause the time.
struct FarEnd {
    explicit FarEnd(bool fake)
    {
        if (!fake) {
            pty.listen();
            transport = std::make_unique<QtSerialTransport>();
            return;
        }
        auto device = std::make_unique<FakeTransport>(&transcript);
        fakeDevice = device.get();
        transport = std::move(device);
    }
    QString device() const { return fakeDevice ? QStringLiteral("/dev/fake0") : pty.device; }
    void pause(int ms) { fakeDevice ? RecordingPause(&transcript).pause(ms) : BlockingPause().pause(ms); }
    bool send(const QByteArray& bytes)
    {
        return fakeDevice ? (fakeDevice->inject(bytes), true) : pty.send(bytes);
    }
    std::vector<Chunk> line() const
    {
        if (!fakeDevice)
            return pty.chunks();
        std::vector<Chunk> out;
        qint64 ms = 0;
        for (const QString& entry : transcript.entries) {
            const QString what = entry.section(' ', 0, 0), text = entry.mid(what.size() + 1);
            if (what == "pause")
                ms += text.toInt();
            else // "SendString", "Queue" or "SendChar n"
                out.push_back({ms, what == "SendChar" ? printable(QByteArray(1, char(text.toInt()))) : text});
        }
        return out;
    }
    Pty pty;
    Transcript transcript;
    FakeTransport* fakeDevice = nullptr;
    std::unique_ptr<SerialTransport> transport; // goes before the pty
};

QByteArray letters(int size)
{
    return QByteArray("ABCDEFGHIJKLMNOPQRSTUVWXYZ").repeated(size / 26 + 1).left(size);
}

QByteArray everyByte()
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    return all;
}

// Takes the capital letters for itself, as a transfer engine takes its frames.
class CapitalsProcessor final : public TnrDataProcessor {
public:
    QByteArray ProcessReceived(const QByteArray& bytes) override
    {
        QByteArray rest;
        for (const char c : bytes)
            (c >= 'A' && c <= 'Z' ? taken : rest) += c;
        return rest;
    }
    bool GetActive() const override { return active; }
    bool active = true;
    QByteArray taken;
};

// The serial layer on the fake device /dev/fake0, or open on a real device with the TNC's 7 data bits,
// even parity; its trace and screen captured.
struct Rig {
    Transcript transcript;
    FakeTransport* device = nullptr;
    TnrLogFile log;
    std::unique_ptr<TnrComm> comm;
    QByteArray screen;
    QStringList trace;

    explicit Rig(const QString& realDevice = {})
    {
        std::unique_ptr<SerialTransport> transport = std::make_unique<QtSerialTransport>();
        if (realDevice.isEmpty()) {
            transport = std::make_unique<FakeTransport>(&transcript);
            device = static_cast<FakeTransport*>(transport.get());
        }
        comm = std::make_unique<TnrComm>(std::move(transport), &log);
        comm->SetTerminal([this](const QByteArray& b) { screen += b; });
        comm->SetPortResolver([realDevice](int) { return realDevice.isEmpty() ? "/dev/fake0" : realDevice; });
        QObject::connect(&log, &TnrLogFile::lineLogged, [this](const QString& l) { trace << l; });
        comm->SetActive(true);
    }
    qsizetype traced(const char* text) const { return trace.filter(QString::fromLatin1(text)).size(); }
};

} // namespace

class SerialLayerTest : public QObject {
    Q_OBJECT
private slots:
    void contract_data()
    {
        QTest::addColumn<bool>("fake");
        // "write T", "queue N" (N letters), "pause MS", "bytes" (all 256 values both ways),
        // "close" (then a write is refused and a queue ignored)
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("gapMs"); // a quiet line longer than this is a gap
        QTest::addColumn<QByteArrayList>("sent");
        for (const bool fake : {true, false}) {
            const QByteArray k = fake ? "fake: " : "pty: ";
            QTest::newRow(k + "disconnect: ETX, DISCONNECT, CR with 100 ms between")
                << fake << QStringList{"write \x03", "pause 100", "write DISCONNECT", "pause 100", "write \r"}
                << 60 << QByteArrayList{"\x03", "DISCONNECT", "\r"};
            QTest::newRow(k + "a write waits behind queued bulk data, then the gap")
                << fake << QStringList{"queue 2000", "write BEACON EVERY 0\r", "pause 100", "write K\r"} << 60
                << QByteArrayList{letters(2000) + "BEACON EVERY 0\r", "K\r"};
            QTest::newRow(k + "closing drains far more than the line takes at once")
                << fake << QStringList{"queue 204800", "close"} << -1 << QByteArrayList{letters(204800)};
            QTest::newRow(k + "every byte value, both ways")
                << fake << QStringList{"bytes"} << -1 << QByteArrayList{everyByte()};
        }
    }
    void contract()
    {
        QFETCH(bool, fake);
        QFETCH(QStringList, steps);
        QFETCH(int, gapMs);
        QFETCH(QByteArrayList, sent);
        FarEnd end(fake);
        SerialTransport& line = *end.transport;
        int drained = 0; // the transfer engine hands over its next bytes on this signal
        QByteArray heard;
        QObject::connect(&line, &SerialTransport::queueDrained, [&drained] { ++drained; });
        QObject::connect(&line, &SerialTransport::received, [&heard](const QByteArray& b) { heard += b; });
        QString reason;
        QVERIFY2(line.open(end.device(), {9600, pEven, sbOne, 7, spNone}, &reason), qPrintable(reason));
        // Only a pseudo-terminal says why the line settings do not apply; the link opens all the same.
        QCOMPARE(reason.contains("pseudo-terminal"), !fake);

        for (const QString& step : steps) {
            const QString arg = step.section(' ', 1);
            if (step.startsWith("write"))
                QVERIFY2(line.write(arg.toLatin1(), arg.size() == 1, &reason), qPrintable(reason));
            else if (step.startsWith("queue"))
                line.queue(letters(arg.toInt()));
            else if (step.startsWith("pause"))
                end.pause(arg.toInt());
            else if (step == "bytes") {
                QVERIFY(end.send(everyByte()));
                QTRY_COMPARE_WITH_TIMEOUT(heard, everyByte(), WaitMs);
                QVERIFY2(line.write(everyByte(), false, &reason), qPrintable(reason));
            } else {
                line.close();
                QVERIFY(!line.isOpen());
                QVERIFY(!line.write("late\r", false, &reason) && !reason.isEmpty());
                line.queue("later");
            }
        }
        QStringList expected;
        for (const QByteArray& burst : sent)
            expected << printable(burst);
        QTRY_COMPARE_WITH_TIMEOUT(bursts(end.line(), -1), QStringList{expected.join("")}, WaitMs);
        // Were the bytes left to the event loop, a pause would not separate them.
        QCOMPARE(bursts(end.line(), gapMs), expected);
        if (!line.isOpen())
            return;
        QCOMPARE(line.queuedBytes(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(line.pendingOutputBytes(), 0, WaitMs); // nothing left for the line
        if (steps.first().startsWith("queue"))
            QTRY_VERIFY_WITH_TIMEOUT(drained > 0, WaitMs);
    }

    // A transfer engine sees every byte at once; the screen gets the rest, held in order while terminal
    // usage is 0 and written once when it returns to 2.
    void receivedBytesHeldAndProcessedFirst()
    {
        Rig rig;
        CapitalsProcessor zm;
        rig.comm->SetDataProcessor(&zm);
        QSignalSpy after(rig.comm.get(), &TnrComm::OnAfterReceive);
        rig.comm->SetTerminalUsage(0);
        rig.device->inject("abXY");
        rig.device->inject("Zcd");
        QCOMPARE(after.size(), 2);
        QCOMPARE(zm.taken, QByteArray("XYZ"));
        QCOMPARE(rig.screen, QByteArray());
        rig.comm->SetTerminalUsage(2);
        rig.comm->SetTerminalUsage(2);
        QCOMPARE(rig.screen, QByteArray("abcd"));
        zm.active = false;
        rig.device->inject("RAW");
        QCOMPARE(rig.screen, QByteArray("abcdRAW"));
    }

    void deviceFailureAndReturn_data()
    {
        QTest::addColumn<bool>("closedMeanwhile");
        QTest::newRow("the device returns: reopened with its settings") << false;
        QTest::newRow("the port closed meanwhile: no more reopening") << true;
    }
    void deviceFailureAndReturn()
    {
        QFETCH(bool, closedMeanwhile);
        Rig rig;
        const SerialLineSettings line{19200, pNone, sbOne, 8, spNone};
        rig.comm->SetBaudRate(line.baudRate);
        rig.comm->SetByteSize(line.byteSize);
        rig.comm->SetParity(line.parity);
        rig.trace.clear();
        rig.device->refuseOpen << QStringLiteral("/dev/fake0");
        rig.device->vanish(QStringLiteral("Input/output error"));
        QCOMPARE(rig.trace.size(), 1);
        QVERIFY(rig.trace[0].contains(QStringLiteral("Input/output error")));
        QVERIFY(rig.comm->IsReopening());
        if (closedMeanwhile) {
            rig.comm->SetActive(false);
            QVERIFY(!rig.comm->IsReopening());
            return;
        }
        rig.device->refuseOpen.clear();
        QTRY_VERIFY_WITH_TIMEOUT(rig.comm->GetActive(), 10000);
        QCOMPARE(rig.device->opens, (QStringList{"/dev/fake0", "/dev/fake0"}));
        QCOMPARE(rig.device->settings, line);
        QCOMPARE(rig.trace.size(), 2); // the failed tries in between left no lines
    }

    void traceFileStaysBounded()
    {
        QTemporaryDir dir;
        TnrLogFile log;
        const QString path = dir.filePath(QStringLiteral("nrcommlib.log"));
        log.SetFileName(path);
        log.SetSizeLimit(1); // KiB
        for (int i = 0; i < 100; ++i)
            log.Log(QString(100, QLatin1Char('t')));
        QVERIFY(QFileInfo(path).size() <= 1024 + 200);
        QVERIFY(QFileInfo::exists(path + ".old"));
        QVERIFY(QFileInfo(path + ".old").size() <= 1024 + 200);
    }

    // A line that takes nothing does not freeze the window: what cannot go waits in order, the trace
    // says so once, and all of it goes when the line moves. A pseudo-terminal cannot take 7 data bits
    // with parity: the link opens all the same and says why once per opening, not per setting applied.
    void heldLineNeitherBlocksNorLoses()
    {
        Pty line;
        Rig link(line.device);
        QVERIFY2(link.comm->GetActive(), qPrintable(link.trace.join('\n')));
        link.comm->SetParity(pOdd);
        link.comm->SetStopBits(sbTwo);
        link.comm->SetStreamProtocol(spNone);
        link.comm->SetBaudRate(115200);
        QCOMPARE(link.traced("pseudo-terminal"), 1);
        const QByteArray text =
            QByteArray("abcdefghijklmnopqrstuvwxyz").repeated(10083); // more than a pty holds

        QElapsedTimer clock;
        clock.start();
        link.comm->SendString(text);
        link.comm->SendString("73");
        link.comm->SendChar(13);
        // Blocked until the line time ran out this would take over 20 s.
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(link.traced(": held, "), 1);
        QCOMPARE(link.traced("failed"), 0);
        line.listen();
        QTRY_COMPARE_WITH_TIMEOUT(bursts(line.chunks(), -1), QStringList{printable(text + "73\r")}, WaitMs);
        QTRY_COMPARE_WITH_TIMEOUT(link.traced(": released"), 1, 10000);
        QCOMPARE(link.traced(": held, "), 1);
        link.comm->SetActive(false);
        link.comm->SetActive(true);
        QCOMPARE(link.traced("pseudo-terminal"), 2);
    }

    void deviceInUseOrUnfit_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addColumn<int>("probe"); // the probe's outcome; -1: not probed
        QTest::addColumn<QString>("reason");
        QTest::addColumn<int>("opens"); // whether a link opens it; -1: not tried
        const int ok = ProbeResult::Ok, openFailed = ProbeResult::OpenFailed,
                  unfit = ProbeResult::StateFailed;
        const QString inUse = QStringLiteral("in use by another program");
        QTest::newRow("a missing path") << "missing" << openFailed << "No such file" << -1;
        QTest::newRow("a regular file") << "file" << unfit << "not a serial device" << -1;
        QTest::newRow("a FIFO") << "fifo" << unfit << "not a serial device" << -1;
        QTest::newRow("another descriptor holds its lock") << "flock" << openFailed << inUse << 0;
        QTest::newRow("the same device through a second link, as root too")
            << "second link" << -1 << inUse << 0;
        QTest::newRow("a lock file names a running program") << "lock file" << -1 << inUse << 0;
        QTest::newRow("a lock file left by a program that ended") << "stale lock file" << -1 << "" << 1;
        QTest::newRow("a free pseudo-terminal") << "pty" << ok << "" << 1;
    }
    // Two program folders whose COM1 point at one adapter: the second is refused, and the trace says it
    // is in use, never that permission is lacking. The probe creates no file and leaves the device free.
    void deviceInUseOrUnfit()
    {
        QFETCH(QString, what);
        QFETCH(int, probe);
        QFETCH(QString, reason);
        QFETCH(int, opens);
        Pty peer;
        QTemporaryDir dir;
        const QString device = dir.filePath(what);
        std::unique_ptr<Rig> other;
        int fd = -1;
        QString lockFile;
        const auto release = qScopeGuard([&] {
            ::close(fd);
            if (!lockFile.isEmpty())
                QFile::remove(lockFile);
        });
        if (what == "file")
            QVERIFY(writeFile(device, "not a TNC"));
        else if (what == "fifo")
            QVERIFY(::mkfifo(QFile::encodeName(device).constData(), 0600) == 0);
        else if (what != "missing")
            QVERIFY(QFile::link(peer.device, dir.filePath("COM1")) && QFile::link(peer.device, device));
        if (what == "second link") {
            other = std::make_unique<Rig>(dir.filePath("COM1"));
            QVERIFY(other->comm->GetActive());
        } else if (what == "flock") {
            fd = ::open(QFile::encodeName(peer.device).constData(), O_RDWR | O_NOCTTY);
            QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0);
        } else if (what.endsWith("lock file")) {
            // A running program (the one that started this test) or one long gone.
            const qint64 pid = what == "lock file" ? qint64(::getppid()) : qint64(999999999);
            for (const QString& path : deviceLockFilePaths(peer.device)) {
                QFile file(path);
                if (lockFile.isEmpty() && file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                    file.write(QByteArray::number(pid) + "\nminicom\n");
                    lockFile = path;
                }
            }
            QVERIFY2(!lockFile.isEmpty(), "no lock folder to write to");
        }
        const auto entries = [&dir] {
            return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
        };
        const QStringList before = entries();

        if (probe >= 0) {
            const ProbeResult result = probeSerialDevice(device);
            QCOMPARE(int(result.outcome), probe);
            QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
            QCOMPARE(entries(), before);
            if (probe == ProbeResult::Ok) // free again afterwards
                QCOMPARE(probeSerialDevice(device).outcome, ProbeResult::Ok);
        }
        if (opens >= 0) {
            Rig link(device);
            QCOMPARE(link.comm->GetActive(), bool(opens));
            const QString trace = link.trace.join('\n');
            QCOMPARE(trace.contains(inUseReason()), !opens);
            QVERIFY2(!trace.contains(QStringLiteral("ermission")), qPrintable(trace));
        }
    }
};

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BlockingPause pause;
    ScriptedQuery query;
    seams::Set set;
    set.pause = &pause;
    set.query = &query;
    seams::install(set);
    SerialLayerTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "serial_layer_test.moc"

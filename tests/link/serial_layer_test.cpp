// The serial layer on a fake device: where received bytes go, the trace file, a
// device that fails while open. On real pseudo-terminals what only they show: a
// line that flow control holds, a device another program holds, a device that is
// no serial port, line settings a pseudo-terminal cannot take.

#include "app/production_seams.h"
#include "fake_seams.h"
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

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

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

// The serial layer on the fake device /dev/fake0, or open on a real device with
// the TNC's 7 data bits, even parity; its trace and screen captured.
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

// A pty whose controlling end nobody reads until the test does: a TNC that
// stopped taking data (flow control holding the line looks the same).
class SilentPty {
public:
    SilentPty()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            device = QString::fromLocal8Bit(::ptsname(master_));
    }
    ~SilentPty() { ::close(master_); }
    QByteArray drain() // what waits on the line, without blocking
    {
        char buf[65536];
        for (ssize_t n; (n = ::read(master_, buf, sizeof buf)) > 0;)
            taken_.append(buf, n);
        return taken_;
    }
    QString device;

private:
    int master_ = -1;
    QByteArray taken_;
};

} // namespace

class SerialLayerTest : public QObject {
    Q_OBJECT
private slots:
    // A transfer engine sees every byte at once; the screen gets the rest, held
    // in order while terminal usage is 0 and written once when it returns to 2.
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
        QVERIFY(rig.trace.last().contains(QStringLiteral("reopened")));
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

    // A line that takes nothing does not freeze the window: what cannot go waits
    // in order, the trace says so once, and all of it goes when the line moves.
    // A pseudo-terminal cannot take 7 data bits with parity: the link opens all
    // the same and says why once per opening, not for each setting applied.
    void heldLineNeitherBlocksNorLoses()
    {
        SilentPty line;
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
        QTRY_COMPARE_WITH_TIMEOUT(line.drain().size(), text.size() + 3, 20000);
        QCOMPARE(line.drain(), text + "73\r");
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
                  stateFailed = ProbeResult::StateFailed;
        const QString inUse = QStringLiteral("in use by another program");
        QTest::newRow("a missing path") << "missing" << openFailed << "No such file" << -1;
        QTest::newRow("a regular file") << "file" << stateFailed << "not a serial device" << -1;
        QTest::newRow("a FIFO") << "fifo" << stateFailed << "not a serial device" << -1;
        QTest::newRow("another descriptor holds its lock") << "flock" << openFailed << inUse << 0;
        QTest::newRow("the same device through a second link, as root too")
            << "second link" << -1 << inUse << 0;
        QTest::newRow("a lock file names a running program") << "lock file" << -1 << inUse << 0;
        QTest::newRow("a lock file left by a program that ended") << "stale lock file" << -1 << "" << 1;
        QTest::newRow("a free pseudo-terminal") << "pty" << ok << "" << 1;
    }
    // Two program folders whose COM1 point at one adapter: the second is refused,
    // and the trace says it is in use, never that permission is lacking. The probe
    // creates no file and leaves the device free.
    void deviceInUseOrUnfit()
    {
        QFETCH(QString, what);
        QFETCH(int, probe);
        QFETCH(QString, reason);
        QFETCH(int, opens);
        SilentPty peer;
        QTemporaryDir dir;
        QString device = dir.filePath(what);
        std::unique_ptr<Rig> other;
        int fd = -1;
        QString lockFile;
        const auto release = qScopeGuard([&] {
            if (fd >= 0)
                ::close(fd);
            if (!lockFile.isEmpty())
                QFile::remove(lockFile);
        });
        if (what == "file") {
            QFile file(device);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a TNC") > 0);
        } else if (what == "fifo") {
            QVERIFY(::mkfifo(QFile::encodeName(device).constData(), 0600) == 0);
        } else if (what != "missing") {
            QVERIFY(QFile::link(peer.device, dir.filePath("COM1")) && QFile::link(peer.device, device));
        }
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

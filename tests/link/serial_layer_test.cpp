// The serial layer on a fake device: where received bytes go, the trace, a
// device that fails while open (on a real pseudo-terminal that is tested with
// the TNC simulator). On real pseudo-terminals: what its trace says of a line
// that flow control holds, of a device another program holds and of line
// settings a pseudo-terminal cannot take, and the probe. What the transports
// themselves promise (send order, pauses as gaps, closing drains) is in
// serial_transport_test.

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
#include <QFile>
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

// The serial layer on a fake device, or open on a device with the line
// settings it starts with (7 data bits, even parity: what a TNC runs); its
// trace and screen captured.
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
            auto fake = std::make_unique<FakeTransport>(&transcript);
            device = fake.get();
            transport = std::move(fake);
        }
        comm = std::make_unique<TnrComm>(std::move(transport), &log);
        comm->SetTerminal([this](const QByteArray& b) { screen += b; });
        comm->SetPortResolver([realDevice](int ordinal) {
            return realDevice.isEmpty() ? QStringLiteral("/dev/fake%1").arg(ordinal) : realDevice;
        });
        QObject::connect(&log, &TnrLogFile::lineLogged, [this](const QString& l) { trace << l; });
        if (!realDevice.isEmpty())
            comm->SetActive(true);
    }
    void open(int ordinal = 0)
    {
        comm->SetComPort(ordinal);
        comm->SetActive(true);
    }
};

// A pty pair whose controlling end nobody reads until the test does: a TNC
// that stopped taking data (flow control holding the line looks the same).
class SilentPty {
public:
    SilentPty()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            device_ = QString::fromLocal8Bit(::ptsname(master_));
    }
    ~SilentPty() { ::close(master_); }
    QString device() const { return device_; }
    // Takes what waits on the line, without blocking.
    QByteArray drain()
    {
        char buf[65536];
        ssize_t n;
        while ((n = ::read(master_, buf, sizeof buf)) > 0)
            taken_.append(buf, n);
        return taken_;
    }

private:
    int master_ = -1;
    QString device_;
    QByteArray taken_;
};

} // namespace

class SerialLayerTest : public QObject {
    Q_OBJECT
private slots:
    void receivedBytesHeldAndProcessedFirst();
    void deviceFailureAndReturn_data();
    void deviceFailureAndReturn();
    void traceFileStaysBounded();
    void pseudoTerminalNoteOncePerOpening();
    void heldLineNeitherBlocksNorLoses();
    void deviceLock_data();
    void deviceLock();
    void probe_data();
    void probe();
};

// A transfer engine sees every byte at once; the screen gets the rest, held
// in order while terminal usage is 0 and written once when it returns to 2.
void SerialLayerTest::receivedBytesHeldAndProcessedFirst()
{
    Rig rig;
    CapitalsProcessor zm;
    rig.comm->SetDataProcessor(&zm);
    rig.open();
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

void SerialLayerTest::deviceFailureAndReturn_data()
{
    QTest::addColumn<bool>("closedMeanwhile");
    QTest::newRow("the device returns: reopened with its settings") << false;
    QTest::newRow("the port closed meanwhile: no more reopening") << true;
}

void SerialLayerTest::deviceFailureAndReturn()
{
    QFETCH(bool, closedMeanwhile);
    Rig rig;
    const SerialLineSettings line{19200, pNone, sbOne, 8, spNone};
    rig.comm->SetBaudRate(line.baudRate);
    rig.comm->SetByteSize(line.byteSize);
    rig.comm->SetParity(line.parity);
    rig.open(0);
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

void SerialLayerTest::traceFileStaysBounded()
{
    QTemporaryDir dir;
    TnrLogFile log;
    const QString path = dir.filePath(QStringLiteral("nrcommlib.log"));
    log.SetFileName(path);
    log.SetSizeLimit(1); // KiB
    const QString line(100, QLatin1Char('t'));
    for (int i = 0; i < 100; ++i)
        log.Log(line);
    QVERIFY(QFileInfo(path).size() <= 1024 + 200);
    QVERIFY(QFileInfo::exists(path + QStringLiteral(".old")));
    QVERIFY(QFileInfo(path + QStringLiteral(".old")).size() <= 1024 + 200);
}

// A pseudo-terminal (the simulator) cannot take 7 data bits with parity; the
// link opens all the same and says why once per opening, not again for each
// setting applied to the open port (the line-settings dialog applies four).
void SerialLayerTest::pseudoTerminalNoteOncePerOpening()
{
    SilentPty line;
    Rig link(line.device());
    QVERIFY2(link.comm->GetActive(), qPrintable(link.trace.join('\n')));
    link.comm->SetParity(pOdd);
    link.comm->SetBaudRate(19200);
    link.comm->SetStopBits(sbTwo);
    link.comm->SetStreamProtocol(spNone);
    QCOMPARE(link.trace.filter(QStringLiteral("pseudo-terminal")).size(), 1);
    link.comm->SetActive(false);
    link.comm->SetActive(true);
    QCOMPARE(link.trace.filter(QStringLiteral("pseudo-terminal")).size(), 2);
}

// A line that takes nothing (flow control holds it, the TNC stopped reading)
// does not freeze the window: what cannot go waits in order, the trace says
// so once, and everything goes out when the line moves again.
void SerialLayerTest::heldLineNeitherBlocksNorLoses()
{
    SilentPty line;
    Rig link(line.device());
    QVERIFY2(link.comm->GetActive(), qPrintable(link.trace.join('\n')));
    link.comm->SetBaudRate(115200);
    QByteArray text(256 * 1024, '\0'); // far more than the pseudo-terminal holds
    for (int i = 0; i < text.size(); ++i)
        text[i] = char('a' + i % 26);

    QElapsedTimer clock;
    clock.start();
    link.comm->SendString(text);
    link.comm->SendString("73");
    link.comm->SendChar(13);
    // Blocked until the line time ran out this would take over 20 s.
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(link.trace.filter(QStringLiteral(": held, ")).size(), 1);
    QVERIFY(link.trace.filter(QStringLiteral("failed")).isEmpty());

    QTRY_COMPARE_WITH_TIMEOUT(line.drain().size(), text.size() + 3, 20000);
    QCOMPARE(line.drain(), text + "73\r");
    QTRY_COMPARE_WITH_TIMEOUT(link.trace.filter(QStringLiteral(": released")).size(), 1, 10000);
    QCOMPARE(link.trace.filter(QStringLiteral(": held, ")).size(), 1);
}

void SerialLayerTest::deviceLock_data()
{
    QTest::addColumn<QString>("holder");
    QTest::addColumn<bool>("opens");
    QTest::newRow("the same device through a second link, as root too") << "second link" << false;
    QTest::newRow("another descriptor holds its lock") << "flock" << false;
    QTest::newRow("a lock file names a running program") << "lock file" << false;
    QTest::newRow("a lock file left by a program that ended") << "stale lock file" << true;
}

// Two program folders whose COM1 point at one adapter: the second is refused,
// and the trace says the device is in use, never that permission is lacking.
void SerialLayerTest::deviceLock()
{
    QFETCH(QString, holder);
    QFETCH(bool, opens);
    SilentPty peer;
    QTemporaryDir folders;
    const QString first = folders.filePath(QStringLiteral("COM1"));
    const QString second = folders.filePath(QStringLiteral("COM1-elsewhere"));
    QVERIFY(QFile::link(peer.device(), first));
    QVERIFY(QFile::link(peer.device(), second));

    std::unique_ptr<Rig> other;
    int fd = -1;
    QString lockFile;
    if (holder == "second link") {
        other = std::make_unique<Rig>(first);
        QVERIFY(other->comm->GetActive());
    } else if (holder == "flock") {
        fd = ::open(QFile::encodeName(peer.device()).constData(), O_RDWR | O_NOCTTY);
        QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0);
    } else {
        for (const QString& path : deviceLockFilePaths(peer.device())) {
            QFile file(path);
            if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
                // A running program (the one that started this test) or one long gone.
                file.write(
                    QByteArray::number(holder == "lock file" ? qint64(::getppid()) : qint64(999999999)) +
                    "\nminicom\n");
                lockFile = path;
                break;
            }
        }
        QVERIFY2(!lockFile.isEmpty(), "no lock folder to write to");
    }

    Rig link(second);
    QCOMPARE(link.comm->GetActive(), opens);
    const QString trace = link.trace.join('\n');
    QCOMPARE(trace.contains(QStringLiteral("in use by another program")), !opens);
    QVERIFY2(!trace.contains(QStringLiteral("ermission")), qPrintable(trace));
    link.comm->SetActive(false);
    if (fd >= 0)
        ::close(fd);
    if (!lockFile.isEmpty())
        QFile::remove(lockFile);
}

void SerialLayerTest::probe_data()
{
    QTest::addColumn<QString>("what");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<QString>("reason");
    QTest::newRow("a missing path") << "missing" << int(ProbeResult::OpenFailed) << "No such file";
    QTest::newRow("a regular file") << "file" << int(ProbeResult::StateFailed) << "not a serial device";
    QTest::newRow("a FIFO") << "fifo" << int(ProbeResult::StateFailed) << "not a serial device";
    QTest::newRow("a device another descriptor holds")
        << "locked" << int(ProbeResult::OpenFailed) << "in use by another program";
    QTest::newRow("a pseudo-terminal") << "pty" << int(ProbeResult::Ok) << "";
}

void SerialLayerTest::probe()
{
    QFETCH(QString, what);
    QFETCH(int, outcome);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    SilentPty peer;
    QString device = dir.filePath(what);
    int fd = -1;
    if (what == "file") {
        QFile file(device);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("not a TNC");
    } else if (what == "fifo") {
        QVERIFY(::mkfifo(QFile::encodeName(device).constData(), 0600) == 0);
    } else if (what == "locked" || what == "pty") {
        device = peer.device();
        if (what == "locked") {
            fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY);
            QVERIFY(fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0);
        }
    }
    const QStringList before =
        QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);

    const ProbeResult result = probeSerialDevice(device);

    QCOMPARE(int(result.outcome), outcome);
    QVERIFY2(result.reason.contains(reason), qPrintable(result.reason));
    // It never creates a file, and the device is free again afterwards.
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System), before);
    if (fd >= 0)
        ::close(fd);
    else if (outcome == ProbeResult::Ok)
        QCOMPARE(probeSerialDevice(device).outcome, ProbeResult::Ok);
}

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

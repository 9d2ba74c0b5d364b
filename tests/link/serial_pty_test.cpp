// The production transport on real pseudo-terminals: sends reach the device
// before a pause begins (so pauses are real gaps on the line), closing drains
// what was written, and a device that goes away is noticed and reopened.

#include "app/production_seams.h"
#include "fake_seams.h"
#include "link/nr_comm.h"
#include "link/nr_log_file.h"
#include "link/qt_serial_transport.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// The controlling end of a pty pair, read by a thread that stamps every chunk.
class PtyPeer {
public:
    PtyPeer()
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        device_ = QString::fromLocal8Bit(::ptsname(master_));
        // Keep the terminal end alive between the client's opens.
        keep_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY);
        reader_ = std::thread([this] { readLoop(); });
    }
    ~PtyPeer() { hangUp(); }

    // Closes the controlling end: the client sees a hangup.
    void hangUp()
    {
        stop_ = true;
        if (reader_.joinable())
            reader_.join();
        if (keep_ >= 0)
            ::close(keep_);
        if (master_ >= 0)
            ::close(master_);
        keep_ = master_ = -1;
    }

    QString device() const { return device_; }
    bool send(const QByteArray& bytes) { return ::write(master_, bytes.constData(), size_t(bytes.size())) == bytes.size(); }
    QByteArray received() const
    {
        std::lock_guard lock(mutex_);
        return bytes_;
    }
    // Chunks separated by quiet spells longer than `quietMs`, with the quiet
    // time before each chunk.
    QList<QPair<QByteArray, qint64>> bursts(qint64 quietMs) const
    {
        std::lock_guard lock(mutex_);
        QList<QPair<QByteArray, qint64>> out;
        Clock::time_point last{};
        for (const auto& [when, chunk] : chunks_) {
            const qint64 gap = out.isEmpty() ? 0
                : std::chrono::duration_cast<std::chrono::milliseconds>(when - last).count();
            if (out.isEmpty() || gap > quietMs)
                out.append({chunk, gap});
            else
                out.last().first += chunk;
            last = when;
        }
        return out;
    }

private:
    void readLoop()
    {
        char buf[65536];
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n <= 0)
                continue;
            std::lock_guard lock(mutex_);
            bytes_.append(buf, int(n));
            chunks_.push_back({Clock::now(), QByteArray(buf, int(n))});
        }
    }

    int master_ = -1;
    int keep_ = -1;
    QString device_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    QByteArray bytes_;
    std::vector<std::pair<Clock::time_point, QByteArray>> chunks_;
};

struct Link {
    TnrLogFile log;
    TnrComm comm{std::make_unique<QtSerialTransport>(), &log};
    QStringList trace;
    Link(const QString& device)
    {
        comm.SetPortResolver([device](int) { return device; });
        comm.SetBaudRate(115200);
        comm.SetByteSize(8);
        comm.SetParity(pNone);
        QObject::connect(&log, &TnrLogFile::lineLogged, [this](const QString& l) { trace << l; });
    }
};

} // namespace

class SerialPtyTest : public QObject {
    Q_OBJECT
private slots:
    void pausesAreGapsOnTheLine_data();
    void pausesAreGapsOnTheLine();
    void closingDrainsWhatWasWritten();
    void receivedBytesArrive();
    void lostDeviceIsReopenedWhenBack();
    void pseudoTerminalTakesTncLineSettings();
};

void SerialPtyTest::pausesAreGapsOnTheLine_data()
{
    QTest::addColumn<QList<QByteArray>>("sends"); // a pause follows every send but the last
    QTest::addColumn<int>("pauseMs");
    QTest::newRow("disconnect: ETX, DISCONNECT, CR") << QList<QByteArray>{"\x03", "DISCONNECT", "\r"} << 100;
    QTest::newRow("connect: path, CR") << QList<QByteArray>{"C N0CALL", "\r"} << 100;
    QTest::newRow("termination line: 25 ms") << QList<QByteArray>{"MYCALL N0CALL", "\r"} << 25;
}

void SerialPtyTest::pausesAreGapsOnTheLine()
{
    QFETCH(QList<QByteArray>, sends);
    QFETCH(int, pauseMs);
    PtyPeer peer;
    Link link(peer.device());
    link.comm.SetActive(true);
    QVERIFY2(link.comm.GetActive(), qPrintable(link.trace.join('\n')));

    QByteArray all;
    for (int i = 0; i < sends.size(); ++i) {
        if (sends[i].size() == 1)
            link.comm.SendChar(quint8(sends[i][0]));
        else
            link.comm.SendString(sends[i]);
        all += sends[i];
        if (i + 1 < sends.size())
            Pause(pauseMs);
    }
    QTRY_COMPARE_WITH_TIMEOUT(peer.received(), all, 10000);

    // Each send is its own burst, separated by (at least most of) the pause.
    // Were the bytes left to the event loop, they would arrive as one burst.
    const auto bursts = peer.bursts(pauseMs * 6 / 10);
    QCOMPARE(bursts.size(), sends.size());
    for (int i = 0; i < sends.size(); ++i) {
        QCOMPARE(bursts[i].first, sends[i]);
        if (i > 0)
            QVERIFY2(bursts[i].second >= pauseMs * 6 / 10,
                     qPrintable(QStringLiteral("gap %1 ms before %2").arg(bursts[i].second).arg(i)));
    }
}

void SerialPtyTest::closingDrainsWhatWasWritten()
{
    PtyPeer peer;
    Link link(peer.device());
    link.comm.SetActive(true);
    QVERIFY(link.comm.GetActive());

    QByteArray bulk(200 * 1024, '\0');
    for (int i = 0; i < bulk.size(); ++i)
        bulk[i] = char('A' + i % 26);
    link.comm.QueueBytes(bulk); // still queued when the line below is sent
    link.comm.SendString("BEACON EVERY 0");
    link.comm.SendChar(13);
    link.comm.SetActive(false);

    QTRY_COMPARE_WITH_TIMEOUT(peer.received().size(), bulk.size() + 15, 20000);
    QCOMPARE(peer.received(), bulk + QByteArray("BEACON EVERY 0\r"));
}

void SerialPtyTest::receivedBytesArrive()
{
    PtyPeer peer;
    Link link(peer.device());
    QByteArray screen;
    link.comm.SetTerminal([&screen](const QByteArray& b) { screen += b; });
    link.comm.SetActive(true);
    QVERIFY(link.comm.GetActive());
    // Every byte value crosses the raw line unchanged.
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    QVERIFY(peer.send(all));
    QTRY_COMPARE_WITH_TIMEOUT(screen, all, 10000);
}

void SerialPtyTest::lostDeviceIsReopenedWhenBack()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("COM1"));
    auto peer = std::make_unique<PtyPeer>();
    QVERIFY(QFile::link(peer->device(), link));
    Link l(link);
    l.comm.SetActive(true);
    QVERIFY(l.comm.GetActive());

    peer->hangUp();
    QTRY_VERIFY_WITH_TIMEOUT(l.comm.IsReopening(), 10000);
    QVERIFY(!l.comm.GetActive());
    QVERIFY(l.trace.last().contains(QStringLiteral("lost")));

    // The device returns under the same name (a new pty behind the link).
    auto again = std::make_unique<PtyPeer>();
    QFile::remove(link);
    QVERIFY(QFile::link(again->device(), link));
    QTRY_VERIFY_WITH_TIMEOUT(l.comm.GetActive(), 10000);
    QVERIFY(l.trace.last().contains(QStringLiteral("reopened")));
    l.comm.SendString("MYCALL\r");
    QTRY_COMPARE_WITH_TIMEOUT(again->received(), QByteArray("MYCALL\r"), 10000);
}

void SerialPtyTest::pseudoTerminalTakesTncLineSettings()
{
    // 7 data bits, even parity: what a TNC runs, and what a pseudo-terminal
    // (the simulator) cannot represent. The link still opens, and says why.
    PtyPeer peer;
    TnrLogFile log;
    QStringList trace;
    QObject::connect(&log, &TnrLogFile::lineLogged, [&trace](const QString& l) { trace << l; });
    TnrComm comm(std::make_unique<QtSerialTransport>(), &log);
    comm.SetPortResolver([&peer](int) { return peer.device(); });
    comm.SetActive(true);
    QVERIFY2(comm.GetActive(), qPrintable(trace.join('\n')));
    QVERIFY(trace.join('\n').contains(QStringLiteral("pseudo-terminal")));
    QCOMPARE(int(comm.GetByteSize()), 7); // the setting itself is kept as chosen
    comm.SendString("OK\r");
    QTRY_COMPARE_WITH_TIMEOUT(peer.received(), QByteArray("OK\r"), 10000);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    BlockingPause pause; // the real pause: the gaps are what this test measures
    ScriptedQuery query;
    seams::Set set;
    set.pause = &pause;
    set.query = &query;
    seams::install(set);
    SerialPtyTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "serial_pty_test.moc"

// The contract of the serial seam, one test body run over the fake device the
// window tests use and over the real transport on a pseudo-terminal, so the
// fake cannot drift from the real thing: bytes leave in call order, bulk data
// behind what was written before it; a pause after a write is a gap on the
// line; closing drains what waits; a closed port takes nothing; every byte
// value crosses both ways, whatever line settings a TNC asks for; queued data
// reports when it has been handed over.

#include "app/production_seams.h"
#include "fake_transport.h"
#include "link/qt_serial_transport.h"

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
constexpr int WaitMs = 20000;
// What a TNC link starts with: 7 data bits, even parity.
const SerialLineSettings tncLine{9600, pEven, sbOne, 7, spNone};

// The far end of the line and the pause between sends, seen the same way over either transport.
class FarEnd {
public:
    virtual ~FarEnd() = default;
    virtual QString device() const = 0;
    virtual void pause(int ms) = 0;
    // What arrived so far, cut at the gaps longer than `gapMs` (all of it when negative).
    virtual QByteArrayList bursts(int gapMs) const = 0;
    virtual bool send(const QByteArray& bytes) = 0;
    QByteArray received() const { return bursts(-1).join(); }

    std::unique_ptr<SerialTransport> transport;
};

// The fake: its transcript is the line, a recorded pause the gap.
class FakeEnd final : public FarEnd {
public:
    FakeEnd()
    {
        auto fake = std::make_unique<FakeTransport>(&transcript_);
        fake_ = fake.get();
        transport = std::move(fake);
    }
    QString device() const override { return QStringLiteral("/dev/fake0"); }
    void pause(int ms) override { transcript_.add(QStringLiteral("pause %1").arg(ms)); }
    QByteArrayList bursts(int gapMs) const override
    {
        QByteArrayList out{QByteArray()};
        for (const QString& entry : transcript_.entries) {
            const QString what = entry.section(QLatin1Char(' '), 0, 0);
            const QString text = entry.mid(what.size() + 1);
            if (what == QLatin1String("pause")) {
                if (gapMs >= 0)
                    out << QByteArray();
            } else if (what == QLatin1String("SendChar")) {
                out.last() += char(text.toInt());
            } else { // "SendString" or "Queue", every byte not printable written as <n>
                for (qsizetype i = 0; i < text.size(); ++i) {
                    const bool code = text[i] == QLatin1Char('<');
                    const qsizetype close = code ? text.indexOf(QLatin1Char('>'), i) : i;
                    out.last() += code ? char(text.mid(i + 1, close - i - 1).toInt()) : text[i].toLatin1();
                    i = code ? close : i;
                }
            }
        }
        out.removeAll(QByteArray());
        return out;
    }
    bool send(const QByteArray& bytes) override
    {
        fake_->inject(bytes);
        return true;
    }

private:
    Transcript transcript_;
    FakeTransport* fake_;
};

// A real pseudo-terminal: its controlling end read by a thread that stamps every chunk; the real pause.
class PtyEnd final : public FarEnd {
public:
    PtyEnd()
    {
        transport = std::make_unique<QtSerialTransport>();
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
            return;
        device_ = QString::fromLocal8Bit(::ptsname(master_));
        keep_ = ::open(::ptsname(master_), O_RDWR | O_NOCTTY); // the terminal stays up between opens
        reader_ = std::thread([this] { readLoop(); });
    }
    ~PtyEnd() override
    {
        transport.reset();
        stop_ = true;
        if (reader_.joinable())
            reader_.join();
        ::close(keep_);
        ::close(master_);
    }
    QString device() const override { return device_; }
    void pause(int ms) override { BlockingPause().pause(ms); }
    QByteArrayList bursts(int gapMs) const override
    {
        std::lock_guard lock(mutex_);
        QByteArrayList out;
        Clock::time_point last{};
        for (const auto& [when, chunk] : chunks_) {
            if (out.isEmpty() || (gapMs >= 0 && when - last > std::chrono::milliseconds(gapMs)))
                out << QByteArray();
            out.last() += chunk;
            last = when;
        }
        return out;
    }
    bool send(const QByteArray& bytes) override
    {
        return ::write(master_, bytes.constData(), size_t(bytes.size())) == bytes.size();
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
            if (n > 0) {
                std::lock_guard lock(mutex_);
                chunks_.push_back({Clock::now(), QByteArray(buf, int(n))});
            }
        }
    }

    int master_ = -1;
    int keep_ = -1;
    QString device_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::pair<Clock::time_point, QByteArray>> chunks_;
};

std::unique_ptr<FarEnd> farEnd(const QString& kind)
{
    if (kind == QLatin1String("fake"))
        return std::make_unique<FakeEnd>();
    return std::make_unique<PtyEnd>();
}

QByteArray letters(int size)
{
    QByteArray bulk(size, '\0');
    for (int i = 0; i < size; ++i)
        bulk[i] = char('A' + i % 26);
    return bulk;
}

// Opens the transport on the far end's device with the TNC's line settings.
bool openLine(FarEnd& end)
{
    QString reason;
    if (!end.transport->open(end.device(), tncLine, &reason)) {
        qWarning("open failed: %s", qPrintable(reason));
        return false;
    }
    // Only a pseudo-terminal says why the settings do not apply; the link opens all the same.
    return dynamic_cast<FakeEnd*>(&end) ? reason.isEmpty() : reason.contains("pseudo-terminal");
}

} // namespace

class SerialTransportTest : public QObject {
    Q_OBJECT
private slots:
    void sendOrderAndGaps_data();
    void sendOrderAndGaps();
    void closeDrainsThenRefuses_data();
    void closeDrainsThenRefuses();
    void everyByteBothWays_data();
    void everyByteBothWays();
};

void SerialTransportTest::sendOrderAndGaps_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QStringList>("steps"); // "write T", "queue N" (N letters), "pause MS"
    QTest::addColumn<int>("gapMs");         // a quiet line longer than this is a gap
    QTest::addColumn<QByteArrayList>("bursts");

    for (const QString kind : {"fake", "pty"}) {
        const QByteArray k = kind.toLatin1() + ": ";
        QTest::newRow(k + "disconnect: ETX, DISCONNECT, CR with 100 ms between")
            << kind << QStringList{"write \x03", "pause 100", "write DISCONNECT", "pause 100", "write \r"}
            << 60 << QByteArrayList{"\x03", "DISCONNECT", "\r"};
        QTest::newRow(k + "termination line: 25 ms before its CR")
            << kind << QStringList{"write MYCALL N0CALL", "pause 25", "write \r"} << 15
            << QByteArrayList{"MYCALL N0CALL", "\r"};
        QTest::newRow(k + "a write waits behind queued bulk data, then the gap")
            << kind << QStringList{"queue 2000", "write BEACON EVERY 0\r", "pause 100", "write K\r"} << 60
            << QByteArrayList{letters(2000) + "BEACON EVERY 0\r", "K\r"};
    }
}

void SerialTransportTest::sendOrderAndGaps()
{
    QFETCH(QString, kind);
    QFETCH(QStringList, steps);
    QFETCH(int, gapMs);
    QFETCH(QByteArrayList, bursts);
    const std::unique_ptr<FarEnd> end = farEnd(kind);
    int drained = 0; // the transfer engine hands over its next bytes on this signal
    QObject::connect(end->transport.get(), &SerialTransport::queueDrained, [&drained] { ++drained; });
    QVERIFY(openLine(*end));

    for (const QString& step : steps) {
        const QString arg = step.mid(step.indexOf(QLatin1Char(' ')) + 1);
        QString reason;
        if (step.startsWith(QLatin1String("write")))
            QVERIFY2(end->transport->write(arg.toLatin1(), arg.size() == 1, &reason), qPrintable(reason));
        else if (step.startsWith(QLatin1String("queue")))
            end->transport->queue(letters(arg.toInt()));
        else
            end->pause(arg.toInt());
    }
    QTRY_COMPARE_WITH_TIMEOUT(end->received(), bursts.join(), WaitMs);
    // Were the bytes left to the event loop, a pause would not separate them.
    QCOMPARE(end->bursts(gapMs), bursts);
    QCOMPARE(end->transport->queuedBytes(), 0);
    QTRY_COMPARE_WITH_TIMEOUT(end->transport->pendingOutputBytes(), 0, WaitMs); // nothing left for the line
    if (steps.first().startsWith(QLatin1String("queue")))
        QTRY_VERIFY_WITH_TIMEOUT(drained > 0, WaitMs);
}

void SerialTransportTest::closeDrainsThenRefuses_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("fake") << "fake";
    QTest::newRow("pty") << "pty";
}

void SerialTransportTest::closeDrainsThenRefuses()
{
    QFETCH(QString, kind);
    const std::unique_ptr<FarEnd> end = farEnd(kind);
    QVERIFY(openLine(*end));
    const QByteArray bulk = letters(200 * 1024);
    QString reason;

    end->transport->queue(bulk); // far more than the line takes at once
    end->transport->close();
    QVERIFY(!end->transport->isOpen());
    QVERIFY(!end->transport->write("late\r", false, &reason));
    QVERIFY(!reason.isEmpty());
    end->transport->queue("later");

    QTRY_COMPARE_WITH_TIMEOUT(end->received().size(), bulk.size(), WaitMs);
    QCOMPARE(end->received(), bulk);
}

void SerialTransportTest::everyByteBothWays_data()
{
    closeDrainsThenRefuses_data();
}

void SerialTransportTest::everyByteBothWays()
{
    QFETCH(QString, kind);
    const std::unique_ptr<FarEnd> end = farEnd(kind);
    QByteArray heard;
    QObject::connect(end->transport.get(), &SerialTransport::received,
                     [&heard](const QByteArray& bytes) { heard += bytes; });
    QVERIFY(openLine(*end));
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);

    QVERIFY(end->send(all));
    QTRY_COMPARE_WITH_TIMEOUT(heard, all, WaitMs);
    QString reason;
    QVERIFY2(end->transport->write(all, false, &reason), qPrintable(reason));
    QTRY_COMPARE_WITH_TIMEOUT(end->received(), all, WaitMs);
}

QTEST_MAIN(SerialTransportTest)
#include "serial_transport_test.moc"

// The contract of the serial seam, one body run over the fake device the window
// tests use and over the real transport on a pseudo-terminal, so the fake cannot
// drift from the real thing: bytes leave in call order, bulk data behind what was
// written before it; a pause after a write is a gap on the line; closing drains
// what waits and a closed port takes nothing; every byte value crosses both ways
// at the TNC's 7 data bits, even parity.

#include "app/production_seams.h"
#include "fake_transport.h"
#include "link/qt_serial_transport.h"

#include <QTest>

#include <atomic>
#include <chrono>
#include <fcntl.h>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
constexpr int WaitMs = 20000;

// The far end of the line, cut into bursts at the quiet spells longer than a gap
// (negative: one burst), the same way over either transport.
class FarEnd {
public:
    virtual ~FarEnd() = default;
    virtual QString device() const = 0;
    virtual void pause(int ms) = 0;
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
            const QString what = entry.section(' ', 0, 0), text = entry.mid(what.size() + 1);
            if (what == "pause" && gapMs >= 0)
                out << QByteArray();
            else if (what == "SendChar")
                out.last() += char(text.toInt());
            else if (what != "pause") // "SendString" or "Queue", unprintable bytes as <n>
                for (qsizetype i = 0; i < text.size(); ++i) {
                    const qsizetype close = text[i] == '<' ? text.indexOf('>', i) : i;
                    out.last() +=
                        close > i ? char(text.mid(i + 1, close - i - 1).toInt()) : text[i].toLatin1();
                    i = close;
                }
        }
        out.removeAll(QByteArray());
        return out;
    }
    bool send(const QByteArray& bytes) override { return fake_->inject(bytes), true; }

private:
    Transcript transcript_;
    FakeTransport* fake_;
};

// A real pseudo-terminal: a thread reads its controlling end and stamps every chunk.
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
        reader_ = std::thread([this] {
            for (char buf[65536]; !stop_;) {
                pollfd p{master_, POLLIN, 0};
                const ssize_t n = ::poll(&p, 1, 20) > 0 ? ::read(master_, buf, sizeof buf) : 0;
                std::lock_guard lock(mutex_);
                if (n > 0)
                    chunks_.push_back({Clock::now(), QByteArray(buf, int(n))});
            }
        });
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
    int master_ = -1, keep_ = -1;
    QString device_;
    std::thread reader_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::pair<Clock::time_point, QByteArray>> chunks_;
};

QByteArray letters(int size)
{
    QByteArray bulk(size, '\0');
    for (int i = 0; i < size; ++i)
        bulk[i] = char('A' + i % 26);
    return bulk;
}

QByteArray everyByte()
{
    QByteArray all(256, '\0');
    for (int i = 0; i < 256; ++i)
        all[i] = char(i);
    return all;
}

} // namespace

class SerialTransportTest : public QObject {
    Q_OBJECT
private slots:
    void contract_data()
    {
        QTest::addColumn<QString>("kind");
        // "write T", "queue N" (N letters), "pause MS", "bytes" (all 256 values written),
        // "close" (then a write is refused and a queue ignored)
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<int>("gapMs"); // a quiet line longer than this is a gap
        QTest::addColumn<QByteArrayList>("bursts");
        for (const QString kind : {"fake", "pty"}) {
            const QByteArray k = kind.toLatin1() + ": ";
            QTest::newRow(k + "disconnect: ETX, DISCONNECT, CR with 100 ms between")
                << kind << QStringList{"write \x03", "pause 100", "write DISCONNECT", "pause 100", "write \r"}
                << 60 << QByteArrayList{"\x03", "DISCONNECT", "\r"};
            QTest::newRow(k + "a write waits behind queued bulk data, then the gap")
                << kind << QStringList{"queue 2000", "write BEACON EVERY 0\r", "pause 100", "write K\r"} << 60
                << QByteArrayList{letters(2000) + "BEACON EVERY 0\r", "K\r"};
            QTest::newRow(k + "closing drains far more than the line takes at once")
                << kind << QStringList{"queue 204800", "close"} << -1 << QByteArrayList{letters(204800)};
            QTest::newRow(k + "every byte value, both ways")
                << kind << QStringList{"bytes"} << -1 << QByteArrayList{everyByte()};
        }
    }

    void contract()
    {
        QFETCH(QString, kind);
        QFETCH(QStringList, steps);
        QFETCH(int, gapMs);
        QFETCH(QByteArrayList, bursts);
        const std::unique_ptr<FarEnd> end =
            kind == "fake" ? std::unique_ptr<FarEnd>(new FakeEnd) : std::unique_ptr<FarEnd>(new PtyEnd);
        SerialTransport& line = *end->transport;
        int drained = 0; // the transfer engine hands over its next bytes on this signal
        QByteArray heard;
        QObject::connect(&line, &SerialTransport::queueDrained, [&drained] { ++drained; });
        QObject::connect(&line, &SerialTransport::received, [&heard](const QByteArray& b) { heard += b; });
        QString reason;
        QVERIFY2(line.open(end->device(), {9600, pEven, sbOne, 7, spNone}, &reason), qPrintable(reason));
        // Only a pseudo-terminal says why the line settings do not apply; the link opens all the same.
        QCOMPARE(reason.contains("pseudo-terminal"), kind == "pty");

        for (const QString& step : steps) {
            const QString arg = step.section(' ', 1);
            if (step.startsWith("write"))
                QVERIFY2(line.write(arg.toLatin1(), arg.size() == 1, &reason), qPrintable(reason));
            else if (step.startsWith("queue"))
                line.queue(letters(arg.toInt()));
            else if (step.startsWith("pause"))
                end->pause(arg.toInt());
            else if (step == "bytes") {
                QVERIFY(end->send(everyByte()));
                QTRY_COMPARE_WITH_TIMEOUT(heard, everyByte(), WaitMs);
                QVERIFY2(line.write(everyByte(), false, &reason), qPrintable(reason));
            } else {
                line.close();
                QVERIFY(!line.isOpen());
                QVERIFY(!line.write("late\r", false, &reason) && !reason.isEmpty());
                line.queue("later");
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(end->received(), bursts.join(), WaitMs);
        // Were the bytes left to the event loop, a pause would not separate them.
        QCOMPARE(end->bursts(gapMs), bursts);
        if (!line.isOpen())
            return;
        QCOMPARE(line.queuedBytes(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(line.pendingOutputBytes(), 0, WaitMs); // nothing left for the line
        if (steps.first().startsWith("queue"))
            QTRY_VERIFY_WITH_TIMEOUT(drained > 0, WaitMs);
    }
};

QTEST_MAIN(SerialTransportTest)
#include "serial_transport_test.moc"

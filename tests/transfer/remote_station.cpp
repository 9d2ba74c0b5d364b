#include "remote_station.h"

namespace zm = quillmar::zmodem;

RemoteStation::RemoteStation(FakeTransport* line, const SkippingClock* clock)
    : engine(*this, files, *this, zm::Config{})
    , line_(line)
    , clock_(clock ? clock : &ownClock_)
{
    files.addDirectory("/remote");
    zm::Config config = engine.config();
    config.receiveDirectory = "/remote";
    engine.setConfig(config);
    engine.tick(clock_->now());
    line_->peer = [this](const QByteArray& bytes) { hear(bytes); };
    tick_.setInterval(50);
    connect(&tick_, &QTimer::timeout, this, &RemoteStation::tick);
    tick_.start();
}

void RemoteStation::tick()
{
    engine.tick(clock_->now());
    pumpAll();
}

void RemoteStation::setSilent(bool silent)
{
    silent_ = silent;
    if (silent_)
        return;
    toProgram(std::exchange(heldOut_, {}));
    hear(std::exchange(heldIn_, {}));
}

bool RemoteStation::send(const std::string& path)
{
    const bool ok = engine.send({path});
    pumpAll();
    return ok;
}

void RemoteStation::hear(const QByteArray& bytes)
{
    if (silent_) {
        heldIn_ += bytes;
        return;
    }
    std::vector<std::uint8_t> passed;
    engine.feed(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size()), passed);
    terminal.append(reinterpret_cast<const char*>(passed.data()), qsizetype(passed.size()));
    pumpAll();
}

void RemoteStation::pumpAll()
{
    // A slice at a time, so the program's events interleave with the transfer
    // as they would on a line.
    if (!engine.hasOutput() || pumpPending_)
        return;
    engine.pump(16 * 1024);
    if (engine.hasOutput()) {
        pumpPending_ = true;
        QTimer::singleShot(0, this, [this] {
            pumpPending_ = false;
            pumpAll();
        });
    }
}

void RemoteStation::write(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (silent_)
        heldOut_ += bytes;
    else
        toProgram(bytes);
}

void RemoteStation::toProgram(const QByteArray& bytes)
{
    // Its answer crosses the line after the current event, like real traffic.
    QTimer::singleShot(0, line_, [this, bytes] {
        if (line_->isOpen() && !bytes.isEmpty())
            line_->inject(bytes);
    });
}

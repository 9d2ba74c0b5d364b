#include "remote_station.h"

namespace zm = quillmar::zmodem;

RemoteStation::RemoteStation(FakeTransport* line)
    : engine(*this, files, *this, zm::Config{})
    , line_(line)
{
    files.addDirectory("/remote");
    zm::Config config = engine.config();
    config.receiveDirectory = "/remote";
    engine.setConfig(config);
    line_->peer = [this](const QByteArray& bytes) { hear(bytes); };
    clock_.start();
    tick_.setInterval(50);
    connect(&tick_, &QTimer::timeout, this, [this] {
        engine.tick(quint64(clock_.elapsed()));
        pumpAll();
    });
    tick_.start();
}

bool RemoteStation::send(const std::string& path)
{
    const bool ok = engine.send({path});
    pumpAll();
    return ok;
}

void RemoteStation::hear(const QByteArray& bytes)
{
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
    // Its answer crosses the line after the current event, like real traffic.
    QTimer::singleShot(0, line_, [this, bytes] {
        if (line_->isOpen())
            line_->inject(bytes);
    });
}

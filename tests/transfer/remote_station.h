#pragma once
// A remote station running ZModem at the far end of the fake serial line:
// an engine of its own on in-memory files, fed what the program sends and
// answering through the line, with its clock ticking in real time (or on the
// clock a test hands in). The line to it can go silent, as a faded radio
// channel does: what either side sends meanwhile arrives when it ends.

#include "fake_transport.h"
#include "transfer/zmodem/engine.h"
#include "transfer/zmodem/memory_file_store.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>
#include <string>
#include <vector>

// Real time plus what a test skipped: minutes of silence pass in a moment.
struct SkippingClock {
    SkippingClock() { real.start(); }
    quint64 now() const { return quint64(real.elapsed()) + skipped; }
    QElapsedTimer real;
    quint64 skipped = 0;
};

class RemoteStation final : public QObject,
                            private quillmar::zmodem::Listener,
                            private quillmar::zmodem::ByteSink {
    Q_OBJECT
public:
    explicit RemoteStation(FakeTransport* line, const SkippingClock* clock = nullptr);

    quillmar::zmodem::MemoryFileStore files;
    quillmar::zmodem::Engine engine;
    QByteArray terminal;               // what it saw outside transfers
    std::vector<std::string> received; // files it took in
    std::vector<std::string> aborts;
    int finishedCount = 0;
    bool refuseFiles = false; // turns every offered file down (ZSKIP)

    // Starts sending one of its files to the program.
    bool send(const std::string& path);
    // Holds the line silent both ways, or ends the silence and delivers what waited.
    void setSilent(bool silent);
    void tick();

private:
    void hear(const QByteArray& bytes);
    void pumpAll();
    void write(const std::uint8_t* data, std::size_t size) override;
    void fileReceived(const std::string& path) override { received.push_back(path); }
    void aborted(const std::string& reason) override { aborts.push_back(reason); }
    void finished() override { ++finishedCount; }
    bool fileOffered(const std::string&, std::uint64_t) override { return !refuseFiles; }
    void toProgram(const QByteArray& bytes);

    FakeTransport* line_;
    const SkippingClock* clock_;
    SkippingClock ownClock_;
    bool silent_ = false;
    QByteArray heldIn_, heldOut_; // sent during a silence: by the program, by this station
    QTimer tick_;
    bool pumpPending_ = false;
};

#pragma once
// A remote station running ZModem at the far end of the fake serial line:
// an engine of its own on in-memory files, fed what the program sends and
// answering through the line, with its clock ticking in real time.

#include "fake_transport.h"
#include "transfer/zmodem/engine.h"
#include "transfer/zmodem/memory_file_store.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <string>
#include <vector>

class RemoteStation final : public QObject,
                            private quillmar::zmodem::Listener,
                            private quillmar::zmodem::ByteSink {
    Q_OBJECT
public:
    explicit RemoteStation(FakeTransport* line);

    quillmar::zmodem::MemoryFileStore files;
    quillmar::zmodem::Engine engine;
    QByteArray terminal;               // what it saw outside transfers
    std::vector<std::string> received; // files it took in
    std::vector<std::string> aborts;
    int finishedCount = 0;

    // Starts sending one of its files to the program.
    bool send(const std::string& path);

private:
    void hear(const QByteArray& bytes);
    void pumpAll();
    void write(const std::uint8_t* data, std::size_t size) override;
    void fileReceived(const std::string& path) override { received.push_back(path); }
    void aborted(const std::string& reason) override { aborts.push_back(reason); }
    void finished() override { ++finishedCount; }

    FakeTransport* line_;
    QElapsedTimer clock_;
    QTimer tick_;
    bool pumpPending_ = false;
};

// Two ZModem engines joined by an in-memory wire that can damage bytes, with a simulated clock.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include <QStringList>

#include "engine.h"
#include "memory_file_store.h"

namespace zmodemtest {

using Bytes = std::vector<std::uint8_t>;
using namespace quillmar::zmodem;

// Records every event so a test can check what the owner would have been told.
struct RecordingListener : Listener {
    std::vector<Direction> starts;
    std::vector<std::string> offered, received, sent, aborts;
    int finishedCount = 0;
    std::uint64_t lastDone = 0, lastTotal = 0;
    std::function<bool(const std::string&)> accept;  // none: take every file
    std::function<void()> onProgress;                 // lets a test act mid-transfer

    void transferStarting(Direction d) override { starts.push_back(d); }
    bool fileOffered(const std::string& name, std::uint64_t) override {
        offered.push_back(name);
        return !accept || accept(name);
    }
    void fileReceived(const std::string& path) override { received.push_back(path); }
    void fileSent(const std::string& path) override { sent.push_back(path); }
    void finished() override { ++finishedCount; }
    void aborted(const std::string& reason) override { aborts.push_back(reason); }
    void progress(std::uint64_t done, std::uint64_t total) override {
        lastDone = done;
        lastTotal = total;
        if (onProgress) onProgress();
    }
};

// Keeps what an engine pumped out during one step.
struct CollectingSink : ByteSink {
    Bytes bytes;
    void write(const std::uint8_t* data, std::size_t size) override { bytes.insert(bytes.end(), data, data + size); }
};

// One end of the link: its files, events, output and the terminal bytes it passed through.
struct Station {
    explicit Station(Config config) : engine(sink, files, events, std::move(config)) {}
    MemoryFileStore files;
    RecordingListener events;
    CollectingSink sink;
    Engine engine;
    Bytes terminal;
};

// How the wire hurts the bytes of one direction; applied to each chunk as it crosses.
struct Damage {
    double flipRate = 0;       // chance per chunk that one byte is changed
    double dropRate = 0;       // chance per chunk that a run of bytes vanishes
    double duplicateRate = 0;  // chance per chunk that a run of bytes arrives twice
    std::uint32_t seed = 1;
};

Bytes patternBytes(std::size_t size, std::uint32_t seed);
Bytes damaged(const Bytes& chunk, const Damage& damage, std::mt19937& random);
// A sender's wire bytes, in parts: "rz" and ZRQINIT; ZFILE with its information; ZDATA and ZEOF; ZFIN.
Bytes startString();
Bytes fileOffer(const std::string& name, std::uint64_t announcedSize);
Bytes fileData(const Bytes& data);
Bytes goodbye(bool endWithOO);
// All of them for one file.
Bytes scriptedSender(const std::string& name, std::uint64_t announcedSize, const Bytes& data, bool endWithOO = true);

Config receiveInto(const std::string& directory);
inline const std::string kInbox = "/in";

// Drives a sender and a receiver until both are idle, advancing the clock only when the wire is quiet.
class TestLink {
public:
    TestLink(Config senderConfig = {}, Config receiverConfig = receiveInto(kInbox));

    Station sender;
    Station receiver;
    Damage toReceiver, toSender;
    std::size_t room = 4096;           // bytes each side may write per step
    std::uint64_t now = 1000;
    std::uint64_t quietStepMs = 500;
    std::size_t bytesToReceiver = 0;
    Bytes wireToReceiver;              // everything the receiver was fed
    Bytes wireToSender;                // everything the sender was fed
    int roomOverruns = 0;              // pumps that wrote more than the room they were given
    std::function<bool()> cutWire;     // while true, bytes vanish in both directions

    // Returns false if the exchange had not settled after `maxSteps`.
    bool run(int maxSteps = 200000);

private:
    std::size_t carry(Station& from, Station& to, const Damage& damage, std::mt19937& random);
    std::mt19937 randomToReceiver_, randomToSender_;
};

// Qt Test prints QStringLists on a mismatch, so event lists are compared as such.
inline QStringList listed(const std::vector<std::string>& items) {
    QStringList list;
    for (const auto& item : items) list << QString::fromStdString(item);
    return list;
}

}  // namespace zmodemtest

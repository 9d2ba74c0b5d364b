// Two ZModem engines joined by an in-memory wire that can damage bytes, with a simulated clock.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <QStringList>

#include "engine.h"
#include "file_bytes.h"
#include "memory_file_store.h"

namespace zmodemtest {

using Bytes = std::vector<std::uint8_t>;
using namespace quillmar::zmodem;

inline const std::string kInbox = "/in";
Config receiveInto(const std::string& directory);

// One end of the link: an engine on its files (kInbox among them), and all it reported, wrote and passed on.
struct Station : Listener, ByteSink {
    explicit Station(Config config = receiveInto(kInbox))
        : engine(*this, files, *this, std::move(config))
    {
        files.addDirectory(kInbox);
    }

    MemoryFileStore files;
    Engine engine;
    Bytes out, terminal;
    QStringList received, sent, aborts; // as lists, which Qt Test prints on a mismatch
    QStringList refused, declined;      // our files the other side refused; offers we turned down
    QStringList turnDown;               // names fileOffered() says no to
    int starts = 0, finishes = 0, strayEnds = 0;
    std::function<void()> onProgress; // lets a test act mid-transfer
    std::function<void()> onWrite;    // the sink's owner acting inside a write

    void write(const std::uint8_t* data, std::size_t size) override
    {
        out.insert(out.end(), data, data + size);
        if (onWrite)
            onWrite();
    }
    void transferStarting(Direction) override { ++starts; }
    void fileReceived(const std::string& path) override { received << QString::fromStdString(path); }
    void fileSent(const std::string& path) override { sent << QString::fromStdString(path); }
    void fileRefused(const std::string& path) override { refused << QString::fromStdString(path); }
    bool fileOffered(const std::string& name, std::uint64_t) override
    {
        return !turnDown.contains(QString::fromStdString(name));
    }
    void offerDeclined(const std::string& name, const std::string& reason) override
    {
        declined << QString::fromStdString(name + ": " + reason);
    }
    void strayStartEnded() override { ++strayEnds; }
    void finished() override { ++finishes; }
    void aborted(const std::string& reason) override { aborts << QString::fromStdString(reason); }
    void progress(std::uint64_t, std::uint64_t) override
    {
        if (onProgress)
            onProgress();
    }
};

// How the wire hurts the bytes of one direction, chunk by chunk as they cross.
struct Damage {
    double flipRate = 0;      // chance per chunk that one byte is changed
    double dropRate = 0;      // chance per chunk that a run of bytes vanishes
    double duplicateRate = 0; // chance per chunk that a run of bytes arrives twice
    std::uint32_t seed = 1;
    std::size_t cutAfter = SIZE_MAX; // the wire is cut once this many bytes have arrived
};

// What a terminal shows of a sender's start before the engine takes over.
inline const QByteArray kStartText("rz\r**\x18"
                                   "B00000000000000");
// What the terminal keeps of it: the header's line ended.
inline const QByteArray kStartShown = kStartText + '\r';

inline Bytes bytesOf(const QByteArray& text)
{
    return Bytes(text.begin(), text.end());
}
inline QByteArray textOf(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

inline Bytes patternBytes(std::size_t size, std::uint32_t seed)
{
    return bytesOf(pattern(int(size), seed));
}
inline bool hasAbortSequence(const Bytes& out)
{
    return textOf(out).contains(QByteArray(8, '\x18'));
}
// A sender's whole session for one file on the wire: "rz", ZRQINIT, ZFILE `offers` times (a repeat is what a
// sender whose ZRPOS got lost does), ZDATA with `data`, ZEOF, ZFIN and "OO". `announced` kNoLength
// offers the name alone; `mode` is the octal mode it announces.
inline constexpr std::uint64_t kNoLength = UINT64_MAX;
Bytes scriptedSender(const std::string& name, std::uint64_t announced, const Bytes& data, int offers = 1,
                     const std::string& mode = "100644");

// The link goes silent both ways once this many bytes reached the receiver, for this long (simulated
// time); the bytes sent meanwhile are lost, or held and delivered when it ends, as a TNC would.
struct Silence {
    std::size_t afterBytes = SIZE_MAX;
    std::uint64_t ms = 0;
    bool held = false;
};

// A slow, far channel each way: bytes leave at `bytesPerSecond` and arrive `delayMs` later, each lost by
// chance `lossPerByte`; a side may queue up to `buffer` bytes not yet on the air, as a TNC takes them.
struct Channel {
    int bytesPerSecond = 1200;
    std::uint64_t delayMs = 3000;
    double lossPerByte = 0;
    std::size_t buffer = 4096;
    std::uint32_t seed = 1;
};

// Drives a sender and a receiver until both are idle, advancing the clock only when the wire is quiet.
class TestLink {
public:
    explicit TestLink(Config senderConfig = {}, Config receiverConfig = receiveInto(kInbox));

    Station sender, receiver;
    Damage toReceiver, toSender;
    Silence silence;
    std::size_t room = 4096;            // bytes each side may write per step
    Bytes wireToReceiver, wireToSender; // everything each side was fed
    int roomOverruns = 0;               // pumps that wrote more than the room they were given

    // Returns false if the exchange had not settled after `maxSteps`.
    bool run(int maxSteps = 200000);
    // Over `channel` both ways, on the simulated clock: the time until both sides were idle, or
    // nothing when they were still busy after `limitMs`.
    std::optional<std::uint64_t> runOver(const Channel& channel, std::uint64_t limitMs);

private:
    std::size_t carry(Station& from, Station& to, const Damage& damage, std::mt19937& random, Bytes& wire,
                      Bytes& held);
    bool silent();
    std::mt19937 randomToReceiver_, randomToSender_;
    std::uint64_t now_ = 1000;
    std::uint64_t silenceEnds_ = 0; // 0: the silence has not begun
    Bytes heldToReceiver_, heldToSender_;
};

} // namespace zmodemtest

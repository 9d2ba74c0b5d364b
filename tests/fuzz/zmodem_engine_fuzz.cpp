// libFuzzer target: arbitrary bytes into an idle engine, a receiver and a sender's back channel.
//
// The first input byte picks the role and how the rest is cut into chunks; the engine must never
// crash, overrun, or leave a temporary file or a wrong "received" report behind, and what it queues
// for the line or holds back from the terminal stays bounded however the bytes repeat.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "engine.h"
#include "frame_writer.h"
#include "memory_file_store.h"

using namespace quillmar::zmodem;

namespace {

// Output goes nowhere; the fuzzer cares that writing never overruns.
struct NullSink : ByteSink {
    void write(const std::uint8_t*, std::size_t) override {}
};

// Stops the run when a file is reported received but is not in the store.
struct CheckingListener : Listener {
    MemoryFileStore& files;
    explicit CheckingListener(MemoryFileStore& f)
        : files(f)
    {
    }
    void fileReceived(const std::string& path) override { files.file(path) ? void() : std::abort(); }
    void transferStarting(Direction direction) override { starts += direction == Direction::Receive; }
    std::size_t starts = 0; // receives begun, each start header's line ended with a CR of our own
};

// Queued output is one subpacket and a few answers at most; held text a few KiB.
constexpr std::size_t kMaxQueued = 64 * 1024;
constexpr std::size_t kMaxHeld = 8 * 1024;

bool temporaryLeft(const MemoryFileStore& files)
{
    return std::any_of(files.files().begin(), files.files().end(),
                       [](const auto& file) { return file.first.find(".part") != std::string::npos; });
}

void writeSeed(const std::string& path, std::uint8_t mode, const std::vector<std::uint8_t>& wire)
{
    std::ofstream(path, std::ios::binary)
        .put(char(mode))
        .write(reinterpret_cast<const char*>(wire.data()), std::streamsize(wire.size()));
}

// Valid exchanges to start from, so the fuzzer reaches the data states quickly.
void writeSeeds(const std::string& dir)
{
    FrameWriter writer;
    std::vector<std::uint8_t> send = {'r', 'z', '\r'};
    writer.hexHeader(send, Header::at(FrameType::RQInit, 0));
    writer.binaryHeader(send, Header::flags(FrameType::File, kConvBinary), true);
    const std::string info = std::string("seed.txt") + '\0' + "5 0 100644 0 1 5" + '\0';
    writer.subpacket(send, reinterpret_cast<const std::uint8_t*>(info.data()), info.size(),
                     Terminator::WaitAck, true);
    writer.binaryHeader(send, Header::at(FrameType::Data, 0), true);
    const std::uint8_t data[] = {'h', 'e', 'l', 'l', 'o'};
    writer.subpacket(send, data, 3, Terminator::Go, true);
    writer.subpacket(send, data + 3, 2, Terminator::EndFrame, true);
    writer.binaryHeader(send, Header::at(FrameType::Eof, 5), true);
    writer.hexHeader(send, Header::at(FrameType::Fin, 0));
    send.insert(send.end(), {'O', 'O', '$', ' '});
    writeSeed(dir + "/remote-sender", 0x00, send);
    writeSeed(dir + "/receiver-started", 0x01, send);

    std::vector<std::uint8_t> replies;
    writer.hexHeader(replies, Header::flags(FrameType::RInit, kCanFullDuplex | kCanOverlapIo | kCanFcs32));
    writer.hexHeader(replies, Header::at(FrameType::RPos, 0));
    writer.hexHeader(replies, Header::at(FrameType::RPos, 100));
    writer.hexHeader(replies, Header::flags(FrameType::RInit, kCanFullDuplex | kEscapeControl));
    writer.hexHeader(replies, Header::at(FrameType::Fin, 0));
    writeSeed(dir + "/sender-replies", 0x02, replies);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (const char* dir = std::getenv("QUILLMAR_FUZZ_WRITE_SEEDS")) {
        writeSeeds(dir);
        std::exit(0);
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t control = data[0];
    ++data;
    --size;

    MemoryFileStore files;
    files.addDirectory("/in");
    files.putFile("/out/a", std::vector<std::uint8_t>(3000, 0x41));
    files.setWriteLimit(64 * 1024);
    NullSink sink;
    CheckingListener listener(files);
    Config config;
    config.receiveDirectory = "/in";
    config.escapeControl = control & 0x10;
    config.maxSubpacket = (control & 0x20) ? 1024 : 8192;
    Engine engine(sink, files, listener, config);

    switch (control & 0x03) {
    case 1: engine.receive(); break;
    case 2:
    case 3: engine.send({"/out/a"}); break;
    default: break; // idle watching
    }
    const std::size_t chunk = 1 + ((control >> 2) & 0x03) * 97;
    std::vector<std::uint8_t> terminal;
    std::uint64_t now = 0;
    for (std::size_t pos = 0; pos < size; pos += chunk) {
        const std::size_t count = std::min(chunk, size - pos);
        engine.feed(data + pos, count, terminal);
        // A start that came to nothing gives back what it held, in order: never more than was sent
        // and the CR that ends each start header's line.
        if (terminal.size() > pos + count + listener.starts)
            std::abort();
        now += (control & 0x40) ? 7000 : 30;
        engine.tick(now);
        const auto released = engine.takeReleasedText();
        terminal.insert(terminal.end(), released.begin(), released.end());
        // A tight line, or one that takes nothing at all (the peer may still ask and ask).
        const std::size_t room = (control & 0x80) ? ((control & 0x20) ? 0 : 64) : 4096;
        if (engine.pump(room) > room)
            std::abort();
        if (engine.queuedBytes() > kMaxQueued || engine.heldBytes() > kMaxHeld)
            std::abort(); // the peer makes us pile up bytes
        if (!engine.transferring() && temporaryLeft(files))
            std::abort();
    }
    return 0;
}

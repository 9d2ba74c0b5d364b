// What the sending and the receiving side of a transfer share: output, reader, limits, events.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "config.h"
#include "file_store.h"
#include "frame_reader.h"
#include "frame_writer.h"
#include "listener.h"

namespace quillmar::zmodem {

// Bytes waiting for room on the link, in order.
class Outbox {
public:
    std::vector<std::uint8_t>& buffer()
    {
        compact();
        return bytes_;
    }
    const std::uint8_t* data() const { return bytes_.data() + head_; }
    std::size_t pending() const { return bytes_.size() - head_; }
    void consume(std::size_t count) { head_ += count; }
    void clear()
    {
        bytes_.clear();
        head_ = 0;
    }
    // True while part, but not all, of the queued bytes have gone out.
    bool partlyWritten() const { return head_ > 0 && pending() > 0; }

private:
    void compact()
    {
        if (head_ == 0)
            return;
        bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(head_));
        head_ = 0;
    }
    std::vector<std::uint8_t> bytes_;
    std::size_t head_ = 0;
};

// The parts of the engine a sender or receiver works with.
struct SessionContext {
    SessionContext(const Config& c, Listener& l, FileStore& f)
        : config(c)
        , listener(l)
        , files(f)
    {
    }

    const Config& config;
    Listener& listener;
    FileStore& files;
    Outbox outbox;
    FrameWriter writer;
    FrameReader reader;
    std::uint64_t now = 0;
    std::string currentFile;
};

// One side of a transfer; the engine feeds it reader events, ticks and room to write.
class Session {
public:
    enum class Step { Continue, Finished, Failed };

    explicit Session(SessionContext& context)
        : ctx_(context)
    {
    }
    virtual ~Session() = default;

    virtual Step onHeader(const Header& header) = 0;
    virtual Step onSubpacket(const std::uint8_t* data, std::size_t size, Terminator end) = 0;
    virtual Step onBadFrame(bool wasHeader) = 0;
    // Queues more data when the outbox has run dry; false when there is nothing to add.
    virtual bool produce() { return false; }
    virtual bool canProduce() const { return false; }
    // Removes what a broken transfer left behind.
    virtual void discard() {}

    Step onCancel() { return fail("cancelled by the other side"); }
    Step onTick();
    void noteActivity() { lastActivity_ = ctx_.now; }
    const std::string& failure() const { return failure_; }
    bool failed() const { return !failure_.empty(); }

protected:
    // The wait has timed out: repeat what we last asked.
    virtual Step onTimeout() = 0;
    // Time-outs went on past the retries.
    virtual Step onGiveUp() { return fail("timed out waiting for the other side"); }
    // While true the side is busy sending and no answer is due, so silence is no time-out.
    virtual bool waitingForPeer() const { return true; }

    Step fail(std::string reason);
    Step countError(const char* what);
    void heard() { timeouts_ = 0; }
    void sendHex(const Header& header);
    void sendBinary(const Header& header, bool crc32);
    void trace(const std::string& line);
    void traceHeader(const char* direction, const Header& header);

    SessionContext& ctx_;

private:
    std::uint64_t lastActivity_ = 0;
    int timeouts_ = 0;
    int errors_ = 0;
    std::string failure_;
};

} // namespace quillmar::zmodem

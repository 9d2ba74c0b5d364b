// What the sending and the receiving side of a transfer share: output, reader, limits, events.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "config.h"
#include "file_store.h"
#include "frame_reader.h"
#include "frame_writer.h"
#include "listener.h"

namespace quillmar::zmodem {

// Bytes waiting for room on the link, in order. Headers that answer the other side are kept apart
// by frame type, so a request repeated while its answer still waits does not add a second answer.
class Outbox {
public:
    // What became of a block queued with queueReplacing().
    enum class Queued { Added, Replaced, AlreadyWaiting };

    // Far more than one subpacket and the odd header; reaching it means a peer drives us in circles.
    static constexpr std::size_t kLimit = 64 * 1024;

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
        blocks_.clear();
        head_ = 0;
    }
    // True while part, but not all, of the queued bytes have gone out.
    bool partlyWritten() const { return head_ > 0 && pending() > 0; }

    // Queues `block` under `key`. A block of that key that has not begun to go out is replaced
    // (in place when it is as long), or left as it is when it holds the same bytes.
    Queued queueReplacing(std::uint8_t key, const std::vector<std::uint8_t>& block);

private:
    // A keyed block still in the queue: its key, where it starts in bytes_ and its length.
    struct Block {
        std::uint8_t key;
        std::size_t start;
        std::size_t size;
    };

    void compact();

    std::vector<std::uint8_t> bytes_;
    std::vector<Block> blocks_;
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
        restartWait();
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
    Step overflowed() { return fail("more to send than the line takes"); }
    Step onTick();
    // A valid frame, or part of a subpacket that followed one, came in: the other side is there.
    void noteHeard() { restartWait(); }
    // False for a header that only repeats an answer to an older request (data or an end below what we
    // hold or asked for): it shows the other side is there but not that it heard us, so it leaves the
    // silence clock running. skipping(): the subpacket being read is such a repeat.
    virtual bool welcomes(const Header&) const { return true; }
    virtual bool skipping() const { return false; }
    // Some of our bytes went out: the other side cannot answer before it has them.
    void noteSent();
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
    // Queues a header that answers a request of the other side. When the same answer still waits in
    // the queue the request was a repeat: the waiting answer serves both and the repeat is an error.
    Step answer(const Header& header);
    // The same for a binary header followed by a ZCRCW subpacket (ZFILE, ZSINIT).
    Step answerWithData(const Header& header, const std::uint8_t* data, std::size_t size, bool crc32);
    // Queues a header of our own asking; one of its type still waiting is replaced.
    void ask(const Header& header);
    void askBinary(const Header& header, bool crc32);
    void askWithData(const Header& header, const std::uint8_t* data, std::size_t size, bool crc32);
    void sendBinary(const Header& header, bool crc32);
    // A hex header queued after whatever waits, replacing nothing.
    void sendHex(const Header& header);
    // A new transfer in the same session: errors and waits start over.
    void startOver();
    // Round trips are learned from our own exchanges: expectAnswer() when something we queued asks the
    // other side for an answer (again, when it repeats the question), answered() when that answer came.
    void expectAnswer();
    void answered();
    // The open exchange was settled some other way: no sample from it.
    void forgetExchange() { exchangeOpen_ = false; }
    // The round trip learned so far; before the first clean sample, the time an exchange with repeats
    // took from its first question stands in (at most the round trip), 0 when nothing is known.
    std::uint64_t roundTripMs() const { return roundTrip_ ? *roundTrip_ : provisionalRoundTrip_; }
    void trace(const std::string& line);
    void traceHeader(const char* direction, const Header& header);

    SessionContext& ctx_;

private:
    enum class Form { Hex, Binary, BinaryWithData };
    Outbox::Queued queueHeader(const Header& header, Form form, const std::uint8_t* data, std::size_t size,
                               bool crc32);
    Step counted(Outbox::Queued queued);
    void restartWait();
    // While we are busy sending, silence from the other side is no time-out.
    void busy();
    // Several round trips, within the configured floor and ceiling.
    std::uint64_t firstWaitMs() const;

    // Waiting: since when nothing came, when to ask again, and how long the next wait is.
    std::uint64_t quietSince_ = 0;
    std::uint64_t nextAskAt_ = 0;
    std::uint64_t wait_ = 0;
    int unanswered_ = 0;
    int errors_ = 0;
    // The open exchange: asked (and when it went out, 0 before), and whether the question was repeated,
    // which makes its answer no sample: it may answer any of the copies.
    bool exchangeOpen_ = false;
    bool exchangeRepeated_ = false;
    std::optional<std::uint64_t> exchangeSentAt_;
    std::optional<std::uint64_t> roundTrip_;
    std::uint64_t provisionalRoundTrip_ = 0;
    std::string failure_;
};

} // namespace quillmar::zmodem

#include "session.h"

#include <algorithm>

namespace quillmar::zmodem {

const char* frameTypeName(FrameType type)
{
    static const char* const names[kFrameTypeCount] = {
        "ZRQINIT",    "ZRINIT", "ZSINIT", "ZACK",     "ZFILE",    "ZSKIP",  "ZNAK",
        "ZABORT",     "ZFIN",   "ZRPOS",  "ZDATA",    "ZEOF",     "ZFERR",  "ZCRC",
        "ZCHALLENGE", "ZCOMPL", "ZCAN",   "ZFREECNT", "ZCOMMAND", "ZSTDERR"};
    const auto index = static_cast<int>(type);
    return index < kFrameTypeCount ? names[index] : "unknown";
}

void Outbox::compact()
{
    if (head_ == 0)
        return;
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(head_));
    // A block that has begun to go out can no longer be replaced.
    std::erase_if(blocks_, [&](const Block& block) { return block.start < head_; });
    for (Block& block : blocks_)
        block.start -= head_;
    head_ = 0;
}

Outbox::Queued Outbox::queueReplacing(std::uint8_t key, const std::vector<std::uint8_t>& block)
{
    compact();
    Queued result = Queued::Added;
    for (auto it = blocks_.begin(); it != blocks_.end(); ++it) {
        if (it->key != key)
            continue;
        const auto waiting = bytes_.begin() + static_cast<std::ptrdiff_t>(it->start);
        if (it->size == block.size()) {
            if (std::equal(block.begin(), block.end(), waiting))
                return Queued::AlreadyWaiting;
            std::copy(block.begin(), block.end(), waiting);
            return Queued::Replaced;
        }
        const Block old = *it;
        bytes_.erase(waiting, waiting + static_cast<std::ptrdiff_t>(old.size));
        blocks_.erase(it);
        for (Block& later : blocks_)
            if (later.start > old.start)
                later.start -= old.size;
        result = Queued::Replaced;
        break;
    }
    blocks_.push_back({key, bytes_.size(), block.size()});
    bytes_.insert(bytes_.end(), block.begin(), block.end());
    return result;
}

namespace {
    // Repeats wait this many round trips: the answer to a restart also waits behind what the other
    // side had already queued for the line.
    constexpr std::uint64_t kRoundTripsPerWait = 3;
} // namespace

std::uint64_t Session::firstWaitMs() const
{
    const Config& c = ctx_.config;
    return std::clamp(roundTripMs() * kRoundTripsPerWait, c.timeoutMs,
                      std::max(c.timeoutMs, c.longestRoundTripWaitMs()));
}

void Session::expectAnswer()
{
    if (exchangeOpen_) {
        exchangeRepeated_ = true;
        return;
    }
    exchangeOpen_ = true;
    exchangeRepeated_ = false;
    exchangeSentAt_.reset();
}

void Session::answered()
{
    if (!exchangeOpen_)
        return;
    exchangeOpen_ = false;
    if (!exchangeSentAt_)
        return;
    const std::uint64_t sample = ctx_.now - *exchangeSentAt_;
    if (exchangeRepeated_) {
        if (!roundTrip_)
            provisionalRoundTrip_ = sample;
    } else {
        roundTrip_ = roundTrip_ ? (*roundTrip_ * 7 + sample) / 8 : sample;
    }
    trace("round trip " + std::to_string(sample) + " ms" + (exchangeRepeated_ ? " (repeated)" : "") +
          ", now " + std::to_string(roundTripMs()));
    // The wait began when the answer was heard, before it taught us anything.
    restartWait();
}

void Session::restartWait()
{
    quietSince_ = ctx_.now;
    wait_ = firstWaitMs();
    nextAskAt_ = ctx_.now + wait_;
    unanswered_ = 0;
}

void Session::noteSent()
{
    if (exchangeOpen_ && !exchangeSentAt_)
        exchangeSentAt_ = ctx_.now;
    busy();
}

void Session::busy()
{
    nextAskAt_ = ctx_.now + wait_;
    // Once we have asked again, only an answer ends the silence; our own repeats do not.
    if (unanswered_ == 0)
        quietSince_ = ctx_.now;
}

Session::Step Session::onTick()
{
    if (!waitingForPeer()) {
        busy();
        return Step::Continue;
    }
    if (ctx_.now < nextAskAt_)
        return Step::Continue;
    if (ctx_.now - quietSince_ >= ctx_.config.giveUpMs())
        return onGiveUp();
    ++unanswered_;
    trace("time-out " + std::to_string(unanswered_));
    wait_ = std::min(wait_ * 2, std::max(ctx_.config.longestWaitMs(), firstWaitMs()));
    nextAskAt_ = ctx_.now + wait_;
    return onTimeout();
}

void Session::startOver()
{
    errors_ = 0;
    restartWait();
}

Session::Step Session::fail(std::string reason)
{
    failure_ = std::move(reason);
    return Step::Failed;
}

Session::Step Session::countError(const char* what)
{
    trace(std::string("error: ") + what);
    if (++errors_ > ctx_.config.errorLimit)
        return fail(std::string("too many errors, last: ") + what);
    return Step::Continue;
}

Outbox::Queued Session::queueHeader(const Header& header, Form form, const std::uint8_t* data,
                                    std::size_t size, bool crc32)
{
    traceHeader("send", header);
    std::vector<std::uint8_t> block;
    if (form == Form::Hex) {
        ctx_.writer.hexHeader(block, header);
    } else {
        ctx_.writer.binaryHeader(block, header, crc32);
        if (form == Form::BinaryWithData)
            ctx_.writer.subpacket(block, data, size, Terminator::WaitAck, crc32);
    }
    return ctx_.outbox.queueReplacing(static_cast<std::uint8_t>(header.type), block);
}

Session::Step Session::counted(Outbox::Queued queued)
{
    return queued == Outbox::Queued::AlreadyWaiting
        ? countError("request repeated before our answer went out")
        : Step::Continue;
}

Session::Step Session::answer(const Header& header)
{
    return counted(queueHeader(header, Form::Hex, nullptr, 0, false));
}

Session::Step Session::answerWithData(const Header& header, const std::uint8_t* data, std::size_t size,
                                      bool crc32)
{
    return counted(queueHeader(header, Form::BinaryWithData, data, size, crc32));
}

void Session::ask(const Header& header)
{
    queueHeader(header, Form::Hex, nullptr, 0, false);
}

void Session::askBinary(const Header& header, bool crc32)
{
    queueHeader(header, Form::Binary, nullptr, 0, crc32);
}

void Session::askWithData(const Header& header, const std::uint8_t* data, std::size_t size, bool crc32)
{
    queueHeader(header, Form::BinaryWithData, data, size, crc32);
}

void Session::sendBinary(const Header& header, bool crc32)
{
    traceHeader("send", header);
    ctx_.writer.binaryHeader(ctx_.outbox.buffer(), header, crc32);
}

void Session::sendHex(const Header& header)
{
    traceHeader("send", header);
    ctx_.writer.hexHeader(ctx_.outbox.buffer(), header);
}

void Session::trace(const std::string& line)
{
    if (ctx_.config.trace)
        ctx_.listener.trace(line);
}

void Session::traceHeader(const char* direction, const Header& header)
{
    if (ctx_.config.trace)
        ctx_.listener.trace(std::string(direction) + " " + frameTypeName(header.type) + " " +
                            std::to_string(header.position()));
}

} // namespace quillmar::zmodem

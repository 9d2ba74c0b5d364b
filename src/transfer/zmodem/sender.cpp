#include "sender.h"

#include <algorithm>
#include <cstdio>

namespace quillmar::zmodem {
namespace {

    constexpr std::size_t kMinSubpacket = 256;
    constexpr std::size_t kLockstepSubpacket = 1024;
    constexpr int kGoodBeforeGrowing = 8;
    // A round trip this long makes a resent stream cost more than the line can spare.
    constexpr std::uint64_t kLongRoundTripMs = 1000;
    // Small, so that a lost byte costs little of a slow line twice over.
    constexpr std::size_t kGapFillingSubpacket = 512;

    std::string octal(std::uint64_t value)
    {
        char text[24];
        std::snprintf(text, sizeof text, "%llo", static_cast<unsigned long long>(value));
        return text;
    }

} // namespace

Sender::Sender(SessionContext& context, std::vector<Item> items)
    : Session(context)
    , items_(std::move(items))
{
    ctx_.currentFile = items_.empty() ? std::string() : baseName(items_.front().path);
}

void Sender::start()
{
    auto& out = ctx_.outbox.buffer();
    out.insert(out.end(), {'r', 'z', '\r'});
    ask(Header::at(FrameType::RQInit, 0));
    expectAnswer();
    state_ = State::AwaitReceiver;
}

bool Sender::fillingGaps() const
{
    return peerFillsGaps_ && peerStreams() && roundTripMs() >= kLongRoundTripMs;
}

bool Sender::peerStreams() const
{
    return (peerFlags_ & kCanFullDuplex) && (peerFlags_ & kCanOverlapIo) && peerBuffer_ == 0;
}

Session::Step Sender::takeCapabilities(const Header& rinit)
{
    peerFlags_ = rinit.f0();
    peerFillsGaps_ = (rinit.f1() & kCanFillGaps) != 0;
    peerBuffer_ = static_cast<std::uint16_t>(rinit.args[0] | rinit.args[1] << 8);
    crc32_ = ctx_.config.allowCrc32 && (peerFlags_ & kCanFcs32);
    // The receiver may need control characters escaped even when we did not ask for it.
    ctx_.writer.setEscapeControl(ctx_.config.escapeControl || (peerFlags_ & kEscapeControl));
    subpacket_ = peerStreams() ? std::max(ctx_.config.maxSubpacket, kMinSubpacket)
                               : std::min(ctx_.config.maxSubpacket, kLockstepSubpacket);
    if (peerBuffer_ != 0)
        subpacket_ = std::max<std::size_t>(std::min<std::size_t>(subpacket_, peerBuffer_), kMinSubpacket);
    chunk_.resize(std::max({subpacket_, ctx_.config.maxSubpacket, kGapFillingSubpacket}));
    if (ctx_.config.escapeControl)
        return sendSinit(false);
    return offerFile();
}

Session::Step Sender::sendSinit(bool answering)
{
    state_ = State::AwaitSinitAck;
    expectAnswer();
    const std::uint8_t noAttention = 0;
    const Header sinit = Header::flags(FrameType::SInit, kSenderEscapeControl);
    if (answering)
        return answerWithData(sinit, &noAttention, 1, crc32_);
    askWithData(sinit, &noAttention, 1, crc32_);
    return Step::Continue;
}

Session::Step Sender::offerFile()
{
    if (index_ >= items_.size()) {
        sendFin();
        return Step::Continue;
    }
    ctx_.currentFile = baseName(items_[index_].path);
    return sendFileInfo(false);
}

Session::Step Sender::sendFileInfo(bool answering)
{
    const auto& item = items_[index_];
    std::uint64_t bytesLeft = 0;
    for (std::size_t i = index_; i < items_.size(); ++i)
        bytesLeft += items_[i].file->size();
    std::string info = baseName(item.path);
    info.push_back('\0');
    info += std::to_string(item.file->size()) + " " + octal(item.file->modifiedTime()) + " " +
        octal(item.file->mode()) + " 0 " + std::to_string(items_.size() - index_) + " " +
        std::to_string(bytesLeft);
    info.push_back('\0');
    if (info.size() > kMaxFileInfo)
        info.resize(kMaxFileInfo);
    state_ = State::AwaitFileReply;
    expectAnswer();
    const Header file = Header::flags(FrameType::File, kConvBinary);
    const auto* data = reinterpret_cast<const std::uint8_t*>(info.data());
    if (answering)
        return answerWithData(file, data, info.size(), crc32_);
    askWithData(file, data, info.size(), crc32_);
    return Step::Continue;
}

void Sender::sendEof()
{
    askBinary(Header::at(FrameType::Eof, static_cast<std::uint32_t>(position_)), crc32_);
    expectAnswer();
    state_ = State::AwaitEofReply;
}

void Sender::sendFin()
{
    ask(Header::at(FrameType::Fin, 0));
    expectAnswer();
    state_ = State::AwaitFin;
}

Session::Step Sender::refused()
{
    ctx_.listener.fileRefused(items_[index_].path);
    frameOpen_ = false;
    return nextFile();
}

Session::Step Sender::nextFile()
{
    ++index_;
    return offerFile();
}

Session::Step Sender::restartAt(std::uint32_t position, bool sync)
{
    if (position > items_[index_].file->size())
        return fail("the receiver asked for a position past the end");
    // Whatever is still queued belongs to the old position; the receiver is hunting for a header now.
    ctx_.outbox.clear();
    refills_.clear();
    position_ = restartedFrom_ = position;
    restartedAt_ = ctx_.now;
    frameOpen_ = false;
    syncNext_ = sync;
    sinceSync_ = 0;
    state_ = State::Streaming;
    return Step::Continue;
}

Session::Step Sender::onHeader(const Header& header)
{
    traceHeader("recv", header);
    switch (header.type) {
    case FrameType::Can: return onCancel();
    case FrameType::Abort: return fail("the receiver aborted");
    case FrameType::FErr: return fail("the receiver could not write the file");
    default: break;
    }
    switch (state_) {
    case State::AwaitReceiver:
        if (header.type == FrameType::RInit) {
            answered();
            return takeCapabilities(header);
        }
        if (header.type == FrameType::Nak)
            return answer(Header::at(FrameType::RQInit, 0));
        return Step::Continue;
    case State::AwaitSinitAck:
        if (header.type == FrameType::Ack) {
            answered();
            return offerFile();
        }
        if (header.type == FrameType::Nak)
            return sendSinit(true);
        return Step::Continue;
    case State::AwaitFileReply:
        if (header.type == FrameType::Skip)
            answered();
        if (header.type == FrameType::RPos) {
            answered();
            ctx_.listener.progress(header.position(), items_[index_].file->size());
            return restartAt(header.position(), false);
        }
        if (header.type == FrameType::Skip)
            return refused();
        if (header.type == FrameType::Nak)
            return sendFileInfo(true);
        // A second ZRINIT is the receiver repeating its start; the time-out repeats ZFILE if it was lost.
        return Step::Continue;
    case State::Streaming:
    case State::AwaitAck:
    case State::AwaitEofReply: return onStreamingHeader(header);
    case State::AwaitFin:
        if (header.type != FrameType::Fin)
            return Step::Continue;
        answered();
        ctx_.outbox.buffer().insert(ctx_.outbox.buffer().end(), {'O', 'O'});
        return Step::Finished;
    }
    return Step::Continue;
}

Session::Step Sender::onStreamingHeader(const Header& header)
{
    switch (header.type) {
    case FrameType::RPos: {
        if (repeatsLastRestart(header)) {
            trace("request for " + std::to_string(header.position()) + " already served");
            return Step::Continue;
        }
        const Step step = countError("receiver asked to resend");
        if (step != Step::Continue)
            return step;
        if (fillingGaps() && !frameOpen_ && header.position() < position_) {
            trace("resend the subpacket at " + std::to_string(header.position()));
            refills_.push_back(restartedFrom_ = header.position());
            restartedAt_ = ctx_.now;
            state_ = State::Streaming; // the end of file follows again
            return Step::Continue;
        }
        subpacket_ = std::max(subpacket_ / 2, kMinSubpacket);
        goodInRow_ = 0;
        trace("resend from " + std::to_string(header.position()));
        return restartAt(header.position(), true);
    }
    case FrameType::Ack:
        if (state_ == State::AwaitAck && header.position() == position_) {
            answered();
            frameOpen_ = false;
            state_ = State::Streaming;
        }
        return Step::Continue;
    case FrameType::Skip: ctx_.outbox.clear(); return refused();
    case FrameType::RInit:
        if (state_ != State::AwaitEofReply)
            return Step::Continue;
        answered();
        ctx_.listener.fileSent(items_[index_].path);
        return nextFile();
    case FrameType::Fin: return fail("the receiver ended the session before the file was complete");
    default: return Step::Continue;
    }
}

// The receiver repeats a request until the restart's data reaches it: the copies it sent before then
// arrive within a round trip of the restart. A request for that place later is a new loss.
bool Sender::repeatsLastRestart(const Header& rpos) const
{
    return rpos.position() == restartedFrom_ && ctx_.now - restartedAt_ < roundTripMs();
}

Session::Step Sender::onSubpacket(const std::uint8_t*, std::size_t, Terminator)
{
    return Step::Continue; // a receiver sends us no data
}

Session::Step Sender::onBadFrame(bool)
{
    ctx_.reader.huntHeader();
    return countError("damaged header from the receiver");
}

Terminator Sender::chooseTerminator(std::size_t size, bool last)
{
    if (last || fillingGaps())
        return Terminator::EndFrame;
    if (syncNext_ || !peerStreams())
        return Terminator::WaitAck;
    if (ctx_.config.syncInterval != 0 && sinceSync_ + size >= ctx_.config.syncInterval)
        return Terminator::WaitAck;
    return Terminator::Go;
}

void Sender::produceRefill()
{
    auto& item = items_[index_];
    const std::uint64_t from = refills_.front();
    refills_.pop_front();
    const std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(kGapFillingSubpacket, item.file->size() - from));
    const long got = want == 0 ? 0 : item.file->read(from, chunk_.data(), want);
    if (got < 0 || static_cast<std::size_t>(got) != want) {
        fail("cannot read " + item.path);
        ctx_.outbox.clear();
        return;
    }
    sendBinary(Header::at(FrameType::Data, static_cast<std::uint32_t>(from)), crc32_);
    ctx_.writer.subpacket(ctx_.outbox.buffer(), chunk_.data(), want, Terminator::EndFrame, crc32_);
    if (position_ == item.file->size() && refills_.empty())
        sendEof();
}

bool Sender::produce()
{
    if (state_ != State::Streaming)
        return false;
    if (!refills_.empty()) {
        produceRefill();
        return true;
    }
    auto& item = items_[index_];
    const std::uint64_t total = item.file->size();
    auto& out = ctx_.outbox.buffer();
    if (!frameOpen_) {
        sendBinary(Header::at(FrameType::Data, static_cast<std::uint32_t>(position_)), crc32_);
        frameOpen_ = true;
    }
    const std::size_t size = fillingGaps() ? kGapFillingSubpacket : subpacket_;
    const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(size, total - position_));
    const long got = want == 0 ? 0 : item.file->read(position_, chunk_.data(), want);
    if (got < 0 || static_cast<std::size_t>(got) != want) {
        fail("cannot read " + item.path);
        ctx_.outbox.clear();
        return false;
    }
    position_ += want;
    const bool last = position_ == total;
    const Terminator end = chooseTerminator(want, last);
    ctx_.writer.subpacket(out, chunk_.data(), want, end, crc32_);
    sinceSync_ = end == Terminator::WaitAck ? 0 : sinceSync_ + want;
    syncNext_ = false;
    if (++goodInRow_ >= kGoodBeforeGrowing && subpacket_ < ctx_.config.maxSubpacket && peerStreams()) {
        subpacket_ = std::min(subpacket_ * 2, ctx_.config.maxSubpacket);
        goodInRow_ = 0;
    }
    ctx_.listener.progress(position_, total);
    if (end == Terminator::EndFrame)
        frameOpen_ = false;
    if (last) {
        sendEof();
    } else if (end == Terminator::WaitAck) {
        expectAnswer();
        state_ = State::AwaitAck;
    }
    return true;
}

Session::Step Sender::onTimeout()
{
    switch (state_) {
    case State::AwaitReceiver:
        ask(Header::at(FrameType::RQInit, 0));
        expectAnswer();
        break;
    case State::AwaitSinitAck: sendSinit(false); break;
    case State::AwaitFileReply: sendFileInfo(false); break;
    case State::AwaitAck: return restartAt(static_cast<std::uint32_t>(position_), true);
    case State::AwaitEofReply: sendEof(); break;
    case State::AwaitFin: sendFin(); break;
    case State::Streaming: break;
    }
    return Step::Continue;
}

Session::Step Sender::onGiveUp()
{
    // Every file was confirmed by the receiver's ZRINIT; only its goodbye got lost.
    if (state_ == State::AwaitFin) {
        trace("no ZFIN from the receiver; all files were confirmed");
        return Step::Finished;
    }
    return Session::onGiveUp();
}

} // namespace quillmar::zmodem

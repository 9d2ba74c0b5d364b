#include "receiver.h"

#include <cstdlib>

#include "received_name.h"
#include "start_detector.h"

namespace quillmar::zmodem {
namespace {

    // Data kept past a gap: a minute of a fast radio channel many times over.
    constexpr std::size_t kMaxKeptBytes = std::size_t(1) << 20;

    // The length field after the name: "length mtime mode ..."; absent or garbled means unknown.
    std::optional<std::uint64_t> announcedLength(const std::uint8_t* data, std::size_t size,
                                                 std::size_t nameEnd)
    {
        if (nameEnd + 1 >= size)
            return std::nullopt;
        std::string fields(reinterpret_cast<const char*>(data) + nameEnd + 1, size - nameEnd - 1);
        fields = fields.substr(0, fields.find('\0'));
        if (fields.empty() || fields[0] < '0' || fields[0] > '9')
            return std::nullopt;
        char* end = nullptr;
        const unsigned long long value = std::strtoull(fields.c_str(), &end, 10);
        if (end == fields.c_str() || (*end != '\0' && *end != ' '))
            return std::nullopt;
        return value;
    }

} // namespace

Receiver::Receiver(SessionContext& context)
    : Session(context)
{
    directory_ = ctx_.files.resolveDirectory(ctx_.config.receiveDirectory);
    ctx_.currentFile.clear();
    ctx_.writer.setEscapeControl(ctx_.config.escapeControl);
}

Receiver::~Receiver()
{
    discard();
}

void Receiver::start()
{
    ask(rinit());
    expectAnswer();
    state_ = State::AwaitFile;
}

Header Receiver::rinit() const
{
    std::uint8_t flags = kCanFullDuplex | kCanOverlapIo;
    if (ctx_.config.allowCrc32)
        flags |= kCanFcs32;
    if (ctx_.config.escapeControl)
        flags |= kEscapeControl;
    return Header::flags(FrameType::RInit, flags, kCanFillGaps);
}

Session::Step Receiver::answerRinit()
{
    state_ = State::AwaitFile;
    expectAnswer();
    return answer(rinit());
}

Header Receiver::position() const
{
    return Header::at(FrameType::RPos, static_cast<std::uint32_t>(offset_));
}

void Receiver::awaitData()
{
    state_ = State::AwaitData;
    ctx_.reader.huntHeader();
}

void Receiver::dropKeptData()
{
    laterAsked_.clear();
    kept_.clear();
    keptBytes_ = 0;
    keptEnd_.reset();
}

void Receiver::discard()
{
    dropKeptData();
    if (!target_)
        return;
    const std::string path = target_->path();
    target_.reset();
    ctx_.files.remove(path);
}

Session::Step Receiver::askToResend(const char* what)
{
    const Step step = countError(what);
    if (step == Step::Continue)
        askForPosition();
    return step;
}

void Receiver::askForPosition()
{
    ask(position());
    expectAnswer();
    resendAsked_ = true;
    awaitData();
}

Session::Step Receiver::gap(const char* what)
{
    if (!resendAsked_)
        return askToResend(what);
    trace(std::string("already asked, passed over: ") + what);
    awaitData();
    return Step::Continue;
}

bool Receiver::welcomes(const Header& header) const
{
    if (state_ != State::AwaitData && state_ != State::Data)
        return true;
    if (header.type != FrameType::Data && header.type != FrameType::Eof)
        return true;
    return header.position() == offset_;
}

Session::Step Receiver::onHeader(const Header& header)
{
    traceHeader("recv", header);
    switch (header.type) {
    case FrameType::Can: return onCancel();
    case FrameType::Abort: return fail("the sender aborted");
    case FrameType::RQInit:
        // A sender that restarted in the middle of a file begins anew; follow it at once.
        if (target_)
            return startOverForNewSender();
        return answerRinit();
    default: break;
    }
    if (state_ == State::AwaitData || state_ == State::Data)
        return onDataHeader(header);
    switch (header.type) {
    case FrameType::Eof: // a repeat of the last file's end: our ZRINIT was lost
        return answerRinit();
    case FrameType::SInit:
        answered();
        ctx_.reader.expectSubpacket();
        state_ = State::SinitData;
        if (header.f0() & kSenderEscapeControl)
            ctx_.writer.setEscapeControl(true);
        return Step::Continue;
    case FrameType::File:
        answered();
        ctx_.reader.expectSubpacket();
        state_ = State::FileInfo;
        repeatedFileInfo_ = false;
        return Step::Continue;
    case FrameType::Fin: ask(Header::at(FrameType::Fin, 0)); return Step::Finished;
    default: return Step::Continue;
    }
}

Session::Step Receiver::startOverForNewSender()
{
    discard();
    offset_ = 0;
    announcedSize_.reset();
    repeatedFileInfo_ = false;
    resendAsked_ = false;
    ctx_.currentFile.clear();
    ctx_.writer.setEscapeControl(ctx_.config.escapeControl);
    startOver();
    ctx_.reader.huntHeader();
    ctx_.listener.notice("the sender started over; the unfinished " + name_ + " was dropped");
    name_.clear();
    return answerRinit();
}

Session::Step Receiver::onDataHeader(const Header& header)
{
    switch (header.type) {
    case FrameType::Data:
        // Data from before what we hold answers an older request (or repeats what we have): its
        // subpackets are passed over until they reach our position.
        subpacketsInFrame_ = 0;
        if (header.position() > offset_) {
            // A whole frame went missing before this one.
            if (resendAsked_ && header.position() > framePos_) {
                const Step step = askForLaterGap("frame missing");
                if (step != Step::Continue)
                    return step;
            }
            // Past a gap: kept, so a sender that resends the lost part alone need not send it again.
            const Step step = gap("data at the wrong position");
            if (step != Step::Continue || keptBytes_ >= kMaxKeptBytes)
                return step;
        } else if (header.position() == offset_ && resendAsked_) {
            answered();
            resendAsked_ = false;
        }
        framePos_ = header.position();
        ctx_.reader.expectSubpacket();
        state_ = State::Data;
        return Step::Continue;
    case FrameType::Eof:
        if (header.position() == offset_)
            return finishFile();
        // An end past what we hold means data went missing; an earlier one is stale.
        if (header.position() > offset_) {
            keptEnd_ = header.position();
            return gap("end of file past our data");
        }
        return Step::Continue;
    case FrameType::File:
        ctx_.reader.expectSubpacket();
        repeatedFileInfo_ = true;
        state_ = State::FileInfo;
        return Step::Continue;
    case FrameType::Fin: return fail("the sender ended the session in the middle of a file");
    default: return Step::Continue;
    }
}

Session::Step Receiver::onSubpacket(const std::uint8_t* data, std::size_t size, Terminator end)
{
    switch (state_) {
    case State::SinitData: state_ = State::AwaitFile; return answer(Header::at(FrameType::Ack, 0));
    case State::FileInfo:
        if (repeatedFileInfo_) {
            expectAnswer();
            resendAsked_ = true;
            awaitData();
            return answer(position());
        }
        return takeFileInfo(data, size);
    case State::Data: return takeData(data, size, end);
    default: return Step::Continue;
    }
}

Session::Step Receiver::decline(const std::string& why)
{
    declinedAny_ = true;
    ctx_.listener.offerDeclined(name_, why);
    state_ = State::AwaitFile;
    return answer(Header::at(FrameType::Skip, 0));
}

Session::Step Receiver::takeFileInfo(const std::uint8_t* data, std::size_t size)
{
    std::size_t nameEnd = 0;
    while (nameEnd < size && data[nameEnd] != 0)
        ++nameEnd;
    const std::string announced(reinterpret_cast<const char*>(data), nameEnd);
    name_ = plainReceivedName(announced);
    announcedSize_ = announcedLength(data, size, nameEnd);
    ctx_.currentFile = name_;
    trace("file offered: " + name_ +
          (announcedSize_ ? ", " + std::to_string(*announcedSize_) + " bytes" : ""));
    // Checked before the file is announced to the owner, so a refusal shows as nothing but itself.
    if (announcedSize_) {
        const auto free = ctx_.files.freeSpace(directory_);
        if (free && *announcedSize_ > *free)
            return decline(std::to_string(*announcedSize_) + " bytes do not fit in the " +
                           std::to_string(*free) + " bytes free in " + directory_);
    }
    if (!ctx_.listener.fileOffered(name_, announcedSize_.value_or(0)))
        return decline("declined");
    // A new offer replaces any half-received file: its temporary file goes.
    discard();
    dropKeptData();
    std::string error;
    target_ = ctx_.files.createTemporary(directory_, error);
    if (!target_)
        return fail(error);
    offset_ = 0;
    expectAnswer();
    resendAsked_ = true;
    awaitData();
    return answer(position());
}

Session::Step Receiver::takeData(const std::uint8_t* data, std::size_t size, Terminator end)
{
    if (++subpacketsInFrame_ > 1)
        singleFrames_ = 0;
    else if (end == Terminator::EndFrame)
        ++singleFrames_;
    const std::uint64_t limit = announcedSize_.value_or(ctx_.config.maxUnannouncedBytes);
    const std::uint64_t start = framePos_;
    framePos_ += size;
    if (framePos_ > limit)
        return fail(announcedSize_
                        ? "the sender sent more than the " + std::to_string(limit) + " bytes it announced"
                        : "no length was announced and the file passed " + std::to_string(limit) + " bytes");
    if (start > offset_) {
        if (size > 0 && keptBytes_ < kMaxKeptBytes && !kept_.count(start)) {
            kept_.emplace(start, std::vector<std::uint8_t>(data, data + size));
            keptBytes_ += size;
        }
    } else if (framePos_ >= offset_) {
        // What we already hold is passed over; the rest is new.
        const std::size_t held = static_cast<std::size_t>(offset_ - start);
        if (size > held && !target_->write(data + held, size - held))
            return fail("cannot write " + target_->path());
        // An older stream serves us now; whatever answers our request will be passed over.
        if (framePos_ > offset_ && resendAsked_) {
            resendAsked_ = false;
            forgetExchange();
        }
        offset_ = framePos_;
        ctx_.listener.progress(offset_, announcedSize_.value_or(0));
        if (!kept_.empty() || keptEnd_) {
            const Step step = joinKeptData();
            if (step != Step::Continue || state_ == State::AwaitFile)
                return step;
        }
    }
    const Header ack = Header::at(FrameType::Ack, static_cast<std::uint32_t>(framePos_));
    switch (end) {
    case Terminator::GoAck: return answer(ack);
    case Terminator::WaitAck: state_ = State::AwaitData; return answer(ack);
    case Terminator::EndFrame: state_ = State::AwaitData; break;
    case Terminator::Go: break;
    }
    return Step::Continue;
}

Session::Step Receiver::joinKeptData()
{
    bool joined = false;
    while (!kept_.empty() && kept_.begin()->first <= offset_) {
        auto node = kept_.extract(kept_.begin());
        const std::vector<std::uint8_t>& bytes = node.mapped();
        keptBytes_ -= bytes.size();
        const std::uint64_t end = node.key() + bytes.size();
        if (end <= offset_)
            continue;
        const std::size_t held = static_cast<std::size_t>(offset_ - node.key());
        if (!target_->write(bytes.data() + held, bytes.size() - held))
            return fail("cannot write " + target_->path());
        offset_ = end;
        joined = true;
    }
    if (joined)
        ctx_.listener.progress(offset_, announcedSize_.value_or(0));
    if (keptEnd_ && *keptEnd_ == offset_) {
        state_ = State::AwaitData;
        return finishFile();
    }
    // Another gap before the rest of what is kept: asked for at once, the sender is far past it,
    // unless that was done when it was found.
    laterAsked_.erase(laterAsked_.begin(), laterAsked_.lower_bound(offset_));
    if (joined && !kept_.empty() && !resendAsked_) {
        if (!laterAsked_.count(offset_))
            return askToResend("data missing before what we kept");
        resendAsked_ = true;
        awaitData();
    }
    return Step::Continue;
}

Session::Step Receiver::askForLaterGap(const char* what)
{
    if (!senderFillsGaps() || framePos_ <= offset_ || !laterAsked_.insert(framePos_).second)
        return Step::Continue;
    sendHex(Header::at(FrameType::RPos, static_cast<std::uint32_t>(framePos_)));
    return countError(what);
}

Session::Step Receiver::finishFile()
{
    dropKeptData();
    if (announcedSize_ && offset_ != *announcedSize_)
        return fail("file ended at " + std::to_string(offset_) + " bytes, " +
                    std::to_string(*announcedSize_) + " were announced");
    resendAsked_ = false;
    std::string error;
    const std::string temporary = target_->path();
    if (!target_->close())
        return fail("cannot finish writing " + temporary);
    // Names are chosen only now, and a name taken in the meantime is skipped, not replaced.
    for (int attempt = 0; attempt < 3; ++attempt) {
        const auto path = unusedPath(ctx_.files, directory_, name_);
        if (!path)
            return fail("no free name for " + name_);
        if (ctx_.files.renameNoReplace(temporary, *path, error)) {
            target_.reset();
            ctx_.listener.fileReceived(*path);
            return answerRinit();
        }
    }
    return fail(error);
}

Session::Step Receiver::onBadFrame(bool wasHeader)
{
    switch (state_) {
    case State::AwaitData:
    case State::Data:
        // Once asked, the wait asks again: damage in data sent before our request was heard is
        // no reason to repeat it.
        if (resendAsked_) {
            awaitData();
            const Step step = countError(wasHeader ? "damaged header" : "damaged data");
            return step == Step::Continue ? askForLaterGap("later data damaged") : step;
        }
        return askToResend(wasHeader ? "damaged header" : "damaged data");
    case State::FileInfo:
        if (repeatedFileInfo_)
            return askToResend("damaged repeat of the file information");
        [[fallthrough]];
    case State::SinitData:
        ctx_.reader.huntHeader();
        state_ = State::AwaitFile;
        ask(Header::at(FrameType::Nak, 0));
        return countError("damaged file information");
    case State::AwaitFile: ask(Header::at(FrameType::Nak, 0)); return countError("damaged header");
    }
    return Step::Continue;
}

// Asks again for what we wait for; time-outs are no errors, the give-up time bounds them.
Session::Step Receiver::onTimeout()
{
    switch (state_) {
    case State::AwaitFile:
    case State::SinitData:
    case State::FileInfo:
        ctx_.reader.huntHeader();
        if (target_ && state_ == State::FileInfo) {
            askForPosition();
            return Step::Continue;
        }
        ask(rinit());
        expectAnswer();
        state_ = State::AwaitFile;
        return Step::Continue;
    case State::AwaitData:
    case State::Data:
        // The data stopped because a restarted sender waits for our ZRINIT; its ZRQINIT went
        // into the subpacket we were reading.
        if (ctx_.reader.inSubpacket() &&
            holdsSenderStart(ctx_.reader.subpacketData(), ctx_.reader.subpacketSize()))
            return startOverForNewSender();
        askForPosition();
        return Step::Continue;
    }
    return Step::Continue;
}

} // namespace quillmar::zmodem

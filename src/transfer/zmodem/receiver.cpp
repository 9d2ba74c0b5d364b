#include "receiver.h"

#include <cstdlib>

#include "received_name.h"
#include "start_detector.h"

namespace quillmar::zmodem {
namespace {

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
    state_ = State::AwaitFile;
}

Header Receiver::rinit() const
{
    std::uint8_t flags = kCanFullDuplex | kCanOverlapIo;
    if (ctx_.config.allowCrc32)
        flags |= kCanFcs32;
    if (ctx_.config.escapeControl)
        flags |= kEscapeControl;
    return Header::flags(FrameType::RInit, flags);
}

Session::Step Receiver::answerRinit()
{
    state_ = State::AwaitFile;
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

void Receiver::discard()
{
    if (!target_)
        return;
    const std::string path = target_->path();
    target_.reset();
    ctx_.files.remove(path);
}

Session::Step Receiver::askToResend(const char* what)
{
    const Step step = countError(what);
    if (step == Step::Continue) {
        ask(position());
        awaitData();
    }
    return step;
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
        ctx_.reader.expectSubpacket();
        state_ = State::SinitData;
        if (header.f0() & kSenderEscapeControl)
            ctx_.writer.setEscapeControl(true);
        return Step::Continue;
    case FrameType::File:
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
        if (header.position() != offset_)
            return askToResend("data at the wrong position");
        ctx_.reader.expectSubpacket();
        state_ = State::Data;
        return Step::Continue;
    case FrameType::Eof:
        if (header.position() == offset_)
            return finishFile();
        // An end past what we hold means data went missing; an earlier one is stale.
        if (header.position() > offset_)
            return askToResend("end of file past our data");
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
    std::string error;
    target_ = ctx_.files.createTemporary(directory_, error);
    if (!target_)
        return fail(error);
    offset_ = 0;
    awaitData();
    return answer(position());
}

Session::Step Receiver::takeData(const std::uint8_t* data, std::size_t size, Terminator end)
{
    const std::uint64_t limit = announcedSize_.value_or(ctx_.config.maxUnannouncedBytes);
    if (offset_ + size > limit)
        return fail(announcedSize_
                        ? "the sender sent more than the " + std::to_string(limit) + " bytes it announced"
                        : "no length was announced and the file passed " + std::to_string(limit) + " bytes");
    if (size > 0 && !target_->write(data, size))
        return fail("cannot write " + target_->path());
    offset_ += size;
    ctx_.listener.progress(offset_, announcedSize_.value_or(0));
    const Header ack = Header::at(FrameType::Ack, static_cast<std::uint32_t>(offset_));
    switch (end) {
    case Terminator::GoAck: return answer(ack);
    case Terminator::WaitAck: state_ = State::AwaitData; return answer(ack);
    case Terminator::EndFrame: state_ = State::AwaitData; break;
    case Terminator::Go: break;
    }
    return Step::Continue;
}

Session::Step Receiver::finishFile()
{
    if (announcedSize_ && offset_ != *announcedSize_)
        return fail("file ended at " + std::to_string(offset_) + " bytes, " +
                    std::to_string(*announcedSize_) + " were announced");
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
    case State::Data: return askToResend(wasHeader ? "damaged header" : "damaged data");
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
            ask(position());
            awaitData();
            return Step::Continue;
        }
        ask(rinit());
        state_ = State::AwaitFile;
        return Step::Continue;
    case State::AwaitData:
    case State::Data:
        // The data stopped because a restarted sender waits for our ZRINIT; its ZRQINIT went
        // into the subpacket we were reading.
        if (ctx_.reader.inSubpacket() &&
            holdsSenderStart(ctx_.reader.subpacketData(), ctx_.reader.subpacketSize()))
            return startOverForNewSender();
        ask(position());
        awaitData();
        return Step::Continue;
    }
    return Step::Continue;
}

} // namespace quillmar::zmodem

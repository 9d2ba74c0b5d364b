#include "session.h"

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

Session::Step Session::onTick()
{
    if (!waitingForPeer() || ctx_.now - lastActivity_ < ctx_.config.timeoutMs)
        return Step::Continue;
    lastActivity_ = ctx_.now;
    if (++timeouts_ > ctx_.config.timeoutRetries)
        return onGiveUp();
    trace("time-out " + std::to_string(timeouts_));
    return onTimeout();
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

void Session::sendHex(const Header& header)
{
    traceHeader("send", header);
    ctx_.writer.hexHeader(ctx_.outbox.buffer(), header);
}

void Session::sendBinary(const Header& header, bool crc32)
{
    traceHeader("send", header);
    ctx_.writer.binaryHeader(ctx_.outbox.buffer(), header, crc32);
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

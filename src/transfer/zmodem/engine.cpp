#include "engine.h"

#include <algorithm>

#include "receiver.h"
#include "sender.h"

namespace quillmar::zmodem {
namespace {

    constexpr int kAbortCans = 10;
    constexpr int kAbortBackspaces = 10;

} // namespace

Engine::Engine(ByteSink& sink, FileStore& files, Listener& listener, Config config)
    : sink_(sink)
    , listener_(listener)
    , config_(std::move(config))
    , context_(config_, listener, files)
{
}

Engine::~Engine() = default;

void Engine::setConfig(const Config& config)
{
    config_ = config;
}

void Engine::tick(std::uint64_t nowMs)
{
    context_.now = nowMs;
    // An "OO" that has not come by now was lost; later bytes are the terminal's.
    if (nowMs - sessionEndedAt_ >= config_.timeoutMs)
        lineEndsToSwallow_ = oToSwallow_ = 0;
    if (session_)
        settle(call([&] { return session_->onTick(); }));
}

bool Engine::hasOutput() const
{
    return context_.outbox.pending() > 0 || (session_ && session_->canProduce());
}

std::size_t Engine::pump(std::size_t room)
{
    std::size_t written = 0;
    while (written < room) {
        if (context_.outbox.pending() == 0 && session_) {
            settle(call([&] {
                session_->produce();
                return session_->failed() ? Session::Step::Failed : Session::Step::Continue;
            }));
        }
        if (context_.outbox.pending() == 0)
            break;
        const std::size_t count = std::min(room - written, context_.outbox.pending());
        sink_.write(context_.outbox.data(), count);
        context_.outbox.consume(count);
        written += count;
    }
    if (written > 0 && session_)
        session_->noteActivity();
    return written;
}

void Engine::feed(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& terminal)
{
    std::size_t pos = 0;
    while (pos < size) {
        if (session_) {
            session_->noteActivity();
            feedSession(data, size, pos);
            continue;
        }
        const std::uint8_t b = data[pos++];
        if (swallowAfterSession(b))
            continue;
        terminal.push_back(b);
        if (active_ && detector_.push(b) == StartDetector::Seen::RemoteSender)
            startFromDetector();
    }
}

// The tail of the last header (CR, LF) and the sender's "OO" are the session's, not the terminal's.
bool Engine::swallowAfterSession(std::uint8_t b)
{
    if (lineEndsToSwallow_ > 0 && ((b & 0x7F) == '\r' || (b & 0x7F) == '\n')) {
        --lineEndsToSwallow_;
        return true;
    }
    lineEndsToSwallow_ = 0;
    if (oToSwallow_ > 0 && b == 'O') {
        --oToSwallow_;
        return true;
    }
    oToSwallow_ = 0;
    return false;
}

void Engine::startFromDetector()
{
    auto receiver = std::make_unique<Receiver>(context_);
    beginSession(std::move(receiver), Direction::Receive);
    const std::string& header = detector_.rebuiltHeader();
    std::size_t pos = 0;
    feedSession(reinterpret_cast<const std::uint8_t*>(header.data()), header.size(), pos);
}

void Engine::feedSession(const std::uint8_t* data, std::size_t size, std::size_t& pos)
{
    while (session_ && pos < size) {
        const FrameReader::Event event = context_.reader.next(data, size, pos);
        if (event == FrameReader::Event::NeedMore)
            break;
        settle(call([&] { return dispatch(event); }));
    }
}

Session::Step Engine::dispatch(FrameReader::Event event)
{
    FrameReader& reader = context_.reader;
    switch (event) {
    case FrameReader::Event::Header: return session_->onHeader(reader.header());
    case FrameReader::Event::BadHeader: return session_->onBadFrame(true);
    case FrameReader::Event::Subpacket:
        return session_->onSubpacket(reader.subpacketData(), reader.subpacketSize(), reader.terminator());
    case FrameReader::Event::BadSubpacket: return session_->onBadFrame(false);
    case FrameReader::Event::Cancel: return session_->onCancel();
    case FrameReader::Event::NeedMore: break;
    }
    return Session::Step::Continue;
}

template <typename Action> Session::Step Engine::call(Action action)
{
    inSession_ = true;
    const Session::Step step = action();
    inSession_ = false;
    return step;
}

void Engine::settle(Session::Step step)
{
    if (pendingAbort_ && session_) {
        const std::string reason = *pendingAbort_;
        pendingAbort_.reset();
        endWithFailure(reason);
        return;
    }
    pendingAbort_.reset();
    if (step == Session::Step::Failed) {
        endWithFailure(session_->failure());
    } else if (step == Session::Step::Finished) {
        // Only a receiver may still see the sender's "OO"; a sender has just sent it.
        oToSwallow_ = dynamic_cast<Receiver*>(session_.get()) ? 2 : 0;
        lineEndsToSwallow_ = 2;
        sessionEndedAt_ = context_.now;
        session_.reset();
        context_.currentFile.clear();
        detector_.reset();
        listener_.finished();
    }
}

void Engine::beginSession(std::unique_ptr<Session> session, Direction direction)
{
    context_.reader = FrameReader();
    context_.outbox.clear();
    session_ = std::move(session);
    session_->noteActivity();
    lineEndsToSwallow_ = oToSwallow_ = 0;
    listener_.transferStarting(direction);
}

bool Engine::send(const std::vector<std::string>& paths)
{
    if (session_ || paths.empty())
        return false;
    std::vector<Sender::Item> items;
    for (const auto& path : paths) {
        std::string error;
        auto file = context_.files.openForReading(path, error);
        if (!file) {
            context_.currentFile = baseName(path);
            listener_.transferStarting(Direction::Send);
            queueAbortSequence();
            context_.currentFile.clear();
            listener_.aborted(error);
            return false;
        }
        items.push_back({path, std::move(file)});
    }
    auto sender = std::make_unique<Sender>(context_, std::move(items));
    Sender& started = *sender;
    beginSession(std::move(sender), Direction::Send);
    started.start();
    return true;
}

bool Engine::receive()
{
    if (session_)
        return false;
    auto receiver = std::make_unique<Receiver>(context_);
    Receiver& started = *receiver;
    beginSession(std::move(receiver), Direction::Receive);
    started.start();
    return true;
}

void Engine::abort(const std::string& reason)
{
    if (!session_)
        return;
    // Called from a listener inside the session: end it once the session has returned.
    if (inSession_)
        pendingAbort_ = reason;
    else
        endWithFailure(reason);
}

void Engine::setActive(bool active)
{
    if (!active)
        abort("transfers switched off");
    active_ = active;
    detector_.reset();
}

void Engine::endWithFailure(std::string reason)
{ // a copy: the reason may live in the session
    session_->discard();
    session_.reset();
    context_.currentFile.clear();
    detector_.reset();
    queueAbortSequence();
    listener_.aborted(reason);
}

void Engine::queueAbortSequence()
{
    context_.outbox.clear();
    auto& out = context_.outbox.buffer();
    out.insert(out.end(), kAbortCans, kCan);
    out.insert(out.end(), kAbortBackspaces, kBackspace);
}

} // namespace quillmar::zmodem

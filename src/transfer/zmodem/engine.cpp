#include "engine.h"

#include <algorithm>
#include <utility>

#include "receiver.h"
#include "sender.h"

namespace quillmar::zmodem {
namespace {

    constexpr int kAbortCans = 10;
    constexpr int kAbortBackspaces = 10;
    // A sender answers our ZRINIT within a few hundred bytes; this much text after a start without
    // one valid frame means the start was not meant for us.
    constexpr std::size_t kMaxHeldText = 4096;

    // The end of the start header (CR, LF, XON) belongs to it, not to the text after it.
    bool isHeaderTail(std::uint8_t b)
    {
        b &= 0x7F;
        return b == '\r' || b == '\n' || b == kXon;
    }

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
    if (session_ && unconfirmed_ && nowMs - startHeardAt_ >= config_.strayStartMs)
        endStrayStart();
    leftovers_.tick(nowMs, released_);
    if (session_)
        settle(call([&] { return session_->onTick(); }));
}

std::vector<std::uint8_t> Engine::takeReleasedText()
{
    return std::exchange(released_, {});
}

bool Engine::hasOutput() const
{
    return context_.outbox.pending() > 0 || (session_ && session_->canProduce());
}

std::size_t Engine::pump(std::size_t room)
{
    if (pumping_)
        return 0;
    pumping_ = true;
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
    pumping_ = false;
    if (written > 0 && session_)
        session_->noteSent();
    return written;
}

void Engine::feed(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& terminal)
{
    if (!released_.empty()) {
        terminal.insert(terminal.end(), released_.begin(), released_.end());
        released_.clear();
    }
    std::size_t pos = 0;
    while (pos < size) {
        if (session_) {
            feedSession(data, size, pos);
            // A start that came to nothing gives its bytes back before the rest of the chunk.
            terminal.insert(terminal.end(), released_.begin(), released_.end());
            released_.clear();
            continue;
        }
        const std::uint8_t b = data[pos++];
        if (swallowAfterSession(b))
            continue;
        if (leftovers_.active())
            leftovers_.push(b, context_.now, terminal);
        else
            terminal.push_back(b);
        if (active_ && detector_.push(b) == StartDetector::Seen::RemoteSender) {
            leftovers_.stop();
            startFromDetector(terminal);
        }
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

void Engine::startFromDetector(std::vector<std::uint8_t>& terminal)
{
    // The header's own line end is held with what follows; the terminal ends its line now.
    terminal.push_back('\r');
    auto receiver = std::make_unique<Receiver>(context_);
    beginSession(std::move(receiver), Direction::Receive);
    const std::string& header = detector_.rebuiltHeader();
    std::size_t pos = 0;
    feedSession(reinterpret_cast<const std::uint8_t*>(header.data()), header.size(), pos);
    // The header itself already went to the terminal; what follows is held until a frame confirms it.
    if (session_) {
        unconfirmed_ = true;
        headerTailLeft_ = 3;
        startHeardAt_ = context_.now;
    }
}

void Engine::feedSession(const std::uint8_t* data, std::size_t size, std::size_t& pos)
{
    FrameReader& reader = context_.reader;
    while (session_ && pos < size) {
        const std::size_t from = pos;
        const FrameReader::Event event = reader.next(data, size, pos);
        if (unconfirmed_)
            hold(data + from, pos - from);
        if (!session_)
            break;
        // Only frames, and the bytes of a subpacket after a valid header, show the other side is
        // there: noise or another station's text must not keep a session waiting forever. Nor does
        // the answer to an older request still on its way, or a sender stuck on old data would too.
        const bool heard = event == FrameReader::Event::Header
            ? session_->welcomes(reader.header())
            : (event == FrameReader::Event::Subpacket || reader.inSubpacket()) && !session_->skipping();
        if (heard)
            session_->noteHeard();
        if (event == FrameReader::Event::NeedMore)
            break;
        if (unconfirmed_ && event == FrameReader::Event::Header &&
            reader.header().type != FrameType::RQInit) {
            unconfirmed_ = false;
            held_.clear();
        }
        settle(call([&] { return dispatch(event); }));
    }
}

void Engine::hold(const std::uint8_t* data, std::size_t size)
{
    held_.insert(held_.end(), data, data + size);
    if (held_.size() > kMaxHeldText)
        endStrayStart();
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
    if (!session_)
        return;
    // Answers are replaced rather than piled up, so this only guards against a mistake of ours.
    if (step == Session::Step::Continue && context_.outbox.pending() > Outbox::kLimit)
        step = session_->overflowed();
    if (step == Session::Step::Failed) {
        // A start that was never confirmed did not concern us: it ends without a word to the line.
        if (unconfirmed_)
            endStrayStart();
        else
            endWithFailure(session_->failure());
    } else if (step == Session::Step::Finished) {
        // Only a receiver may still see the sender's "OO"; a sender has just sent it.
        oToSwallow_ = dynamic_cast<Receiver*>(session_.get()) ? 2 : 0;
        lineEndsToSwallow_ = 2;
        sessionEndedAt_ = context_.now;
        endSession();
        listener_.finished();
    }
}

void Engine::beginSession(std::unique_ptr<Session> session, Direction direction)
{
    context_.reader = FrameReader();
    context_.outbox.clear();
    session_ = std::move(session);
    lineEndsToSwallow_ = oToSwallow_ = 0;
    unconfirmed_ = false;
    held_.clear();
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
            // No session began, so the line hears nothing: no abort sequence for a peer that was
            // never asked anything.
            context_.currentFile = baseName(path);
            listener_.transferStarting(Direction::Send);
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
    if (!active && session_ && unconfirmed_ && !inSession_)
        endStrayStart();
    else if (!active)
        abort("transfers switched off");
    leftovers_.stop();
    active_ = active;
    detector_.reset();
}

void Engine::endSession()
{
    session_.reset();
    context_.currentFile.clear();
    detector_.reset();
    unconfirmed_ = false;
}

void Engine::endWithFailure(std::string reason)
{ // a copy: the reason may live in the session
    // A receive that ends badly leaves the sender streaming until our abort reaches it.
    if (!unconfirmed_ && dynamic_cast<Receiver*>(session_.get()))
        leftovers_.start(context_.now);
    session_->discard();
    releaseHeld();
    endSession();
    queueAbortSequence();
    listener_.aborted(reason);
}

// Ends a session that no valid frame confirmed: nothing more goes out, and what it held is the terminal's.
void Engine::endStrayStart()
{
    session_->discard();
    context_.outbox.clear();
    releaseHeld();
    endSession();
    listener_.strayStartEnded();
}

void Engine::releaseHeldText()
{
    if (unconfirmed_)
        releaseHeld();
}

void Engine::releaseHeld()
{
    // The header's CR, LF and XON belong to it, not to the text after it.
    auto text = held_.begin();
    for (; headerTailLeft_ > 0 && text != held_.end(); --headerTailLeft_, ++text) {
        if (!isHeaderTail(*text)) {
            headerTailLeft_ = 0;
            break;
        }
    }
    released_.insert(released_.end(), text, held_.end());
    held_.clear();
}

void Engine::queueAbortSequence()
{
    context_.outbox.clear();
    auto& out = context_.outbox.buffer();
    out.insert(out.end(), kAbortCans, kCan);
    out.insert(out.end(), kAbortBackspaces, kBackspace);
}

} // namespace quillmar::zmodem

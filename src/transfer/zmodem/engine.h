// Quillmar's ZModem engine: watches terminal traffic, and sends and receives files over any byte link.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "config.h"
#include "file_store.h"
#include "leftover_filter.h"
#include "listener.h"
#include "session.h"
#include "start_detector.h"

namespace quillmar::zmodem {

// Never blocks and starts no threads: the owner feeds received bytes, ticks a monotonic clock
// and says how much room the link has; output goes to the sink only within that room.
// A serial-port owner calls feed() on readyRead, pump(room) after it and on bytesWritten (room:
// what it lets the port queue, a few hundred bytes at 9600 baud) and tick() from a ~100 ms timer.
class Engine {
public:
    Engine(ByteSink& sink, FileStore& files, Listener& listener, Config config = {});
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // Received bytes. Bytes that are not part of a transfer are appended to `terminal`, in order,
    // after any held bytes a start that came to nothing gave back.
    void feed(const std::uint8_t* data, std::size_t size, std::vector<std::uint8_t>& terminal);
    // The monotonic time in milliseconds; drives every time-out.
    void tick(std::uint64_t nowMs);
    // Bytes held back after a start heard on the line, given back once it came to nothing (outside
    // feed(): by tick() or abort()). The owner shows them as terminal text.
    std::vector<std::uint8_t> takeReleasedText();
    // Gives back now what a start not yet confirmed holds, for an owner about to save, print, copy or
    // stop logging the terminal's text; the start goes on waiting, holding what comes next.
    void releaseHeldText();
    // Bytes queued for the link: bounded, however the other side behaves.
    std::size_t queuedBytes() const { return context_.outbox.pending(); }
    // Bytes held back while a start heard on the line waits for a valid frame; bounded as well.
    std::size_t heldBytes() const { return held_.size(); }
    // Writes at most `room` bytes to the sink; returns how many it wrote. A sink that calls it again
    // from inside its write (a port reporting the bytes gone at once) gets nothing from that call.
    std::size_t pump(std::size_t room);
    // True when pump() has something to write.
    bool hasOutput() const;

    // Starts sending the files. False when a transfer already runs (no event), or when a file cannot
    // be read (transfer-starting and abort events; nothing goes out, as no session began).
    bool send(const std::vector<std::string>& paths);
    // Starts receiving now by announcing ourselves, for when the other side waits for us.
    bool receive();
    // Cancels a running transfer: abort sequence out, partial file removed, abort event. Nothing
    // happens when no transfer runs.
    void abort(const std::string& reason);

    // Inactive: pure pass-through, no watching; switching off aborts a running transfer, and ends a
    // start no frame confirmed yet without a word to the line.
    void setActive(bool active);
    bool active() const { return active_; }
    bool transferring() const { return session_ != nullptr; }
    // The file being sent or received (the first file right after send()); empty when idle.
    const std::string& currentFileName() const { return context_.currentFile; }

    const Config& config() const { return config_; }
    void setConfig(const Config& config);

private:
    void beginSession(std::unique_ptr<Session> session, Direction direction);
    void feedSession(const std::uint8_t* data, std::size_t size, std::size_t& pos);
    Session::Step dispatch(FrameReader::Event event);
    template <typename Action> Session::Step call(Action action);
    void settle(Session::Step step);
    void endWithFailure(std::string reason);
    void endSession();
    void startFromDetector(std::vector<std::uint8_t>& terminal);
    void hold(const std::uint8_t* data, std::size_t size);
    void endStrayStart();
    void releaseHeld();
    bool swallowAfterSession(std::uint8_t b);
    void queueAbortSequence();

    ByteSink& sink_;
    Listener& listener_;
    Config config_;
    SessionContext context_;
    std::unique_ptr<Session> session_;
    StartDetector detector_;
    bool active_ = true;
    bool inSession_ = false; // a session method is on the stack
    bool pumping_ = false;   // pump() is on the stack: the bytes being written are not consumed yet
    std::optional<std::string> pendingAbort_;
    int lineEndsToSwallow_ = 0;
    int oToSwallow_ = 0; // the "OO" a sender may send after ZFIN
    std::uint64_t sessionEndedAt_ = 0;
    // A start heard on the line is only a candidate until a valid frame other than ZRQINIT follows:
    // it may be another station's transfer. Meanwhile the bytes it takes are kept for the terminal.
    bool unconfirmed_ = false;
    std::uint64_t startHeardAt_ = 0;
    std::vector<std::uint8_t> held_;
    int headerTailLeft_ = 0; // bytes of the start header's line end that may still come
    LeftoverFilter leftovers_; // after a receive that ended badly
    std::vector<std::uint8_t> released_;
};

} // namespace quillmar::zmodem

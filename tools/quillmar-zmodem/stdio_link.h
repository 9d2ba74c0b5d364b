// Runs a ZModem engine over standard input and output until its transfer ends.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine.h"

namespace quillmar::zmodem {

// Output the engine pumps, waiting for the descriptor to take it.
class BufferedSink : public ByteSink {
public:
    void write(const std::uint8_t* data, std::size_t size) override
    {
        bytes_.insert(bytes_.end(), data, data + size);
    }
    std::size_t pending() const { return bytes_.size() - head_; }
    const std::uint8_t* data() const { return bytes_.data() + head_; }
    void consume(std::size_t count);

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t head_ = 0;
};

// Collects what the engine reports, printing it on stderr when asked to.
class ConsoleListener : public Listener {
public:
    explicit ConsoleListener(bool verbose)
        : verbose_(verbose)
    {
    }
    void transferStarting(Direction direction) override;
    void fileReceived(const std::string& path) override;
    void fileSent(const std::string& path) override;
    void fileRefused(const std::string& path) override;
    void offerDeclined(const std::string& name, const std::string& reason) override;
    void notice(const std::string& line) override;
    void finished() override
    {
        done_ = true;
        succeeded_ = true;
    }
    void aborted(const std::string& reason) override;
    void progress(std::uint64_t done, std::uint64_t total) override;
    void trace(const std::string& line) override;

    bool done() const { return done_; }
    // The session ended well and every file offered went across.
    bool succeeded() const { return succeeded_ && !turnedDown_; }
    void setNow(std::uint64_t now) { now_ = now; }

private:
    bool verbose_;
    bool done_ = false;
    bool succeeded_ = false;
    bool turnedDown_ = false; // a file was refused by the other side, or declined by us
    std::uint64_t now_ = 0;
    std::uint64_t lastProgress_ = 0;
};

// Poll loop: large reads, output in batches as the descriptor has room, drained before returning.
// Returns true when the transfer succeeded.
bool runOverStdio(Engine& engine, BufferedSink& sink, ConsoleListener& listener);

std::uint64_t monotonicMs();

} // namespace quillmar::zmodem

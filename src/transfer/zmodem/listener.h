// What the engine tells its owner, and where its output bytes go.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace quillmar::zmodem {

enum class Direction { Send, Receive };

// Events of a transfer; every method has an empty default so an owner overrides what it shows.
class Listener {
public:
    virtual ~Listener() = default;
    virtual void transferStarting(Direction) {}
    // A file is announced, its plain name already made safe; return false to skip it (ZSKIP).
    virtual bool fileOffered(const std::string& name, std::uint64_t size) { return true; }
    // We turned an offered file down (ZSKIP): no room for it, or fileOffered() said no.
    virtual void offerDeclined(const std::string& name, const std::string& reason) {}
    virtual void fileReceived(const std::string& path) {}
    virtual void fileSent(const std::string& path) {}
    // The other side turned down a file we offered (ZSKIP); the session goes on with the next.
    virtual void fileRefused(const std::string& path) {}
    // Something the operator should read that is no event of its own (a sender that started over).
    virtual void notice(const std::string& line) {}
    // A start heard on the line came to nothing and ended quietly: no abort sequence, no aborted().
    // The bytes it held back are waiting in Engine::takeReleasedText().
    virtual void strayStartEnded() {}
    virtual void finished() {}
    virtual void aborted(const std::string& reason) {}
    virtual void progress(std::uint64_t done, std::uint64_t total) {}
    virtual void trace(const std::string& line) {}
};

// Takes the bytes the engine sends; never handed more than the room given to Engine::pump().
class ByteSink {
public:
    virtual ~ByteSink() = default;
    virtual void write(const std::uint8_t* data, std::size_t size) = 0;
};

} // namespace quillmar::zmodem

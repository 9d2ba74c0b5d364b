#pragma once
// What the TNC has said but the client has not taken yet, held up to about a fixed size.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

namespace tncsim {

class OutputQueue {
public:
    explicit OutputQueue(std::size_t limit)
        : limit_(limit)
    {
    }

    // Queues `bytes` as one piece. To stay near the limit it drops the oldest whole pieces not yet
    // begun, so a client that stops reading loses what it missed but still gets the answer to
    // what it types next. Returns how many bytes were dropped.
    std::size_t push(std::string bytes);

    // The unsent rest of the oldest piece.
    std::string_view pending() const;
    void consume(std::size_t count);
    bool empty() const { return chunks_.empty(); }
    std::size_t size() const { return size_; }

private:
    std::size_t limit_;
    std::deque<std::string> chunks_;
    std::size_t headSent_ = 0;
    std::size_t size_ = 0;
};

} // namespace tncsim

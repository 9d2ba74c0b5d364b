#pragma once
// What the TNC has said but the client has not taken yet, held up to a fixed size.

#include <cstddef>
#include <string>
#include <string_view>

namespace tncsim {

class OutputQueue {
public:
    explicit OutputQueue(std::size_t limit) : limit_(limit) {}

    // Queues `bytes` whole, or drops them whole when they would pass the limit (a client that does
    // not read loses the newest output, never a part of a line). Returns whether they were queued.
    bool push(std::string_view bytes);

    std::string_view pending() const { return std::string_view(buffer_).substr(head_); }
    void consume(std::size_t count);
    bool empty() const { return head_ == buffer_.size(); }

private:
    std::size_t limit_;
    std::string buffer_;
    std::size_t head_ = 0;
};

} // namespace tncsim

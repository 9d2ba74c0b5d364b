#include "output_queue.h"

#include <algorithm>

namespace tncsim {

bool OutputQueue::push(std::string_view bytes)
{
    if (pending().size() + bytes.size() > limit_)
        return false;
    if (head_ > 0) {
        buffer_.erase(0, head_);
        head_ = 0;
    }
    buffer_ += bytes;
    return true;
}

void OutputQueue::consume(std::size_t count)
{
    head_ = std::min(buffer_.size(), head_ + count);
    if (empty()) {
        buffer_.clear();
        head_ = 0;
    }
}

} // namespace tncsim

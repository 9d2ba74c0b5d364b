#include "output_queue.h"

#include <algorithm>

namespace tncsim {

std::size_t OutputQueue::push(std::string bytes)
{
    // A piece the client has begun to read stays whole, or it would see half a line.
    const std::size_t firstDroppable = headSent_ > 0 ? 1 : 0;
    std::size_t dropped = 0;
    while (size_ + bytes.size() > limit_ && chunks_.size() > firstDroppable) {
        const auto victim = chunks_.begin() + static_cast<std::ptrdiff_t>(firstDroppable);
        dropped += victim->size();
        size_ -= victim->size();
        chunks_.erase(victim);
    }
    if (!bytes.empty()) {
        size_ += bytes.size();
        chunks_.push_back(std::move(bytes));
    }
    return dropped;
}

std::string_view OutputQueue::pending() const
{
    if (chunks_.empty())
        return {};
    return std::string_view(chunks_.front()).substr(headSent_);
}

void OutputQueue::consume(std::size_t count)
{
    while (count > 0 && !chunks_.empty()) {
        const std::size_t step = std::min(count, chunks_.front().size() - headSent_);
        headSent_ += step;
        size_ -= step;
        count -= step;
        if (headSent_ == chunks_.front().size()) {
            chunks_.pop_front();
            headSent_ = 0;
        }
    }
}

} // namespace tncsim

#include "leftover_filter.h"

#include "protocol.h"

namespace quillmar::zmodem {
namespace {

    // Bytes a TNC's text never holds: ZDLE, eight-bit bytes, and controls other than the few a
    // terminal acts on (BEL, BS, TAB, LF, FF, CR, XON, XOFF, ESC).
    bool isDataByte(std::uint8_t b)
    {
        if (b == kDle || b >= 0x80)
            return true;
        if (b >= 0x20)
            return false;
        switch (b) {
        case 0x07:
        case 0x08:
        case '\t':
        case '\n':
        case 0x0C:
        case '\r':
        case kXon:
        case kXoff:
        case 0x1B: return false;
        default: return true;
        }
    }

} // namespace

void LeftoverFilter::start(std::uint64_t now)
{
    active_ = true;
    lineIsData_ = false;
    startedAt_ = lastDataAt_ = lastByteAt_ = now;
    line_.clear();
}

void LeftoverFilter::push(std::uint8_t b, std::uint64_t now, std::vector<std::uint8_t>& terminal)
{
    if (now - lastByteAt_ >= kPauseMs)
        lineIsData_ = false;
    lastByteAt_ = now;
    if (isDataByte(b)) {
        lineIsData_ = true;
        line_.clear();
    }
    if (lineIsData_)
        lastDataAt_ = now;
    else
        line_.push_back(b);
    // A long run of text without a line end is text all the same.
    if (lineIsData_ || (b != '\r' && b != '\n' && line_.size() < 4096))
        return;
    terminal.insert(terminal.end(), line_.begin(), line_.end());
    line_.clear();
}

void LeftoverFilter::tick(std::uint64_t now, std::vector<std::uint8_t>& terminal)
{
    if (!active_ || (now - lastDataAt_ < kQuietMs && now - startedAt_ < kLongestMs))
        return;
    if (!lineIsData_)
        terminal.insert(terminal.end(), line_.begin(), line_.end());
    stop();
}

void LeftoverFilter::stop()
{
    active_ = false;
    lineIsData_ = false;
    line_.clear();
}

} // namespace quillmar::zmodem

#include "line_buffer.h"

namespace line_buffer {

namespace {
    constexpr int Capacity = int(TextSlot::MaxText);

    // Where the next character goes; an index that something else left out of
    // range counts as an empty line rather than a write outside the buffer.
    int nextIndex(const ProcessState& s)
    {
        return s.LineIndex >= 0 && s.LineIndex <= Capacity ? s.LineIndex : 0;
    }
} // namespace

QByteArray append(ProcessState& s, char c)
{
    QByteArray full;
    int at = nextIndex(s);
    if (at == Capacity) {
        full = take(s);
        at = 0;
    }
    s.LineBuffer.bytes[at] = c;
    s.LineBuffer.bytes[at + 1] = 0;
    s.LineIndex = at + 1;
    return full;
}

void removeLast(ProcessState& s)
{
    const int end = nextIndex(s);
    s.LineIndex = end > 0 ? end - 1 : 0;
}

QByteArray take(ProcessState& s)
{
    const std::string_view line = s.LineBuffer.text();
    s.LineIndex = 0;
    return QByteArray(line.data(), qsizetype(line.size()));
}

} // namespace line_buffer

#pragma once
// The line being typed in buffered mode. Both typing screens share it (only
// one of them types at a time, and a line begun in one may be finished in
// the other): LineBuffer holds it zero-terminated, LineIndex counts it.

#include "app/state.h"

#include <QByteArray>

namespace line_buffer {

// Appends `c`. When the buffer already holds its 255 characters, that text is
// taken out first and returned, for the caller to send as it is: a long line
// goes out in pieces instead of overrunning the buffer or losing keys.
// Returns an empty array otherwise.
[[nodiscard]] QByteArray append(ProcessState& s, char c);

// Drops the last character, if there is one.
void removeLast(ProcessState& s);

// The text up to the terminator; the next append starts a new line.
QByteArray take(ProcessState& s);

} // namespace line_buffer

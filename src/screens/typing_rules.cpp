// What typing sends to the TNC, shared by the transmit screen (dual-screen
// mode) and the receive screen (single-screen mode): immediate mode sends
// each key at once, buffered mode collects the line and sends it on Enter.

#include "app/ferrow.h"

#include "app/state.h"
#include "control_codes.h"
#include "line_buffer.h"
#include "link/nr_comm.h"
#include "screen_memo.h"

namespace {
constexpr int ImmediateMode = 1;
constexpr int BufferedMode = 2;
} // namespace

void TFerrow::AppendToLine(char c)
{
    const QByteArray full = line_buffer::append(G, c);
    if (!full.isEmpty())
        nrComm1->SendString(full);
}

void TFerrow::TypingKeyDown(TScreenMemo* screen, quint16 key, TShiftState shift)
{
    if (G.SendMode != ImmediateMode && G.SendMode != BufferedMode)
        return;
    const auto emitCode = [this](quint8 code) {
        if (G.SendMode == ImmediateMode)
            nrComm1->SendChar(code);
        else
            AppendToLine(char(code));
    };
    if (shift & Qt::ControlModifier) {
        const auto code = ctrlLetterCode(key);
        if (code)
            emitCode(code->code);
        // The marker stands in for an echo; a key outside the table still
        // takes the caret to the end, where typing goes on.
        if (key != vk::Control)
            InsertAtCaret(screen, code ? QByteArray(code->marker) : QByteArray());
        return;
    }
    if (const auto code = functionKeyCode(key)) {
        emitCode(code->code);
        InsertAtCaret(screen, QByteArray(code->marker));
        return;
    }
    // Buffered mode leaves Backspace and Tab to the character stage.
    if (G.SendMode == ImmediateMode && (key == vk::Back || key == vk::Tab))
        nrComm1->SendChar(quint8(key));
}

void TFerrow::SendTypedCharacter(char key)
{
    // Characters 128-255 count as negative and are never sent.
    const auto c = static_cast<signed char>(key);
    if (G.SendMode == ImmediateMode) {
        if (c >= 32 || c == 13)
            nrComm1->SendChar(quint8(c));
        return;
    }
    if (G.SendMode != BufferedMode)
        return;
    if (c != 8 && (c >= 32 || c == 9 || c == 10 || c == 13 || c == 27))
        AppendToLine(key);
    if (c == 8)
        line_buffer::removeLast(G);
    if (c == 13)
        nrComm1->SendString(line_buffer::take(G));
}

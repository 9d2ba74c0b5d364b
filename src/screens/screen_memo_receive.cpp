// The path of bytes received from the TNC into a screen. It is kept apart
// from typing so a received byte is never taken for a key, and it applies
// runs of ordinary characters in one insertion at the end of the text, so
// the cost of a byte does not depend on how much the screen already holds.
// What arrives within one display frame is applied at once: at 9600 baud a
// TNC delivers a byte a millisecond, and a layout and a paint for each would
// keep a laptop's processor busy for nothing the operator can see. Text after
// a quiet spell shows at the next frame; while text streams in, every other
// frame, which still scrolls smoothly and halves the cost of a busy channel.

#include "screen_memo.h"

#include "line_pieces.h"

#include <QTextCursor>

#include <utility>

namespace {
constexpr qint64 FrameMs = 16;
} // namespace

void TScreenMemo::receiveBytes(const QByteArray& bytes)
{
    if (bytes.isEmpty())
        return;
    pending_ += bytes;
    if (frame_.isActive())
        return;
    const qint64 sinceApplied = sinceApplied_.isValid() ? sinceApplied_.elapsed() : 2 * FrameMs;
    frame_.start(int(qMax(FrameMs, 2 * FrameMs - sinceApplied)));
}

void TScreenMemo::flushReceived()
{
    frame_.stop();
    if (pending_.isEmpty())
        return;
    sinceApplied_.start();
    // Taken first: a character handler that flushes again finds nothing.
    applyReceivedBytes(std::exchange(pending_, {}));
}

void TScreenMemo::applyReceivedBytes(const QByteArray& bytes)
{
    const QTextCursor caret = textCursor();
    const int anchorBefore = caret.anchor();
    const int positionBefore = caret.position();
    const int endBefore = endPosition();

    QTextCursor at(document());
    // Inside the edit block the move costs no layout of the last line.
    at.beginEditBlock();
    at.movePosition(QTextCursor::End);
    receiving_ = true;
    caretToEndAsked_ = false;
    ReceivedRun run{at, {}, at.positionInBlock(), continuesLine(at.block())};
    run.text.reserve(bytes.size());
    for (const char byte : bytes) {
        char c = byte;
        if (OnReceiveChar)
            OnReceiveChar(c);
        applyReceived(c, run);
    }
    run.flush();
    at.endEditBlock();
    receiving_ = false;
    placeCaretAfterReceiving(anchorBefore, positionBefore, endBefore);
    archiveOldLines();
}

void TScreenMemo::ReceivedRun::flush()
{
    at.insertText(text);
    text.clear();
}

void TScreenMemo::ReceivedRun::breakLine(bool continued)
{
    flush();
    QTextBlockFormat format;
    if (continued)
        format.setProperty(ContinuedLineProperty, true);
    at.insertBlock(format);
    lineChars = 0;
    inPiece = continued;
}

void TScreenMemo::applyReceived(char c, ReceivedRun& run)
{
    if (c == 0)
        return; // discarded by the character stage
    const bool afterCr = lastReceivedWasCr_;
    lastReceivedWasCr_ = quint8(c) == 13;
    switch (quint8(c)) {
    case 8:
        run.flush();
        // Taken back into the archived text: its last line comes back first.
        if (run.at.atStart())
            bringBackArchived(false);
        deletePreviousCharacter(run.at);
        run.lineChars = run.at.positionInBlock();
        run.inPiece = continuesLine(run.at.block());
        return;
    case 10:
        if (afterCr)
            return;
        [[fallthrough]];
    case 13:
        // A paragraph made after a piece would take the piece's mark.
        if (run.inPiece) {
            run.breakLine(false);
        } else {
            run.text += QLatin1Char('\n');
            run.lineChars = 0;
        }
        return;
    default:
        if (run.lineChars >= MaxLinePieceChars) {
            run.breakLine(true);
            madePieces_ = true;
        }
        run.text += QChar(quint8(c));
        ++run.lineChars;
    }
}

void TScreenMemo::placeCaretAfterReceiving(int anchorBefore, int positionBefore, int endBefore)
{
    const bool caretWasAtEnd = anchorBefore == endBefore && positionBefore == endBefore;
    if (caretToEndAsked_ || caretWasAtEnd) {
        caretToEndAsked_ = false;
        // A caret at the end moved on with the inserted text; it only has to
        // be kept in view.
        const QTextCursor caret = textCursor();
        if (caret.hasSelection() || caret.position() != endPosition())
            moveCaretToEnd();
        else
            ensureCursorVisible();
        return;
    }
    // The operator is working elsewhere in the screen: put the caret and the
    // selection back where they were, in case the text changed under them
    // (a selection reaching to the end, a received Backspace).
    const int end = endPosition();
    const int anchor = qMin(anchorBefore, end);
    const int position = qMin(positionBefore, end);
    QTextCursor caret = textCursor();
    if (caret.anchor() == anchor && caret.position() == position)
        return;
    caret.setPosition(anchor);
    caret.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(caret);
}

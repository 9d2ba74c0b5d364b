// A long reception held mostly outside the screen's document. The document
// keeps the newest half to one million characters (ten to twenty thousand
// lines of traffic), where the operator reads, types and selects; older
// lines go to the archive as 8-bit text, and come back a batch at a time
// when the operator scrolls up to the document's start.
// Whatever reads the whole screen (its text, Save, Print, the log, a copy
// of a selection from the start) reads the archive first.

#include "screen_memo.h"

#include "line_pieces.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

void TScreenMemo::setDocumentHolds(int most, int kept)
{
    holdMost_ = most;
    holdKept_ = std::clamp(kept, 1, most);
}

void TScreenMemo::clear()
{
    archive_.clear();
    QPlainTextEdit::clear();
}

void TScreenMemo::setPlainText(const QString& text)
{
    archive_.clear();
    QPlainTextEdit::setPlainText(text);
}

void TScreenMemo::noteSelection()
{
    const QTextCursor caret = textCursor();
    selectionFromStart_ = caret.hasSelection() && caret.selectionStart() == 0;
}

void TScreenMemo::dropArchiveWithSelection(int from, int removed)
{
    // A selection from the document's start reaches back through the
    // archive (Select All selects everything): cutting, deleting or typing
    // over it takes the archived text too.
    if (!ownEdit_ && !receiving_ && from == 0 && removed > 0 && selectionFromStart_)
        archive_.clear();
}

void TScreenMemo::archiveOldLines()
{
    // Lines cost the document far more than their characters: a flood of
    // empty ones is held to a line for every LineChars characters.
    constexpr int LineChars = 32;
    QTextDocument* doc = document();
    if (doc->characterCount() <= holdMost_ && doc->blockCount() <= holdMost_ / LineChars)
        return;
    const int keptFrom = std::max(doc->findBlock(doc->characterCount() - holdKept_).blockNumber(),
                                  doc->blockCount() - holdKept_ / LineChars);
    const QTextBlock keep = doc->findBlockByNumber(keptFrom);
    const int cut = keep.position();
    const QTextCursor caret = textCursor();
    // Text the operator has selected stays where it is, unless the
    // selection runs from the start, which it still does afterwards.
    if (cut <= 0 || (caret.selectionStart() != 0 && caret.selectionStart() < cut))
        return;
    const bool following = caret.position() == endPosition();
    TopLine top = topLine();
    if (!following && top.block < keep.blockNumber())
        return; // the operator is reading there
    top.block -= keep.blockNumber();

    for (QTextBlock b = doc->begin(); b != keep; b = b.next()) {
        if (b != doc->begin() && !continuesLine(b))
            archive_.endLine();
        archive_.append(b.text());
    }
    if (!continuesLine(keep))
        archive_.endLine();

    ownEdit_ = true;
    QTextCursor c(doc);
    c.beginEditBlock();
    c.setPosition(cut, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    c.endEditBlock();
    ownEdit_ = false;
    madePieces_ = true;

    if (following)
        ensureCursorVisible();
    else
        showTopLine(top);
}

void TScreenMemo::bringBackWhenAtTop()
{
    const QScrollBar* bar = verticalScrollBar();
    if (archive_.isEmpty() || bringBackQueued_ || bar->value() != bar->minimum())
        return;
    // Not from inside the scroll that got here.
    bringBackQueued_ = true;
    QTimer::singleShot(0, this, [this] {
        bringBackQueued_ = false;
        bringBackArchived(true);
    });
}

void TScreenMemo::bringBackArchived(bool keepView)
{
    if (archive_.isEmpty())
        return;
    QTextDocument* doc = document();
    TopLine top = topLine();
    const int blocksBefore = doc->blockCount();
    const QString text = archive_.takeNewest(std::max(1, holdKept_ / 4));

    ownEdit_ = true;
    QTextCursor c(doc);
    c.beginEditBlock();
    // The first paragraph's mark means nothing (whether it goes on with the
    // archive is the archive's to say); the formats start from a plain one.
    markContinuing(c, false);
    QTextBlockFormat line = c.blockFormat();
    QTextBlockFormat piece = line;
    piece.setProperty(ContinuedLineProperty, true);
    // Each line goes in as the received path would have made it, in pieces;
    // after the last comes the document's first line, which goes on with it
    // when it was open.
    for (qsizetype from = 0; from < text.size();) {
        qsizetype end = text.indexOf(QLatin1Char('\n'), from);
        if (end < 0)
            end = text.size();
        for (qsizetype p = from; p < end; p += MaxLinePieceChars) {
            if (p > from)
                c.insertBlock(piece);
            c.insertText(text.mid(p, std::min<qsizetype>(MaxLinePieceChars, end - p)));
        }
        c.insertBlock(end < text.size() ? line : piece);
        from = end + 1;
    }
    c.endEditBlock();
    ownEdit_ = false;
    madePieces_ = true;

    if (keepView) {
        top.block += doc->blockCount() - blocksBefore;
        showTopLine(top);
    }
}

TScreenMemo::TopLine TScreenMemo::topLine() const
{
    const QTextBlock top = firstVisibleBlock();
    return {top.blockNumber(), verticalScrollBar()->value() - top.firstLineNumber()};
}

void TScreenMemo::showTopLine(TopLine top)
{
    // The scroll bar counts wrapped rows.
    verticalScrollBar()->setValue(document()->findBlockByNumber(top.block).firstLineNumber() + top.row);
}

#pragma once
// A received line longer than a piece is held as several paragraphs of the
// screen's document, each piece after the first marked as continuing the
// line before it. The toolkit lays a paragraph out again whenever text is
// added to it, at a cost that grows faster than its length when it cannot
// break it at a space, so one unbroken line of megabytes would freeze the
// window; pieces keep every layout small. Whatever reads the screen's text
// joins the pieces again: the marks are no characters.

#include <QString>
#include <QTextBlock>
#include <QTextFormat>

class QTextCursor;
class QTextDocument;

// The longest piece the received path makes.
constexpr int MaxLinePieceChars = 2048;

// The block format property that marks a continuing piece.
constexpr int ContinuedLineProperty = QTextFormat::UserProperty + 0x51;

// This paragraph goes on the line of the one before it.
inline bool continuesLine(const QTextBlock& block)
{
    return block.blockFormat().boolProperty(ContinuedLineProperty);
}

// The text between two positions of the document as it was received and
// typed: pieces joined, other paragraphs ended by '\n', a no-break space
// read as a plain one, as the document's own plain-text export does.
QString lineTextBetween(const QTextDocument& document, int start, int end);

// Deletes the character before the cursor. The mark between two pieces is
// no character, so the character before it goes with it.
void deletePreviousCharacter(QTextCursor& at);

// Marks the cursor's paragraph as continuing the line before it, or not.
void markContinuing(QTextCursor& at, bool continuing);

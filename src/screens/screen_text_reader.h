#pragma once
// Reads a screen's whole text one character at a time as the TNC gets it:
// 8-bit characters, with CR LF (13, 10) between lines. Sequential reads cost
// a constant each and nothing is copied, so sending a long screen stays
// linear in its length; when the text changes under the reader (the
// operator types during a send) the next read finds its place afresh.

#include <QMetaObject>

#include <optional>

class QTextDocument;

class ScreenTextReader {
public:
    explicit ScreenTextReader(const QTextDocument* document);
    ~ScreenTextReader();
    ScreenTextReader(const ScreenTextReader&) = delete;
    ScreenTextReader& operator=(const ScreenTextReader&) = delete;

    // The text's length as it is now, each line break counted as two.
    int length() const;

    // The character at `index` (from 0) of the text as it is now; empty when
    // the text ends before it. A character with no 8-bit form reads as '?'.
    std::optional<char> at(int index);

private:
    // Puts the reader on `index`; false when the text ends before it.
    bool seek(int index);

    const QTextDocument* document_;
    QMetaObject::Connection changed_;
    bool stale_ = true;
    int index_ = 0;             // the index the reader stands on
    int position_ = 0;          // its document position
    bool lineFeedNext_ = false; // CR given for the break at position_, LF next
};

#pragma once
// The older part of a receive screen's text, kept out of the screen's
// document: a text document costs several bytes per character and hundreds
// per line, and a monitor left on for a shift receives hundreds of megabytes.
// Here each character is one byte (the screen's text is 8-bit), a line ends
// in '\n', and the bytes sit in chunks of a megabyte, so holding a line
// costs its characters and one byte more, and growing never copies what is
// already held. The text is taken from and given back to the document at
// its end only: older lines go in as the document grows, the newest of
// them come back when the operator scrolls up to them.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

class ReceivedArchive {
public:
    bool isEmpty() const { return size_ == 0; }
    qint64 size() const { return size_; }
    void clear();

    // Adds characters to the last line (one byte each; one with no 8-bit
    // form becomes '?'), and ends it.
    void append(QStringView characters);
    void endLine();
    // The last line goes on in the text after the archive: the document
    // holds the rest of it.
    bool endsOpen() const { return size_ > 0 && lastByte() != '\n'; }

    // Removes and returns the newest text, at least `least` characters (all
    // that is held when there is less) and at most twice that, from a line's
    // start where there is one in that span; each line ended by '\n' except
    // an open last one.
    QString takeNewest(qint64 least);

    // The text as the screen reads it: lines ended by '\n'.
    void appendText(QString& out) const;
    // The text as a screen file: lines ended by CR LF (an open last line is
    // left unended; the document's text ends it).
    void appendFile(QByteArray& out) const;
    // The lines, an open last one among them.
    void appendLines(QStringList& out) const;

private:
    char lastByte() const { return chunks_.back().back(); }
    // The bytes from `from` (counted from the start) to the end.
    QByteArray bytesFrom(qint64 from) const;
    void truncate(qint64 size);
    void appendBytes(const char* data, qsizetype n);

    std::vector<QByteArray> chunks_; // each holds up to ChunkBytes; only the last is short
    qint64 size_ = 0;
};

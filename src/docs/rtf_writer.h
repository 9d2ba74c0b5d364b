#pragma once
// Rich text as other programs read it: a small RTF writer of our own (Qt
// reads and writes no RTF). It works on a plain description of the text, so
// it needs no widget and no text document.

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A stretch of text in one look.
struct RtfRun {
    QString text; // may hold U+2028 (line break) and tabs; no paragraph breaks
    QString family;
    int halfPoints = 24;           // font size in half points (RTF's unit)
    std::optional<unsigned> color; // 0xRRGGBB; none: the reader's automatic colour
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

enum class RtfAlignment { Left, Center, Right, Justify };

struct RtfParagraph {
    QList<RtfRun> runs;
    RtfAlignment alignment = RtfAlignment::Left;
};

struct RtfDocument {
    // The font of empty paragraphs, and font 0 of the font table.
    QString defaultFamily;
    int defaultHalfPoints = 24;
    QList<RtfParagraph> paragraphs; // none: an empty document
};

// The document as RTF: 7-bit bytes only. Every character above 127 is written
// as \uN followed by its Latin-1 byte as a fallback for readers that do not
// know \u (or \'3f, a '?', where Latin-1 has no printable form); backslash and braces
// are escaped, tabs and line breaks become \tab and \line.
QByteArray writeRtf(const RtfDocument& document);

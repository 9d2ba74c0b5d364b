#pragma once
// Screen files: 8-bit plain text, one screen line per file line, each ended
// by CR LF. Reading accepts CR LF, LF or CR and keeps a final line break (the
// screen then ends on an empty line, ready for more); writing ends every line
// with CR LF and writes no line for the empty one after a final break, so a
// CR LF file read and written again comes back byte for byte.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class QTextDocument;
class TScreenMemo;

// Files larger than this are refused: a screen is meant for text an operator
// sends over a radio link, not for whole archives.
constexpr qint64 MaxScreenFileBytes = 16 * 1024 * 1024;

// The screen's paragraphs for a file's bytes: the text after the last line
// break is the last one, empty when the file ends with a break. A NUL byte
// cannot stand in a screen and is left out.
QStringList screenLinesOf(const QByteArray& bytes);

// The file bytes of these lines; a character with no Latin-1 form becomes '?'.
QByteArray screenFileBytes(const QStringList& lines);

// The screen's paragraphs, as printed, a line held in pieces as one. A screen
// that holds nothing has none.
QStringList screenLines(const QTextDocument& screen);

// The screen as a file: one CR LF line per paragraph, the empty paragraph
// after a final line break left out.
QByteArray screenFileOf(const QTextDocument& screen);

// The same for a whole screen, the text it holds apart from its document
// (received_archive.h) first.
QStringList screenLines(const TScreenMemo& screen);
QByteArray screenFileOf(const TScreenMemo& screen);

// Reads the whole file; on failure returns the reason and leaves `bytes` alone.
std::optional<QString> readWholeFile(const QString& path, QByteArray& bytes);

// Replaces the file with `bytes` through a temporary file, so a failed write
// never leaves half a file; where the folder cannot take a new file the file
// is written in place and put back as it was if that fails. On failure
// returns the system's words for the error met.
std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes);

#pragma once
// Screen files: 8-bit plain text, one screen line per file line, each ended
// by CR LF. Reading accepts CR LF, LF or CR; a final line break adds no empty
// line, so a CR LF file read and written again comes back byte for byte.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

class QTextDocument;

// Files larger than this are refused: a screen is meant for text an operator
// sends over a radio link, not for whole archives.
constexpr qint64 MaxScreenFileBytes = 16 * 1024 * 1024;

// The lines of a screen file. A NUL byte cannot stand in a screen and is left out.
QStringList screenLinesOf(const QByteArray& bytes);

// The file bytes of these lines; a character with no Latin-1 form becomes '?'.
QByteArray screenFileBytes(const QStringList& lines);

// The lines of a screen as written to a file: one per paragraph, a line held
// in pieces as one. A screen
// that holds nothing at all has no lines.
QStringList screenLines(const QTextDocument& screen);

// Reads the whole file; on failure returns the reason and leaves `bytes` alone.
std::optional<QString> readWholeFile(const QString& path, QByteArray& bytes);

// Replaces the file with `bytes` through a temporary file, so a failed write
// never leaves half a file; where the folder cannot take a new file the file
// is written in place. On failure returns the reason.
std::optional<QString> replaceFile(const QString& path, const QByteArray& bytes);

#pragma once
// The operations log on disk: the header line a freshly switched-on log
// holds, and the receive screen's text as the file keeps it.

#include <QByteArray>
#include <QString>

#include <cstdio>

// "Quillmar Operations Log File", two CRs and a zero byte: 31 bytes.
QByteArray logFileHeader();

// A screen's text as 8-bit lines, each ended by CR LF. `text` has '\n'
// between lines; an empty last line (text ending in a line break) is not a line.
QByteArray screenLinesForFile(const QString& text);

// Creates or empties the file at `path` (encoded file name) and writes the
// header; the open handle on success, null (with `error` set) otherwise.
std::FILE* createLogFile(const QByteArray& path, QString* error);

// Replaces the content of the file at `path` with `bytes`; false (with
// `error` set) when it cannot be opened or fully written.
bool writeLogFile(const QByteArray& path, const QByteArray& bytes, QString* error);

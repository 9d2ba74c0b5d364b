#pragma once
// The operations log on disk while it is on: the file created with its
// header line.

#include <QByteArray>
#include <QString>

#include <cstdio>

// "Quillmar Operations Log File", two CRs and a zero byte: 31 bytes.
QByteArray logFileHeader();

// Creates or empties the file at `path` (encoded file name) and writes the
// header; the open handle on success, null (with `error` set) otherwise.
std::FILE* createLogFile(const QByteArray& path, QString* error);

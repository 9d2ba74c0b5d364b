#pragma once
// The operations log on disk while it is on: the file created with its
// header line.

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdio>

// "Quillmar Operations Log File", two CRs and a zero byte: 31 bytes.
QByteArray logFileHeader();

// Creates or empties the file at `path` (encoded file name) and writes the
// header; the open handle on success, null (with `error` set) otherwise.
std::FILE* createLogFile(const QByteArray& path, QString* error);

// A log that could not be written at close is not lost: its bytes go to a
// new file "Quillmar-log-rescue-YYYYMMDD-HHMMSS.txt" (the time `at`) in the
// first of `folders` that takes it whole; an existing file of that name is
// never touched. Returns the path written, or empty when no folder took it;
// `problems` then says why each refused.
QString writeRescueLog(const QByteArray& bytes, const QStringList& folders, const QDateTime& at,
                       QString* problems);

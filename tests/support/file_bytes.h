#pragma once
// Whole-file reads and writes and a repeatable byte pattern, for tests that put files on disk.

#include <QByteArray>
#include <QFile>
#include <QString>

// The file's bytes, or `missing` when it cannot be opened (a marker no test content equals).
inline QByteArray readFile(const QString& path, const QByteArray& missing = "<missing>")
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : missing;
}

inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// Bytes that cover every value and never repeat in a short period, so a dropped or moved block shows.
inline QByteArray pattern(int size, quint32 seed = 12345)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = char((seed = seed * 1103515245 + 12345) >> 24);
    return bytes;
}

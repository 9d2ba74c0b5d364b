#pragma once
// One ordered record of what the program did to the outside world: bytes
// sent (by call), pauses, boxes. Tests compare it against expected rows.

#include <QByteArray>
#include <QString>
#include <QStringList>

// Printable ASCII as it is, every other byte as <nn> in decimal:
// "SendString <3>DISCONNECT".
QString printable(const QByteArray& bytes);

struct Transcript {
    QStringList entries;
    void add(const QString& entry) { entries << entry; }
    void clear() { entries.clear(); }
};

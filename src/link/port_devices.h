#pragma once
// What COM1 .. COM6 stand for in the program folder, and changing it: a link
// to a device, a one-line file naming a network port, or nothing.

#include <QString>
#include <QStringList>

// Serial adapters present under `devRoot` ("/dev"): their stable names in
// serial/by-id first, then ttyUSB* and ttyACM*.
QStringList detectedAdapters(const QString& devRoot);

// What `<folder>/COMn` stands for now, in words for the window.
QString describePort(const QString& folder, int portNumber);

// Points `<folder>/COMn` at `choice`: a device path makes a link, a
// tcp:// or rfc2217:// URL a one-line file, an empty choice removes what is
// there. Replaces only a link or an ordinary file; false with `error`
// (saying why) when it cannot or must not write.
bool assignPort(const QString& folder, int portNumber, const QString& choice, QString* error);

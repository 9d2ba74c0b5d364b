#pragma once
// Whether another program holds a serial device. One adapter can be reached
// by several names (a link in each program folder, /dev/serial/by-id/...,
// /dev/ttyUSB0), and root is not stopped by a terminal's exclusive mode, so
// a device is judged by its real name: its lock file (the UUCP convention
// other terminal programs follow) and an exclusive flock on its descriptor.

#include <QString>
#include <QStringList>

// The one reason the trace gives for a device someone else holds, however
// that shows (busy, locked, a lock file).
QString inUseReason();

// The device's real path, links followed; the path itself when it cannot be
// resolved (a missing device fails later with its own reason).
QString resolvedDevicePath(const QString& device);

// Where lock files for `realDevice` may lie, most common folder first:
// "LCK..ttyUSB0" for /dev/ttyUSB0, "LCK..pts_3" for /dev/pts/3.
QStringList deviceLockFilePaths(const QString& realDevice);

// True when a lock file for `realDevice` names a process that is still
// running. Reads only; never creates or removes a file.
bool lockedByLockFile(const QString& realDevice);

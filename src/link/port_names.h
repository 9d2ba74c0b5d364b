#pragma once
// Where "COM1" .. "COM6" lead on this system.

#include <QString>

// `<program folder>/COMn` when it exists, even as a link whose target is
// gone for the moment (the operator points it at /dev/serial/by-id/... or a
// simulator); otherwise /dev/ttyS<n-1>.
QString resolveComPort(const QString& programFolder, int portNumber);

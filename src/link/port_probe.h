#pragma once
// Trying a serial device before the layer commits to it.

#include "serial_transport.h"

// Opens `device` exclusively for reading and writing (never creating or
// truncating anything), reads its line state and releases it again.
ProbeResult probeSerialDevice(const QString& device);

// The operating system's reason for a failed open, with the one hint an
// operator needs most often.
QString explainOpenError(int err);

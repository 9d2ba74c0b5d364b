#pragma once
// The one seam between the serial layer and a device. Production talks to a
// real (pseudo-)terminal; tests use an in-memory fake that records writes.

#include "line_settings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <termios.h>

// Outcome of trying a device before the layer commits to it.
struct ProbeResult {
    enum Outcome { Ok, OpenFailed, StateFailed };
    Outcome outcome = OpenFailed;
    QString reason;     // the operating system's words, for the trace
    int handle = -1;    // descriptor used by the probe (already released)
    termios state = {}; // line state read from the device
};

struct ModemLines {
    bool known = false; // false: the device does not report its modem lines
    bool cts = false;
    bool dsr = false;
};

class SerialTransport : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialTransport() override = default;

    // Opens the device exclusively for reading and writing, reads its line
    // state and releases it. Never creates or truncates anything.
    virtual ProbeResult probe(const QString& device) = 0;

    // On success `reason` may carry a note for the trace (settings that do
    // not apply to this kind of device).
    virtual bool open(const QString& device, const SerialLineSettings& settings, QString* reason) = 0;
    virtual bool applySettings(const SerialLineSettings& settings, QString* reason) = 0;
    // Drains what was written, then closes.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Blocking write: every byte has reached the operating system when this
    // returns true, so a pause right after it is a real gap on the line.
    // While flow control holds the line, the bytes it cannot take are queued
    // in order and the call returns true at once (`lineHeld`).
    // `singleChar` only labels the call (one byte sent as a character).
    virtual bool write(const QByteArray& bytes, bool singleChar, QString* reason) = 0;
    // The same for bytes the sender may take back while they still wait in
    // this layer's own queue (a screen send that is cancelled).
    virtual bool writeRevocable(const QByteArray& bytes, bool singleChar, QString* reason)
    {
        return write(bytes, singleChar, reason);
    }
    // Takes back the revocable bytes not yet handed to the operating system;
    // everything else keeps its place. Returns how many were dropped.
    virtual qint64 dropRevocable() { return 0; }

    // Non-blocking write for bulk data (file transfers): queued behind
    // anything not yet written, in order; `queuedBytes` tells what still waits.
    virtual void queue(const QByteArray& bytes) = 0;
    virtual qint64 queuedBytes() const = 0;
    // Bytes handed over but not yet on the line: the queue above and what
    // the operating system still holds for the device (counted from the line
    // time since where the device cannot tell).
    virtual qint64 pendingOutputBytes() const { return queuedBytes(); }

    virtual ModemLines modemLines() const = 0;

signals:
    void received(const QByteArray& bytes);
    // The device went away while open (unplugged, the other end closed).
    void failed(const QString& reason);
    // Queued bytes were handed to the operating system.
    void queueDrained();
    // Flow control holds the line, with `queuedBytes` waiting; then it let
    // them all go.
    void lineHeld(qint64 queuedBytes);
    void lineReleased();
    // Something the trace should tell that is no failure (a setting the far
    // end changed or refused).
    void note(const QString& text);
};

#pragma once
// An in-memory serial device: records every write in the transcript
// ("SendString ..." / "SendChar n"), injects received bytes, and can be told
// how a probe or an open of a given device should go.

#include "link/serial_transport.h"
#include "transcript.h"

#include <QMap>

#include <functional>
#include <QSet>

class FakeTransport final : public SerialTransport {
    Q_OBJECT
public:
    explicit FakeTransport(Transcript* transcript);

    ProbeResult probe(const QString& device) override;
    bool open(const QString& device, const SerialLineSettings& settings, QString* reason) override;
    bool applySettings(const SerialLineSettings& settings, QString* reason) override;
    void close() override;
    bool isOpen() const override { return open_; }
    bool write(const QByteArray& bytes, bool singleChar, QString* reason) override;
    void queue(const QByteArray& bytes) override;
    qint64 queuedBytes() const override { return 0; }
    qint64 pendingOutputBytes() const override { return outputPending; }
    ModemLines modemLines() const override { return lines; }

    // Bytes arriving from the TNC.
    void inject(const QByteArray& bytes) { emit received(bytes); }
    // The device vanishes while open.
    void vanish(const QString& reason);

    // A remote end on the line: when set, everything written or queued
    // reaches it (after the current event, as over a real line), and queued
    // bulk data is not recorded in the transcript.
    std::function<void(const QByteArray&)> peer;

    // Test controls.
    bool writeThrows = false;                         // a driver that fails in the middle of a send
    bool closeThrows = false;                         // ... or of closing (clear it before the fake goes)
    QMap<QString, ProbeResult::Outcome> probeOutcome; // default Ok
    QSet<QString> refuseOpen;                         // open fails for these
    ModemLines lines;
    qint64 outputPending = 0; // bytes still waiting to go out on the line
    QStringList probes;       // devices probed, in order
    QStringList opens;        // devices opened, in order
    int closes = 0;
    QString device; // the open device
    SerialLineSettings settings;

private:
    Transcript* transcript_;
    bool open_ = false;
};

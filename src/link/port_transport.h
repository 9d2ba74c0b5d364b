#pragma once
// The production transport: each open goes where its name leads, a device
// path to the serial port, a network URL (or a file holding one) to the
// network transport.

#include "serial_transport.h"

class NetworkTransport;
class QtSerialTransport;

class PortTransport final : public SerialTransport {
    Q_OBJECT
public:
    explicit PortTransport(QObject* parent = nullptr);

    ProbeResult probe(const QString& device) override;
    bool open(const QString& device, const SerialLineSettings& settings, QString* reason) override;
    bool applySettings(const SerialLineSettings& settings, QString* reason) override;
    void close() override;
    bool isOpen() const override;
    bool write(const QByteArray& bytes, bool singleChar, QString* reason) override;
    bool writeRevocable(const QByteArray& bytes, bool singleChar, QString* reason) override;
    qint64 dropRevocable() override;
    void queue(const QByteArray& bytes) override;
    qint64 queuedBytes() const override;
    qint64 pendingOutputBytes() const override;
    ModemLines modemLines() const override;

private:
    // The transport for `device` and the name it takes there; null with
    // `problem` set for a port file that names nothing usable.
    SerialTransport* pick(const QString& device, QString* name, QString* problem);
    void forward(SerialTransport* from);

    QtSerialTransport* serial_;
    NetworkTransport* network_;
    SerialTransport* active_;
};

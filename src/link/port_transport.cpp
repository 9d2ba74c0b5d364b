#include "port_transport.h"

#include "network_address.h"
#include "network_transport.h"
#include "qt_serial_transport.h"

PortTransport::PortTransport(QObject* parent)
    : SerialTransport(parent)
    , serial_(new QtSerialTransport(this))
    , network_(new NetworkTransport(this))
    , active_(serial_)
{
    forward(serial_);
    forward(network_);
}

void PortTransport::forward(SerialTransport* from)
{
    connect(from, &SerialTransport::received, this, &SerialTransport::received);
    connect(from, &SerialTransport::failed, this, &SerialTransport::failed);
    connect(from, &SerialTransport::queueDrained, this, &SerialTransport::queueDrained);
    connect(from, &SerialTransport::lineHeld, this, &SerialTransport::lineHeld);
    connect(from, &SerialTransport::lineReleased, this, &SerialTransport::lineReleased);
    connect(from, &SerialTransport::note, this, &SerialTransport::note);
}

SerialTransport* PortTransport::pick(const QString& device, QString* name, QString* problem)
{
    if (isNetworkUrl(device)) {
        *name = device;
        return network_;
    }
    const PortTarget target = readPortTarget(device);
    switch (target.kind) {
    case PortTarget::Network: *name = target.address.url(); return network_;
    case PortTarget::BadFile: *problem = target.problem; return nullptr;
    case PortTarget::Device: break;
    }
    *name = device;
    return serial_;
}

ProbeResult PortTransport::probe(const QString& device)
{
    QString name;
    ProbeResult result;
    SerialTransport* transport = pick(device, &name, &result.reason);
    if (!transport)
        return result;
    return transport->probe(name);
}

bool PortTransport::open(const QString& device, const SerialLineSettings& settings, QString* reason)
{
    QString name;
    SerialTransport* transport = pick(device, &name, reason);
    if (!transport)
        return false;
    if (active_ != transport)
        active_->close();
    active_ = transport;
    return active_->open(name, settings, reason);
}

bool PortTransport::applySettings(const SerialLineSettings& settings, QString* reason)
{
    return active_->applySettings(settings, reason);
}

void PortTransport::close()
{
    active_->close();
}

bool PortTransport::isOpen() const
{
    return active_->isOpen();
}

bool PortTransport::write(const QByteArray& bytes, bool singleChar, QString* reason)
{
    return active_->write(bytes, singleChar, reason);
}

bool PortTransport::writeRevocable(const QByteArray& bytes, bool singleChar, QString* reason)
{
    return active_->writeRevocable(bytes, singleChar, reason);
}

qint64 PortTransport::dropRevocable()
{
    return active_->dropRevocable();
}

void PortTransport::queue(const QByteArray& bytes)
{
    active_->queue(bytes);
}

qint64 PortTransport::queuedBytes() const
{
    return active_->queuedBytes();
}

qint64 PortTransport::pendingOutputBytes() const
{
    return active_->pendingOutputBytes();
}

ModemLines PortTransport::modemLines() const
{
    return active_->modemLines();
}

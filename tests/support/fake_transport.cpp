#include "fake_transport.h"

#include <QTimer>

#include <stdexcept>

FakeTransport::FakeTransport(Transcript* transcript)
    : transcript_(transcript)
{
}

ProbeResult FakeTransport::probe(const QString& dev)
{
    probes << dev;
    ProbeResult r;
    r.outcome = probeOutcome.value(dev, ProbeResult::Ok);
    r.handle = r.outcome == ProbeResult::OpenFailed ? -1 : 7;
    if (r.outcome != ProbeResult::Ok)
        r.reason = QStringLiteral("fake refusal");
    return r;
}

bool FakeTransport::open(const QString& dev, const SerialLineSettings& s, QString* reason)
{
    if (refuseOpen.contains(dev)) {
        *reason = QStringLiteral("fake open refused");
        return false;
    }
    opens << dev;
    device = dev;
    settings = s;
    open_ = true;
    return true;
}

bool FakeTransport::applySettings(const SerialLineSettings& s, QString*)
{
    settings = s;
    return true;
}

void FakeTransport::close()
{
    if (!open_)
        return;
    if (closeThrows)
        throw std::runtime_error("fake close failure");
    open_ = false;
    ++closes;
}

bool FakeTransport::write(const QByteArray& bytes, bool singleChar, QString* reason)
{
    if (writeThrows)
        throw std::runtime_error("fake write failure");
    if (!open_) {
        *reason = QStringLiteral("not open");
        return false;
    }
    if (singleChar)
        transcript_->add(QStringLiteral("SendChar %1").arg(static_cast<unsigned char>(bytes.at(0))));
    else
        transcript_->add(QStringLiteral("SendString ") + printable(bytes));
    if (peer)
        QTimer::singleShot(0, this, [this, bytes] { peer(bytes); });
    return true;
}

void FakeTransport::queue(const QByteArray& bytes)
{
    if (!open_)
        return;
    if (!peer) {
        transcript_->add(QStringLiteral("Queue ") + printable(bytes));
        QTimer::singleShot(0, this, [this] { emit queueDrained(); });
        return;
    }
    QTimer::singleShot(0, this, [this, bytes] {
        peer(bytes);
        emit queueDrained();
    });
}

void FakeTransport::vanish(const QString& reason)
{
    open_ = false;
    emit failed(reason);
}

#include "qt_serial_transport.h"

#include "port_probe.h"

#include <QElapsedTimer>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

// Linux numbers its pseudo-terminal slaves under majors 136 to 143.
bool isPseudoTerminal(int fd)
{
    struct stat st;
    return ::fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
        major(st.st_rdev) <= 143;
}

QString systemReason(int err)
{
    return QString::fromLocal8Bit(std::strerror(err));
}

} // namespace

QtSerialTransport::QtSerialTransport(QObject* parent)
    : SerialTransport(parent)
{
    connect(&port_, &QSerialPort::readyRead, this, &QtSerialTransport::onReadyRead);
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialTransport::onError);
}

QtSerialTransport::~QtSerialTransport()
{
    close();
}

ProbeResult QtSerialTransport::probe(const QString& device)
{
    return probeSerialDevice(device);
}

bool QtSerialTransport::open(const QString& device, const SerialLineSettings& settings, QString* reason)
{
    close();
    port_.setPortName(device);
    if (!port_.open(QIODevice::ReadWrite)) {
        *reason = port_.errorString();
        return false;
    }
    if (!applySettings(settings, reason)) {
        port_.close();
        return false;
    }
    failing_ = false;
    writeNotifier_ = new QSocketNotifier(port_.handle(), QSocketNotifier::Write, this);
    writeNotifier_->setEnabled(false);
    connect(writeNotifier_, &QSocketNotifier::activated, this, &QtSerialTransport::onWritable);
    return true;
}

bool QtSerialTransport::applySettings(const SerialLineSettings& s, QString* reason)
{
    QSerialPort::Parity parity;
    QSerialPort::StopBits stopBits;
    QSerialPort::DataBits dataBits;
    QSerialPort::FlowControl flow;
    if (!toQtParity(s.parity, &parity) || !toQtStopBits(s.stopBits, &stopBits) ||
        !toQtDataBits(s.byteSize, &dataBits) || !toQtFlowControl(s.streamProtocol, &flow)) {
        *reason = QStringLiteral("line settings out of range: %1").arg(describe(s));
        return false;
    }
    settings_ = s;
    if (!port_.isOpen())
        return true;
    bool ok = port_.setBaudRate(static_cast<qint32>(s.baudRate)) && port_.setStopBits(stopBits) &&
        port_.setFlowControl(flow);
    // A pseudo-terminal (a simulator, a network bridge) has no UART: it is
    // always 8 bits without parity and refuses anything else. There the two
    // settings do not apply, which is no reason to refuse the link.
    const bool framed = port_.setDataBits(dataBits) && port_.setParity(parity);
    if (!framed && isPseudoTerminal(port_.handle()))
        *reason = QStringLiteral("pseudo-terminal: data bits and parity do not apply, it carries 8 bits");
    else
        ok = ok && framed;
    if (!ok)
        *reason = QStringLiteral("the device refused %1: %2").arg(describe(s), port_.errorString());
    port_.clearError();
    return ok;
}

void QtSerialTransport::close()
{
    if (!port_.isOpen())
        return;
    if (!failing_)
        drainOutput();
    delete writeNotifier_;
    writeNotifier_ = nullptr;
    queue_.clear();
    port_.close();
}

bool QtSerialTransport::isOpen() const
{
    return port_.isOpen();
}

qint64 QtSerialTransport::lineTimeMs(qint64 bytes) const
{
    const qint64 baud = settings_.baudRate ? settings_.baudRate : 9600;
    return bytes * 10 * 1000 / baud;
}

bool QtSerialTransport::writeAll(const char* data, qint64 size, qint64 timeoutMs, qint64* written,
                                 QString* reason)
{
    const int fd = port_.handle();
    QElapsedTimer clock;
    clock.start();
    *written = 0;
    while (*written < size) {
        const ssize_t n = ::write(fd, data + *written, static_cast<size_t>(size - *written));
        if (n > 0) {
            *written += n;
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            *reason = systemReason(errno);
            return false;
        }
        const qint64 left = timeoutMs - clock.elapsed();
        if (left <= 0) {
            *reason = QStringLiteral("the device took no data for %1 ms (flow control held?)").arg(timeoutMs);
            return false;
        }
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(left));
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            *reason = QStringLiteral("the device hung up");
            return false;
        }
    }
    return true;
}

bool QtSerialTransport::write(const QByteArray& bytes, bool, QString* reason)
{
    if (!port_.isOpen() || failing_) {
        *reason = QStringLiteral("the port is not open");
        return false;
    }
    // Bytes leave in call order: whatever bulk data still waits goes first.
    QByteArray all = queue_ + bytes;
    queue_.clear();
    qint64 written = 0;
    const bool ok = writeAll(all.constData(), all.size(), lineTimeMs(all.size()) + 2000, &written, reason);
    if (!ok) {
        // Keep what the device did not take; it goes out when it can.
        queue_ = all.mid(written);
        if (writeNotifier_)
            writeNotifier_->setEnabled(!queue_.isEmpty());
    } else if (writeNotifier_) {
        writeNotifier_->setEnabled(false);
        emit queueDrained();
    }
    return ok;
}

void QtSerialTransport::queue(const QByteArray& bytes)
{
    if (!port_.isOpen() || failing_)
        return;
    queue_ += bytes;
    if (writeNotifier_)
        writeNotifier_->setEnabled(true);
}

qint64 QtSerialTransport::queuedBytes() const
{
    return queue_.size();
}

qint64 QtSerialTransport::pendingOutputBytes() const
{
    int inDriver = 0;
    if (!port_.isOpen() || ::ioctl(port_.handle(), TIOCOUTQ, &inDriver) != 0 || inDriver < 0)
        inDriver = 0;
    return queue_.size() + inDriver;
}

void QtSerialTransport::onWritable()
{
    if (queue_.isEmpty()) {
        writeNotifier_->setEnabled(false);
        return;
    }
    const ssize_t n = ::write(port_.handle(), queue_.constData(), static_cast<size_t>(queue_.size()));
    if (n > 0) {
        queue_.remove(0, n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        fail(systemReason(errno));
        return;
    }
    if (queue_.isEmpty()) {
        writeNotifier_->setEnabled(false);
        emit queueDrained();
    }
}

void QtSerialTransport::drainOutput()
{
    // What was written reaches the line before the descriptor goes away, so
    // the last termination line is not lost. Bounded: a device that stopped
    // taking data must not hang the close.
    if (!queue_.isEmpty()) {
        qint64 written = 0;
        QString reason;
        writeAll(queue_.constData(), queue_.size(), lineTimeMs(queue_.size()) + 2000, &written, &reason);
        queue_.clear();
    }
    const int fd = port_.handle();
    QElapsedTimer clock;
    clock.start();
    int pending = 0;
    while (::ioctl(fd, TIOCOUTQ, &pending) == 0 && pending > 0 &&
           clock.elapsed() < lineTimeMs(pending) + 1000)
        QThread::msleep(2);
}

ModemLines QtSerialTransport::modemLines() const
{
    ModemLines lines;
    int bits = 0;
    if (port_.isOpen() && ::ioctl(port_.handle(), TIOCMGET, &bits) == 0) {
        lines.known = true;
        lines.cts = bits & TIOCM_CTS;
        lines.dsr = bits & TIOCM_DSR;
    }
    return lines;
}

void QtSerialTransport::onReadyRead()
{
    const QByteArray bytes = port_.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void QtSerialTransport::onError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        fail(port_.errorString());
}

void QtSerialTransport::fail(const QString& reason)
{
    if (failing_ || !port_.isOpen())
        return;
    failing_ = true;
    // A device that vanished cannot drain; close without waiting.
    delete writeNotifier_;
    writeNotifier_ = nullptr;
    queue_.clear();
    port_.clearError();
    port_.close();
    emit failed(reason);
}

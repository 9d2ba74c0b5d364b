#include "qt_serial_transport.h"

#include "device_lock.h"
#include "port_probe.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <utility>

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

// Bytes the driver still holds for the line; 0 where it cannot tell (a
// pseudo-terminal hands them straight to its other end).
int outputQueued(int fd)
{
    int pending = 0;
    return ::ioctl(fd, TIOCOUTQ, &pending) == 0 ? pending : 0;
}

} // namespace

QString QtSerialTransport::refusedOpenReason(const QString& device) const
{
    // QSerialPort reports a lock file it could not take as a permission
    // error. Only the device itself can tell that apart from a real one.
    if (port_.error() != QSerialPort::PermissionError)
        return port_.errorString();
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY ? inUseReason() : explainOpenError(errno);
    ::close(fd);
    return inUseReason();
}

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
    framingNoteGiven_ = false;
    // Opened by its real name, so QSerialPort's lock file is named after the
    // device, not after whichever link led to it.
    const QString real = resolvedDevicePath(device);
    if (lockedByLockFile(real)) {
        *reason = inUseReason();
        return false;
    }
    port_.setPortName(real);
    if (!port_.open(QIODevice::ReadWrite)) {
        *reason = refusedOpenReason(real);
        port_.clearError();
        return false;
    }
    // The lock that holds as root too, whatever name the other opened it by.
    if (::flock(port_.handle(), LOCK_EX | LOCK_NB) != 0) {
        port_.close();
        *reason = inUseReason();
        return false;
    }
    if (!applySettings(settings, reason)) {
        port_.close();
        return false;
    }
    failing_ = false;
    held_ = false;
    lineClock_.start();
    lineFreeAtUs_ = 0;
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
    if (!framed && isPseudoTerminal(port_.handle())) {
        // Said once per opening, not again for every setting applied later.
        if (!framingNoteGiven_)
            *reason = QStringLiteral("pseudo-terminal: data bits and parity do not apply, it carries 8 bits");
        framingNoteGiven_ = true;
    } else {
        ok = ok && framed;
    }
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
    clearQueue();
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

qint64 QtSerialTransport::stallMs() const
{
    // A line that is not held moves a byte within a few character times; a
    // USB adapter moves its buffer on in blocks of up to 64.
    return qMax<qint64>(100, lineTimeMs(64));
}

QtSerialTransport::WriteOutcome QtSerialTransport::writeNow(const char* data, qint64 size, qint64 stallMs,
                                                            qint64* written, QString* reason)
{
    const int fd = port_.handle();
    QElapsedTimer sinceProgress;
    sinceProgress.start();
    int queued = outputQueued(fd);
    *written = 0;
    while (*written < size) {
        const ssize_t n = ::write(fd, data + *written, static_cast<size_t>(size - *written));
        if (n > 0) {
            *written += n;
            noteHandedOver(n);
            sinceProgress.restart();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            *reason = systemReason(errno);
            return WriteOutcome::Failed;
        }
        // No room: either the driver's queue is going out, or the line is held.
        const int nowQueued = outputQueued(fd);
        if (nowQueued < queued)
            sinceProgress.restart();
        queued = nowQueued;
        const qint64 left = stallMs - sinceProgress.elapsed();
        if (left <= 0)
            return WriteOutcome::Stalled;
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, static_cast<int>(qMin<qint64>(left, 10)));
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL)) {
            *reason = QStringLiteral("the device hung up");
            return WriteOutcome::Failed;
        }
    }
    return WriteOutcome::Done;
}

bool QtSerialTransport::write(const QByteArray& bytes, bool, QString* reason)
{
    return writeMarked(bytes, false, reason);
}

bool QtSerialTransport::writeRevocable(const QByteArray& bytes, bool, QString* reason)
{
    return writeMarked(bytes, true, reason);
}

bool QtSerialTransport::writeMarked(const QByteArray& bytes, bool revocable, QString* reason)
{
    if (!port_.isOpen() || failing_) {
        *reason = QStringLiteral("the port is not open");
        return false;
    }
    // While flow control holds the line nothing gets through: the bytes wait
    // behind the others, in order, and the window goes on.
    if (held_) {
        enqueue(bytes, revocable);
        return true;
    }
    // Bytes leave in call order: whatever bulk data still waits goes first.
    enqueue(bytes, revocable);
    qint64 written = 0;
    const WriteOutcome outcome = writeNow(queue_.constData(), queue_.size(), stallMs(), &written, reason);
    dequeue(written);
    if (outcome == WriteOutcome::Done) {
        if (writeNotifier_)
            writeNotifier_->setEnabled(false);
        emit queueDrained();
        return true;
    }
    // What the device did not take stays queued; it goes out when it can.
    if (writeNotifier_)
        writeNotifier_->setEnabled(true);
    if (outcome == WriteOutcome::Failed)
        return false;
    held_ = true;
    emit lineHeld(queue_.size());
    return true;
}

void QtSerialTransport::queue(const QByteArray& bytes)
{
    if (!port_.isOpen() || failing_)
        return;
    enqueue(bytes, false);
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
    return queue_.size() + qMax<qint64>(inDriver, estimatedInDevice());
}

qint64 QtSerialTransport::dropRevocable()
{
    QByteArray kept;
    kept.reserve(queue_.size());
    for (qsizetype i = 0; i < queue_.size(); ++i)
        if (!revocable_[i])
            kept += queue_[i];
    const qint64 dropped = queue_.size() - kept.size();
    queue_ = kept;
    revocable_ = QByteArray(kept.size(), '\0');
    return dropped;
}

void QtSerialTransport::enqueue(const QByteArray& bytes, bool revocable)
{
    queue_ += bytes;
    revocable_ += QByteArray(bytes.size(), revocable ? '\1' : '\0');
}

void QtSerialTransport::dequeue(qint64 count)
{
    queue_.remove(0, count);
    revocable_.remove(0, count);
}

void QtSerialTransport::clearQueue()
{
    queue_.clear();
    revocable_.clear();
}

void QtSerialTransport::noteHandedOver(qint64 count)
{
    const qint64 baud = settings_.baudRate ? settings_.baudRate : 9600;
    const qint64 now = lineClock_.nsecsElapsed() / 1000;
    lineFreeAtUs_ = qMax(lineFreeAtUs_, now) + count * 10 * 1000000 / baud;
}

qint64 QtSerialTransport::estimatedInDevice() const
{
    const qint64 baud = settings_.baudRate ? settings_.baudRate : 9600;
    const qint64 leftUs = lineFreeAtUs_ - lineClock_.nsecsElapsed() / 1000;
    return leftUs > 0 ? leftUs * baud / (10 * 1000000) : 0;
}

void QtSerialTransport::onWritable()
{
    if (queue_.isEmpty()) {
        writeNotifier_->setEnabled(false);
        return;
    }
    const ssize_t n = ::write(port_.handle(), queue_.constData(), static_cast<size_t>(queue_.size()));
    if (n > 0) {
        dequeue(n);
        noteHandedOver(n);
    } else if (n < 0 && errno != EAGAIN && errno != EINTR) {
        fail(systemReason(errno));
        return;
    }
    if (queue_.isEmpty()) {
        writeNotifier_->setEnabled(false);
        if (std::exchange(held_, false))
            emit lineReleased();
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
        writeNow(queue_.constData(), queue_.size(), 2000, &written, &reason);
        clearQueue();
    }
    held_ = false;
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
    clearQueue();
    held_ = false;
    port_.clearError();
    port_.close();
    emit failed(reason);
}

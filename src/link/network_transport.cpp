#include "network_transport.h"

#include <QEventLoop>
#include <QTcpSocket>

#include <sys/ioctl.h>

using quillmar::telnet::ComPortCodec;
using quillmar::telnet::ComPortReply;

namespace {

constexpr int RetryPauseLimitMs = 30000;
// A connection that lived shorter than this was no real return: the pauses go on growing.
constexpr int SteadyConnectionMs = 10000;
// What the socket may hold unsent before the server counts as one that takes nothing.
constexpr qint64 SendLimitBytes = 8 << 20;
// Bulk data is handed to the socket in steps of this, so the queue stays ours to count.
constexpr qint64 BulkWindowBytes = 64 << 10;
constexpr int CloseDrainMs = 2000;

const std::uint8_t* raw(const QByteArray& bytes)
{
    return reinterpret_cast<const std::uint8_t*>(bytes.constData());
}

quillmar::telnet::ComPortSettings toComPort(const SerialLineSettings& s)
{
    // The option numbers parity none, odd, even, mark, space from 1 and the
    // stop bits one, two, one and a half; flow control none, XON/XOFF, RTS/CTS.
    static const std::uint8_t parity[] = {1, 3, 2, 4, 5};
    static const std::uint8_t stop[] = {3, 1, 2};
    quillmar::telnet::ComPortSettings out;
    out.baudRate = s.baudRate;
    out.dataSize = s.byteSize;
    out.parity = s.parity < 5 ? parity[s.parity] : 0;
    out.stopSize = s.stopBits < 3 ? stop[s.stopBits] : 0;
    out.control = static_cast<std::uint8_t>(s.streamProtocol + 1);
    return out;
}

QString settingName(quillmar::telnet::ComPortCommand command)
{
    switch (command) {
    case quillmar::telnet::SetBaudRate: return QStringLiteral("baud rate");
    case quillmar::telnet::SetDataSize: return QStringLiteral("data bits");
    case quillmar::telnet::SetParity: return QStringLiteral("parity");
    case quillmar::telnet::SetStopSize: return QStringLiteral("stop bits");
    default: return QStringLiteral("flow control");
    }
}

} // namespace

NetworkTransport::NetworkTransport(QObject* parent)
    : SerialTransport(parent)
{
    negotiationWatch_.setSingleShot(true);
    negotiationWatch_.setInterval(ConnectLimitMs);
    connect(&negotiationWatch_, &QTimer::timeout, this, &NetworkTransport::checkNegotiation);
}

NetworkTransport::~NetworkTransport()
{
    close();
}

QString NetworkTransport::socketReason(const QTcpSocket& socket, const NetworkAddress& address) const
{
    switch (socket.error()) {
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("the name %1 does not resolve").arg(address.host);
    case QAbstractSocket::RemoteHostClosedError: return QStringLiteral("the server closed the connection");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("no answer from %1 within %2 s").arg(address.url()).arg(ConnectLimitMs / 1000);
    default: return socket.errorString();
    }
}

std::unique_ptr<QTcpSocket> NetworkTransport::connectNow(const NetworkAddress& address, QString* reason)
{
    auto socket = std::make_unique<QTcpSocket>();
    QEventLoop loop;
    QTimer limit;
    limit.setSingleShot(true);
    connect(socket.get(), &QTcpSocket::connected, &loop, &QEventLoop::quit);
    connect(socket.get(), &QTcpSocket::errorOccurred, &loop, &QEventLoop::quit);
    connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    socket->connectToHost(address.host, address.port);
    limit.start(ConnectLimitMs);
    // The window goes on painting and its timers run, but nothing the
    // operator does is taken until the connect is settled.
    if (socket->state() != QAbstractSocket::ConnectedState &&
        socket->error() == QAbstractSocket::UnknownSocketError)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (socket->state() == QAbstractSocket::ConnectedState)
        return socket;
    *reason = limit.isActive()
        ? socketReason(*socket, address)
        : QStringLiteral("no answer from %1 within %2 s").arg(address.url()).arg(ConnectLimitMs / 1000);
    socket->abort();
    return nullptr;
}

ProbeResult NetworkTransport::probe(const QString& device)
{
    ProbeResult result;
    probed_.reset();
    QString error;
    const auto address = parseNetworkAddress(device, &error);
    if (!address) {
        result.reason = QStringLiteral("%1: %2").arg(device, error);
        return result;
    }
    auto socket = connectNow(*address, &result.reason);
    if (!socket)
        return result;
    result.outcome = ProbeResult::Ok;
    result.handle = static_cast<int>(socket->socketDescriptor());
    probed_ = std::move(socket);
    probedAddress_ = *address;
    return result;
}

bool NetworkTransport::open(const QString& device, const SerialLineSettings& settings, QString* reason)
{
    const auto address = parseNetworkAddress(device, reason);
    if (!address)
        return false;
    settings_ = settings;
    if (lost_ && *lost_ == *address)
        return reconnect(reason);
    close();
    lost_.reset();
    std::unique_ptr<QTcpSocket> socket;
    if (probed_ && probedAddress_ == *address && probed_->state() == QAbstractSocket::ConnectedState)
        socket = std::move(probed_);
    else
        socket = connectNow(*address, reason);
    probed_.reset();
    if (!socket)
        return false;
    adopt(std::move(socket), *address);
    reconnected_ = false;
    return applySettings(settings, reason);
}

bool NetworkTransport::reconnect(QString* reason)
{
    // Called again and again while the server is away; never waits.
    if (retry_ && retry_->state() == QAbstractSocket::ConnectedState) {
        const NetworkAddress address = *lost_;
        lost_.reset();
        adopt(std::move(retry_), address);
        reconnected_ = true;
        return applySettings(settings_, reason);
    }
    if (retry_ && retry_->state() != QAbstractSocket::UnconnectedState) {
        *reason = QStringLiteral("connecting");
        return false;
    }
    if (retry_) {
        *reason = socketReason(*retry_, *lost_);
        retry_.reset();
        retryPauseMs_ = qMin(retryPauseMs_ * 2, RetryPauseLimitMs);
        sinceAttempt_.restart();
        return false;
    }
    if (sinceAttempt_.elapsed() < retryPauseMs_) {
        *reason = QStringLiteral("waiting to try again");
        return false;
    }
    retry_ = std::make_unique<QTcpSocket>();
    retry_->connectToHost(lost_->host, lost_->port);
    sinceAttempt_.restart();
    *reason = QStringLiteral("connecting");
    return false;
}

void NetworkTransport::adopt(std::unique_ptr<QTcpSocket> socket, const NetworkAddress& address)
{
    socket_ = std::move(socket);
    address_ = address;
    // Pauses between characters must stay gaps on the line, not be merged.
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket_.get(), &QTcpSocket::readyRead, this, &NetworkTransport::onReadyRead);
    connect(socket_.get(), &QTcpSocket::bytesWritten, this, &NetworkTransport::onBytesWritten);
    QTcpSocket* const s = socket_.get();
    connect(s, &QTcpSocket::errorOccurred, this, [this, s] { fail(socketReason(*s, address_)); });
    connect(socket_.get(), &QTcpSocket::disconnected, this,
            [this] { fail(QStringLiteral("the server closed the connection")); });
    queue_.clear();
    early_.clear();
    waitForBinary_ = true;
    held_ = false;
    rawNoteGiven_ = false;
    refusalNoted_ = false;
    connectedFor_.start();
    lines_ = {};
    codec_.reset();
    if (address.mode == NetworkAddress::Rfc2217) {
        codec_.emplace(true);
        // Until the server reports its modem lines, the lamps stay as the
        // open left them.
        lines_ = {true, true, true};
        sendWire(QByteArray::fromStdString(codec_->start()));
        negotiationWatch_.start();
    }
    if (socket_->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &NetworkTransport::onReadyRead, Qt::QueuedConnection);
}

bool NetworkTransport::applySettings(const SerialLineSettings& settings, QString* reason)
{
    settings_ = settings;
    if (!socket_)
        return true;
    if (!codec_) {
        if (!rawNoteGiven_)
            *reason = QStringLiteral("raw TCP: the line settings are kept but do not reach the remote port");
        rawNoteGiven_ = true;
        return true;
    }
    sendWire(QByteArray::fromStdString(codec_->requestSettings(toComPort(settings))));
    return true;
}

void NetworkTransport::checkNegotiation()
{
    // A server that never answers gets what waited, and what follows, as text.
    waitForBinary_ = false;
    pumpQueue();
    if (socket_ && codec_ && !codec_->comPortAgreed() && !refusalNoted_) {
        refusalNoted_ = true;
        emit note(
            codec_->comPortRefused()
                ? QStringLiteral("the server refuses the COM port option: the line settings do not reach "
                                 "the remote port (is it a raw port? then name it tcp://)")
                : QStringLiteral("the server did not take up the COM port option within %1 s: the line "
                                 "settings do not reach the remote port")
                      .arg(ConnectLimitMs / 1000));
    }
}

void NetworkTransport::sendWire(const QByteArray& wire)
{
    if (!socket_ || wire.isEmpty())
        return;
    socket_->write(wire);
    // Handed to the operating system now, as far as it takes it: the caller
    // may pause right after this, and that pause must be a gap on the line.
    // The flush reports what it wrote at once; that report must not reach
    // the caller's listeners while the caller is still handing bytes over
    // (a sender refilled from inside its own write sends twice), so it is
    // taken up from the event loop instead.
    sending_ = true;
    socket_->flush();
    sending_ = false;
    if (socket_ && socket_->bytesToWrite() > SendLimitBytes)
        fail(QStringLiteral("the server takes nothing of what is sent"));
}

void NetworkTransport::encodeInto(const QByteArray& bytes, QByteArray& wire) const
{
    if (!codec_) {
        wire += bytes;
        return;
    }
    std::string out;
    codec_->encode(raw(bytes), bytes.size(), out);
    wire += QByteArray::fromStdString(out);
}

bool NetworkTransport::write(const QByteArray& bytes, bool, QString* reason)
{
    if (!socket_) {
        *reason = QStringLiteral("not connected");
        return false;
    }
    if (holdingEarly()) {
        // Sent before the server said it takes binary data, a CR would go
        // out as CR NUL: the first lines wait the moment it takes to answer.
        early_ += std::exchange(queue_, {}) + bytes;
        return true;
    }
    // Bytes leave in call order: whatever bulk data still waits goes first.
    QByteArray wire;
    encodeInto(std::exchange(queue_, {}) + bytes, wire);
    sendWire(wire);
    if (!socket_) {
        *reason = QStringLiteral("the connection is lost");
        return false;
    }
    if (socket_->bytesToWrite() > 0 && !held_) {
        // The send buffer is full: like a line flow control holds, the rest
        // waits in order and the window goes on.
        held_ = true;
        emit lineHeld(socket_->bytesToWrite());
    }
    return true;
}

void NetworkTransport::queue(const QByteArray& bytes)
{
    if (!socket_)
        return;
    queue_ += bytes;
    pumpQueue();
    checkDrainLater();
}

void NetworkTransport::checkDrainLater()
{
    // The socket reports a write made while it reports another one to no
    // one: look again from the event loop, so a drained queue is always told.
    if (!drainCheckPending_) {
        drainCheckPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                drainCheckPending_ = false;
                onBytesWritten();
            },
            Qt::QueuedConnection);
    }
}

bool NetworkTransport::holdingEarly() const
{
    return codec_ && waitForBinary_ && codec_->binaryPending();
}

void NetworkTransport::releaseEarly()
{
    if (early_.isEmpty())
        return;
    QByteArray wire;
    encodeInto(std::exchange(early_, {}) + std::exchange(queue_, {}), wire);
    sendWire(wire);
}

void NetworkTransport::pumpQueue()
{
    if (holdingEarly())
        return;
    releaseEarly();
    while (socket_ && !queue_.isEmpty() && socket_->bytesToWrite() < BulkWindowBytes) {
        QByteArray wire;
        encodeInto(queue_.left(BulkWindowBytes), wire);
        queue_.remove(0, qMin<qint64>(BulkWindowBytes, queue_.size()));
        sendWire(wire);
    }
}

qint64 NetworkTransport::queuedBytes() const
{
    return early_.size() + queue_.size() + (socket_ ? socket_->bytesToWrite() : 0);
}

qint64 NetworkTransport::pendingOutputBytes() const
{
    int inKernel = 0;
    if (!socket_ || ::ioctl(static_cast<int>(socket_->socketDescriptor()), TIOCOUTQ, &inKernel) != 0 ||
        inKernel < 0)
        inKernel = 0;
    return queuedBytes() + inKernel;
}

void NetworkTransport::onBytesWritten()
{
    if (sending_) {
        checkDrainLater();
        return;
    }
    pumpQueue();
    if (!socket_ || socket_->bytesToWrite() > 0 || !queue_.isEmpty())
        return;
    if (std::exchange(held_, false))
        emit lineReleased();
    emit queueDrained();
}

void NetworkTransport::onReadyRead()
{
    if (!socket_)
        return;
    const QByteArray wire = socket_->readAll();
    if (!codec_) {
        if (!wire.isEmpty())
            emit received(wire);
        return;
    }
    std::string data, replies;
    std::vector<ComPortReply> reports;
    codec_->receive(raw(wire), wire.size(), data, replies, reports);
    sendWire(QByteArray::fromStdString(replies));
    onPortReports(reports);
    if (!holdingEarly())
        pumpQueue();
    if (codec_ && codec_->comPortRefused())
        checkNegotiation();
    if (!data.empty())
        emit received(QByteArray::fromStdString(data));
}

void NetworkTransport::onPortReports(const std::vector<ComPortReply>& reports)
{
    if (!codec_)
        return;
    for (const ComPortReply& r : reports) {
        if (r.command == quillmar::telnet::NotifyModemState) {
            lines_ = {true, (r.value & 0x10) != 0, (r.value & 0x20) != 0};
            continue;
        }
        const std::uint32_t wanted = r.asked;
        if (r.value != wanted)
            emit note(QStringLiteral("the remote port set %1 %2 where %3 was asked (kept as set here)")
                          .arg(settingName(r.command))
                          .arg(r.value)
                          .arg(wanted));
    }
}

void NetworkTransport::close()
{
    negotiationWatch_.stop();
    retry_.reset();
    lost_.reset();
    retryPauseMs_ = 1000;
    if (!socket_)
        return;
    // Nothing is reported from here on: a close may come from the window's
    // teardown, when nobody is left to hear it.
    std::unique_ptr<QTcpSocket> socket = std::move(socket_);
    socket->disconnect(this);
    // What the server sent is read first: data left unread would turn the
    // close into a reset that can cost the last lines on their way out.
    socket->waitForReadyRead(0);
    socket->readAll();
    QByteArray rest;
    encodeInto(std::exchange(early_, {}) + std::exchange(queue_, {}), rest);
    socket->write(rest);
    QElapsedTimer clock;
    clock.start();
    while (socket->bytesToWrite() > 0 && socket->state() == QAbstractSocket::ConnectedState &&
           clock.elapsed() < CloseDrainMs)
        socket->waitForBytesWritten(static_cast<int>(CloseDrainMs - clock.elapsed()));
    socket->disconnectFromHost();
    if (socket->state() != QAbstractSocket::UnconnectedState)
        socket->waitForDisconnected(static_cast<int>(qMax<qint64>(1, CloseDrainMs - clock.elapsed())));
    held_ = false;
    lines_ = {};
    codec_.reset();
    socket.release()->deleteLater();
}

void NetworkTransport::fail(const QString& reason)
{
    if (!socket_)
        return;
    negotiationWatch_.stop();
    std::unique_ptr<QTcpSocket> socket = std::move(socket_);
    socket->disconnect(this);
    socket->abort();
    socket.release()->deleteLater();
    // Back after a short while only if the connection had held for a while;
    // a server that drops every client at once gets ever longer pauses.
    if (connectedFor_.elapsed() >= SteadyConnectionMs)
        retryPauseMs_ = 1000;
    else if (reconnected_)
        retryPauseMs_ = qMin(retryPauseMs_ * 2, RetryPauseLimitMs);
    lost_ = address_;
    sinceAttempt_.restart();
    queue_.clear();
    early_.clear();
    held_ = false;
    lines_ = {};
    codec_.reset();
    emit failed(reason);
}

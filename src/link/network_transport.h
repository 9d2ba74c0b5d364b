#pragma once
// The transport of a network port: a serial server over TCP, raw or with
// telnet's COM port control option. Nothing here blocks but the first
// connect, which waits at most three seconds while the window keeps
// painting; a lost connection comes back by itself with growing pauses.

#include "network_address.h"
#include "serial_transport.h"
#include "telnet/com_port_codec.h"

#include <QElapsedTimer>
#include <QTimer>

#include <memory>
#include <optional>

class QTcpSocket;

class NetworkTransport final : public SerialTransport {
    Q_OBJECT
public:
    explicit NetworkTransport(QObject* parent = nullptr);
    ~NetworkTransport() override;

    // `device` is the URL. The probe's connection is the one an open of the
    // same URL keeps: a serial server may take one client only.
    ProbeResult probe(const QString& device) override;
    bool open(const QString& device, const SerialLineSettings& settings, QString* reason) override;
    bool applySettings(const SerialLineSettings& settings, QString* reason) override;
    void close() override;
    bool isOpen() const override { return socket_ != nullptr; }
    bool write(const QByteArray& bytes, bool singleChar, QString* reason) override;
    void queue(const QByteArray& bytes) override;
    qint64 queuedBytes() const override;
    qint64 pendingOutputBytes() const override;
    ModemLines modemLines() const override { return lines_; }

    static constexpr int ConnectLimitMs = 3000;

private:
    std::unique_ptr<QTcpSocket> connectNow(const NetworkAddress& address, QString* reason);
    bool reconnect(QString* reason);
    void adopt(std::unique_ptr<QTcpSocket> socket, const NetworkAddress& address);
    void sendWire(const QByteArray& wire);
    void encodeInto(const QByteArray& bytes, QByteArray& wire) const;
    void pumpQueue();
    void releaseEarly();
    bool holdingEarly() const;
    void onReadyRead();
    void onBytesWritten();
    void checkDrainLater();
    void onPortReports(const std::vector<quillmar::telnet::ComPortReply>& reports);
    void checkNegotiation();
    void fail(const QString& reason);
    QString socketReason(const QTcpSocket& socket, const NetworkAddress& address) const;

    std::unique_ptr<QTcpSocket> probed_;
    NetworkAddress probedAddress_;
    std::unique_ptr<QTcpSocket> socket_;
    NetworkAddress address_;
    std::optional<quillmar::telnet::ComPortCodec> codec_;
    SerialLineSettings settings_;
    QByteArray queue_; // bulk bytes not yet handed to the socket
    QByteArray early_; // written before the server answered the offer of binary
    bool waitForBinary_ = true;
    bool drainCheckPending_ = false;
    bool sending_ = false; // inside sendWire: the socket's reports wait for the event loop
    ModemLines lines_;
    bool held_ = false;
    bool rawNoteGiven_ = false;
    bool refusalNoted_ = false;
    QElapsedTimer connectedFor_;
    QTimer negotiationWatch_;

    // After a loss: the address to get back to and when to try next.
    std::optional<NetworkAddress> lost_;
    std::unique_ptr<QTcpSocket> retry_;
    QElapsedTimer sinceAttempt_;
    int retryPauseMs_ = 1000;
    bool reconnected_ = false; // the connection now open is such a return
};

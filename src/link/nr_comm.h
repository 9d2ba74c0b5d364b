#pragma once
// The serial link to the TNC: port, line settings, sending in call order,
// received bytes into the terminal control, the modem-status lamps and the
// trace. When the device fails while open it keeps the chosen port and
// reopens it by itself as soon as the device is back.

#include "data_processor.h"
#include "line_settings.h"
#include "serial_transport.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>

class TnrLogFile;
class TnrSemaphore;

class TnrComm : public QObject {
    Q_OBJECT
public:
    TnrComm(std::unique_ptr<SerialTransport> transport, TnrLogFile* log, QObject* parent = nullptr);
    ~TnrComm() override;

    // Port: ordinals 0..5 are COM1..COM6.
    void SetComPort(int ordinal) { comPort_ = ordinal; }
    int GetComPort() const { return comPort_; }
    void SetActive(bool active);
    bool GetActive() const;
    // True while the device is gone and the layer waits to reopen it.
    bool IsReopening() const { return reopenTimer_.isActive(); }

    void SetBaudRate(quint32 v) { setLine(&SerialLineSettings::baudRate, v); }
    quint32 GetBaudRate() const { return line_.baudRate; }
    void SetParity(quint8 v) { setLine(&SerialLineSettings::parity, v); }
    quint8 GetParity() const { return line_.parity; }
    void SetStopBits(quint8 v) { setLine(&SerialLineSettings::stopBits, v); }
    quint8 GetStopBits() const { return line_.stopBits; }
    void SetByteSize(quint8 v) { setLine(&SerialLineSettings::byteSize, v); }
    quint8 GetByteSize() const { return line_.byteSize; }
    void SetStreamProtocol(quint8 v) { setLine(&SerialLineSettings::streamProtocol, v); }
    quint8 GetStreamProtocol() const { return line_.streamProtocol; }
    const SerialLineSettings& lineSettings() const { return line_; }

    // The line-settings dialog (modal); on return the getters show the choice.
    void ConfigDialog();

    void SetTerminalUsage(int usage);
    int GetTerminalUsage() const { return usage_; }

    // Both hand their bytes to the operating system before they return, but
    // for a line flow control holds: there they wait in order and go out
    // when it is released.
    void SendString(const QByteArray& text);
    void SendChar(quint8 c);
    // A character the caller may take back with DropRevocable as long as it
    // waits in this layer (it has not reached the operating system).
    void SendRevocableChar(quint8 c);
    qint64 DropRevocable();
    // Bulk data behind what was already sent, without blocking.
    void QueueBytes(const QByteArray& bytes);
    qint64 QueuedBytes() const { return transport_->queuedBytes(); }
    // How long what was handed over but is not yet on the line takes to go
    // out at the current baud rate (ten bits a character).
    qint64 PendingLineTimeMs() const;

    // Text the data processor held back and gives to the terminal later,
    // as if it had just been received.
    void PassToTerminal(const QByteArray& bytes);

    // Wiring done once by the main window.
    void SetTerminal(std::function<void(const QByteArray&)> writer) { terminal_ = std::move(writer); }
    void SetDataProcessor(TnrDataProcessor* processor) { processor_ = processor; }
    void SetIndicators(TnrSemaphore* cts, TnrSemaphore* dsr);
    void SetPortResolver(std::function<QString(int ordinal)> resolver) { resolve_ = std::move(resolver); }

    SerialTransport* transport() const { return transport_.get(); }
    TnrLogFile* logFile() const { return log_; }

signals:
    // Raised after received data went to the terminal (or was held).
    void OnAfterReceive();
    // The bulk queue was handed to the operating system.
    void OnQueueDrained();

private:
    template <typename T, typename V> void setLine(T SerialLineSettings::*field, V value);
    void applyLineToOpenPort();
    void sendOne(quint8 c, bool revocable);
    void onReceived(const QByteArray& bytes);
    void onFailed(const QString& reason);
    void tryReopen();
    void pollModemLines();
    void setLamps(bool on);
    QString portLabel() const;

    std::unique_ptr<SerialTransport> transport_;
    TnrLogFile* log_;
    TnrSemaphore* cts_ = nullptr;
    TnrSemaphore* dsr_ = nullptr;
    TnrDataProcessor* processor_ = nullptr;
    std::function<void(const QByteArray&)> terminal_;
    std::function<QString(int)> resolve_;
    SerialLineSettings line_;
    int comPort_ = 0;
    int usage_ = tuReceive;
    QByteArray held_;    // received while the terminal was not in use
    QString devicePath_; // what the open port resolved to
    QTimer reopenTimer_;
    QTimer modemTimer_;
};

template <typename T, typename V> void TnrComm::setLine(T SerialLineSettings::*field, V value)
{
    line_.*field = static_cast<T>(value);
    applyLineToOpenPort();
}

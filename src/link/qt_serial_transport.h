#pragma once
// The production transport: QSerialPort opens the device, sets the line and
// delivers received bytes; writes go straight to the descriptor so that they
// reach the operating system before the call returns, even while the UI
// thread is about to block in a pause and cannot run QSerialPort's own
// event-driven writer. A line that flow control holds takes nothing: then
// writes are queued in order and go out as soon as it is released.

#include "serial_transport.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>

class QSocketNotifier;

class QtSerialTransport final : public SerialTransport {
    Q_OBJECT
public:
    explicit QtSerialTransport(QObject* parent = nullptr);
    ~QtSerialTransport() override;

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
    void onReadyRead();
    void onError(QSerialPort::SerialPortError error);
    void onWritable();
    enum class WriteOutcome { Done, Stalled, Failed };
    // Writes `data`, waiting for room as long as the line keeps moving;
    // Stalled once it took nothing for `stallMs`.
    WriteOutcome writeNow(const char* data, qint64 size, qint64 stallMs, qint64* written, QString* reason);
    qint64 stallMs() const;
    qint64 lineTimeMs(qint64 bytes) const;
    QString refusedOpenReason(const QString& device) const;
    void drainOutput();
    bool writeMarked(const QByteArray& bytes, bool revocable, QString* reason);
    void enqueue(const QByteArray& bytes, bool revocable);
    void dequeue(qint64 count);
    void clearQueue();
    // Bytes handed to the device go out at the set baud rate from whenever
    // the line is free: the estimate a pseudo-terminal or a bridge needs,
    // since they report nothing waiting while they hold kilobytes.
    void noteHandedOver(qint64 count);
    qint64 estimatedInDevice() const;
    void fail(const QString& reason);

    QSerialPort port_;
    QSocketNotifier* writeNotifier_ = nullptr;
    QByteArray queue_;
    QByteArray revocable_; // one flag per byte of queue_: 1 where the sender may take it back
    QElapsedTimer lineClock_;
    qint64 lineFreeAtUs_ = 0; // on lineClock_: when what the device holds is on the line
    SerialLineSettings settings_;
    bool failing_ = false;
    bool held_ = false;             // flow control holds the line; writes are queued
    bool framingNoteGiven_ = false; // the pseudo-terminal note, once per opening
};

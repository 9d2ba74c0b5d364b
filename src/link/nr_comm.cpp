#include "nr_comm.h"

#include "line_settings_editor.h"
#include "nr_log_file.h"
#include "nr_semaphore.h"

namespace {
constexpr int ReopenIntervalMs = 500;
constexpr int ModemPollMs = 250;
} // namespace

TnrComm::TnrComm(std::unique_ptr<SerialTransport> transport, TnrLogFile* log, QObject* parent)
    : QObject(parent)
    , transport_(std::move(transport))
    , log_(log)
{
    connect(transport_.get(), &SerialTransport::received, this, &TnrComm::onReceived);
    connect(transport_.get(), &SerialTransport::failed, this, &TnrComm::onFailed);
    connect(transport_.get(), &SerialTransport::queueDrained, this, &TnrComm::OnQueueDrained);
    connect(transport_.get(), &SerialTransport::lineHeld, this, [this](qint64 queued) {
        log_->Log(QStringLiteral("%1: held, %2 bytes queued").arg(portLabel()).arg(queued));
    });
    connect(transport_.get(), &SerialTransport::lineReleased, this,
            [this] { log_->Log(QStringLiteral("%1: released").arg(portLabel())); });
    connect(transport_.get(), &SerialTransport::note, this,
            [this](const QString& text) { log_->Log(QStringLiteral("%1: %2").arg(portLabel(), text)); });
    reopenTimer_.setInterval(ReopenIntervalMs);
    connect(&reopenTimer_, &QTimer::timeout, this, &TnrComm::tryReopen);
    modemTimer_.setInterval(ModemPollMs);
    connect(&modemTimer_, &QTimer::timeout, this, &TnrComm::pollModemLines);
}

TnrComm::~TnrComm()
{
    reopenTimer_.stop();
    modemTimer_.stop();
    transport_->close();
}

QString TnrComm::portLabel() const
{
    const QString path = devicePath_.isEmpty() && resolve_ ? resolve_(comPort_) : devicePath_;
    return QStringLiteral("COM%1 (%2)").arg(comPort_ + 1).arg(path);
}

void TnrComm::SetIndicators(TnrSemaphore* cts, TnrSemaphore* dsr)
{
    cts_ = cts;
    dsr_ = dsr;
}

void TnrComm::setLamps(bool on)
{
    if (cts_)
        cts_->SetChecked(on);
    if (dsr_)
        dsr_->SetChecked(on);
}

void TnrComm::SetActive(bool active)
{
    reopenTimer_.stop();
    modemTimer_.stop();
    if (!active) {
        if (transport_->isOpen()) {
            transport_->close();
            log_->Log(QStringLiteral("%1 closed").arg(portLabel()));
        }
        devicePath_.clear();
        return;
    }
    if (transport_->isOpen())
        transport_->close();
    devicePath_ = resolve_ ? resolve_(comPort_) : QString();
    QString reason;
    if (!transport_->open(devicePath_, line_, &reason)) {
        log_->Log(QStringLiteral("%1: cannot open: %2").arg(portLabel(), reason));
        devicePath_.clear();
        return;
    }
    log_->Log(QStringLiteral("%1 open, %2").arg(portLabel(), describe(line_)));
    if (!reason.isEmpty())
        log_->Log(QStringLiteral("%1: %2").arg(portLabel(), reason));
    if (transport_->modemLines().known)
        modemTimer_.start();
}

bool TnrComm::GetActive() const
{
    return transport_->isOpen();
}

void TnrComm::applyLineToOpenPort()
{
    QString reason;
    if (transport_->isOpen()) {
        transport_->applySettings(line_, &reason);
        if (!reason.isEmpty())
            log_->Log(QStringLiteral("%1: %2").arg(portLabel(), reason));
    }
}

void TnrComm::ConfigDialog()
{
    SerialLineSettings chosen = line_;
    if (!lineSettingsEditor().editLineSettings(chosen) || chosen == line_)
        return;
    line_ = chosen;
    log_->Log(QStringLiteral("line settings: %1").arg(describe(line_)));
    applyLineToOpenPort();
}

void TnrComm::SetTerminalUsage(int usage)
{
    usage_ = usage;
    if (usage_ == tuReceive && !held_.isEmpty()) {
        const QByteArray held = std::exchange(held_, {});
        if (terminal_)
            terminal_(held);
    }
}

void TnrComm::SendString(const QByteArray& text)
{
    if (!transport_->isOpen()) {
        log_->Log(QStringLiteral("no port open: %1 byte(s) not sent").arg(text.size()));
        return;
    }
    QString reason;
    if (!transport_->write(text, false, &reason))
        log_->Log(QStringLiteral("%1: write failed: %2").arg(portLabel(), reason));
}

void TnrComm::SendChar(quint8 c)
{
    sendOne(c, false);
}

void TnrComm::SendRevocableChar(quint8 c)
{
    sendOne(c, true);
}

void TnrComm::sendOne(quint8 c, bool revocable)
{
    if (!transport_->isOpen()) {
        log_->Log(QStringLiteral("no port open: character %1 not sent").arg(c));
        return;
    }
    QString reason;
    const QByteArray byte(1, static_cast<char>(c));
    const bool ok =
        revocable ? transport_->writeRevocable(byte, true, &reason) : transport_->write(byte, true, &reason);
    if (!ok)
        log_->Log(QStringLiteral("%1: write failed: %2").arg(portLabel(), reason));
}

qint64 TnrComm::DropRevocable()
{
    const qint64 dropped = transport_->isOpen() ? transport_->dropRevocable() : 0;
    if (dropped > 0)
        log_->Log(QStringLiteral("%1: %2 queued byte(s) taken back").arg(portLabel()).arg(dropped));
    return dropped;
}

qint64 TnrComm::PendingLineTimeMs() const
{
    const qint64 baud = line_.baudRate ? line_.baudRate : 9600;
    return transport_->pendingOutputBytes() * 10 * 1000 / baud;
}

void TnrComm::QueueBytes(const QByteArray& bytes)
{
    if (!transport_->isOpen()) {
        log_->Log(QStringLiteral("no port open: %1 byte(s) not sent").arg(bytes.size()));
        return;
    }
    transport_->queue(bytes);
}

void TnrComm::onReceived(const QByteArray& bytes)
{
    QByteArray forTerminal = bytes;
    if (processor_ && processor_->GetActive())
        forTerminal = processor_->ProcessReceived(bytes);
    PassToTerminal(forTerminal);
}

void TnrComm::PassToTerminal(const QByteArray& bytes)
{
    if (!bytes.isEmpty()) {
        if (usage_ == tuReceive && terminal_)
            terminal_(bytes);
        else
            held_ += bytes;
    }
    emit OnAfterReceive();
}

void TnrComm::onFailed(const QString& reason)
{
    modemTimer_.stop();
    setLamps(false);
    log_->Log(QStringLiteral("%1 lost: %2; reopening as soon as it is back").arg(portLabel(), reason));
    reopenTimer_.start();
}

void TnrComm::tryReopen()
{
    QString reason;
    if (!transport_->open(devicePath_, line_, &reason))
        return; // still gone; the loss was reported once
    reopenTimer_.stop();
    setLamps(true);
    log_->Log(QStringLiteral("%1 is back: reopened, %2").arg(portLabel(), describe(line_)));
    if (!reason.isEmpty())
        log_->Log(QStringLiteral("%1: %2").arg(portLabel(), reason));
    if (transport_->modemLines().known)
        modemTimer_.start();
}

void TnrComm::pollModemLines()
{
    const ModemLines lines = transport_->modemLines();
    if (!lines.known)
        return;
    if (cts_)
        cts_->SetChecked(lines.cts);
    if (dsr_)
        dsr_->SetChecked(lines.dsr);
}

#include "nr_zmodem.h"

#include "link/nr_comm.h"
#include "link/nr_log_file.h"

#include <QFile>
#include <QFileInfo>
#include <QProgressBar>

namespace zm = quillmar::zmodem;

namespace {

constexpr int TickMs = 100;

QString fromPath(const std::string& path)
{
    return QFile::decodeName(QByteArray::fromStdString(path));
}

std::string toPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

TnrZModem::TnrZModem(TnrComm* comm, TnrLogFile* log, QObject* parent)
    : QObject(parent)
    , comm_(comm)
    , log_(log)
    , engine_(*this, files_, *this, zm::Config{})
{
    elapsed_.start();
    clock_ = [this] { return quint64(elapsed_.elapsed()); };
    engine_.tick(clock_());
    tick_.setInterval(TickMs);
    connect(&tick_, &QTimer::timeout, this, &TnrZModem::Tick);
    // More room on the line: hand the engine's next bytes over.
    connect(comm_, &TnrComm::OnQueueDrained, this, &TnrZModem::pump);
}

TnrZModem::~TnrZModem() = default;

void TnrZModem::Send(const QString& fileName)
{
    // Into a running session nothing is started, and its events stay its own.
    if (engine_.transferring()) {
        log_->Log(QStringLiteral("ZModem: %1 not sent: a transfer is already running")
                      .arg(QFileInfo(fileName).fileName()));
        return;
    }
    currentFile_ = QFileInfo(fileName).fileName();
    // Refused before the engine starts: each would only grind through the
    // time-outs and the error limit with nothing to show for it.
    if (!comm_->GetActive())
        return refuse(QStringLiteral("no port is open"));
    if (comm_->GetByteSize() < 8)
        return refuse(QStringLiteral("the line carries %1 data bits; ZModem needs 8 "
                                     "(Options > Comms Interface Setup)")
                          .arg(comm_->GetByteSize()));
    engine_.tick(clock_());
    if (engine_.send({toPath(fileName)}))
        currentFile_ = fromPath(engine_.currentFileName());
    pump();
    keepTicking();
}

void TnrZModem::refuse(const QString& reason)
{
    log_->Log(QStringLiteral("ZModem: %1: %2").arg(currentFile_, reason));
    raiseLater(&TnrZModem::OnAbort, currentFile_);
    // No session began, so none will end: the controls still hear that
    // nothing runs, or Break would stay lit for a transfer that never was.
    raiseLater(&TnrZModem::OnTransferEnded, QString());
}

void TnrZModem::Abort()
{
    if (!engine_.transferring())
        return;
    engine_.abort("cancelled by the operator");
    passReleasedText();
    pump();
}

void TnrZModem::SetDefaultPath(const QString& directory)
{
    zm::Config config = engine_.config();
    config.receiveDirectory = toPath(directory);
    engine_.setConfig(config);
}

QString TnrZModem::GetDefaultPath() const
{
    return fromPath(engine_.config().receiveDirectory);
}

void TnrZModem::SetActive(bool active)
{
    engine_.setActive(active);
    passReleasedText();
    pump();
}

void TnrZModem::updateConfig(void (*change)(zm::Config&, int), int value)
{
    zm::Config config = engine_.config();
    change(config, value);
    engine_.setConfig(config);
}

void TnrZModem::SetErrorLimit(int limit)
{
    updateConfig([](zm::Config& c, int v) { c.errorLimit = v; }, limit);
}

void TnrZModem::SetTimeOut(int ms)
{
    updateConfig([](zm::Config& c, int v) { c.timeoutMs = std::uint64_t(v); }, ms);
}

void TnrZModem::SetTimeOutRetries(int retries)
{
    updateConfig([](zm::Config& c, int v) { c.timeoutRetries = v; }, retries);
}

QByteArray TnrZModem::ProcessReceived(const QByteArray& bytes)
{
    std::vector<std::uint8_t> terminal;
    terminal.reserve(size_t(bytes.size()));
    // The timer rests while idle: a start heard now must be timed from now.
    engine_.tick(clock_());
    engine_.feed(reinterpret_cast<const std::uint8_t*>(bytes.constData()), size_t(bytes.size()), terminal);
    pump();
    keepTicking();
    return QByteArray(reinterpret_cast<const char*>(terminal.data()), qsizetype(terminal.size()));
}

void TnrZModem::pump()
{
    // With the port gone (closed, or a device lost mid-transfer) nothing is
    // handed over; the engine's time-outs then end the transfer.
    if (!engine_.hasOutput() || !comm_->GetActive())
        return;
    // Keep about a quarter second of line time queued: enough to stream, and
    // little enough that an abort or a restart request is not stuck behind it.
    const qint64 budget = qMax<qint64>(512, comm_->GetBaudRate() / 40);
    const qint64 room = budget - comm_->QueuedBytes();
    if (room > 0)
        engine_.pump(size_t(room));
}

void TnrZModem::ReleaseHeldText()
{
    engine_.releaseHeldText();
    passReleasedText();
}

void TnrZModem::Tick()
{
    engine_.tick(clock_());
    passReleasedText();
    pump();
    if (!engine_.transferring() && !engine_.hasOutput())
        tick_.stop();
}

void TnrZModem::passReleasedText()
{
    const std::vector<std::uint8_t> text = engine_.takeReleasedText();
    if (!text.empty())
        comm_->PassToTerminal(QByteArray(reinterpret_cast<const char*>(text.data()), qsizetype(text.size())));
}

void TnrZModem::keepTicking()
{
    if ((engine_.transferring() || engine_.hasOutput()) && !tick_.isActive())
        tick_.start();
}

void TnrZModem::write(const std::uint8_t* data, std::size_t size)
{
    comm_->QueueBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
}

void TnrZModem::raiseLater(void (TnrZModem::*event)(), const QString& file)
{
    QMetaObject::invokeMethod(
        this,
        [this, event, file] {
            currentFile_ = file;
            emit(this->*event)();
        },
        Qt::QueuedConnection);
}

void TnrZModem::transferStarting(zm::Direction direction)
{
    refusedByFarEnd_ = declinedOffer_ = false;
    if (progress_)
        progress_->setValue(0);
    if (direction == zm::Direction::Receive) {
        log_->Log(QStringLiteral("ZModem: a remote station is starting a transfer"));
        raiseLater(&TnrZModem::OnReceiveStarted, QString());
    }
}

bool TnrZModem::fileOffered(const std::string& name, std::uint64_t)
{
    raiseLater(&TnrZModem::OnBeforeReceived, fromPath(name));
    return true;
}

void TnrZModem::fileReceived(const std::string& path)
{
    log_->Log(QStringLiteral("ZModem: received %1").arg(fromPath(path)));
    raiseLater(&TnrZModem::OnAfterFileReceived, QFileInfo(fromPath(path)).fileName());
}

void TnrZModem::fileSent(const std::string& path)
{
    raiseLater(&TnrZModem::OnAfterFileSent, QFileInfo(fromPath(path)).fileName());
}

void TnrZModem::fileRefused(const std::string& path)
{
    refusedByFarEnd_ = true;
    log_->Log(QStringLiteral("ZModem: the far end refused %1").arg(QFileInfo(fromPath(path)).fileName()));
}

void TnrZModem::offerDeclined(const std::string& name, const std::string& reason)
{
    declinedOffer_ = true;
    log_->Log(QStringLiteral("ZModem: refused %1: %2").arg(fromPath(name), fromPath(reason)));
}

void TnrZModem::notice(const std::string& line)
{
    log_->Log(QStringLiteral("ZModem: %1").arg(fromPath(line)));
}

void TnrZModem::strayStartEnded()
{
    log_->Log(QStringLiteral("ZModem: no transfer followed the start heard on the line; "
                             "the text held meanwhile is on the receive screen"));
    raiseLater(&TnrZModem::OnTransferEnded, QString());
}

// A session whose file the far end refused did not send it: it ends as an
// abort does. One in which we turned a file down ended cleanly but brought
// nothing in, which its status line has said.
void TnrZModem::finished()
{
    if (refusedByFarEnd_)
        raiseLater(&TnrZModem::OnAbort, currentFile_);
    else if (!declinedOffer_)
        raiseLater(&TnrZModem::OnSuccessfulEnd, currentFile_);
    raiseLater(&TnrZModem::OnTransferEnded, currentFile_);
}

void TnrZModem::aborted(const std::string& reason)
{
    log_->Log(QStringLiteral("ZModem: transfer aborted: %1").arg(QString::fromStdString(reason)));
    raiseLater(&TnrZModem::OnAbort, currentFile_);
    raiseLater(&TnrZModem::OnTransferEnded, currentFile_);
}

void TnrZModem::progress(std::uint64_t done, std::uint64_t total)
{
    if (progress_)
        progress_->setValue(total ? int(done * 100 / total) : 100);
}

void TnrZModem::trace(const std::string& line)
{
    log_->Log(QStringLiteral("ZModem: %1").arg(QString::fromStdString(line)));
}

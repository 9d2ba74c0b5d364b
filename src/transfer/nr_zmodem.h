#pragma once
// The ZModem component on the serial link: sends files on request and takes
// over whenever the remote station starts a send while it is active. It sits
// between the link and the receive screen as the link's data processor: the
// engine sees every received byte at once; outside a transfer every byte
// goes on to the screen, during one none does. A start heard on the line
// that no valid frame follows (another station's transfer, heard while
// monitoring) ends by itself, and the text it held goes to the screen.
//
// The time-out values are the engine's: SetTimeOut is the shortest wait in
// ms before a silent other side is asked again (three learned round trips
// when longer, doubling while unanswered), SetTimeOutRetries the rounds of
// 30 such time-outs before giving up; with the window's 2000 and 3 a
// transfer rides out three minutes of silence.

#include "link/data_processor.h"
#include "transfer/zmodem/disk_file_store.h"
#include "transfer/zmodem/engine.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <functional>

class QProgressBar;
class TnrComm;
class TnrLogFile;

class TnrZModem : public QObject,
                  public TnrDataProcessor,
                  private quillmar::zmodem::Listener,
                  private quillmar::zmodem::ByteSink {
    Q_OBJECT
public:
    TnrZModem(TnrComm* comm, TnrLogFile* log, QObject* parent = nullptr);
    ~TnrZModem() override;

    // Starts sending the file and returns at once; the transfer ends with
    // OnAfterFileSent and OnSuccessfulEnd, or with OnAbort (also when the far
    // end refused the file). While a transfer runs nothing is started and no
    // event follows: only a line in the trace says why.
    void Send(const QString& fileName);
    // Stops the transfer in progress; OnAbort follows.
    void Abort();
    // Where received files go; empty stands for the operator's home directory.
    void SetDefaultPath(const QString& directory);
    QString GetDefaultPath() const;
    // Inactive: no watching for remote starts; a running transfer is aborted.
    void SetActive(bool active);
    bool GetActive() const override { return engine_.active(); }
    bool GetTransferring() const { return engine_.transferring(); }
    // The file being sent, or announced by the remote station.
    QString GetCurrentFileName() const { return currentFile_; }

    void SetErrorLimit(int limit);
    void SetTimeOut(int ms);
    void SetTimeOutRetries(int retries);
    void SetProgressBar(QProgressBar* bar) { progress_ = bar; }
    // The clock the time-outs run on, in ms; tests hand in a simulated one
    // and call Tick() themselves.
    void SetClock(std::function<quint64()> clock) { clock_ = std::move(clock); }
    // Hands the receive screen now what a start heard on the line, not yet
    // confirmed, holds back, so what saves, prints, copies or logs the
    // screen has all the text that came; the start goes on waiting.
    void ReleaseHeldText();
    // Moves the transfer's time on; the component's own timer calls it every
    // 100 ms while a transfer runs.
    void Tick();

    QByteArray ProcessReceived(const QByteArray& bytes) override;

signals:
    // All raised on the UI thread after the engine's own step has finished.
    void OnBeforeReceived();
    void OnAfterFileReceived();
    void OnAfterFileSent();
    void OnSuccessfulEnd();
    void OnAbort();
    // A remote station started a transfer; no file is announced yet, and it
    // may come to nothing.
    void OnReceiveStarted();
    // The session is over, whichever way; raised after the events above.
    void OnTransferEnded();

private:
    // Listener.
    void transferStarting(quillmar::zmodem::Direction direction) override;
    bool fileOffered(const std::string& name, std::uint64_t size) override;
    void fileReceived(const std::string& path) override;
    void fileSent(const std::string& path) override;
    void fileRefused(const std::string& path) override;
    void offerDeclined(const std::string& name, const std::string& reason) override;
    void notice(const std::string& line) override;
    void strayStartEnded() override;
    void finished() override;
    void aborted(const std::string& reason) override;
    void progress(std::uint64_t done, std::uint64_t total) override;
    void trace(const std::string& line) override;
    // ByteSink.
    void write(const std::uint8_t* data, std::size_t size) override;

    void pump();
    void keepTicking();
    void passReleasedText();
    // Raises `event` once the current engine step is over, with `file` as the
    // current file name by then.
    void raiseLater(void (TnrZModem::*event)(), const QString& file);
    void refuse(const QString& reason);
    void updateConfig(void (*change)(quillmar::zmodem::Config&, int), int value);

    TnrComm* comm_;
    TnrLogFile* log_;
    quillmar::zmodem::DiskFileStore files_;
    quillmar::zmodem::Engine engine_;
    QProgressBar* progress_ = nullptr;
    QString currentFile_;
    bool refusedByFarEnd_ = false; // in this session, a file we sent was refused
    bool declinedOffer_ = false;   // in this session, we turned a file down
    QElapsedTimer elapsed_;
    std::function<quint64()> clock_;
    QTimer tick_;
};

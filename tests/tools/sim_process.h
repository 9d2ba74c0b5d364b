#pragma once
// Runs the built tnc-sim in a temporary folder and talks to it through its link, as Quillmar would.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Long enough for a busy machine; every wait ends as soon as its event happens.
constexpr int simTimeoutMs = 20000;

// Control bytes spelled out, for failure messages.
QByteArray printable(const QByteArray &bytes);

class SimProcess {
public:
    SimProcess();
    ~SimProcess();

    // Starts tnc-sim with its link and transcript in the temporary folder, plus `extra` arguments,
    // and waits for the ready line. False if it exits or stays silent instead; see error().
    bool start(const QStringList &extra = {});

    // Sends `signal` and waits for the process to end; true if it ended with exit code 0.
    bool stop(int signal);

    QString linkPath() const { return folder_.filePath(QStringLiteral("COM1")); }
    QString transcriptPath() const { return folder_.filePath(QStringLiteral("transcript.bin")); }
    QString folderPath() const { return folder_.path(); }
    QString device() const { return device_; }
    QString error() const { return error_; }
    QProcess &process() { return process_; }

private:
    QTemporaryDir folder_;
    QProcess process_;
    QString device_;
    QString error_;
};

// The client's end: the terminal device opened through the link, left in the mode tnc-sim set.
class SimClient {
public:
    ~SimClient() { close(); }

    bool open(const QString &path);
    void close();
    int fd() const { return fd_; }

    // Writes all of `bytes`, waiting (bounded) for room when the terminal is full.
    bool send(const QByteArray &bytes);

    // Reads until `text` appears after whatever earlier waits matched; false on timeout or hangup.
    bool waitFor(const QByteArray &text);

    // Reads whatever is waiting without blocking.
    void drain();

    const QByteArray &received() const { return received_; }

private:
    bool readSome(int timeoutMs);

    int fd_ = -1;
    QByteArray received_;
    qsizetype matchedUpTo_ = 0;
};

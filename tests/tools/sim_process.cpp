#include "sim_process.h"

#include <QDeadlineTimer>
#include <QDir>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

QString simProgram()
{
    QString buildDir = qEnvironmentVariable("QUILLMAR_BUILD_DIR");
    if (buildDir.isEmpty())
        buildDir = QStringLiteral(QUILLMAR_DEFAULT_BUILD_DIR);
    return QDir(buildDir).filePath(QStringLiteral("tnc-sim"));
}

int remainingMs(const QDeadlineTimer &deadline)
{
    return static_cast<int>(qMax<qint64>(0, deadline.remainingTime()));
}

} // namespace

QByteArray printable(const QByteArray &bytes)
{
    QByteArray text;
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '\r')
            text += "\\r";
        else if (c == '\n')
            text += "\\n\n";
        else if (byte < 0x20 || byte >= 0x7f)
            text += "\\x" + QByteArray::number(byte, 16).rightJustified(2, '0');
        else
            text += c;
    }
    return text;
}

SimProcess::SimProcess() = default;

SimProcess::~SimProcess()
{
    if (process_.state() != QProcess::NotRunning)
        stop(SIGKILL);
}

bool SimProcess::start(const QStringList &extra)
{
    process_.start(simProgram(), QStringList{QStringLiteral("--link"), linkPath(), QStringLiteral("--transcript"),
                                             transcriptPath()} + extra);
    const QDeadlineTimer deadline(simTimeoutMs);
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(remainingMs(deadline))) {
            process_.waitForFinished(remainingMs(deadline));
            error_ = QStringLiteral("no ready line; exit code %1, stderr: %2")
                         .arg(process_.exitCode())
                         .arg(QString::fromLocal8Bit(process_.readAllStandardError()));
            return false;
        }
    }
    const QByteArray line = process_.readLine().trimmed();
    if (!line.startsWith("ready /")) {
        error_ = QStringLiteral("unexpected first line: %1").arg(QString::fromLocal8Bit(line));
        return false;
    }
    device_ = QString::fromLocal8Bit(line.mid(6));
    return true;
}

bool SimProcess::stop(int signal)
{
    ::kill(static_cast<pid_t>(process_.processId()), signal);
    return process_.waitForFinished(simTimeoutMs) && process_.exitStatus() == QProcess::NormalExit
        && process_.exitCode() == 0;
}

bool SimClient::open(const QString &path)
{
    close();
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    received_.clear();
    matchedUpTo_ = 0;
    return fd_ >= 0;
}

void SimClient::close()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

bool SimClient::send(const QByteArray &bytes)
{
    const QDeadlineTimer deadline(simTimeoutMs);
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t count = ::write(fd_, bytes.constData() + sent, static_cast<size_t>(bytes.size() - sent));
        if (count > 0) {
            sent += count;
            continue;
        }
        if (count < 0 && errno != EAGAIN && errno != EINTR)
            return false;
        pollfd room{fd_, POLLOUT, 0};
        if (::poll(&room, 1, remainingMs(deadline)) <= 0)
            return false;
    }
    return true;
}

bool SimClient::readSome(int timeoutMs)
{
    pollfd ready{fd_, POLLIN, 0};
    if (::poll(&ready, 1, timeoutMs) <= 0 || !(ready.revents & POLLIN))
        return false;
    char buffer[4096];
    const ssize_t count = ::read(fd_, buffer, sizeof buffer);
    if (count <= 0)
        return false;
    received_.append(buffer, count);
    return true;
}

bool SimClient::waitFor(const QByteArray &text)
{
    const QDeadlineTimer deadline(simTimeoutMs);
    for (;;) {
        const qsizetype at = received_.indexOf(text, matchedUpTo_);
        if (at >= 0) {
            matchedUpTo_ = at + text.size();
            return true;
        }
        if (!readSome(remainingMs(deadline)))
            return false;
    }
}

void SimClient::drain()
{
    while (readSome(0)) {
    }
}

#include "tnc_sim.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>

#include <csignal>

namespace {

QString simProgram()
{
    return QDir(qEnvironmentVariable("QUILLMAR_BUILD_DIR")).filePath(QStringLiteral("tnc-sim"));
}

} // namespace

TncSim::TncSim(const QString& link, const QString& transcript)
    : link_(link)
    , transcript_(transcript)
{
}

TncSim::~TncSim()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(kSimWaitMs);
    }
}

bool TncSim::start(const QStringList& extra)
{
    QStringList args{QStringLiteral("--link"), link_};
    if (!transcript_.isEmpty())
        args << QStringLiteral("--transcript") << transcript_;
    process_.start(simProgram(), args + extra);
    const QDeadlineTimer deadline(kSimWaitMs);
    while (!process_.canReadLine()) {
        if (!process_.waitForReadyRead(int(qMax<qint64>(0, deadline.remainingTime())))) {
            error_ = QStringLiteral("tnc-sim gave no ready line: %1")
                         .arg(QString::fromLocal8Bit(process_.readAllStandardError()));
            return false;
        }
    }
    const QByteArray line = process_.readLine();
    if (!line.startsWith("ready ")) {
        error_ = QStringLiteral("tnc-sim said: %1").arg(QString::fromLocal8Bit(line));
        return false;
    }
    return true;
}

bool TncSim::stop()
{
    ::kill(pid_t(process_.processId()), SIGTERM);
    return process_.waitForFinished(kSimWaitMs) && process_.exitStatus() == QProcess::NormalExit &&
        process_.exitCode() == 0;
}

QByteArray TncSim::transcript() const
{
    QFile file(transcript_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

#pragma once
// The built quillmar program as its own process, on the offscreen platform.

#include <QDir>
#include <QProcess>
#include <QProcessEnvironment>

#include <csignal>

// Starts it with `home` as its program folder; waits at most `waitMs` for it to start. Its standard
// error goes to the test's own unless the test reads it (SeparateChannels).
inline bool startQuillmar(QProcess& quillmar, const QString& home, int waitMs,
                          QProcess::ProcessChannelMode channels = QProcess::ForwardedErrorChannel)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLMAR_HOME"), home);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    quillmar.setProcessEnvironment(env);
    quillmar.setProcessChannelMode(channels);
    quillmar.start(QDir(qEnvironmentVariable("QUILLMAR_BUILD_DIR")).filePath(QStringLiteral("quillmar")), {});
    return quillmar.waitForStarted(waitMs);
}

// Ends it as a desktop session does (SIGTERM); true when it then exits 0 on its own.
inline bool terminateQuillmar(QProcess& quillmar, int waitMs)
{
    ::kill(pid_t(quillmar.processId()), SIGTERM);
    return quillmar.waitForFinished(waitMs) && quillmar.exitStatus() == QProcess::NormalExit &&
        quillmar.exitCode() == 0;
}

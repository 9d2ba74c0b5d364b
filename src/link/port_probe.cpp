#include "port_probe.h"

#include "device_lock.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString explainOpenError(int err)
{
    QString text = QString::fromLocal8Bit(std::strerror(err));
    if (err == EACCES || err == EPERM)
        text += QStringLiteral(" (the user must be in the 'dialout' group: sudo usermod -aG dialout $USER, "
                               "then log in again)");
    return text;
}

ProbeResult probeSerialDevice(const QString& device)
{
    ProbeResult result;
    // No O_CREAT, no O_TRUNC: a missing device must fail here, not turn into
    // an ordinary file that a later port lookup would prefer.
    const QByteArray path = QFile::encodeName(device);
    const int fd = ::open(path.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    result.handle = fd;
    if (fd < 0) {
        result.outcome = ProbeResult::OpenFailed;
        result.reason = errno == EBUSY ? inUseReason() : explainOpenError(errno);
        return result;
    }
    // Held by someone else: locked on another descriptor (whatever name it
    // was opened by), or announced by a lock file.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0 || lockedByLockFile(resolvedDevicePath(device))) {
        result.outcome = ProbeResult::OpenFailed;
        result.reason = inUseReason();
        ::close(fd);
        return result;
    }
    if (::tcgetattr(fd, &result.state) != 0) {
        result.outcome = ProbeResult::StateFailed;
        result.reason =
            QStringLiteral("not a serial device: %1").arg(QString::fromLocal8Bit(std::strerror(errno)));
    } else {
        result.outcome = ProbeResult::Ok;
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return result;
}

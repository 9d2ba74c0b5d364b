#include "device_lock.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <csignal>

QString inUseReason()
{
    return QStringLiteral("in use by another program");
}

QString resolvedDevicePath(const QString& device)
{
    const QString real = QFileInfo(device).canonicalFilePath();
    return real.isEmpty() ? device : real;
}

QStringList deviceLockFilePaths(const QString& realDevice)
{
    QString name = realDevice;
    if (name.startsWith(QLatin1String("/dev/")))
        name.remove(0, 5);
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    name.prepend(QLatin1String("LCK.."));
    QStringList folders{QStringLiteral("/var/lock"),
                        QStringLiteral("/run/lock"),
                        QStringLiteral("/var/spool/locks"),
                        QStringLiteral("/var/spool/uucp"),
                        QStringLiteral("/etc/locks"),
                        QStringLiteral("/var/lock/lockdev"),
                        QStringLiteral("/tmp"),
                        QStringLiteral("/var/tmp")};
    const QString temp = QStandardPaths::writableLocation(QStandardPaths::TempLocation);
    if (!temp.isEmpty() && !folders.contains(temp))
        folders << temp;
    QStringList paths;
    for (const QString& folder : folders)
        paths << QDir(folder).filePath(name);
    return paths;
}

bool lockedByLockFile(const QString& realDevice)
{
    for (const QString& path : deviceLockFilePaths(realDevice)) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        // The first line holds the owner's process id, in text (padded
        // with spaces by some programs).
        bool ok = false;
        const qint64 pid = file.readLine(64).trimmed().toLongLong(&ok);
        if (!ok || pid <= 0)
            continue;
        if (::kill(pid_t(pid), 0) == 0 || errno == EPERM)
            return true;
    }
    return false;
}

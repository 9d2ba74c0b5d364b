#include "program_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString programFolderPath()
{
    QString folder = qEnvironmentVariable("QUILLMAR_HOME");
    if (folder.isEmpty())
        folder = QDir::home().filePath(QStringLiteral(".quillmar"));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

QString installedDataFolder()
{
    const QString bin = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalPath();
    return QDir::cleanPath(bin + QStringLiteral("/../share/quillmar")) + QLatin1Char('/');
}

QString chooseDataFile(const QString& name, const QString& programFolder, const QString& installedFolder)
{
    const QString own = programFolder + name;
    if (QFileInfo::exists(own))
        return own;
    const QString installed = installedFolder + name;
    return QFileInfo::exists(installed) ? installed : own;
}

QString programDataFile(const QString& name)
{
    return chooseDataFile(name, programFolderPath(), installedDataFolder());
}

bool holdProgramFolder(const QString& folder)
{
    // Held for the whole process; a process that moves to another folder
    // (a test's fresh start) lets the old one go.
    static QString heldFolder;
    static int heldFd = -1;
    if (heldFd >= 0 && heldFolder == folder)
        return true;
    const QByteArray path = QFile::encodeName(folder + QStringLiteral("Quillmar.lock"));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return true;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool taken = errno == EWOULDBLOCK;
        ::close(fd);
        return !taken;
    }
    if (heldFd >= 0)
        ::close(heldFd);
    heldFd = fd;
    heldFolder = folder;
    return true;
}

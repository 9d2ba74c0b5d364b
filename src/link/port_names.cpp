#include "port_names.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>

QString resolveComPort(const QString& programFolder, int portNumber)
{
    const QString own = QDir(programFolder).filePath(QStringLiteral("COM%1").arg(portNumber));
    struct stat st;
    if (::lstat(QFile::encodeName(own).constData(), &st) == 0)
        return own;
    return QStringLiteral("/dev/ttyS%1").arg(portNumber - 1);
}

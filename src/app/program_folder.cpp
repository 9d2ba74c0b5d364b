#include "program_folder.h"

#include <QDir>
#include <QFileInfo>

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

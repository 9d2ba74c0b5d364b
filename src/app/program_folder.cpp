#include "program_folder.h"

#include <QDir>

QString programFolderPath()
{
    QString folder = qEnvironmentVariable("QUILLMAR_HOME");
    if (folder.isEmpty())
        folder = QDir::home().filePath(QStringLiteral(".quillmar"));
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}

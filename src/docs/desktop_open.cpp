#include "desktop_open.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QProcess>
#include <QSet>

namespace {

QStringList envFolders(const char* name, const QString& fallback)
{
    QString value = qEnvironmentVariable(name);
    if (value.isEmpty()) // unset and empty both mean the default
        value = fallback;
    QStringList folders;
    for (const QString& f : value.split(QLatin1Char(':'), Qt::SkipEmptyParts))
        folders << QDir::cleanPath(f);
    return folders;
}

// The lines "type=a.desktop;b.desktop;" of one section of a desktop entry style file.
QStringList entriesFor(const QString& path, const QString& section, const QString& type)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    const QString header = QLatin1Char('[') + section + QLatin1Char(']');
    bool inSection = false;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        if (line.startsWith(QLatin1Char('['))) {
            inSection = line == header;
            continue;
        }
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (inSection && eq > 0 && line.left(eq).trimmed() == type)
            return line.mid(eq + 1).split(QLatin1Char(';'), Qt::SkipEmptyParts);
    }
    return {};
}

// A desktop file id "vendor-app.desktop" may also live as vendor/app.desktop.
bool isInstalled(const QString& id, const XdgFolders& folders)
{
    for (const QString& apps : folders.applications) {
        if (QFileInfo::exists(apps + QLatin1Char('/') + id))
            return true;
        QString nested = id;
        for (qsizetype dash = nested.indexOf(QLatin1Char('-')); dash > 0;
             dash = nested.indexOf(QLatin1Char('-'), dash + 1)) {
            nested[dash] = QLatin1Char('/');
            if (QFileInfo::exists(apps + QLatin1Char('/') + nested))
                return true;
        }
    }
    return false;
}

QStringList mimeappsLists(const XdgFolders& folders)
{
    QStringList lists;
    for (const QString& c : folders.config)
        lists << c + QStringLiteral("/mimeapps.list");
    for (const QString& a : folders.applications)
        lists << a + QStringLiteral("/mimeapps.list");
    return lists;
}

bool associatedWith(const QString& type, const XdgFolders& folders)
{
    // A removal in a more important list hides what less important lists
    // and the caches say.
    QSet<QString> removed;
    auto usable = [&](const QStringList& ids) {
        for (const QString& id : ids)
            if (!removed.contains(id) && isInstalled(id, folders))
                return true;
        return false;
    };
    for (const QString& list : mimeappsLists(folders)) {
        if (usable(entriesFor(list, QStringLiteral("Default Applications"), type)) ||
            usable(entriesFor(list, QStringLiteral("Added Associations"), type)))
            return true;
        for (const QString& id : entriesFor(list, QStringLiteral("Removed Associations"), type))
            removed.insert(id);
    }
    for (const QString& apps : folders.applications)
        if (usable(entriesFor(apps + QStringLiteral("/defaults.list"), QStringLiteral("Default Applications"),
                              type)) ||
            usable(entriesFor(apps + QStringLiteral("/mimeinfo.cache"), QStringLiteral("MIME Cache"), type)))
            return true;
    return false;
}

} // namespace

XdgFolders XdgFolders::fromEnvironment()
{
    const QString home = QDir::homePath();
    XdgFolders f;
    f.config = envFolders("XDG_CONFIG_HOME", home + QStringLiteral("/.config")) +
        envFolders("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg"));
    const QStringList data = envFolders("XDG_DATA_HOME", home + QStringLiteral("/.local/share")) +
        envFolders("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
    for (const QString& d : data)
        f.applications << d + QStringLiteral("/applications");
    return f;
}

bool hasAssociatedApplication(const QStringList& mimeTypes, const XdgFolders& folders)
{
    for (const QString& type : mimeTypes)
        if (associatedWith(type, folders))
            return true;
    return false;
}

QStringList mimeTypesOf(const QString& path)
{
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path);
    if (!type.isValid())
        return {};
    return QStringList{type.name()} + type.aliases();
}

bool openWithAssociatedApplication(const QString& path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    if (!hasAssociatedApplication(mimeTypesOf(path), XdgFolders::fromEnvironment()))
        return false;
    return QProcess::startDetached(QStringLiteral("xdg-open"), {path});
}

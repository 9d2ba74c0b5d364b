#pragma once
// Handing a file to the application the desktop associates with its type,
// without waiting for that application. Before anything is started the
// desktop's association files are asked whether such an application exists
// at all: `xdg-open` would otherwise fall back to a web browser or fail
// after we have let go of it.

#include <QString>
#include <QStringList>

// The folders the association files live in, most important first.
struct XdgFolders {
    QStringList config;       // $XDG_CONFIG_HOME, then $XDG_CONFIG_DIRS
    QStringList applications; // <data dir>/applications for $XDG_DATA_HOME, then $XDG_DATA_DIRS

    static XdgFolders fromEnvironment();
};

// True when an installed application is associated with one of `mimeTypes`
// (a type and its aliases) through mimeapps.list, defaults.list or the
// mimeinfo.cache of the applications folders, and not removed again by a
// more important mimeapps.list.
bool hasAssociatedApplication(const QStringList& mimeTypes, const XdgFolders& folders);

// The MIME type of the file and its aliases, from the desktop's MIME database.
QStringList mimeTypesOf(const QString& path);

// Starts `xdg-open path` detached when the file exists and an application is
// associated with its type; false when it cannot be handed over.
bool openWithAssociatedApplication(const QString& path);

#pragma once
// A program run with its standard input and output on a (pseudo-)terminal link.

#include <QProcess>
#include <QStringList>

// Runs `command` in `folder` with stdin and stdout on the pty link, as one would type `cmd <B >B`.
inline void startOnLink(QProcess& process, const QString& folder, const QString& link, const QStringList& command)
{
    process.setWorkingDirectory(folder);
    process.start("/bin/sh",
                  QStringList{"-c", "link=$1; shift; exec \"$@\" <\"$link\" >\"$link\"", "sh", link} + command);
}

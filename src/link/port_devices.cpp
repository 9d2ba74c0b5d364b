#include "port_devices.h"

#include "network_address.h"
#include "port_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

QString portPath(const QString& folder, int n)
{
    return QDir(folder).filePath(QStringLiteral("COM%1").arg(n));
}

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

// Only what this window itself makes may be replaced or removed.
bool replaceable(const QFileInfo& info, QString* error)
{
    if (!info.exists() && !info.isSymLink())
        return true;
    if (info.isSymLink() || info.isFile())
        return true;
    *error = QStringLiteral("%1 is neither a link nor a port file; it is left alone").arg(info.filePath());
    return false;
}

bool removePort(const QString& path, QString* error)
{
    if (::unlink(QFile::encodeName(path).constData()) == 0 || errno == ENOENT)
        return true;
    *error = QStringLiteral("cannot remove %1: %2").arg(path, systemError());
    return false;
}

// Made beside the old one and renamed over it, so COMn is never missing.
bool linkPort(const QString& path, const QString& device, QString* error)
{
    const QByteArray temporary = QFile::encodeName(path + QStringLiteral(".new"));
    ::unlink(temporary.constData());
    if (::symlink(QFile::encodeName(device).constData(), temporary.constData()) != 0 ||
        ::rename(temporary.constData(), QFile::encodeName(path).constData()) != 0) {
        *error = QStringLiteral("cannot make the link %1: %2").arg(path, systemError());
        ::unlink(temporary.constData());
        return false;
    }
    return true;
}

bool writeUrlFile(const QString& path, const NetworkAddress& address, QString* error)
{
    // A link in the way would make the save write through it to the device.
    if (QFileInfo(path).isSymLink() && !removePort(path, error))
        return false;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(address.url().toLatin1() + '\n') < 0 || !file.commit()) {
        *error = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

QStringList detectedAdapters(const QString& devRoot)
{
    QStringList found;
    const QDir byId(QDir(devRoot).filePath(QStringLiteral("serial/by-id")));
    for (const QString& name : byId.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name))
        found << byId.filePath(name);
    const QDir dev(devRoot);
    for (const char* pattern : {"ttyUSB*", "ttyACM*"})
        for (const QString& name :
             dev.entryList({QLatin1String(pattern)}, QDir::System | QDir::Files, QDir::Name | QDir::LocaleAware))
            found << dev.filePath(name);
    return found;
}

QString describePort(const QString& folder, int portNumber)
{
    const QString path = portPath(folder, portNumber);
    const QFileInfo info(path);
    if (info.isSymLink())
        return QStringLiteral("%1%2").arg(info.symLinkTarget(),
                                          info.exists() ? QString() : QStringLiteral(" (not present now)"));
    const PortTarget target = readPortTarget(path);
    switch (target.kind) {
    case PortTarget::Network: return target.address.url();
    case PortTarget::BadFile: return QStringLiteral("unusable file: %1").arg(target.problem);
    case PortTarget::Device: break;
    }
    return info.exists() ? path : QStringLiteral("%1 (nothing set)").arg(resolveComPort(folder, portNumber));
}

bool assignPort(const QString& folder, int portNumber, const QString& choice, QString* error)
{
    const QString path = portPath(folder, portNumber);
    const QString text = choice.trimmed();
    if (!replaceable(QFileInfo(path), error))
        return false;
    if (text.isEmpty())
        return removePort(path, error);
    if (isNetworkUrl(text)) {
        QString problem;
        const auto address = parseNetworkAddress(text, &problem);
        if (!address) {
            *error = QStringLiteral("%1: %2").arg(text, problem);
            return false;
        }
        return writeUrlFile(path, *address, error);
    }
    if (!text.startsWith(QLatin1Char('/'))) {
        *error = QStringLiteral("'%1': expected a device path such as /dev/ttyUSB0, or tcp://HOST:PORT or "
                                "rfc2217://HOST:PORT")
                     .arg(text);
        return false;
    }
    return linkPort(path, text, error);
}

#include "ser2net_server.h"

#include "tnc_sim.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <arpa/inet.h>
#include <csignal>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

// A port the kernel hands out as free on the loopback address.
quint16 freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    quint16 port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(address.sin_port);
    ::close(fd);
    return port;
}

} // namespace

Ser2netServer::Ser2netServer(Mode mode, const QString& device, int bufferSize)
    : mode_(mode)
    , device_(device)
    , bufferSize_(bufferSize)
    , port_(freePort())
{
    process_.setProcessChannelMode(QProcess::ForwardedChannels);
}

Ser2netServer::~Ser2netServer()
{
    if (process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(kSimWaitMs);
    }
}

QString Ser2netServer::url() const
{
    return QStringLiteral("%1://127.0.0.1:%2").arg(mode_ == Raw ? "tcp" : "rfc2217").arg(port_);
}

bool Ser2netServer::listening() const
{
    // Looked up in the kernel's table, not by connecting: a connection would
    // open the device behind it.
    const QByteArray local = QByteArray(":") + QByteArray::number(port_, 16).toUpper().rightJustified(4, '0');
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1].endsWith(local) && fields[3] == "0A")
            return true;
    }
    return false;
}

bool Ser2netServer::start()
{
    const QString config = dir_.filePath(QStringLiteral("ser2net.yaml"));
    QFile file(config);
    const QString accepter = mode_ == Raw ? QStringLiteral("tcp,127.0.0.1,%1")
                                          : QStringLiteral("telnet(rfc2217),tcp,127.0.0.1,%1");
    if (!port_ || !file.open(QIODevice::WriteOnly) ||
        file.write(QStringLiteral("connection: &tnc\n"
                                  "  accepter: %1\n"
                                  "  connector: serialdev,%2,9600n81,local\n")
                       .arg(accepter.arg(port_), device_)
                       .toUtf8() +
                   (bufferSize_
                        ? QStringLiteral("  options:\n    dev-to-net-bufsize: %1\n").arg(bufferSize_).toUtf8()
                        : QByteArray())) < 0) {
        error_ = QStringLiteral("cannot write %1").arg(config);
        return false;
    }
    file.close();
    // -n: stay in the foreground; -u: no UUCP lock files left behind by a kill.
    process_.start(QStringLiteral("ser2net"),
                   {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-P"),
                    dir_.filePath(QStringLiteral("ser2net.pid")), QStringLiteral("-c"), config});
    if (!process_.waitForStarted(kSimWaitMs)) {
        error_ = QStringLiteral("ser2net did not start: %1 (the test script installs it)")
                     .arg(process_.errorString());
        return false;
    }
    if (!QTest::qWaitFor([this] { return listening() || process_.state() == QProcess::NotRunning; },
                         kSimWaitMs) ||
        process_.state() == QProcess::NotRunning) {
        error_ = QStringLiteral("ser2net does not listen on port %1").arg(port_);
        return false;
    }
    return true;
}

bool Ser2netServer::holdsDevice() const
{
    const QString device = QFileInfo(device_).canonicalFilePath();
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(process_.processId()));
    for (const QString& fd : fds.entryList(QDir::Files | QDir::System))
        if (QFileInfo(fds.filePath(fd)).symLinkTarget() == device)
            return true;
    return false;
}

bool Ser2netServer::stop()
{
    ::kill(pid_t(process_.processId()), SIGTERM);
    return process_.waitForFinished(kSimWaitMs);
}

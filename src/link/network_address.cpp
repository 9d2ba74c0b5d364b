#include "network_address.h"

#include <QFile>
#include <QFileInfo>
#include <QHostAddress>

namespace {

const QString kExpected = QStringLiteral("tcp://HOST:PORT or rfc2217://HOST:PORT");

bool validHostName(const QString& host)
{
    if (host.isEmpty() || host.size() > 253)
        return false;
    for (QChar c : host)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'-' && c != u'.' && c != u'_')
            return false;
    return true;
}

} // namespace

QString NetworkAddress::url() const
{
    const QString h = host.contains(u':') ? QStringLiteral("[%1]").arg(host) : host;
    return QStringLiteral("%1://%2:%3")
        .arg(mode == Raw ? QStringLiteral("tcp") : QStringLiteral("rfc2217"), h)
        .arg(port);
}

std::optional<NetworkAddress> parseNetworkAddress(const QString& text, QString* error)
{
    NetworkAddress address;
    QString rest = text.trimmed();
    if (rest.startsWith(QStringLiteral("tcp://"), Qt::CaseInsensitive)) {
        rest = rest.mid(6);
    } else if (rest.startsWith(QStringLiteral("rfc2217://"), Qt::CaseInsensitive)) {
        address.mode = NetworkAddress::Rfc2217;
        rest = rest.mid(10);
    } else {
        *error = QStringLiteral("expected %1").arg(kExpected);
        return std::nullopt;
    }
    qsizetype colon;
    if (rest.startsWith(u'[')) {
        const qsizetype close = rest.indexOf(u']');
        address.host = rest.mid(1, close - 1);
        QHostAddress v6;
        if (close < 0 || !v6.setAddress(address.host) || v6.protocol() != QAbstractSocket::IPv6Protocol) {
            *error = QStringLiteral("'%1' is no IPv6 address in brackets").arg(rest.left(close + 1));
            return std::nullopt;
        }
        colon = close + 1;
        if (colon >= rest.size() || rest[colon] != u':')
            colon = -1;
    } else {
        colon = rest.lastIndexOf(u':');
        address.host = colon < 0 ? rest : rest.left(colon);
        if (!validHostName(address.host)) {
            *error = QStringLiteral("'%1' is no host name or IPv4 address (an IPv6 address goes in brackets)")
                         .arg(address.host);
            return std::nullopt;
        }
    }
    bool ok = false;
    const uint port = colon < 0 ? 0 : rest.mid(colon + 1).toUInt(&ok);
    if (!ok || port == 0 || port > 65535) {
        *error = QStringLiteral("no port number from 1 to 65535 after the host (%1)").arg(kExpected);
        return std::nullopt;
    }
    address.port = static_cast<quint16>(port);
    return address;
}

PortTarget readPortTarget(const QString& path)
{
    PortTarget target;
    const QFileInfo info(path);
    if (info.isSymLink() || !info.isFile())
        return target;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        target.kind = PortTarget::BadFile;
        target.problem = QStringLiteral("%1: cannot read it: %2").arg(path, file.errorString());
        return target;
    }
    const QString line = QString::fromLatin1(file.readLine(1024)).trimmed();
    QString error;
    if (const auto address = parseNetworkAddress(line, &error)) {
        target.kind = PortTarget::Network;
        target.address = *address;
    } else {
        target.kind = PortTarget::BadFile;
        target.problem = QStringLiteral("%1 holds '%2': %3").arg(path, line.left(80), error);
    }
    return target;
}

bool isNetworkUrl(const QString& device)
{
    return device.startsWith(QStringLiteral("tcp://"), Qt::CaseInsensitive) ||
        device.startsWith(QStringLiteral("rfc2217://"), Qt::CaseInsensitive);
}

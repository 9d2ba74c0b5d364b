#pragma once
// A network port: a serial server reached as tcp://HOST:PORT (raw bytes) or
// rfc2217://HOST:PORT (telnet with the COM port control option), named by the
// first line of a small text file where a device link would otherwise be.

#include <QString>

#include <optional>

struct NetworkAddress {
    enum Mode { Raw, Rfc2217 };
    Mode mode = Raw;
    QString host; // a name or an address, IPv6 without its brackets
    quint16 port = 0;

    QString url() const;
    bool operator==(const NetworkAddress&) const = default;
};

// Parses one URL; on failure `error` says what was wrong.
std::optional<NetworkAddress> parseNetworkAddress(const QString& text, QString* error);

// What a port path names: a device (link, device node, or nothing there) or,
// where it is an ordinary file, the network address on its first line.
struct PortTarget {
    enum Kind { Device, Network, BadFile };
    Kind kind = Device;
    NetworkAddress address; // Network
    QString problem;        // BadFile: the file and what was expected
};
PortTarget readPortTarget(const QString& path);

// A URL held as the device name inside the serial layer.
bool isNetworkUrl(const QString& device);

#pragma once
// Debian's ser2net, run beside a test on 127.0.0.1 and a free port in front of
// a (pseudo-)terminal, raw or with telnet's COM port control option.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class Ser2netServer {
public:
    enum Mode { Raw, Rfc2217 };
    Ser2netServer(Mode mode, const QString& device);
    ~Ser2netServer();

    // Starts it on the same port each time and waits (bounded) until it
    // listens; false with error() otherwise.
    bool start();
    // SIGTERM, then waits for it to end.
    bool stop();

    quint16 port() const { return port_; }
    // What a port file holds to reach it.
    QString url() const;
    QString error() const { return error_; }

private:
    bool listening() const;

    Mode mode_;
    QString device_;
    quint16 port_ = 0;
    QTemporaryDir dir_;
    QProcess process_;
    QString error_;
};

#pragma once
// Debian's ser2net, run beside a test on 127.0.0.1 and a free port in front of
// a (pseudo-)terminal, raw or with telnet's COM port control option.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class Ser2netServer {
public:
    enum Mode { Raw, Rfc2217 };
    // `bufferSize`: bytes ser2net moves per read from the device to the
    // network; 0 keeps its own default (64).
    Ser2netServer(Mode mode, const QString& device, int bufferSize = 0);
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
    // It has the device open (it lets go of it a moment after its client left).
    bool holdsDevice() const;

private:
    bool listening() const;

    Mode mode_;
    QString device_;
    int bufferSize_ = 0;
    quint16 port_ = 0;
    QTemporaryDir dir_;
    QProcess process_;
    QString error_;
};

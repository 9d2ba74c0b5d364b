#pragma once
// The built tnc-sim, run beside a window test: its link where the program
// looks for COM1, its transcript of every byte it received.

#include <QProcess>
#include <QString>

class TncSim {
public:
    // `link`: where the simulator puts the link to its terminal end.
    explicit TncSim(const QString& link, const QString& transcript = QString());
    ~TncSim();

    // Starts it and waits (bounded) for its ready line; false with error() otherwise.
    bool start(const QStringList& extra = {});
    // SIGTERM, then waits for it to end; true on a clean exit 0.
    bool stop();

    QString error() const { return error_; }
    // Everything it received so far.
    QByteArray transcript() const;

private:
    QString link_;
    QString transcript_;
    QProcess process_;
    QString error_;
};

// Long enough for a busy machine; every wait ends as soon as its event happens.
constexpr int kSimWaitMs = 20000;

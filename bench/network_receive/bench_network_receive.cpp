// 8 MiB of TNC traffic into the real window, once straight from a pty and
// once from the same pty through ser2net in raw mode on the loopback, five
// runs each. The clock runs from the first byte written to the last one on
// the receive screen. Last line: "tcp_vs_pty_ratio N", the median rate
// through ser2net over the median rate from the pty.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "app/state.h"
#include "common/bench_window.h"
#include "common/tnc_traffic.h"
#include "link/nr_comm.h"
#include "link/serial_transport.h"
#include "screens/screen_memo.h"
#include "ser2net_server.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <stdlib.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr qsizetype Bytes = 8 * 1024 * 1024;

// The far end of a pty: the TNC's side, which the benchmark writes into.
struct FarEnd {
    int master = -1;
    QString device;
    FarEnd()
    {
        master = ::posix_openpt(O_RDWR | O_NOCTTY);
        ::grantpt(master);
        ::unlockpt(master);
        device = QString::fromLocal8Bit(::ptsname(master));
    }
    ~FarEnd() { ::close(master); }
};

// Runs the event loop until `done` quits `loop` or `limitMs` pass. The loop
// waits in the kernel for the next byte: a poll that slept between looks
// would let a pty's small buffer fill and stall the writer, so a pty would
// be measured far slower than a socket with its large buffers.
void runFor(QEventLoop& loop, int limitMs)
{
    QTimer limit;
    limit.setSingleShot(true);
    QObject::connect(&limit, &QTimer::timeout, &loop, &QEventLoop::quit);
    limit.start(limitMs);
    loop.exec();
}

// Bytes per second from the first write into `far` to the last byte shown.
double measure(FarEnd& far, const QByteArray& traffic)
{
    qsizetype received = 0, expected = 1;
    QEventLoop loop;
    auto counter = QObject::connect(Ferrow->nrComm1->transport(), &SerialTransport::received, &loop,
                                    [&](const QByteArray& bytes) {
                                        received += bytes.size();
                                        if (received >= expected)
                                            loop.quit();
                                    });
    // A serial server opens its device only once it took the connection, and
    // what was written before is lost: the run starts when a probe got through.
    QTimer probe;
    QObject::connect(&probe, &QTimer::timeout, [&] { (void)!::write(far.master, "\n", 1); });
    probe.start(100);
    runFor(loop, 10000);
    probe.stop();
    if (received < expected)
        return 0;
    received = 0;
    expected = traffic.size();
    QElapsedTimer clock;
    clock.start();
    std::thread writer([&] {
        for (qsizetype at = 0; at < traffic.size();) {
            const ssize_t n = ::write(far.master, traffic.constData() + at, size_t(traffic.size() - at));
            if (n > 0)
                at += n;
        }
    });
    runFor(loop, 600000);
    const bool all = received >= traffic.size();
    Ferrow->flushPendingReceive();
    QCoreApplication::processEvents();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    writer.join();
    QObject::disconnect(counter);
    Ferrow->ReceiveScreen->clear();
    return all ? double(traffic.size()) / seconds : 0;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Runs the event loop (bounded) until `done` holds.
void waitUntil(const std::function<bool()>& done)
{
    QEventLoop loop;
    QTimer look;
    QObject::connect(&look, &QTimer::timeout, &loop, [&] {
        if (done())
            loop.quit();
    });
    look.start(10);
    if (!done())
        runFor(loop, 10000);
}

void choosePort(const QString& home, const QString& target, bool link, const Ser2netServer& server)
{
    const QString com1 = home + QStringLiteral("/COM1");
    QFile::remove(com1);
    if (link) {
        QFile::link(target, com1);
    } else {
        QFile file(com1);
        file.open(QIODevice::WriteOnly);
        file.write(target.toLatin1() + '\n');
    }
    Ferrow->None1Click();
    // ser2net lets go of the device a moment after its client left; two
    // readers on the device would share its bytes.
    waitUntil([&] { return !server.holdsDevice(); });
    Ferrow->Comm11->trigger();
}

} // namespace

int main(int argc, char** argv)
{
    BenchProgram program(argc, argv);
    showBenchWindow(program.production.set());
    const QByteArray traffic = tncTraffic(Bytes, 3);
    FarEnd far;
    // ser2net reads the device in steps as large as a pty hands out, not its
    // default of 64 bytes, which would measure ser2net rather than the window.
    Ser2netServer server(Ser2netServer::Raw, far.device, 4096);
    if (!server.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    std::vector<double> pty, tcp;
    for (int run = 0; run < 5; ++run) {
        choosePort(program.home.path(), far.device, true, server);
        pty.push_back(measure(far, traffic));
        choosePort(program.home.path(), server.url(), false, server);
        tcp.push_back(measure(far, traffic));
        std::printf("run %d: pty %.0f bytes/s, ser2net %.0f bytes/s\n", run + 1, pty.back(), tcp.back());
        std::fflush(stdout);
    }
    Ferrow->None1Click();
    server.stop();
    DestroyForms();
    std::printf("median: pty %.0f bytes/s, ser2net %.0f bytes/s\n", median(pty), median(tcp));
    std::printf("tcp_vs_pty_ratio %.2f\n", median(pty) > 0 ? median(tcp) / median(pty) : 0.0);
    return 0;
}

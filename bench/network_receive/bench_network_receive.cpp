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
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
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

// Bytes per second from the first write into `far` to the last byte shown.
double measure(FarEnd& far, const QByteArray& traffic)
{
    qsizetype received = 0;
    auto counter = QObject::connect(Ferrow->nrComm1->transport(), &SerialTransport::received,
                                    [&](const QByteArray& bytes) { received += bytes.size(); });
    QElapsedTimer clock;
    clock.start();
    std::thread writer([&] {
        for (qsizetype at = 0; at < traffic.size();) {
            const ssize_t n = ::write(far.master, traffic.constData() + at, size_t(traffic.size() - at));
            if (n > 0)
                at += n;
        }
    });
    const bool all = QTest::qWaitFor([&] { return received >= traffic.size(); }, 600000);
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

void choosePort(const QString& home, const QString& target, bool link)
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
    Ferrow->Comm11->trigger();
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    prepareBenchEnvironment(home);
    QApplication app(argc, argv);
    ProductionSeams production;
    showBenchWindow(production.set());
    const QByteArray traffic = tncTraffic(Bytes, 3);
    FarEnd far;
    Ser2netServer server(Ser2netServer::Raw, far.device);
    if (!server.start()) {
        std::fprintf(stderr, "%s\n", qPrintable(server.error()));
        return 1;
    }
    std::vector<double> pty, tcp;
    for (int run = 0; run < 5; ++run) {
        choosePort(home.path(), far.device, true);
        pty.push_back(measure(far, traffic));
        choosePort(home.path(), server.url(), false);
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

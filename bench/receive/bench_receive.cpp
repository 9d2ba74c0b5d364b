// How fast received TNC traffic goes through the real receive path (serial
// layer, the receive screen's character stage, cleaning, the screen) into a
// receive screen that already holds text. The event loop runs after every
// read, as it does between two reads of the port, so painting is counted.
// A flooded port returns about 4096 bytes a read; 256-byte reads show what
// each read costs on its own. Prints the rate for each case; the last line
// is the slowest of the cases with 1 MiB held (4096-byte reads with the log
// off and on, 256-byte reads): "bytes_per_second N".

#include "app/ferrow.h"
#include "common/bench_window.h"
#include "common/tnc_traffic.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "link/serial_transport.h"
#include "screens/screen_memo.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

namespace {

constexpr qsizetype MiB = 1024 * 1024;
constexpr qsizetype FeedBytes = 4 * MiB;

// Bytes per second for `traffic` fed in `chunk`-byte reads into a receive
// screen that already holds `held` bytes.
double measure(qsizetype held, int chunk, int logFileState, const QByteArray& traffic)
{
    SerialTransport* port = Ferrow->nrComm1->transport();
    Ferrow->ReceiveScreen->clear();
    G.LogFileState = logFileState;
    const QByteArray prefill = tncTraffic(held, 7);
    for (qsizetype at = 0; at < prefill.size(); at += 64 * 1024)
        Ferrow->ReceiveScreen->receiveBytes(prefill.mid(at, 64 * 1024));
    Ferrow->flushPendingReceive();
    QCoreApplication::processEvents();

    QElapsedTimer clock;
    clock.start();
    for (qsizetype at = 0; at < traffic.size(); at += chunk) {
        emit port->received(traffic.mid(at, chunk));
        QCoreApplication::processEvents();
    }
    // The clock stops when the last byte is on the screen, not in waiting.
    Ferrow->flushPendingReceive();
    QCoreApplication::processEvents();
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    return double(traffic.size()) / seconds;
}

} // namespace

int main(int argc, char** argv)
{
    BenchProgram program(argc, argv);
    showBenchWindow(program.production.set());

    const QByteArray traffic = tncTraffic(FeedBytes, 1);
    std::printf("feeding %lld bytes of TNC traffic per case\n", static_cast<long long>(traffic.size()));
    double slowestAtOneMiB = 0;
    struct Case {
        qsizetype held;
        int chunk;
        int log;
    };
    for (const Case c :
         {Case{0, 4096, 2}, Case{MiB, 4096, 2}, Case{MiB, 4096, 1}, Case{0, 256, 2}, Case{MiB, 256, 2}}) {
        const double rate = measure(c.held, c.chunk, c.log, traffic);
        std::printf("held %lld MiB, %d-byte reads, log %s: %.0f bytes/s\n",
                    static_cast<long long>(c.held / MiB), c.chunk, c.log == 1 ? "on" : "off", rate);
        if (c.held == MiB)
            slowestAtOneMiB = slowestAtOneMiB == 0 ? rate : std::min(slowestAtOneMiB, rate);
    }
    std::fflush(stdout);
    DestroyForms();
    std::printf("bytes_per_second %.0f\n", slowestAtOneMiB);
    return 0;
}

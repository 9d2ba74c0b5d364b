// What receiving costs the window process in CPU time. The real main window
// (on the display the run script provides) opens COM1 the operator's way, on
// a pseudo-terminal whose other end a writer process feeds with TNC traffic
// at the pace of a real line: 960 bytes/s one byte per write (9600 baud) and
// 11520 bytes/s in 16-byte writes (115200 baud through a USB adapter), 10 s
// each. Prints the window process's CPU time in percent of one core for
// each; the last line is the larger: "receive_cpu_percent N".

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "common/bench_window.h"
#include "common/process_clock.h"
#include "common/tnc_traffic.h"
#include "link/nr_comm.h"
#include "link/serial_transport.h"
#include "screens/screen_memo.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSocketNotifier>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int Seconds = 10;

struct Pace {
    const char* name;
    int bytesPerSecond;
    int chunk;
};

// The writer process: `traffic` in `chunk`-byte writes on a schedule fixed
// from the start, so one late write does not slow the rest down.
[[noreturn]] void writeAtPace(int fd, const QByteArray& traffic, const Pace& pace)
{
    const qint64 start = nowNs();
    for (qsizetype at = 0; at < traffic.size(); at += pace.chunk) {
        const qint64 due = start + at * 1'000'000'000LL / pace.bytesPerSecond;
        const timespec t{time_t(due / 1'000'000'000), long(due % 1'000'000'000)};
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {}
        const char* p = traffic.constData() + at;
        size_t left = size_t(std::min<qsizetype>(pace.chunk, traffic.size() - at));
        while (left > 0) {
            const ssize_t n = ::write(fd, p, left);
            if (n > 0) {
                p += n;
                left -= size_t(n);
            } else if (errno != EINTR) {
                ::_exit(2);
            }
        }
    }
    ::_exit(0);
}

// What the receive screen shows for `traffic`: CR LF is one line break.
qsizetype shownLength(const QByteArray& traffic)
{
    return traffic.size() - traffic.count("\r\n");
}

// Runs `pace` for `Seconds` and returns the window process's CPU use in
// percent of one core; every byte must have reached the screen.
double measure(int master, const Pace& pace, quint32 seed)
{
    const QByteArray traffic = tncTraffic(qsizetype(pace.bytesPerSecond) * Seconds, seed);
    qint64 received = 0;
    const QMetaObject::Connection counting =
        QObject::connect(Ferrow->nrComm1->transport(), &SerialTransport::received,
                         [&](const QByteArray& b) { received += b.size(); });
    Ferrow->ReceiveScreen->clear();
    QCoreApplication::processEvents();

    int ended[2];
    if (::pipe2(ended, O_CLOEXEC) != 0)
        std::exit(1);
    const double cpuBefore = cpuSeconds();
    const qint64 wallBefore = nowNs();
    const pid_t writer = ::fork();
    if (writer == 0) {
        ::close(ended[0]);
        writeAtPace(master, traffic, pace);
    }
    ::close(ended[1]);
    {
        // The writer's end of the pipe closes when it exits.
        QSocketNotifier done(ended[0], QSocketNotifier::Read);
        QEventLoop loop;
        QObject::connect(&done, &QSocketNotifier::activated, &loop, &QEventLoop::quit);
        loop.exec();
    }
    const double cpu = cpuSeconds() - cpuBefore;
    const double wall = double(nowNs() - wallBefore) / 1e9;
    ::close(ended[0]);
    int status = 0;
    ::waitpid(writer, &status, 0);

    const QDeadlineTimer deadline(10000);
    while (
        (received < traffic.size() || Ferrow->ReceiveScreen->toPlainText().size() < shownLength(traffic)) &&
        !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    QObject::disconnect(counting);
    const qsizetype shown = Ferrow->ReceiveScreen->toPlainText().size();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || received != traffic.size() ||
        shown != shownLength(traffic)) {
        std::fprintf(stderr, "%s: %lld of %lld bytes received, %lld of %lld characters shown\n", pace.name,
                     static_cast<long long>(received), static_cast<long long>(traffic.size()),
                     static_cast<long long>(shown), static_cast<long long>(shownLength(traffic)));
        std::exit(1);
    }
    return 100.0 * cpu / wall;
}

double measureIdle()
{
    const double cpuBefore = cpuSeconds();
    const qint64 wallBefore = nowNs();
    QEventLoop loop;
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    loop.exec();
    return 100.0 * (cpuSeconds() - cpuBefore) / (double(nowNs() - wallBefore) / 1e9);
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    prepareBenchEnvironment(home);

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
        std::perror("pseudo-terminal");
        return 1;
    }
    const QByteArray slave = ::ptsname(master);
    if (::symlink(slave.constData(), QFile::encodeName(home.filePath(QStringLiteral("COM1"))).constData()) !=
        0) {
        std::perror("COM1 link");
        return 1;
    }

    QApplication app(argc, argv);
    ProductionSeams production;
    showBenchWindow(production.set());
    Ferrow->Comm11Click();
    if (!Ferrow->nrComm1->GetActive()) {
        std::fprintf(stderr, "COM1 (%s) did not open\n", slave.constData());
        return 1;
    }
    std::printf("window on %s, COM1 is %s\n", qPrintable(QGuiApplication::platformName()), slave.constData());
    std::printf("idle: %.1f %% of one core\n", measureIdle());

    double worst = 0;
    quint32 seed = 1;
    for (const Pace& pace :
         {Pace{"9600 baud, 1-byte writes", 960, 1}, Pace{"115200 baud, 16-byte writes", 11520, 16}}) {
        const double percent = measure(master, pace, seed++);
        std::printf("%s, %d bytes/s for %d s: %.1f %% of one core\n", pace.name, pace.bytesPerSecond, Seconds,
                    percent);
        std::fflush(stdout);
        worst = std::max(worst, percent);
    }
    DestroyForms();
    ::close(master);
    std::printf("receive_cpu_percent %.1f\n", worst);
    return 0;
}

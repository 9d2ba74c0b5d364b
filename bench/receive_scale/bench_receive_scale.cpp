// The real window on a pseudo-terminal under heavy and hostile traffic:
// many megabytes of ordinary lines, one unbroken line of megabytes, and at
// the 115200 baud line rate lines, an unbroken line, Backspace and CR floods
// and random bytes. Each case runs a fresh window process (so its memory is
// its own) that types a key every quarter second; this process plays the
// TNC, times each key from when it was due to when it arrived, and ends the
// window with SIGTERM while traffic still flows. Per case it prints the key
// delay (median, worst), CPU-seconds per MB for the first and the last 10 %,
// memory growth per received byte and the SIGTERM-to-exit time. The last
// line is the memory growth per byte of the largest full-speed line case:
// "receive_rss_per_byte N".
//   bench_receive_scale [--held-mb 30,300] [--line-mb 10] [--rate-seconds 60]

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "app/termination_signals.h"
#include "common/bench_window.h"
#include "common/process_clock.h"
#include "common/tnc_traffic.h"
#include "link/nr_comm.h"
#include "link/serial_transport.h"
#include "screens/screen_memo.h"

#include "pty_relay.h"

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <poll.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 MB = 1024 * 1024;
constexpr int LineRate = 11520; // 115200 baud, 10 bits a byte
constexpr qint64 KeyPeriodNs = 250'000'000;
constexpr char Key = '~';

qint64 residentBytes()
{
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * ::sysconf(_SC_PAGESIZE) : 0;
}

// ---- The traffic ---------------------------------------------------------

enum class Kind { Lines, Unbroken, Backspaces, Crs, Random };

QByteArray traffic(Kind kind, qint64 size, quint32 seed)
{
    QByteArray out;
    out.reserve(size);
    QRandomGenerator random(seed);
    switch (kind) {
    case Kind::Lines: return tncTraffic(size, seed);
    case Kind::Unbroken:
        while (out.size() < size)
            out += char('A' + out.size() % 26);
        break;
    case Kind::Backspaces: // runs of letters, each taken back by as many Backspaces
        while (out.size() < size) {
            const int run = int(random.bounded(1, 20000));
            out += QByteArray(run, 'B');
            out += QByteArray(run, '\b');
        }
        break;
    case Kind::Crs: out.fill('\r', size); break;
    case Kind::Random:
        out.resize(size);
        random.fillRange(reinterpret_cast<quint32*>(out.data()), size / 4);
        break;
    }
    out.truncate(size);
    return out;
}

// ---- The window process --------------------------------------------------

int runWindow(int argc, char** argv)
{
    const QByteArray port = argv[2];
    const qint64 expected = QByteArray(argv[3]).toLongLong();
    QTemporaryDir home;
    prepareBenchEnvironment(home);
    if (!QFile::link(QString::fromLocal8Bit(port), home.filePath(QStringLiteral("COM1"))))
        return 1;
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);
    ProductionSeams production;
    showBenchWindow(production.set());
    QObject::connect(Ferrow, &TFerrow::closeSequenceFinished, qApp, &QCoreApplication::quit);
    closeOnTerminationSignals([] { Ferrow->close(); });
    Ferrow->ImmediateClick();
    Ferrow->Comm11Click();
    if (!Ferrow->nrComm1->GetActive())
        return 1;

    // A key every quarter second from now on, typed when the loop gets to it.
    const qint64 keysFrom = nowNs() + 200'000'000;
    qint64 typed = 0;
    QTimer keys;
    QObject::connect(&keys, &QTimer::timeout, [&] {
        if (nowNs() < keysFrom + typed * KeyPeriodNs)
            return;
        ++typed;
        for (const QEvent::Type type : {QEvent::KeyPress, QEvent::KeyRelease}) {
            QKeyEvent event(type, Qt::Key_AsciiTilde, Qt::NoModifier, QString(QLatin1Char(Key)));
            QCoreApplication::sendEvent(Ferrow->TransmitScreen, &event);
        }
    });
    keys.start(2);

    const qint64 rssBefore = residentBytes();
    double cpu[4] = {cpuSeconds(), 0, 0, 0}; // at 0, 10 %, 90 %, all
    qint64 received = 0;
    QObject::connect(Ferrow->nrComm1->transport(), &SerialTransport::received, [&](const QByteArray& b) {
        const qint64 before = received;
        received += b.size();
        if (before < expected / 10 && received >= expected / 10)
            cpu[1] = cpuSeconds();
        if (before < expected * 9 / 10 && received >= expected * 9 / 10)
            cpu[2] = cpuSeconds();
        if (before < expected && received >= expected) {
            Ferrow->flushPendingReceive();
            cpu[3] = cpuSeconds();
            const double tenth = double(expected) / 10 / MB;
            std::printf("RESULT %.3f %.3f %lld %lld %lld\n", (cpu[1] - cpu[0]) / tenth,
                        (cpu[3] - cpu[2]) / tenth, static_cast<long long>(residentBytes() - rssBefore),
                        static_cast<long long>(residentBytes()), static_cast<long long>(received));
            std::fflush(stdout);
        }
    });
    std::printf("READY %lld\n", static_cast<long long>(keysFrom));
    std::fflush(stdout);
    const int status = QCoreApplication::exec();
    DestroyForms();
    return status;
}

// ---- The TNC's side ------------------------------------------------------

struct Case {
    QByteArray name;
    Kind kind;
    qint64 bytes;
    int bytesPerSecond; // 0: as fast as the window takes it
};

struct Outcome {
    bool done = false;
    double cpuFirst = 0, cpuLast = 0, rssPerByte = 0, rssMb = 0, exitSeconds = -1;
    bool killed = false;
    std::vector<double> keyMs;
};

std::vector<QByteArray> readLines(FILE* from, const std::function<bool(const QByteArray&)>& onLine)
{
    std::vector<QByteArray> lines;
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, from)) {
        const QByteArray line = QByteArray(buffer).trimmed();
        lines.push_back(line);
        if (!onLine(line))
            break;
    }
    return lines;
}

Outcome runCase(const char* self, const Case& c)
{
    Outcome out;
    PtyRelay relay(PtyRelay::Channel{c.bytesPerSecond, 0});
    const int tnc = ::open(relay.path(PtyRelay::B).c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    int pipeFds[2];
    if (relay.path(PtyRelay::A).empty() || tnc < 0 || ::pipe2(pipeFds, O_CLOEXEC) != 0)
        return out;
    const QByteArray bytes = traffic(c.kind, c.bytes, 1);
    const QByteArray count = QByteArray::number(c.bytes);
    const pid_t window = ::fork();
    if (window == 0) {
        ::dup2(pipeFds[1], STDOUT_FILENO);
        const char* args[] = {self, "--window", relay.path(PtyRelay::A).c_str(), count.constData(), nullptr};
        ::execv(self, const_cast<char**>(args));
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    FILE* lines = ::fdopen(pipeFds[0], "r");

    qint64 keysFrom = 0;
    readLines(lines, [&](const QByteArray& l) {
        keysFrom = l.startsWith("READY ") ? l.mid(6).toLongLong() : 0;
        return keysFrom == 0;
    });
    if (keysFrom == 0) {
        ::kill(window, SIGKILL);
        ::waitpid(window, nullptr, 0);
        return out;
    }
    std::atomic<bool> stop{false};
    // The traffic, then more of the same until the window has gone: the
    // signal comes while the line is busy.
    std::thread writer([&] {
        const QByteArray more = traffic(c.kind, 1 * MB, 2);
        for (qint64 at = 0; !stop; at += 4096) {
            const QByteArray& from = at < bytes.size() ? bytes : more;
            const qint64 offset = at < bytes.size() ? at : (at - bytes.size()) % more.size();
            const qint64 n = std::min<qint64>(4096, from.size() - offset);
            for (qint64 done = 0; done < n && !stop;) {
                pollfd ready{tnc, POLLOUT, 0};
                if (::poll(&ready, 1, 50) <= 0)
                    continue;
                const ssize_t w = ::write(tnc, from.constData() + offset + done, size_t(n - done));
                if (w > 0)
                    done += w;
            }
        }
    });
    std::thread reader([&] {
        qint64 k = 0;
        char buffer[256];
        while (!stop) {
            pollfd ready{tnc, POLLIN, 0};
            if (::poll(&ready, 1, 50) <= 0)
                continue;
            const ssize_t n = ::read(tnc, buffer, sizeof buffer);
            const qint64 at = nowNs();
            for (ssize_t i = 0; i < n; ++i)
                if (buffer[i] == Key)
                    out.keyMs.push_back(double(at - (keysFrom + k++ * KeyPeriodNs)) / 1e6);
        }
    });

    // The result comes once every byte is on the screen; a frozen window
    // gets the signal after twice the time the line needs, at least 2 min,
    // and is killed when it has not gone 30 s after the signal.
    const double lineSeconds = c.bytesPerSecond ? double(c.bytes) / c.bytesPerSecond : 0;
    const qint64 limitNs = qint64(std::max(120.0, 2 * lineSeconds) * 1e9);
    std::atomic<qint64> termAt{0};
    std::atomic<bool> exited{false};
    std::thread watchdog([&, started = nowNs()] {
        while (termAt == 0 && nowNs() - started < limitNs)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        qint64 expected = 0;
        if (termAt.compare_exchange_strong(expected, nowNs()))
            ::kill(window, SIGTERM);
        while (!exited && nowNs() - termAt < 30'000'000'000)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (!exited)
            ::kill(window, SIGKILL);
    });
    readLines(lines, [&](const QByteArray& l) {
        const QList<QByteArray> f = l.split(' ');
        qint64 expected = 0;
        if (f.size() == 6 && f[0] == "RESULT" && termAt.compare_exchange_strong(expected, nowNs())) {
            out.done = true;
            out.cpuFirst = f[1].toDouble();
            out.cpuLast = f[2].toDouble();
            out.rssPerByte = f[3].toDouble() / double(c.bytes);
            out.rssMb = f[4].toDouble() / MB;
            ::kill(window, SIGTERM);
        }
        return true;
    });
    int status = 0;
    ::waitpid(window, &status, 0);
    exited = true;
    out.exitSeconds = double(nowNs() - termAt) / 1e9;
    out.killed = WIFSIGNALED(status);
    stop = true;
    writer.join();
    reader.join();
    watchdog.join();
    ::close(tnc);
    std::fclose(lines);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc >= 4 && std::strcmp(argv[1], "--window") == 0)
        return runWindow(argc, argv);
    QList<qint64> heldMb{30, 300};
    qint64 lineMb = 10;
    int rateSeconds = 60;
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray option = argv[i], value = argv[i + 1];
        if (option == "--held-mb") {
            heldMb.clear();
            for (const QByteArray& v : value.split(','))
                heldMb << v.toLongLong();
        } else if (option == "--line-mb") {
            lineMb = value.toLongLong();
        } else if (option == "--rate-seconds") {
            rateSeconds = value.toInt();
        }
    }
    std::vector<Case> cases;
    for (const qint64 mb : heldMb)
        cases.push_back({QByteArray::number(mb) + " MB of lines, full speed", Kind::Lines, mb * MB, 0});
    cases.push_back(
        {QByteArray::number(lineMb) + " MB unbroken line, full speed", Kind::Unbroken, lineMb * MB, 0});
    const qint64 atRate = qint64(LineRate) * rateSeconds;
    const QByteArray rate = " at 115200 baud, " + QByteArray::number(rateSeconds) + " s";
    cases.push_back({"lines" + rate, Kind::Lines, atRate, LineRate});
    cases.push_back({"unbroken line" + rate, Kind::Unbroken, atRate, LineRate});
    cases.push_back({"Backspace floods" + rate, Kind::Backspaces, atRate, LineRate});
    cases.push_back({"CR flood" + rate, Kind::Crs, atRate, LineRate});
    cases.push_back({"random bytes" + rate, Kind::Random, atRate, LineRate});

    double lastRss = 0;
    qint64 largest = 0;
    for (const Case& c : cases) {
        Outcome o = runCase(argv[0], c);
        std::sort(o.keyMs.begin(), o.keyMs.end());
        const double median = o.keyMs.empty() ? -1 : o.keyMs[o.keyMs.size() / 2];
        const double worst = o.keyMs.empty() ? -1 : o.keyMs.back();
        std::printf("%s: %s; keys %zu, delay median %.1f ms, worst %.1f ms; CPU %.3f s/MB first 10 %%, %.3f "
                    "s/MB last 10 %%; RSS %.0f MB, %.2f bytes per received byte; SIGTERM to exit %.2f s%s\n",
                    c.name.constData(), o.done ? "all shown" : "NOT all shown in time", o.keyMs.size(),
                    median, worst, o.cpuFirst, o.cpuLast, o.rssMb, o.rssPerByte, o.exitSeconds,
                    o.killed ? " (killed)" : "");
        std::fflush(stdout);
        if (c.kind == Kind::Lines && c.bytesPerSecond == 0 && c.bytes > largest) {
            largest = c.bytes;
            lastRss = o.rssPerByte;
        }
    }
    std::printf("receive_rss_per_byte %.2f\n", lastRss);
    return 0;
}

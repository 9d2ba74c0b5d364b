// The time from a key event arriving at the transmit screen to its bytes
// being handed to the serial transport, in immediate mode (every key of a
// line, Enter included) and buffered mode (Enter, which sends the line).
// Prints both medians; the last line is the larger: "median_key_us N".

#include "app/ferrow.h"
#include "common/bench_window.h"
#include "common/instant_transport.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "screens/screen_memo.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

InstantTransport* port = nullptr;

void press(Qt::Key key, const QString& text, QEvent::Type type = QEvent::KeyPress)
{
    QKeyEvent event(type, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(Ferrow->TransmitScreen, &event);
}

// Types one key; returns microseconds from the event to the transport, or a
// negative number when the key sent nothing.
double timedKey(Qt::Key key, const QString& text)
{
    const int writesBefore = port->writes;
    const Clock::time_point start = Clock::now();
    press(key, text);
    const bool sent = port->writes != writesBefore;
    press(key, text, QEvent::KeyRelease);
    return sent ? std::chrono::duration<double, std::micro>(port->lastWrite - start).count() : -1;
}

// Types `lines` lines of 60 characters; returns the times of the keys that sent.
std::vector<double> typeLines(int lines)
{
    std::vector<double> times;
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < 60; ++i) {
            const char c = char('A' + (line + i) % 26);
            if (const double t = timedKey(Qt::Key(c), QString(QLatin1Char(c))); t >= 0)
                times.push_back(t);
        }
        if (const double t = timedKey(Qt::Key_Return, QStringLiteral("\r")); t >= 0)
            times.push_back(t);
    }
    return times;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    BenchProgram program(argc, argv);
    seams::Set set = program.production.set();
    port = showWindowOnInstantPort(set);
    if (!port) {
        std::fprintf(stderr, "bench_keys: the port did not open\n");
        return 1;
    }

    constexpr int Lines = 200;
    Ferrow->ImmediateClick();
    const std::vector<double> immediate = typeLines(Lines);
    Ferrow->BufferedClick();
    const std::vector<double> buffered = typeLines(Lines);
    const double immediateUs = median(immediate);
    const double bufferedUs = median(buffered);
    std::printf("immediate mode: %zu keys sent, median %.1f us\n", immediate.size(), immediateUs);
    std::printf("buffered mode: %zu lines sent, median %.1f us\n", buffered.size(), bufferedUs);
    std::fflush(stdout);
    DestroyForms();
    std::printf("median_key_us %.1f\n", std::max(immediateUs, bufferedUs));
    return 0;
}

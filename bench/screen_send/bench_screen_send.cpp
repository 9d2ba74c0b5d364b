// The time the whole-screen send spends on each character of a 64 KiB
// transmit screen: reading it, handing it to the serial layer, moving the
// progress bar and handling pending events. The port takes every byte at
// once and the send's specified waits are recorded instead of slept, so
// what is measured is the loop itself. Prints the median of five sends;
// the last line is "screen_send_us_per_char N".

#include "app/production_seams.h"
#include "common/bench_window.h"
#include "common/instant_transport.h"
#include "screens/screen_memo.h"

#include <QApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

class RecordedPause final : public PauseSeam {
public:
    void pause(int ms) override { waitedMs += ms; }
    long long waitedMs = 0;
};

InstantTransport* port = nullptr;

// 64 KiB as the send counts it: 1024 lines of 62 characters, each ended by
// CR LF.
QString screenText()
{
    QString text;
    for (int line = 0; line < 1024; ++line) {
        for (int i = 0; i < 62; ++i)
            text += QLatin1Char(char('A' + (line + i) % 26));
        text += QLatin1Char('\n');
    }
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    BenchProgram program(argc, argv);
    RecordedPause pause;
    seams::Set set = program.production.set();
    set.pause = &pause;
    port = showWindowOnInstantPort(set);
    if (!port) {
        std::fprintf(stderr, "bench_screen_send: the port did not open\n");
        return 1;
    }

    constexpr qint64 Characters = 64 * 1024;
    Ferrow->TransmitScreen->setPlainText(screenText());
    std::vector<double> perChar;
    for (int run = 0; run < 5; ++run) {
        const qint64 writtenBefore = port->written;
        pause.waitedMs = 0;
        const Clock::time_point start = Clock::now();
        Ferrow->SendScreenBtnClick();
        const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
        // "CONVERS\r" and the closing ETX besides the screen's characters.
        if (port->written - writtenBefore != Characters + 9) {
            std::fprintf(stderr, "bench_screen_send: %lld bytes sent, expected %lld\n",
                         static_cast<long long>(port->written - writtenBefore),
                         static_cast<long long>(Characters + 9));
            return 1;
        }
        perChar.push_back(us / Characters);
        std::printf("send %d: %lld characters in %.1f ms, waits of %lld ms recorded, not slept\n", run + 1,
                    static_cast<long long>(Characters), us / 1000, pause.waitedMs);
    }
    std::sort(perChar.begin(), perChar.end());
    const double median = perChar[perChar.size() / 2];
    std::fflush(stdout);
    DestroyForms();
    std::printf("screen_send_us_per_char %.2f\n", median);
    return 0;
}

// The settings file's round trip as start and close make it: LoadSettings of
// a full file (every station, function and command line filled) through the
// real menu handlers, then SaveSettings with its sync to disk, in a temporary
// folder. Prints the medians of each half; the last line is the median of the
// whole: "settings_roundtrip_ms N".

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "app/safe_file.h"
#include "app/settings_codec.h"
#include "app/state.h"
#include "common/bench_window.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// Every text slot the operator can fill holds a line of typical length.
std::vector<std::uint8_t> fullFile()
{
    ProcessState s = G;
    for (int i = 0; i < 32; ++i) {
        s.StationNames[i].store("N0CALL-" + std::to_string(i));
        s.StationPaths[i].store("C N0CALL-" + std::to_string(i) + " VIA WIDE1-1,WIDE2-2");
    }
    for (int i = 0; i < 12; ++i) {
        s.FunctionNames[i].store("Function " + std::to_string(i + 1));
        s.FunctionCommands[i].store("MHEARD " + std::to_string(i));
    }
    for (int n = 0; n < 8; ++n)
        for (int k = 0; k < 32; ++k) {
            s.TncInitCommands[n][k].store("INIT LINE " + std::to_string(k));
            s.TncTermCommands[n][k].store("TERM LINE " + std::to_string(k));
        }
    s.SelectedTnc = 0;
    s.CommPortSelected = 0;
    return encodeSettings(s);
}

} // namespace

int main(int argc, char** argv)
{
    BenchProgram program(argc, argv);
    showBenchWindow(program.production.set());

    const QString path = program.home.filePath(QStringLiteral("Quillmar.cfg"));
    {
        const std::vector<std::uint8_t> bytes = fullFile();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) ||
            file.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) !=
                qint64(bytes.size())) {
            std::fprintf(stderr, "bench_settings: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    TextSlot slot;
    slot.store(QFile::encodeName(path).toStdString());

    constexpr int Runs = 200;
    std::vector<double> loads, saves, totals;
    for (int run = 0; run < Runs; ++run) {
        const Clock::time_point start = Clock::now();
        Ferrow->LoadSettings(slot);
        const double load = msSince(start);
        const Clock::time_point saveStart = Clock::now();
        Ferrow->SaveSettings(slot);
        saves.push_back(msSince(saveStart));
        loads.push_back(load);
        totals.push_back(msSince(start));
    }
    if (QFile(path).size() != SettingsFileSize) {
        std::fprintf(stderr, "bench_settings: the saved file is not %d bytes\n", SettingsFileSize);
        return 1;
    }
    // The disk's share: replacing the file alone, synced, without the handlers.
    const std::vector<std::uint8_t> bytes = fullFile();
    std::vector<double> replaces;
    for (int run = 0; run < 50; ++run) {
        const Clock::time_point start = Clock::now();
        replaceFileSafely(QFile::encodeName(program.home.filePath(QStringLiteral("alone.cfg"))).toStdString(), bytes);
        replaces.push_back(msSince(start));
    }
    std::printf("%d runs: load median %.2f ms, save median %.2f ms (sync included)\n", Runs, median(loads),
                median(saves));
    std::printf("of which the file system: write, sync and rename alone, median %.2f ms\n", median(replaces));
    std::fflush(stdout);
    DestroyForms();
    std::printf("settings_roundtrip_ms %.2f\n", median(totals));
    return 0;
}

#include "close_sequence.h"

#include "link/nr_log_file.h"

#include <exception>

void runCloseStep(TnrLogFile* trace, const char* what, const std::function<void()>& step)
{
    QString failure;
    try {
        step();
        return;
    } catch (const std::exception& e) {
        failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        failure = QStringLiteral("unknown error");
    }
    try {
        if (trace)
            trace->Log(QStringLiteral("closing: %1 failed: %2").arg(QLatin1String(what), failure));
    } catch (...) {
        // Not even the trace works: closing goes on all the same.
    }
}

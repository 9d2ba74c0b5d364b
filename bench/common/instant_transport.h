#pragma once
// A port for benchmarks: always there, takes every byte at once and holds
// nothing back, and notes how much it was handed and when.

#include "common/bench_window.h"
#include "link/serial_transport.h"

#include <chrono>
#include <memory>

class InstantTransport final : public SerialTransport {
public:
    using Clock = std::chrono::steady_clock;

    ProbeResult probe(const QString&) override
    {
        ProbeResult r;
        r.outcome = ProbeResult::Ok;
        r.handle = 3;
        return r;
    }
    bool open(const QString&, const SerialLineSettings&, QString*) override { return open_ = true; }
    bool applySettings(const SerialLineSettings&, QString*) override { return true; }
    void close() override { open_ = false; }
    bool isOpen() const override { return open_; }
    bool write(const QByteArray& bytes, bool, QString*) override
    {
        lastWrite = Clock::now();
        ++writes;
        written += bytes.size();
        return true;
    }
    void queue(const QByteArray&) override {}
    qint64 queuedBytes() const override { return 0; }
    ModemLines modemLines() const override { return {}; }

    Clock::time_point lastWrite;
    int writes = 0;
    qint64 written = 0;

private:
    bool open_ = false;
};

// Shows the benchmark window on `set` with an InstantTransport and opens
// COM1 on it; null when the port did not open.
inline InstantTransport* showWindowOnInstantPort(seams::Set set)
{
    // The factory outlives this call (a reopen makes a new port), so the
    // newest port is kept where it stays valid.
    static InstantTransport* port = nullptr;
    set.makeTransport = [] {
        auto t = std::make_unique<InstantTransport>();
        port = t.get();
        return t;
    };
    showBenchWindow(set);
    Ferrow->Comm11Click();
    return port && port->isOpen() ? port : nullptr;
}

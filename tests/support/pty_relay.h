#pragma once
// Two pseudo-terminals joined by a relay thread: a line between two real
// programs (lrzsz, the program on its serial port) that can fall silent the
// way a radio channel does. Once a given number of bytes went out from one
// end, nothing passes either way for a while; what both ends send meanwhile
// is kept and delivered, in order, when the silence ends.

#include <QString>

#include <atomic>
#include <string>
#include <thread>

class PtyRelay {
public:
    enum End { A, B };

    // A silence of `holdMs` once `afterBytes` went out from `countFrom`;
    // holdMs 0 makes a plain line.
    PtyRelay(End countFrom = A, qint64 afterBytes = 0, int holdMs = 0);
    ~PtyRelay();
    PtyRelay(const PtyRelay&) = delete;
    PtyRelay& operator=(const PtyRelay&) = delete;

    // The device an end's program opens; empty when the relay could not be set up.
    QString path(End end) const { return QString::fromStdString(path_[end]); }
    // True once the silence has begun (a test that never got that far proves nothing).
    bool silenceBegan() const { return silenceBegan_; }

private:
    void run();
    bool pass(End from);
    bool deliver(End to);

    int master_[2] = {-1, -1};
    int slave_[2] = {-1, -1}; // kept open, so the master never sees the line hang up between programs
    std::string path_[2];
    std::string waiting_[2]; // read from the other end, not yet written to this one
    int stop_[2] = {-1, -1}; // a pipe that wakes the thread to end
    End countFrom_;
    qint64 afterBytes_;
    int holdMs_;
    qint64 counted_ = 0;
    std::atomic<bool> silenceBegan_{false};
    std::thread thread_;
};

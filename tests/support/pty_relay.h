#pragma once
// Two pseudo-terminals joined by a relay thread: a line between two real
// programs that falls silent the way a radio channel does. Once `afterBytes`
// went out from one end, nothing passes either way for `holdMs`; what both
// ends send meanwhile is kept and delivered in order when it ends.

#include <atomic>
#include <string>
#include <thread>

class PtyRelay {
public:
    enum End { A, B };

    // holdMs 0: a plain line.
    explicit PtyRelay(End countFrom = A, long afterBytes = 0, int holdMs = 0);
    ~PtyRelay();

    // The device an end's program opens; empty when the relay could not be set up.
    const std::string& path(End end) const { return path_[end]; }
    // The silence began (a test that never got that far proves nothing).
    bool silenceBegan() const { return silenceBegan_; }

private:
    void run();

    int master_[2] = {-1, -1};
    int slave_[2] = {-1, -1}; // kept open: a master never sees its line hang up between programs
    std::string path_[2];
    End countFrom_;
    long afterBytes_;
    int holdMs_;
    std::atomic<bool> stop_{false}, silenceBegan_{false};
    std::thread thread_;
};

#pragma once
// Two pseudo-terminals joined by a relay thread: a line between two real
// programs that behaves like a radio channel. It can
// - fall silent: once `afterBytes` went out from one end, nothing passes either way for `holdMs`; what
//   both ends send meanwhile is kept and delivered in order when it ends;
// - be slow and far: each way carries at most `bytesPerSecond` and delivers every byte `delayMs` after it
//   left. The relay takes from a sender only what the channel holds (its bytes in flight plus a small
//   buffer, as a TNC's flow control would), so the rest waits in the sender's own pty.

#include <atomic>
#include <string>
#include <thread>

class PtyRelay {
public:
    enum End { A, B };

    // The channel each way; 0 for no limit and no delay.
    struct Channel {
        int bytesPerSecond = 0;
        int delayMs = 0;
    };

    // holdMs 0: a plain line.
    explicit PtyRelay(End countFrom = A, long afterBytes = 0, int holdMs = 0);
    explicit PtyRelay(Channel channel);
    ~PtyRelay();

    // The device an end's program opens; empty when the relay could not be set up.
    const std::string& path(End end) const { return path_[end]; }
    // The silence began (a test that never got that far proves nothing).
    bool silenceBegan() const { return silenceBegan_; }
    // Bytes handed to an end's program so far.
    long delivered(End to) const { return delivered_[to]; }

private:
    void start();
    void run();

    int master_[2] = {-1, -1};
    int slave_[2] = {-1, -1}; // kept open: a master never sees its line hang up between programs
    std::string path_[2];
    End countFrom_ = A;
    long afterBytes_ = 0;
    int holdMs_ = 0;
    Channel channel_;
    std::atomic<bool> stop_{false}, silenceBegan_{false};
    std::atomic<long> delivered_[2] = {0, 0};
    std::thread thread_;
};

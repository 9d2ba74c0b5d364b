// The sending side: offers each file with ZFILE and streams its data as the link has room.
#pragma once

#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "session.h"

namespace quillmar::zmodem {

// Works through a list of files, already opened, one session from ZRQINIT to ZFIN.
class Sender : public Session {
public:
    struct Item {
        std::string path;
        std::unique_ptr<SourceFile> file;
    };

    Sender(SessionContext& context, std::vector<Item> items);

    // Queues "rz\r" and ZRQINIT, as a shell on the other side expects.
    void start();

    Step onHeader(const Header& header) override;
    Step onSubpacket(const std::uint8_t* data, std::size_t size, Terminator end) override;
    Step onBadFrame(bool wasHeader) override;
    bool produce() override;
    bool canProduce() const override { return state_ == State::Streaming; }

protected:
    Step onTimeout() override;
    Step onGiveUp() override;
    bool waitingForPeer() const override { return state_ != State::Streaming; }

private:
    enum class State {
        AwaitReceiver,
        AwaitSinitAck,
        AwaitFileReply,
        Streaming,
        AwaitAck,
        AwaitEofReply,
        AwaitFin
    };

    Step takeCapabilities(const Header& rinit);
    Step offerFile();
    Step nextFile();
    Step restartAt(std::uint32_t position, bool sync);
    Step onStreamingHeader(const Header& header);
    bool repeatsLastRestart(const Header& rpos) const;
    // `answering`: the receiver asked for it again (ZNAK), rather than our own time-out.
    Step sendSinit(bool answering);
    Step sendFileInfo(bool answering);
    void sendEof();
    void sendFin();
    Step refused();
    Terminator chooseTerminator(std::size_t size, bool last);
    bool peerStreams() const;
    // On a long round trip to a receiver that keeps data past a gap, each subpacket is a frame of its
    // own and a lost one is resent alone.
    bool fillingGaps() const;
    void produceRefill();

    std::vector<Item> items_;
    std::size_t index_ = 0;
    State state_ = State::AwaitReceiver;
    std::uint8_t peerFlags_ = 0;
    bool peerFillsGaps_ = false;
    std::uint16_t peerBuffer_ = 0;
    bool crc32_ = false;
    std::uint64_t position_ = 0;
    // Where and when the stream last (re)started: a request for that place within a round trip of
    // it was sent before the receiver saw the restart.
    std::uint64_t restartedFrom_ = 0;
    std::uint64_t restartedAt_ = 0;
    std::deque<std::uint64_t> refills_; // lost subpackets to resend before going on
    bool frameOpen_ = false; // a ZDATA header went out and its frame has not ended
    bool syncNext_ = false;  // first subpacket after a restart ends with ZCRCW
    std::size_t subpacket_ = 1024;
    std::size_t sinceSync_ = 0;
    int goodInRow_ = 0;
    std::vector<std::uint8_t> chunk_;
};

} // namespace quillmar::zmodem

// The receiving side: takes each offered file into a temporary file and names it when whole.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <vector>

#include "session.h"

namespace quillmar::zmodem {

// One session from the first ZRINIT to ZFIN, into the configured receive directory.
class Receiver : public Session {
public:
    explicit Receiver(SessionContext& context);
    ~Receiver() override;

    // Announces us with ZRINIT.
    void start();
    // True once a file offer was turned down (no room for it, or the owner declined it).
    bool declinedAny() const { return declinedAny_; }

    Step onHeader(const Header& header) override;
    Step onSubpacket(const std::uint8_t* data, std::size_t size, Terminator end) override;
    Step onBadFrame(bool wasHeader) override;
    void discard() override;
    bool welcomes(const Header& header) const override;
    // Data below what we hold, or kept past a gap, is no answer to what we wait for.
    bool skipping() const override { return state_ == State::Data && framePos_ != offset_; }

protected:
    Step onTimeout() override;

private:
    enum class State { AwaitFile, SinitData, FileInfo, AwaitData, Data };

    Header rinit() const;
    Header position() const;
    Step answerRinit();
    // Hunts for the ZDATA header that answers our ZRPOS.
    void awaitData();
    Step startOverForNewSender();
    Step decline(const std::string& why);
    Step takeFileInfo(const std::uint8_t* data, std::size_t size);
    Step takeData(const std::uint8_t* data, std::size_t size, Terminator end);
    Step onDataHeader(const Header& header);
    Step finishFile();
    Step askToResend(const char* what);
    void askForPosition();
    // Data past what we hold: a loss, unless we already asked and this was sent before that was heard.
    Step gap(const char* what);
    // Takes what was kept past the gap once the data reaches it; asks for the next gap, if any.
    Step joinKeptData();
    // A sender whose frames hold one subpacket each resends a lost one alone, so while an earlier gap
    // waits for its resend a later one is asked for at once; any other sender would rewind to it.
    bool senderFillsGaps() const { return singleFrames_ >= 4; }
    Step askForLaterGap(const char* what);
    void dropKeptData();

    State state_ = State::AwaitFile;
    std::string directory_;
    std::unique_ptr<TargetFile> target_;
    std::string name_;
    std::optional<std::uint64_t> announcedSize_;
    std::uint64_t offset_ = 0;
    std::uint64_t framePos_ = 0; // where the next subpacket of the data frame being read belongs
    bool resendAsked_ = false;   // our ZRPOS (or ZFILE answer) waits for its data
    // Subpackets that came past a gap, by position, and an end of file seen there.
    std::map<std::uint64_t, std::vector<std::uint8_t>> kept_;
    std::size_t keptBytes_ = 0;
    std::optional<std::uint64_t> keptEnd_;
    std::set<std::uint64_t> laterAsked_; // later gaps asked for while an earlier one waits
    int subpacketsInFrame_ = 0;
    int singleFrames_ = 0; // frames in a row that held one subpacket
    bool repeatedFileInfo_ = false; // ZFILE again while a file is open: only answer with our offset
    bool declinedAny_ = false;
};

} // namespace quillmar::zmodem

// The receiving side: takes each offered file into a temporary file and names it when whole.
#pragma once

#include <memory>
#include <optional>

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

    State state_ = State::AwaitFile;
    std::string directory_;
    std::unique_ptr<TargetFile> target_;
    std::string name_;
    std::optional<std::uint64_t> announcedSize_;
    std::uint64_t offset_ = 0;
    bool repeatedFileInfo_ = false; // ZFILE again while a file is open: only answer with our offset
    bool declinedAny_ = false;
};

} // namespace quillmar::zmodem

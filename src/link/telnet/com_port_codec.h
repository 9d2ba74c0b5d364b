// The client side of a telnet link to a serial server (RFC 854/855/856) with the COM port control
// option (RFC 2217): bytes in, bytes out, no sockets and no clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace quillmar::telnet {

// Telnet command bytes and the options this client knows.
enum : std::uint8_t {
    IAC = 255,
    DONT = 254,
    DO = 253,
    WONT = 252,
    WILL = 251,
    SB = 250,
    SE = 240,
    OptBinary = 0,
    OptSuppressGoAhead = 3,
    OptComPort = 44
};

// COM port control commands, client to server; the server answers with the same code plus 100.
enum ComPortCommand : std::uint8_t {
    SetBaudRate = 1,
    SetDataSize = 2,
    SetParity = 3,
    SetStopSize = 4,
    SetControl = 5,
    NotifyLineState = 6,
    NotifyModemState = 7,
    SetModemStateMask = 11,
    ServerOffset = 100
};

// Line settings in the option's own numbering.
struct ComPortSettings {
    std::uint32_t baudRate = 9600;
    std::uint8_t dataSize = 8; // 5..8
    std::uint8_t parity = 1;   // 1 none, 2 odd, 3 even, 4 mark, 5 space
    std::uint8_t stopSize = 1; // 1 one, 2 two, 3 one and a half
    std::uint8_t control = 1;  // 1 none, 2 XON/XOFF, 3 RTS/CTS
};

// What the server said about the port.
struct ComPortReply {
    ComPortCommand command; // which setting (SetBaudRate .. SetControl) or NotifyModemState
    std::uint32_t value;
    std::uint32_t asked = 0; // a setting: what the request it answers asked for
};

class ComPortCodec {
public:
    // `comPortControl` false: plain telnet in binary mode, no line settings.
    explicit ComPortCodec(bool comPortControl = true);

    // What opens the conversation: binary both ways, suppressed go-ahead, the COM port option.
    std::string start();

    // Application bytes as they go on the wire: IAC doubled, and CR followed by NUL for as long
    // as the server has not agreed to take binary data.
    void encode(const std::uint8_t* data, std::size_t size, std::string& wire) const;

    // Wire bytes from the server: application bytes to `data`, answers owed to the server to
    // `replies`, port reports to `reports`. Any split of the stream gives the same result.
    void receive(const std::uint8_t* wire, std::size_t size, std::string& data, std::string& replies,
                 std::vector<ComPortReply>& reports);

    // Asks the server to set the line; held back until the server has agreed to the option, then
    // handed out with the replies that agreement causes.
    std::string requestSettings(const ComPortSettings& settings);

    bool binaryOut() const { return us_[Binary].on; }
    // The server has not yet said whether it takes binary data: what is sent
    // now would be sent as text.
    bool binaryPending() const { return us_[Binary].asked; }
    bool binaryIn() const { return him_[Binary].on; }
    bool comPortAgreed() const { return us_[ComPort].on; }
    bool comPortRefused() const { return comPortRefused_; }
    const ComPortSettings& requested() const { return requested_; }

private:
    enum Known { Binary, SuppressGoAhead, ComPort, KnownCount };
    struct Side {
        bool on = false;
        bool asked = false; // we asked and wait for the answer
    };
    enum class State { Data, DataCr, Command, Option, Sub, SubIac };

    int known(std::uint8_t option) const;
    bool wanted(int known, bool local) const;
    void onOption(std::uint8_t verb, std::uint8_t option, std::string& replies);
    void onSubnegotiation(std::vector<ComPortReply>& reports);
    std::string settingsRequest();

    bool comPortControl_;
    bool comPortRefused_ = false;
    bool settingsPending_ = false;
    ComPortSettings requested_;
    Side us_[KnownCount];  // options we perform (WILL / WONT)
    Side him_[KnownCount]; // options the server performs (DO / DONT)
    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    std::string sub_; // subnegotiation payload, bounded
    // Per setting, the values asked for and not yet answered, oldest first.
    std::deque<std::uint32_t> asked_[SetControl + 1];
    bool subOverflow_ = false;
};

} // namespace quillmar::telnet

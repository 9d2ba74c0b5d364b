#include "com_port_codec.h"

#include <utility>

namespace quillmar::telnet {

namespace {

    // Longer than any report this client reads; what a hostile server sends past it is dropped.
    constexpr std::size_t MaxSubnegotiation = 64;
    constexpr std::uint8_t CR = 13;
    // Requests a server leaves unanswered are forgotten past this many.
    constexpr std::size_t MaxUnanswered = 16;

    void command(std::string& out, std::uint8_t verb, std::uint8_t option)
    {
        out += static_cast<char>(IAC);
        out += static_cast<char>(verb);
        out += static_cast<char>(option);
    }

    void putEscaped(std::string& out, std::uint8_t byte)
    {
        out += static_cast<char>(byte);
        if (byte == IAC)
            out += static_cast<char>(IAC);
    }

    void portCommand(std::string& out, ComPortCommand code, const std::uint8_t* value, std::size_t size)
    {
        out += static_cast<char>(IAC);
        out += static_cast<char>(SB);
        out += static_cast<char>(OptComPort);
        out += static_cast<char>(code);
        for (std::size_t i = 0; i < size; ++i)
            putEscaped(out, value[i]);
        out += static_cast<char>(IAC);
        out += static_cast<char>(SE);
    }

} // namespace

ComPortCodec::ComPortCodec(bool comPortControl)
    : comPortControl_(comPortControl)
{
}

std::string ComPortCodec::start()
{
    std::string out;
    for (int k = Binary; k < KnownCount; ++k) {
        const std::uint8_t option = k == Binary ? OptBinary
            : k == SuppressGoAhead              ? OptSuppressGoAhead
                                                : OptComPort;
        if (wanted(k, true) && !us_[k].on && !us_[k].asked) {
            us_[k].asked = true;
            command(out, WILL, option);
        }
        if (wanted(k, false) && !him_[k].on && !him_[k].asked) {
            him_[k].asked = true;
            command(out, DO, option);
        }
    }
    return out;
}

int ComPortCodec::known(std::uint8_t option) const
{
    switch (option) {
    case OptBinary: return Binary;
    case OptSuppressGoAhead: return SuppressGoAhead;
    case OptComPort: return ComPort;
    default: return -1;
    }
}

bool ComPortCodec::wanted(int k, bool local) const
{
    if (k == ComPort)
        return local && comPortControl_;
    return k >= 0;
}

void ComPortCodec::encode(const std::uint8_t* data, std::size_t size, std::string& wire) const
{
    wire.reserve(wire.size() + size + size / 16);
    for (std::size_t i = 0; i < size; ++i) {
        putEscaped(wire, data[i]);
        if (data[i] == CR && !binaryOut())
            wire += '\0';
    }
}

void ComPortCodec::receive(const std::uint8_t* wire, std::size_t size, std::string& data,
                           std::string& replies, std::vector<ComPortReply>& reports)
{
    for (std::size_t i = 0; i < size; ++i) {
        const std::uint8_t b = wire[i];
        switch (state_) {
        case State::DataCr:
            state_ = State::Data;
            if (b == 0)
                break; // the NUL a text-mode server puts after CR
            [[fallthrough]];
        case State::Data:
            if (b == IAC) {
                state_ = State::Command;
            } else {
                data += static_cast<char>(b);
                if (b == CR && !binaryIn())
                    state_ = State::DataCr;
            }
            break;
        case State::SubIac:
            if (b == IAC) {
                if (sub_.size() < MaxSubnegotiation)
                    sub_ += static_cast<char>(IAC);
                state_ = State::Sub;
                break;
            }
            if (b == SE) {
                onSubnegotiation(reports);
                state_ = State::Data;
                break;
            }
            // A command inside an unfinished subnegotiation ends it unread.
            [[fallthrough]];
        case State::Command:
            if (b == IAC) {
                data += static_cast<char>(IAC);
                state_ = State::Data;
            } else if (b == DO || b == DONT || b == WILL || b == WONT) {
                verb_ = b;
                state_ = State::Option;
            } else if (b == SB) {
                sub_.clear();
                state_ = State::Sub;
            } else {
                state_ = State::Data; // NOP, go-ahead and the like carry nothing for us
            }
            break;
        case State::Option:
            onOption(verb_, b, replies);
            state_ = State::Data;
            break;
        case State::Sub:
            if (b == IAC)
                state_ = State::SubIac;
            else if (sub_.size() < MaxSubnegotiation)
                sub_ += static_cast<char>(b);
            break;
        }
    }
}

void ComPortCodec::onOption(std::uint8_t verb, std::uint8_t option, std::string& replies)
{
    const int k = known(option);
    const bool local = verb == DO || verb == DONT;
    const bool enable = verb == DO || verb == WILL;
    if (!wanted(k, local)) {
        // Refuse anything we do not perform; a refusal of it needs no answer (already off).
        if (enable)
            command(replies, local ? WONT : DONT, option);
        return;
    }
    Side& side = local ? us_[k] : him_[k];
    const bool asked = std::exchange(side.asked, false);
    if (k == ComPort)
        comPortRefused_ = !enable;
    if (enable == side.on)
        return; // already so: answering would start a loop
    side.on = enable;
    if (!asked)
        command(replies, local ? (enable ? WILL : WONT) : (enable ? DO : DONT), option);
    if (k == ComPort && enable && std::exchange(settingsPending_, false))
        replies += settingsRequest();
}

void ComPortCodec::onSubnegotiation(std::vector<ComPortReply>& reports)
{
    if (sub_.size() < 3 || static_cast<std::uint8_t>(sub_[0]) != OptComPort)
        return;
    const auto code = static_cast<std::uint8_t>(sub_[1]);
    if (code <= ServerOffset)
        return;
    const auto command = static_cast<ComPortCommand>(code - ServerOffset);
    const auto* value = reinterpret_cast<const std::uint8_t*>(sub_.data()) + 2;
    const std::size_t size = sub_.size() - 2;
    switch (command) {
    case NotifyModemState: reports.push_back({command, value[0]}); return;
    case SetBaudRate:
    case SetDataSize:
    case SetParity:
    case SetStopSize:
    case SetControl: break;
    default: return;
    }
    if (command == SetBaudRate && size < 4)
        return;
    const std::uint32_t reported = command == SetBaudRate ? std::uint32_t(value[0]) << 24 |
            std::uint32_t(value[1]) << 16 | std::uint32_t(value[2]) << 8 | value[3]
                                                          : value[0];
    // Answers come in the order of the requests; one the server sends by
    // itself is measured against the latest request.
    std::deque<std::uint32_t>& asked = asked_[command];
    const std::uint32_t latest[] = {0,
                                    requested_.baudRate,
                                    requested_.dataSize,
                                    requested_.parity,
                                    requested_.stopSize,
                                    requested_.control};
    std::uint32_t wanted = latest[command];
    if (!asked.empty()) {
        wanted = asked.front();
        asked.pop_front();
    }
    reports.push_back({command, reported, wanted});
}

std::string ComPortCodec::requestSettings(const ComPortSettings& settings)
{
    requested_ = settings;
    if (!comPortAgreed()) {
        settingsPending_ = true;
        return {};
    }
    return settingsRequest();
}

std::string ComPortCodec::settingsRequest()
{
    const std::uint32_t values[] = {0,
                                    requested_.baudRate,
                                    requested_.dataSize,
                                    requested_.parity,
                                    requested_.stopSize,
                                    requested_.control};
    for (int k = SetBaudRate; k <= SetControl; ++k) {
        asked_[k].push_back(values[k]);
        if (asked_[k].size() > MaxUnanswered)
            asked_[k].pop_front();
    }
    std::string out;
    const std::uint32_t baud = requested_.baudRate;
    const std::uint8_t baudBytes[4] = {std::uint8_t(baud >> 24), std::uint8_t(baud >> 16),
                                       std::uint8_t(baud >> 8), std::uint8_t(baud)};
    portCommand(out, SetBaudRate, baudBytes, 4);
    portCommand(out, SetDataSize, &requested_.dataSize, 1);
    portCommand(out, SetParity, &requested_.parity, 1);
    portCommand(out, SetStopSize, &requested_.stopSize, 1);
    portCommand(out, SetControl, &requested_.control, 1);
    return out;
}

} // namespace quillmar::telnet

#include "zmodem_test_link.h"

#include <algorithm>
#include <deque>

#include "frame_writer.h"

namespace zmodemtest {
namespace {

    // Changes one byte, loses a run and doubles a run, each by its chance.
    Bytes damaged(Bytes out, const Damage& damage, std::mt19937& random)
    {
        if (out.empty())
            return out;
        std::uniform_real_distribution<double> chance(0, 1);
        auto somewhere = [&](std::size_t size) {
            return std::uniform_int_distribution<std::size_t>(0, size - 1)(random);
        };
        auto runFrom = [&](std::size_t at) {
            return std::min<std::size_t>(1 + random() % 64, out.size() - at);
        };
        if (chance(random) < damage.flipRate)
            out[somewhere(out.size())] ^= static_cast<std::uint8_t>(1 + random() % 255);
        if (chance(random) < damage.dropRate) {
            const std::size_t at = somewhere(out.size());
            out.erase(out.begin() + long(at), out.begin() + long(at + runFrom(at)));
        }
        if (!out.empty() && chance(random) < damage.duplicateRate) {
            const std::size_t at = somewhere(out.size());
            const Bytes copy(out.begin() + long(at), out.begin() + long(at + runFrom(at)));
            out.insert(out.begin() + long(at), copy.begin(), copy.end());
        }
        return out;
    }

    // One way of a Channel: bytes on their way, in time order, in microseconds.
    class Way {
    public:
        explicit Way(const Channel& channel)
            : channel_(channel)
        {
        }

        // Takes what `from` pumps into the room left, then hands `to` what has arrived by `now`.
        void carry(Station& from, Station& to, std::uint64_t nowUs, std::mt19937& random, Bytes& wire)
        {
            std::size_t waiting = 0;
            for (auto it = onWay_.rbegin(); it != onWay_.rend() && it->leaves > nowUs; ++it)
                ++waiting;
            from.out.clear();
            if (waiting < channel_.buffer)
                from.engine.pump(channel_.buffer - waiting);
            std::bernoulli_distribution lost(channel_.lossPerByte);
            const std::uint64_t perByte = 1000000 / std::uint64_t(channel_.bytesPerSecond);
            for (std::uint8_t b : from.out) {
                lastLeaves_ = std::max(lastLeaves_, nowUs) + perByte;
                if (!lost(random))
                    onWay_.push_back({b, lastLeaves_, lastLeaves_ + channel_.delayMs * 1000});
            }
            Bytes due;
            while (!onWay_.empty() && onWay_.front().arrives <= nowUs) {
                due.push_back(onWay_.front().byte);
                onWay_.pop_front();
            }
            wire.insert(wire.end(), due.begin(), due.end());
            if (!due.empty())
                to.engine.feed(due.data(), due.size(), to.terminal);
        }
        bool empty() const { return onWay_.empty(); }

    private:
        struct Byte {
            std::uint8_t byte;
            std::uint64_t leaves, arrives;
        };
        const Channel& channel_;
        std::deque<Byte> onWay_;
        std::uint64_t lastLeaves_ = 0;
    };

} // namespace

Config receiveInto(const std::string& directory)
{
    Config config;
    config.receiveDirectory = directory;
    return config;
}

Bytes scriptedSender(const std::string& name, std::uint64_t announced, const Bytes& data, int offers,
                     const std::string& mode)
{
    FrameWriter writer;
    Bytes wire = {'r', 'z', '\r'};
    writer.hexHeader(wire, Header::at(FrameType::RQInit, 0));
    std::string info = name + '\0';
    if (announced != kNoLength)
        info += std::to_string(announced) + " 0 " + mode + " 0 1 " + std::to_string(announced);
    info += '\0';
    for (int i = 0; i < offers; ++i) {
        writer.binaryHeader(wire, Header::flags(FrameType::File, kConvBinary), true);
        writer.subpacket(wire, reinterpret_cast<const std::uint8_t*>(info.data()), info.size(),
                         Terminator::WaitAck, true);
    }
    writer.binaryHeader(wire, Header::at(FrameType::Data, 0), true);
    writer.subpacket(wire, data.data(), data.size(), Terminator::EndFrame, true);
    writer.binaryHeader(wire, Header::at(FrameType::Eof, static_cast<std::uint32_t>(data.size())), true);
    writer.hexHeader(wire, Header::at(FrameType::Fin, 0));
    wire.insert(wire.end(), {'O', 'O'});
    return wire;
}

TestLink::TestLink(Config senderConfig, Config receiverConfig)
    : sender(std::move(senderConfig))
    , receiver(std::move(receiverConfig))
{
}

bool TestLink::silent()
{
    if (silenceEnds_ == 0 && wireToReceiver.size() >= silence.afterBytes)
        silenceEnds_ = now_ + silence.ms;
    return silenceEnds_ != 0 && now_ < silenceEnds_;
}

std::size_t TestLink::carry(Station& from, Station& to, const Damage& damage, std::mt19937& random,
                            Bytes& wire, Bytes& held)
{
    from.out.clear();
    const std::size_t written = from.engine.pump(room);
    if (written > room || from.out.size() != written)
        ++roomOverruns;
    Bytes chunk = damaged(from.out, damage, random);
    if (silent()) {
        if (silence.held)
            held.insert(held.end(), chunk.begin(), chunk.end());
        return written;
    }
    chunk.insert(chunk.begin(), held.begin(), held.end());
    held.clear();
    chunk.resize(std::min(chunk.size(), damage.cutAfter - std::min(damage.cutAfter, wire.size())));
    wire.insert(wire.end(), chunk.begin(), chunk.end());
    to.engine.feed(chunk.data(), chunk.size(), to.terminal);
    return written + chunk.size();
}

bool TestLink::run(int maxSteps)
{
    randomToReceiver_.seed(toReceiver.seed);
    randomToSender_.seed(toSender.seed + 7919);
    sender.engine.tick(now_);
    receiver.engine.tick(now_);
    for (int step = 0; step < maxSteps; ++step) {
        const std::size_t moved =
            carry(sender, receiver, toReceiver, randomToReceiver_, wireToReceiver, heldToReceiver_) +
            carry(receiver, sender, toSender, randomToSender_, wireToSender, heldToSender_);
        if (moved > 0)
            continue;
        if (!sender.engine.transferring() && !receiver.engine.transferring())
            return true;
        now_ += 500; // a quiet wire: let time pass
        sender.engine.tick(now_);
        receiver.engine.tick(now_);
    }
    return false;
}

} // namespace zmodemtest

namespace zmodemtest {

std::optional<std::uint64_t> TestLink::runOver(const Channel& channel, std::uint64_t limitMs)
{
    constexpr std::uint64_t kStepMs = 50;
    std::mt19937 random(channel.seed);
    Way toReceiver(channel), toSender(channel);
    const std::uint64_t start = now_;
    while (now_ - start <= limitMs) {
        sender.engine.tick(now_);
        receiver.engine.tick(now_);
        toReceiver.carry(sender, receiver, now_ * 1000, random, wireToReceiver);
        toSender.carry(receiver, sender, now_ * 1000, random, wireToSender);
        if (!sender.engine.transferring() && !receiver.engine.transferring() && toReceiver.empty() &&
            toSender.empty())
            return now_ - start;
        now_ += kStepMs;
    }
    return std::nullopt;
}

} // namespace zmodemtest

#include "zmodem_test_link.h"

#include <algorithm>

#include "frame_writer.h"

namespace zmodemtest {

Bytes patternBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
    return bytes;
}

Bytes damaged(const Bytes& chunk, const Damage& damage, std::mt19937& random) {
    if (chunk.empty()) return chunk;
    std::uniform_real_distribution<double> chance(0, 1);
    Bytes out = chunk;
    auto somewhere = [&](std::size_t size) { return std::uniform_int_distribution<std::size_t>(0, size - 1)(random); };
    if (chance(random) < damage.flipRate) out[somewhere(out.size())] ^= static_cast<std::uint8_t>(1 + random() % 255);
    if (chance(random) < damage.dropRate) {
        const std::size_t at = somewhere(out.size());
        const std::size_t length = std::min<std::size_t>(1 + random() % 64, out.size() - at);
        out.erase(out.begin() + static_cast<long>(at), out.begin() + static_cast<long>(at + length));
    }
    if (!out.empty() && chance(random) < damage.duplicateRate) {
        const std::size_t at = somewhere(out.size());
        const std::size_t length = std::min<std::size_t>(1 + random() % 64, out.size() - at);
        Bytes copy(out.begin() + static_cast<long>(at), out.begin() + static_cast<long>(at + length));
        out.insert(out.begin() + static_cast<long>(at), copy.begin(), copy.end());
    }
    return out;
}

Bytes startString() {
    Bytes wire = {'r', 'z', '\r'};
    FrameWriter().hexHeader(wire, Header::at(FrameType::RQInit, 0));
    return wire;
}

Bytes fileOffer(const std::string& name, std::uint64_t announcedSize) {
    FrameWriter writer;
    Bytes wire;
    writer.binaryHeader(wire, Header::flags(FrameType::File, kConvBinary), true);
    std::string info = name;
    info.push_back('\0');
    info += std::to_string(announcedSize) + " 0 100644 0 1 " + std::to_string(announcedSize);
    info.push_back('\0');
    writer.subpacket(wire, reinterpret_cast<const std::uint8_t*>(info.data()), info.size(), Terminator::WaitAck, true);
    return wire;
}

Bytes fileData(const Bytes& data) {
    FrameWriter writer;
    Bytes wire;
    writer.binaryHeader(wire, Header::at(FrameType::Data, 0), true);
    writer.subpacket(wire, data.data(), data.size(), Terminator::EndFrame, true);
    writer.binaryHeader(wire, Header::at(FrameType::Eof, static_cast<std::uint32_t>(data.size())), true);
    return wire;
}

Bytes goodbye(bool endWithOO) {
    Bytes wire;
    FrameWriter().hexHeader(wire, Header::at(FrameType::Fin, 0));
    if (endWithOO) wire.insert(wire.end(), {'O', 'O'});
    return wire;
}

Bytes scriptedSender(const std::string& name, std::uint64_t announcedSize, const Bytes& data, bool endWithOO) {
    Bytes wire = startString();
    for (const Bytes& part : {fileOffer(name, announcedSize), fileData(data), goodbye(endWithOO)})
        wire.insert(wire.end(), part.begin(), part.end());
    return wire;
}

Config receiveInto(const std::string& directory) {
    Config config;
    config.receiveDirectory = directory;
    return config;
}

TestLink::TestLink(Config senderConfig, Config receiverConfig)
    : sender(std::move(senderConfig)), receiver(std::move(receiverConfig)) {}

std::size_t TestLink::carry(Station& from, Station& to, const Damage& damage, std::mt19937& random) {
    from.sink.bytes.clear();
    const std::size_t written = from.engine.pump(room);
    if (written > room || from.sink.bytes.size() != written) ++roomOverruns;
    Bytes chunk = damaged(from.sink.bytes, damage, random);
    if (cutWire && cutWire()) chunk.clear();
    if (&to == &receiver) {
        bytesToReceiver += chunk.size();
        wireToReceiver.insert(wireToReceiver.end(), chunk.begin(), chunk.end());
    } else {
        wireToSender.insert(wireToSender.end(), chunk.begin(), chunk.end());
    }
    to.engine.feed(chunk.data(), chunk.size(), to.terminal);
    return written;
}

bool TestLink::run(int maxSteps) {
    randomToReceiver_.seed(toReceiver.seed);
    randomToSender_.seed(toSender.seed + 7919);
    sender.engine.tick(now);
    receiver.engine.tick(now);
    for (int step = 0; step < maxSteps; ++step) {
        const std::size_t moved = carry(sender, receiver, toReceiver, randomToReceiver_) +
                                  carry(receiver, sender, toSender, randomToSender_);
        const bool busy = sender.engine.transferring() || receiver.engine.transferring();
        if (moved == 0 && !busy) return true;
        if (moved == 0) {
            now += quietStepMs;
            sender.engine.tick(now);
            receiver.engine.tick(now);
        }
    }
    return false;
}

}  // namespace zmodemtest

// Whole transfers between two engines in memory: sizes, several files, damage, time-outs.
#include <QtTest>

#include "frame_writer.h"
#include "zmodem_test_link.h"

using namespace zmodemtest;
#pragma GCC diagnostic ignored "-Wmissing-field-initializers" // rows name only what they change

namespace {

// Files of these sizes sent over a link set up so.
struct Case {
    std::vector<std::size_t> sizes;
    Config sender, receiver;
    std::size_t room = 4096;
    Silence silence;
    Damage toReceiver, toSender;
    qint64 freeSpace = -1; // in the receive directory; -1 unknown
    QList<int> refused;    // the files the sender is told were refused
    bool pumpInsideWrite = false; // each side's sink asks for more while it is being written to
};

// Sets the link up and starts sending; the idle receiver spots the start. Returns the paths sent.
QStringList startSending(TestLink& link, const Case& c)
{
    link.room = c.room;
    link.silence = c.silence;
    link.toReceiver = c.toReceiver;
    link.toSender = c.toSender;
    if (c.freeSpace >= 0)
        link.receiver.files.setFreeSpace(std::uint64_t(c.freeSpace));
    QStringList paths;
    std::vector<std::string> toSend;
    for (std::size_t i = 0; i < c.sizes.size(); ++i) {
        toSend.push_back("/out/file" + std::to_string(i) + ".bin");
        link.sender.files.putFile(toSend.back(), patternBytes(c.sizes[i], std::uint32_t(i + 11)));
        paths << QString::fromStdString(toSend.back());
    }
    link.sender.engine.send(toSend);
    return paths;
}

Bytes binaryHeader(const Header& header)
{
    Bytes wire;
    FrameWriter().binaryHeader(wire, header, true);
    return wire;
}

int count(const Bytes& wire, const Bytes& part)
{
    int found = 0;
    for (auto at = wire.begin(); (at = std::search(at, wire.end(), part.begin(), part.end())) != wire.end(); ++at)
        ++found;
    return found;
}

// Every file the receiver reports holds the bytes sent under that name, and no temporary file is left.
void verifyReceived(const TestLink& link)
{
    for (const auto& path : link.receiver.received) {
        const auto* got = link.receiver.files.file(path.toStdString());
        const auto* sent = link.sender.files.file("/out/" + path.mid(int(kInbox.size()) + 1).toStdString());
        QVERIFY2(got && sent && *got == *sent, qPrintable("received bytes differ: " + path));
    }
    for (const auto& [path, bytes] : link.receiver.files.files())
        QVERIFY2(path.find(".part") == std::string::npos, ("left behind: " + path).c_str());
}

} // namespace

Q_DECLARE_METATYPE(Case)
Q_DECLARE_METATYPE(Channel)

class ZmodemTransferTest : public QObject {
    Q_OBJECT

private slots:
    void deliversFilesIntact_data();
    void deliversFilesIntact();
    void damagedLinkNeverReportsWrongBytes_data();
    void damagedLinkNeverReportsWrongBytes();
    void slowFarChannelKeepsPace_data();
    void slowFarChannelKeepsPace();
    void repeatedRequestIsServedOnce_data();
    void repeatedRequestIsServedOnce();
    void silenceIsRepeatedThenGivenUp();
    void unreadableFileAbortsAtOnce();
};

void ZmodemTransferTest::deliversFilesIntact_data()
{
    QTest::addColumn<Case>("c");
    const Config escape{.escapeControl = true};
    const auto row = [](const char* name, Case c) { QTest::newRow(name) << c; };
    row("seven files around 1 KiB and 8 KiB in one session", {{1025, 0, 70000, 1, 1024, 1023, 8192}});
    row("control characters escaped", {{70000, 1023}, escape});
    row("receiver asks for escaping", {{70000}, {}, escape});
    row("receiver without CRC-32", {{70000, 5}, {}, {.allowCrc32 = false}});
    row("tight link, 37 bytes of room", {{5000}, {}, {}, 37});
    // A faded radio channel, with the window's time-outs: bytes lost, or held by the TNCs and late.
    row("90 s silence mid-file, bytes lost", {{200000, 3000}, {}, {}, 4096, {100000, 90000, false}});
    row("90 s silence mid-file, bytes held and delivered late",
        {{200000, 3000}, {}, {}, 4096, {100000, 90000, true}});
    row("90 s silence in lockstep, bytes held", {{20000}, {}, {}, 600, {9000, 90000, true}});
    // A refusal is the far end's answer, not a line failure: the session goes on and ends with ZFIN.
    row("announced lengths do not fit", {.sizes = {3000, 5000, 5000}, .freeSpace = 4000, .refused = {1, 2}});
    // A port that reports its bytes gone from inside the write, and its owner pumping on that report.
    row("sinks pump again from inside their write", {.sizes = {70000, 1025}, .pumpInsideWrite = true});
}

void ZmodemTransferTest::deliversFilesIntact()
{
    QFETCH(Case, c);
    c.receiver.receiveDirectory = kInbox;
    TestLink link(c.sender, c.receiver);
    QStringList namesWhileReceiving;
    link.receiver.onProgress = [&] {
        const auto name = QString::fromStdString(link.receiver.engine.currentFileName());
        if (namesWhileReceiving.isEmpty() || namesWhileReceiving.back() != name)
            namesWhileReceiving << name;
    };
    if (c.pumpInsideWrite)
        for (Station* side : {&link.sender, &link.receiver})
            side->onWrite = [side, &link] { side->engine.pump(link.room); };
    QStringList paths = startSending(link, c), refusedPaths;
    QCOMPARE(link.sender.engine.currentFileName(), std::string("file0.bin"));
    QVERIFY(link.run());

    for (int i : c.refused)
        refusedPaths << paths[i];
    for (const auto& path : refusedPaths)
        paths.removeOne(path);
    QVERIFY2((link.sender.aborts + link.receiver.aborts).isEmpty(),
             qPrintable((link.sender.aborts + link.receiver.aborts).join("; ")));
    QVERIFY(link.sender.finishes == 1 && link.receiver.finishes == 1);
    QCOMPARE(link.sender.sent, paths);
    QCOMPARE(link.sender.refused, refusedPaths);
    QCOMPARE(link.receiver.received, QStringList(paths).replaceInStrings("/out/", "/in/"));
    verifyReceived(link);
    QCOMPARE(namesWhileReceiving, QStringList(paths).replaceInStrings("/out/", ""));
    QCOMPARE(link.receiver.engine.currentFileName(), std::string());
    QCOMPARE(link.roomOverruns, 0);
    QVERIFY(!hasAbortSequence(link.wireToReceiver) && !hasAbortSequence(link.wireToSender));
    // The terminals saw nothing of the transfer but the start, before the receiver took over.
    QCOMPARE(link.receiver.terminal, bytesOf(kStartShown));
    QVERIFY(link.sender.terminal.empty());
    // Escaped, no control character crosses bare but ZDLE and the hex headers' CR, LF and XON.
    const auto& wire = link.wireToReceiver;
    const auto bare = std::count_if(wire.begin(), wire.end(), [](std::uint8_t b) {
        return (b & 0x7F) < 0x20 && b != 0x18 && b != '\r' && b != 0x8A && b != 0x11;
    });
    QCOMPARE(bare == 0, c.sender.escapeControl || c.receiver.escapeControl);
    // No CR follows "@" bare, which a packet network would read as its escape.
    const Bytes atCr{'@', '\r'};
    QVERIFY(std::search(wire.begin(), wire.end(), atCr.begin(), atCr.end()) == wire.end());
}

void ZmodemTransferTest::damagedLinkNeverReportsWrongBytes_data()
{
    QTest::addColumn<Case>("c");
    QTest::addColumn<bool>("mustRecover");
    const auto row = [](const QByteArray& name, Damage toReceiver, Damage toSender, bool mustRecover = true) {
        QTest::newRow(name) << Case{{200000, 0, 3000}, {}, {}, 1500, {}, toReceiver, toSender} << mustRecover;
    };
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        const QByteArray s = ", seed " + QByteArray::number(seed);
        row("flipped data bytes" + s, {0.05, 0, 0, seed}, {});
        row("dropped data runs" + s, {0, 0.05, 0, seed}, {});
        row("duplicated data runs" + s, {0, 0, 0.05, seed}, {});
        row("damaged replies" + s, {}, {0.2, 0.1, 0.1, seed});
        row("both ways" + s, {0.05, 0.05, 0.05, seed}, {0.1, 0.1, 0.1, seed});
        row("hopeless link" + s, {0.9, 0.9, 0.9, seed}, {0.9, 0.9, 0.9, seed}, false);
    }
    row("wire cut during the data", {0, 0, 0, 1, 50000}, {0, 0, 0, 1, 100}, false);
}

void ZmodemTransferTest::damagedLinkNeverReportsWrongBytes()
{
    QFETCH(Case, c);
    QFETCH(bool, mustRecover);
    TestLink link;
    startSending(link, c);
    QVERIFY(link.run());

    verifyReceived(link);
    const bool senderOk = link.sender.finishes == 1, receiverOk = link.receiver.finishes == 1;
    // Success on either side means every file arrived whole; a sender that did not succeed says why once.
    if (senderOk || receiverOk)
        QCOMPARE(link.receiver.received.size(), 3);
    if (!senderOk)
        QCOMPARE(link.sender.aborts.size(), 1);
    if (mustRecover)
        QVERIFY2(senderOk && receiverOk && link.sender.aborts.isEmpty() && link.receiver.aborts.isEmpty(),
                 qPrintable((link.sender.aborts + link.receiver.aborts).join("; ")));
}

void ZmodemTransferTest::slowFarChannelKeepsPace_data()
{
    QTest::addColumn<Channel>("channel");
    for (std::uint64_t delay : {3000u, 10000u})
        for (double loss : {0.0, 1e-4}) {
            const QByteArray name = "1200 bytes/s, " + QByteArray::number(delay / 1000) + " s one way" +
                (loss > 0 ? ", 1 byte in 10000 lost" : "");
            QTest::newRow(name) << Channel{.delayMs = delay, .lossPerByte = loss};
        }
}

// A radio channel answers seconds late: repeats must wait for the answers already on their way, and
// data sent before a request was heard must not start another round of requests.
void ZmodemTransferTest::slowFarChannelKeepsPace()
{
    QFETCH(Channel, channel);
    const std::size_t size = 256 * 1024;
    const std::uint64_t roundTrip = 2 * channel.delayMs;
    const std::uint64_t bound = size * 1300 / std::uint64_t(channel.bytesPerSecond) + 10 * roundTrip;
    TestLink link;
    startSending(link, Case{{size}});
    const auto took = link.runOver(channel, 3 * bound);
    QVERIFY2(took, "still busy");
    qInfo("%llu ms (bound %llu ms)", static_cast<unsigned long long>(*took),
          static_cast<unsigned long long>(bound));
    QVERIFY2((link.sender.aborts + link.receiver.aborts).isEmpty(),
             qPrintable((link.sender.aborts + link.receiver.aborts).join("; ")));
    QCOMPARE(link.receiver.received, QStringList{QString::fromStdString(kInbox) + "/file0.bin"});
    verifyReceived(link);
    QVERIFY2(*took <= bound, qPrintable(QString::number(*took) + " ms"));
    // Questions wait for their answers: the file is offered once, and without loss asked for once.
    QCOMPARE(count(link.wireToReceiver, binaryHeader(Header::flags(FrameType::File, kConvBinary))), 1);
    if (channel.lossPerByte == 0)
        QCOMPARE(textOf(link.wireToSender).count("**\x18" "B09"), 1);
}

void ZmodemTransferTest::repeatedRequestIsServedOnce_data()
{
    QTest::addColumn<int>("againAfterMs"); // the same ZRPOS(0) again, this long after the first
    QTest::addColumn<int>("restarts");
    QTest::newRow("within a round trip: a copy, served once") << 1000 << 1;
    QTest::newRow("a round trip later: a new loss, restarted") << 2000 << 2;
}

// A receiver repeats its request until the data reaches it, as it answers a repeated ZFILE: a copy that
// comes within a round trip of the restart was sent before that data arrived.
void ZmodemTransferTest::repeatedRequestIsServedOnce()
{
    QFETCH(int, againAfterMs);
    QFETCH(int, restarts);
    Station station;
    station.files.putFile("/out/a", patternBytes(64 * 1024, 3));
    station.engine.tick(0);
    QVERIFY(station.engine.send({"/out/a"}));
    station.engine.pump(1000);
    // Each answer comes 1.5 s after its question: the round trip learned is 1500 ms.
    const auto answer = [&](std::uint64_t at, const Header& header) {
        station.engine.tick(at);
        Bytes wire;
        FrameWriter().hexHeader(wire, header);
        station.engine.feed(wire.data(), wire.size(), station.terminal);
        station.engine.pump(1000);
    };
    answer(1500, Header::flags(FrameType::RInit, kCanFullDuplex | kCanOverlapIo | kCanFcs32));
    answer(3000, Header::at(FrameType::RPos, 0));
    answer(3000 + std::uint64_t(againAfterMs), Header::at(FrameType::RPos, 0));
    QCOMPARE(count(station.out, binaryHeader(Header::at(FrameType::Data, 0))), restarts);
    QVERIFY(station.aborts.isEmpty());
}

// With the window's 2000 and 3, sender and receiver alike: asked again after 2 s, each wait twice the
// last up to 16 s, and given up once three minutes passed without a frame.
void ZmodemTransferTest::silenceIsRepeatedThenGivenUp()
{
    for (bool receiving : {false, true}) {
        Station station(Config{.timeoutMs = 2000, .timeoutRetries = 3, .receiveDirectory = kInbox});
        station.files.putFile("/out/a", patternBytes(10, 1));
        station.engine.tick(0);
        QVERIFY(receiving ? station.engine.receive() : station.engine.send({"/out/a"}));
        QVERIFY(station.engine.pump(1000) > 0);
        QList<int> askedAt, expected{2, 6, 14}; // seconds
        for (std::uint64_t now = 500; now <= 200000 && station.aborts.isEmpty(); now += 500) {
            station.engine.tick(now);
            if (station.engine.pump(1000) > 0)
                askedAt << int(now / 1000);
        }
        for (int at = 30; at <= 190; at += 16)
            expected << at;
        QCOMPARE(askedAt, expected);
        QCOMPARE(station.aborts, QStringList{"timed out waiting for the other side"});
        QVERIFY(hasAbortSequence(station.out)); // the last write, at 190 s
    }
}

// Nothing goes out for an unreadable file: no session began.
void ZmodemTransferTest::unreadableFileAbortsAtOnce()
{
    Station station;
    station.files.putFile("/out/a", patternBytes(100, 1));
    station.files.makeUnreadable("/out/a");
    QVERIFY(!station.engine.send({"/out/a"}));
    QCOMPARE(station.aborts, QStringList{"cannot read /out/a"});
    QCOMPARE(station.engine.pump(1000), std::size_t(0));
    QVERIFY(!station.engine.transferring());
    // A second send while one runs is refused: no event, nothing queued for it.
    station.files.putFile("/out/b", patternBytes(100, 2));
    QVERIFY(station.engine.send({"/out/b"}) && station.engine.pump(1000) > 0);
    QVERIFY(!station.engine.send({"/out/b"}) && station.engine.pump(1000) == 0);
    QCOMPARE(station.starts, 2);
    QCOMPARE(station.aborts.size(), 1);
}

QTEST_APPLESS_MAIN(ZmodemTransferTest)
#include "zmodem_transfer_test.moc"

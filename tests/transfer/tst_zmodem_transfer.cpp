// Whole transfers between two engines in memory: sizes, several files, damage, cancel, time-outs.
#include <QtTest>

#include "zmodem_test_link.h"

using namespace zmodemtest;

Q_DECLARE_METATYPE(zmodemtest::Damage)

namespace {

// Puts files of the given sizes on the sender and starts sending them.
std::vector<std::string> startSending(TestLink& link, const std::vector<std::size_t>& sizes) {
    link.receiver.files.addDirectory(kInbox);
    std::vector<std::string> paths;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        const std::string path = "/out/file" + std::to_string(i) + ".bin";
        link.sender.files.putFile(path, patternBytes(sizes[i], static_cast<std::uint32_t>(i + 11)));
        paths.push_back(path);
    }
    // The receiver is idle: its start detector picks up the sender's ZRQINIT.
    link.sender.engine.send(paths);
    return paths;
}

// Every file the receiver reports is byte-identical to the one sent under that name.
void verifyReceivedMatch(const TestLink& link) {
    for (const auto& path : link.receiver.events.received) {
        const auto* got = link.receiver.files.file(path);
        QVERIFY2(got, path.c_str());
        const auto* sent = link.sender.files.file("/out/" + path.substr(kInbox.size() + 1));
        QVERIFY2(sent, path.c_str());
        QVERIFY2(*got == *sent, ("received bytes differ: " + path).c_str());
    }
}

// No temporary file is left in the receive directory.
void verifyNoLeftovers(const TestLink& link) {
    for (const auto& [path, bytes] : link.receiver.files.files())
        QVERIFY2(path.find(".part") == std::string::npos, ("left behind: " + path).c_str());
}

}  // namespace

// Sender and receiver engines end to end over the in-memory link.
class ZmodemTransferTest : public QObject {
    Q_OBJECT

private slots:
    void deliversFilesIntact_data();
    void deliversFilesIntact();
    void damagedLinkNeverReportsWrongBytes_data();
    void damagedLinkNeverReportsWrongBytes();
    void cancelFromEitherSide_data();
    void cancelFromEitherSide();
    void timeOutsFollowTheTick_data();
    void timeOutsFollowTheTick();
    void skippedFileIsNotStored();
};

void ZmodemTransferTest::deliversFilesIntact_data() {
    QTest::addColumn<std::vector<std::size_t>>("sizes");
    QTest::addColumn<bool>("senderEscapes");
    QTest::addColumn<bool>("receiverEscapes");
    QTest::addColumn<bool>("receiverCrc32");
    QTest::addColumn<int>("room");
    QTest::addColumn<int>("subpacket");

    using S = std::vector<std::size_t>;
    QTest::newRow("empty file") << S{0} << false << false << true << 4096 << 8192;
    QTest::newRow("one byte") << S{1} << false << false << true << 4096 << 8192;
    QTest::newRow("1023 bytes") << S{1023} << false << false << true << 4096 << 8192;
    QTest::newRow("1024 bytes") << S{1024} << false << false << true << 4096 << 8192;
    QTest::newRow("1025 bytes") << S{1025} << false << false << true << 4096 << 8192;
    QTest::newRow("8192 bytes, one full subpacket") << S{8192} << false << false << true << 4096 << 8192;
    QTest::newRow("3 MiB") << S{3u << 20} << false << false << true << 65536 << 8192;
    QTest::newRow("five files in one session") << S{1025, 0, 70000, 1, 1024} << false << false << true << 4096 << 8192;
    QTest::newRow("control characters escaped") << S{70000, 1023} << true << false << true << 4096 << 8192;
    QTest::newRow("receiver asks for escaping") << S{70000} << false << true << true << 4096 << 8192;
    QTest::newRow("receiver without CRC-32") << S{70000, 5} << false << false << false << 4096 << 8192;
    QTest::newRow("tight link, 37 bytes of room") << S{5000} << false << false << true << 37 << 1024;
    QTest::newRow("past the ZCRCW checkpoint") << S{(1u << 20) + 4097} << false << false << true << 65536 << 8192;
}

void ZmodemTransferTest::deliversFilesIntact() {
    QFETCH(std::vector<std::size_t>, sizes);
    QFETCH(bool, senderEscapes);
    QFETCH(bool, receiverEscapes);
    QFETCH(bool, receiverCrc32);
    QFETCH(int, room);
    QFETCH(int, subpacket);

    Config senderConfig;
    senderConfig.escapeControl = senderEscapes;
    senderConfig.maxSubpacket = static_cast<std::size_t>(subpacket);
    Config receiverConfig = receiveInto(kInbox);
    receiverConfig.allowCrc32 = receiverCrc32;
    receiverConfig.escapeControl = receiverEscapes;
    TestLink link(senderConfig, receiverConfig);
    link.room = static_cast<std::size_t>(room);
    QStringList namesWhileReceiving;
    link.receiver.events.onProgress = [&] {
        const auto name = QString::fromStdString(link.receiver.engine.currentFileName());
        if (namesWhileReceiving.isEmpty() || namesWhileReceiving.back() != name) namesWhileReceiving << name;
    };
    const auto paths = startSending(link, sizes);
    QCOMPARE(link.sender.engine.currentFileName(), std::string("file0.bin"));

    QVERIFY(link.run());

    QCOMPARE(link.roomOverruns, 0);
    QCOMPARE(listed(link.sender.events.aborts), listed(std::vector<std::string>{}));
    QCOMPARE(listed(link.receiver.events.aborts), listed(std::vector<std::string>{}));
    QCOMPARE(link.sender.events.finishedCount, 1);
    QCOMPARE(link.receiver.events.finishedCount, 1);
    QCOMPARE(listed(link.sender.events.sent), listed(paths));
    QCOMPARE(link.receiver.events.received.size(), sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i)
        QCOMPARE(link.receiver.events.received[i], kInbox + "/file" + std::to_string(i) + ".bin");
    verifyReceivedMatch(link);
    verifyNoLeftovers(link);
    QStringList announced;
    for (std::size_t i = 0; i < sizes.size(); ++i) announced << QString("file%1.bin").arg(i);
    QCOMPARE(namesWhileReceiving, announced);
    QCOMPARE(link.receiver.engine.currentFileName(), std::string());
    // Whatever the receiver's terminal saw was only the start string before the engine took over.
    QVERIFY(link.receiver.terminal.size() < 40);
    QVERIFY(link.sender.terminal.empty());
    // With control characters escaped, none crosses bare but ZDLE and the hex headers' CR, LF and XON.
    const auto bare = std::count_if(link.wireToReceiver.begin(), link.wireToReceiver.end(), [](std::uint8_t b) {
        return (b & 0x7F) < 0x20 && b != 0x18 && b != '\r' && b != 0x8A && b != 0x11;
    });
    QCOMPARE(bare == 0, senderEscapes || receiverEscapes);
}

void ZmodemTransferTest::damagedLinkNeverReportsWrongBytes_data() {
    QTest::addColumn<Damage>("toReceiver");
    QTest::addColumn<Damage>("toSender");
    QTest::addColumn<bool>("mustRecover");

    const Damage clean{};
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        const QByteArray s = QByteArray::number(seed);
        QTest::newRow("flipped data bytes, seed " + s) << Damage{0.05, 0, 0, seed} << clean << true;
        QTest::newRow("dropped data runs, seed " + s) << Damage{0, 0.05, 0, seed} << clean << true;
        QTest::newRow("duplicated data runs, seed " + s) << Damage{0, 0, 0.05, seed} << clean << true;
        QTest::newRow("damaged replies, seed " + s) << clean << Damage{0.2, 0.1, 0.1, seed} << true;
        QTest::newRow("both ways, seed " + s) << Damage{0.05, 0.05, 0.05, seed} << Damage{0.1, 0.1, 0.1, seed} << true;
        QTest::newRow("hopeless link, seed " + s) << Damage{0.9, 0.9, 0.9, seed} << Damage{0.9, 0.9, 0.9, seed} << false;
    }
}

void ZmodemTransferTest::damagedLinkNeverReportsWrongBytes() {
    QFETCH(Damage, toReceiver);
    QFETCH(Damage, toSender);
    QFETCH(bool, mustRecover);

    TestLink link;
    link.toReceiver = toReceiver;
    link.toSender = toSender;
    link.room = 1500;
    startSending(link, {200000, 0, 3000});
    QVERIFY(link.run());

    verifyReceivedMatch(link);
    verifyNoLeftovers(link);
    const bool senderOk = link.sender.events.finishedCount == 1;
    const bool receiverOk = link.receiver.events.finishedCount == 1;
    // Success on either side means every file arrived whole.
    if (senderOk || receiverOk) QCOMPARE(link.receiver.events.received.size(), std::size_t(3));
    if (!senderOk) QCOMPARE(link.sender.events.aborts.size(), std::size_t(1));
    if (mustRecover) {
        QCOMPARE(listed(link.sender.events.aborts).join("; "), QString());
        QCOMPARE(listed(link.receiver.events.aborts).join("; "), QString());
        QVERIFY(senderOk && receiverOk);
    }
}

void ZmodemTransferTest::cancelFromEitherSide_data() {
    QTest::addColumn<bool>("receiverCancels");
    QTest::addColumn<int>("atByte");

    QTest::newRow("sender cancels at the first data") << false << 1;
    QTest::newRow("sender cancels half way") << false << 100000;
    QTest::newRow("receiver cancels at the first data") << true << 1;
    QTest::newRow("receiver cancels half way") << true << 100000;
}

void ZmodemTransferTest::cancelFromEitherSide() {
    QFETCH(bool, receiverCancels);
    QFETCH(int, atByte);

    TestLink link;
    Station& canceller = receiverCancels ? link.receiver : link.sender;
    canceller.events.onProgress = [&] {
        if (canceller.events.lastDone >= std::uint64_t(atByte) && canceller.engine.transferring())
            canceller.engine.abort("operator cancelled");
    };
    startSending(link, {200000, 500});
    QVERIFY(link.run());

    QCOMPARE(listed(canceller.events.aborts), listed(std::vector<std::string>{"operator cancelled"}));
    Station& other = receiverCancels ? link.sender : link.receiver;
    QCOMPARE(listed(other.events.aborts), listed(std::vector<std::string>{"cancelled by the other side"}));
    QCOMPARE(link.sender.events.finishedCount + link.receiver.events.finishedCount, 0);
    QVERIFY(link.receiver.events.received.empty());
    QVERIFY(link.sender.events.sent.empty());
    verifyNoLeftovers(link);
    QVERIFY(!link.sender.engine.transferring());
    QVERIFY(!link.receiver.engine.transferring());
    QCOMPARE(canceller.engine.currentFileName(), std::string());
}

void ZmodemTransferTest::timeOutsFollowTheTick_data() {
    QTest::addColumn<bool>("silentReceiver");
    QTest::addColumn<int>("cutAfterBytes");

    QTest::newRow("nobody answers the sender") << true << 0;
    QTest::newRow("wire cut during the data") << false << 50000;
}

void ZmodemTransferTest::timeOutsFollowTheTick() {
    QFETCH(bool, silentReceiver);
    QFETCH(int, cutAfterBytes);

    TestLink link;
    if (silentReceiver) {
        link.sender.files.putFile("/out/a", patternBytes(10, 1));
        link.sender.engine.tick(0);
        QVERIFY(link.sender.engine.send({"/out/a"}));
        link.sender.engine.pump(1000);
        const std::size_t firstCall = link.sender.sink.bytes.size();
        // One millisecond short of the time-out: nothing is repeated.
        link.sender.engine.tick(1999);
        QCOMPARE(link.sender.engine.pump(1000), std::size_t(0));
        link.sender.engine.tick(2000);
        QVERIFY(link.sender.engine.pump(1000) > 0);
        QVERIFY(link.sender.events.aborts.empty());
        // Three repeats in all, then the sender gives up.
        link.sender.engine.tick(4000);
        link.sender.engine.tick(6000);
        QVERIFY(link.sender.events.aborts.empty());
        link.sender.engine.tick(8000);
        QCOMPARE(listed(link.sender.events.aborts), listed(std::vector<std::string>{"timed out waiting for the other side"}));
        link.sender.engine.pump(100000);
        QVERIFY(link.sender.sink.bytes.size() > firstCall);
        return;
    }
    link.cutWire = [&] { return link.bytesToReceiver >= std::size_t(cutAfterBytes); };
    startSending(link, {200000});
    QVERIFY(link.run());
    QCOMPARE(link.sender.events.aborts.size(), std::size_t(1));
    QCOMPARE(listed(link.receiver.events.aborts), listed(std::vector<std::string>{"timed out waiting for the other side"}));
    QVERIFY(link.receiver.events.received.empty());
    verifyNoLeftovers(link);
    // Each side waited through its retries on the simulated clock, and not much longer.
    QVERIFY(link.now >= 1000 + 4 * 2000);
    QVERIFY(link.now <= 1000 + 6 * 2000);
}

void ZmodemTransferTest::skippedFileIsNotStored() {
    TestLink link;
    link.receiver.events.accept = [](const std::string& name) { return name != "file0.bin"; };
    startSending(link, {5000, 700});
    QVERIFY(link.run());
    QCOMPARE(listed(link.receiver.events.offered), listed(std::vector<std::string>{"file0.bin", "file1.bin"}));
    QCOMPARE(listed(link.receiver.events.received), listed(std::vector<std::string>{kInbox + "/file1.bin"}));
    QCOMPARE(listed(link.sender.events.sent), listed(std::vector<std::string>{"/out/file1.bin"}));
    QCOMPARE(link.sender.events.finishedCount, 1);
    QVERIFY(link.receiver.files.file(kInbox + "/file0.bin") == nullptr);
    verifyReceivedMatch(link);
}

QTEST_APPLESS_MAIN(ZmodemTransferTest)
#include "tst_zmodem_transfer.moc"

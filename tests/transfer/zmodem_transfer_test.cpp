// Whole transfers between two engines in memory: sizes, several files, damage, cancel, time-outs.
#include <QtTest>

#include "zmodem_test_link.h"

using namespace zmodemtest;

// Rows name only the settings they change and leave the rest at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

Q_DECLARE_METATYPE(zmodemtest::Damage)
Q_DECLARE_METATYPE(zmodemtest::Silence)
Q_DECLARE_METATYPE(quillmar::zmodem::Config)

namespace {

// Puts files of the given sizes on the sender and starts sending them; the idle receiver spots the start.
QStringList startSending(TestLink& link, const std::vector<std::size_t>& sizes)
{
    QStringList paths;
    std::vector<std::string> toSend;
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        toSend.push_back("/out/file" + std::to_string(i) + ".bin");
        link.sender.files.putFile(toSend.back(), patternBytes(sizes[i], std::uint32_t(i + 11)));
        paths << QString::fromStdString(toSend.back());
    }
    link.sender.engine.send(toSend);
    return paths;
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
    void silenceIsRepeatedThenGivenUp_data();
    void silenceIsRepeatedThenGivenUp();
    void unreadableFileAbortsAtOnce();
};

void ZmodemTransferTest::deliversFilesIntact_data()
{
    QTest::addColumn<std::vector<std::size_t>>("sizes");
    QTest::addColumn<Config>("senderConfig");
    QTest::addColumn<Config>("receiverConfig");
    QTest::addColumn<int>("room");
    QTest::addColumn<Silence>("silence");
    QTest::addColumn<QStringList>("turnDown"); // names the receiver's owner says no to
    QTest::addColumn<qint64>("freeSpace");     // in the receive directory; -1 unknown
    QTest::addColumn<QList<int>>("refused");   // the files the sender is told were refused

    using S = std::vector<std::size_t>;
    const Config plain;
    const Silence none;
    const auto row = [&](const char* name, S sizes, Config sender = {}, Config receiver = {}, int room = 4096,
                         Silence silence = {}) {
        QTest::newRow(name) << sizes << sender << receiver << room << silence << QStringList() << qint64(-1)
                            << QList<int>();
    };
    row("an empty file alone", S{0});
    row("3 MiB, past ZCRCW checkpoints", S{3u << 20}, plain, plain, 65536);
    row("seven files around 1 KiB and 8 KiB in one session", S{1025, 0, 70000, 1, 1024, 1023, 8192});
    row("control characters escaped", S{70000, 1023}, Config{.escapeControl = true});
    row("receiver asks for escaping", S{70000}, plain, Config{.escapeControl = true});
    row("receiver without CRC-32", S{70000, 5}, plain, Config{.allowCrc32 = false});
    row("tight link, 37 bytes of room", S{5000}, plain, plain, 37);
    // A faded radio channel, with the window's time-outs: bytes lost, or held by the TNCs and late.
    row("90 s silence mid-file, bytes lost", S{200000, 3000}, plain, plain, 4096,
        Silence{100000, 90000, false});
    row("90 s silence mid-file, bytes held and delivered late", S{200000, 3000}, plain, plain, 4096,
        Silence{100000, 90000, true});
    row("90 s silence in lockstep, bytes held", S{20000}, plain, plain, 600, Silence{9000, 90000, true});
    // A refusal is the far end's answer, not a failure of the line: the session goes on with the next file
    // and ends with ZFIN, no abort sequence, but the sender learns which file did not go.
    const S three{3000, 5000, 5000};
    QTest::newRow("receiver declines the second of three")
        << three << plain << plain << 4096 << none << QStringList{"file1.bin"} << qint64(-1) << QList<int>{1};
    QTest::newRow("announced lengths do not fit")
        << three << plain << plain << 4096 << none << QStringList() << qint64(4000) << QList<int>{1, 2};
    QTest::newRow("exactly as much free as announced")
        << three << plain << plain << 4096 << none << QStringList() << qint64(5000) << QList<int>();
}

void ZmodemTransferTest::deliversFilesIntact()
{
    QFETCH(std::vector<std::size_t>, sizes);
    QFETCH(Config, senderConfig);
    QFETCH(Config, receiverConfig);
    QFETCH(int, room);
    QFETCH(Silence, silence);
    QFETCH(QStringList, turnDown);
    QFETCH(qint64, freeSpace);
    QFETCH(QList<int>, refused);
    receiverConfig.receiveDirectory = kInbox;
    TestLink link(senderConfig, receiverConfig);
    link.room = std::size_t(room);
    link.silence = silence;
    link.receiver.turnDown = turnDown;
    if (freeSpace >= 0)
        link.receiver.files.setFreeSpace(std::uint64_t(freeSpace));
    QStringList namesWhileReceiving;
    link.receiver.onProgress = [&] {
        const auto name = QString::fromStdString(link.receiver.engine.currentFileName());
        if (namesWhileReceiving.isEmpty() || namesWhileReceiving.back() != name)
            namesWhileReceiving << name;
    };
    QStringList paths = startSending(link, sizes), refusedPaths;
    QCOMPARE(link.sender.engine.currentFileName(), std::string("file0.bin"));
    QVERIFY(link.run());

    for (int i : refused)
        refusedPaths << paths[i];
    for (const auto& path : refusedPaths)
        paths.removeOne(path);
    QCOMPARE(link.sender.aborts + link.receiver.aborts, QStringList());
    QCOMPARE(link.sender.finishes, 1);
    QCOMPARE(link.receiver.finishes, 1);
    QCOMPARE(link.sender.sent, paths);
    QCOMPARE(link.sender.refused, refusedPaths);
    QCOMPARE(link.receiver.declined.size(), refused.size());
    QCOMPARE(link.receiver.received, QStringList(paths).replaceInStrings("/out/", "/in/"));
    verifyReceived(link);
    QCOMPARE(namesWhileReceiving, QStringList(paths).replaceInStrings("/out/", ""));
    QCOMPARE(link.receiver.engine.currentFileName(), std::string());
    QCOMPARE(link.roomOverruns, 0);
    QVERIFY(!hasAbortSequence(link.wireToReceiver) && !hasAbortSequence(link.wireToSender));
    // The terminals saw nothing of the transfer but the start, before the receiver took over.
    QCOMPARE(link.receiver.terminal, bytesOf(kStartText));
    QVERIFY(link.sender.terminal.empty());
    // With control characters escaped, none crosses bare but ZDLE and the hex headers' CR, LF and XON.
    const auto bare =
        std::count_if(link.wireToReceiver.begin(), link.wireToReceiver.end(), [](std::uint8_t b) {
            return (b & 0x7F) < 0x20 && b != 0x18 && b != '\r' && b != 0x8A && b != 0x11;
        });
    QCOMPARE(bare == 0, senderConfig.escapeControl || receiverConfig.escapeControl);
    // And no CR follows "@" bare, which a packet network would read as its escape.
    const Bytes atCr{'@', '\r'};
    QVERIFY(std::search(link.wireToReceiver.begin(), link.wireToReceiver.end(), atCr.begin(), atCr.end()) ==
            link.wireToReceiver.end());
}

void ZmodemTransferTest::damagedLinkNeverReportsWrongBytes_data()
{
    QTest::addColumn<Damage>("toReceiver");
    QTest::addColumn<Damage>("toSender");
    QTest::addColumn<bool>("mustRecover");

    const Damage clean{};
    for (std::uint32_t seed : {1u, 2u, 3u}) {
        const QByteArray s = ", seed " + QByteArray::number(seed);
        QTest::newRow("flipped data bytes" + s) << Damage{0.05, 0, 0, seed} << clean << true;
        QTest::newRow("dropped data runs" + s) << Damage{0, 0.05, 0, seed} << clean << true;
        QTest::newRow("duplicated data runs" + s) << Damage{0, 0, 0.05, seed} << clean << true;
        QTest::newRow("damaged replies" + s) << clean << Damage{0.2, 0.1, 0.1, seed} << true;
        QTest::newRow("both ways" + s)
            << Damage{0.05, 0.05, 0.05, seed} << Damage{0.1, 0.1, 0.1, seed} << true;
        QTest::newRow("hopeless link" + s)
            << Damage{0.9, 0.9, 0.9, seed} << Damage{0.9, 0.9, 0.9, seed} << false;
    }
    QTest::newRow("wire cut during the data")
        << Damage{0, 0, 0, 1, 50000} << Damage{0, 0, 0, 1, 100} << false;
}

void ZmodemTransferTest::damagedLinkNeverReportsWrongBytes()
{
    QFETCH(Damage, toReceiver);
    QFETCH(Damage, toSender);
    QFETCH(bool, mustRecover);
    TestLink link;
    link.toReceiver = toReceiver;
    link.toSender = toSender;
    link.room = 1500;
    startSending(link, {200000, 0, 3000});
    QVERIFY(link.run());

    verifyReceived(link);
    const bool senderOk = link.sender.finishes == 1;
    const bool receiverOk = link.receiver.finishes == 1;
    // Success on either side means every file arrived whole; a sender that did not succeed says why once.
    if (senderOk || receiverOk)
        QCOMPARE(link.receiver.received.size(), 3);
    if (!senderOk)
        QCOMPARE(link.sender.aborts.size(), 1);
    if (mustRecover) {
        QCOMPARE(link.sender.aborts + link.receiver.aborts, QStringList());
        QVERIFY(senderOk && receiverOk);
    }
}

void ZmodemTransferTest::cancelFromEitherSide_data()
{
    QTest::addColumn<bool>("receiverCancels");
    QTest::addColumn<int>("atByte");
    QTest::addColumn<QString>("reason");

    QTest::newRow("sender cancels at the first data") << false << 1 << "operator cancelled";
    QTest::newRow("sender cancels half way") << false << 100000 << "operator cancelled";
    QTest::newRow("receiver cancels half way") << true << 100000 << "operator cancelled";
    QTest::newRow("receiver switched off half way") << true << 100000 << "transfers switched off";
}

void ZmodemTransferTest::cancelFromEitherSide()
{
    QFETCH(bool, receiverCancels);
    QFETCH(int, atByte);
    QFETCH(QString, reason);
    TestLink link;
    Station& canceller = receiverCancels ? link.receiver : link.sender;
    Station& other = receiverCancels ? link.sender : link.receiver;
    canceller.onProgress = [&] {
        if (canceller.lastDone < std::uint64_t(atByte) || !canceller.engine.transferring())
            return;
        if (reason == "transfers switched off")
            canceller.engine.setActive(false);
        else
            canceller.engine.abort(reason.toStdString());
    };
    startSending(link, {200000, 500});
    QVERIFY(link.run());

    QCOMPARE(canceller.aborts, QStringList{reason});
    QCOMPARE(other.aborts, QStringList{"cancelled by the other side"});
    QCOMPARE(link.sender.finishes + link.receiver.finishes, 0);
    QCOMPARE(link.receiver.received + link.sender.sent, QStringList());
    verifyReceived(link);
    QVERIFY(!link.sender.engine.transferring() && !link.receiver.engine.transferring());
    QCOMPARE(canceller.engine.currentFileName(), std::string());
}

void ZmodemTransferTest::silenceIsRepeatedThenGivenUp_data()
{
    QTest::addColumn<bool>("receiving");
    QTest::newRow("sender, nobody answers") << false;
    QTest::newRow("receiver, nobody sends") << true;
}

// With the window's 2000 and 3: asked again after 2 s, each wait twice the last up to 16 s, and
// given up once three minutes passed without a frame.
void ZmodemTransferTest::silenceIsRepeatedThenGivenUp()
{
    QFETCH(bool, receiving);
    Station station(Config{.timeoutMs = 2000, .timeoutRetries = 3, .receiveDirectory = kInbox});
    station.files.putFile("/out/a", patternBytes(10, 1));
    station.engine.tick(0);
    QVERIFY(receiving ? station.engine.receive() : station.engine.send({"/out/a"}));
    QVERIFY(station.engine.pump(1000) > 0);
    QList<int> askedAt; // seconds
    for (std::uint64_t now = 500; now <= 200000; now += 500) {
        station.engine.tick(now);
        if (station.engine.pump(1000) > 0)
            askedAt << int(now / 1000);
        if (!station.aborts.isEmpty())
            break;
    }
    QList<int> expected{2, 6, 14};
    for (int at = 30; at <= 190; at += 16)
        expected << at;
    QCOMPARE(askedAt, expected);
    QCOMPARE(station.aborts, QStringList{"timed out waiting for the other side"});
    QVERIFY(hasAbortSequence(station.out)); // the last write, at 190 s
}

// Nothing goes out where no session began: not for an unreadable file, an idle abort or switching off.
void ZmodemTransferTest::unreadableFileAbortsAtOnce()
{
    Station station;
    station.files.putFile("/out/a", patternBytes(100, 1));
    station.files.makeUnreadable("/out/a");
    QVERIFY(!station.engine.send({"/out/a"}));
    QCOMPARE(station.aborts, QStringList{"cannot read /out/a"});
    station.engine.abort("operator");
    station.engine.setActive(false);
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

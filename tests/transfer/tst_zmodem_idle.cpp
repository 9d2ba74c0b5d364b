// Idle watching: terminal bytes pass through untouched while a remote ZModem start is spotted.
#include <QtTest>

#include "zmodem_test_link.h"

using namespace zmodemtest;

namespace {

const std::string kStart = "rz\r**\x18" "B00000000000000\r\x8a\x11";

Bytes bytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

// Feeds `input` cut at `cuts` and returns what reached the terminal.
Bytes feedInPieces(Station& station, const Bytes& input, const std::vector<std::size_t>& cuts) {
    std::size_t from = 0;
    for (std::size_t cut : cuts) {
        station.engine.feed(input.data() + from, cut - from, station.terminal);
        from = cut;
    }
    station.engine.feed(input.data() + from, input.size() - from, station.terminal);
    return station.terminal;
}

}  // namespace

// Pass-through, start detection and the end of a session, as the terminal sees them.
class ZmodemIdleTest : public QObject {
    Q_OBJECT

private slots:
    void terminalBytesPassUntouched_data();
    void terminalBytesPassUntouched();
    void startIsFoundAcrossEveryChunkBorder();
    void bytesAfterTheSessionAreTerminalBytes_data();
    void bytesAfterTheSessionAreTerminalBytes();
    void switchingOffAbortsAndPassesThrough();
};

void ZmodemIdleTest::terminalBytesPassUntouched_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("starts");

    QTest::newRow("TNC prompt") << QByteArray("cmd:CONNECT W1AW\r\n*** CONNECTED\r\n") << true << false;
    QTest::newRow("partial start at the end") << QByteArray("text **\x18" "B0000") << true << false;
    QTest::newRow("start with a bad check") << QByteArray("**\x18" "B00000000000001\r\n") << true << false;
    QTest::newRow("remote receiver's ZRINIT does not start a receive")
        << QByteArray("**\x18" "B0100000023be50\r\n") << true << false;
    QTest::newRow("binary noise") << QByteArray("\x00\xff\x18\x18*\x18" "A\x01\x02", 10) << true << false;
    QTest::newRow("remote sender") << QByteArray::fromStdString(kStart) << true << true;
    QTest::newRow("remote sender, watching off") << QByteArray::fromStdString(kStart) << false << false;
}

void ZmodemIdleTest::terminalBytesPassUntouched() {
    QFETCH(QByteArray, input);
    QFETCH(bool, active);
    QFETCH(bool, starts);
    Station station(receiveInto("/in"));
    station.engine.setActive(active);
    const Bytes bytes(input.begin(), input.end());
    station.engine.feed(bytes.data(), bytes.size(), station.terminal);

    QCOMPARE(station.engine.transferring(), starts);
    QCOMPARE(station.events.starts.size(), std::size_t(starts ? 1 : 0));
    // Up to the end of the start header every byte reached the terminal, in order.
    const std::size_t shown = starts ? kStart.size() - 3 : bytes.size();
    QCOMPARE(station.terminal, Bytes(bytes.begin(), bytes.begin() + long(shown)));
    station.engine.pump(1000);
    QCOMPARE(station.sink.bytes.empty(), !starts);  // a start is answered with ZRINIT
}

void ZmodemIdleTest::startIsFoundAcrossEveryChunkBorder() {
    const Bytes input = bytesOf("login ok\r\n" + kStart);
    const std::size_t headerEnd = input.size() - 3;
    for (std::size_t first = 1; first < input.size(); ++first) {
        for (std::size_t second = first; second < input.size(); second += 5) {
            Station station(receiveInto("/in"));
            const Bytes shown = feedInPieces(station, input, {first, second});
            QVERIFY2(station.engine.transferring(), qPrintable(QString("cut at %1 and %2").arg(first).arg(second)));
            QCOMPARE(shown, Bytes(input.begin(), input.begin() + long(headerEnd)));
        }
    }
}

void ZmodemIdleTest::bytesAfterTheSessionAreTerminalBytes_data() {
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("waitMs");

    QTest::newRow("OO then the shell prompt") << QByteArray("OO$ ") << QByteArray("$ ") << 0;
    QTest::newRow("OO lost") << QByteArray("$ ") << QByteArray("$ ") << 0;
    QTest::newRow("one O of two") << QByteArray("O$ ") << QByteArray("$ ") << 0;
    QTest::newRow("late O is the terminal's") << QByteArray("OK") << QByteArray("OK") << 2000;
}

void ZmodemIdleTest::bytesAfterTheSessionAreTerminalBytes() {
    QFETCH(QByteArray, after);
    QFETCH(QByteArray, expected);
    QFETCH(int, waitMs);
    Station station(receiveInto(kInbox));
    station.files.addDirectory(kInbox);
    const Bytes wire = scriptedSender("a", 3000, patternBytes(3000, 2), false);
    station.engine.tick(1000);
    station.engine.feed(wire.data(), wire.size(), station.terminal);
    QCOMPARE(station.events.finishedCount, 1);
    const std::size_t before = station.terminal.size();
    station.engine.tick(1000 + std::uint64_t(waitMs));
    const Bytes tail(after.begin(), after.end());
    station.engine.feed(tail.data(), tail.size(), station.terminal);
    QCOMPARE(Bytes(station.terminal.begin() + long(before), station.terminal.end()), Bytes(expected.begin(), expected.end()));
    QVERIFY(!station.engine.transferring());
}

void ZmodemIdleTest::switchingOffAbortsAndPassesThrough() {
    TestLink link;
    link.receiver.files.addDirectory(kInbox);
    link.sender.files.putFile("/out/a", patternBytes(300000, 2));
    link.receiver.events.onProgress = [&] {
        if (link.receiver.events.lastDone > 50000) link.receiver.engine.setActive(false);
    };
    link.sender.engine.send({"/out/a"});
    QVERIFY(link.run());

    QCOMPARE(listed(link.receiver.events.aborts), QStringList{"transfers switched off"});
    QCOMPARE(listed(link.sender.events.aborts), QStringList{"cancelled by the other side"});
    QVERIFY(link.receiver.files.files().empty());
    QVERIFY(!link.receiver.engine.active());
    // Inactive: even a fresh start string is only terminal text.
    const Bytes again = bytesOf(kStart);
    link.receiver.terminal.clear();
    link.receiver.engine.feed(again.data(), again.size(), link.receiver.terminal);
    QCOMPARE(link.receiver.terminal, again);
    QVERIFY(!link.receiver.engine.transferring());
}

QTEST_APPLESS_MAIN(ZmodemIdleTest)
#include "tst_zmodem_idle.moc"

// A receiving engine fed what arrives on the line: terminal pass-through, spotting a remote start, and the
// names, directories and lengths it must not trust.
#include <QtTest>

#include "zmodem_test_link.h"

using namespace zmodemtest;

// Rows name only the settings they change and leave the rest at their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace {

const QByteArray kStart = kStartText + "\r\x8a\x11"; // a sender's whole start, with the header's line end
enum Repeat { Once, RepeatedOffer, DamagedRepeat };  // how often, and how well, the sender offers the file

// What a scripted sender offers and what the receiver finds; the sender always sends 3000 bytes.
struct Offer {
    QByteArray name = "x.txt";
    int announced = 3000;
    Repeat repeat = Once;
    QString directory = "/in";
    QStringList existing;
};

void feed(Station& station, const Bytes& bytes)
{
    station.engine.feed(bytes.data(), bytes.size(), station.terminal);
}

} // namespace

Q_DECLARE_METATYPE(Offer)

// One engine, with the other side's bytes scripted.
class ZmodemReceiverTest : public QObject {
    Q_OBJECT

private slots:
    void terminalBytesPassUntouched_data();
    void terminalBytesPassUntouched();
    void bytesAfterTheSessionAreTerminalBytes_data();
    void bytesAfterTheSessionAreTerminalBytes();
    void fileLandsSafelyOrAborts_data();
    void fileLandsSafelyOrAborts();
};

void ZmodemReceiverTest::terminalBytesPassUntouched_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("starts");

    QTest::newRow("TNC prompt") << QByteArray("cmd:CONNECT W1AW\r\n*** CONNECTED\r\n") << true << false;
    QTest::newRow("partial start at the end") << QByteArray("text **\x18"
                                                            "B0000")
                                              << true << false;
    QTest::newRow("start with a bad check") << QByteArray("**\x18"
                                                          "B00000000000001\r\n")
                                            << true << false;
    QTest::newRow("remote receiver's ZRINIT does not start a receive") << QByteArray("**\x18"
                                                                                     "B0100000023be50\r\n")
                                                                       << true << false;
    QTest::newRow("binary noise") << QByteArray("\x00\xff\x18\x18*\x18"
                                                "A\x01\x02",
                                                10)
                                  << true << false;
    QTest::newRow("remote sender after a login") << "login ok\r\n" + kStart << true << true;
    QTest::newRow("remote sender, watching off") << kStart << false << false;
}

// Every input is also fed cut at every pair of places, as a serial port hands it over.
void ZmodemReceiverTest::terminalBytesPassUntouched()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, active);
    QFETCH(bool, starts);
    const Bytes bytes = bytesOf(input);
    // Up to the end of the start header every byte reaches the terminal, in order; its line end does not.
    const Bytes shown(bytes.begin(), bytes.end() - (starts ? 3 : 0));
    for (std::size_t first = 0; first <= bytes.size(); ++first) {
        for (std::size_t second = first; second <= bytes.size(); second += 3) {
            Station station;
            station.engine.setActive(active);
            station.engine.feed(bytes.data(), first, station.terminal);
            station.engine.feed(bytes.data() + first, second - first, station.terminal);
            station.engine.feed(bytes.data() + second, bytes.size() - second, station.terminal);
            station.engine.pump(1000);
            const QByteArray cut = "cut at " + QByteArray::number(qulonglong(first)) + " and " +
                QByteArray::number(qulonglong(second));
            QVERIFY2(station.engine.transferring() == starts && station.starts == int(starts),
                     cut.constData());
            QVERIFY2(station.terminal == shown, cut.constData());
            QVERIFY2(station.out.empty() != starts, cut.constData()); // a start is answered with ZRINIT
        }
    }
}

void ZmodemReceiverTest::bytesAfterTheSessionAreTerminalBytes_data()
{
    QTest::addColumn<QByteArray>("after");
    QTest::addColumn<QByteArray>("expected");
    QTest::addColumn<int>("waitMs");

    QTest::newRow("OO then the shell prompt") << QByteArray("OO$ ") << QByteArray("$ ") << 0;
    QTest::newRow("one O of two") << QByteArray("O$ ") << QByteArray("$ ") << 0;
    QTest::newRow("late O is the terminal's") << QByteArray("OK") << QByteArray("OK") << 2000;
}

void ZmodemReceiverTest::bytesAfterTheSessionAreTerminalBytes()
{
    QFETCH(QByteArray, after);
    QFETCH(QByteArray, expected);
    QFETCH(int, waitMs);
    Station station;
    station.engine.tick(1000);
    feed(station, scriptedSender("a", 3000, patternBytes(3000, 2), 1, false));
    QCOMPARE(station.finishes, 1);
    station.terminal.clear();
    station.engine.tick(1000 + std::uint64_t(waitMs));
    feed(station, bytesOf(after));
    QCOMPARE(station.terminal, bytesOf(expected));
    QVERIFY(!station.engine.transferring());
}

void ZmodemReceiverTest::fileLandsSafelyOrAborts_data()
{
    QTest::addColumn<Offer>("offer");
    QTest::addColumn<QString>("outcome"); // the path the file lands at, or why the receiver aborts

    QTest::newRow("spaces kept") << Offer{.name = "net log 3.txt"} << "/in/net log 3.txt";
    QTest::newRow("parent directory in the name") << Offer{.name = "../x"} << "/in/x";
    QTest::newRow("absolute path in the name") << Offer{.name = "/etc/passwd"} << "/in/passwd";
    QTest::newRow("DOS path in the name") << Offer{.name = "C:\\TEMP\\MSG.TXT"} << "/in/MSG.TXT";
    QTest::newRow("control bytes in the name")
        << Offer{.name = "ev\x1b[2Jil\r\n\x7f.txt"} << "/in/ev[2Jil.txt";
    QTest::newRow("hidden start-up file") << Offer{.name = ".bashrc"} << "/in/bashrc";
    QTest::newRow("empty name") << Offer{.name = ""} << "/in/received-file";
    QTest::newRow("only dots") << Offer{.name = ".."} << "/in/received-file";
    QTest::newRow("only a directory") << Offer{.name = "dir/"} << "/in/received-file";
    QTest::newRow("very long name") << Offer{.name = QByteArray(300, 'n')} << "/in/" + QString(200, 'n');
    QTest::newRow("long name with UTF-8 at the cut")
        << Offer{.name = QByteArray(199, 'n') + "\xc3\xa9\xc3\xa9"} << "/in/" + QString(199, 'n');
    QTest::newRow("name taken") << Offer{.existing = {"/in/x.txt"}} << "/in/x.txt.1";
    QTest::newRow("name and .1 taken") << Offer{.existing = {"/in/x.txt", "/in/x.txt.1"}} << "/in/x.txt.2";
    QTest::newRow("only .1 taken") << Offer{.existing = {"/in/x.txt.1"}} << "/in/x.txt";
    QTest::newRow("empty directory means home") << Offer{.directory = ""} << "/home/op/x.txt";
    QTest::newRow("receive directory missing")
        << Offer{.directory = "/nowhere"} << "cannot write in /nowhere";
    QTest::newRow("receive directory read-only") << Offer{.directory = "/ro"} << "cannot write in /ro";
    QTest::newRow("fewer bytes than announced")
        << Offer{.announced = 4000} << "file ended at 3000 bytes, 4000 were announced";
    QTest::newRow("more bytes than announced")
        << Offer{.announced = 2000} << "the sender sent more than the 2000 bytes it announced";
    QTest::newRow("offer repeated mid-file") << Offer{.repeat = RepeatedOffer} << "/in/x.txt";
    QTest::newRow("damaged repeat of the offer") << Offer{.repeat = DamagedRepeat} << "/in/x.txt";
}

void ZmodemReceiverTest::fileLandsSafelyOrAborts()
{
    QFETCH(Offer, offer);
    QFETCH(QString, outcome);
    const bool lands = outcome.startsWith('/');
    Station station(receiveInto(offer.directory.toStdString()));
    station.files.addDirectory("/ro", false);
    station.files.setHome("/home/op");
    station.files.addDirectory("/home/op");
    const Bytes old{'o', 'l', 'd'}, data = patternBytes(3000, 5);
    const QStringList before = QStringList{"/etc/passwd"} + offer.existing;
    for (const auto& path : before)
        station.files.putFile(path.toStdString(), old);
    const std::string name = offer.name.toStdString();
    Bytes wire = scriptedSender(name, std::uint64_t(offer.announced), data, offer.repeat == Once ? 1 : 3);
    if (offer.repeat == DamagedRepeat) { // spoil the name in the second offer
        const auto first = std::search(wire.begin(), wire.end(), name.begin(), name.end());
        *std::search(first + 1, wire.end(), name.begin(), name.end()) ^= 0x01;
    }
    feed(station, wire);

    QCOMPARE(station.aborts, lands ? QStringList() : QStringList{outcome});
    QCOMPARE(station.received, lands ? QStringList{outcome} : QStringList());
    QCOMPARE(station.finishes, lands ? 1 : 0);
    // Nothing else was written: no temporary file, nothing outside the directory, the old files untouched.
    QStringList files;
    for (const auto& [path, bytes] : station.files.files()) {
        files << QString::fromStdString(path);
        QCOMPARE(bytes, path == outcome.toStdString() ? data : old);
    }
    QStringList expected = before + (lands ? QStringList{outcome} : QStringList());
    expected.sort();
    QCOMPARE(files, expected);
    station.engine.pump(1000);
    QCOMPARE(hasAbortSequence(station.out), !lands);
    // Only the start string reached the terminal; the trailing "OO" was swallowed.
    if (lands)
        QCOMPARE(station.terminal, bytesOf(kStartText));
}

QTEST_APPLESS_MAIN(ZmodemReceiverTest)
#include "zmodem_receiver_test.moc"

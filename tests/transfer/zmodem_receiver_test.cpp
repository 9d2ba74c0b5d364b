// The receiving side: the frame reader on its own, good and damaged, and a receiving engine fed the line:
// terminal pass-through, remote starts, and names and lengths not to trust.
#include <QtTest>

#include <sys/stat.h>

#include "disk_file_store.h"
#include "frame_reader.h"
#include "frame_writer.h"
#include "zmodem_test_link.h"

using namespace zmodemtest;
using Event = FrameReader::Event;
#pragma GCC diagnostic ignored "-Wmissing-field-initializers" // rows name only what they change

namespace {

const QByteArray kStart = kStartText + "\r\x8a\x11"; // a sender's whole start, with the header's line end
// Our ZRINIT, as we answer a start.
const Header ourRinit = Header::flags(FrameType::RInit, kCanFullDuplex | kCanOverlapIo | kCanFcs32, kCanFillGaps);
const QByteArray kHex("**\x18"
                      "B0"); // a hex header up to its type
// How the sender offers the file; or where a sender that restarted after 1000 bytes of another had stopped.
enum Repeat { Once, RepeatedOffer, DamagedRepeat, RestartAfterFrame, RestartMidSubpacket };

// What a scripted sender offers and what the receiver finds; the sender always sends 3000 bytes.
struct Offer {
    QByteArray name = "x.txt";
    qint64 announced = 3000; // -1: no length
    Repeat repeat = Once;
    QString directory = "/in";
    QStringList existing;
    qint64 freeSpace = -1; // in the directory; -1 unknown
    std::uint64_t unannouncedLimit = std::uint64_t(256) << 20;
};

void feed(Station& station, const Bytes& bytes)
{
    station.engine.feed(bytes.data(), bytes.size(), station.terminal);
}

// The start of a scripted sender's ZDATA header at 0 (CRC-32).
const Bytes kDataHeader = [] {
    Bytes wire;
    FrameWriter().binaryHeader(wire, Header::at(FrameType::Data, 0), true);
    return wire;
}();

// Where a scripted sender's first binary header (its ZFILE) begins.
Bytes::const_iterator firstBinaryHeader(const Bytes& wire)
{
    const Bytes binary{'*', 0x18, 'C'};
    return std::search(wire.begin(), wire.end(), binary.begin(), binary.end());
}

// A header as hex ('B') or binary with CRC-16 ('A') or CRC-32 ('C').
QByteArray headerWire(const Header& header, char kind, Bytes wire = {})
{
    if (kind == 'B')
        FrameWriter().hexHeader(wire, header);
    else
        FrameWriter().binaryHeader(wire, header, kind == 'C');
    return textOf(wire);
}

// Runs the reader over `wire` and returns its events in order, keeping the last subpacket's data.
std::vector<Event> readAll(FrameReader& reader, const Bytes& wire, bool dataAfterHeader = false,
                           Bytes* data = nullptr)
{
    std::vector<Event> events;
    for (std::size_t pos = 0;;) {
        const Event event = reader.next(wire.data(), wire.size(), pos);
        if (event == Event::NeedMore)
            return events;
        if (event == Event::Subpacket && data)
            data->assign(reader.subpacketData(), reader.subpacketData() + reader.subpacketSize());
        if (event == Event::Header && dataAfterHeader)
            reader.expectSubpacket();
        events.push_back(event);
    }
}

} // namespace

Q_DECLARE_METATYPE(Offer)
Q_DECLARE_METATYPE(quillmar::zmodem::FrameType)
Q_DECLARE_METATYPE(quillmar::zmodem::FrameReader::Event)
Q_DECLARE_METATYPE(quillmar::zmodem::Header)

// One engine, with the other side's bytes scripted.
class ZmodemReceiverTest : public QObject {
    Q_OBJECT

private slots:
    void readerJudgesFrames_data();
    void readerJudgesFrames();
    void terminalBytesPassUntouched_data();
    void terminalBytesPassUntouched();
    void fileLandsSafelyOrAborts_data();
    void fileLandsSafelyOrAborts();
    void strayStartEndsQuietly_data();
    void strayStartEndsQuietly();
    void dataAfterBreakStaysOffTerminal_data();
    void dataAfterBreakStaysOffTerminal();
    void requestFloodsStayBounded_data();
    void requestFloodsStayBounded();
    void receivedFileModeFollowsUmask_data();
    void receivedFileModeFollowsUmask();
};

void ZmodemReceiverTest::readerJudgesFrames_data()
{
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("dataCrc"); // 0: hunting for a header; 16 or 32: after a ZDATA header of that CRC
    QTest::addColumn<Event>("expected"); // the first event; NeedMore for none
    QTest::addColumn<Header>("header");  // what a good header holds
    const auto row = [](const char* name, const QByteArray& wire, int dataCrc, Event expected,
                        Header header = {}) { QTest::newRow(name) << wire << dataCrc << expected << header; };
    const auto subpacket = [](std::size_t size, bool crc32) {
        Bytes data(size, 0x55), out;
        FrameWriter().subpacket(out, data.data(), data.size(), Terminator::Go, crc32);
        return textOf(out);
    };
    const auto flipped = [](QByteArray wire, int at, int mask) {
        wire[at] = char(wire[at] ^ mask);
        return wire;
    };

    for (char kind : {'A', 'B', 'C'}) {
        for (const Header& h :
             {Header::at(FrameType::RPos, 0xFFFFFFFF), Header::at(FrameType::Data, 0x11181318)}) {
            QTest::addRow("%s at %x as %c, after a false start", frameTypeName(h.type), h.position(), kind)
                << headerWire(h, kind, {'n', 'o', '*', 0x18}) << 0 << Event::Header << h;
        }
    }
    row("hex header in capitals", headerWire(Header::at(FrameType::Ack, 9), 'B').toUpper(), 0, Event::Header,
        Header::at(FrameType::Ack, 9));
    row("hex header ending in a plain LF",
        headerWire(Header::at(FrameType::RInit, 0), 'B').replace("\r\x8a", "\n"), 0, Event::Header,
        Header::at(FrameType::RInit, 0));
    row("hex header with a changed digit", flipped(headerWire(Header::at(FrameType::RPos, 1234), 'B'), 6, 1),
        0, Event::BadHeader);
    row("CRC-32 header with a changed byte", flipped(headerWire(Header::at(FrameType::Data, 99), 'C'), 4, 1),
        0, Event::BadHeader);
    row("hex header of a type past ZSTDERR", headerWire(Header{FrameType(20), {}}, 'B'), 0, Event::BadHeader);

    row("16 KiB subpacket, the largest we take", subpacket(16384, true), 32, Event::Subpacket);
    row("one byte over the largest we take", subpacket(16385, true), 32, Event::BadSubpacket);
    row("CRC-16 subpacket with a changed byte", flipped(subpacket(100, false), 50, 4), 16,
        Event::BadSubpacket);
    row("flow control bytes inside data are dropped", subpacket(100, true).insert(40, "\x11\x91\x13\x93"), 32,
        Event::Subpacket);

    row("four CANs do not", QByteArray(4, '\x18') + "x", 0, Event::NeedMore);
    row("eight CANs in the middle of data", "abc" + QByteArray(8, '\x18'), 32, Event::Cancel);
    row("escaped CANs in data are data", "\x18X\x18X\x18X\x18X\x18X", 32, Event::NeedMore);
}

void ZmodemReceiverTest::readerJudgesFrames()
{
    QFETCH(QByteArray, wire);
    QFETCH(int, dataCrc);
    QFETCH(Event, expected);
    QFETCH(Header, header);
    FrameReader reader;
    if (dataCrc != 0) {
        const Bytes dataHeader =
            bytesOf(headerWire(Header::at(FrameType::Data, 0), dataCrc == 32 ? 'C' : 'A'));
        QCOMPARE(readAll(reader, dataHeader, true), std::vector<Event>{Event::Header});
    }
    Bytes got;
    const auto events = readAll(reader, bytesOf(wire), false, &got);
    QCOMPARE(events.empty() ? Event::NeedMore : events.front(), expected);
    if (expected == Event::Header)
        QCOMPARE(reader.header(), header);
    if (expected == Event::Subpacket) {
        QVERIFY(got.size() >= 100);
        QCOMPARE(got, Bytes(got.size(), 0x55));
    }
}

void ZmodemReceiverTest::terminalBytesPassUntouched_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("active");
    QTest::addColumn<bool>("starts");
    QTest::newRow("partial start at the end") << "text " + kHex + "000" << true << false;
    QTest::newRow("start with a bad check") << kHex + "0000000000001\r\n" << true << false;
    QTest::newRow("remote receiver's ZRINIT does not start a receive") << kHex + "100000023be50\r\n"
                                                                       << true << false;
    QTest::newRow("binary noise") << QByteArray("\x00\xff\x18\x18*\x18" "A\x01\x02", 9) << true << false;
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
    // Up to the end of the start header every byte reaches the terminal, in order, and a CR ends its line;
    // the rest of its line end (LF, XON) does not.
    const Bytes shown(bytes.begin(), bytes.end() - (starts ? 2 : 0));
    for (std::size_t first = 0; first <= bytes.size(); ++first) {
        for (std::size_t second = first; second <= bytes.size(); second += 3) {
            Station station;
            station.engine.setActive(active);
            station.engine.feed(bytes.data(), first, station.terminal);
            station.engine.feed(bytes.data() + first, second - first, station.terminal);
            station.engine.feed(bytes.data() + second, bytes.size() - second, station.terminal);
            station.engine.pump(1000);
            const bool ok = station.engine.transferring() == starts && station.starts == int(starts) &&
                station.terminal == shown && station.out.empty() != starts; // a start is answered with ZRINIT
            QVERIFY2(ok, qPrintable(QString("cut at %1 and %2").arg(first).arg(second)));
        }
    }
}

void ZmodemReceiverTest::fileLandsSafelyOrAborts_data()
{
    QTest::addColumn<Offer>("offer");
    QTest::addColumn<QString>("outcome"); // where it lands; "refused: " and why; or why the receiver aborts
    const auto row = [](const char* name, Offer offer, QString outcome) {
        QTest::newRow(name) << offer << outcome;
    };
    row("parent directory in the name", {.name = "../x"}, "/in/x");
    row("absolute path in the name", {.name = "/etc/passwd"}, "/in/passwd");
    row("DOS path in the name", {.name = "C:\\TEMP\\MSG.TXT"}, "/in/MSG.TXT");
    row("control bytes in the name", {.name = "ev\x1b[2Jil\r\n\x7f.txt"}, "/in/ev[2Jil.txt");
    row("hidden start-up file", {.name = ".bashrc"}, "/in/bashrc");
    row("empty name", {.name = ""}, "/in/received-file");
    row("only dots", {.name = ".."}, "/in/received-file");
    row("long name with UTF-8 at the cut", {.name = QByteArray(199, 'n') + "\xc3\xa9\xc3\xa9"},
        "/in/" + QString(199, 'n'));
    row("name and .1 taken", {.existing = {"/in/x.txt", "/in/x.txt.1"}}, "/in/x.txt.2");
    row("only .1 taken", {.existing = {"/in/x.txt.1"}}, "/in/x.txt");
    row("empty directory means home", {.directory = ""}, "/home/op/x.txt");
    row("receive directory missing", {.directory = "/nowhere"}, "cannot write in /nowhere");
    row("fewer bytes than announced", {.announced = 4000}, "file ended at 3000 bytes, 4000 were announced");
    row("more bytes than announced", {.announced = 2000},
        "the sender sent more than the 2000 bytes it announced");
    row("offer repeated mid-file", {.repeat = RepeatedOffer}, "/in/x.txt");
    row("damaged repeat of the offer", {.repeat = DamagedRepeat}, "/in/x.txt");
    row("sender restarts after a frame", {.repeat = RestartAfterFrame}, "/in/x.txt");
    row("sender restarts mid-subpacket", {.repeat = RestartMidSubpacket}, "/in/x.txt");
    row("announced length does not fit", {.freeSpace = 2999},
        "refused: x.txt: 3000 bytes do not fit in the 2999 bytes free in /in");
    row("announced length just fits", {.freeSpace = 3000}, "/in/x.txt");
    row("no length announced", {.announced = -1, .freeSpace = 10}, "/in/x.txt");
    row("no length announced, past the limit", {.announced = -1, .unannouncedLimit = 2999},
        "no length was announced and the file passed 2999 bytes");
}

void ZmodemReceiverTest::fileLandsSafelyOrAborts()
{
    QFETCH(Offer, offer);
    QFETCH(QString, outcome);
    const bool lands = outcome.startsWith('/');
    const bool refused = outcome.startsWith("refused: ");
    Config config = receiveInto(offer.directory.toStdString());
    config.maxUnannouncedBytes = offer.unannouncedLimit;
    Station station(config);
    if (offer.freeSpace >= 0)
        station.files.setFreeSpace(std::uint64_t(offer.freeSpace));
    station.files.setHome("/home/op");
    station.files.addDirectory("/home/op");
    const Bytes old{'o', 'l', 'd'}, data = patternBytes(3000, 5);
    const QStringList before = QStringList{"/etc/passwd"} + offer.existing;
    for (const auto& path : before)
        station.files.putFile(path.toStdString(), old);
    const std::string name = offer.name.toStdString();
    const std::uint64_t announced = offer.announced < 0 ? kNoLength : std::uint64_t(offer.announced);
    const bool repeated = offer.repeat == RepeatedOffer || offer.repeat == DamagedRepeat;
    Bytes wire = scriptedSender(name, announced, data, repeated ? 3 : 1);
    if (offer.repeat == DamagedRepeat) { // spoil the name in the second offer
        const auto first = std::search(wire.begin(), wire.end(), name.begin(), name.end());
        *std::search(first + 1, wire.end(), name.begin(), name.end()) ^= 0x01;
    }
    if (offer.repeat == RestartAfterFrame || offer.repeat == RestartMidSubpacket) {
        // Started again, it waits for our ZRINIT after its "rz" and ZRQINIT: one time-out passes, no more.
        Bytes first = scriptedSender("earlier.txt", 1000, Bytes(data.begin(), data.begin() + 1000)), eof;
        FrameWriter().binaryHeader(eof, Header::at(FrameType::Eof, 1000), true);
        first.erase(std::search(first.begin(), first.end(), eof.begin(), eof.end()) -
                        (offer.repeat == RestartMidSubpacket ? 500 : 0),
                    first.end());
        const auto restart = firstBinaryHeader(wire);
        first.insert(first.end(), wire.cbegin(), restart);
        feed(station, first);
        station.engine.tick(2000);
        wire.erase(wire.begin(), restart);
    }
    wire.insert(wire.end(), {'$', ' '}); // the shell prompt after the session
    feed(station, wire);

    QCOMPARE(station.aborts, lands || refused ? QStringList() : QStringList{outcome});
    QCOMPARE(station.received, lands ? QStringList{outcome} : QStringList());
    QCOMPARE(station.declined, refused ? QStringList{outcome.mid(9)} : QStringList());
    QCOMPARE(station.finishes, lands || refused ? 1 : 0);
    // No temporary file, nothing outside the directory, the old files untouched.
    QStringList files;
    for (const auto& [path, bytes] : station.files.files()) {
        files << QString::fromStdString(path);
        QCOMPARE(bytes, path == outcome.toStdString() ? data : old);
    }
    QStringList expected = before + (lands ? QStringList{outcome} : QStringList());
    expected.sort();
    QCOMPARE(files, expected);
    station.engine.pump(1000);
    QCOMPARE(hasAbortSequence(station.out), !lands && !refused);
    if (lands || refused) // the trailing "OO" was swallowed
        QCOMPARE(station.terminal, bytesOf(kStartShown + "$ "));
}

void ZmodemReceiverTest::strayStartEndsQuietly_data()
{
    QTest::addColumn<QByteArray>("after"); // what the line brings after the start header
    QTest::addColumn<int>("waitMs");       // how long it then stays quiet
    QTest::addColumn<QString>("action"); // "break" by the operator, or "off": watching switched off
    QTest::addColumn<QByteArray>("shown"); // what the terminal shows after the start header; empty: still on

    const QByteArray text = "\r\x8a\x11"
                            "de N0CALL: QSL?\r\n",
                     cans = "abc\x18\x18\x18\x18\x18"
                            "def";
    QTest::newRow("text after a ZRQINIT, 30 s pass") << text << 30000 << "" << text.mid(3);
    QTest::newRow("29 s pass: still waiting") << text << 29000 << "" << QByteArray();
    QTest::newRow("past 4 KiB of text it ends at once")
        << QByteArray(5000, 'x') << 0 << "" << QByteArray(5000, 'x');
    QTest::newRow("five CANs in the text end it quietly") << cans << 0 << "" << cans;
    QTest::newRow("a repeated ZRQINIT does not confirm it")
        << text + kStart + "hi" << 30000 << "" << text.mid(3) + kStart + "hi";
    QTest::newRow("Break from the first byte") << QByteArray("de N0") << 0 << "break" << QByteArray("de N0");
    QTest::newRow("switched off 1 s after, as the program closes") << text << 1000 << "off" << text.mid(3);
    const Bytes offer = scriptedSender("x", 10, patternBytes(10, 1));
    QTest::newRow("a ZFILE confirms it: the transfer goes on past 30 s")
        << textOf(Bytes(firstBinaryHeader(offer), firstBinaryHeader(offer) + 40)) << 30000 << ""
        << QByteArray();
}

// A start no valid frame follows (another station's, heard while monitoring) ends by itself: nothing goes to
// the line, no abort is reported, and the text it held reaches the terminal in order.
void ZmodemReceiverTest::strayStartEndsQuietly()
{
    QFETCH(QByteArray, after);
    QFETCH(int, waitMs);
    QFETCH(QString, action);
    QFETCH(QByteArray, shown);
    const bool operatorBreak = action == "break";
    Station station;
    station.engine.tick(1000);
    feed(station, bytesOf(kStartText + after));
    station.engine.pump(1000);
    if (operatorBreak)
        station.engine.abort("operator");
    station.engine.tick(1000 + std::uint64_t(waitMs));
    if (action == "off")
        station.engine.setActive(false);
    const Bytes released = station.engine.takeReleasedText();
    station.terminal.insert(station.terminal.end(), released.begin(), released.end());
    station.engine.pump(1000);

    QCOMPARE(station.engine.transferring(), shown.isEmpty());
    QCOMPARE(station.terminal, bytesOf(kStartShown + shown));
    QCOMPARE(station.strayEnds, int(!shown.isEmpty() && !operatorBreak));
    QCOMPARE(station.aborts, operatorBreak ? QStringList{"operator"} : QStringList());
    // Only the operator's Break tells the line; a quiet end sends nothing but the ZRINITs it answered with.
    if (!shown.isEmpty())
        QCOMPARE(textOf(station.out).replace(headerWire(ourRinit, 'B'), ""),
                 operatorBreak ? QByteArray(10, '\x18') + QByteArray(10, '\b') : QByteArray());
}

void ZmodemReceiverTest::dataAfterBreakStaysOffTerminal_data()
{
    QTest::addColumn<int>("streamMs");    // the sender goes on this long after the Break, a subpacket each 500 ms
    QTest::addColumn<int>("quietMs");     // then nothing comes for this long
    QTest::addColumn<QByteArray>("text"); // and then this
    QTest::addColumn<QByteArray>("shown"); // what reaches the terminal, data aside
    QTest::addColumn<bool>("dataShown");   // some of the data reaches the terminal too
    const QByteArray answer = "*** DISCONNECTED\r";
    QTest::newRow("the TNC's answer right after the data") << 3000 << 400 << answer << answer << false;
    QTest::newRow("a prompt without a line end, 2 s after the data") << 3000 << 2000 << QByteArray("cmd:")
                                                                    << QByteArray("cmd:") << false;
    QTest::newRow("data for 12 s: the line is the terminal's again after 10 s")
        << 12000 << 400 << answer << answer << true;
}

// After a Break mid-file the sender streams on until our abort reaches it; its data is no text.
void ZmodemReceiverTest::dataAfterBreakStaysOffTerminal()
{
    QFETCH(int, streamMs);
    QFETCH(int, quietMs);
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, shown);
    QFETCH(bool, dataShown);
    Station station;
    std::uint64_t now = 1000;
    station.engine.tick(now);
    const Bytes sender = scriptedSender("x", 1 << 20, {});
    feed(station, Bytes(sender.begin(), std::search(sender.begin(), sender.end(), kDataHeader.begin(),
                                                      kDataHeader.end())));
    QVERIFY(station.engine.transferring());
    station.engine.abort("operator");
    station.terminal.clear();
    std::uint32_t seed = 1;
    for (int at = 0; at < streamMs; at += 500) {
        Bytes data;
        FrameWriter().subpacket(data, patternBytes(600, seed++).data(), 600, Terminator::Go, true);
        station.engine.tick(now += 500);
        feed(station, data);
    }
    station.engine.tick(now += std::uint64_t(quietMs));
    feed(station, bytesOf(text));
    station.engine.tick(now += 10000);
    const Bytes released = station.engine.takeReleasedText();
    station.terminal.insert(station.terminal.end(), released.begin(), released.end());
    QVERIFY2(textOf(station.terminal).endsWith(shown), textOf(station.terminal).toPercentEncoding().constData());
    QCOMPARE(station.terminal.size() > std::size_t(shown.size()), dataShown);
}

void ZmodemReceiverTest::requestFloodsStayBounded_data()
{
    QTest::addColumn<FrameType>("answer");      // ZRINIT to repeated ZRQINITs, ZACK to ZCRCQ subpackets
    QTest::addColumn<bool>("lineTakesAnswers"); // each answer goes out before the next request
    QTest::addColumn<int>("answersSent");       // of that type, when the line finally takes them
    QTest::addColumn<QStringList>("aborts");

    const QStringList tooMany{"too many errors, last: request repeated before our answer went out"};
    QTest::newRow("ZRQINIT repeated while the line takes nothing")
        << FrameType::RInit << false << 1 << tooMany;
    QTest::newRow("ZRQINIT repeated, each answer sent") << FrameType::RInit << true << 301 << QStringList();
    // A windowed sender asks for a ZACK every window by design: a newer one replaces, no error.
    QTest::newRow("ZACK asked after every byte while the line takes nothing")
        << FrameType::Ack << false << 1 << QStringList();
    QTest::newRow("ZACK asked after every byte, each answer sent")
        << FrameType::Ack << true << 300 << QStringList();
}

// A request repeated while its answer still waits for the line replaces that answer instead of adding
// one, and only that counts as an error: what is queued stays a header or two.
void ZmodemReceiverTest::requestFloodsStayBounded()
{
    QFETCH(FrameType, answer);
    QFETCH(bool, lineTakesAnswers);
    QFETCH(int, answersSent);
    QFETCH(QStringList, aborts);
    Station station;
    QVERIFY(station.engine.receive());
    station.engine.pump(1000);
    // The ZFILE offer and ZDATA's header, then one-byte ZCRCQ subpackets; or ZRQINIT after ZRQINIT.
    const Bytes data = patternBytes(300, 3), wire = scriptedSender("x", data.size(), data);
    FrameWriter writer;
    Bytes dataHeader, request;
    writer.binaryHeader(dataHeader, Header::at(FrameType::Data, 0), true);
    if (answer == FrameType::Ack)
        request.assign(firstBinaryHeader(wire),
                       std::search(wire.cbegin(), wire.cend(), dataHeader.begin(), dataHeader.end()) +
                           long(dataHeader.size()));
    for (std::size_t i = 0; i < data.size() && station.engine.transferring(); ++i) {
        if (answer == FrameType::Ack)
            writer.subpacket(request, data.data() + i, 1, Terminator::GoAck, true);
        else
            writer.hexHeader(request, Header::at(FrameType::RQInit, 0));
        feed(station, request);
        request.clear();
        if (lineTakesAnswers)
            station.engine.pump(1000);
    }
    station.engine.pump(100000);
    QCOMPARE(station.aborts, aborts);
    QCOMPARE(textOf(station.out).count(kHex + "0123456789abcdef"[int(answer)]), answersSent);
}

void ZmodemReceiverTest::receivedFileModeFollowsUmask_data()
{
    QTest::addColumn<int>("umask");
    QTest::addColumn<QByteArray>("announcedMode");
    QTest::addColumn<int>("mode");
    QTest::newRow("umask 077") << 077 << QByteArray("100644") << 0600;
    QTest::newRow("sender's executable bits are not taken") << 002 << QByteArray("100777") << 0664;
    QTest::newRow("sender's private mode is not taken either") << 0 << QByteArray("100600") << 0666;
}

// On disk a received file gets what any new file of the operator's gets, whatever the sender announced.
void ZmodemReceiverTest::receivedFileModeFollowsUmask()
{
    QFETCH(int, umask);
    QFETCH(QByteArray, announcedMode);
    QFETCH(int, mode);
    QTemporaryDir folder;
    DiskFileStore files;
    Station listener;
    Engine engine(listener, files, listener, receiveInto(folder.path().toStdString()));
    const mode_t saved = ::umask(mode_t(umask));
    const Bytes wire = scriptedSender("m", 100, patternBytes(100, 4), 1, announcedMode.toStdString());
    engine.feed(wire.data(), wire.size(), listener.terminal);
    ::umask(saved);
    struct stat info {};
    QCOMPARE(listener.received, QStringList{folder.filePath("m")});
    QCOMPARE(::stat(folder.filePath("m").toLocal8Bit().constData(), &info), 0);
    QCOMPARE(int(info.st_mode & 07777), mode);
}

QTEST_APPLESS_MAIN(ZmodemReceiverTest)
#include "zmodem_receiver_test.moc"

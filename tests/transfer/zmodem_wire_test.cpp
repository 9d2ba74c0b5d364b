// The wire format on its own: checksums, escaping, headers, subpackets and the abort sequence.
#include <QtTest>

#include "crc.h"
#include "frame_reader.h"
#include "frame_writer.h"

using namespace quillmar::zmodem;
using Bytes = std::vector<std::uint8_t>;
using Event = FrameReader::Event;
Q_DECLARE_METATYPE(quillmar::zmodem::FrameReader::Event)
Q_DECLARE_METATYPE(quillmar::zmodem::Header)

namespace {

QByteArray text(const Bytes& bytes)
{
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

// A header as hex ('B') or binary with CRC-16 ('A') or CRC-32 ('C').
Bytes headerWire(const Header& header, char kind, Bytes wire = {})
{
    if (kind == 'B')
        FrameWriter().hexHeader(wire, header);
    else
        FrameWriter().binaryHeader(wire, header, kind == 'C');
    return wire;
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

// Encoding and decoding without any session around them.
class ZmodemWireTest : public QObject {
    Q_OBJECT

private slots:
    void checksums_data();
    void checksums();
    void everyByteSurvivesEscaping_data();
    void everyByteSurvivesEscaping();
    void readerJudgesFrames_data();
    void readerJudgesFrames();
};

void ZmodemWireTest::checksums_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("thirtyTwo");
    QTest::addColumn<quint32>("expected");
    QTest::newRow("CRC-16 check string") << QByteArray("123456789") << false << 0x31C3u;
    QTest::newRow("CRC-32 check string") << QByteArray("123456789") << true << 0xCBF43926u;
    QTest::newRow("CRC-32 of a ZFILE header") << QByteArray("\x04\x00\x00\x00\x00", 5) << true << 0x33A251DDu;
    QTest::newRow("CRC-32 over several blocks of eight")
        << QByteArray("The quick brown fox jumps over the lazy dog") << true << 0x414FA339u;
}

void ZmodemWireTest::checksums()
{
    QFETCH(QByteArray, input);
    QFETCH(bool, thirtyTwo);
    QFETCH(quint32, expected);
    const auto* data = reinterpret_cast<const std::uint8_t*>(input.constData());
    const auto size = std::size_t(input.size());
    QCOMPARE(quint32(thirtyTwo ? crc32(data, size) : crc16(data, size)), expected);
}

void ZmodemWireTest::everyByteSurvivesEscaping_data()
{
    QTest::addColumn<bool>("escapeControl");
    QTest::addColumn<bool>("crc32");
    QTest::newRow("plain, CRC-16") << false << false;
    QTest::newRow("plain, CRC-32") << false << true;
    QTest::newRow("control characters escaped, CRC-32") << true << true;
}

void ZmodemWireTest::everyByteSurvivesEscaping()
{
    QFETCH(bool, escapeControl);
    QFETCH(bool, crc32);
    Bytes data; // every value, then every value after "@" (where CR is special)
    for (int b = 0; b < 256; ++b)
        data.insert(data.end(), {std::uint8_t(b), 0x40, std::uint8_t(b)});
    FrameWriter writer;
    writer.setEscapeControl(escapeControl);
    Bytes wire;
    writer.binaryHeader(wire, Header::at(FrameType::Data, 0), crc32);
    writer.subpacket(wire, data.data(), data.size(), Terminator::EndFrame, crc32);

    for (std::size_t i = 0; i < wire.size(); ++i) {
        const std::uint8_t low = wire[i] & 0x7F;
        const QByteArray where =
            "bare 0x" + QByteArray::number(wire[i], 16) + " at " + QByteArray::number(int(i));
        QVERIFY2(low != 0x10 && low != 0x11 && low != 0x13, where.constData());
        QVERIFY2(!escapeControl || wire[i] == 0x18 || low >= 0x20, where.constData());
        QVERIFY2(low != 0x0D || (wire[i - 1] & 0x7F) != 0x40, where.constData());
    }
    FrameReader reader;
    Bytes got;
    QCOMPARE(readAll(reader, wire, true, &got), (std::vector<Event>{Event::Header, Event::Subpacket}));
    QCOMPARE(reader.terminator(), Terminator::EndFrame);
    QCOMPARE(got, data);
}

void ZmodemWireTest::readerJudgesFrames_data()
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
        return text(out);
    };
    const auto flipped = [](QByteArray wire, int at, int mask) {
        wire[at] = char(wire[at] ^ mask);
        return wire;
    };

    for (char kind : {'A', 'B', 'C'}) {
        for (const Header& h :
             {Header::at(FrameType::RInit, 0x23000000), Header::at(FrameType::RPos, 0xFFFFFFFF),
              Header::at(FrameType::Data, 0x11181318), Header::at(FrameType::StdErr, 7)}) {
            QTest::addRow("%s at %x as %c, after a false start", frameTypeName(h.type), h.position(), kind)
                << text(headerWire(h, kind, {'n', 'o', '*', 0x18})) << 0 << Event::Header << h;
        }
    }
    row("ZRINIT as lrzsz sends it",
        "**\x18"
        "B0100000023be50\r\x8a",
        0, Event::Header, Header::flags(FrameType::RInit, 0x23));
    row("hex header in capitals", text(headerWire(Header::at(FrameType::Ack, 9), 'B')).toUpper(), 0,
        Event::Header, Header::at(FrameType::Ack, 9));
    const QByteArray hexRinit = text(headerWire(Header::at(FrameType::RInit, 0), 'B'));
    row("hex header ending in a plain LF", QByteArray(hexRinit).replace("\r\x8a", "\n"), 0, Event::Header,
        Header::at(FrameType::RInit, 0));
    row("hex header with a changed digit",
        flipped(text(headerWire(Header::at(FrameType::RPos, 1234), 'B')), 6, 1), 0, Event::BadHeader);
    row("CRC-32 header with a changed byte",
        flipped(text(headerWire(Header::at(FrameType::Data, 99), 'C')), 4, 1), 0, Event::BadHeader);
    row("hex header of a type past ZSTDERR", text(headerWire(Header{FrameType(20), {}}, 'B')), 0,
        Event::BadHeader);

    row("16 KiB subpacket, the largest we take", subpacket(16384, true), 32, Event::Subpacket);
    row("one byte over the largest we take", subpacket(16385, true), 32, Event::BadSubpacket);
    row("CRC-16 subpacket with a changed byte", flipped(subpacket(100, false), 50, 4), 16,
        Event::BadSubpacket);
    row("flow control bytes inside data are dropped", subpacket(100, true).insert(40, "\x11\x91\x13\x93"), 32,
        Event::Subpacket);

    row("five CANs end a transfer", QByteArray(5, '\x18'), 0, Event::Cancel);
    row("four CANs do not", QByteArray(4, '\x18') + "x", 0, Event::NeedMore);
    row("eight CANs in the middle of data", "abc" + QByteArray(8, '\x18'), 32, Event::Cancel);
    row("escaped CANs in data are data", "\x18X\x18X\x18X\x18X\x18X", 32, Event::NeedMore);
}

void ZmodemWireTest::readerJudgesFrames()
{
    QFETCH(QByteArray, wire);
    QFETCH(int, dataCrc);
    QFETCH(Event, expected);
    QFETCH(Header, header);
    FrameReader reader;
    if (dataCrc != 0) {
        const Bytes dataHeader = headerWire(Header::at(FrameType::Data, 0), dataCrc == 32 ? 'C' : 'A');
        QCOMPARE(readAll(reader, dataHeader, true), std::vector<Event>{Event::Header});
    }
    Bytes got;
    const auto events = readAll(reader, Bytes(wire.begin(), wire.end()), false, &got);
    QCOMPARE(events.empty() ? Event::NeedMore : events.front(), expected);
    if (expected == Event::Header)
        QCOMPARE(reader.header(), header);
    if (expected == Event::Subpacket) {
        QVERIFY(got.size() >= 100);
        QCOMPARE(got, Bytes(got.size(), 0x55));
    }
}

QTEST_APPLESS_MAIN(ZmodemWireTest)
#include "zmodem_wire_test.moc"

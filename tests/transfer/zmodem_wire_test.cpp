// The frame reader on its own: headers, subpackets and the abort sequence, good and damaged.
#include <QtTest>

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

// Decoding without any session around it.
class ZmodemWireTest : public QObject {
    Q_OBJECT

private slots:
    void readerJudgesFrames_data();
    void readerJudgesFrames();
};

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
             {Header::at(FrameType::RPos, 0xFFFFFFFF), Header::at(FrameType::Data, 0x11181318)}) {
            QTest::addRow("%s at %x as %c, after a false start", frameTypeName(h.type), h.position(), kind)
                << text(headerWire(h, kind, {'n', 'o', '*', 0x18})) << 0 << Event::Header << h;
        }
    }
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

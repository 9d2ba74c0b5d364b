// The wire format on its own: checksums, escaping, headers, subpackets and the abort sequence.
#include <QtTest>

#include "crc.h"
#include "frame_reader.h"
#include "frame_writer.h"

using namespace quillmar::zmodem;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes bytesOf(const char* text) { return Bytes(text, text + std::strlen(text)); }

// Runs the reader over `wire` and returns the events in order, keeping the first subpacket's data.
std::vector<FrameReader::Event> readAll(FrameReader& reader, const Bytes& wire, bool dataAfterHeader = false,
                                        Bytes* firstSubpacket = nullptr) {
    std::vector<FrameReader::Event> events;
    std::size_t pos = 0;
    for (;;) {
        const auto event = reader.next(wire.data(), wire.size(), pos);
        if (event == FrameReader::Event::NeedMore) return events;
        if (event == FrameReader::Event::Subpacket && firstSubpacket && firstSubpacket->empty())
            firstSubpacket->assign(reader.subpacketData(), reader.subpacketData() + reader.subpacketSize());
        events.push_back(event);
        if (event == FrameReader::Event::Header && dataAfterHeader) reader.expectSubpacket();
    }
}

}  // namespace

// Encoding and decoding without any session around them.
class ZmodemWireTest : public QObject {
    Q_OBJECT

private slots:
    void checksums_data();
    void checksums();
    void everyByteSurvivesEscaping_data();
    void everyByteSurvivesEscaping();
    void headersRoundTrip_data();
    void headersRoundTrip();
    void damagedFramesAreRefused_data();
    void damagedFramesAreRefused();
    void abortSequenceIsRecognised_data();
    void abortSequenceIsRecognised();
};

void ZmodemWireTest::checksums_data() {
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<bool>("thirtyTwo");
    QTest::addColumn<quint32>("expected");

    QTest::newRow("CRC-16 of the ZRINIT lrzsz sends") << QByteArray("\x01\x00\x00\x00\x23", 5) << false << 0xBE50u;
    QTest::newRow("CRC-16 check string") << QByteArray("123456789") << false << 0x31C3u;
    QTest::newRow("CRC-16 of nothing") << QByteArray() << false << 0u;
    QTest::newRow("CRC-32 of a ZFILE header, dd 51 a2 33 on the wire")
        << QByteArray("\x04\x00\x00\x00\x00", 5) << true << 0x33A251DDu;
    QTest::newRow("CRC-32 check string") << QByteArray("123456789") << true << 0xCBF43926u;
    QTest::newRow("CRC-32 over more than eight bytes at once")
        << QByteArray("The quick brown fox jumps over the lazy dog") << true << 0x414FA339u;
}

void ZmodemWireTest::checksums() {
    QFETCH(QByteArray, input);
    QFETCH(bool, thirtyTwo);
    QFETCH(quint32, expected);
    const auto* data = reinterpret_cast<const std::uint8_t*>(input.constData());
    const auto size = static_cast<std::size_t>(input.size());
    QCOMPARE(quint32(thirtyTwo ? crc32(data, size) : crc16(data, size)), expected);
    // Fed in two runs the result is the same, as the reader and writer feed it.
    const std::size_t half = size / 2;
    if (thirtyTwo)
        QCOMPARE(quint32(crc32Final(crc32Update(crc32Update(kCrc32Start, data, half), data + half, size - half))), expected);
    else
        QCOMPARE(quint32(crc16Update(crc16Update(0, data, half), data + half, size - half)), expected);
}

void ZmodemWireTest::everyByteSurvivesEscaping_data() {
    QTest::addColumn<bool>("escapeControl");
    QTest::addColumn<bool>("crc32");
    QTest::newRow("plain, CRC-16") << false << false;
    QTest::newRow("plain, CRC-32") << false << true;
    QTest::newRow("control characters escaped, CRC-32") << true << true;
}

void ZmodemWireTest::everyByteSurvivesEscaping() {
    QFETCH(bool, escapeControl);
    QFETCH(bool, crc32);
    // Every value, and every value after "@" (where CR is special), twice over.
    Bytes data;
    for (int round = 0; round < 2; ++round)
        for (int b = 0; b < 256; ++b) {
            data.push_back(static_cast<std::uint8_t>(b));
            data.push_back(0x40);
            data.push_back(static_cast<std::uint8_t>(b));
        }
    FrameWriter writer;
    writer.setEscapeControl(escapeControl);
    Bytes wire;
    writer.binaryHeader(wire, Header::at(FrameType::Data, 0), crc32);
    writer.subpacket(wire, data.data(), data.size(), Terminator::EndFrame, crc32);

    for (std::size_t i = 0; i < wire.size(); ++i) {
        const std::uint8_t b = wire[i];
        const std::uint8_t low = b & 0x7F;
        QVERIFY2(low != 0x10 && low != 0x11 && low != 0x13, qPrintable(QString("bare 0x%1").arg(b, 0, 16)));
        if (escapeControl && b != 0x18) QVERIFY2(low >= 0x20, qPrintable(QString("bare 0x%1").arg(b, 0, 16)));
        if (low == 0x0D) QVERIFY2(i == 0 || (wire[i - 1] & 0x7F) != 0x40, "CR after @ went out bare");
    }

    FrameReader reader;
    Bytes got;
    const auto events = readAll(reader, wire, true, &got);
    QCOMPARE(events.size(), std::size_t(2));
    QCOMPARE(events[1], FrameReader::Event::Subpacket);
    QCOMPARE(reader.terminator(), Terminator::EndFrame);
    QCOMPARE(got, data);
}

void ZmodemWireTest::headersRoundTrip_data() {
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("type");
    QTest::addColumn<quint32>("position");

    for (int kind : {'A', 'B', 'C'}) {
        const QByteArray k(1, char(kind));
        QTest::newRow("ZRINIT as " + k) << kind << int(FrameType::RInit) << 0x23000000u;
        QTest::newRow("ZRPOS at 4 GiB less one as " + k) << kind << int(FrameType::RPos) << 0xFFFFFFFFu;
        QTest::newRow("ZDATA with ZDLE and XON in the position as " + k) << kind << int(FrameType::Data) << 0x11181318u;
        QTest::newRow("ZSTDERR, the last type, as " + k) << kind << int(FrameType::StdErr) << 7u;
    }
}

void ZmodemWireTest::headersRoundTrip() {
    QFETCH(int, kind);
    QFETCH(int, type);
    QFETCH(quint32, position);
    const Header sent = Header::at(static_cast<FrameType>(type), position);
    FrameWriter writer;
    Bytes wire = bytesOf("noise*\x18");  // a false start before the real header
    if (kind == 'B') writer.hexHeader(wire, sent);
    else writer.binaryHeader(wire, sent, kind == 'C');

    FrameReader reader;
    const auto events = readAll(reader, wire);
    QCOMPARE(events, std::vector<FrameReader::Event>{FrameReader::Event::Header});
    QCOMPARE(int(reader.headerKind()), kind);
    QCOMPARE(int(reader.header().type), type);
    QCOMPARE(reader.header().position(), position);
}

void ZmodemWireTest::damagedFramesAreRefused_data() {
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<int>("dataCrc");  // 0: no data expected; 16 or 32: after a header of that CRC
    QTest::addColumn<int>("expected");

    const auto header = [](const Header& h, int kind) {
        FrameWriter writer;
        Bytes out;
        if (kind == 'B') writer.hexHeader(out, h);
        else writer.binaryHeader(out, h, kind == 'C');
        return QByteArray(reinterpret_cast<const char*>(out.data()), int(out.size()));
    };
    const auto subpacket = [](std::size_t size, bool crc32) {
        FrameWriter writer;
        Bytes data(size, 0x55), out;
        writer.subpacket(out, data.data(), data.size(), Terminator::Go, crc32);
        return QByteArray(reinterpret_cast<const char*>(out.data()), int(out.size()));
    };
    const int bad = int(FrameReader::Event::BadHeader), good = int(FrameReader::Event::Header);
    const int badData = int(FrameReader::Event::BadSubpacket), goodData = int(FrameReader::Event::Subpacket);

    QByteArray hex = header(Header::at(FrameType::RPos, 1234), 'B');
    hex[6] = hex[6] == '0' ? '1' : '0';
    QTest::newRow("hex header with a changed digit") << hex << 0 << bad;
    QByteArray bin = header(Header::at(FrameType::Data, 99), 'C');
    bin[4] = char(bin[4] ^ 0x01);
    QTest::newRow("CRC-32 header with a changed byte") << bin << 0 << bad;
    QByteArray upper = header(Header::at(FrameType::Ack, 0), 'B').toUpper();
    QTest::newRow("hex header in capitals is still read") << upper << 0 << good;
    QByteArray lineFeed = header(Header::at(FrameType::RInit, 0), 'B');
    lineFeed.replace(QByteArray("\r\x8a"), QByteArray("\n"));
    QTest::newRow("hex header ending in a plain LF") << lineFeed << 0 << good;
    QByteArray unknown = header(Header{FrameType::RQInit, {}}, 'B');
    unknown[4] = '9';
    unknown[5] = '9';
    QTest::newRow("hex header of an unknown type") << unknown << 0 << bad;

    QTest::newRow("8 KiB subpacket, the largest we send") << subpacket(8192, true) << 32 << goodData;
    QTest::newRow("16 KiB subpacket, the largest we take") << subpacket(16384, true) << 32 << goodData;
    QTest::newRow("one byte over the largest we take") << subpacket(16385, true) << 32 << badData;
    QByteArray flipped = subpacket(100, false);
    flipped[50] = char(flipped[50] ^ 0x04);
    QTest::newRow("CRC-16 subpacket with a changed byte") << flipped << 16 << badData;
    QByteArray withXon = subpacket(100, true);
    withXon.insert(40, "\x11\x91\x13\x93");
    QTest::newRow("flow control bytes inside data are dropped") << withXon << 32 << goodData;
}

void ZmodemWireTest::damagedFramesAreRefused() {
    QFETCH(QByteArray, wire);
    QFETCH(int, dataCrc);
    QFETCH(int, expected);
    FrameReader reader;
    if (dataCrc != 0) {
        Bytes head;
        FrameWriter().binaryHeader(head, Header::at(FrameType::Data, 0), dataCrc == 32);
        QCOMPARE(readAll(reader, head, true).size(), std::size_t(1));
    }
    Bytes got;
    const auto events = readAll(reader, Bytes(wire.begin(), wire.end()), false, &got);
    QVERIFY(!events.empty());
    QCOMPARE(int(events.front()), expected);
    if (expected == int(FrameReader::Event::Subpacket)) {
        QVERIFY(!got.empty());
        QCOMPARE(got, Bytes(got.size(), 0x55));
    }
}

void ZmodemWireTest::abortSequenceIsRecognised_data() {
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<bool>("inData");
    QTest::addColumn<bool>("cancels");

    const QByteArray cans(8, '\x18');
    QTest::newRow("eight CANs and backspaces while hunting") << cans + QByteArray(10, '\b') << false << true;
    QTest::newRow("five CANs are enough") << QByteArray(5, '\x18') << false << true;
    QTest::newRow("four CANs are not") << QByteArray(4, '\x18') + "x" << false << false;
    QTest::newRow("eight CANs in the middle of data") << QByteArray("abc") + cans << true << true;
    QTest::newRow("escaped CANs in data are data") << QByteArray("\x18X\x18X\x18X\x18X\x18X") << true << false;
}

void ZmodemWireTest::abortSequenceIsRecognised() {
    QFETCH(QByteArray, wire);
    QFETCH(bool, inData);
    QFETCH(bool, cancels);
    FrameReader reader;
    if (inData) {
        Bytes head;
        FrameWriter().binaryHeader(head, Header::at(FrameType::Data, 0), true);
        readAll(reader, head, true);
    }
    const auto events = readAll(reader, Bytes(wire.begin(), wire.end()));
    const bool cancelled = std::find(events.begin(), events.end(), FrameReader::Event::Cancel) != events.end();
    QCOMPARE(cancelled, cancels);
}

QTEST_APPLESS_MAIN(ZmodemWireTest)
#include "tst_zmodem_wire.moc"

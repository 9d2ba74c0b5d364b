// The telnet client with the COM port option, fed the server's bytes whole, cut at every byte
// boundary and one byte at a time: every cut must give the same data, answers and reports.
#include <QtTest>

#include "com_port_codec.h"

using namespace quillmar::telnet;

namespace {

QByteArray bytes(std::initializer_list<int> list)
{
    QByteArray out;
    for (int b : list)
        out += static_cast<char>(b);
    return out;
}

// The server's side of a full agreement: binary and go-ahead both ways, the COM port option.
const QByteArray kAgreement = bytes({IAC, DO, OptBinary, IAC, WILL, OptBinary, IAC, DO, OptSuppressGoAhead,
                                     IAC, WILL, OptSuppressGoAhead, IAC, DO, OptComPort});

struct Outcome {
    QByteArray data, replies, reports;
    bool operator==(const Outcome&) const = default;
};

QByteArray describe(const std::vector<ComPortReply>& reports)
{
    QByteArray out;
    for (const ComPortReply& r : reports)
        out += QByteArray::number(int(r.command)) + '=' + QByteArray::number(r.value) + '/' +
            QByteArray::number(r.asked) + ';';
    return out;
}

ComPortCodec prepared(bool agreed, std::string* startBytes = nullptr)
{
    ComPortCodec codec;
    const std::string start = codec.start();
    if (startBytes)
        *startBytes = start;
    codec.requestSettings({19200, 7, 3, 2, 3});
    if (agreed) {
        std::string data, replies;
        std::vector<ComPortReply> reports;
        codec.receive(reinterpret_cast<const std::uint8_t*>(kAgreement.constData()), kAgreement.size(), data,
                      replies, reports);
    }
    return codec;
}

// Feeds `wire` in pieces that end at `cuts`.
Outcome feed(bool agreed, const QByteArray& wire, const QList<int>& cuts)
{
    ComPortCodec codec = prepared(agreed);
    std::string data, replies;
    std::vector<ComPortReply> reports;
    int from = 0;
    for (int cut : cuts + QList<int>{int(wire.size())}) {
        codec.receive(reinterpret_cast<const std::uint8_t*>(wire.constData()) + from, cut - from, data,
                      replies, reports);
        from = cut;
    }
    return {QByteArray::fromStdString(data), QByteArray::fromStdString(replies), describe(reports)};
}

// The settings asked for above, as they must go on the wire.
const QByteArray kSettingsRequest = bytes({IAC, SB, OptComPort, SetBaudRate, 0, 0,   0x4b, 0x00, IAC, SE, //
                                           IAC, SB, OptComPort, SetDataSize, 7, IAC, SE,                  //
                                           IAC, SB, OptComPort, SetParity,   3, IAC, SE,                  //
                                           IAC, SB, OptComPort, SetStopSize, 2, IAC, SE,                  //
                                           IAC, SB, OptComPort, SetControl,  3, IAC, SE});

} // namespace

class ComPortCodecTest : public QObject {
    Q_OBJECT
private slots:
    void serverBytes_data();
    void serverBytes();
    void outgoingBytes();
};

void ComPortCodecTest::serverBytes_data()
{
    QTest::addColumn<bool>("agreed");
    QTest::addColumn<QByteArray>("wire");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("replies");
    QTest::addColumn<QByteArray>("reports");

    QTest::newRow("server agrees: settings go out, agreements are not answered")
        << false << kAgreement << QByteArray() << kSettingsRequest << QByteArray();
    QTest::newRow("server offers what we do not do: refused once each")
        << true << bytes({IAC, WILL, 24, IAC, DO, 31, IAC, WONT, 24, IAC, DONT, 31}) << QByteArray()
        << bytes({IAC, DONT, 24, IAC, WONT, 31}) << QByteArray();
    QTest::newRow("agreement repeated: no answer, no loop")
        << true << kAgreement << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("server withdraws binary: acknowledged, CR NUL undone again")
        << true << bytes({IAC, DONT, OptBinary, IAC, WONT, OptBinary, 'a', 13, 0, 'b'}) << QByteArray("a\rb")
        << bytes({IAC, WONT, OptBinary, IAC, DONT, OptBinary}) << QByteArray();
    QTest::newRow("server refuses the COM port option: nothing is sent")
        << false << bytes({IAC, DONT, OptComPort}) << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("doubled 255 in data is one byte")
        << true << bytes({'a', IAC, IAC, IAC, IAC, 'b'}) << bytes({'a', 255, 255, 'b'}) << QByteArray()
        << QByteArray();
    QTest::newRow("text mode: NUL after CR dropped, other NULs kept")
        << false << bytes({'x', 13, 0, 'y', 0, 13, 10}) << bytes({'x', 13, 'y', 0, 13, 10}) << QByteArray()
        << QByteArray();
    QTest::newRow("binary mode: CR NUL kept")
        << true << bytes({13, 0, 13}) << bytes({13, 0, 13}) << QByteArray() << QByteArray();
    QTest::newRow("no-operation and go-ahead carry nothing")
        << true << bytes({'a', IAC, 241, IAC, 249, 'b'}) << QByteArray("ab") << QByteArray() << QByteArray();
    QTest::newRow("server reports baud rate with a doubled 255, then the modem lines")
        << true << bytes({IAC, SB, OptComPort, 101, 0,          1,   IAC,  IAC, IAC, IAC,
                          IAC, SE, IAC,        SB,  OptComPort, 107, 0x30, IAC, SE,  'z'})
        << QByteArray("z") << QByteArray() << QByteArray("1=131071/19200;7=48/0;");
    QTest::newRow("server reports framing and flow control")
        << true << bytes({IAC, SB, OptComPort, 102, 8, IAC, SE, IAC, SB, OptComPort, 103, 1, IAC, SE,
                          IAC, SB, OptComPort, 104, 1, IAC, SE, IAC, SB, OptComPort, 105, 1, IAC, SE})
        << QByteArray() << QByteArray() << QByteArray("2=8/7;3=1/3;4=1/2;5=1/3;");
    QTest::newRow("client commands echoed and foreign options ignored")
        << true << bytes({IAC, SB, OptComPort, 1, 0, 0, 0, 0, IAC, SE, IAC, SB, 24, 1, IAC, SE, 'k'})
        << QByteArray("k") << QByteArray() << QByteArray();
    QTest::newRow("command inside an unfinished subnegotiation ends it")
        << true << bytes({IAC, SB, OptComPort, 107, IAC, DO, 24, 'q'}) << QByteArray("q")
        << bytes({IAC, WONT, 24}) << QByteArray();
    QByteArray endless = bytes({IAC, SB, OptComPort, 101});
    endless += QByteArray(5000, 'x') + bytes({IAC, SE, 'w'});
    QTest::newRow("endless subnegotiation is cut short, data after it flows")
        << true << endless << QByteArray("w") << QByteArray() << QByteArray("1=2021161080/19200;");
}

void ComPortCodecTest::serverBytes()
{
    QFETCH(bool, agreed);
    QFETCH(QByteArray, wire);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, replies);
    QFETCH(QByteArray, reports);
    const Outcome want{data, replies, reports};
    const Outcome whole = feed(agreed, wire, {});
    QCOMPARE(whole.data, want.data);
    QCOMPARE(whole.replies, want.replies);
    QCOMPARE(whole.reports, want.reports);
    for (int cut = 1; cut < wire.size(); ++cut)
        QVERIFY2(feed(agreed, wire, {cut}) == want, qPrintable(QStringLiteral("cut at byte %1").arg(cut)));
    QList<int> everyByte;
    for (int cut = 1; cut < wire.size(); ++cut)
        everyByte << cut;
    QVERIFY(feed(agreed, wire, everyByte) == want);
}

void ComPortCodecTest::outgoingBytes()
{
    std::string start;
    ComPortCodec text = prepared(false, &start);
    QCOMPARE(QByteArray::fromStdString(start),
             bytes({IAC, WILL, OptBinary, IAC, DO, OptBinary, IAC, WILL, OptSuppressGoAhead, IAC, DO,
                    OptSuppressGoAhead, IAC, WILL, OptComPort}));
    const QByteArray payload = bytes({'a', 13, 255, 0, 255, 255, 13, 10});
    const auto* raw = reinterpret_cast<const std::uint8_t*>(payload.constData());
    std::string wire;
    text.encode(raw, payload.size(), wire);
    QCOMPARE(QByteArray::fromStdString(wire),
             bytes({'a', 13, 0, 255, 255, 0, 255, 255, 255, 255, 13, 0, 10}));

    ComPortCodec binary = prepared(true);
    wire.clear();
    binary.encode(raw, payload.size(), wire);
    QCOMPARE(QByteArray::fromStdString(wire), bytes({'a', 13, 255, 255, 0, 255, 255, 255, 255, 13, 10}));
    // Once agreed, a new request goes out at once, a 255 in the rate doubled.
    QCOMPARE(QByteArray::fromStdString(binary.requestSettings({0x00ff00ff, 8, 1, 1, 1})).left(12),
             bytes({IAC, SB, OptComPort, SetBaudRate, 0, 255, 255, 0, 255, 255, IAC, SE}));
    // Answers are matched to the requests in order, not to the latest one.
    std::string data, replies;
    std::vector<ComPortReply> reports;
    binary.requestSettings({4800, 8, 1, 1, 1});
    const QByteArray answers =
        bytes({IAC, SB, OptComPort, 101, 0, 0,   0x4b, 0,    IAC, SE,           // the first: 19200
               IAC, SB, OptComPort, 101, 0, 255, 255,  0,    255, 255, IAC, SE, // the second
               IAC, SB, OptComPort, 101, 0, 0,   0x12, 0xc0, IAC, SE});         // the third: 4800
    binary.receive(reinterpret_cast<const std::uint8_t*>(answers.constData()), answers.size(), data, replies,
                   reports);
    QCOMPARE(describe(reports), QByteArray("1=19200/19200;1=16711935/16711935;1=4800/4800;"));
    // Until the server answers the offer of binary, text rules would apply.
    QVERIFY(text.binaryPending() && !binary.binaryPending());
    ComPortCodec plain(false);
    QVERIFY(plain.start().find(char(OptComPort)) == std::string::npos);
}

QTEST_APPLESS_MAIN(ComPortCodecTest)
#include "com_port_codec_test.moc"

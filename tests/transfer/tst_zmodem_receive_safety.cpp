// What a receiver does with hostile names, existing files, bad directories and lying senders.
#include <QtTest>

#include "received_name.h"
#include "zmodem_test_link.h"

using namespace zmodemtest;

namespace {

bool hasAbortSequence(const Bytes& out) {
    const Bytes cans(8, 0x18);
    return std::search(out.begin(), out.end(), cans.begin(), cans.end()) != out.end();
}

}  // namespace

// Names, directories and lengths a receiver must not trust.
class ZmodemReceiveSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void namesAreMadePlain_data();
    void namesAreMadePlain();
    void hostileNamesLandInsideTheDirectory_data();
    void hostileNamesLandInsideTheDirectory();
    void existingFilesAreNeverReplaced_data();
    void existingFilesAreNeverReplaced();
    void unusableDirectoryOrSourceAborts_data();
    void unusableDirectoryOrSourceAborts();
    void lyingSenderIsNotBelieved_data();
    void lyingSenderIsNotBelieved();
    void repeatedOffersLeaveOneFile_data();
    void repeatedOffersLeaveOneFile();
};

void ZmodemReceiveSafetyTest::namesAreMadePlain_data() {
    QTest::addColumn<QByteArray>("announced");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("plain name") << QByteArray("log.txt") << QByteArray("log.txt");
    QTest::newRow("spaces kept") << QByteArray("net log 3.txt") << QByteArray("net log 3.txt");
    QTest::newRow("parent directory") << QByteArray("../x") << QByteArray("x");
    QTest::newRow("absolute path") << QByteArray("/etc/passwd") << QByteArray("passwd");
    QTest::newRow("nested path") << QByteArray("a/b/c") << QByteArray("c");
    QTest::newRow("DOS path") << QByteArray("C:\\TEMP\\MSG.TXT") << QByteArray("MSG.TXT");
    QTest::newRow("control bytes") << QByteArray("ev\x1b[2Jil\r\n\x7f.txt") << QByteArray("ev[2Jil.txt");
    QTest::newRow("hidden start-up file") << QByteArray(".bashrc") << QByteArray("bashrc");
    QTest::newRow("empty") << QByteArray("") << QByteArray(kFallbackName);
    QTest::newRow("only dots") << QByteArray("..") << QByteArray(kFallbackName);
    QTest::newRow("trailing slash") << QByteArray("dir/") << QByteArray(kFallbackName);
    QTest::newRow("only control bytes") << QByteArray("\x01\x02\x03") << QByteArray(kFallbackName);
    QTest::newRow("very long") << QByteArray(300, 'n') << QByteArray(int(kMaxNameBytes), 'n');
    QTest::newRow("long with UTF-8 at the cut") << QByteArray(199, 'n') + "\xc3\xa9\xc3\xa9" << QByteArray(199, 'n');
}

void ZmodemReceiveSafetyTest::namesAreMadePlain() {
    QFETCH(QByteArray, announced);
    QFETCH(QByteArray, expected);
    QCOMPARE(QByteArray::fromStdString(plainReceivedName(announced.toStdString())), expected);
}

void ZmodemReceiveSafetyTest::hostileNamesLandInsideTheDirectory_data() {
    QTest::addColumn<QByteArray>("announced");
    QTest::addColumn<QString>("expectedPath");

    QTest::newRow("parent directory") << QByteArray("../x") << "/in/x";
    QTest::newRow("absolute path") << QByteArray("/etc/passwd") << "/in/passwd";
    QTest::newRow("nested path") << QByteArray("a/b/c") << "/in/c";
    QTest::newRow("control bytes") << QByteArray("bad\x07name") << "/in/badname";
    QTest::newRow("empty") << QByteArray("") << QString("/in/") + kFallbackName;
}

void ZmodemReceiveSafetyTest::hostileNamesLandInsideTheDirectory() {
    QFETCH(QByteArray, announced);
    QFETCH(QString, expectedPath);
    Station station(receiveInto("/in"));
    station.files.addDirectory("/in");
    station.files.putFile("/etc/passwd", {'r', 'o', 'o', 't'});
    const Bytes data = patternBytes(3000, 5);
    const Bytes wire = scriptedSender(announced.toStdString(), data.size(), data);
    station.engine.feed(wire.data(), wire.size(), station.terminal);

    QCOMPARE(listed(station.events.aborts), QStringList());
    QCOMPARE(listed(station.events.received), QStringList{expectedPath});
    QCOMPARE(*station.files.file(expectedPath.toStdString()), data);
    QCOMPARE(*station.files.file("/etc/passwd"), (Bytes{'r', 'o', 'o', 't'}));
    QCOMPARE(station.events.finishedCount, 1);
    // Only the start string reached the terminal; the trailing "OO" was swallowed.
    const std::string terminal(station.terminal.begin(), station.terminal.end());
    QCOMPARE(terminal, std::string("rz\r**\x18" "B00000000000000"));
}

void ZmodemReceiveSafetyTest::existingFilesAreNeverReplaced_data() {
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QString>("expectedPath");

    QTest::newRow("free name") << QStringList{} << "/in/report.txt";
    QTest::newRow("name taken") << QStringList{"/in/report.txt"} << "/in/report.txt.1";
    QTest::newRow("name and .1 taken") << QStringList{"/in/report.txt", "/in/report.txt.1"} << "/in/report.txt.2";
    QTest::newRow("only .1 taken") << QStringList{"/in/report.txt.1"} << "/in/report.txt";
}

void ZmodemReceiveSafetyTest::existingFilesAreNeverReplaced() {
    QFETCH(QStringList, existing);
    QFETCH(QString, expectedPath);
    TestLink link;
    link.receiver.files.addDirectory("/in");
    for (const auto& path : existing) link.receiver.files.putFile(path.toStdString(), {'o', 'l', 'd'});
    link.sender.files.putFile("/out/report.txt", patternBytes(2000, 9));
    link.sender.engine.send({"/out/report.txt"});
    QVERIFY(link.run());

    QCOMPARE(listed(link.receiver.events.received), QStringList{expectedPath});
    QCOMPARE(*link.receiver.files.file(expectedPath.toStdString()), patternBytes(2000, 9));
    for (const auto& path : existing) QCOMPARE(*link.receiver.files.file(path.toStdString()), (Bytes{'o', 'l', 'd'}));
}

void ZmodemReceiveSafetyTest::unusableDirectoryOrSourceAborts_data() {
    QTest::addColumn<QString>("directory");
    QTest::addColumn<bool>("writable");
    QTest::addColumn<bool>("sourceReadable");
    QTest::addColumn<QString>("reason");

    QTest::newRow("receive directory missing") << "/nowhere" << true << true << "cannot write in /nowhere";
    QTest::newRow("receive directory read-only") << "/in" << false << true << "cannot write in /in";
    QTest::newRow("empty directory means home") << "" << true << true << "";
    QTest::newRow("file to send unreadable") << "/in" << true << false << "cannot read /out/a";
}

void ZmodemReceiveSafetyTest::unusableDirectoryOrSourceAborts() {
    QFETCH(QString, directory);
    QFETCH(bool, writable);
    QFETCH(bool, sourceReadable);
    QFETCH(QString, reason);
    TestLink link({}, receiveInto(directory.toStdString()));
    link.receiver.files.addDirectory("/in", writable);
    link.receiver.files.setHome("/home/op");
    link.receiver.files.addDirectory("/home/op");
    link.sender.files.putFile("/out/a", patternBytes(100, 1));
    if (!sourceReadable) link.sender.files.makeUnreadable("/out/a");
    const bool started = link.sender.engine.send({"/out/a"});
    QCOMPARE(started, sourceReadable);
    QVERIFY(link.run());

    if (reason.isEmpty()) {
        QCOMPARE(listed(link.receiver.events.received), QStringList{"/home/op/a"});
        return;
    }
    Station& failing = sourceReadable ? link.receiver : link.sender;
    QCOMPARE(listed(failing.events.aborts), QStringList{reason});
    QVERIFY(hasAbortSequence(sourceReadable ? link.wireToSender : link.wireToReceiver));
    QVERIFY(link.receiver.events.received.empty());
    QCOMPARE(link.sender.events.finishedCount, 0);
}

void ZmodemReceiveSafetyTest::lyingSenderIsNotBelieved_data() {
    QTest::addColumn<int>("announced");
    QTest::addColumn<int>("sent");

    QTest::newRow("fewer bytes than announced") << 5000 << 4000;
    QTest::newRow("more bytes than announced") << 4000 << 5000;
}

void ZmodemReceiveSafetyTest::lyingSenderIsNotBelieved() {
    QFETCH(int, announced);
    QFETCH(int, sent);
    Station station(receiveInto("/in"));
    station.files.addDirectory("/in");
    const Bytes wire = scriptedSender("x.bin", std::uint64_t(announced), patternBytes(std::size_t(sent), 3));
    station.engine.feed(wire.data(), wire.size(), station.terminal);

    QCOMPARE(station.events.aborts.size(), std::size_t(1));
    QVERIFY(station.events.received.empty());
    QCOMPARE(station.events.finishedCount, 0);
    QVERIFY(station.files.files().empty());  // not even the temporary file is left
    station.engine.pump(1000);
    QVERIFY(hasAbortSequence(station.sink.bytes));
}

void ZmodemReceiveSafetyTest::repeatedOffersLeaveOneFile_data() {
    QTest::addColumn<bool>("damageRepeat");
    QTest::newRow("clean repeat of ZFILE mid-file") << false;
    QTest::newRow("damaged repeat of ZFILE mid-file") << true;
}

// A sender whose ZRPOS got lost offers the file again; the receiver must end with one file, no leftovers.
void ZmodemReceiveSafetyTest::repeatedOffersLeaveOneFile() {
    QFETCH(bool, damageRepeat);
    const Bytes data = patternBytes(5000, 4);
    const Bytes offer = fileOffer("twice.bin", data.size());
    Bytes repeat = offer;
    if (damageRepeat) {
        const std::string name = "twice";
        *std::search(repeat.begin(), repeat.end(), name.begin(), name.end()) ^= 0x01;
    }
    Bytes wire = startString();
    for (const Bytes& part : {offer, repeat, offer, fileData(data), goodbye(true)})
        wire.insert(wire.end(), part.begin(), part.end());
    Station station(receiveInto("/in"));
    station.files.addDirectory("/in");
    station.engine.feed(wire.data(), wire.size(), station.terminal);

    QCOMPARE(listed(station.events.aborts), QStringList());
    QCOMPARE(listed(station.events.received), QStringList{"/in/twice.bin"});
    QCOMPARE(station.files.files().size(), std::size_t(1));
    QCOMPARE(*station.files.file("/in/twice.bin"), data);
}

QTEST_APPLESS_MAIN(ZmodemReceiveSafetyTest)
#include "tst_zmodem_receive_safety.moc"

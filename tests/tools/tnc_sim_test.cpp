// What the demo and the integration tests rely on in tnc-sim: the built program on a real
// pseudo-terminal answering as a TNC-2 does, and in-process, on a made-up clock, the beacon and the
// remote station's remarks.

#include "tnc_session.h"

#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace {

// Long enough for a busy machine; every wait ends as soon as its event happens.
constexpr int timeoutMs = 20000;
const QByteArray signOn = "\r\ntnc-sim 1.0 - TNC-2 command set\r\ncmd:";

int msLeft(const QDeadlineTimer& deadline)
{
    return int(qMax<qint64>(0, deadline.remainingTime()));
}

QByteArray fileContent(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(cannot read)");
}

// One tnc-sim with its link and transcript in a temporary folder, and the client's end of its terminal.
struct Sim {
    QTemporaryDir dir;
    QProcess process;
    int fd = -1;
    QByteArray received;
    qsizetype matched = 0;

    ~Sim()
    {
        ::close(fd);
        process.kill();
        process.waitForFinished(timeoutMs);
    }
    QString path(const char* name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Starts tnc-sim and waits for its ready line; false if it exits or stays silent instead.
    bool start(const QStringList& extra = {})
    {
        const QString program =
            qEnvironmentVariable("QUILLMAR_BUILD_DIR", QUILLMAR_DEFAULT_BUILD_DIR) + "/tnc-sim";
        process.start(program,
                      QStringList{"--link", path("COM1"), "--transcript", path("transcript")} + extra);
        const QDeadlineTimer deadline(timeoutMs);
        while (!process.canReadLine() && process.waitForReadyRead(msLeft(deadline))) {}
        if (process.readLine().startsWith("ready /dev/"))
            return true;
        process.waitForFinished(msLeft(deadline));
        return false;
    }

    // Opens the terminal through the link as a client does, closing any earlier opening.
    bool open()
    {
        ::close(fd);
        fd = ::open(QFile::encodeName(path("COM1")).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        received.clear();
        matched = 0;
        return fd >= 0;
    }

    bool send(const QByteArray& bytes)
    {
        return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }

    // Reads until `text` turns up after what earlier waits matched; false on timeout or hangup.
    bool waitFor(const QByteArray& text)
    {
        const QDeadlineTimer deadline(timeoutMs);
        for (char buffer[4096]; received.indexOf(text, matched) < 0;) {
            pollfd ready{fd, POLLIN, 0};
            const ssize_t count =
                ::poll(&ready, 1, msLeft(deadline)) > 0 ? ::read(fd, buffer, sizeof buffer) : -1;
            if (count <= 0)
                return false;
            received.append(buffer, count);
        }
        matched = received.indexOf(text, matched) + text.size();
        return true;
    }
    QByteArray shown() const { return received.toPercentEncoding(" :?*\"-,"); }
};

} // namespace

class TncSimTest : public QObject {
    Q_OBJECT

private slots:
    void conversation_data();
    void conversation();
    void timers_data();
    void timers();
};

void TncSimTest::conversation_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("answer"); // everything the sim says after its sign-on

    const QStringList plain;
    const QByteArray my = "MY\r\nMYCALL N0CALL\r\ncmd:", eh = "\r\nEH?\r\ncmd:";
    const QByteArray connected = "C K1\r\n*** CONNECTED to K1\r\n";
    QTest::newRow(
        "echo; BS, DEL erase to the line start; LF ignored; CR LF one end; Ctrl-C at the prompt ignored")
        << plain << QByteArray("M\b\bY\x7fMY\r\n\x03M\nY\r") << "M\b \bY\b \b" + my + my;
    QTest::newRow("C connects, the remote answers, Ctrl-C drops a half line")
        << plain << QByteArray("C K1\rhello\rhalf\x03K\rrest\r")
        << connected +
            "hello\r\nK1: copied \"hello\" 73\r\nhalf\r\ncmd:K\r\nrest\r\nK1: copied \"rest\" 73\r\n";
    QTest::newRow("connect via digipeaters") << plain << QByteArray("c w1aw v k1-1, wide2-1\r")
                                             << QByteArray("c w1aw v k1-1, wide2-1\r\n"
                                                           "*** CONNECTED to W1AW VIA K1-1,WIDE2-1\r\n");
    QTest::newRow("D and DISCONNE disconnect, D alone complains")
        << plain
        << QByteArray("C K1\r\x03"
                      "D\rC K1\r\x03"
                      "DISCONNE\rD\r")
        << connected + "cmd:D\r\n*** DISCONNECTED\r\ncmd:" + connected +
            "cmd:DISCONNE\r\n*** DISCONNECTED\r\ncmd:D\r\n?not connected\r\ncmd:";
    QTest::newRow("--chatter makes the remote talk")
        << QStringList{"--chatter", "1"} << QByteArray("C K1\r")
        << connected + "K1: standing by, any traffic for this station?\r\n";
}

void TncSimTest::conversation()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, answer);
    Sim sim;
    QFile old(sim.path("transcript")); // an old transcript is added to, never replaced
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old\n") == 4 && old.flush());
    QVERIFY(sim.start(arguments) && sim.open());
    QVERIFY(sim.send(sent));
    QVERIFY2(sim.waitFor(signOn + answer), sim.shown().constData());
    QCOMPARE(sim.received.left(signOn.size() + answer.size()), signOn + answer);
    // The sim records what it reads before it answers, so once this is answered the transcript has it all.
    const QByteArray last = "\x03\rMY\r";
    QVERIFY(sim.send(last));
    QVERIFY2(sim.waitFor("MY\r\nMYCALL "), sim.shown().constData());
    QCOMPARE(fileContent(sim.path("transcript")), "old\n" + sent + last);
}

void TncSimTest::timers_data()
{
    QTest::addColumn<QByteArray>("typed"); // at 0 s, after "BT net\r"; a connected station talks every 30 s
    QTest::addColumn<int>("lookAt");       // a LF arrives and the clock is first looked at (busy until then)
    QTest::addColumn<int>("runFor");
    QTest::addColumn<int>("beacons");
    QTest::addColumn<int>("remarks"); // all different

    QTest::newRow("EVERY 1, every 10 s") << QByteArray("B E 1\r") << 0 << 35 << 3 << 0;
    QTest::newRow("a late clock makes no burst") << QByteArray("B E 1\r") << 95 << 104 << 1 << 0;
    QTest::newRow("connected, remarks every 30 s") << QByteArray("C W1AW\r") << 0 << 95 << 0 << 3;
    QTest::newRow("quiet after DISCONNECT") << QByteArray("C W1AW\r\x03"
                                                          "D\r")
                                            << 0 << 120 << 0 << 0;
}

void TncSimTest::timers()
{
    QFETCH(QByteArray, typed);
    QFETCH(int, lookAt);
    QFETCH(int, runFor);
    QFETCH(int, beacons);
    QFETCH(int, remarks);
    const auto at = [](int seconds) { return tncsim::Clock::time_point{} + std::chrono::seconds(seconds); };
    tncsim::TncSession session({"N0CALL", std::chrono::seconds(30)});
    session.signOn();
    session.receive("BT net\r" + typed.toStdString(), at(0));
    session.receive("\n", at(lookAt));
    // Step the clock to each timer as the server does. It never runs backwards: one overdue at `lookAt` runs
    // then.
    QByteArray said;
    tncsim::Clock::time_point now = at(lookAt);
    for (int guard = 0; guard < 1000 && session.nextTimer() && *session.nextTimer() <= at(runFor); ++guard) {
        now = std::max(now, *session.nextTimer());
        said += QByteArray::fromStdString(session.runTimers(now));
    }
    QVERIFY2(!session.nextTimer() || *session.nextTimer() > at(runFor), "the timers never settle");
    QCOMPARE(said.count("\r\nN0CALL>BEACON: net\r\ncmd:"), beacons);
    QSet<QByteArray> heard;
    for (const QByteArray& line : said.split('\n')) {
        if (line.startsWith("W1AW: "))
            heard += line;
    }
    QCOMPARE(heard.size(), remarks);
}

QTEST_GUILESS_MAIN(TncSimTest)
#include "tnc_sim_test.moc"

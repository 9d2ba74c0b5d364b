// The built tnc-sim on a real pseudo-terminal, driven through its link the way Quillmar drives a TNC; and
// in-process what that cannot reach in good time or see: the beacon and remote remarks on a made-up clock,
// and what the output queue drops for a client that stops reading.

#include "output_queue.h"
#include "tnc_session.h"

#include <QtTest>

#include <cerrno>
#include <csignal>
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
        if (process.state() != QProcess::NotRunning)
            stop(SIGKILL);
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

    // Writes all of `bytes`, waiting (bounded) for room while the terminal is full.
    bool send(QByteArray bytes)
    {
        const QDeadlineTimer deadline(timeoutMs);
        for (pollfd room{fd, POLLOUT, 0}; !bytes.isEmpty();) {
            const ssize_t count = ::write(fd, bytes.constData(), size_t(bytes.size()));
            if (count > 0)
                bytes.remove(0, count);
            else if (errno != EAGAIN || ::poll(&room, 1, msLeft(deadline)) <= 0)
                return false;
        }
        return true;
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

    // Sends `signal` and waits for the end; true on a clean exit.
    bool stop(int signal)
    {
        ::kill(pid_t(process.processId()), signal);
        return process.waitForFinished(timeoutMs) && process.exitStatus() == QProcess::NormalExit &&
            process.exitCode() == 0;
    }
};

} // namespace

class TncSimTest : public QObject {
    Q_OBJECT

private slots:
    void conversation_data();
    void conversation();
    void stopSignals_data();
    void stopSignals();
    void aFileAtTheLinkPathIsKept();
    void timers_data();
    void timers();
    void outputQueue_data();
    void outputQueue();
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
    QTest::newRow("control and 8-bit bytes pass both ways")
        << plain << QByteArray("\x0f\x16\x11\x13\x1a\x1c\xe9\r") << "\x0f\x16\x11\x13\x1a\x1c\xe9" + eh;
    QTest::newRow("words that are no command")
        << plain << QByteArray("FOO\rM\rKA\rCONNECTS\rRESTAR\r")
        << "FOO" + eh + "M" + eh + "KA" + eh + "CONNECTS" + eh + "RESTAR" + eh;
    QTest::newRow("a line past 255 characters rings the bell")
        << plain << QByteArray(257, 'X') + '\r' << QByteArray(255, 'X') + "\a\a" + eh;
    QTest::newRow("C connects, the remote answers, Ctrl-C drops a half line")
        << plain << QByteArray("C K1\rhello\rhalf\x03K\rrest\r")
        << connected +
            "hello\r\nK1: copied \"hello\" 73\r\nhalf\r\ncmd:K\r\nrest\r\nK1: copied \"rest\" 73\r\n";
    QTest::newRow("CONV resumes, CON shows the link")
        << plain
        << QByteArray("C K1\r\x03"
                      "CONV\r\x03"
                      "CON\r")
        << connected + "cmd:CONV\r\ncmd:CON\r\nLink state is: CONNECTED to K1\r\ncmd:";
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
    QTest::newRow("--mycall; RESTART signs on, drops the link, keeps MYCALL")
        << QStringList{"--mycall", "w1aw"} << QByteArray("MY w1aw-7\rC K1\r\x03RESTART\rC\rMY\r")
        << "MY w1aw-7\r\nMYCALL was W1AW\r\ncmd:" + connected + "cmd:RESTART\r\n" + signOn +
            "C\r\nLink state is: DISCONNECTED\r\ncmd:MY\r\nMYCALL W1AW-7\r\ncmd:";
    QTest::newRow("B and BT set and show, bad values refused")
        << plain << QByteArray("B E 250\rB E 251\rB\rBT net\rBT\rMY K1-16\r")
        << QByteArray(
               "B E 250\r\nBEACON was EVERY 0\r\ncmd:B E 251\r\n?bad beacon: BEACON EVERY n or BEACON AFTER"
               " n, n from 0 to 250 (tens of seconds)\r\ncmd:B\r\nBEACON EVERY 250\r\ncmd:BT net\r\nBTEXT "
               "was "
               "\r\ncmd:BT\r\nBTEXT net\r\ncmd:MY K1-16\r\n?bad callsign: 1 to 6 letters or digits, then -0 "
               "to "
               "-15 if wanted\r\ncmd:");
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

void TncSimTest::stopSignals_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("linkTakenOver"); // someone else pointed the link elsewhere meanwhile
    QTest::addColumn<int>("flood");          // 0: none; 1: the client never reads again; 2: it reads again

    QTest::newRow("SIGTERM") << int(SIGTERM) << false << 0;
    QTest::newRow("SIGINT") << int(SIGINT) << false << 0;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false << 0;
    QTest::newRow("SIGTERM leaves a link it no longer owns") << int(SIGTERM) << true << 0;
    QTest::newRow("SIGTERM while the client never reads") << int(SIGTERM) << false << 1;
    QTest::newRow("answers again once the client reads") << int(SIGTERM) << false << 2;
}

void TncSimTest::stopSignals()
{
    QFETCH(int, signal);
    QFETCH(bool, linkTakenOver);
    QFETCH(int, flood);
    Sim sim;
    // An old link at the link's path is replaced, and what it pointed to is left alone.
    QFile other(sim.path("other"));
    QVERIFY(other.open(QIODevice::WriteOnly) && other.write("keep me") == 7 && other.flush());
    QVERIFY(other.link(sim.path("COM1")) && sim.start());
    QVERIFY(QFileInfo(sim.path("COM1")).symLinkTarget().startsWith("/dev/"));
    // The client may close the port and open it again: the terminal stays up.
    QVERIFY(sim.open() && sim.waitFor(signOn) && sim.open() && sim.send("MY\r"));
    QVERIFY2(sim.waitFor("MY\r\nMYCALL N0CALL\r\ncmd:"), sim.shown().constData());
    if (linkTakenOver)
        QVERIFY(QFile::remove(sim.path("COM1")) && QFile::link("/dev/null", sim.path("COM1")));
    // Each line draws about four times its length in answer, far more than the terminal and the sim hold.
    const QByteArray flooded = QByteArray("MYCALL\r").repeated(10000);
    if (flood > 0) {
        QVERIFY(sim.send(flooded));
        QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(sim.path("transcript")).size() == flooded.size() + 3, timeoutMs);
    }
    if (flood == 2) {
        QVERIFY(sim.send("BT still here\rBT\r"));
        QVERIFY2(sim.waitFor("BT\r\nBTEXT still here\r\ncmd:"), "the answer after the flood was lost");
    }
    QVERIFY(sim.stop(signal));
    QCOMPARE(sim.process.readAllStandardError().contains("the client is not reading"), flood > 0);
    QCOMPARE(QFileInfo(sim.path("COM1")).symLinkTarget(), linkTakenOver ? "/dev/null" : QString());
    QCOMPARE(fileContent(other.fileName()), QByteArray("keep me"));
}

void TncSimTest::aFileAtTheLinkPathIsKept()
{
    Sim sim;
    QFile file(sim.path("COM1"));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("keep me") == 7);
    file.close();
    QVERIFY(!sim.start());
    QCOMPARE(sim.process.exitCode(), 1);
    QVERIFY(sim.process.readAllStandardError().contains("not a symbolic link"));
    QCOMPARE(fileContent(file.fileName()), QByteArray("keep me"));
}

void TncSimTest::timers_data()
{
    QTest::addColumn<QByteArray>("typed"); // at 0 s, after "BT net\r"; a connected station talks every 30 s
    QTest::addColumn<int>("lookAt");       // a LF arrives and the clock is first looked at (busy until then)
    QTest::addColumn<int>("runFor");
    QTest::addColumn<int>("beacons");
    QTest::addColumn<int>("remarks"); // all different

    QTest::newRow("EVERY 1, not before 10 s") << QByteArray("B E 1\r") << 0 << 9 << 0 << 0;
    QTest::newRow("EVERY 1, every 10 s") << QByteArray("B E 1\r") << 0 << 35 << 3 << 0;
    QTest::newRow("EVERY 0 stops it") << QByteArray("B E 1\rB E 0\r") << 0 << 60 << 0 << 0;
    QTest::newRow("a refused change keeps it") << QByteArray("B E 1\rB E 999\r") << 0 << 20 << 2 << 0;
    QTest::newRow("AFTER waits for quiet again") << QByteArray("B A 1\r") << 5 << 14 << 0 << 0;
    QTest::newRow("AFTER sends once") << QByteArray("B A 1\r") << 5 << 100 << 1 << 0;
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

void TncSimTest::outputQueue_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("steps"); // "+text" queues text, "-n" sends n bytes
    QTest::addColumn<QString>("left");      // what the client gets from here on
    QTest::addColumn<int>("dropped");

    QTest::newRow("the oldest whole pieces go")
        << 10 << QStringList{"+aa", "+bb", "+cc", "+dddddddd"} << "ccdddddddd" << 4;
    QTest::newRow("a begun piece stays whole")
        << 10 << QStringList{"+aaaa", "-2", "+bbbb", "+cccccc"} << "aacccccc" << 4;
    QTest::newRow("a piece past the limit still goes") << 4 << QStringList{"+ab", "+cdefgh"} << "cdefgh" << 2;
    QTest::newRow("room comes back once sent")
        << 6 << QStringList{"+abc", "-3", "+def", "+ghi"} << "defghi" << 0;
}

void TncSimTest::outputQueue()
{
    QFETCH(int, limit);
    QFETCH(QStringList, steps);
    QFETCH(QString, left);
    QFETCH(int, dropped);
    tncsim::OutputQueue queue(static_cast<std::size_t>(limit));
    std::size_t droppedSoFar = 0;
    for (const QString& step : steps) {
        if (step.startsWith('+'))
            droppedSoFar += queue.push(step.mid(1).toStdString());
        else
            queue.consume(step.mid(1).toUInt());
    }
    std::string sent;
    for (; !queue.empty(); queue.consume(queue.pending().size()))
        sent += queue.pending();
    QCOMPARE(QString::fromStdString(sent), left);
    QCOMPARE(int(droppedSoFar), dropped);
}

QTEST_GUILESS_MAIN(TncSimTest)
#include "tnc_sim_test.moc"

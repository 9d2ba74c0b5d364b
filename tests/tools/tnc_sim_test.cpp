// What the demo relies on in tnc-sim, in-process on a made-up clock: a TNC-2's echo and answers, a
// connected remote station, the beacon and the remarks its --chatter option asks for.

#include "options.h"
#include "tnc_session.h"

#include <QtTest>

namespace {

tncsim::Clock::time_point at(int seconds)
{
    return tncsim::Clock::time_point{} + std::chrono::seconds(seconds);
}

} // namespace

class TncSimTest : public QObject {
    Q_OBJECT
private slots:
    void conversation_data()
    {
        QTest::addColumn<QByteArray>("sent");
        QTest::addColumn<QByteArray>("answer"); // everything after the sign-on
        const QByteArray my = "MY\r\nMYCALL N0CALL\r\ncmd:", connected = "C K1\r\n*** CONNECTED to K1\r\n";
        QTest::newRow("echo; BS, DEL erase; LF ignored; CR LF one end; Ctrl-C at the prompt ignored")
            << QByteArray("M\b\bY\x7fMY\r\n\x03M\nY\r") << "M\b \bY\b \b" + my + my;
        QTest::newRow("C connects, the remote answers, Ctrl-C drops a half line")
            << QByteArray("C K1\rhello\rhalf\x03K\rrest\r")
            << connected +
                "hello\r\nK1: copied \"hello\" 73\r\nhalf\r\ncmd:K\r\nrest\r\nK1: copied \"rest\" 73\r\n";
        QTest::newRow("D and DISCONNE disconnect, D alone complains")
            << QByteArray("C K1\r\003D\rC K1\r\003DISCONNE\rD\r")
            << connected + "cmd:D\r\n*** DISCONNECTED\r\ncmd:" + connected +
                "cmd:DISCONNE\r\n*** DISCONNECTED\r\ncmd:D\r\n?not connected\r\ncmd:";
    }
    void conversation()
    {
        QFETCH(QByteArray, sent);
        QFETCH(QByteArray, answer);
        tncsim::TncSession session({"N0CALL", {}});
        QCOMPARE(QByteArray::fromStdString(session.signOn()), "\r\ntnc-sim 1.0 - TNC-2 command set\r\ncmd:");
        QByteArray said;
        for (const char c : sent) // a byte at a time, as a slow line delivers them
            said += QByteArray::fromStdString(session.receive(std::string(1, c), at(0)));
        QCOMPARE(said, answer);
    }

    void timers_data()
    {
        QTest::addColumn<QByteArray>("typed"); // at 0 s, after "BT net\r"
        QTest::addColumn<int>("lookAt"); // a LF arrives and the clock is first looked at (busy until then)
        QTest::addColumn<int>("runFor");
        QTest::addColumn<int>("beacons");
        QTest::addColumn<int>("remarks"); // all different
        QTest::newRow("EVERY 1, every 10 s") << QByteArray("B E 1\r") << 0 << 35 << 3 << 0;
        QTest::newRow("a late clock makes no burst") << QByteArray("B E 1\r") << 95 << 104 << 1 << 0;
        QTest::newRow("connected, remarks every 30 s") << QByteArray("C W1AW\r") << 0 << 95 << 0 << 3;
        QTest::newRow("quiet after DISCONNECT") << QByteArray("C W1AW\r\003D\r") << 0 << 120 << 0 << 0;
    }
    void timers()
    {
        QFETCH(QByteArray, typed);
        QFETCH(int, lookAt);
        QFETCH(int, runFor);
        QFETCH(int, beacons);
        QFETCH(int, remarks);
        // The demo's command line asks for a remark every 30 s.
        const char* const argv[] = {"tnc-sim", "--link", "/tmp/COM1", "--chatter", "30"};
        const tncsim::Options options = tncsim::parseOptions(5, argv);
        tncsim::TncSession session({options.mycall, std::chrono::seconds(options.remarkSeconds)});
        session.signOn();
        session.receive("BT net\r" + typed.toStdString(), at(0));
        session.receive("\n", at(lookAt));
        // Step the clock to each timer as the server does; it never runs backwards, so one overdue at
        // `lookAt` runs then.
        QByteArray said;
        tncsim::Clock::time_point now = at(lookAt);
        for (int guard = 0; guard < 1000 && session.nextTimer() && *session.nextTimer() <= at(runFor);
             ++guard)
            said += QByteArray::fromStdString(session.runTimers(now = std::max(now, *session.nextTimer())));
        QVERIFY2(!session.nextTimer() || *session.nextTimer() > at(runFor), "the timers never settle");
        QCOMPARE(said.count("\r\nN0CALL>BEACON: net\r\ncmd:"), beacons);
        QSet<QByteArray> heard;
        for (const QByteArray& line : said.split('\n'))
            if (line.startsWith("W1AW: "))
                heard += line;
        QCOMPARE(heard.size(), remarks);
    }
};

QTEST_GUILESS_MAIN(TncSimTest)
#include "tnc_sim_test.moc"

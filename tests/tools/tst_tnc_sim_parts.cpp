// What the process test cannot reach in good time or cannot see: the session's beacon and remote
// remarks on a made-up clock, and what the output queue drops for a client that stops reading.

#include "output_queue.h"
#include "tnc_session.h"

#include <QtTest>

using namespace tncsim;

class TncSimPartsTest : public QObject {
    Q_OBJECT

private slots:
    void timers_data();
    void timers();
    void outputQueue_data();
    void outputQueue();
};

void TncSimPartsTest::timers_data()
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
    QTest::newRow("quiet after DISCONNECT") << QByteArray("C W1AW\r\x03" "D\r") << 0 << 120 << 0 << 0;
}

void TncSimPartsTest::timers()
{
    QFETCH(QByteArray, typed);
    QFETCH(int, lookAt);
    QFETCH(int, runFor);
    QFETCH(int, beacons);
    QFETCH(int, remarks);
    const auto at = [](int seconds) { return Clock::time_point{} + std::chrono::seconds(seconds); };
    TncSession session({"N0CALL", std::chrono::seconds(30)});
    session.signOn();
    session.receive("BT net\r" + typed.toStdString(), at(0));
    session.receive("\n", at(lookAt));
    // Step the clock to each timer as the server does. It never runs backwards: one overdue at `lookAt` runs then.
    QByteArray said;
    Clock::time_point now = at(lookAt);
    for (int guard = 0; guard < 1000 && session.nextTimer() && *session.nextTimer() <= at(runFor); ++guard) {
        now = std::max(now, *session.nextTimer());
        said += QByteArray::fromStdString(session.runTimers(now));
    }
    QVERIFY2(!session.nextTimer() || *session.nextTimer() > at(runFor), "the timers never settle");
    QCOMPARE(said.count("\r\nN0CALL>BEACON: net\r\ncmd:"), beacons);
    QSet<QByteArray> heard;
    for (const QByteArray &line : said.split('\n')) {
        if (line.startsWith("W1AW: "))
            heard += line;
    }
    QCOMPARE(heard.size(), remarks);
}

void TncSimPartsTest::outputQueue_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("steps"); // "+text" queues text, "-n" sends n bytes
    QTest::addColumn<QString>("left");      // what the client gets from here on
    QTest::addColumn<int>("dropped");

    QTest::newRow("the oldest whole pieces go") << 10 << QStringList{"+aa", "+bb", "+cc", "+dddddddd"} << "ccdddddddd"
                                                << 4;
    QTest::newRow("a begun piece stays whole") << 10 << QStringList{"+aaaa", "-2", "+bbbb", "+cccccc"} << "aacccccc"
                                               << 4;
    QTest::newRow("a piece past the limit still goes") << 4 << QStringList{"+ab", "+cdefgh"} << "cdefgh" << 2;
    QTest::newRow("room comes back once sent") << 6 << QStringList{"+abc", "-3", "+def", "+ghi"} << "defghi" << 0;
}

void TncSimPartsTest::outputQueue()
{
    QFETCH(int, limit);
    QFETCH(QStringList, steps);
    QFETCH(QString, left);
    QFETCH(int, dropped);
    OutputQueue queue(static_cast<std::size_t>(limit));
    std::size_t droppedSoFar = 0;
    for (const QString &step : steps) {
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

QTEST_APPLESS_MAIN(TncSimPartsTest)
#include "tst_tnc_sim_parts.moc"

// The simulator's bounded output queue: what a client that stops reading loses, and what it keeps.

#include "output_queue.h"

#include <QtTest>

using tncsim::OutputQueue;

class OutputQueueTest : public QObject {
    Q_OBJECT

private slots:
    void dropsOldestWholePieces_data();
    void dropsOldestWholePieces();
};

void OutputQueueTest::dropsOldestWholePieces_data()
{
    QTest::addColumn<int>("limit");
    QTest::addColumn<QStringList>("steps"); // "+text" queues text, "-n" sends n bytes
    QTest::addColumn<QString>("left");      // what the client gets from here on
    QTest::addColumn<int>("dropped");

    QTest::newRow("under the limit, all kept") << 10 << QStringList{"+abc", "+def"} << "abcdef" << 0;
    QTest::newRow("exactly the limit, all kept") << 6 << QStringList{"+abc", "+def"} << "abcdef" << 0;
    QTest::newRow("over the limit, oldest piece goes")
        << 10 << QStringList{"+aaaa", "+bbbb", "+cccc"} << "bbbbcccc" << 4;
    QTest::newRow("several old pieces go for a big one")
        << 10 << QStringList{"+aa", "+bb", "+cc", "+dddddddd"} << "cc" "dddddddd" << 4;
    QTest::newRow("a begun piece stays whole")
        << 10 << QStringList{"+aaaa", "-2", "+bbbb", "+cccccc"} << "aa" "cccccc" << 4;
    QTest::newRow("a piece past the limit still goes out") << 4 << QStringList{"+ab", "+cdefgh"} << "cdefgh" << 2;
    QTest::newRow("sending spans pieces") << 10 << QStringList{"+abc", "+def", "-4"} << "ef" << 0;
    QTest::newRow("room comes back once sent")
        << 6 << QStringList{"+abcdef", "-6", "+ghijkl"} << "ghijkl" << 0;
}

void OutputQueueTest::dropsOldestWholePieces()
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
    QCOMPARE(queue.size(), static_cast<std::size_t>(left.size()));
    std::string sent;
    while (!queue.empty()) {
        sent += queue.pending();
        queue.consume(queue.pending().size());
    }
    QCOMPARE(QString::fromStdString(sent), left);
    QCOMPARE(int(droppedSoFar), dropped);
}

QTEST_APPLESS_MAIN(OutputQueueTest)
#include "tst_output_queue.moc"

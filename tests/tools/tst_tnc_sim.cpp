// The built tnc-sim on a real pseudo-terminal, driven through its link the way Quillmar drives a TNC.

#include "sim_process.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSignalSpy>
#include <QtTest>

#include <csignal>
#include <poll.h>
#include <termios.h>

namespace {

const QByteArray signOn = "\r\ntnc-sim 1.0 - TNC-2 command set\r\ncmd:";

// Waits, without polling on the clock, until the file at `path` holds at least `size` bytes.
bool waitForFileSize(const QString &path, qint64 size)
{
    QFileSystemWatcher watcher({path});
    QSignalSpy changed(&watcher, &QFileSystemWatcher::fileChanged);
    QDeadlineTimer deadline(simTimeoutMs);
    while (QFileInfo(path).size() < size) {
        if (deadline.hasExpired() || !changed.wait(static_cast<int>(qMax<qint64>(1, deadline.remainingTime()))))
            return QFileInfo(path).size() >= size;
    }
    return true;
}

QByteArray fileContent(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TncSimTest : public QObject {
    Q_OBJECT

private slots:
    void conversation_data();
    void conversation();
    void terminalEndIsRaw_data();
    void terminalEndIsRaw();
    void transcriptHoldsEveryByte_data();
    void transcriptHoldsEveryByte();
    void clientMayCloseAndReopen();
    void stopSignals_data();
    void stopSignals();
    void linkPlacement_data();
    void linkPlacement();
    void clientThatNeverReads_data();
    void clientThatNeverReads();
};

void TncSimTest::conversation_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QByteArray>("expected");

    const QStringList plain;
    QTest::newRow("command line echoed") << plain << QByteArray("mycall\r")
                                         << QByteArray("mycall\r\nMYCALL N0CALL\r\ncmd:");
    QTest::newRow("backspace erases") << plain << QByteArray("MYX\bCALL\r")
                                      << QByteArray("MYX\b \bCALL\r\nMYCALL N0CALL\r\ncmd:");
    QTest::newRow("control bytes pass both ways") << plain << QByteArray("\x0f\x16\x11\x13\r")
                                                  << QByteArray("\x0f\x16\x11\x13\r\nEH?\r\ncmd:");
    QTest::newRow("C connects") << plain << QByteArray("C K1ABC\r")
                                << QByteArray("C K1ABC\r\n*** CONNECTED to K1ABC\r\n");
    QTest::newRow("connect via digipeaters") << plain << QByteArray("c k1abc via w1xyz-1,wide2\r")
                                             << QByteArray("*** CONNECTED to K1ABC VIA W1XYZ-1,WIDE2\r\n");
    QTest::newRow("remote answers a converse line") << plain << QByteArray("C K1ABC\rhello net\r")
                                                    << QByteArray("hello net\r\nK1ABC: copied \"hello net\" 73\r\n");
    QTest::newRow("Ctrl-C back to cmd:") << plain << QByteArray("C K1ABC\rhi\r\x03")
                                         << QByteArray("K1ABC: copied \"hi\" 73\r\ncmd:");
    QTest::newRow("K resumes the connection") << plain << QByteArray("C K1ABC\r\x03K\ragain\r")
                                              << QByteArray("K\r\nagain\r\nK1ABC: copied \"again\" 73\r\n");
    QTest::newRow("D disconnects") << plain << QByteArray("C K1ABC\r\x03" "D\r")
                                   << QByteArray("D\r\n*** DISCONNECTED\r\ncmd:");
    QTest::newRow("DISCONNE disconnects") << plain << QByteArray("C K1ABC\r\x03" "DISCONNE\r")
                                          << QByteArray("DISCONNE\r\n*** DISCONNECTED\r\ncmd:");
    QTest::newRow("D while not connected") << plain << QByteArray("D\r") << QByteArray("D\r\n?not connected\r\ncmd:");
    QTest::newRow("unknown command") << plain << QByteArray("FOO\r") << QByteArray("FOO\r\nEH?\r\ncmd:");
    QTest::newRow("abbreviation too short") << plain << QByteArray("RESTAR\r") << QByteArray("RESTAR\r\nEH?\r\ncmd:");
    QTest::newRow("MY shows") << plain << QByteArray("MY\r") << QByteArray("MY\r\nMYCALL N0CALL\r\ncmd:");
    QTest::newRow("MYCALL sets") << plain << QByteArray("MYCALL k1abc-7\rMY\r")
                                 << QByteArray("MYCALL was N0CALL\r\ncmd:MY\r\nMYCALL K1ABC-7\r\ncmd:");
    QTest::newRow("--mycall sets it too") << QStringList{"--mycall", "w1aw"} << QByteArray("MY\r")
                                          << QByteArray("MYCALL W1AW\r\ncmd:");
    QTest::newRow("B EVERY acknowledged") << plain << QByteArray("B EVERY 6\rBEACON\r")
                                          << QByteArray("BEACON was EVERY 0\r\ncmd:BEACON\r\nBEACON EVERY 6\r\ncmd:");
    QTest::newRow("BT sets the text") << plain << QByteArray("BT flood net 1900\rBTEXT\r")
                                      << QByteArray("BTEXT\r\nBTEXT flood net 1900\r\ncmd:");
    QTest::newRow("RESTART signs on again and drops the link")
        << plain << QByteArray("C K1ABC\r\x03RESTART\rC\r")
        << QByteArray("RESTART\r\n") + signOn + "C\r\nLink state is: DISCONNECTED\r\ncmd:";
    QTest::newRow("--chatter makes the remote talk") << QStringList{"--chatter", "1"} << QByteArray("C K1ABC\r")
                                                     << QByteArray("\r\nK1ABC: standing by, any traffic for this "
                                                                   "station?\r\n");
}

void TncSimTest::conversation()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, sent);
    QFETCH(QByteArray, expected);
    SimProcess sim;
    QVERIFY2(sim.start(arguments), qPrintable(sim.error()));
    SimClient client;
    QVERIFY(client.open(sim.linkPath()));
    QVERIFY2(client.waitFor(signOn), printable(client.received()).constData());
    QVERIFY(client.send(sent));
    QVERIFY2(client.waitFor(expected), printable(client.received()).constData());
}

void TncSimTest::terminalEndIsRaw_data()
{
    QTest::addColumn<int>("flagSet"); // 0 input, 1 output, 2 control, 3 local
    QTest::addColumn<uint>("mask");
    QTest::addColumn<uint>("wanted");

    QTest::newRow("no echo") << 3 << uint(ECHO) << 0u;
    QTest::newRow("no line editing") << 3 << uint(ICANON) << 0u;
    QTest::newRow("no signal characters") << 3 << uint(ISIG) << 0u;
    QTest::newRow("no extended input (0x0F, 0x16)") << 3 << uint(IEXTEN) << 0u;
    QTest::newRow("no XON/XOFF") << 0 << uint(IXON | IXOFF) << 0u;
    QTest::newRow("CR stays CR") << 0 << uint(ICRNL | IGNCR | INLCR) << 0u;
    QTest::newRow("eighth bit kept") << 0 << uint(ISTRIP) << 0u;
    QTest::newRow("no output rewriting") << 1 << uint(OPOST) << 0u;
    QTest::newRow("8 data bits, no parity") << 2 << uint(CSIZE | PARENB) << uint(CS8);
}

void TncSimTest::terminalEndIsRaw()
{
    QFETCH(int, flagSet);
    QFETCH(uint, mask);
    QFETCH(uint, wanted);
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    SimClient client;
    QVERIFY(client.open(sim.linkPath()));
    termios mode{};
    QCOMPARE(tcgetattr(client.fd(), &mode), 0);
    const tcflag_t flags[] = {mode.c_iflag, mode.c_oflag, mode.c_cflag, mode.c_lflag};
    QCOMPARE(uint(flags[flagSet] & mask), wanted);
}

void TncSimTest::transcriptHoldsEveryByte_data()
{
    QTest::addColumn<QByteArray>("before"); // already in the file
    QTest::addColumn<QByteArray>("sent");

    QByteArray everyByte;
    for (int value = 0; value < 256; ++value)
        everyByte += char(value);
    QTest::newRow("every byte value") << QByteArray() << everyByte;
    QTest::newRow("line ends as sent") << QByteArray() << QByteArray("a\nb\r\nc\r\n\r");
    QTest::newRow("converse text and Ctrl-C") << QByteArray() << QByteArray("C K1ABC\rhi there\r\x03");
    QTest::newRow("appended to an old transcript") << QByteArray("old session\n") << QByteArray("BT x\r");
}

void TncSimTest::transcriptHoldsEveryByte()
{
    QFETCH(QByteArray, before);
    QFETCH(QByteArray, sent);
    SimProcess sim;
    if (!before.isEmpty()) {
        QFile old(sim.transcriptPath());
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write(before) == before.size());
    }
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    SimClient client;
    QVERIFY(client.open(sim.linkPath()));
    // The sim records what it reads before it answers, so once the answer to the last line is
    // here the transcript holds all of it.
    const QByteArray last = "\x03\rMY\r";
    QVERIFY(client.send(sent + last));
    QVERIFY2(client.waitFor("MY\r\nMYCALL N0CALL\r\ncmd:"), printable(client.received()).constData());
    QCOMPARE(fileContent(sim.transcriptPath()), before + sent + last);
}

void TncSimTest::clientMayCloseAndReopen()
{
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    SimClient client;
    QVERIFY(client.open(sim.linkPath()));
    QVERIFY(client.waitFor(signOn));
    for (int round = 0; round < 3; ++round) {
        client.close();
        QVERIFY(client.open(sim.linkPath()));
        QVERIFY(client.send("MY\r"));
        QVERIFY2(client.waitFor("MY\r\nMYCALL N0CALL\r\ncmd:"), printable(client.received()).constData());
    }
    QCOMPARE(sim.process().state(), QProcess::Running);
}

void TncSimTest::stopSignals_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<bool>("linkTakenOver"); // someone else pointed the link elsewhere meanwhile

    QTest::newRow("SIGTERM") << int(SIGTERM) << false;
    QTest::newRow("SIGINT") << int(SIGINT) << false;
    QTest::newRow("SIGHUP") << int(SIGHUP) << false;
    QTest::newRow("SIGTERM leaves a link it no longer owns") << int(SIGTERM) << true;
}

void TncSimTest::stopSignals()
{
    QFETCH(int, signal);
    QFETCH(bool, linkTakenOver);
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    SimClient client;
    QVERIFY(client.open(sim.linkPath()));
    QVERIFY(client.waitFor(signOn));
    if (linkTakenOver) {
        QVERIFY(QFile::remove(sim.linkPath()));
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), sim.linkPath()));
    }
    QVERIFY2(sim.stop(signal), qPrintable(QString::fromLocal8Bit(sim.process().readAllStandardError())));
    QCOMPARE(QFileInfo(sim.linkPath()).symLinkTarget(), linkTakenOver ? QStringLiteral("/dev/null") : QString());
    QCOMPARE(QFileInfo::exists(sim.linkPath()) || QFileInfo(sim.linkPath()).isSymLink(), linkTakenOver);
    // The client, still holding the port, sees the hangup.
    pollfd hangup{client.fd(), POLLIN, 0};
    QCOMPARE(poll(&hangup, 1, simTimeoutMs), 1);
    QVERIFY(hangup.revents & POLLHUP);
}

void TncSimTest::linkPlacement_data()
{
    QTest::addColumn<QString>("existing"); // what is at the link's path beforehand
    QTest::addColumn<bool>("starts");

    QTest::newRow("nothing there") << "" << true;
    QTest::newRow("a dangling old link") << "dangling-link" << true;
    QTest::newRow("an old link to a file") << "link-to-file" << true;
    QTest::newRow("a regular file") << "file" << false;
    QTest::newRow("a directory") << "directory" << false;
}

void TncSimTest::linkPlacement()
{
    QFETCH(QString, existing);
    QFETCH(bool, starts);
    SimProcess sim;
    const QString other = sim.folderPath() + QStringLiteral("/other");
    QFile otherFile(other);
    QVERIFY(otherFile.open(QIODevice::WriteOnly) && otherFile.write("keep me") == 7);
    otherFile.close();
    if (existing == "dangling-link")
        QVERIFY(QFile::link(sim.folderPath() + "/gone", sim.linkPath()));
    else if (existing == "link-to-file")
        QVERIFY(QFile::link(other, sim.linkPath()));
    else if (existing == "file")
        QVERIFY(QFile::copy(other, sim.linkPath()));
    else if (existing == "directory")
        QVERIFY(QDir(sim.folderPath()).mkdir("COM1"));

    QCOMPARE(sim.start(), starts);
    if (starts) {
        QCOMPARE(QFileInfo(sim.linkPath()).symLinkTarget(), sim.device());
        QVERIFY(sim.stop(SIGTERM));
    } else {
        QCOMPARE(sim.process().exitCode(), 1);
        QVERIFY2(sim.error().contains("not a symbolic link"), qPrintable(sim.error()));
        QVERIFY(!QFileInfo(sim.linkPath()).isSymLink());
        if (existing == "file")
            QCOMPARE(fileContent(sim.linkPath()), QByteArray("keep me"));
    }
    QCOMPARE(fileContent(other), QByteArray("keep me"));
}

void TncSimTest::clientThatNeverReads_data()
{
    QTest::addColumn<bool>("readsAgain");

    QTest::newRow("stops promptly while its output is stuck") << false;
    QTest::newRow("answers again once the client reads") << true;
}

void TncSimTest::clientThatNeverReads()
{
    QFETCH(bool, readsAgain);
    SimProcess sim;
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    SimClient client;
    QVERIFY(client.open(sim.linkPath()));
    // Each line draws about four times its length in answer: far more than the terminal and the
    // sim's queue hold together.
    const QByteArray flood = QByteArray("MYCALL\r").repeated(10000);
    QVERIFY(client.send(flood));
    QVERIFY2(waitForFileSize(sim.transcriptPath(), flood.size()), "the sim stopped reading");
    if (readsAgain) {
        QVERIFY(client.send("BT still here\rBT\r"));
        QVERIFY2(client.waitFor("BT\r\nBTEXT still here\r\ncmd:"), "the answer after the flood was lost");
    }
    QVERIFY2(sim.stop(SIGTERM), "no clean exit after SIGTERM");
    QVERIFY(sim.process().readAllStandardError().contains("the client is not reading"));
    QVERIFY(!QFileInfo(sim.linkPath()).isSymLink());
}

QTEST_GUILESS_MAIN(TncSimTest)
#include "tst_tnc_sim.moc"

// The TNC session in-process: command words, line editing, command replies, and the beacon and
// remote remarks on a made-up clock, stepped the way the server steps it (to each nextTimer()).

#include "command_words.h"
#include "tnc_session.h"

#include <QtTest>

using namespace tncsim;
using namespace std::chrono_literals;

namespace {

const Clock::time_point start{};

QByteArray bytes(const std::string &text) { return QByteArray(text.data(), static_cast<qsizetype>(text.size())); }

Clock::time_point at(int seconds) { return start + std::chrono::seconds(seconds); }

// Runs every timer that comes due up to `until`, as the server would, and returns what they said.
// The clock never runs backwards: a timer found overdue at `from` runs at `from`, as it would
// after the machine was busy.
std::string runClock(TncSession &session, Clock::time_point from, Clock::time_point until)
{
    std::string said;
    Clock::time_point now = from;
    for (int guard = 0; guard < 10000; ++guard) {
        const std::optional<Clock::time_point> next = session.nextTimer();
        if (!next || *next > until)
            return said;
        now = std::max(now, *next);
        said += session.runTimers(now);
    }
    qFatal("the session's timers never settle");
}

qsizetype occurrences(const std::string &text, const QByteArray &needle) { return bytes(text).count(needle); }

} // namespace

class TncSessionTest : public QObject {
    Q_OBJECT

private slots:
    void commandWords_data();
    void commandWords();
    void lineEditing_data();
    void lineEditing();
    void commandReplies_data();
    void commandReplies();
    void beaconTimer_data();
    void beaconTimer();
    void remoteRemarks_data();
    void remoteRemarks();
    void timedLinesKeepTheTypedLine_data();
    void timedLinesKeepTheTypedLine();
};

void TncSessionTest::commandWords_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<int>("command"); // -1: not a command

    const int none = -1;
    QTest::newRow("C is CONNECT") << "C" << int(Command::Connect);
    QTest::newRow("CON is still CONNECT") << "con" << int(Command::Connect);
    QTest::newRow("CONNECT in full") << "CONNECT" << int(Command::Connect);
    QTest::newRow("CONNECTS is nothing") << "CONNECTS" << none;
    QTest::newRow("CONV is CONVERS") << "CONV" << int(Command::Convers);
    QTest::newRow("convers lower case") << "convers" << int(Command::Convers);
    QTest::newRow("K is CONVERS") << "k" << int(Command::Convers);
    QTest::newRow("KA is nothing") << "KA" << none;
    QTest::newRow("D is DISCONNECT") << "D" << int(Command::Disconnect);
    QTest::newRow("DISCONNE is DISCONNECT") << "DISCONNE" << int(Command::Disconnect);
    QTest::newRow("DISCX is nothing") << "DISCX" << none;
    QTest::newRow("B is BEACON") << "B" << int(Command::Beacon);
    QTest::newRow("BT is BTEXT") << "BT" << int(Command::Btext);
    QTest::newRow("BTEXTS is nothing") << "BTEXTS" << none;
    QTest::newRow("MY is MYCALL") << "my" << int(Command::Mycall);
    QTest::newRow("M alone is nothing") << "M" << none;
    QTest::newRow("RESTART in full") << "Restart" << int(Command::Restart);
    QTest::newRow("RESTAR is too short") << "RESTAR" << none;
    QTest::newRow("empty word") << "" << none;
}

void TncSessionTest::commandWords()
{
    QFETCH(QString, word);
    QFETCH(int, command);
    const std::optional<Command> found = lookupCommand(word.toStdString());
    QCOMPARE(found ? int(*found) : -1, command);
}

void TncSessionTest::lineEditing_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("answer");

    QTest::newRow("echo then reply then prompt") << QByteArray("my\r") << QByteArray("my\r\nMYCALL N0CALL\r\ncmd:");
    QTest::newRow("backspace erases") << QByteArray("MYZ\bCALL\r")
                                      << QByteArray("MYZ\b \bCALL\r\nMYCALL N0CALL\r\ncmd:");
    QTest::newRow("DEL erases") << QByteArray("MYZ\x7f" "CALL\r")
                                << QByteArray("MYZ\b \bCALL\r\nMYCALL N0CALL\r\ncmd:");
    QTest::newRow("erasing an empty line sends nothing") << QByteArray("\b\x7f\r") << QByteArray("\r\ncmd:");
    QTest::newRow("LF is ignored inside a line") << QByteArray("MY\nCALL\r")
                                                 << QByteArray("MYCALL\r\nMYCALL N0CALL\r\ncmd:");
    QTest::newRow("CR LF gives one prompt") << QByteArray("MY\r\n") << QByteArray("MY\r\nMYCALL N0CALL\r\ncmd:");
    QTest::newRow("Ctrl-C at the prompt is ignored") << QByteArray("\x03MY\r")
                                                     << QByteArray("MY\r\nMYCALL N0CALL\r\ncmd:");
    QTest::newRow("control bytes are echoed as they are") << QByteArray("\x0f\x16\x11\x13\r")
                                                           << QByteArray("\x0f\x16\x11\x13\r\nEH?\r\ncmd:");
    QTest::newRow("a line past 255 characters rings the bell")
        << QByteArray(257, 'X') + '\r' << QByteArray(255, 'X') + "\a\a\r\nEH?\r\ncmd:";
}

void TncSessionTest::lineEditing()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, answer);
    TncSession session({});
    session.signOn();
    QCOMPARE(bytes(session.receive(typed.toStdString(), start)), answer);
}

void TncSessionTest::commandReplies_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("expected"); // somewhere in the answer

    QTest::newRow("SSID 0 is no SSID") << QByteArray("MY k1abc-0\rMY\r") << QByteArray("MYCALL K1ABC\r\n");
    QTest::newRow("SSID 16 refused") << QByteArray("MY K1ABC-16\rMY\r")
                                     << QByteArray("?bad callsign: 1 to 6 letters or digits, then -0 to -15 if wanted"
                                                   "\r\ncmd:MY\r\nMYCALL N0CALL\r\n");
    QTest::newRow("seven letters refused") << QByteArray("MY K1ABCDE\r") << QByteArray("?bad callsign");
    QTest::newRow("punctuation refused") << QByteArray("MY K1/ABC\r") << QByteArray("?bad callsign");
    QTest::newRow("MYCALL not while connected") << QByteArray("C W1AW\r\x03MY K1ABC\r")
                                                << QByteArray("?not while connected\r\ncmd:");
    QTest::newRow("VIA abbreviated, blank separated")
        << QByteArray("C w1aw v k1abc-1 wide2-1\r") << QByteArray("*** CONNECTED to W1AW VIA K1ABC-1,WIDE2-1\r\n");
    QTest::newRow("VIA without digipeaters") << QByteArray("C W1AW VIA\r") << QByteArray("?bad connect");
    QTest::newRow("path word not VIA") << QByteArray("C W1AW THRU K1ABC\r") << QByteArray("?bad connect");
    QTest::newRow("nine digipeaters") << QByteArray("C W1AW VIA A1,A2,A3,A4,A5,A6,A7,A8,A9\r")
                                      << QByteArray("?bad connect");
    QTest::newRow("bad digipeater") << QByteArray("C W1AW VIA K1ABC-99\r")
                                    << QByteArray("?bad digipeater callsign K1ABC-99");
    QTest::newRow("bad callsign to connect") << QByteArray("C W1AW-X\r") << QByteArray("?bad connect");
    QTest::newRow("second CONNECT refused") << QByteArray("C W1AW\r\x03" "C K1ABC\r")
                                            << QByteArray("?already connected to W1AW\r\ncmd:");
    QTest::newRow("link state disconnected") << QByteArray("C\r") << QByteArray("Link state is: DISCONNECTED\r\ncmd:");
    QTest::newRow("link state connected") << QByteArray("C W1AW\r\x03" "C\r")
                                          << QByteArray("Link state is: CONNECTED to W1AW\r\ncmd:");
    QTest::newRow("BEACON AFTER shown") << QByteArray("B A 6\rB\r") << QByteArray("BEACON AFTER 6\r\n");
    QTest::newRow("BEACON with no mode") << QByteArray("B SOMETIMES 3\r") << QByteArray("?bad beacon");
    QTest::newRow("BEACON past 250") << QByteArray("B E 251\rB\r")
                                     << QByteArray("(tens of seconds)\r\ncmd:B\r\nBEACON EVERY 0\r\n");
    QTest::newRow("BEACON negative") << QByteArray("B E -1\r") << QByteArray("?bad beacon");
    QTest::newRow("BEACON trailing junk") << QByteArray("B E 3x\r") << QByteArray("?bad beacon");
    QTest::newRow("BTEXT % empties it") << QByteArray("BT net\rBT %\rBT\r")
                                        << QByteArray("BTEXT was net\r\ncmd:BT\r\nBTEXT \r\ncmd:");
    QTest::newRow("BTEXT past 120 refused") << QByteArray("BT ") + QByteArray(121, 'x') + "\rBT\r"
                                            << QByteArray("at most\r\ncmd:BT\r\nBTEXT \r\n");
    QTest::newRow("unconnected converse gets no answer") << QByteArray("K\rhello\r\x03")
                                                         << QByteArray("K\r\nhello\r\ncmd:");
    QTest::newRow("empty converse line gets no answer") << QByteArray("C W1AW\r\r\x03")
                                                        << QByteArray("to W1AW\r\n\r\ncmd:");
    QTest::newRow("Ctrl-C drops the unsent converse text") << QByteArray("C W1AW\rhalf\x03" "K\rrest\r")
                                                           << QByteArray("W1AW: copied \"rest\" 73");
    QTest::newRow("RESTART drops the link, keeps MYCALL")
        << QByteArray("MY W1AW\rC K1ABC\r\x03RESTART\rC\rMY\r")
        << QByteArray("Link state is: DISCONNECTED\r\ncmd:MY\r\nMYCALL W1AW\r\n");
}

void TncSessionTest::commandReplies()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, expected);
    TncSession session({});
    session.signOn();
    const QByteArray answer = bytes(session.receive(typed.toStdString(), start));
    QVERIFY2(answer.contains(expected), answer.constData());
}

void TncSessionTest::beaconTimer_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<int>("firstLookAt");  // seconds; the machine was busy until then
    QTest::addColumn<int>("typedAgainAt"); // seconds; -1: never
    QTest::addColumn<int>("runFor");       // seconds
    QTest::addColumn<int>("beacons");

    QTest::newRow("EVERY 1, not before 10 s") << QByteArray("B E 1\r") << 0 << -1 << 9 << 0;
    QTest::newRow("EVERY 1, first at 10 s") << QByteArray("B E 1\r") << 0 << -1 << 10 << 1;
    QTest::newRow("EVERY 1, every 10 s") << QByteArray("B E 1\r") << 0 << -1 << 35 << 3;
    QTest::newRow("EVERY 3, every 30 s") << QByteArray("B E 3\r") << 0 << -1 << 59 << 1;
    QTest::newRow("EVERY 0 stops it") << QByteArray("B E 1\rB E 0\r") << 0 << -1 << 60 << 0;
    QTest::newRow("a refused change keeps it") << QByteArray("B E 1\rB E 999\r") << 0 << -1 << 20 << 2;
    QTest::newRow("off by default") << QByteArray("BT net\r") << 0 << -1 << 3600 << 0;
    QTest::newRow("AFTER 2 sends once") << QByteArray("B A 2\r") << 0 << -1 << 100 << 1;
    QTest::newRow("AFTER 2, not before 20 s") << QByteArray("B A 2\r") << 0 << -1 << 19 << 0;
    QTest::newRow("AFTER waits for quiet again") << QByteArray("B A 1\r") << 0 << 5 << 14 << 0;
    QTest::newRow("AFTER, quiet at last") << QByteArray("B A 1\r") << 0 << 5 << 15 << 1;
    QTest::newRow("RESTART keeps the beacon") << QByteArray("B E 1\rRESTART\r") << 0 << -1 << 10 << 1;
    QTest::newRow("late clock: one beacon, no burst") << QByteArray("B E 1\r") << 95 << -1 << 104 << 1;
    QTest::newRow("late clock: rhythm from there") << QByteArray("B E 1\r") << 95 << -1 << 105 << 2;
}

void TncSessionTest::beaconTimer()
{
    QFETCH(QByteArray, typed);
    QFETCH(int, firstLookAt);
    QFETCH(int, typedAgainAt);
    QFETCH(int, runFor);
    QFETCH(int, beacons);
    TncSession session({"W1AW", {}});
    session.signOn();
    session.receive("BT net at 1900\r" + typed.toStdString(), start);
    std::string said;
    if (typedAgainAt >= 0) {
        said += runClock(session, at(firstLookAt), at(typedAgainAt));
        session.receive("x", at(typedAgainAt));
    }
    said += runClock(session, at(std::max(firstLookAt, typedAgainAt)), at(runFor));
    QCOMPARE(occurrences(said, "\r\nW1AW>BEACON: net at 1900\r\n"), beacons);
    QCOMPARE(occurrences(said, ">BEACON"), beacons);
}

void TncSessionTest::remoteRemarks_data()
{
    QTest::addColumn<int>("remarkEvery"); // seconds; 0: off
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<int>("runFor");
    QTest::addColumn<int>("remarks");

    QTest::newRow("not connected, nobody talks") << 30 << QByteArray() << 120 << 0;
    QTest::newRow("connected, not before 30 s") << 30 << QByteArray("C W1AW\r") << 29 << 0;
    QTest::newRow("connected, first at 30 s") << 30 << QByteArray("C W1AW\r") << 30 << 1;
    QTest::newRow("connected, every 30 s") << 30 << QByteArray("C W1AW\r") << 95 << 3;
    QTest::newRow("also at the prompt") << 30 << QByteArray("C W1AW\r\x03") << 60 << 2;
    QTest::newRow("quiet after DISCONNECT") << 30 << QByteArray("C W1AW\r\x03" "D\r") << 120 << 0;
    QTest::newRow("quiet after RESTART") << 30 << QByteArray("C W1AW\r\x03RESTART\r") << 120 << 0;
    QTest::newRow("off unless asked for") << 0 << QByteArray("C W1AW\r") << 3600 << 0;
}

void TncSessionTest::remoteRemarks()
{
    QFETCH(int, remarkEvery);
    QFETCH(QByteArray, typed);
    QFETCH(int, runFor);
    QFETCH(int, remarks);
    TncSession session({"N0CALL", std::chrono::seconds(remarkEvery)});
    session.signOn();
    session.receive(typed.toStdString(), start);
    const std::string said = runClock(session, start, at(runFor));
    QByteArrayList spoken;
    for (const QByteArray &line : bytes(said).split('\n')) {
        if (line.startsWith("W1AW: "))
            spoken += line;
    }
    QCOMPARE(spoken.size(), remarks);
    // The station varies what it says rather than repeating one line.
    const QSet<QByteArray> distinct(spoken.cbegin(), spoken.cend());
    QCOMPARE(distinct.size(), remarks);
}

void TncSessionTest::timedLinesKeepTheTypedLine_data()
{
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QByteArray>("said");

    QTest::newRow("at the prompt") << QByteArray() << QByteArray("\r\nN0CALL>BEACON: hi\r\ncmd:");
    QTest::newRow("half a command typed") << QByteArray("MYC") << QByteArray("\r\nN0CALL>BEACON: hi\r\ncmd:MYC");
    QTest::newRow("converse, line start") << QByteArray("K\r") << QByteArray("N0CALL>BEACON: hi\r\n");
    QTest::newRow("converse, half a line") << QByteArray("K\rabc") << QByteArray("\r\nN0CALL>BEACON: hi\r\nabc");
}

void TncSessionTest::timedLinesKeepTheTypedLine()
{
    QFETCH(QByteArray, typed);
    QFETCH(QByteArray, said);
    TncSession session({});
    session.signOn();
    session.receive("BT hi\rB E 1\r" + typed.toStdString(), start);
    QCOMPARE(bytes(session.runTimers(at(10))), said);
}

QTEST_APPLESS_MAIN(TncSessionTest)
#include "tst_tnc_session.moc"

// The receive screen: bytes from the TNC cleaned and applied at the end of
// the text, where they land with the log on and off, bytes held while the
// terminal is not in use, typing in it in both screen modes, the line shared
// with the transmit screen, and received bytes never taken for typed keys.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "key_script.h"
#include "link/nr_comm.h"
#include "screens/screen_memo.h"
#include "typing_support.h"
#include "window_fixture.h"

#include <QInputMethodEvent>
#include <QTest>

namespace {

constexpr int Immediate = 1;
constexpr int Buffered = 2;

// Runs one step on the receive screen ("kt:" keys go to the transmit screen):
// "k:<keys>" typed, "r:<bytes>" received from the TNC (Latin-1) and shown at
// the next frame, "rq:<bytes>" received and still waiting for its frame,
// "frame" the next frame, "flush" flushPendingReceive(), "selectall" Edit >
// Select All on the receive screen, "m:<text>"
// composed by the input method, "at:<marked text>" set, "click:<n>" a mouse
// click at position n, "=:<text>" the text it must hold now; "s:", "e:",
// "log:", "usage:" set the screen mode, edit mode, log state, terminal usage.
void step(WindowFixture& f, const QString& s)
{
    TScreenMemo* screen = Ferrow->ReceiveScreen;
    const QString name = s.section(QLatin1Char(':'), 0, 0);
    const QString arg = s.section(QLatin1Char(':'), 1);
    if (name == "k" || name == "kt") {
        typeKeys(name == "k" ? screen : Ferrow->TransmitScreen, arg);
    } else if (name == "r" || name == "rq") {
        f.device()->inject(arg.toLatin1());
        if (name == "r")
            QTRY_VERIFY(!screen->hasPendingReceive());
    } else if (name == "frame") {
        QVERIFY(screen->hasPendingReceive());
        QTRY_VERIFY(!screen->hasPendingReceive());
    } else if (name == "flush") {
        Ferrow->flushPendingReceive();
    } else if (name == "selectall") {
        G.ActiveScreen = 0;
        Ferrow->SelectAll1Click();
    } else if (name == "m") {
        QInputMethodEvent composed;
        composed.setCommitString(arg);
        QCoreApplication::sendEvent(screen, &composed);
    } else if (name == "at") {
        setMarkedText(screen, arg);
    } else if (name == "click") {
        QTextCursor at(screen->document());
        at.setPosition(arg.toInt());
        QTest::mouseClick(screen->viewport(), Qt::LeftButton, {}, screen->cursorRect(at).center());
        QCOMPARE(screen->textCursor().position(), arg.toInt());
    } else if (name == "=") {
        QCOMPARE(screen->toPlainText(), arg);
    } else if (name == "s") {
        G.ScreenMode = arg.toInt();
    } else if (name == "e") {
        G.EditXmitMode = quint8(arg.toInt());
    } else if (name == "log") {
        G.LogFileState = arg.toInt();
    } else if (name == "usage") {
        Ferrow->nrComm1->SetTerminalUsage(arg.toInt());
    } else {
        QFAIL(qPrintable("unknown step " + s));
    }
}

// Every byte value but BS, LF and CR (which edit), and how each one shows:
// BEL to CR, ESC and ASCII as they are, every other one as a space.
QPair<QString, QString> everyOtherByte()
{
    QString sent, shown;
    for (int b = 0; b < 256; ++b) {
        if (b == 8 || b == 10 || b == 13)
            continue;
        sent += QChar(b);
        shown += (b >= 7 && b <= 13) || (b >= 27 && b <= 127) ? QChar(b) : QChar(' ');
    }
    return {sent, shown};
}

} // namespace

class ReceiveKeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
};

void ReceiveKeyboardTest::steps_data()
{
    QTest::addColumn<int>("sendMode");
    QTest::addColumn<QStringList>("steps"); // after start-up in single-screen mode
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("shown"); // the receive screen, caret "|", anchor "{"

    const auto row = [](const char* name, int sendMode, const QStringList& steps, const QStringList& sent,
                        const QString& shown) { QTest::newRow(name) << sendMode << steps << sent << shown; };

    // Received: typed keys in single-screen immediate mode would be sent back.
    const auto [all, cleaned] = everyOtherByte();
    row("cleaning: every other byte value", Immediate, {"r:" + all}, {}, cleaned + "|");
    row("CR LF is one break, also split across chunks", Immediate, {"r:one\r\ntwo\r", "r:\nthree"}, {},
        "one\ntwo\nthree|");
    row("LF alone breaks; LF CR, CR CR LF and CR LF LF are two breaks", Immediate,
        {"r:a\nb\n\rc\r\r\nd\r\n\ne"}, {}, "a\nb\n\nc\n\nd\n\ne|");
    row("Backspace across chunks and on an empty screen", Immediate, {"r:\b\bab", "r:c\b\bX"}, {}, "aX|");
    row("Backspace joins lines; LF after CR and Backspace breaks again", Immediate, {"r:ab\r\n\bc\r\b\nd"},
        {}, "abc\nd|");
    row("held while the terminal is not in use, then in order and cleaned", Buffered,
        {"usage:0",
         "r:\x01"
         "A ",
         "r:two\r", "=:", "usage:2", "r:\nb"},
        {}, " A two\nb|");

    row("log off: a caret at the end stays at the end", Buffered, {"log:2", "at:abc|", "r:de\r\n"}, {},
        "abcde\n|");
    row("log off: a selection in the middle stays", Buffered, {"log:2", "at:{ab|c", "r:de"}, {}, "{ab|cde");
    row("log off: a selection up to the end keeps its extent", Buffered, {"log:2", "at:a{bc|", "r:de"}, {},
        "a{bc|de");
    row("log off: a selection made backwards from the end", Buffered, {"log:2", "at:a|bc{", "r:de"}, {},
        "a|bc{de");
    row("log off: Backspace shortens a selection at the end", Buffered, {"log:2", "at:ab{c|", "r:\b"}, {},
        "ab|");
    row("log off: after a click in the middle, text lands at the end", Buffered,
        {"log:2", "r:first\r\nsecond\r\n", "click:2", "r:more"}, {}, "fi|rst\nsecond\nmore");
    row("log on: after a click in the middle, text lands at the end", Buffered,
        {"log:1", "r:first\r\nsecond\r\n", "click:2", "r:more"}, {}, "first\nsecond\nmore|");
    row("log on: a selection gives way", Buffered, {"log:1", "at:{ab|c", "r:de"}, {}, "abcde|");
    row("log on: Backspace at the end", Buffered, {"log:1", "at:a|bc", "r:\bd"}, {}, "abd|");

    // Typed; in dual-screen mode the line buffer stays empty for the transmit screen.
    row("dual screen, buffered: typing is local only", Buffered, {"s:2", "k:A B C <Enter>", "kt:<Enter>"},
        {"SendString <13>"}, "ABC\n|");
    row("dual screen, immediate: typing is local only", Immediate, {"s:2", "k:A ^C <F1> <BS> <Tab>"}, {},
        "\t|");
    row("single screen, buffered: one line with Ctrl+Z, no prompt", Buffered, {"k:A B C ^Z <Enter>"},
        {"SendString ABC<26><13>"}, "ABC*\n|");
    row("single screen, immediate: the transmit screen's edit mode has no say", Immediate,
        {"e:1", QStringLiteral("k:H I <BS> <Tab> <F2> ^C é <Enter>")},
        {"SendChar 72", "SendChar 73", "SendChar 8", "SendChar 9", "SendChar 26", "SendChar 3",
         "SendChar 13"},
        QStringLiteral("H\t**é\n|"));
    row("a line begun in the transmit screen is finished in the receive screen", Buffered,
        {"s:2", "kt:A B", "s:1", "k:C <Enter>"}, {"SendString ABC<13>"}, "C\n|");
    row("a line begun in the receive screen is finished in the transmit screen", Buffered,
        {"k:A B", "s:2", "kt:C <Enter>"}, {"SendString ABC<13>"}, "AB|");
    row("received text between typed keys stays out of the line", Buffered,
        {"k:A B", "r:xy\r\n", "k:C <Enter>"}, {"SendString ABC<13>"}, "ABxy\nC\n|");
    row("after an arrow key or F3, received bytes are still received", Immediate,
        {"k:<Left>", QString::fromLatin1("r:A\xc8"), "k:<F3>", "r:\r"}, {}, "A \n|");
    // Received text goes in once per frame, whole and in order, and before
    // anything acts on the screen.
    row("text waits for its frame, then goes in complete and in order", Immediate,
        {"rq:one ", "rq:two\r", "rq:\nthree\b\bee", "=:", "frame"}, {}, "one two\nthree|");
    row("waiting text goes in before a typed key", Immediate, {"rq:ab", "k:C"}, {"SendChar 67"}, "abC|");
    row("waiting text goes in before a click", Buffered, {"log:2", "rq:first\r\nsecond", "click:0"}, {},
        "|first\nsecond");
    row("waiting text goes in before a composed character", Immediate, {"rq:x", "m:a"}, {"SendChar 97"},
        "xa|");
    row("waiting text goes in before Edit > Select All", Buffered, {"rq:ab\r\ncd", "selectall", "=:ab\ncd"},
        {}, "{ab\ncd|");
    row("flushPendingReceive puts waiting text in at once", Buffered, {"rq:73\r", "flush", "=:73\n"}, {},
        "73\n|");
    row("a composed character is typed, a composed 8-bit one shown", Immediate,
        {"r:x", "m:a", QStringLiteral("m:é")}, {"SendChar 97"}, QStringLiteral("xaé|"));
}

void ReceiveKeyboardTest::steps()
{
    QFETCH(int, sendMode);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, sent);
    QFETCH(QString, shown);
    WindowFixture f;
    startTyping(f, 1, sendMode);

    for (const QString& s : steps) {
        step(f, s);
        if (QTest::currentTestFailed())
            QFAIL(qPrintable("at step " + s));
    }
    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(markedText(Ferrow->ReceiveScreen), shown);
}

QTEST_MAIN(ReceiveKeyboardTest)
#include "receive_keyboard_test.moc"

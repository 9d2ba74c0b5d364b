// The receive screen: bytes from the TNC cleaned and applied at the end of
// the text, where they land with the log on and off, typing in it in both
// screen modes, the line shared with the transmit screen, received bytes and
// typed keys kept apart, and bytes held while the terminal is not in use.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "key_script.h"
#include "link/nr_comm.h"
#include "screens/display_cleaning.h"
#include "screens/screen_memo.h"
#include "typing_support.h"
#include "window_fixture.h"

#include <QInputMethodEvent>
#include <QTest>

namespace {

constexpr int Immediate = 1;
constexpr int Buffered = 2;
constexpr int LogOn = 1;
constexpr int LogOff = 2;

QString latin1(const QByteArray& bytes)
{
    return QString::fromLatin1(bytes);
}

// Steps: "k:<keys>" typed into a screen ("kt:" the transmit screen),
// "r:<bytes>" received from the TNC (Latin-1), "m:<text>" composed by the
// input method, "s:<n>" screen mode n.
void run(WindowFixture& f, const QStringList& steps)
{
    for (const QString& step : steps) {
        const QString arg = step.mid(step.indexOf(QLatin1Char(':')) + 1);
        if (step.startsWith(QLatin1String("kt:"))) {
            typeKeys(Ferrow->TransmitScreen, arg);
        } else if (step.startsWith(QLatin1String("k:"))) {
            typeKeys(Ferrow->ReceiveScreen, arg);
        } else if (step.startsWith(QLatin1String("r:"))) {
            f.device()->inject(arg.toLatin1());
        } else if (step.startsWith(QLatin1String("m:"))) {
            QInputMethodEvent composed;
            composed.setCommitString(arg);
            QCoreApplication::sendEvent(Ferrow->ReceiveScreen, &composed);
        } else if (step.startsWith(QLatin1String("s:"))) {
            G.ScreenMode = arg.toInt();
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
}

} // namespace

class ReceiveKeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void receivedBytesAreCleanedAndApplied_data();
    void receivedBytesAreCleanedAndApplied();
    void everyByteValueReachesTheScreen();
    void placement_data();
    void placement();
    void clickThenReceive_data();
    void clickThenReceive();
    void typingInTheReceiveScreen_data();
    void typingInTheReceiveScreen();
    void receivedAndTypedStayApart_data();
    void receivedAndTypedStayApart();
    void heldWhileTerminalNotInUse_data();
    void heldWhileTerminalNotInUse();
};

void ReceiveKeyboardTest::receivedBytesAreCleanedAndApplied_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<QString>("shown");

    using Chunks = QList<QByteArray>;
    QTest::newRow("SOH, A, SUB, 200, CR") << Chunks{"\x01" "A\x1a\xc8\r"} << " A  \n";
    QTest::newRow("BEL, Tab, Escape and DEL pass") << Chunks{"a\x07" "b\tc\x1b" "d\x7f"}
                                                   << "a\x07" "b\tc\x1b" "d\x7f";
    QTest::newRow("CR LF is one break") << Chunks{"one\r\ntwo"} << "one\ntwo";
    QTest::newRow("CR LF split across chunks") << Chunks{"one\r", "\ntwo"} << "one\ntwo";
    QTest::newRow("LF alone breaks") << Chunks{"one\ntwo"} << "one\ntwo";
    QTest::newRow("LF CR is two breaks") << Chunks{"one\n\rtwo"} << "one\n\ntwo";
    QTest::newRow("CR CR LF is two breaks") << Chunks{"a\r\r\nb"} << "a\n\nb";
    QTest::newRow("CR LF LF is two breaks") << Chunks{"a\r\n\nb"} << "a\n\nb";
    QTest::newRow("Backspace deletes before the insertion point") << Chunks{"abc\bd"} << "abd";
    QTest::newRow("Backspace in the next chunk") << Chunks{"abc", "\b\bX"} << "aX";
    QTest::newRow("Backspace joins a line ended before") << Chunks{"ab\r\n\bc"} << "abc";
    QTest::newRow("Backspace on an empty screen") << Chunks{"\b\bx"} << "x";
    QTest::newRow("LF after CR and Backspace breaks again") << Chunks{"a\r\b\nb"} << "a\nb";
    QTest::newRow("8-bit bytes become spaces") << Chunks{"caf\xe9 \xff"} << "caf   ";
    QTest::newRow("a zero byte becomes a space") << Chunks{QByteArray("a\0b", 3)} << "a b";
}

void ReceiveKeyboardTest::receivedBytesAreCleanedAndApplied()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(QString, shown);
    WindowFixture f;
    startTyping(f, 2, Buffered);

    for (const QByteArray& chunk : chunks)
        f.device()->inject(chunk);

    QCOMPARE(Ferrow->ReceiveScreen->toPlainText(), shown);
    QVERIFY(f.transcript.entries.isEmpty());
    QCOMPARE(G.LineIndex, 0);
}

void ReceiveKeyboardTest::everyByteValueReachesTheScreen()
{
    WindowFixture f;
    startTyping(f, 1, Immediate);
    QByteArray all;
    for (int b = 0; b < 256; ++b)
        if (b != 8 && b != 10 && b != 13) // these edit rather than show
            all += char(b);

    f.device()->inject(all);

    // Every byte shows as the cleaning table says, nothing dropped or added.
    QString expected;
    for (const char c : all)
        expected += QChar(cleanForDisplay(quint8(c)));
    QCOMPARE(Ferrow->ReceiveScreen->toPlainText(), expected);
    QVERIFY(f.transcript.entries.isEmpty()); // single-screen immediate, yet nothing echoed back
}

void ReceiveKeyboardTest::placement_data()
{
    QTest::addColumn<int>("log");
    QTest::addColumn<QString>("before"); // caret "|", selection anchor "{"
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("after");

    QTest::newRow("log off: a caret at the end stays at the end") << LogOff << "abc|" << QByteArray("de\r\n")
                                                                  << "abcde\n|";
    QTest::newRow("log off: a caret in the middle stays") << LogOff << "ab|c" << QByteArray("de") << "ab|cde";
    QTest::newRow("log off: a selection in the middle stays") << LogOff << "{ab|c" << QByteArray("de")
                                                              << "{ab|cde";
    QTest::newRow("log off: a selection up to the end keeps its extent") << LogOff << "a{bc|" << QByteArray("de")
                                                                         << "a{bc|de";
    QTest::newRow("log off: a selection made backwards from the end") << LogOff << "a|bc{" << QByteArray("de")
                                                                      << "a|bc{de";
    QTest::newRow("log off: Backspace shortens a selection at the end") << LogOff << "ab{c|" << QByteArray("\b")
                                                                        << "ab|";
    QTest::newRow("log on: the caret goes to the end first") << LogOn << "ab|c" << QByteArray("de") << "abcde|";
    QTest::newRow("log on: a selection gives way") << LogOn << "{ab|c" << QByteArray("de") << "abcde|";
    QTest::newRow("log on: Backspace at the end") << LogOn << "a|bc" << QByteArray("\bd") << "abd|";
}

void ReceiveKeyboardTest::placement()
{
    QFETCH(int, log);
    QFETCH(QString, before);
    QFETCH(QByteArray, received);
    QFETCH(QString, after);
    WindowFixture f;
    startTyping(f, 2, Buffered);
    G.LogFileState = log;
    setMarkedText(Ferrow->ReceiveScreen, before);

    f.device()->inject(received);

    QCOMPARE(markedText(Ferrow->ReceiveScreen), after);
}

void ReceiveKeyboardTest::clickThenReceive_data()
{
    QTest::addColumn<int>("log");
    QTest::addColumn<QString>("after");

    QTest::newRow("log on: lands at the end, caret follows") << LogOn << "first line\nsecond line\nmore|";
    QTest::newRow("log off: lands at the end, caret stays") << LogOff << "fi|rst line\nsecond line\nmore";
}

void ReceiveKeyboardTest::clickThenReceive()
{
    QFETCH(int, log);
    QFETCH(QString, after);
    WindowFixture f;
    startTyping(f, 2, Buffered);
    G.LogFileState = log;
    f.device()->inject("first line\r\nsecond line\r\n");
    // The operator clicks between "fi" and "rst".
    QTextCursor at(Ferrow->ReceiveScreen->document());
    at.setPosition(2);
    const QPoint spot = Ferrow->ReceiveScreen->cursorRect(at).center();
    QTest::mouseClick(Ferrow->ReceiveScreen->viewport(), Qt::LeftButton, {}, spot);
    QCOMPARE(Ferrow->ReceiveScreen->textCursor().position(), 2);

    f.device()->inject("more");

    QCOMPARE(markedText(Ferrow->ReceiveScreen), after);
}

void ReceiveKeyboardTest::typingInTheReceiveScreen_data()
{
    QTest::addColumn<int>("screenMode");
    QTest::addColumn<int>("sendMode");
    QTest::addColumn<int>("editMode");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("after");

    QTest::newRow("dual screen, buffered: local only") << 2 << Buffered << 0 << "A B C <Enter>" << QStringList{}
                                                       << "ABC\n|";
    QTest::newRow("dual screen, immediate: local only") << 2 << Immediate << 0 << "A ^C <F1> <BS> <Tab>"
                                                        << QStringList{} << "\t|";
    QTest::newRow("single screen, buffered: one line, no prompt")
        << 1 << Buffered << 0 << "A B C <Enter>" << QStringList{"SendString ABC<13>"} << "ABC\n|";
    QTest::newRow("single screen, immediate: Ctrl+C") << 1 << Immediate << 0 << "^C" << QStringList{"SendChar 3"}
                                                      << "*|";
    QTest::newRow("single screen, immediate: H I Enter")
        << 1 << Immediate << 0 << "H I <Enter>" << QStringList{"SendChar 72", "SendChar 73", "SendChar 13"}
        << "HI\n|";
    QTest::newRow("single screen, immediate: Backspace, Tab, F2")
        << 1 << Immediate << 0 << "X <BS> <Tab> <F2>" << QStringList{"SendChar 88", "SendChar 8", "SendChar 9",
                                                                   "SendChar 26"}
        << "\t*|";
    QTest::newRow("single screen, immediate: 8-bit shown, not sent") << 1 << Immediate << 0 << QStringLiteral("é")
                                                                     << QStringList{} << QStringLiteral("é|");
    QTest::newRow("single screen, buffered: Ctrl+Z into the line, not the screen")
        << 1 << Buffered << 0 << "^Z <Enter>" << QStringList{"SendString <26><13>"} << "*\n|";
    QTest::newRow("single screen: the transmit screen's edit mode has no say")
        << 1 << Immediate << 1 << "A" << QStringList{"SendChar 65"} << "A|";
}

void ReceiveKeyboardTest::typingInTheReceiveScreen()
{
    QFETCH(int, screenMode);
    QFETCH(int, sendMode);
    QFETCH(int, editMode);
    QFETCH(QString, keys);
    QFETCH(QStringList, sent);
    QFETCH(QString, after);
    WindowFixture f;
    startTyping(f, screenMode, sendMode, editMode);

    typeKeys(Ferrow->ReceiveScreen, keys);

    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(markedText(Ferrow->ReceiveScreen), after);
    QVERIFY(Ferrow->TransmitScreen->toPlainText().isEmpty());
    QCOMPARE(G.LineIndex, 0);
}

void ReceiveKeyboardTest::receivedAndTypedStayApart_data()
{
    QTest::addColumn<int>("sendMode");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("receiveScreen");

    QTest::newRow("a line begun in the transmit screen is finished in the receive screen")
        << Buffered << QStringList{"s:2", "kt:A B", "s:1", "k:C <Enter>"} << QStringList{"SendString ABC<13>"}
        << "C\n|";
    QTest::newRow("a line begun in the receive screen is finished in the transmit screen")
        << Buffered << QStringList{"s:1", "k:A B", "s:2", "kt:C <Enter>"} << QStringList{"SendString ABC<13>"}
        << "AB|";
    QTest::newRow("received text between typed keys stays out of the line")
        << Buffered << QStringList{"s:1", "k:A B", "r:xy\r\n", "k:C <Enter>"} << QStringList{"SendString ABC<13>"}
        << "ABxy\nC\n|";
    QTest::newRow("after an arrow key, received bytes are still received")
        << Immediate << QStringList{"s:1", "k:<Left>", latin1("r:A\xc8")} << QStringList{} << "A |";
    QTest::newRow("after F3, a received CR is not sent back")
        << Immediate << QStringList{"s:1", "k:<F3>", "r:\r"} << QStringList{} << "\n|";
    QTest::newRow("a composed character is typed, not received")
        << Immediate << QStringList{"s:1", "r:x", "m:a"} << QStringList{"SendChar 97"} << "xa|";
    QTest::newRow("a composed 8-bit character is shown as typed")
        << Immediate << QStringList{"s:1", "m:" + QStringLiteral("é")} << QStringList{} << QStringLiteral("é|");
}

void ReceiveKeyboardTest::receivedAndTypedStayApart()
{
    QFETCH(int, sendMode);
    QFETCH(QStringList, steps);
    QFETCH(QStringList, sent);
    QFETCH(QString, receiveScreen);
    WindowFixture f;
    startTyping(f, 1, sendMode);
    Ferrow->ReceiveScreen->setFocus();

    run(f, steps);

    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(markedText(Ferrow->ReceiveScreen), receiveScreen);
}

void ReceiveKeyboardTest::heldWhileTerminalNotInUse_data()
{
    QTest::addColumn<QList<QByteArray>>("held");
    QTest::addColumn<QList<QByteArray>>("afterwards");
    QTest::addColumn<QString>("shown");

    using Chunks = QList<QByteArray>;
    QTest::newRow("two chunks in order") << Chunks{"one ", "two"} << Chunks{} << "one two";
    QTest::newRow("held, then live") << Chunks{"first\r\n"} << Chunks{"second"} << "first\nsecond";
    QTest::newRow("CR held, LF live: one break") << Chunks{"a\r"} << Chunks{"\nb"} << "a\nb";
    QTest::newRow("held bytes are cleaned too") << Chunks{"\x01" "A", "\xe9"} << Chunks{} << " A ";
}

void ReceiveKeyboardTest::heldWhileTerminalNotInUse()
{
    QFETCH(QList<QByteArray>, held);
    QFETCH(QList<QByteArray>, afterwards);
    QFETCH(QString, shown);
    WindowFixture f;
    startTyping(f, 2, Buffered);
    Ferrow->nrComm1->SetTerminalUsage(tuNone);
    for (const QByteArray& chunk : held)
        f.device()->inject(chunk);
    QVERIFY(Ferrow->ReceiveScreen->toPlainText().isEmpty());

    Ferrow->nrComm1->SetTerminalUsage(tuReceive);
    for (const QByteArray& chunk : afterwards)
        f.device()->inject(chunk);

    QCOMPARE(Ferrow->ReceiveScreen->toPlainText(), shown);
}

QTEST_MAIN(ReceiveKeyboardTest)
#include "receive_keyboard_test.moc"

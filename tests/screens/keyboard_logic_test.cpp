// The keyboards' rules that need no window: the control-code table, the
// display cleaning of received bytes, the shared line buffer and how a Qt
// key event reads as a virtual key code and typed characters.

#include "app/state.h"
#include "screens/control_codes.h"
#include "screens/display_cleaning.h"
#include "screens/key_translation.h"
#include "screens/line_buffer.h"

#include <QTest>

class KeyboardLogicTest : public QObject {
    Q_OBJECT
private slots:
    void ctrlLetterCodes_data();
    void ctrlLetterCodes();
    void functionKeyCodes_data();
    void functionKeyCodes();
    void displayCleaning_data();
    void displayCleaning();
    void lineBuffer_data();
    void lineBuffer();
    void keyEvents_data();
    void keyEvents();
};

void KeyboardLogicTest::ctrlLetterCodes_data()
{
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<int>("code"); // 0: no code
    QTest::addColumn<QByteArray>("marker");

    QTest::newRow("A: SOH") << 0x41 << 1 << QByteArray("*");
    QTest::newRow("C: ETX") << 0x43 << 3 << QByteArray("*");
    QTest::newRow("H: BS") << 0x48 << 8 << QByteArray("*");
    QTest::newRow("I: TAB, marked by a space") << 0x49 << 9 << QByteArray(" ");
    QTest::newRow("J: LF") << 0x4A << 10 << QByteArray("*");
    QTest::newRow("M: CR") << 0x4D << 13 << QByteArray("*");
    QTest::newRow("R: DC2") << 0x52 << 18 << QByteArray("*");
    QTest::newRow("S: DC3") << 0x53 << 19 << QByteArray("*");
    QTest::newRow("Y: EM") << 0x59 << 25 << QByteArray("*");
    QTest::newRow("Z: SUB") << 0x5A << 26 << QByteArray("*");
    for (const char letter : {'K', 'L', 'N', 'O', 'P', 'Q'})
        QTest::addRow("%c: not in the table", letter) << int(letter) << 0 << QByteArray();
    QTest::newRow("@ just below A") << 0x40 << 0 << QByteArray();
    QTest::newRow("[ just above Z") << 0x5B << 0 << QByteArray();
    QTest::newRow("digit 1") << 0x31 << 0 << QByteArray();
    QTest::newRow("F1 with Ctrl") << 0x70 << 0 << QByteArray();
    QTest::newRow("Ctrl itself") << 0x11 << 0 << QByteArray();
}

void KeyboardLogicTest::ctrlLetterCodes()
{
    QFETCH(int, virtualKey);
    QFETCH(int, code);
    QFETCH(QByteArray, marker);
    const auto found = ctrlLetterCode(quint16(virtualKey));
    QCOMPARE(found.has_value(), code != 0);
    if (found) {
        QCOMPARE(int(found->code), code);
        QCOMPARE(QByteArray(found->marker), marker);
    }
}

void KeyboardLogicTest::functionKeyCodes_data()
{
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<int>("code");

    QTest::newRow("F1: BEL") << 0x70 << 7;
    QTest::newRow("F2: SUB") << 0x71 << 26;
    QTest::newRow("F3: nothing") << 0x72 << 0;
    QTest::newRow("F12: nothing") << 0x7B << 0;
    QTest::newRow("letter A") << 0x41 << 0;
}

void KeyboardLogicTest::functionKeyCodes()
{
    QFETCH(int, virtualKey);
    QFETCH(int, code);
    const auto found = functionKeyCode(quint16(virtualKey));
    QCOMPARE(found ? int(found->code) : 0, code);
    if (found)
        QCOMPARE(QByteArray(found->marker), QByteArray("*"));
}

void KeyboardLogicTest::displayCleaning_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("last");
    QTest::addColumn<bool>("becomesSpace");

    // Together the rows cover all 256 byte values.
    QTest::newRow("0 to 6: spaces") << 0 << 6 << true;
    QTest::newRow("7 to 13, BEL to CR: unchanged") << 7 << 13 << false;
    QTest::newRow("14 to 26: spaces") << 14 << 26 << true;
    QTest::newRow("27 to 127, ESC and ASCII: unchanged") << 27 << 127 << false;
    QTest::newRow("128 to 255: spaces") << 128 << 255 << true;
}

void KeyboardLogicTest::displayCleaning()
{
    QFETCH(int, first);
    QFETCH(int, last);
    QFETCH(bool, becomesSpace);
    for (int b = first; b <= last; ++b)
        QVERIFY2(cleanForDisplay(quint8(b)) == (becomesSpace ? 32 : b), qPrintable(QString::number(b)));
}

void KeyboardLogicTest::lineBuffer_data()
{
    QTest::addColumn<int>("startIndex");
    // Appended one by one; '\b' removes the last, '\r' is appended and the
    // line taken, as buffered typing does.
    QTest::addColumn<QByteArray>("typed");
    QTest::addColumn<QList<QByteArray>>("sent");
    QTest::addColumn<QByteArray>("held");

    const QByteArray x255(255, 'x');
    QTest::newRow("A B Backspace C Enter") << 0 << QByteArray("AB\bC\r") << QList<QByteArray>{"AC\r"}
                                           << QByteArray();
    QTest::newRow("Backspace on an empty line") << 0 << QByteArray("\b\bA\r") << QList<QByteArray>{"A\r"}
                                                << QByteArray();
    QTest::newRow("a character dropped is overwritten") << 0 << QByteArray("AB\b") << QList<QByteArray>{}
                                                        << QByteArray("A");
    QTest::newRow("254 and Enter: one line") << 0 << QByteArray(254, 'x') + '\r'
                                             << QList<QByteArray>{QByteArray(254, 'x') + '\r'} << QByteArray();
    QTest::newRow("255 and Enter: the full buffer, then CR")
        << 0 << x255 + '\r' << QList<QByteArray>{x255, "\r"} << QByteArray();
    QTest::newRow("the 256th character sends the first 255")
        << 0 << x255 + "yz" << QList<QByteArray>{x255} << QByteArray("yz");
    QTest::newRow("Backspace at 255 takes back the last character")
        << 0 << x255 + "\by\r" << QList<QByteArray>{QByteArray(254, 'x') + "y", "\r"} << QByteArray();
    QTest::newRow("600 characters in three pieces")
        << 0 << QByteArray(600, 'x') + '\r' << QList<QByteArray>{x255, x255, QByteArray(90, 'x') + '\r'}
        << QByteArray();
    QTest::newRow("an index beyond the buffer starts afresh") << 1000 << QByteArray("A\r")
                                                              << QList<QByteArray>{"A\r"} << QByteArray();
    QTest::newRow("a negative index starts afresh") << -5 << QByteArray("\bA\r") << QList<QByteArray>{"A\r"}
                                                    << QByteArray();
}

void KeyboardLogicTest::lineBuffer()
{
    QFETCH(int, startIndex);
    QFETCH(QByteArray, typed);
    QFETCH(QList<QByteArray>, sent);
    QFETCH(QByteArray, held);
    ProcessState s;
    s.LineIndex = startIndex;
    QList<QByteArray> out;
    for (const char c : typed) {
        if (c == '\b') {
            line_buffer::removeLast(s);
            continue;
        }
        if (QByteArray full = line_buffer::append(s, c); !full.isEmpty())
            out << full;
        if (c == '\r')
            out << line_buffer::take(s);
        QVERIFY(s.LineIndex >= 0 && s.LineIndex <= 255);
    }
    QCOMPARE(out, sent);
    QCOMPARE(QByteArray(s.LineBuffer.bytes, s.LineIndex), held);
}

void KeyboardLogicTest::keyEvents_data()
{
    QTest::addColumn<int>("qtKey");
    QTest::addColumn<Qt::KeyboardModifiers>("modifiers");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("virtualKey");
    QTest::addColumn<QByteArray>("typed");

    const Qt::KeyboardModifiers none;
    QTest::newRow("H") << int(Qt::Key_H) << none << "H" << 0x48 << QByteArray("H");
    QTest::newRow("Ctrl+A whatever the text says") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                                   << "a" << 0x41 << QByteArray("\x01");
    QTest::newRow("Ctrl+Shift+Z") << int(Qt::Key_Z) << (Qt::ControlModifier | Qt::ShiftModifier) << "\x1a" << 0x5A
                                  << QByteArray("\x1a");
    QTest::newRow("Ctrl+Alt+C") << int(Qt::Key_C) << (Qt::ControlModifier | Qt::AltModifier) << "" << 0x43
                                << QByteArray("\x03");
    QTest::newRow("Alt+A types nothing") << int(Qt::Key_A) << Qt::KeyboardModifiers(Qt::AltModifier) << "a"
                                         << 0x41 << QByteArray();
    QTest::newRow("Ctrl+5 types nothing") << int(Qt::Key_5) << Qt::KeyboardModifiers(Qt::ControlModifier) << "5"
                                          << 0x35 << QByteArray();
    QTest::newRow("Enter") << int(Qt::Key_Return) << none << "\r" << 13 << QByteArray("\r");
    QTest::newRow("Ctrl+Enter: line feed") << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier)
                                           << "" << 13 << QByteArray("\n");
    QTest::newRow("Backspace") << int(Qt::Key_Backspace) << none << "\b" << 8 << QByteArray("\b");
    QTest::newRow("Shift+Tab is Tab") << int(Qt::Key_Backtab) << Qt::KeyboardModifiers(Qt::ShiftModifier) << ""
                                      << 9 << QByteArray("\t");
    QTest::newRow("Escape") << int(Qt::Key_Escape) << none << "\x1b" << 0x1B << QByteArray("\x1b");
    QTest::newRow("F1") << int(Qt::Key_F1) << none << "" << 0x70 << QByteArray();
    QTest::newRow("F2") << int(Qt::Key_F2) << none << "" << 0x71 << QByteArray();
    QTest::newRow("Ctrl") << int(Qt::Key_Control) << Qt::KeyboardModifiers(Qt::ControlModifier) << "" << 0x11
                          << QByteArray();
    QTest::newRow("Delete types no DEL") << int(Qt::Key_Delete) << none << "\x7f" << 0x2E << QByteArray();
    QTest::newRow("shifted 1 is the 1 key") << int(Qt::Key_Exclam) << Qt::KeyboardModifiers(Qt::ShiftModifier)
                                            << "!" << 0x31 << QByteArray("!");
    QTest::newRow("e acute: 8-bit") << int(Qt::Key_Eacute) << none << QStringLiteral("é") << 0
                                    << QByteArray("\xe9");
    QTest::newRow("euro sign: no 8-bit form") << int(Qt::Key_unknown) << none << QStringLiteral("€") << 0
                                              << QByteArray();
}

void KeyboardLogicTest::keyEvents()
{
    QFETCH(int, qtKey);
    QFETCH(Qt::KeyboardModifiers, modifiers);
    QFETCH(QString, text);
    QFETCH(int, virtualKey);
    QFETCH(QByteArray, typed);
    QCOMPARE(int(virtualKeyOf(qtKey)), virtualKey);
    QCOMPARE(typedCharactersOf(qtKey, modifiers, text), typed);
}

QTEST_GUILESS_MAIN(KeyboardLogicTest)
#include "keyboard_logic_test.moc"

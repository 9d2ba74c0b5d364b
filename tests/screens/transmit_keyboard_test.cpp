// Typing in the transmit screen: the bytes that reach the TNC for every kind
// of key in both send modes, what the screen and the clipboard hold
// afterwards, edit mode, the mode menu and Edit button; and beneath them the
// control-code table.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "key_script.h"
#include "screens/control_codes.h"
#include "screens/screen_memo.h"
#include "typing_support.h"
#include "window_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>

namespace {

// How a row types: the send mode, with edit mode or single-screen mode added.
enum Mode { Imm = 1, Buf = 2, Edit = 4, Single = 8 };

QString xs(int n)
{
    return QString(n, QLatin1Char('x'));
}

} // namespace

class TransmitKeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void keyMap_data();
    void keyMap();
    void heldEnterPromptsOnce();
    void modeMenuKeepsTheLine();
    void editButton();
    void controlCodeTable();
};

void TransmitKeyboardTest::keyMap_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("before"); // the transmit screen, caret "|", anchor "{"
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("clipboard"); // "before>after"; empty: not looked at

    const auto row = [](const char* name, int mode, const QString& before, const QString& keys,
                        const QStringList& sent, const QString& after, const QString& clipboard = {}) {
        QTest::newRow(name) << mode << before << keys << sent << after << clipboard;
    };
    row("immediate: H I Enter", Imm, "|", "H I <Enter>", {"SendChar 72", "SendChar 73", "SendChar 13"},
        "HI\n< |");
    row("immediate: Ctrl+C sends ETX and marks it", Imm, "|", "^C", {"SendChar 3"}, "*|");
    row("immediate: Ctrl+I sends TAB, marks a space", Imm, "|", "^I", {"SendChar 9"}, " \t|");
    row("immediate: Ctrl+K sends nothing, caret to the end", Imm, "ab|cd", "^K", {}, "abcd|");
    row("immediate: Ctrl+A sends SOH and selects nothing", Imm, "ab|cd", "^A", {"SendChar 1"}, "ab*cd|");
    row("immediate: Ctrl+Shift+D is still EOT", Imm, "|", "^+D", {"SendChar 4"}, "*|");
    row("immediate: Ctrl+M sends CR twice", Imm, "|", "^M", {"SendChar 13", "SendChar 13"}, "*\n|");
    row("immediate: Ctrl+Z sends SUB, the screen never sees it", Imm, "|", "^Z", {"SendChar 26"}, "*|");
    row("immediate: Ctrl held down repeats without moving the caret", Imm, "ab|cd", "^<Ctrl>", {}, "ab|cd");
    row("immediate: Backspace and Tab go out on key-down", Imm, "abc|", "<BS> <Tab>",
        {"SendChar 8", "SendChar 9"}, "ab\t|");
    row("immediate: Escape is never sent", Imm, "|", "<Esc>", {}, "|");
    row("immediate: 8-bit character shown, not sent", Imm, "|", QStringLiteral("é"), {},
        QStringLiteral("é|"));
    row("immediate: F1 over a selection", Imm, "ab{cd|", "<F1>", {"SendChar 7"}, "ab*|");
    row("immediate: F2 sends SUB, F3 and arrows nothing", Imm, "abc|", "<F2> <F3> <Left>", {"SendChar 26"},
        "abc|*");
    row("immediate: Alt+letter and Delete stay local", Imm, "a|bc", "@A <Del>", {}, "a|c");
    row("immediate: an Enter that closed a dialog releases here: no prompt", Imm, "|", "A ~<Enter>",
        {"SendChar 65"}, "A|");
    row("immediate: Ctrl+Alt+C, Ctrl+5, Shift+Tab, a character with no 8-bit form", Imm, "|",
        QStringLiteral("^@C ^5 +<Backtab> €"), {"SendChar 3", "SendChar 9"}, "*\t|");

    row("buffered: H I Enter", Buf, "|", "H I <Enter>", {"SendString HI<13>"}, "HI\n< |");
    row("buffered: Backspace on an empty line and in it", Buf, "|", "<BS> A B <BS> C <Enter>",
        {"SendString AC<13>"}, "AC\n< |");
    row("buffered: Ctrl+C goes into the line", Buf, "|", "^C <Enter>", {"SendString <3><13>"}, "*\n< |");
    row("buffered: Ctrl+H cancels itself and its marker", Buf, "|", "X ^H <Enter>", {"SendString X<13>"},
        "X\n< |");
    row("buffered: Ctrl+I and Ctrl+J go in twice", Buf, "|", "^I ^J <Enter>",
        {"SendString <9><9><10><10><13>"}, " \t*\n\n< |");
    row("buffered: Ctrl+M ends the line with CR CR", Buf, "|", "A ^M", {"SendString A<13><13>"}, "A*\n|");
    row("buffered: F1, F2 and Ctrl+Z go into the line, not the screen", Buf, "|", "<F1> <F2> ^Z <Enter>",
        {"SendString <7><26><26><13>"}, "***\n< |");
    row("buffered: Ctrl+K appends nothing", Buf, "|", "^K <Enter>", {"SendString <13>"}, "\n< |");
    row("buffered: Escape and Tab go with the line, 8-bit only to the screen", Buf, "|",
        QStringLiteral("<Esc> <Tab> é <Enter>"), {"SendString <27><9><13>"}, QStringLiteral("\té\n< |"));
    row("buffered: Ctrl+Enter puts LF into the line", Buf, "|", "A ^<Enter> <Enter>",
        {"SendString A<10><13>"}, "A\n< \n< |");
    row("buffered: 255 and Enter: the full buffer, then CR", Buf, "|",
        QStringLiteral("x ").repeated(255) + "<Enter>", {"SendString " + xs(255), "SendString <13>"},
        xs(255) + "\n< |");
    row("buffered: Backspace at 255 takes back the last character", Buf, "|",
        QStringLiteral("x ").repeated(255) + "<BS> y <Enter>",
        {"SendString " + xs(254) + "y", "SendString <13>"}, xs(254) + "y\n< |");
    row("buffered: the 256th character sends the first 255, the line goes on", Buf, "|",
        QStringLiteral("x ").repeated(255) + "y <Enter>", {"SendString " + xs(255), "SendString y<13>"},
        xs(255) + "y\n< |");

    row("edit mode, buffered: nothing sent or stored, Enter still prompts", Buf | Edit, "|",
        "H ^C <F1> <Enter>", {}, "H\n< |");
    row("edit mode, immediate: nothing sent, Ctrl+Z never shown", Imm | Edit, "|", "H <BS> <Tab> ^C ^Z", {},
        "\t|");
    row("single screen: nothing sent, Enter still prompts", Buf | Single, "|", "A <F2> <Enter>", {},
        "A\n< |");

    // The screen's own shortcuts stay beside the codes; a marker goes through the clipboard.
    row("Shift+Ins pastes, kept 8-bit", Imm, "ab|", "+<Ins>", {}, "ab5 ?|", QStringLiteral("5 €>5 €"));
    row("Shift+Del cuts", Buf, "ab{cd|", "+<Del>", {}, "ab|", "old>cd");
    row("Ctrl+V sends SYN and pastes its own marker", Imm, "|", "^V", {"SendChar 22"}, "**|", "PASTE>*");
    row("edit mode: Ctrl+X cuts, Ctrl+V pastes", Imm | Edit, "{ab|cd", "^X ^V", {}, "ab|cd", "old>ab");
    row("edit mode: Ctrl+C copies, Ctrl+A selects nothing", Buf | Edit, "a{bc|d", "^C ^A", {}, "a{bc|d",
        "old>bc");
}

void TransmitKeyboardTest::keyMap()
{
    QFETCH(int, mode);
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QStringList, sent);
    QFETCH(QString, after);
    QFETCH(QString, clipboard);
    WindowFixture f;
    startTyping(f, mode & Single ? 1 : 2, mode & 3, mode & Edit ? 1 : 0);
    setMarkedText(Ferrow->TransmitScreen, before);
    if (!clipboard.isEmpty())
        QGuiApplication::clipboard()->setText(clipboard.section('>', 0, 0));

    typeKeys(Ferrow->TransmitScreen, keys);

    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(markedText(Ferrow->TransmitScreen), after);
    QCOMPARE(G.LineIndex, 0); // every row ends its line
    QVERIFY(Ferrow->ReceiveScreen->toPlainText().isEmpty());
    if (!clipboard.isEmpty())
        QCOMPARE(QGuiApplication::clipboard()->text(), clipboard.section('>', 1));
}

// A held key repeats its press; the prompt follows the one real release.
void TransmitKeyboardTest::heldEnterPromptsOnce()
{
    WindowFixture f;
    startTyping(f, 2, Buf);
    typeKeys(Ferrow->TransmitScreen, "A");
    const auto send = [](QEvent::Type type, bool autoRepeat) {
        QKeyEvent e(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), autoRepeat);
        QCoreApplication::sendEvent(Ferrow->TransmitScreen, &e);
    };
    send(QEvent::KeyPress, false);
    for (int i = 0; i < 2; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    send(QEvent::KeyRelease, false);

    QCOMPARE(f.transcript.entries, (QStringList{"SendString A<13>", "SendString <13>", "SendString <13>"}));
    QCOMPARE(markedText(Ferrow->TransmitScreen), QStringLiteral("A\n\n\n< |"));
}

// Switching the send mode in mid-line keeps what the line buffer holds.
void TransmitKeyboardTest::modeMenuKeepsTheLine()
{
    WindowFixture f;
    startTyping(f, 2, Buf);
    typeKeys(Ferrow->TransmitScreen, "A B");
    Ferrow->Immediate->trigger();
    Ferrow->Immediate->trigger(); // chosen twice, it stays chosen
    QCOMPARE(G.SendMode, 1);
    QVERIFY(Ferrow->Immediate->isChecked() && !Ferrow->Buffered->isChecked());
    typeKeys(Ferrow->TransmitScreen, "C");
    Ferrow->Buffered->trigger();
    QCOMPARE(G.SendMode, 2);
    QVERIFY(!Ferrow->Immediate->isChecked() && Ferrow->Buffered->isChecked());
    typeKeys(Ferrow->TransmitScreen, "D <Enter>");

    QCOMPARE(f.transcript.entries, (QStringList{"SendChar 67", "SendString ABD<13>"}));
}

void TransmitKeyboardTest::editButton()
{
    WindowFixture f;
    f.show();
    for (const auto& [mode, caption] : {std::pair{1, QColor(255, 0, 0)}, std::pair{0, QColor(0, 128, 0)}}) {
        Ferrow->ReceiveScreen->setFocus();
        Ferrow->EditXmitBtn->click();
        QCOMPARE(int(G.EditXmitMode), mode);
        QCOMPARE(Ferrow->EditXmitBtn->palette().color(QPalette::Active, QPalette::ButtonText), caption);
        QCOMPARE(Ferrow->EditXmitBtn->palette().color(QPalette::Inactive, QPalette::ButtonText), caption);
        QTRY_VERIFY(Ferrow->TransmitScreen->hasFocus());
    }
}

void TransmitKeyboardTest::controlCodeTable()
{
    // From '@' to '[': the letters send their code but K, L and N to Q; TAB is marked by a space.
    QStringList codes;
    for (quint16 key = '@'; key <= '['; ++key) {
        const auto c = ctrlLetterCode(key);
        codes << (c ? QString::number(c->code) + QLatin1String(c->marker) : QStringLiteral("-"));
    }
    QCOMPARE(codes.join(','),
             QStringLiteral(
                 "-,1*,2*,3*,4*,5*,6*,7*,8*,9 ,10*,-,-,13*,-,-,-,-,18*,19*,20*,21*,22*,23*,24*,25*,26*,-"));
}

QTEST_MAIN(TransmitKeyboardTest)
#include "transmit_keyboard_test.moc"

// Typing in the transmit screen: the bytes that reach the TNC for every kind
// of key in both send modes, what the screen shows afterwards, the shortcuts
// the screen keeps, edit mode, and the mode menu and Edit button.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "key_script.h"
#include "screens/screen_memo.h"
#include "typing_support.h"
#include "window_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int Immediate = 1;
constexpr int Buffered = 2;

QString repeated(char c, int n)
{
    return QString(n, QLatin1Char(c));
}

QString keysOf(char c, int n)
{
    return (QString(QLatin1Char(c)) + QLatin1Char(' ')).repeated(n);
}

} // namespace

class TransmitKeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void keyMap_data();
    void keyMap();
    void clipboardKeys_data();
    void clipboardKeys();
    void heldEnterPromptsOnce_data();
    void heldEnterPromptsOnce();
    void modeSwitchKeepsTheLine();
    void modeMenu_data();
    void modeMenu();
    void editButton_data();
    void editButton();
};

void TransmitKeyboardTest::keyMap_data()
{
    QTest::addColumn<int>("screenMode");
    QTest::addColumn<int>("sendMode");
    QTest::addColumn<int>("editMode");
    QTest::addColumn<QString>("before"); // the transmit screen, caret "|", anchor "{"
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QByteArray>("held"); // left in the line buffer

    const auto row = [](const char* name, int sendMode, const QString& before, const QString& keys,
                        const QStringList& sent, const QString& after, const QByteArray& held = {}) {
        QTest::newRow(name) << 2 << sendMode << 0 << before << keys << sent << after << held;
    };

    // Immediate mode: each key goes out as it is typed.
    row("immediate: H I Enter", Immediate, "|", "H I <Enter>",
        {"SendChar 72", "SendChar 73", "SendChar 13"}, "HI\n< |");
    row("immediate: Ctrl+C sends ETX and marks it", Immediate, "|", "^C", {"SendChar 3"}, "*|");
    row("immediate: Ctrl+I sends TAB, marks a space", Immediate, "|", "^I", {"SendChar 9"}, " \t|");
    row("immediate: Ctrl+K sends nothing, caret to the end", Immediate, "ab|cd", "^K", {}, "abcd|");
    row("immediate: Ctrl+A sends SOH and selects nothing", Immediate, "ab|cd", "^A", {"SendChar 1"}, "ab*cd|");
    row("immediate: Ctrl+Shift+D is still EOT", Immediate, "|", "^+D", {"SendChar 4"}, "*|");
    row("immediate: Ctrl+M sends CR twice", Immediate, "|", "^M", {"SendChar 13", "SendChar 13"}, "*\n|");
    row("immediate: Ctrl+Z sends SUB, the screen never sees it", Immediate, "|", "^Z", {"SendChar 26"}, "*|");
    row("immediate: Ctrl held down repeats without moving the caret", Immediate, "ab|cd", "^<Ctrl>", {},
        "ab|cd");
    row("immediate: Backspace goes out on key-down", Immediate, "abc|", "<BS>", {"SendChar 8"}, "ab|");
    row("immediate: Tab goes out on key-down", Immediate, "|", "<Tab>", {"SendChar 9"}, "\t|");
    row("immediate: Escape is never sent", Immediate, "|", "<Esc>", {}, "|");
    row("immediate: 8-bit character shown, not sent", Immediate, "|", QStringLiteral("é"), {},
        QStringLiteral("é|"));
    row("immediate: F1 over a selection", Immediate, "ab{cd|", "<F1>", {"SendChar 7"}, "ab*|");
    row("immediate: F2 sends SUB", Immediate, "|", "<F2>", {"SendChar 26"}, "*|");
    row("immediate: F3 and arrows send nothing", Immediate, "abc|", "<F3> <Left>", {}, "ab|c");
    row("immediate: Alt with a letter types nothing", Immediate, "|", "@A", {}, "|");
    row("immediate: DEL key deletes, sends nothing", Immediate, "a|bc", "<Del>", {}, "a|c");

    // Buffered mode: the line goes out in one piece on Enter.
    row("buffered: H I Enter", Buffered, "|", "H I <Enter>", {"SendString HI<13>"}, "HI\n< |");
    row("buffered: Enter on an empty line", Buffered, "|", "<Enter>", {"SendString <13>"}, "\n< |");
    row("buffered: A B Backspace C Enter", Buffered, "|", "A B <BS> C <Enter>", {"SendString AC<13>"},
        "AC\n< |");
    row("buffered: Backspace on an empty line", Buffered, "|", "<BS> <BS> A <Enter>", {"SendString A<13>"},
        "A\n< |");
    row("buffered: nothing leaves before Enter", Buffered, "|", "A B", {}, "AB|", "AB");
    row("buffered: Ctrl+C goes into the line", Buffered, "|", "^C <Enter>", {"SendString <3><13>"},
        "*\n< |");
    row("buffered: Ctrl+H cancels itself and its marker", Buffered, "|", "X ^H <Enter>",
        {"SendString X<13>"}, "X\n< |");
    row("buffered: Ctrl+I appends TAB twice", Buffered, "|", "^I <Enter>", {"SendString <9><9><13>"},
        " \t\n< |");
    row("buffered: Ctrl+J appends LF twice", Buffered, "|", "^J <Enter>", {"SendString <10><10><13>"},
        "*\n\n< |");
    row("buffered: Ctrl+M ends the line with CR CR", Buffered, "|", "A ^M", {"SendString A<13><13>"},
        "A*\n|");
    row("buffered: Ctrl+Z goes into the line, not the screen", Buffered, "|", "^Z <Enter>",
        {"SendString <26><13>"}, "*\n< |");
    row("buffered: Ctrl+K appends nothing", Buffered, "|", "^K <Enter>", {"SendString <13>"}, "\n< |");
    row("buffered: Escape goes with the line", Buffered, "|", "<Esc> <Enter>", {"SendString <27><13>"},
        "\n< |");
    row("buffered: Tab goes with the line", Buffered, "|", "<Tab> <Enter>", {"SendString <9><13>"},
        "\t\n< |");
    row("buffered: 8-bit character shown, not stored", Buffered, "|", QStringLiteral("é <Enter>"),
        {"SendString <13>"}, QStringLiteral("é\n< |"));
    row("buffered: F1 and F2 go into the line", Buffered, "|", "<F1> <F2> <Enter>",
        {"SendString <7><26><13>"}, "**\n< |");
    row("buffered: the 256th character sends the first 255", Buffered, "|", keysOf('x', 255) + "y <Enter>",
        {"SendString " + repeated('x', 255), "SendString y<13>"}, repeated('x', 255) + "y\n< |");

    // Edit mode and single-screen mode: the transmit screen is a local editor.
    QTest::newRow("edit mode, buffered: nothing sent or stored, Enter still prompts")
        << 2 << Buffered << 1 << "|" << "H ^C <F1> <Enter>" << QStringList{} << "H\n< |" << QByteArray();
    QTest::newRow("edit mode, immediate: nothing sent") << 2 << Immediate << 1 << "|" << "H <BS> <Tab> ^C"
                                                        << QStringList{} << "\t|" << QByteArray();
    QTest::newRow("edit mode: Ctrl+Z still never reaches the screen")
        << 2 << Immediate << 1 << "ab|" << "^Z" << QStringList{} << "ab|" << QByteArray();
    QTest::newRow("single screen: nothing sent, Enter still prompts")
        << 1 << Buffered << 0 << "|" << "A <F2> <Enter>" << QStringList{} << "A\n< |" << QByteArray();
}

void TransmitKeyboardTest::keyMap()
{
    QFETCH(int, screenMode);
    QFETCH(int, sendMode);
    QFETCH(int, editMode);
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QStringList, sent);
    QFETCH(QString, after);
    QFETCH(QByteArray, held);
    WindowFixture f;
    startTyping(f, screenMode, sendMode, editMode);
    setMarkedText(Ferrow->TransmitScreen, before);

    typeKeys(Ferrow->TransmitScreen, keys);

    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(markedText(Ferrow->TransmitScreen), after);
    QCOMPARE(heldLine(), held);
    QVERIFY(Ferrow->ReceiveScreen->toPlainText().isEmpty());
}

void TransmitKeyboardTest::clipboardKeys_data()
{
    QTest::addColumn<int>("sendMode");
    QTest::addColumn<int>("editMode");
    QTest::addColumn<QString>("clipboardBefore");
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("after");
    QTest::addColumn<QString>("clipboardAfter");

    QTest::newRow("Shift+Ins pastes") << Immediate << 0 << "PASTE" << "ab|" << "+<Ins>" << QStringList{}
                                      << "abPASTE|" << "PASTE";
    QTest::newRow("pasted text is kept 8-bit") << Immediate << 0 << QStringLiteral("5 €") << "|" << "+<Ins>"
                                               << QStringList{} << "5 ?|" << QStringLiteral("5 €");
    QTest::newRow("Shift+Del cuts") << Buffered << 0 << "old" << "ab{cd|" << "+<Del>" << QStringList{} << "ab|"
                                    << "cd";
    QTest::newRow("Ctrl+V sends SYN; its marker is what it pastes")
        << Immediate << 0 << "PASTE" << "|" << "^V" << QStringList{"SendChar 22"} << "**|" << "*";
    QTest::newRow("a marker replaces the clipboard") << Buffered << 0 << "old" << "|" << "<F1>" << QStringList{}
                                                     << "*|" << "*";
    QTest::newRow("Ctrl+K leaves the clipboard alone") << Immediate << 0 << "old" << "{ab|" << "^K"
                                                       << QStringList{} << "ab|" << "old";
    QTest::newRow("edit mode: Ctrl+V pastes") << Immediate << 1 << "PASTE" << "|" << "^V" << QStringList{}
                                              << "PASTE|" << "PASTE";
    QTest::newRow("edit mode: Ctrl+X cuts") << Immediate << 1 << "old" << "{ab|cd" << "^X" << QStringList{}
                                            << "|cd" << "ab";
    QTest::newRow("edit mode: Ctrl+C copies") << Buffered << 1 << "old" << "a{bc|d" << "^C" << QStringList{}
                                              << "a{bc|d" << "bc";
    QTest::newRow("edit mode: Ctrl+A selects nothing") << Buffered << 1 << "old" << "ab|cd" << "^A"
                                                       << QStringList{} << "ab|cd" << "old";
}

void TransmitKeyboardTest::clipboardKeys()
{
    QFETCH(int, sendMode);
    QFETCH(int, editMode);
    QFETCH(QString, clipboardBefore);
    QFETCH(QString, before);
    QFETCH(QString, keys);
    QFETCH(QStringList, sent);
    QFETCH(QString, after);
    QFETCH(QString, clipboardAfter);
    WindowFixture f;
    startTyping(f, 2, sendMode, editMode);
    setMarkedText(Ferrow->TransmitScreen, before);
    QGuiApplication::clipboard()->setText(clipboardBefore);

    typeKeys(Ferrow->TransmitScreen, keys);

    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(markedText(Ferrow->TransmitScreen), after);
    QCOMPARE(QGuiApplication::clipboard()->text(), clipboardAfter);
}

void TransmitKeyboardTest::heldEnterPromptsOnce_data()
{
    QTest::addColumn<int>("sendMode");
    QTest::addColumn<int>("repeats");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QString>("after");

    QTest::newRow("buffered, tapped") << Buffered << 0 << QStringList{"SendString A<13>"} << "A\n< |";
    QTest::newRow("buffered, held for two repeats")
        << Buffered << 2 << QStringList{"SendString A<13>", "SendString <13>", "SendString <13>"} << "A\n\n\n< |";
    QTest::newRow("immediate, held for two repeats")
        << Immediate << 2 << QStringList{"SendChar 65", "SendChar 13", "SendChar 13", "SendChar 13"}
        << "A\n\n\n< |";
}

// A held key repeats its press; the prompt follows the one real release.
void TransmitKeyboardTest::heldEnterPromptsOnce()
{
    QFETCH(int, sendMode);
    QFETCH(int, repeats);
    QFETCH(QStringList, sent);
    QFETCH(QString, after);
    WindowFixture f;
    startTyping(f, 2, sendMode);
    typeKeys(Ferrow->TransmitScreen, "A");

    const auto send = [](QEvent::Type type, bool autoRepeat) {
        QKeyEvent e(type, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"), autoRepeat);
        QCoreApplication::sendEvent(Ferrow->TransmitScreen, &e);
    };
    send(QEvent::KeyPress, false);
    for (int i = 0; i < repeats; ++i) {
        send(QEvent::KeyRelease, true);
        send(QEvent::KeyPress, true);
    }
    send(QEvent::KeyRelease, false);

    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(markedText(Ferrow->TransmitScreen), after);
}

void TransmitKeyboardTest::modeSwitchKeepsTheLine()
{
    WindowFixture f;
    startTyping(f, 2, Buffered);
    typeKeys(Ferrow->TransmitScreen, "A B");
    Ferrow->Immediate->trigger();
    typeKeys(Ferrow->TransmitScreen, "C");
    Ferrow->Buffered->trigger();
    typeKeys(Ferrow->TransmitScreen, "D <Enter>");

    QCOMPARE(f.transcript.entries, (QStringList{"SendChar 67", "SendString ABD<13>"}));
}

void TransmitKeyboardTest::modeMenu_data()
{
    QTest::addColumn<QStringList>("choices");
    QTest::addColumn<int>("sendMode");
    QTest::addColumn<bool>("immediateChecked");

    QTest::newRow("buffered from the start") << QStringList{} << 2 << false;
    QTest::newRow("immediate twice stays checked") << QStringList{"Immediate", "Immediate"} << 1 << true;
    QTest::newRow("immediate, then buffered") << QStringList{"Immediate", "Buffered"} << 2 << false;
}

void TransmitKeyboardTest::modeMenu()
{
    QFETCH(QStringList, choices);
    QFETCH(int, sendMode);
    QFETCH(bool, immediateChecked);
    WindowFixture f;
    f.show();
    for (const QString& choice : choices)
        (choice == "Immediate" ? Ferrow->Immediate : Ferrow->Buffered)->trigger();

    QCOMPARE(G.SendMode, sendMode);
    QCOMPARE(Ferrow->Immediate->isChecked(), immediateChecked);
    QCOMPARE(Ferrow->Buffered->isChecked(), !immediateChecked);
}

void TransmitKeyboardTest::editButton_data()
{
    QTest::addColumn<int>("clicks");
    QTest::addColumn<int>("editMode");
    QTest::addColumn<QColor>("caption");

    QTest::newRow("one click: editing, red") << 1 << 1 << QColor(255, 0, 0);
    QTest::newRow("two clicks: sending again, green") << 2 << 0 << QColor(0, 128, 0);
    QTest::newRow("three clicks: editing again") << 3 << 1 << QColor(255, 0, 0);
}

void TransmitKeyboardTest::editButton()
{
    QFETCH(int, clicks);
    QFETCH(int, editMode);
    QFETCH(QColor, caption);
    WindowFixture f;
    f.show();
    Ferrow->ReceiveScreen->setFocus();
    for (int i = 0; i < clicks; ++i)
        Ferrow->EditXmitBtn->click();

    QCOMPARE(int(G.EditXmitMode), editMode);
    QCOMPARE(Ferrow->EditXmitBtn->palette().color(QPalette::Active, QPalette::ButtonText), caption);
    QCOMPARE(Ferrow->EditXmitBtn->palette().color(QPalette::Inactive, QPalette::ButtonText), caption);
    QTRY_VERIFY(Ferrow->TransmitScreen->hasFocus());
}

QTEST_MAIN(TransmitKeyboardTest)
#include "transmit_keyboard_test.moc"

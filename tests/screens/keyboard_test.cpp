// Typing and receiving on the two screens: the bytes that reach the TNC for every kind of key in both send
// modes, edit mode and single-screen mode, the line shared by both screens, bytes from the TNC cleaned and
// applied at the end of the text once per frame, with the log on and off, and the clipboard.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "screens/control_codes.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QInputMethodEvent>
#include <QTest>
#include <QTextCursor>

namespace {

// The send mode, with edit mode, or with the receive screen as the one a row types into and looks at
// (single-screen mode).
enum Mode { Imm = 1, Buf = 2, Edit = 4, Rx = 8 };

// "72 A<13>": SendChar 72, then SendString A<13>.
QStringList sends(const QString& compact)
{
    QStringList out;
    for (const QString& t : compact.split(' ', Qt::SkipEmptyParts))
        out << (t.toInt() ? "SendChar " : "SendString ") + t;
    return out;
}

// Keys separated by spaces, each pressed and released: one character ("H", "é") or a name (<Enter> <BS>
// <Tab> <Esc> <F1> <F2> <F3> <F10> <Left> <Del> <Ins> <Ctrl> <Backtab>), after modifiers ^ Ctrl, + Shift, @
// Alt. A leading ~ sends the release alone, ! the press alone, & an auto-repeated release and press (held
// down).
void typeKeys(QWidget* target, const QString& keys)
{
    // Name, key and the text a real keyboard puts into the event.
    static const QList<std::tuple<QString, Qt::Key, QString>> names{
        {"Enter", Qt::Key_Return, "\r"}, {"BS", Qt::Key_Backspace, "\b"}, {"Tab", Qt::Key_Tab, "\t"},
        {"Esc", Qt::Key_Escape, "\x1b"}, {"F1", Qt::Key_F1, ""},          {"F2", Qt::Key_F2, ""},
        {"F3", Qt::Key_F3, ""},          {"Left", Qt::Key_Left, ""},      {"Del", Qt::Key_Delete, "\x7f"},
        {"Ins", Qt::Key_Insert, ""},     {"Ctrl", Qt::Key_Control, ""},   {"Backtab", Qt::Key_Backtab, ""},
        {"F10", Qt::Key_F10, ""}};
    for (QString token : keys.split(' ', Qt::SkipEmptyParts)) {
        const QChar how = token.size() > 1 && QString("~!&").contains(token[0]) ? token[0] : QChar();
        token.remove(0, how.isNull() ? 0 : 1);
        Qt::KeyboardModifiers modifiers;
        for (; token.size() > 1 && QString("^+@").contains(token[0]); token.remove(0, 1))
            modifiers |= token[0] == '^' ? Qt::ControlModifier
                : token[0] == '+'        ? Qt::ShiftModifier
                                         : Qt::AltModifier;
        // Qt names a letter key by its capital; other keys by their character.
        Qt::Key key = Qt::Key(token[0].toUpper().unicode());
        QString text = token;
        for (const auto& [name, k, t] : names)
            if (token == '<' + name + '>')
                std::tie(key, text) = std::pair(k, t);
        QVERIFY2(token.size() == 1 || text != token, qPrintable("unknown key " + token));
        if (modifiers & Qt::ControlModifier && key >= Qt::Key_A && key <= Qt::Key_Z)
            text = QChar(key - Qt::Key_A + 1); // as a real keyboard reports Ctrl+letter
        if (how == '&') {
            for (QEvent::Type type : {QEvent::KeyRelease, QEvent::KeyPress}) {
                QKeyEvent e(type, key, modifiers, text, true);
                QCoreApplication::sendEvent(target, &e);
            }
        } else {
            const auto action = how == '~' ? QTest::Release : how == '!' ? QTest::Press : QTest::Click;
            QTest::sendKeyEvent(action, target, key, text, modifiers);
        }
    }
}

// "ab{cd|ef": text "abcdef", selection anchored at 2, caret at 4.
void setMarkedText(QPlainTextEdit* screen, QString text)
{
    const int anchorMark = text.indexOf('{');
    text.remove('{');
    const int caret = text.indexOf('|');
    text.remove('|');
    screen->setPlainText(text);
    QTextCursor c(screen->document());
    // The anchor mark, when after the caret mark, stood one place further on.
    c.setPosition(anchorMark < 0 ? caret : anchorMark > caret ? anchorMark - 1 : anchorMark);
    c.setPosition(caret, QTextCursor::KeepAnchor);
    screen->setTextCursor(c);
}

QString markedText(const QPlainTextEdit* screen)
{
    QString text = screen->toPlainText();
    const QTextCursor c = screen->textCursor();
    // The later mark first, so the earlier position stays valid.
    if (c.anchor() > c.position())
        text.insert(c.anchor(), '{');
    text.insert(c.position(), '|');
    if (c.anchor() < c.position())
        text.insert(c.anchor(), '{');
    return text;
}

// Every byte value but BS, LF and CR (which edit), and how each one shows: BEL to CR, ESC and ASCII as
// they are, every other one as a space.
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

class KeyboardTest : public QObject {
    Q_OBJECT
private slots:
    void steps_data();
    void steps();
    void controlCodeTable();
};

void KeyboardTest::steps_data()
{
    QTest::addColumn<int>("mode");
    // On the screen the row looks at: "k:<keys>" typed ("kt:" into the transmit screen), "at:<marked
    // text>" set, "r:<bytes>" received (Latin-1) and shown at the next frame, "rq:<bytes>" received and
    // still waiting for it, "frame", "selectall", "m:<text>" composed by the input method,
    // "click:<n>" at position n, "=:<text>" held now, "menu:<send mode>", "clip:" and "clip=:" the
    // clipboard set and checked; "s:", "log:", "usage:" set the screen mode, log state, terminal usage.
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("sent");  // as sends() reads it
    QTest::addColumn<QString>("shown"); // the screen looked at, caret "|", anchor "{"
    const auto row = [](const char* name, int mode, const QString& steps, const QString& sent,
                        const QString& shown) {
        QTest::newRow(name) << mode << steps.split(", ") << sent << shown;
    };
    const QString fullLine = QStringLiteral("x ").repeated(255);

    row("immediate: letters, BS and Tab on key-down, Ctrl codes marked, Esc and 8-bit never sent", Imm,
        "k:H <BS> <Tab> ^C ^+D ^I ^M ^Z <Esc> é I <Enter>", "72 8 9 3 4 9 13 13 26 73 13",
        "\t** \t*\n*éI\n< |");
    row("immediate: Ctrl+K sends nothing, caret to the end", Imm, "at:ab|cd, k:^K", "", "abcd|");
    row("immediate: Ctrl held down repeats in place; Ctrl+A sends SOH, selects nothing", Imm,
        "at:ab|cd, k:^<Ctrl> ^A", "1", "ab*cd|");
    row("immediate: F1 over a selection, F2 sends SUB; F3, arrows, Alt+letter and Delete stay local", Imm,
        "at:ab{cd|, k:<F1> <F2> <F3> <Left> @A <Del>", "7 26", "ab*|");
    row("immediate: the focus key, F10 and a menu's Alt+letter are neither sent, marked nor moving the caret",
        Imm, "at:ab|cd, k:^<Tab> <F10> @O", "", "ab|cd");
    row("immediate: a released Enter, Ctrl+Alt+C, Ctrl+5, Shift+Tab, a character with no 8-bit form", Imm,
        "k:A ~<Enter> ^@C ^5 +<Backtab> €", "65 3 9", "A*\t|");

    row("buffered: BS, Ctrl codes, F1, F2, Esc and Tab go into the line, 8-bit only to the screen", Buf,
        "k:<BS> A B <BS> ^C ^K X ^H ^I ^J <F1> <F2> ^Z <Esc> <Tab> é <Enter>",
        "A<3>X<9><9><10><10><7><26><26><27><9><13>", "A*X \t*\n***\té\n< |");
    row("buffered: Ctrl+M ends the line with CR CR", Buf, "k:A ^M", "A<13><13>", "A*\n|");
    row("buffered: Ctrl+Enter puts LF into the line", Buf, "k:A ^<Enter> <Enter>", "A<10><13>", "A\n< \n< |");
    row("buffered: Backspace at 255 takes back the last character", Buf, "k:" + fullLine + "<BS> y <Enter>",
        QString(254, 'x') + "y <13>", QString(254, 'x') + "y\n< |");
    row("buffered: the 256th character sends the first 255, the line goes on", Buf,
        "k:" + fullLine + "y <Enter>", QString(255, 'x') + " y<13>", QString(255, 'x') + "y\n< |");
    row("buffered: a held Enter prompts once, after its one real release", Buf,
        "k:A !<Enter> &<Enter> &<Enter> ~<Enter>", "A<13> <13> <13>", "A\n\n\n< |");
    row("the send mode switched in mid-line keeps the line", Buf,
        "k:A B, menu:Immediate, menu:Immediate, k:C, menu:Buffered, k:D <Enter>", "67 ABD<13>", "ABCD\n< |");

    row("edit mode, buffered: nothing sent or kept; prompt", Buf | Edit, "k:H ^C <F1> <Enter>", "", "H\n< |");
    row("edit mode, immediate: nothing sent, no Ctrl+Z", Imm | Edit, "k:H <BS> <Tab> ^C ^Z", "", "\t|");
    row("single screen: transmit screen sends nothing; prompt", Buf, "s:1, k:A <F2> <Enter>", "", "A\n< |");

    // The screen's own shortcuts stay beside the codes; a marker goes through the clipboard.
    row("Shift+Del cuts, Shift+Ins pastes 8-bit", Imm, "at:ab{cd|, k:+<Del>, clip=:cd, clip:5 €, k:+<Ins>",
        "", "ab5 ?|");
    row("Ctrl+V sends SYN and pastes its own marker", Imm, "clip:PASTE, k:^V, clip=:*", "22", "**|");
    row("edit: Ctrl+X cuts, Ctrl+V pastes", Imm | Edit, "clip:old, at:{ab|cd, k:^X ^V, clip=:ab", "",
        "ab|cd");
    row("edit: Ctrl+C copies, Ctrl+A selects none", Buf | Edit, "clip:old, at:a{bc|d, k:^C ^A, clip=:bc", "",
        "a{bc|d");

    // Received, in single-screen mode: typed keys in immediate mode would be sent back.
    const auto [all, cleaned] = everyOtherByte();
    row("received: every other byte value cleaned", Imm | Rx, "r:" + all, "", cleaned + "|");
    row("received: CR LF is one break, also split; LF alone breaks; LF CR, CR CR LF, CR LF LF are two",
        Imm | Rx, "r:one\r\ntwo\r, r:\nb\n\rc\r\r\nd\r\n\ne", "", "one\ntwo\nb\n\nc\n\nd\n\ne|");
    row("received: Backspace across chunks, on an empty screen and joining lines", Imm | Rx,
        "r:\b\bab, r:c\b\bX\r\n\bc\r\b\nd", "", "aXc\nd|");
    row("received: held while the terminal is not in use, then in order and cleaned", Buf | Rx,
        "usage:0, r:\x01"
        "A , r:two\r, =:, usage:2, r:\nb",
        "", " A two\nb|");
    row("log off: a caret at the end stays at the end", Buf | Rx, "log:2, at:abc|, r:de\r\n", "", "abcde\n|");
    row("log off: a selection to the end is kept", Buf | Rx, "log:2, at:a{bc|, r:de", "", "a{bc|de");
    row("log off: after a click in the middle, text lands at the end", Buf | Rx,
        "log:2, r:first\r\nsecond\r\n, click:2, r:more", "", "fi|rst\nsecond\nmore");
    row("log on: after a click in the middle, text lands at the end", Buf | Rx,
        "log:1, r:first\r\nsecond\r\n, click:2, r:more", "", "first\nsecond\nmore|");

    // Typed in the receive screen; in dual-screen mode the line stays the transmit screen's.
    row("dual screen: typing, control keys, F1, BS and Tab are local only", Buf | Rx,
        "s:2, k:A ^C <F1> <BS> <Tab> B C <Enter>, kt:<Enter>", "<13>", "\tBC\n|");
    row("single, buffered: Ctrl+Z in the line", Buf | Rx, "k:A B C ^Z <Enter>", "ABC<26><13>", "ABC*\n|");
    row("single screen, immediate: the transmit screen's edit mode has no say", Imm | Rx | Edit,
        "k:H I <BS> <Tab> <F2> ^C é <Enter>", "72 73 8 9 26 3 13", "H\t**é\n|");
    row("a line begun in the transmit screen is finished in the receive screen", Buf | Rx,
        "s:2, kt:A B, s:1, k:C <Enter>", "ABC<13>", "C\n|");
    row("received text between typed keys stays out of the line", Buf | Rx, "k:A B, r:xy\r\n, k:C <Enter>",
        "ABC<13>", "ABxy\nC\n|");
    row("after an arrow key or F3, received bytes are still received", Imm | Rx,
        "k:<Left>, " + QString::fromLatin1("r:A\xc8") + ", k:<F3>, r:\r", "", "A \n|");
    // Received text goes in once per frame, whole and in order, before anything acts on the screen.
    row("text waits for its frame, then goes in complete and in order", Imm | Rx,
        "rq:one , rq:two\r, rq:\nthree\b\bee, =:, frame", "", "one two\nthree|");
    row("waiting text goes in before a typed key and a composed character; a composed 8-bit one shown",
        Imm | Rx, "rq:ab, k:C, rq:x, m:a, m:é", "67 97", "abCxaé|");
    row("waiting text in before a click", Buf | Rx, "log:2, rq:first\r\nsecond, click:0", "",
        "|first\nsecond");
    row("waiting text in before Select All", Buf | Rx, "rq:ab\r\ncd, selectall, =:ab\ncd", "", "{ab\ncd|");
}

void KeyboardTest::steps()
{
    QFETCH(int, mode);
    QFETCH(QStringList, steps);
    QFETCH(QString, sent);
    QFETCH(QString, shown);
    WindowFixture f;
    const bool rx = mode & Rx;
    f.show();
    openFakePort(1);
    G.ScreenMode = rx ? 1 : 2;
    G.SendMode = mode & 3;
    G.EditXmitMode = mode & Edit ? 1 : 0;
    Ferrow->TransmitScreen->clear();
    Ferrow->ReceiveScreen->clear();
    TScreenMemo* screen = rx ? Ferrow->ReceiveScreen : Ferrow->TransmitScreen;
    screen->setFocus();
    f.transcript.clear();
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QHash<QString, std::function<void(const QString&)>> act{
        {"k", [&](const QString& a) { typeKeys(screen, a); }},
        {"kt", [&](const QString& a) { typeKeys(Ferrow->TransmitScreen, a); }},
        {"at", [&](const QString& a) { setMarkedText(screen, a); }},
        {"rq", [&](const QString& a) { f.device()->inject(a.toLatin1()); }},
        {"r", [&](const QString& a) { f.device()->inject(a.toLatin1()); }},
        {"frame", [&](const QString&) { QVERIFY(screen->hasPendingReceive()); }},
        {"selectall",
         [&](const QString&) {
             G.ActiveScreen = 0;
             Ferrow->SelectAll1Click();
         }},
        {"m",
         [&](const QString& a) {
             QInputMethodEvent composed;
             composed.setCommitString(a);
             QCoreApplication::sendEvent(screen, &composed);
         }},
        {"click",
         [&](const QString& a) {
             QTextCursor at(screen->document());
             at.setPosition(a.toInt());
             G.ActiveScreen = -1;
             QTest::mouseClick(screen->viewport(), Qt::LeftButton, {}, screen->cursorRect(at).center());
             QCOMPARE(screen->textCursor().position(), a.toInt());
             QCOMPARE(G.ActiveScreen, rx ? 0 : 1); // the clicked screen is in use
         }},
        {"=", [&](const QString& a) { QCOMPARE(screen->toPlainText(), a); }},
        {"menu",
         [&](const QString& a) {
             (a == "Immediate" ? Ferrow->Immediate : Ferrow->Buffered)->trigger();
             QCOMPARE(QList({Ferrow->Immediate->isChecked(), Ferrow->Buffered->isChecked()}),
                      QList({a == "Immediate", a != "Immediate"}));
         }},
        {"clip", [&](const QString& a) { clipboard->setText(a); }},
        {"clip=", [&](const QString& a) { QCOMPARE(clipboard->text(), a); }},
        {"s", [&](const QString& a) { G.ScreenMode = a.toInt(); }},
        {"log", [&](const QString& a) { G.LogFileState = a.toInt(); }},
        {"usage", [&](const QString& a) { Ferrow->nrComm1->SetTerminalUsage(a.toInt()); }},
    };
    for (const QString& s : steps) {
        const QString name = s.section(':', 0, 0);
        QVERIFY2(act.contains(name), qPrintable("unknown step " + s));
        act[name](s.section(':', 1));
        if (name == "r" || name == "frame") // shown at the next frame
            QTRY_VERIFY(!screen->hasPendingReceive());
        QVERIFY2(!QTest::currentTestFailed(), qPrintable("at step " + s));
    }
    QCOMPARE(f.transcript.entries, sends(sent));
    QCOMPARE(markedText(screen), shown);
    QCOMPARE(G.LineIndex, 0); // every row ends its line
    QVERIFY(rx || Ferrow->ReceiveScreen->toPlainText().isEmpty());
}

void KeyboardTest::controlCodeTable()
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

QTEST_MAIN(KeyboardTest)
#include "keyboard_test.moc"

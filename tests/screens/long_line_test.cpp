// A receive screen under long lines: however long a received line grows,
// taking more of it lays out a bounded amount of text; and whatever the
// operator and the TNC do to a line held in pieces, the screen reads back,
// saves and copies the line as it was received and edited.

#include "docs/screen_file.h"
#include "screens/line_pieces.h"
#include "screens/screen_memo.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>

#include <algorithm>
#include <functional>

namespace {

// The document layout the screen uses, noting how many characters each
// change makes it lay out again: every paragraph the change touches.
class CountingLayout : public QPlainTextDocumentLayout {
public:
    using QPlainTextDocumentLayout::QPlainTextDocumentLayout;
    int mostPerChange = 0;

protected:
    void documentChanged(int from, int removed, int added) override
    {
        int chars = 0;
        const QTextBlock last = document()->findBlock(from + added);
        for (QTextBlock b = document()->findBlock(from); b.isValid(); b = b.next()) {
            chars += b.length();
            if (b == last)
                break;
        }
        mostPerChange = std::max(mostPerChange, chars);
        QPlainTextDocumentLayout::documentChanged(from, removed, added);
    }
};

// `length` letters with no space to break at.
QByteArray unbroken(int length)
{
    QByteArray line(length, 0);
    for (int i = 0; i < length; ++i)
        line[i] = char('a' + i % 26);
    return line;
}

void receive(TScreenMemo& screen, const QByteArray& bytes, int chunk)
{
    for (qsizetype at = 0; at < bytes.size(); at += chunk) {
        screen.receiveBytes(bytes.mid(at, chunk));
        screen.flushReceived();
        QCoreApplication::processEvents();
    }
}

// Where the `index`-th character of a single received line stands in the
// screen's document: each full piece before it ends in a mark.
int positionOf(int index)
{
    return index + index / MaxLinePieceChars;
}

QString copied(TScreenMemo& screen)
{
    screen.copy();
    return QGuiApplication::clipboard()->text();
}

// The text a screen shows for received bytes: CR or LF ends a line (LF
// right after CR adds nothing), Backspace takes back the character before
// it, a line break included.
QString shownText(const QByteArray& bytes)
{
    QString text;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\b')
            text.chop(1);
        else if (c != '\n' || i == 0 || bytes[i - 1] != '\r')
            text += c == '\r' ? QLatin1Char('\n') : QLatin1Char(c);
    }
    return text;
}

QByteArray numberedLines(int count)
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += "N0CALL>CQ line " + QByteArray::number(i) + " de W1AW\r\n";
    return lines;
}

// The screen file of a screen's text: a CR LF line each, none for the empty
// line after a final break.
QByteArray fileOf(const QString& text)
{
    QStringList lines = text.split('\n');
    if (lines.size() > 1 && lines.last().isEmpty())
        lines.removeLast();
    return text.isEmpty() ? QByteArray() : screenFileBytes(lines);
}

// What the screen's first row shows.
QString topLine(const TScreenMemo& screen)
{
    return screen.cursorForPosition(QPoint(4, 4)).block().text();
}

} // namespace

class LongLineTest : public QObject {
    Q_OBJECT
private slots:
    void layoutStaysBounded_data();
    void layoutStaysBounded();
    void readsBackAsReceived_data();
    void readsBackAsReceived();
    void copiesAllOfALargeScreen();
    void readsBackAcrossTheArchive_data();
    void readsBackAcrossTheArchive();
};

void LongLineTest::layoutStaysBounded_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("200 KB unbroken line") << unbroken(200 * 1024);
    QByteArray takenBack = unbroken(100 * 1024) + QByteArray(60 * 1024, '\b') + unbroken(100 * 1024);
    QTest::newRow("200 KB unbroken line, a Backspace flood in the middle") << takenBack;
}

void LongLineTest::layoutStaysBounded()
{
    QFETCH(QByteArray, bytes);
    TScreenMemo screen;
    auto* document = new QTextDocument(&screen);
    auto* layout = new CountingLayout(document);
    document->setDocumentLayout(layout);
    screen.setDocument(document);
    screen.resize(400, 200);
    screen.show();
    // Taking a chunk of the line lays out a few thousand characters at most,
    // never the whole line.
    for (qsizetype at = 0; at < bytes.size(); at += 64) {
        receive(screen, bytes.mid(at, 64), 64);
        if (layout->mostPerChange > 5000)
            QFAIL(qPrintable(
                QStringLiteral("%1 characters laid out again at %2").arg(layout->mostPerChange).arg(at)));
    }
    QCOMPARE(screen.toPlainText(), shownText(bytes));
}

void LongLineTest::readsBackAsReceived_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("edit"); // what the operator does then, at a place in the line
    QTest::addColumn<int>("at");
    QTest::addColumn<QString>("expected"); // how the received line changes

    const int piece = MaxLinePieceChars;
    const QByteArray line = unbroken(3 * piece + 100);
    const QString text = QString::fromLatin1(line);
    const auto without = [&](int from, int count) { return QString(text).remove(from, count); };
    const auto with = [&](int at, const QString& s) { return QString(text).insert(at, s); };
    QTest::newRow("received as it is") << line << "" << 0 << text;
    QTest::newRow("received Backspaces across two piece marks")
        << line + QByteArray(piece + 150, '\b') << "" << 0 << text.left(2 * piece - 50);
    QTest::newRow("received Backspaces to an empty line, then letters")
        << line + QByteArray(4 * piece, '\b') + "xyz"
        << "" << 0 << QStringLiteral("xyz");
    QTest::newRow("received CR LF after the line, then a short line") << line + "\r\nDE N0CALL"
                                                                      << "" << 0 << text + "\nDE N0CALL";
    QTest::newRow("typed Enter inside a piece") << line << "enter" << piece + 10 << with(piece + 10, "\n");
    QTest::newRow("typed Backspace at a piece's start")
        << line << "backspace" << piece << without(piece - 1, 1);
    QTest::newRow("Delete at a piece's end") << line << "delete" << 2 * piece << without(2 * piece, 1);
    QTest::newRow("paste of two lines inside a piece")
        << line << "paste" << piece + 5 << with(piece + 5, "P\nQ");
    QTest::newRow("cut across a piece mark") << line << "cut" << piece - 5 << without(piece - 5, 10);
}

void LongLineTest::readsBackAsReceived()
{
    QFETCH(QByteArray, received);
    QFETCH(QString, edit);
    QFETCH(int, at);
    QFETCH(QString, expected);
    TScreenMemo screen;
    screen.show();
    receive(screen, received, 4096);
    QTextCursor caret = screen.textCursor();
    // Delete stands at the end of the piece before `at`, the rest at `at`.
    caret.setPosition(edit == "delete" ? positionOf(at - 1) + 1 : positionOf(at));
    if (edit == "cut")
        caret.setPosition(positionOf(at + 10), QTextCursor::KeepAnchor);
    screen.setTextCursor(caret);
    if (edit == "enter")
        QTest::keyClick(&screen, Qt::Key_Return);
    else if (edit == "backspace")
        QTest::keyClick(&screen, Qt::Key_Backspace);
    else if (edit == "delete")
        QTest::keyClick(&screen, Qt::Key_Delete);
    else if (edit == "paste") {
        QGuiApplication::clipboard()->setText(QStringLiteral("P\nQ"));
        screen.paste();
    } else if (edit == "cut") {
        screen.cut();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString::fromLatin1(received.mid(at, 10)));
    }
    QCOMPARE(screen.toPlainText(), expected);
    QCOMPARE(screenLines(*screen.document()).join('\n'), expected);
    screen.selectAll();
    QCOMPARE(copied(screen), expected);
    // More received text goes on the line it belongs to.
    receive(screen, "!", 1);
    QCOMPARE(screen.toPlainText(), expected + "!");
}

void LongLineTest::copiesAllOfALargeScreen()
{
    // 30 MB of lines, some of them far longer than a paragraph is kept.
    QByteArray received;
    const QByteArray longLine = unbroken(100 * 1024) + "\r\n";
    const QByteArray lines =
        QByteArray("CQ CQ DE N0CALL K 73 ARES net check-in traffic NR 12\r\n").repeated(2000);
    while (received.size() < 30 * 1024 * 1024)
        received += lines + longLine;
    TScreenMemo screen;
    screen.show();
    receive(screen, received, 1024 * 1024);
    screen.selectAll();
    QString expected = QString::fromLatin1(received);
    expected.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QCOMPARE(copied(screen), expected);
}

void LongLineTest::readsBackAcrossTheArchive_data()
{
    QTest::addColumn<QByteArray>("received");
    QTest::addColumn<QString>("edit"); // what the operator does then
    QTest::addColumn<QString>("expected");

    const QByteArray lines = numberedLines(300), more = numberedLines(400).mid(200);
    const QString shown = shownText(lines);
    const QByteArray line = unbroken(20 * 1024) + "\r\nK";
    const QByteArray lineTakenBack = unbroken(20 * 1024) + QByteArray(15 * 1024, '\b') + "xyz";
    const QByteArray crs = lines + QByteArray(3000, '\r') + "K";
    QTest::newRow("lines, most of them archived") << lines << "" << shown;
    QTest::newRow("received Backspaces, all in one read")
        << lines << "backspaces at once" << shownText(lines + QByteArray(3000, '\b') + "QRT\r");
    QTest::newRow("received Backspaces take back an archived unbroken line")
        << lineTakenBack << "" << shownText(lineTakenBack);
    QTest::newRow("a CR flood") << crs << "" << shownText(crs);
    QTest::newRow("Select All, then Cut") << lines << "cut all" << QString();
    QTest::newRow("the document emptied, archived lines left") << lines << "empty the document" << shown;
    QTest::newRow("the document emptied, an archived line left open")
        << line << "empty the document" << shownText(line);
    QTest::newRow("scrolled up to the document's start") << lines << "scroll up" << shown;
    QTest::newRow("Ctrl+Home, no mouse") << lines << "ctrl home" << shown;
    QTest::newRow("scrolled up into an unbroken line") << line << "scroll up" << shownText(line);
    QTest::newRow("lines arrive below the caret, the view where it was")
        << lines << "caret off the end" << shownText(lines + more);
    QTest::newRow("lines arrive while a selection is held") << lines << "select" << shownText(lines + more);
}

void LongLineTest::readsBackAcrossTheArchive()
{
    // A small document, so a few kilobytes reach the archive.
    QFETCH(QByteArray, received);
    QFETCH(QString, edit);
    QFETCH(QString, expected);
    TScreenMemo screen;
    screen.setDocumentHolds(1500, 800);
    screen.resize(400, 200);
    screen.show();
    receive(screen, received, 64);
    QVERIFY(!screen.archived().isEmpty());
    // What is left may start inside a piece; empty lines cost the document most.
    QVERIFY(screen.document()->characterCount() <= 1500 + MaxLinePieceChars);
    QVERIFY(screen.document()->blockCount() <= 1500 / 32);
    const qint64 archived = screen.archived().size();
    // More lines, the view moved to them or not after each read.
    const auto receiveMore = [&](bool scrollDown, const std::function<void()>& check) {
        const QByteArray more = numberedLines(400).mid(200);
        for (qsizetype at = 0; at < more.size(); at += 64) {
            receive(screen, more.mid(at, 64), 64);
            if (scrollDown)
                screen.verticalScrollBar()->setValue(screen.verticalScrollBar()->maximum());
            check();
        }
    };

    if (edit == "cut all") {
        screen.selectAll();
        screen.cut();
        QCOMPARE(QGuiApplication::clipboard()->text(), shownText(received));
    } else if (edit == "backspaces at once") {
        receive(screen, QByteArray(3000, '\b') + "QRT\r", 4096);
    } else if (edit == "empty the document") {
        // Not from its start, which would take the archive too.
        expected.chop(lineTextBetween(*screen.document(), 0, screen.document()->characterCount() - 1).size());
        QTextCursor caret(screen.document());
        caret.setPosition(1);
        caret.movePosition(QTextCursor::End, QTextCursor::KeepAnchor);
        screen.setTextCursor(caret);
        QTest::keyClick(&screen, Qt::Key_Delete);
        QTest::keyClick(&screen, Qt::Key_Backspace);
        QVERIFY(screen.document()->isEmpty());
        QCOMPARE(screenFileOf(screen), fileOf(expected));
        QTRY_VERIFY(!screen.document()->isEmpty()); // it fills again with the newest archived text
    } else if (edit == "scroll up") {
        screen.verticalScrollBar()->setValue(0);
        const QString firstLine = topLine(screen);
        QTRY_VERIFY(screen.archived().size() < archived);
        QCOMPARE(topLine(screen), firstLine); // the lines come back above it
    } else if (edit == "ctrl home") {
        // The top of the document, then older lines come back above the caret.
        QTest::keyClick(&screen, Qt::Key_Home, Qt::ControlModifier);
        const QString caretLine = screen.textCursor().block().text();
        QTRY_VERIFY(screen.archived().size() < archived);
        QCOMPARE(screen.textCursor().block().text(), caretLine);
        QTest::keyClick(&screen, Qt::Key_Home, Qt::ControlModifier);
        QTRY_VERIFY(screen.archived().size() < archived - 300);
    } else if (edit == "caret off the end") {
        // Lines go while the operator reads the last few: the view stays on them.
        screen.resize(400, 100);
        QTest::keyClick(&screen, Qt::Key_Left);
        QCoreApplication::processEvents();
        const QString firstShown = topLine(screen);
        screen.setDocumentHolds(400, 400);
        receiveMore(false, [&] { QCOMPARE(topLine(screen), firstShown); });
        QVERIFY(screen.archived().size() > archived);
    } else if (edit == "select") {
        QTextCursor caret = screen.textCursor();
        caret.setPosition(200);
        caret.setPosition(300, QTextCursor::KeepAnchor);
        screen.setTextCursor(caret);
        const QString selected = screen.textCursor().selectedText();
        receiveMore(true, [] {});
        QCOMPARE(screen.textCursor().selectedText(), selected);
    }
    QCOMPARE(screen.toPlainText(), expected);
    QCOMPARE(screenLines(screen).join('\n'), expected);
    QCOMPARE(screenFileOf(screen), fileOf(expected));
    QGuiApplication::clipboard()->clear();
    screen.selectAll();
    QCOMPARE(copied(screen), expected);
    receive(screen, "!", 1);
    QCOMPARE(screen.toPlainText(), expected + "!");
}

QTEST_MAIN(LongLineTest)
#include "long_line_test.moc"

// The Edit menu acts on the screen in use; Save Clipboard writes what the
// clipboard holds as RTF, read back by a reader made from the RTF syntax.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "rtf_reader.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>
#include <QTest>

class ClipboardCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void editCommands_data();
    void editCommands();
    void saveClipboard_data();
    void saveClipboard();
};

void ClipboardCommandsTest::editCommands_data()
{
    QTest::addColumn<int>("activeScreen");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("texts"); // receive|transmit|clipboard afterwards
    QTest::addColumn<QString>("selectedAll");
    QTest::addColumn<QString>("clipboard"); // before
    const auto row = [](const char* name, int screen, const char* command, const QString& texts,
                        const char* all = "", const QString& clip = "clip") {
        QTest::newRow(name) << screen << command << texts << all << clip;
    };
    row("copy from the receive screen, though the transmit screen shows too", 0, "copy", "rx one|tx one|rx");
    row("copy from the transmit screen", 1, "copy", "rx one|tx one|tx");
    row("cut from the receive screen: it is not read-only", 0, "cut", " one|tx one|rx");
    row("paste into the receive screen", 0, "paste", "clip one|tx one|clip");
    row("select all of the transmit screen", 1, "all", "rx one|tx one|clip", "tx one");
    row("any other screen number: nothing", 2, "cut", "rx one|tx one|clip");
    row("pasted text outside Latin-1 becomes ?", 1, "paste",
        QString::fromUtf8("rx one|?\u00e9 one|\u20ac\u00e9"), "", QString::fromUtf8("\u20ac\u00e9"));
}

void ClipboardCommandsTest::editCommands()
{
    QFETCH(int, activeScreen);
    QFETCH(QString, command);
    QFETCH(QString, texts);
    QFETCH(QString, selectedAll);
    QFETCH(QString, clipboard);
    WindowFixture f;
    f.show();
    for (TScreenMemo* screen : {Ferrow->ReceiveScreen, Ferrow->TransmitScreen}) {
        screen->setPlainText(screen == Ferrow->ReceiveScreen ? QStringLiteral("rx one")
                                                             : QStringLiteral("tx one"));
        QTextCursor c = screen->textCursor();
        c.setPosition(0);
        c.setPosition(2, QTextCursor::KeepAnchor); // the first word is selected
        screen->setTextCursor(c);
    }
    QGuiApplication::clipboard()->setText(clipboard);
    G.ActiveScreen = activeScreen;

    void (TFerrow::*const handler)() = command == "cut" ? &TFerrow::Cut1Click
        : command == "copy"                             ? &TFerrow::Copy1Click
        : command == "paste"                            ? &TFerrow::Paste1Click
                                                        : &TFerrow::SelectAll1Click;
    (Ferrow->*handler)();

    const QStringList after{Ferrow->ReceiveScreen->toPlainText(), Ferrow->TransmitScreen->toPlainText(),
                            QGuiApplication::clipboard()->text()};
    QCOMPARE(after.join(QLatin1Char('|')), texts);
    for (TScreenMemo* screen : {Ferrow->ReceiveScreen, Ferrow->TransmitScreen})
        QCOMPARE(screen->textCursor().selectedText() == screen->toPlainText(),
                 selectedAll == screen->toPlainText());
}

void ClipboardCommandsTest::saveClipboard_data()
{
    QTest::addColumn<QString>("html"); // empty: plain text only
    QTest::addColumn<QString>("text"); // the clipboard's plain text, and what the file must give back
    QTest::addColumn<QString>("run");  // the run whose look is checked; empty: none
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("halfPoints");
    QTest::addColumn<int>("color");
    QTest::addColumn<QString>("styles");
    const auto row = [](const char* name, const QString& html, const QString& text, const QString& run = {},
                        const QString& font = "MS Sans Serif", int halfPoints = 22, int color = -1,
                        const QString& styles = {}) {
        QTest::newRow(name) << html << text << run << font << halfPoints << color << styles;
    };
    QString latin1High, c1;
    for (int c = 127; c <= 255; ++c)
        (c < 160 ? c1 : latin1High) += QChar(c);
    row("empty clipboard: a document with no text", "<none>", "");
    row("RTF specials", "", "{braces} back\\slash \\par not a word }{");
    row("upper half of Latin-1", "", latin1High);
    row("DEL and the C1 range", "", c1);
    row("outside Latin-1 and beyond the basic plane", "",
        QString::fromUtf8("€ Ωμέγα Жж ✓ clef 𝄞 🙂"));
    row("digits and spaces after escapes", "", QString::fromUtf8("é123 €4\t  5 {6}7"));
    row("paragraphs, empty ones too", "", "first\nsecond\n\nfourth\n");
    row("line break inside a paragraph", "one<br>two", QString::fromUtf16(u"one\u2028two"));
    row("plain text: the buffer's font, 15 px = 11 pt", "", "just text", "just text");
    row("bold, and it ends with its run", "<b>heavy</b> light", "heavy light", " light");
    row("semi-bold counts as bold", "<span style='font-weight:600'>x</span>", "x", "x", "MS Sans Serif", 22,
        -1, "b");
    row("all four styles", "a <b><i><u><s>all</s></u></i></b>", "a all", "all", "MS Sans Serif", 22, -1,
        "bisu");
    row("half-point size", "<span style='font-size:10.5pt'>small</span>", "small", "small", "MS Sans Serif",
        21);
    row("second font and colour keep their own entries",
        "<i style=\"font-family:'DejaVu Sans Mono'; color:#00ff00\">a</i><s style=\"font-family:'DejaVu "
        "Serif'; "
        "font-size:18pt; color:#c00000\">b</s>",
        "ab", "b", "DejaVu Serif", 36, 0xC00000, "s");
}

void ClipboardCommandsTest::saveClipboard()
{
    QFETCH(QString, html);
    QFETCH(QString, text);
    QFETCH(QString, run);
    WindowFixture f;
    f.show();
    auto* mime = new QMimeData;
    if (html != "<none>")
        mime->setText(text);
    if (!html.isEmpty() && html != "<none>")
        mime->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(mime);
    Ferrow->ReceiveScreenClick();
    f.query.fileAnswers << f.home() + QStringLiteral("c.rtf");

    Ferrow->SaveClipboard1Click();

    QCOMPARE(G.ActiveScreen, 0); // the focus is not moved
    QFile file(f.home() + QStringLiteral("c.rtf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray rtf = file.readAll();
    const ReadRtf read = readRtf(rtf);
    QVERIFY2(read.problem.isEmpty(), qPrintable(read.problem));
    QCOMPARE(read.plainText(), text);
    // A reader that skips \uN gets every Latin-1 character from the fallback.
    for (QChar& c : text)
        if ((c.unicode() >= 128 && c.unicode() < 160) || (c.unicode() > 255 && c != QChar::LineSeparator))
            c = QLatin1Char('?');
    QCOMPARE(readRtf(rtf, true).plainText(), text);
    if (run.isEmpty())
        return;
    const ReadRun* found = read.runWith(run);
    QVERIFY(found);
    QCOMPARE(found->text, run);
    QTEST(found->font, "font");
    QTEST(found->halfPoints, "halfPoints");
    QTEST(found->color, "color");
    QTEST(found->styles, "styles");
}

QTEST_MAIN(ClipboardCommandsTest)
#include "clipboard_commands_test.moc"

// The Edit menu acts on the screen in use; Save Clipboard writes what the
// clipboard holds as RTF, read back by a reader made from the RTF syntax.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "screens/screen_memo.h"
#include "file_bytes.h"
#include "window_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHash>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Run {
    QString text, look; // look: "font/half points/colour or auto/style letters b i s u"
};

struct ReadRtf {
    QString problem, text; // text: paragraphs joined by '\n'
    QList<Run> runs;
};

// As a reader made from the RTF syntax sees it: one 7-bit document group, font and colour tables, groups
// whose look ends with them, \uN with one fallback character (shown instead when `skipUnicode`).
ReadRtf readRtf(const QByteArray& rtf, bool skipUnicode = false)
{
    struct Look {
        int dest = 0, font = 0, size = 24, color = 0; // dest 1: font table, 2: colour table
        QString styles;
    };
    ReadRtf out;
    QList<Look> stack;
    QHash<int, QString> fonts;
    QList<int> colors;
    QString name;
    int fontNo = 0, rgb = -1, skip = 0, groups = 0;
    bool newRun = true;
    const auto text = [&](QChar c) {
        const Look& l = stack.last();
        if (skip > 0) {
            --skip; // the fallback of a \uN
            return;
        }
        if (l.dest == 1 && c == u';')
            fonts[fontNo] = std::exchange(name, {});
        else if (l.dest == 1)
            name += c;
        else if (l.dest == 2 && c == u';')
            colors << std::exchange(rgb, -1);
        if (l.dest)
            return;
        if (!fonts.contains(l.font) || l.color >= colors.size())
            out.problem = QStringLiteral("font or colour not in its table");
        const int rgbValue = colors.value(l.color);
        const QString color = rgbValue < 0 ? QStringLiteral("auto") : QString::number(rgbValue, 16);
        const QString look =
            QStringList{fonts.value(l.font), QString::number(l.size), color, l.styles}.join(u'/');
        out.text += c;
        if (std::exchange(newRun, false) || out.runs.last().look != look)
            out.runs << Run{{}, look};
        out.runs.last().text += c;
    };
    static const QRegularExpression token(
        R"(\\([a-z]+)(-?\d+)? ?|\\'([0-9a-fA-F]{2})|\\[\\{}]|([{}])|([\r\n])|[\x20-\x5b\x5d-\x7a|~])");
    const QString in = QString::fromLatin1(rtf);
    qsizetype end = 0;
    for (auto it = token.globalMatch(in); it.hasNext() && out.problem.isEmpty();) {
        const QRegularExpressionMatch m = it.next();
        const QString w = m.captured(1);
        const int v = m.captured(2).isEmpty() ? 1 : m.captured(2).toInt();
        if (m.capturedStart() != end)
            break; // an 8-bit or control byte
        end = m.capturedEnd();
        if (!m.captured(5).isEmpty())
            continue; // line ends carry nothing
        if (m.captured(4) == "{") {
            groups += stack.isEmpty();
            stack << (stack.isEmpty() ? Look{} : stack.last());
            continue;
        }
        if (stack.isEmpty()) {
            end = m.capturedStart(); // outside the document group
            break;
        }
        Look& l = stack.last();
        if (m.captured(4) == "}") {
            stack.removeLast();
            skip = 0;
        } else if (!m.captured(3).isEmpty()) {
            text(QChar(m.captured(3).toInt(nullptr, 16)));
        } else if (w.isEmpty()) {
            text(m.captured(0).back());
        } else if (w == "fonttbl" || w == "colortbl") {
            l.dest = w == "fonttbl" ? 1 : 2;
        } else if (w == "f" || w == "fs" || w == "cf") {
            (w == "fs" ? l.size : w == "cf" ? l.color : l.dest == 1 ? fontNo : l.font) = v;
        } else if (w == "red" || w == "green" || w == "blue") {
            rgb = std::max(rgb, 0) | (v & 255) << (w == "red" ? 16 : w == "green" ? 8 : 0);
        } else if (w == "b" || w == "i" || w == "ul" || w == "strike") {
            l.styles.remove(w[0]);
            l.styles += v ? w.left(1) : QString(); // \b0 ends bold
            std::sort(l.styles.begin(), l.styles.end());
        } else if (w == "par" && !l.dest) {
            out.text += u'\n';
            newRun = true;
        } else if (w == "line" || w == "tab") {
            text(w == "tab" ? QChar(u'\t') : QChar::LineSeparator);
        } else if (w == "u" && !skipUnicode) {
            text(QChar(char16_t(v))); // negative numbers are the upper half
            skip = 1;
        }
    }
    if (out.problem.isEmpty() &&
        (end != in.size() || !stack.isEmpty() || groups != 1 || !in.startsWith("{\\rtf1")))
        out.problem = QStringLiteral("not one 7-bit RTF document group: stopped at byte %1").arg(end);
    return out;
}

} // namespace

class ClipboardCommandsTest : public QObject {
    Q_OBJECT
private slots:
    void editCommands_data()
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
        row("copy from the receive screen, though the transmit screen shows too", 0, "copy",
            "rx one|tx one|rx");
        row("copy from the transmit screen", 1, "copy", "rx one|tx one|tx");
        row("cut from the receive screen: it is not read-only", 0, "cut", " one|tx one|rx");
        row("paste into the receive screen", 0, "paste", "clip one|tx one|clip");
        row("select all of the transmit screen", 1, "all", "rx one|tx one|clip", "tx one");
        row("any other screen number: nothing", 2, "cut", "rx one|tx one|clip");
    }

    void editCommands()
    {
        QFETCH(QString, command);
        QFETCH(QString, selectedAll);
        WindowFixture f;
        f.show();
        const QList<TScreenMemo*> screens{Ferrow->ReceiveScreen, Ferrow->TransmitScreen};
        for (TScreenMemo* screen : screens) {
            screen->setPlainText(screen == screens[0] ? QStringLiteral("rx one") : QStringLiteral("tx one"));
            QTextCursor c = screen->textCursor();
            c.setPosition(0);
            c.setPosition(2, QTextCursor::KeepAnchor); // the first word is selected
            screen->setTextCursor(c);
        }
        QFETCH(QString, clipboard);
        QFETCH(int, activeScreen);
        QGuiApplication::clipboard()->setText(clipboard);
        G.ActiveScreen = activeScreen;
        const QHash<QString, void (TFerrow::*)()> handlers{{"cut", &TFerrow::Cut1Click},
                                                           {"copy", &TFerrow::Copy1Click},
                                                           {"paste", &TFerrow::Paste1Click},
                                                           {"all", &TFerrow::SelectAll1Click}};
        (Ferrow->*handlers[command])();

        const QStringList after{screens[0]->toPlainText(), screens[1]->toPlainText(),
                                QGuiApplication::clipboard()->text()};
        QTEST(after.join(QLatin1Char('|')), "texts");
        for (TScreenMemo* screen : screens)
            QCOMPARE(screen->textCursor().selectedText() == screen->toPlainText(),
                     selectedAll == screen->toPlainText());
    }

    void saveClipboard_data()
    {
        QTest::addColumn<QString>("html"); // empty: plain text only
        QTest::addColumn<QString>("text"); // the clipboard's plain text, and what the file must give back
        QTest::addColumn<QString>("run");  // the run whose look is checked; empty: none
        QTest::addColumn<QString>("look");
        const auto row = [](const char* name, const QString& html, const QString& text,
                            const QString& run = {}, const QString& look = "MS Sans Serif/22/auto/") {
            QTest::newRow(name) << html << text << run << look;
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
        row("semi-bold counts as bold", "<span style='font-weight:600'>x</span>", "x", "x",
            "MS Sans Serif/22/auto/b");
        row("all four styles", "a <b><i><u><s>all</s></u></i></b>", "a all", "all",
            "MS Sans Serif/22/auto/bisu");
        row("half-point size", "<span style='font-size:10.5pt'>small</span>", "small", "small",
            "MS Sans Serif/21/auto/");
        row("second font and colour keep their own entries",
            "<i style=\"font-family:'DejaVu Sans Mono'; color:#00ff00\">a</i>"
            "<s style=\"font-family:'DejaVu Serif'; font-size:18pt; color:#c00000\">b</s>",
            "ab", "b", "DejaVu Serif/36/c00000/s");
    }

    void saveClipboard()
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
        const QByteArray rtf = readFile(f.home() + QStringLiteral("c.rtf"));
        const ReadRtf read = readRtf(rtf);
        QVERIFY2(read.problem.isEmpty(), qPrintable(read.problem));
        QCOMPARE(read.text, text);
        // A reader that skips \uN gets every Latin-1 character from the fallback.
        for (QChar& c : text)
            if ((c.unicode() >= 128 && c.unicode() < 160) || (c.unicode() > 255 && c != QChar::LineSeparator))
                c = QLatin1Char('?');
        QCOMPARE(readRtf(rtf, true).text, text);
        // Not as a literal '?': some readers drop the character after it.
        QVERIFY(!QString::fromLatin1(rtf).contains(QRegularExpression(R"(\\u-?\d+\?)")));
        const auto found =
            std::find_if(read.runs.begin(), read.runs.end(), [&](const Run& r) { return r.text == run; });
        QVERIFY(run.isEmpty() || found != read.runs.end());
        if (!run.isEmpty())
            QTEST(found->look, "look");
    }
};

QTEST_MAIN(ClipboardCommandsTest)
#include "clipboard_commands_test.moc"

// File > Open, Save Receive / Save Transmit and Print Receive / Print Xmit on
// the real windows, with real files and a PDF printer read back by pdftotext.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "screens/screen_memo.h"
#include "file_bytes.h"
#include "window_fixture.h"

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>

namespace {

// What pdftotext reads from a printed file (empty when it does not finish).
QString pdfText(const QString& path, const QStringList& options = {})
{
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), options + QStringList{path, QStringLiteral("-")});
    return pdftotext.waitForFinished(120000) ? QString::fromUtf8(pdftotext.readAllStandardOutput()) : QString();
}

} // namespace

class ScreenFilesTest : public QObject {
    Q_OBJECT
private slots:
    void commands_data()
    {
        // Open1, SaveAs1 (Save Transmit) and Ex1 (Print Xmit) act on the transmit screen, Save1 and Print1
        // on the receive screen.
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("text");     // the screen's text: before a save or print, after an open
        QTest::addColumn<QString>("name");     // the file chosen; empty: cancelled; "<dir>": the folder
        QTest::addColumn<QByteArray>("bytes"); // opened; saved; what a printed file starts with
        QTest::addColumn<QString>("box");      // "verb|reason" of the one message shown, empty for none
        const auto row = [](const char* name, const char* command, const QString& text, const char* file,
                            const QByteArray& bytes, const char* box = "") {
            QTest::newRow(name) << command << text << file << bytes << box;
        };
        QByteArray everyByte;
        for (int c = 1; c < 256; ++c)
            everyByte += c == '\r' || c == '\n' ? QByteArray("\r\n") : QByteArray(1, char(c));
        row("open CR LF lines: the final break kept", "Open1", "one\ntwo\n", "m.txt", "one\r\ntwo\r\n");
        row("open LF lines", "Open1", "one\ntwo\n", "m.txt", "one\ntwo\n");
        row("open CR lines, no final break", "Open1", "one\ntwo", "m.txt", "one\rtwo");
        row("open: blank lines stay", "Open1", "\none\n\ntwo\n\n", "m.txt", "\r\none\r\n\r\ntwo\r\n\r\n");
        row("open every byte but NUL", "Open1", QString::fromLatin1(everyByte + "\n").replace("\r\n", "\n"),
            "m.txt", everyByte + "\r\n");
        row("open no-break spaces and tabs", "Open1", QString::fromLatin1("\xa0\tx\xa0 \n \t\n"), "m.txt",
            "\xa0\tx\xa0 \r\n \t\r\n");
        row("open an empty file", "Open1", "", "m.txt", "");
        row("open 8-bit text, NUL left out", "Open1", QString::fromLatin1("caf\xe9!\n"), "m.txt",
            QByteArray("caf\xe9\0!\r\n", 7));
        row("open cancelled: text kept, screen focused", "Open1", "old", "", "<none>");
        row("open a missing file", "Open1", "old", "m.txt", "<none>", "open|No such file or directory");
        row("open a folder", "Open1", "old", "<dir>", "<none>", "open|it is a folder");
        row("open a file too large", "Open1", "old", "m.txt", "<big>", "open|it is larger than 16 MB");
        row("Save Receive to x.rtf: plain text, CR LF", "Save1", "cmd:\n*** CONNECTED to N0TEST\npartial",
            "x.rtf", "cmd:\r\n*** CONNECTED to N0TEST\r\npartial\r\n");
        row("Save Receive of a screen ending in a break: no extra line", "Save1", "cmd:\n\nlast\n", "x.rtf",
            "cmd:\r\n\r\nlast\r\n");
        row("Save Transmit: outside Latin-1 as ?", "SaveAs1",
            QString::fromUtf8("Gr\u00fc\u00dfe \u20ac5\n\u0141\u00f3d\u017a"), "t.txt",
            "Gr\xfc\xdf"
            "e ?5\r\n?\xf3"
            "d?\r\n");
        row("Save cancelled", "SaveAs1", "text", "", "<missing>");
        row("Save into a missing folder", "Save1", "text", "no/such/x.rtf", "<missing>", "save|");
        row("Print Xmit", "Ex1", "XMIT only line", "xmit.pdf", "%PDF");
        row("Print cancelled", "Print1", "RECEIVED line one\nRECEIVED line two", "", "<missing>");
        row("printer cannot start", "Print1", "RECEIVED line one", "no/such/out.pdf", "<missing>",
            "print to|");
    }

    void commands()
    {
        QFETCH(QString, command);
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, box);
        WindowFixture f;
        f.show();
        const bool open = command == "Open1", print = command == "Print1" || command == "Ex1";
        const bool receive = command == "Save1" || command == "Print1";
        TScreenMemo* screen = receive ? Ferrow->ReceiveScreen : Ferrow->TransmitScreen;
        (receive ? Ferrow->TransmitScreen : Ferrow->ReceiveScreen)
            ->setPlainText(QStringLiteral("other screen"));
        screen->setPlainText(open ? QStringLiteral("old") : text);
        Ferrow->ReceiveScreenClick();
        const QString path =
            name == "<dir>" ? f.home() : f.home() + (name.isEmpty() ? QStringLiteral("x") : name);
        if (bytes == "<big>")
            QVERIFY(writeFile(path, {}) && QFile::resize(path, 16 * 1024 * 1024 + 1));
        else if (open && !bytes.startsWith('<'))
            QVERIFY(writeFile(path, bytes));
        if (!name.isEmpty())
            (print ? f.query.printAnswers : f.query.fileAnswers)
                << path << f.home() + QStringLiteral("saved.txt");

        const QHash<QString, void (TFerrow::*)()> handlers{{"Open1", &TFerrow::Open1Click},
                                                           {"Save1", &TFerrow::Save1Click},
                                                           {"SaveAs1", &TFerrow::SaveAs1Click},
                                                           {"Print1", &TFerrow::Print1Click},
                                                           {"Ex1", &TFerrow::Ex1Click}};
        (Ferrow->*handlers[command])();

        const QString message = QStringLiteral("Quillmar|Could not %1 \"%2\": %3")
                                    .arg(box.section(u'|', 0, 0), path, box.section(u'|', 1));
        QCOMPARE(f.query.boxes.size(), box.isEmpty() ? 0 : 1);
        QVERIFY2(box.isEmpty() || f.query.boxes[0].startsWith(message),
                 qPrintable(f.query.boxes.join(u'\n')));
        QCOMPARE(G.ActiveScreen, box.isEmpty() ? 1 : 0); // the typing screen has the focus again
        if (open) {
            QCOMPARE(screen->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'), text);
            const bool loaded = text != QLatin1String("old");
            QCOMPARE(G.EditXmitMode, loaded ? 1 : 0);
            QCOMPARE(screen->textCursor().atEnd(), loaded);
            if (box.isEmpty())
                QTRY_VERIFY(screen->hasFocus());
            if (!loaded)
                return;
            Ferrow->SaveAs1Click(); // CR LF lines, so a CR LF file without NUL is saved unchanged
            const QString lines = text.isEmpty() || text.endsWith(u'\n') ? text : text + QLatin1Char('\n');
            const QByteArray saved = readFile(f.home() + QStringLiteral("saved.txt"));
            QCOMPARE(saved, lines.toLatin1().replace("\n", "\r\n"));
            const QByteArray bare = QByteArray(bytes).replace("\r\n", "");
            if (bytes.endsWith("\r\n") && !bare.contains('\0') && !bare.contains('\r') &&
                !bare.contains('\n'))
                QCOMPARE(saved, bytes);
            return;
        }
        const QByteArray written = readFile(path);
        QCOMPARE(print ? written.left(bytes.size()) : written, bytes);
        if (!print)
            return;
        QCOMPARE(f.query.queries, QStringList{QStringLiteral("print|0")}); // the job's title
        QCOMPARE(Ferrow->TempEditBuffer->toPlainText(), text);
        if (receive) // Print Receive selects the whole screen
            QCOMPARE(screen->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n'), text);
        if (!written.startsWith("%PDF"))
            return;
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed: only the PDF header was checked");
        QCOMPARE(pdfText(path).split(u'\n').mid(0, screen->blockCount()), text.split(u'\n'));
    }

    void receptionHeldApart()
    {
        // A long reception, most of it held apart from the screen's document: Save Receive, Print Receive
        // and the log take all of it.
        WindowFixture f;
        f.show();
        Ferrow->ReceiveScreen->clear();
        Ferrow->ReceiveScreen->setDocumentHolds(2000, 1000);
        QByteArray received;
        for (int i = 0; i < 400; ++i)
            received += "W1AW>CQ bulletin line " + QByteArray::number(i) + "\r\n";
        Ferrow->ReceiveScreen->receiveBytes(received);
        Ferrow->ReceiveScreen->flushReceived();
        QVERIFY(!Ferrow->ReceiveScreen->archived().isEmpty());
        f.query.fileAnswers << f.home() + "saved.txt" << f.home() + "log.rtf";
        f.query.printAnswers << f.home() + "printed.pdf";
        Ferrow->Save1Click();
        Ferrow->Print1Click();
        Ferrow->LogBtnClick(); // ON
        Ferrow->LogBtnClick(); // OFF writes the screen
        QCOMPARE(readFile(f.home() + "saved.txt"), received);
        QCOMPARE(readFile(f.home() + "log.rtf"), received);
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed: the printout was not read back");
        QCOMPARE(pdfText(f.home() + "printed.pdf").remove(u'\f').split(u'\n', Qt::SkipEmptyParts),
                 QString::fromLatin1(received).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts));
    }

    void printedPages()
    {
        // Over 3000 lines, and one too long for the page, through Print Xmit to a high-resolution PDF: every
        // line printed once, whole, on one page, and every word at least 10 mm from the paper's edge.
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext (poppler-utils) is not installed");
        constexpr int Lines = 3300;
        QStringList text;
        for (int i = 0; i < Lines; ++i)
            text << QStringLiteral("L%1 the quick brown fox %2").arg(i, 4, 10, QLatin1Char('0')).arg(i * 7);
        text[1500] += QStringLiteral(" ") + QString(400, u'W');
        WindowFixture f;
        f.show();
        Ferrow->TransmitScreen->setPlainText(text.join(u'\n'));
        const QString pdf = f.home() + QStringLiteral("pages.pdf");
        f.query.printAnswers << pdf;
        Ferrow->Ex1Click();
        QCOMPARE(f.query.boxes, QStringList());

        static const QRegularExpression item(
            R"re(<page width="([\d.]+)" height="([\d.]+)">|<word xMin="([\d.]+)" yMin="([\d.]+)" )re"
            R"re(xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re");
        const qreal margin = 10 / 25.4 * 72; // in points, as pdftotext measures
        qreal width = 0, height = 0;
        int pages = 0;
        QHash<QString, int> seen; // line number -> times printed
        for (auto it = item.globalMatch(pdfText(pdf, {QStringLiteral("-bbox")}));
             it.hasNext();) {
            const QRegularExpressionMatch m = it.next();
            if (m.capturedLength(1)) {
                width = m.captured(1).toDouble();
                height = m.captured(2).toDouble();
                ++pages;
                continue;
            }
            const QRectF box(QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()),
                             QPointF(m.captured(5).toDouble(), m.captured(6).toDouble()));
            QVERIFY2(box.left() >= margin && box.top() >= margin && box.right() <= width - margin &&
                         box.bottom() <= height - margin,
                     qPrintable(QStringLiteral("%1 on page %2 of %3 x %4")
                                    .arg(m.captured(0))
                                    .arg(pages)
                                    .arg(width)
                                    .arg(height)));
            if (m.captured(7).startsWith(u'L'))
                ++seen[m.captured(7)];
        }
        QVERIFY(pages > 40);
        QCOMPARE(seen.size(), Lines);
        for (auto it = seen.cbegin(); it != seen.cend(); ++it)
            QVERIFY2(it.value() == 1,
                     qPrintable(QStringLiteral("%1 printed %2 times").arg(it.key()).arg(it.value())));
    }

    void openAndSend()
    {
        // A prepared message sent whole: its last line goes out with its line end before the ETX that
        // leaves converse mode.
        WindowFixture f;
        f.show();
        openFakePort(1);
        const QString path = f.home() + QStringLiteral("message.txt");
        QVERIFY(writeFile(path, "one\r\ntwo\r\n"));
        f.query.fileAnswers << path;
        Ferrow->Open1Click();
        f.transcript.clear();
        Ferrow->SendScreenBtnClick();
        const QStringList sent = f.transcript.entries.filter(QStringLiteral("Send"));
        QStringList expected{QStringLiteral("SendString CONVERS<13>")};
        for (const char c : QByteArray("one\r\ntwo\r\n"))
            expected << QStringLiteral("SendChar %1").arg(int(c));
        expected << QStringLiteral("SendString <3>");
        QCOMPARE(sent, expected);
    }
};

QTEST_MAIN(ScreenFilesTest)
#include "screen_files_test.moc"

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
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>

namespace {

// One message box that starts with `start`, or none when `start` is empty.
void checkBox(const QStringList& boxes, const QString& start)
{
    QCOMPARE(boxes.size(), start.isEmpty() ? 0 : 1);
    if (!start.isEmpty())
        QVERIFY2(boxes[0].startsWith(start), qPrintable(boxes[0]));
}

} // namespace

class ScreenFilesTest : public QObject {
    Q_OBJECT
private slots:
    void open_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "<none>": cancelled; "<dir>", "<big>", "<missing>"
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("box"); // the reason shown, empty for none
        const auto row = [](const char* name, const QByteArray& bytes, const QString& shown,
                            const char* box = "") { QTest::newRow(name) << bytes << shown << box; };
        QByteArray everyByte;
        for (int c = 1; c < 256; ++c)
            everyByte += c == '\r' || c == '\n' ? QByteArray("\r\n") : QByteArray(1, char(c));
        row("CR LF lines", "one\r\ntwo\r\n", "one\ntwo");
        row("LF lines", "one\ntwo\n", "one\ntwo");
        row("CR lines, no final break", "one\rtwo", "one\ntwo");
        row("blank lines stay", "\r\none\r\n\r\ntwo\r\n\r\n", "\none\n\ntwo\n");
        row("every byte but NUL", everyByte + "\r\n", QString::fromLatin1(everyByte).replace("\r\n", "\n"));
        row("no-break spaces and tabs", "\xa0\tx\xa0 \r\n \t\r\n", QString::fromLatin1("\xa0\tx\xa0 \n \t"));
        row("empty file", "", "");
        row("8-bit text, NUL left out", QByteArray("caf\xe9\0!\r\n", 7), QString::fromLatin1("caf\xe9!"));
        row("cancelled: text kept, screen focused", "<none>", "old");
        row("missing file", "<missing>", "old", "No such file or directory");
        row("a folder", "<dir>", "old", "it is a folder");
        row("too large", "<big>", "old", "it is larger than 16 MB");
    }

    void open()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(QString, box);
        WindowFixture f;
        f.show();
        Ferrow->TransmitScreen->setPlainText(QStringLiteral("old"));
        Ferrow->ReceiveScreenClick();
        const QString path = bytes == "<dir>" ? f.home() : f.home() + QStringLiteral("message.txt");
        if (bytes == "<big>")
            QVERIFY(writeFile(path, {}) && QFile::resize(path, 16 * 1024 * 1024 + 1));
        else if (!bytes.startsWith('<'))
            QVERIFY(writeFile(path, bytes));
        if (bytes != "<none>")
            f.query.fileAnswers << path << f.home() + QStringLiteral("saved.txt");

        Ferrow->Open1Click();
        if (box.isEmpty() &&
            !bytes.startsWith('<')) { // saved again: CR LF lines, so a CR LF file is unchanged
            Ferrow->SaveAs1Click();
            const QString lines = shown.isEmpty() ? shown : shown + QLatin1Char('\n');
            QCOMPARE(readFile(f.home() + QStringLiteral("saved.txt")),
                     lines.toLatin1().replace("\n", "\r\n"));
        }

        QCOMPARE(Ferrow->TransmitScreen->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'),
                 shown);
        checkBox(f.query.boxes,
                 box.isEmpty() ? box : QStringLiteral("Quillmar|Could not open \"%1\": %2").arg(path, box));
        const bool loaded = shown != QLatin1String("old");
        QCOMPARE(G.EditXmitMode, loaded ? 1 : 0);
        QCOMPARE(Ferrow->TransmitScreen->textCursor().atEnd(), loaded);
        QCOMPARE(G.ActiveScreen, box.isEmpty() ? 1 : 0); // a failure ends the operation at its message
        if (box.isEmpty())
            QTRY_VERIFY(Ferrow->TransmitScreen->hasFocus());
    }

    void saveAndPrint_data()
    {
        // Save1 and Print1 read the receive screen, SaveAs1 and Ex1 (Print Xmit) the transmit screen.
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("text");     // of the screen the command reads
        QTest::addColumn<QString>("name");     // the file chosen; empty: cancelled
        QTest::addColumn<QByteArray>("bytes"); // the saved file; a printed one starts with them
        const auto row = [](const char* name, const char* command, const QString& text, const char* file,
                            const QByteArray& bytes) {
            QTest::newRow(name) << command << text << file << bytes;
        };
        row("Save Receive to x.rtf: plain text, CR LF", "Save1", "cmd:\n*** CONNECTED to N0TEST\npartial",
            "x.rtf", "cmd:\r\n*** CONNECTED to N0TEST\r\npartial\r\n");
        row("Save Transmit: outside Latin-1 as ?", "SaveAs1",
            QString::fromUtf8("Gr\u00fc\u00dfe \u20ac5\n\u0141\u00f3d\u017a"), "t.txt",
            "Gr\xfc\xdf"
            "e ?5\r\n?\xf3"
            "d?\r\n");
        row("Save cancelled", "SaveAs1", "text", "", "<missing>");
        row("Save into a missing folder: message", "Save1", "text", "no/such/x.rtf", "<missing>");
        row("Print Xmit", "Ex1", "XMIT only line", "xmit.pdf", "%PDF");
        row("Print cancelled", "Print1", "RECEIVED line one\nRECEIVED line two", "", "<missing>");
        row("printer cannot start: message", "Print1", "RECEIVED line one", "no/such/out.pdf", "<missing>");
    }

    void saveAndPrint()
    {
        QFETCH(QString, command);
        QFETCH(QString, text);
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        WindowFixture f;
        f.show();
        const bool receive = command == "Save1" || command == "Print1";
        const bool print = command == "Print1" || command == "Ex1";
        TScreenMemo* source = receive ? Ferrow->ReceiveScreen : Ferrow->TransmitScreen;
        (receive ? Ferrow->TransmitScreen : Ferrow->ReceiveScreen)
            ->setPlainText(QStringLiteral("the other screen"));
        source->setPlainText(text);
        Ferrow->ReceiveScreenClick();
        const QString path = f.home() + (name.isEmpty() ? QStringLiteral("x") : name);
        if (!name.isEmpty())
            (print ? f.query.printAnswers : f.query.fileAnswers) << path;

        const QHash<QString, void (TFerrow::*)()> handlers{{"Save1", &TFerrow::Save1Click},
                                                           {"SaveAs1", &TFerrow::SaveAs1Click},
                                                           {"Print1", &TFerrow::Print1Click},
                                                           {"Ex1", &TFerrow::Ex1Click}};
        (Ferrow->*handlers[command])();

        const QByteArray written = readFile(path);
        QCOMPARE(print ? written.left(bytes.size()) : written, bytes);
        const bool failed = name.startsWith(QLatin1String("no/"));
        checkBox(f.query.boxes,
                 failed
                     ? QStringLiteral("Quillmar|Could not %1 \"%2\": ").arg(print ? "print to" : "save", path)
                     : QString());
        QCOMPARE(G.ActiveScreen, failed ? 0 : 1); // the typing screen has the focus again
        if (!print)
            return;
        QCOMPARE(f.query.queries, QStringList{QStringLiteral("print|0")}); // the job's title
        QCOMPARE(Ferrow->TempEditBuffer->toPlainText(), text);
        if (receive) // Print Receive selects the whole screen
            QCOMPARE(source->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n'), text);
        if (!written.startsWith("%PDF"))
            return;
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QSKIP("pdftotext is not installed: only the PDF header was checked");
        QProcess pdftotext;
        pdftotext.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
        QVERIFY(pdftotext.waitForFinished(60000));
        QCOMPARE(
            QString::fromUtf8(pdftotext.readAllStandardOutput()).split(u'\n').mid(0, source->blockCount()),
            text.split(u'\n'));
    }
};

QTEST_MAIN(ScreenFilesTest)
#include "screen_files_test.moc"

// File > Open, Save Receive / Save Transmit and Print Receive / Print Xmit on
// the real windows, with real files and a PDF printer read back by pdftotext.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextEdit>

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

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
    void open_data();
    void open();
    void save_data();
    void save();
    void print_data();
    void print();
};

void ScreenFilesTest::open_data()
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

void ScreenFilesTest::open()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, shown);
    QFETCH(QString, box);
    WindowFixture f;
    f.show();
    Ferrow->TransmitScreen->setPlainText(QStringLiteral("old"));
    Ferrow->ReceiveScreenClick();
    const QString path = bytes == "<dir>" ? f.home() : f.home() + QStringLiteral("message.txt");
    QFile file(path);
    if (bytes == "<big>")
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(16 * 1024 * 1024 + 1));
    else if (!bytes.startsWith('<'))
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush());
    if (bytes != "<none>")
        f.query.fileAnswers << path << f.home() + QStringLiteral("saved.txt");

    Ferrow->Open1Click();
    if (box.isEmpty() && !bytes.startsWith('<')) { // saved again: CR LF lines, so a CR LF file is unchanged
        Ferrow->SaveAs1Click();
        const QString lines = shown.isEmpty() ? shown : shown + QLatin1Char('\n');
        QCOMPARE(fileBytes(f.home() + QStringLiteral("saved.txt")), lines.toLatin1().replace("\n", "\r\n"));
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

void ScreenFilesTest::save_data()
{
    QTest::addColumn<bool>("receive");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("name"); // empty: cancelled
    QTest::addColumn<QByteArray>("bytes");
    const auto row = [](const char* name, bool receive, const QString& text, const char* file,
                        const QByteArray& bytes) { QTest::newRow(name) << receive << text << file << bytes; };
    row("receive screen to x.rtf: plain text, CR LF", true, "cmd:\n*** CONNECTED to N0TEST\npartial", "x.rtf",
        "cmd:\r\n*** CONNECTED to N0TEST\r\npartial\r\n");
    row("transmit screen: outside Latin-1 as ?", false,
        QString::fromUtf8("Gr\u00fc\u00dfe \u20ac5\n\u0141\u00f3d\u017a"), "t.txt",
        "Gr\xfc\xdf"
        "e ?5\r\n?\xf3"
        "d?\r\n");
    row("cancelled", false, "text", "", "<missing>");
    row("into a missing folder: message", true, "text", "no/such/x.rtf", "<missing>");
}

void ScreenFilesTest::save()
{
    QFETCH(bool, receive);
    QFETCH(QString, text);
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    WindowFixture f;
    f.show();
    (receive ? Ferrow->ReceiveScreen : Ferrow->TransmitScreen)->setPlainText(text);
    Ferrow->ReceiveScreenClick();
    const QString path = f.home() + (name.isEmpty() ? QStringLiteral("x") : name);
    if (!name.isEmpty())
        f.query.fileAnswers << path;

    receive ? Ferrow->Save1Click() : Ferrow->SaveAs1Click();

    QCOMPARE(fileBytes(path), bytes);
    const bool failed = name.startsWith(QLatin1String("no/"));
    checkBox(f.query.boxes,
             failed ? QStringLiteral("Quillmar|Could not save \"%1\": ").arg(path) : QString());
    QCOMPARE(G.ActiveScreen, failed ? 0 : 1); // the typing screen has the focus again
}

void ScreenFilesTest::print_data()
{
    QTest::addColumn<bool>("receive");
    QTest::addColumn<QString>("pdf"); // empty: the dialog is cancelled
    QTest::newRow("Print Xmit") << false << "xmit.pdf";
    QTest::newRow("cancelled") << true << "";
    QTest::newRow("printer cannot start: message") << true << "no/such/out.pdf";
}

void ScreenFilesTest::print()
{
    QFETCH(bool, receive);
    QFETCH(QString, pdf);
    WindowFixture f;
    f.show();
    Ferrow->ReceiveScreen->setPlainText(QStringLiteral("RECEIVED line one\nRECEIVED line two"));
    Ferrow->TransmitScreen->setPlainText(QStringLiteral("XMIT only line"));
    Ferrow->ReceiveScreenClick();
    TScreenMemo* source = receive ? Ferrow->ReceiveScreen : Ferrow->TransmitScreen;
    if (!pdf.isEmpty())
        f.query.printAnswers << f.home() + pdf;

    receive ? Ferrow->Print1Click() : Ferrow->Ex1Click();

    QCOMPARE(f.query.queries, QStringList{QStringLiteral("print|0")}); // the job's title
    QCOMPARE(Ferrow->TempEditBuffer->toPlainText(), source->toPlainText());
    if (receive)
        QCOMPARE(source->textCursor().selectedText().replace(QChar::ParagraphSeparator, u'\n'),
                 source->toPlainText());
    const bool failed = pdf.startsWith(QLatin1String("no/"));
    checkBox(f.query.boxes,
             failed ? QStringLiteral("Quillmar|Could not print to \"%1\": ").arg(f.home() + pdf) : QString());
    QCOMPARE(G.ActiveScreen, failed ? 0 : 1);
    if (pdf.isEmpty() || failed)
        return;
    QVERIFY(fileBytes(f.home() + pdf).startsWith("%PDF"));
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        QSKIP("pdftotext is not installed: only the PDF header was checked");
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), {f.home() + pdf, QStringLiteral("-")});
    QVERIFY(pdftotext.waitForFinished(60000));
    QCOMPARE(QString::fromUtf8(pdftotext.readAllStandardOutput())
                 .split(QLatin1Char('\n'))
                 .mid(0, source->blockCount()),
             source->toPlainText().split(QLatin1Char('\n')));
}

QTEST_MAIN(ScreenFilesTest)
#include "screen_files_test.moc"

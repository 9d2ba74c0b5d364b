// The RTF that Save Clipboard writes, read back by a reader made from the RTF
// syntax and, when it is installed, opened by LibreOffice.

#include "docs/rtf_from_document.h"
#include "docs/rtf_writer.h"
#include "rtf_reader.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>

namespace {

// The hidden buffer after a paste of `html` ("MS Sans Serif", 15 px).
QByteArray rtfOfPastedHtml(const QString& html)
{
    QTextDocument doc;
    QFont buffer(QStringLiteral("MS Sans Serif"));
    buffer.setPixelSize(15);
    doc.setDefaultFont(buffer);
    QTextCursor(&doc).insertFragment(QTextDocumentFragment::fromHtml(html, &doc));
    return writeRtf(rtfDocumentOf(doc));
}

} // namespace

class RtfWriterTest : public QObject {
    Q_OBJECT
private slots:
    void runLook_data();
    void runLook();
    void textSurvives_data();
    void textSurvives();
    void opensInLibreOffice();
};

void RtfWriterTest::runLook_data()
{
    QTest::addColumn<QString>("html");
    QTest::addColumn<QString>("run"); // the whole text of the run looked at
    QTest::addColumn<QString>("font");
    QTest::addColumn<int>("halfPoints");
    QTest::addColumn<int>("color");
    QTest::addColumn<QString>("styles");

    const QString ms = QStringLiteral("MS Sans Serif");
    QTest::newRow("plain text: the buffer's font, 15 px = 11 pt") << "just text"
                                                                  << "just text" << ms << 22 << -1 << "";
    QTest::newRow("bold, and it ends with its run") << "<b>heavy</b> light"
                                                    << " light" << ms << 22 << -1 << "";
    QTest::newRow("semi-bold counts as bold") << "<span style='font-weight:600'>x</span>"
                                              << "x" << ms << 22 << -1 << "b";
    QTest::newRow("all four styles") << "a <b><i><u><s>all</s></u></i></b>"
                                     << "all" << ms << 22 << -1 << "bisu";
    QTest::newRow("font, size and colour of its own")
        << "<span style=\"font-family:'DejaVu Serif'; font-size:18pt; color:#c00000\">red</span>"
        << "red"
        << "DejaVu Serif" << 36 << 0xC00000 << "";
    QTest::newRow("half-point size") << "<span style='font-size:10.5pt'>small</span>"
                                     << "small" << ms << 21 << -1 << "";
    QTest::newRow("second font and colour keep their own entries")
        << "<i style=\"font-family:'DejaVu Sans Mono'; color:#00ff00\">a</i><s style=\"font-family:'DejaVu "
           "Serif'; "
           "color:#0000ff\">b</s>"
        << "b"
        << "DejaVu Serif" << 22 << 0x0000FF << "s";
}

void RtfWriterTest::runLook()
{
    QFETCH(QString, html);
    QFETCH(QString, run);
    const ReadRtf read = readRtf(rtfOfPastedHtml(html));
    QVERIFY2(read.problem.isEmpty(), qPrintable(read.problem));
    const ReadRun* found = read.runWith(run);
    QVERIFY(found);
    QCOMPARE(found->text, run);
    QTEST(found->font, "font");
    QTEST(found->halfPoints, "halfPoints");
    QTEST(found->color, "color");
    QTEST(found->styles, "styles");
}

void RtfWriterTest::textSurvives_data()
{
    QTest::addColumn<QString>("text"); // '\n' starts a paragraph
    QString latin1High, c1;
    for (int c = 160; c <= 255; ++c)
        latin1High += QChar(c);
    for (int c = 127; c < 160; ++c)
        c1 += QChar(c);
    QTest::newRow("an empty document") << "";
    QTest::newRow("RTF specials") << "{braces} back\\slash \\par not a word }{";
    QTest::newRow("upper half of Latin-1") << latin1High;
    QTest::newRow("DEL and the C1 range") << c1;
    QTest::newRow("outside Latin-1") << QString::fromUtf8("€ Ωμέγα Жж ✓");
    QTest::newRow("beyond the basic plane") << QString::fromUtf8("clef 𝄞 smile 🙂");
    QTest::newRow("digits and spaces after escapes") << QString::fromUtf8("é123 €4\t  5 {6}7");
    QTest::newRow("paragraphs, empty ones too") << "first\nsecond\n\nfourth\n";
    QTest::newRow("line break inside a paragraph") << QString::fromUtf16(u"one\u2028two");
}

void RtfWriterTest::textSurvives()
{
    QFETCH(QString, text);
    QTextDocument doc;
    QTextCursor(&doc).insertText(text);
    const QByteArray rtf = writeRtf(rtfDocumentOf(doc));
    const ReadRtf read = readRtf(rtf);
    QVERIFY2(read.problem.isEmpty(), qPrintable(read.problem));
    QCOMPARE(read.plainText(), text);

    // A reader that skips \uN gets every Latin-1 character from the fallback.
    for (QChar& c : text)
        if ((c.unicode() >= 128 && c.unicode() < 160) || (c.unicode() > 255 && c != QChar::LineSeparator))
            c = QLatin1Char('?');
    QCOMPARE(readRtf(rtf, true).plainText(), text);
}

namespace {

// The paragraphs of a flat ODF text, with its space, tab and line-break elements.
QString odfText(const QString& odf)
{
    QString out;
    bool inParagraph = false;
    static const QRegularExpression token(
        QStringLiteral("<(/?)text:(p|h|s|tab|line-break)\\b[^>]*?(/?)>|<[^>]*>|[^<]+"));
    for (auto it = token.globalMatch(odf.mid(odf.indexOf(QLatin1String("<office:text")))); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QString tag = m.captured(2);
        if (tag == QLatin1String("p") || tag == QLatin1String("h")) {
            inParagraph = m.captured(1).isEmpty() && m.captured(3).isEmpty();
            out += inParagraph ? QString() : QStringLiteral("\n");
        } else if (!tag.isEmpty()) {
            const int n = QRegularExpression(QStringLiteral("text:c=\"(\\d+)\""))
                              .match(m.captured(0))
                              .captured(1)
                              .toInt();
            out += tag == QLatin1String("s")  ? QString(std::max(n, 1), QLatin1Char(' '))
                : tag == QLatin1String("tab") ? QStringLiteral("\t")
                                              : QString(QChar::LineSeparator);
        } else if (inParagraph && !m.captured(0).startsWith(QLatin1Char('<'))) {
            out += m.captured(0);
        }
    }
    out.replace(QLatin1String("&lt;"), QLatin1String("<")).replace(QLatin1String("&gt;"), QLatin1String(">"));
    return out.replace(QLatin1String("&apos;"), QLatin1String("'"))
        .replace(QLatin1String("&amp;"), QLatin1String("&"));
}

} // namespace

void RtfWriterTest::opensInLibreOffice()
{
    const QString office = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (office.isEmpty())
        QSKIP("LibreOffice is not installed (QUILLMAR_TEST_OFFICE=1 scripts/test installs it)");
    QTemporaryDir dir;
    const QString styledText = QString::fromUtf8("Größe € Ωμέγα 𝄞 {x}\\y");
    const QByteArray files[] = {
        rtfOfPastedHtml(
            QStringLiteral(
                "<p>plain <b>bold</b> <i>italic</i> <u>under</u> <s>struck</s></p><p><span "
                "style=\"font-family:'DejaVu Serif'; font-size:18pt; color:#c00000\">%1</span></p>")
                .arg(styledText.toHtmlEscaped())),
        writeRtf(rtfDocumentOf(QTextDocument()))};
    QStringList args{QStringLiteral("-env:UserInstallation=file://") +
                         dir.filePath(QStringLiteral("profile")),
                     QStringLiteral("--headless"),
                     QStringLiteral("--convert-to"),
                     QStringLiteral("fodt"),
                     QStringLiteral("--outdir"),
                     dir.path()};
    for (int i = 0; i < 2; ++i) {
        QFile f(dir.filePath(QStringLiteral("%1.rtf").arg(i)));
        QVERIFY(f.open(QIODevice::WriteOnly) && f.write(files[i]) == files[i].size());
        args << f.fileName();
    }
    QProcess convert; // a profile of its own: no running office interferes
    convert.setProcessChannelMode(QProcess::MergedChannels);
    convert.start(office, args);
    QVERIFY(convert.waitForFinished(300000));
    const QByteArray log = convert.readAll();
    QFile styled(dir.filePath(QStringLiteral("0.fodt"))), empty(dir.filePath(QStringLiteral("1.fodt")));
    QVERIFY2(styled.open(QIODevice::ReadOnly) && empty.open(QIODevice::ReadOnly), log.constData());
    const QString odf = QString::fromUtf8(styled.readAll());
    QCOMPARE(odfText(odf),
             QStringLiteral("plain bold italic under struck\n") + styledText + QLatin1Char('\n'));
    for (const char* look :
         {"fo:font-weight=\"bold\"", "fo:font-style=\"italic\"", "style:text-underline-style=\"solid\"",
          "style:text-line-through-style=\"solid\"", "fo:color=\"#c00000\"", "fo:font-size=\"18pt\"",
          "fo:font-size=\"11pt\"", "&apos;DejaVu Serif&apos;", "&apos;MS Sans Serif&apos;"})
        QVERIFY2(odf.contains(QLatin1String(look)), look);
    QCOMPARE(odfText(QString::fromUtf8(empty.readAll())).trimmed(), QString());
}

QTEST_MAIN(RtfWriterTest)
#include "rtf_writer_test.moc"

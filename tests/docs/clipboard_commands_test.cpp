// The Edit menu acts on the screen in use; Save Clipboard writes what the
// clipboard holds as RTF.

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
    QTest::addColumn<QString>("clipboard"); // before
    QTest::addColumn<QString>("texts");     // receive|transmit|clipboard afterwards
    QTest::addColumn<QString>("selectedAll");

    QTest::newRow("copy from the receive screen, though the transmit screen shows too") << 0 << "copy"
                                                                                        << "clip"
                                                                                        << "rx one|tx one|rx"
                                                                                        << "";
    QTest::newRow("copy from the transmit screen") << 1 << "copy"
                                                   << "clip"
                                                   << "rx one|tx one|tx"
                                                   << "";
    QTest::newRow("cut from the receive screen: it is not read-only") << 0 << "cut"
                                                                      << "clip"
                                                                      << " one|tx one|rx"
                                                                      << "";
    QTest::newRow("cut from the transmit screen") << 1 << "cut"
                                                  << "clip"
                                                  << "rx one| one|tx"
                                                  << "";
    QTest::newRow("paste into the receive screen") << 0 << "paste"
                                                   << "clip"
                                                   << "clip one|tx one|clip"
                                                   << "";
    QTest::newRow("pasted text outside Latin-1 becomes ?")
        << 1 << "paste" << QString::fromUtf8("\u20ac\u00e9")
        << QString::fromUtf8("rx one|?\u00e9 one|\u20ac\u00e9") << "";
    QTest::newRow("select all of the receive screen") << 0 << "all"
                                                      << "clip"
                                                      << "rx one|tx one|clip"
                                                      << "rx one";
    QTest::newRow("select all of the transmit screen") << 1 << "all"
                                                       << "clip"
                                                       << "rx one|tx one|clip"
                                                       << "tx one";
    QTest::newRow("any other screen number: nothing") << 2 << "cut"
                                                      << "clip"
                                                      << "rx one|tx one|clip"
                                                      << "";
}

void ClipboardCommandsTest::editCommands()
{
    QFETCH(int, activeScreen);
    QFETCH(QString, command);
    QFETCH(QString, clipboard);
    QFETCH(QString, texts);
    QFETCH(QString, selectedAll);
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
    QTest::addColumn<QString>("html"); // "<none>": an empty clipboard
    QTest::addColumn<QString>("plain");
    QTest::addColumn<QString>("text"); // read back from the file
    QTest::addColumn<QString>("redFont");

    QTest::newRow("empty clipboard: a document with no text") << "<none>"
                                                              << ""
                                                              << ""
                                                              << "";
    QTest::newRow("plain text, outside Latin-1 too") << "" << QString::fromUtf8("line\n\u20ac \u03a9 {x}")
                                                     << QString::fromUtf8("line\n\u20ac \u03a9 {x}") << "";
    QTest::newRow("rich text keeps its look")
        << "<b>bold</b> <span style=\"color:#ff0000; font-family:'DejaVu Serif'\">red</span>"
        << "bold red"
        << "bold red"
        << "DejaVu Serif";
}

void ClipboardCommandsTest::saveClipboard()
{
    QFETCH(QString, html);
    QFETCH(QString, plain);
    QFETCH(QString, text);
    QFETCH(QString, redFont);
    WindowFixture f;
    f.show();
    auto* mime = new QMimeData;
    if (html != "<none>")
        mime->setText(plain);
    if (!html.isEmpty() && html != "<none>")
        mime->setHtml(html);
    QGuiApplication::clipboard()->setMimeData(mime);
    Ferrow->ReceiveScreenClick();
    f.query.fileAnswers << f.home() + QStringLiteral("c.rtf");

    Ferrow->SaveClipboard1Click();

    QCOMPARE(G.ActiveScreen, 0); // the focus is not moved
    QFile file(f.home() + QStringLiteral("c.rtf"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const ReadRtf read = readRtf(file.readAll());
    QVERIFY2(read.problem.isEmpty(), qPrintable(read.problem));
    QCOMPARE(read.plainText(), text);
    if (!redFont.isEmpty()) {
        QCOMPARE(read.runWith(QStringLiteral("bold"))->styles, QStringLiteral("b"));
        QCOMPARE(read.runWith(QStringLiteral("red"))->color, 0xFF0000);
        QCOMPARE(read.runWith(QStringLiteral("red"))->font, redFont);
    } else if (!text.isEmpty()) {
        QCOMPARE(read.runWith(QStringLiteral("line"))->font, QStringLiteral("MS Sans Serif"));
    }
}

QTEST_MAIN(ClipboardCommandsTest)
#include "clipboard_commands_test.moc"

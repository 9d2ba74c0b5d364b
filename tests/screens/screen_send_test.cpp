// Sending the whole transmit screen: the exact bytes and waits, the progress
// bar, both Cancel buttons, what the operator may do while it runs (type,
// press Send again, close the program), the pace set by the line, and the
// state the send leaves behind.

#include "app/caption_color.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "key_script.h"
#include "link/nr_comm.h"
#include "screens/screen_memo.h"
#include "screens/send_data_dialog.h"
#include "typing_support.h"
#include "window_fixture.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>

#include <functional>

namespace {

const QString Convers = QStringLiteral("SendString CONVERS<13>");
const QString Etx = QStringLiteral("SendString <3>");

QStringList charsSent(const QByteArray& bytes)
{
    QStringList out;
    for (const char c : bytes)
        out << QStringLiteral("SendChar %1").arg(quint8(c));
    return out;
}

QStringList wholeSend(const QByteArray& bytes)
{
    return QStringList{Convers, "pause 750"} + charsSent(bytes) + QStringList{Etx, "pause 1250"};
}

QByteArray digits(int n)
{
    QByteArray text;
    for (int i = 0; i < n; ++i)
        text += char('0' + i % 10);
    return text;
}

// Runs `action` once, in the events handled after the `at`-th character
// went out, and notes the bar's position after every character.
struct SendWatch {
    int chars = 0;
    QList<int> bar;
    int terminalUsage = -1;

    void watch(FakeTransport* device, int at, std::function<void()> action)
    {
        device->peer = [this, at, action](const QByteArray& bytes) {
            if (bytes.startsWith("CONVERS") || bytes.size() != 1 || chars < 0)
                return;
            bar << SendDataDialog->ProgressBar1->value();
            terminalUsage = Ferrow->nrComm1->GetTerminalUsage();
            if (++chars == at && action) {
                action();
                chars = -1; // what comes after the action is not a screen character
            }
        };
    }
};

void clickSend()
{
    QTest::mouseClick(Ferrow->SendScreenBtn, Qt::LeftButton);
}

} // namespace

class ScreenSendTest : public QObject {
    Q_OBJECT
private slots:
    void wholeScreen_data();
    void wholeScreen();
    void whileSending_data();
    void whileSending();
    void pacedByTheLine_data();
    void pacedByTheLine();
    void stateAfterwards();
};

void ScreenSendTest::wholeScreen_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<int>>("bar"); // position after each character; empty: not looked at

    QTest::newRow("empty screen: CONVERS, 750 ms, ETX") << "" << QByteArray() << QList<int>{};
    QTest::newRow("two lines: a b CR LF c d")
        << "ab\ncd" << QByteArray("ab\r\ncd") << QList<int>{1, 2, 3, 4, 5, 6};
    QTest::newRow("empty lines and a last line break") << "a\n\nb\n"
                                                       << QByteArray("a\r\n\r\nb\r\n") << QList<int>{};
    QTest::newRow("8-bit text and a tab as they are")
        << QString::fromLatin1("\xe9\tz") << QByteArray("\xe9\tz") << QList<int>{1, 2, 3};
    QList<int> sixty;
    for (int i = 1; i <= 60; ++i)
        sixty << qBound(1, i / 2, 25);
    QTest::newRow("60 characters: every second, 25 at the 50th")
        << QString(digits(60)) << digits(60) << sixty;
    // The screen wraps it for display; on the line it stays one line.
    QTest::newRow("a line wider than the screen") << QString(digits(400)) << digits(400) << QList<int>{};
}

void ScreenSendTest::wholeScreen()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(QList<int>, bar);
    WindowFixture f;
    startTyping(f, ScreenModeDual, SendModeBuffered);
    Ferrow->TransmitScreen->setPlainText(text);
    SendWatch w;
    w.watch(f.device(), 0, {});

    clickSend();

    QCOMPARE(f.transcript.entries, wholeSend(bytes));
    QCOMPARE(w.chars, int(bytes.size()));
    if (!bar.isEmpty())
        QCOMPARE(w.bar, bar);
    QCOMPARE(w.terminalUsage, bytes.isEmpty() ? -1 : int(tuNone));
    QCOMPARE(Ferrow->nrComm1->GetTerminalUsage(), int(tuReceive));
    QVERIFY(!SendDataDialog->isVisible());
}

void ScreenSendTest::whileSending_data()
{
    QTest::addColumn<int>("screenMode");
    QTest::addColumn<QString>("action"); // done after the 10th character
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QStringList>("after"); // what follows the characters

    const QByteArray text = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX";
    const QStringList end{Etx, "pause 1250"};
    QTest::newRow("dialog Cancel: nothing more, ETX") << ScreenModeDual << "dialog" << text.left(10) << end;
    QTest::newRow("dialog Cancel in single-screen mode")
        << ScreenModeSingle << "dialog" << text.left(10) << end;
    QTest::newRow("main Cancel in dual-screen mode") << ScreenModeDual << "main" << text.left(10) << end;
    QTest::newRow("main Cancel in single-screen mode is ignored")
        << ScreenModeSingle << "main" << text << end;
    QTest::newRow("Send again: refused, the first send goes on") << ScreenModeDual << "send" << text << end;
    QTest::newRow("text cut to 4 characters: the send ends there")
        << ScreenModeDual << "cut" << text.left(10) << end;
    QTest::newRow("text inserted before: the live character at each place")
        << ScreenModeDual << "insert" << text.left(10) + ("ZZ" + text).mid(10, 50) << end;
    QTest::newRow("closing: the send stops and finishes before the termination lines")
        << ScreenModeDual << "close" << text.left(10)
        << QStringList{Etx, "pause 1250", "SendString BYE", "pause 25", "SendChar 13", "pause 150"};
}

void ScreenSendTest::whileSending()
{
    QFETCH(int, screenMode);
    QFETCH(QString, action);
    QFETCH(QByteArray, sent);
    QFETCH(QStringList, after);
    WindowFixture f;
    startTyping(f, screenMode, SendModeBuffered);
    G.SelectedTnc = 0;
    G.TncTermCommands[0][0].store("BYE");
    Ferrow->TransmitScreen->setPlainText(
        QStringLiteral("0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX"));
    bool hiddenAtOnce = false;
    SendWatch w;
    w.watch(f.device(), 10, [&] {
        if (action == "dialog") {
            QTest::mouseClick(SendDataDialog->CancelBtn, Qt::LeftButton);
            hiddenAtOnce = !SendDataDialog->isVisible();
        } else if (action == "main") {
            QTest::mouseClick(Ferrow->CancelSendingBtn, Qt::LeftButton);
        } else if (action == "send") {
            clickSend();
        } else if (action == "cut") {
            Ferrow->TransmitScreen->setPlainText(QStringLiteral("0123"));
        } else if (action == "insert") {
            QTextCursor c(Ferrow->TransmitScreen->document());
            c.insertText(QStringLiteral("ZZ"));
        } else if (action == "close") {
            Ferrow->close();
        }
    });

    clickSend();

    const QStringList expected = QStringList{Convers, "pause 750"} + charsSent(sent) + after;
    QCOMPARE(f.transcript.entries, expected);
    QCOMPARE(hiddenAtOnce, action == "dialog");
    QVERIFY(!SendDataDialog->isVisible());
    QCOMPARE(f.device()->isOpen(), action != "close");
}

void ScreenSendTest::pacedByTheLine_data()
{
    QTest::addColumn<bool>("cancel"); // the dialog's Cancel while the send waits
    QTest::addColumn<QStringList>("sent");

    // 1200 baud: one second of line time is 120 characters; 300 are queued
    // and each 20 ms wait lets 60 of them out.
    QTest::newRow("held until a second of line time is left")
        << false << QStringList{Convers,       "pause 750",   "pause 20", "pause 20",  "pause 20",
                                "SendChar 97", "SendChar 98", Etx,        "pause 1250"};
    QTest::newRow("Cancel while held: nothing of the text goes out")
        << true << QStringList{Convers, "pause 750", "pause 20", Etx, "pause 1250"};
}

void ScreenSendTest::pacedByTheLine()
{
    QFETCH(bool, cancel);
    QFETCH(QStringList, sent);
    WindowFixture f;
    startTyping(f, ScreenModeDual, SendModeBuffered);
    Ferrow->nrComm1->SetBaudRate(1200);
    Ferrow->TransmitScreen->setPlainText(QStringLiteral("ab"));
    f.device()->outputPending = 300;
    f.pause.onPause = [&](int ms) {
        if (ms != 20)
            return;
        f.device()->outputPending -= 60;
        if (cancel)
            QMetaObject::invokeMethod(
                SendDataDialog, [] { SendDataDialog->CancelBtn->click(); }, Qt::QueuedConnection);
    };

    clickSend();

    QCOMPARE(f.transcript.entries, sent);
}

void ScreenSendTest::stateAfterwards()
{
    WindowFixture f;
    startTyping(f, ScreenModeDual, SendModeBuffered);
    typeKeys(Ferrow->TransmitScreen, "q"); // buffered, waiting for Enter
    QTest::mouseClick(Ferrow->EditXmitBtn, Qt::LeftButton);
    typeKeys(Ferrow->TransmitScreen, "x y"); // in edit mode: shown, not sent
    Ferrow->TransmitScreen->setTextCursor(QTextCursor(Ferrow->TransmitScreen->document()));

    clickSend();

    QCOMPARE(int(G.EditXmitMode), 0);
    QCOMPARE(Ferrow->EditXmitBtn->palette().color(QPalette::Active, QPalette::ButtonText), QColor(0, 128, 0));
    QCOMPARE(Ferrow->focusWidget(), static_cast<QWidget*>(Ferrow->TransmitScreen));
    QVERIFY(Ferrow->TransmitScreen->textCursor().atEnd());
    QCOMPARE(G.ActiveScreen, 1);
    QCOMPARE(G.SendPermitted, 1);
    f.transcript.clear();
    typeKeys(Ferrow->TransmitScreen, "a b <Enter>");
    QCOMPARE(f.transcript.entries, QStringList{"SendString ab<13>"});
}

QTEST_MAIN(ScreenSendTest)
#include "screen_send_test.moc"

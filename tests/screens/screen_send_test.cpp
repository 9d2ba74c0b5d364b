// Sending the whole transmit screen: the exact bytes and waits, the progress
// bar, both Cancel buttons, what the operator may do while it runs, the pace
// set by the line, and the state the send leaves behind.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "screens/screen_memo.h"
#include "screens/send_data_dialog.h"
#include "typing_support.h"
#include "window_fixture.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

const QString Convers = QStringLiteral("SendString CONVERS<13>");
const QStringList End{"SendString <3>", "pause 1250"};
const QByteArray Sixty = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX";

QStringList sendOf(const QByteArray& bytes, const QStringList& end = End)
{
    QStringList out{Convers, "pause 750"};
    for (const char c : bytes)
        out << QStringLiteral("SendChar %1").arg(quint8(c));
    return out + end;
}

// Notes the bar's position and the terminal usage as each character goes
// out, and runs `action` once, in the events handled after the `at`-th.
struct SendWatch {
    int chars = 0;
    QList<int> bar;
    int terminalUsage = -1;

    SendWatch(FakeTransport* device, int at = 0, std::function<void()> action = {})
    {
        device->peer = [this, at, action](const QByteArray& bytes) {
            if (bytes.size() != 1 || chars < 0)
                return;
            bar << SendDataDialog->ProgressBar1->value();
            terminalUsage = Ferrow->nrComm1->GetTerminalUsage();
            if (++chars == at) {
                action();
                chars = -1; // what follows is not the screen's text
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
    void send_data();
    void send();
    void pacedByTheLine_data();
    void pacedByTheLine();
    void stateAfterwards();
};

void ScreenSendTest::send_data()
{
    QTest::addColumn<int>("screenMode");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("action"); // after the 10th character
    QTest::addColumn<QByteArray>("sent");
    QTest::addColumn<QList<int>>("bar"); // after each character; empty: not looked at
    const auto row = [](const char* name, const QString& text, const QByteArray& sent,
                        const QList<int>& bar = {}, const char* action = "",
                        int screenMode = ScreenModeDual) {
        QTest::newRow(name) << screenMode << text << QString(action) << sent << bar;
    };
    QList<int> sixty;
    for (int i = 1; i <= 60; ++i)
        sixty << (i < 50 ? qMax(1, i / 2) : 25);
    const QString text(Sixty);
    const QByteArray ten = Sixty.left(10);

    row("empty screen: CONVERS, 750 ms, ETX", "", "");
    row("lines, an empty one, a last line break: CR LF each", "ab\n\ncd\n", "ab\r\n\r\ncd\r\n",
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    row("8-bit text and a tab as they are", QString::fromLatin1("\xe9\tz"), "\xe9\tz");
    row("60 characters: every second, 25 at the 50th", text, Sixty, sixty);
    // The screen wraps it for display; on the line it stays one line.
    row("a line wider than the screen", text.repeated(7), Sixty.repeated(7));
    row("dialog Cancel: nothing more, ETX", text, ten, {}, "dialog");
    row("dialog Cancel in single-screen mode", text, ten, {}, "dialog", ScreenModeSingle);
    row("main Cancel in dual-screen mode", text, ten, {}, "main");
    row("main Cancel in single-screen mode is ignored", text, Sixty, {}, "main", ScreenModeSingle);
    row("Send again: refused, the first send goes on", text, Sixty, {}, "send");
    row("text cut to 4 characters: the send ends there", text, ten, {}, "cut");
    row("text inserted before: the live character at each place", text, ten + ("ZZ" + Sixty).mid(10, 50), {},
        "insert");
    row("closing: the send stops and finishes before the termination lines", text, ten, {}, "close");
}

void ScreenSendTest::send()
{
    QFETCH(int, screenMode);
    QFETCH(QString, text);
    QFETCH(QString, action);
    QFETCH(QByteArray, sent);
    QFETCH(QList<int>, bar);
    WindowFixture f;
    startTyping(f, screenMode, SendModeBuffered);
    G.SelectedTnc = 0;
    G.TncTermCommands[0][0].store("BYE");
    Ferrow->TransmitScreen->setPlainText(text);
    bool hiddenAtOnce = false;
    SendWatch w(f.device(), action.isEmpty() ? 0 : 10, [&] {
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
            QTextCursor(Ferrow->TransmitScreen->document()).insertText(QStringLiteral("ZZ"));
        } else {
            Ferrow->close();
        }
    });

    clickSend();

    const QStringList closing{"SendString BYE", "pause 25", "SendChar 13", "pause 150"};
    QCOMPARE(f.transcript.entries, sendOf(sent, action == "close" ? End + closing : End));
    if (!bar.isEmpty())
        QCOMPARE(w.bar, bar);
    QCOMPARE(hiddenAtOnce, action == "dialog");
    QVERIFY(!SendDataDialog->isVisible());
    QCOMPARE(f.device()->isOpen(), action != "close");
    if (action.isEmpty()) { // the terminal was not in use while the text went out
        QCOMPARE(w.terminalUsage, sent.isEmpty() ? -1 : int(tuNone));
        QCOMPARE(Ferrow->nrComm1->GetTerminalUsage(), int(tuReceive));
    }
}

void ScreenSendTest::pacedByTheLine_data()
{
    QTest::addColumn<bool>("cancel"); // the dialog's Cancel while the send is held
    QTest::addColumn<QStringList>("sent");

    // At 1200 baud a second of line time is 120 characters: 300 are queued
    // and each 20 ms wait lets 60 of them out.
    QTest::newRow("held until a second of line time is left")
        << false
        << QStringList{Convers, "pause 750", "pause 20", "pause 20", "pause 20", "SendChar 97"} + End;
    QTest::newRow("Cancel while held: nothing of the text goes out")
        << true << QStringList{Convers, "pause 750", "pause 20"} + End;
}

void ScreenSendTest::pacedByTheLine()
{
    QFETCH(bool, cancel);
    QFETCH(QStringList, sent);
    WindowFixture f;
    startTyping(f, ScreenModeDual, SendModeBuffered);
    Ferrow->nrComm1->SetBaudRate(1200);
    Ferrow->TransmitScreen->setPlainText(QStringLiteral("a"));
    f.device()->outputPending = 300;
    f.pause.onPause = [&](int ms) {
        f.device()->outputPending -= ms == 20 ? 60 : 0;
        if (cancel && ms == 20)
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
    QCOMPARE(int(G.EditXmitMode), 1);
    QCOMPARE(Ferrow->EditXmitBtn->palette().color(QPalette::Inactive, QPalette::ButtonText),
             QColor(255, 0, 0));
    typeKeys(Ferrow->TransmitScreen, "x y"); // in edit mode: shown, not sent
    Ferrow->TransmitScreen->setTextCursor(QTextCursor(Ferrow->TransmitScreen->document()));

    clickSend();

    QCOMPARE(int(G.EditXmitMode), 0);
    QCOMPARE(Ferrow->EditXmitBtn->palette().color(QPalette::Active, QPalette::ButtonText), QColor(0, 128, 0));
    QCOMPARE(Ferrow->focusWidget(), static_cast<QWidget*>(Ferrow->TransmitScreen));
    QVERIFY(Ferrow->TransmitScreen->textCursor().atEnd());
    QCOMPARE(G.SendPermitted, 1);
    f.transcript.clear();
    typeKeys(Ferrow->TransmitScreen, "a b <Enter>");
    QCOMPARE(f.transcript.entries, QStringList{"SendString ab<13>"}); // the line began afresh
}

QTEST_MAIN(ScreenSendTest)
#include "screen_send_test.moc"

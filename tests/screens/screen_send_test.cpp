// Sending the whole transmit screen: the exact bytes and waits, the progress bar, both Cancel buttons, what
// the operator may do while it runs, the pace set by the line, and the state the send leaves behind.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "screens/screen_memo.h"
#include "screens/send_data_dialog.h"
#include "window_fixture.h"

#include <QProgressBar>
#include <QPushButton>
#include <QTest>

namespace {

const QByteArray Sixty = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWX";

QStringList chars(const QByteArray& bytes)
{
    QStringList out;
    for (const char c : bytes)
        out << QStringLiteral("SendChar %1").arg(quint8(c));
    return out;
}

// The window with a fake port open, buffered send mode, both screens empty.
void start(WindowFixture& f, int screenMode)
{
    f.show();
    openFakePort(1);
    G.ScreenMode = screenMode;
    G.SendMode = SendModeBuffered;
    Ferrow->TransmitScreen->clear();
    f.transcript.clear();
}

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
    void stateAfterwards();
    void dialogShownBeforeTheWait();
};

void ScreenSendTest::send_data()
{
    QTest::addColumn<int>("screenMode");
    QTest::addColumn<QString>("text");
    // After the 10th character; "held": 300 bytes queued on a 1200 baud line, each 20 ms wait lets 60 out;
    // "held cancel": the dialog's Cancel at the first wait.
    QTest::addColumn<QString>("action");
    QTest::addColumn<QStringList>("sent"); // between CONVERS with its 750 ms and the ETX with its 1250 ms
    QTest::addColumn<QList<int>>("bar");   // after each character; empty: not looked at
    const auto row = [](const char* name, const QString& text, const QStringList& sent,
                        const QList<int>& bar = {}, const char* action = "",
                        int screenMode = ScreenModeDual) {
        QTest::newRow(name) << screenMode << text << QString(action) << sent << bar;
    };
    QList<int> sixty;
    for (int i = 1; i <= 60; ++i)
        sixty << (i < 50 ? qMax(1, i / 2) : 25);
    const QString text(Sixty);
    const QStringList ten = chars(Sixty.left(10));

    row("empty screen: CONVERS, 750 ms, ETX", "", {});
    row("lines, an empty one, a last line break: CR LF each", "ab\n\ncd\n", chars("ab\r\n\r\ncd\r\n"),
        {1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    row("8-bit text and a tab as they are", QString::fromLatin1("\xe9\tz"), chars("\xe9\tz"));
    row("60 characters: every second, 25 at the 50th", text, chars(Sixty), sixty);
    // The screen wraps it for display; on the line it stays one line.
    row("a line wider than the screen", text.repeated(7), chars(Sixty.repeated(7)));
    row("dialog Cancel: nothing more, ETX", text, ten, {}, "dialog");
    row("dialog Cancel in single-screen mode", text, ten, {}, "dialog", ScreenModeSingle);
    row("main Cancel in dual-screen mode", text, ten, {}, "main");
    row("main Cancel in single-screen mode is ignored", text, chars(Sixty), {}, "main", ScreenModeSingle);
    row("Send again: refused, the first send goes on", text, chars(Sixty), {}, "send");
    row("text cut to 4 characters: the send ends there", text, ten, {}, "cut");
    row("insert before: live text sent", text, ten + chars(("ZZ" + Sixty).mid(10, 50)), {}, "insert");
    row("closing: the send stops and finishes before the termination lines", text, ten, {}, "close");
    const QStringList wait{"pause 20"};
    row("held to 1 s of line time", "a", wait + wait + wait + QStringList{"SendChar 97"}, {}, "held");
    row("Cancel while held: nothing of the text goes out", "a", wait, {}, "held cancel");
}

void ScreenSendTest::send()
{
    QFETCH(int, screenMode);
    QFETCH(QString, text);
    QFETCH(QString, action);
    QFETCH(QStringList, sent);
    QFETCH(QList<int>, bar);
    WindowFixture f;
    start(f, screenMode);
    G.SelectedTnc = 0;
    G.TncTermCommands[0][0].store("BYE");
    Ferrow->TransmitScreen->setPlainText(text);
    if (action.startsWith("held")) {
        Ferrow->nrComm1->SetBaudRate(1200);
        f.device()->outputPending = 300;
        f.pause.onPause = [&](int ms) {
            f.device()->outputPending -= ms == 20 ? 60 : 0;
            if (action == "held cancel" && ms == 20)
                QMetaObject::invokeMethod(
                    SendDataDialog, [] { SendDataDialog->CancelBtn->click(); }, Qt::QueuedConnection);
        };
    }
    // The bar and the terminal usage as each character goes out; the action after the 10th.
    const int at = action.isEmpty() || action.startsWith("held") ? 0 : 10;
    int chars = 0;
    QList<int> shownBar;
    int terminalUsage = -1;
    bool hiddenAtOnce = false;
    f.device()->peer = [&](const QByteArray& bytes) {
        if (bytes.size() != 1 || chars < 0)
            return;
        shownBar << SendDataDialog->ProgressBar1->value();
        terminalUsage = Ferrow->nrComm1->GetTerminalUsage();
        if (++chars != at)
            return;
        chars = -1; // what follows is not the screen's text
        const QHash<QString, std::function<void()>> act{
            {"dialog", [] { QTest::mouseClick(SendDataDialog->CancelBtn, Qt::LeftButton); }},
            {"main", [] { QTest::mouseClick(Ferrow->CancelSendingBtn, Qt::LeftButton); }},
            {"send", clickSend},
            {"cut", [] { Ferrow->TransmitScreen->setPlainText(QStringLiteral("0123")); }},
            {"insert",
             [] { QTextCursor(Ferrow->TransmitScreen->document()).insertText(QStringLiteral("ZZ")); }},
            {"close", [] { Ferrow->close(); }}};
        act[action]();
        hiddenAtOnce = !SendDataDialog->isVisible();
    };

    clickSend();

    QStringList end{"SendString <3>", "pause 1250"};
    if (action == "close")
        end << "SendString BYE"
            << "pause 25"
            << "SendChar 13"
            << "pause 150";
    QCOMPARE(f.transcript.entries, QStringList({"SendString CONVERS<13>", "pause 750"}) + sent + end);
    if (!bar.isEmpty())
        QCOMPARE(shownBar, bar);
    QCOMPARE(hiddenAtOnce, action == "dialog" || action == "close");
    QVERIFY(!SendDataDialog->isVisible());
    QCOMPARE(f.device()->isOpen(), action != "close");
    if (action.isEmpty()) { // the terminal was not in use while the text went out
        QCOMPARE(terminalUsage, sent.isEmpty() ? -1 : int(tuNone));
        QCOMPARE(Ferrow->nrComm1->GetTerminalUsage(), int(tuReceive));
    }
}

void ScreenSendTest::stateAfterwards()
{
    WindowFixture f;
    start(f, ScreenModeDual);
    QTest::keyClick(Ferrow->TransmitScreen, 'q'); // buffered, waiting for Enter
    QTest::mouseClick(Ferrow->EditXmitBtn, Qt::LeftButton);
    QCOMPARE(int(G.EditXmitMode), 1);
    QCOMPARE(Ferrow->EditXmitBtn->palette().color(QPalette::Inactive, QPalette::ButtonText),
             QColor(255, 0, 0));
    QTest::keyClicks(Ferrow->TransmitScreen, "xy"); // in edit mode: shown, not sent
    Ferrow->TransmitScreen->setTextCursor(QTextCursor(Ferrow->TransmitScreen->document()));

    clickSend();

    QCOMPARE(QList({int(G.EditXmitMode), G.SendPermitted}), QList({0, 1}));
    QCOMPARE(Ferrow->EditXmitBtn->palette().color(QPalette::Active, QPalette::ButtonText), QColor(0, 128, 0));
    QCOMPARE(Ferrow->focusWidget(), static_cast<QWidget*>(Ferrow->TransmitScreen));
    QVERIFY(Ferrow->TransmitScreen->textCursor().atEnd());
    f.transcript.clear();
    QTest::keyClicks(Ferrow->TransmitScreen, "ab\r");
    QCOMPARE(f.transcript.entries, QStringList{"SendString ab<13>"}); // the line began afresh
}

// The Sending Data dialog is painted before the 750 ms wait blocks the window.
void ScreenSendTest::dialogShownBeforeTheWait()
{
    WindowFixture f;
    start(f, ScreenModeDual);
    int paints = 0;
    struct PaintCounter : QObject {
        int* count;
        bool eventFilter(QObject*, QEvent* e) override
        {
            *count += e->type() == QEvent::Paint;
            return false;
        }
    } counter;
    counter.count = &paints;
    SendDataDialog->installEventFilter(&counter);
    int paintsAtWait = -1;
    f.pause.onPause = [&](int ms) {
        if (ms == 750)
            paintsAtWait = paints;
    };
    clickSend();
    SendDataDialog->removeEventFilter(&counter);
    QVERIFY(paintsAtWait > 0);
}

QTEST_MAIN(ScreenSendTest)
#include "screen_send_test.moc"

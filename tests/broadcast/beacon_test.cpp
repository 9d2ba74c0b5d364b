// The beacon on a fake device: "BC" with Once, Timer and None, the Interval
// menu and its timer query, the Broadcast Message window, and the pending
// Once beacon that a port change or the close switches off.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "broadcast/bc_form.h"
#include "operator_steps.h"
#include "window_fixture.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

const QStringList OnceOn{"SendString BEACON EVERY 1", "SendChar 13"};
const QStringList BeaconOff{"SendString BEACON EVERY 0", "pause 100", "SendChar 13"};
const QStringList Every5{"SendString BEACON EVERY 5", "pause 100", "SendChar 13"};
const QStringList NoneSent{"SendString BEACON EVERY 0", "SendChar 13"};
const QStringList Termination{"SendString MYCALL N0CALL", "pause 25", "SendChar 13", "pause 150"};
const QString NoTncBox = "Comms Error|No TNC has been selected";
const QString NoIntervalBox = "Broadcast Setup|No time interval has been selected";

QString invalidBox(const char* text)
{
    return QStringLiteral("Broadcast Timer|'%1' is not a valid integer").arg(QLatin1String(text));
}

QString checkedInterval()
{
    QStringList checked;
    for (QAction* item : {Ferrow->NONE2, Ferrow->Once, Ferrow->Timer1})
        if (item->isChecked())
            checked << item->text();
    return checked.join('+');
}

} // namespace

class BeaconTest : public QObject {
    Q_OBJECT
private slots:
    void bcButton_data();
    void bcButton();
    void messageWindow_data();
    void messageWindow();
};

void BeaconTest::bcButton_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("red");
    QTest::addColumn<bool>("pending"); // the Once tick still to come
    QTest::addColumn<QString>("checked");
    const auto row = [](const char* name, const QStringList& steps, const QStringList& sent, bool red,
                        bool pending, const char* checked, const QStringList& boxes = {}) {
        QTest::newRow(name) << steps << sent << boxes << red << pending << QString(checked);
    };
    row("Once: on, no pause, red, the 1500 ms tick armed", {"port", "Once", "BC"}, OnceOn, true, true,
        "Once");
    row("Once: the tick switches it off, pause before CR, black", {"port", "Once", "BC", "beacon tick"},
        OnceOn + BeaconOff, false, false, "Once");
    row("Once switched off by hand: the pending tick is cancelled, no new beacon",
        {"port", "Once", "BC", "BC", "beacon tick"}, OnceOn + BeaconOff, false, false, "Once");
    row("Timer 5: on with the typed period, off with the second BC", {"port", "Timer 5", "BC", "BC"},
        Every5 + BeaconOff, false, false, "Timer");
    row("None while Timer on: beacon off, caption stays red, BC then refuses",
        {"port", "Timer 5", "BC", "None", "BC"}, Every5 + NoneSent, true, false, "None", {NoIntervalBox});
    row("None while a Once is pending ends it: black, no tick left to complain",
        {"port", "Once", "BC", "None", "beacon tick"}, OnceOn + NoneSent, false, false, "None");
    row("BC without a port", {"BC"}, {}, false, false, "None", {NoTncBox});
    row("BC with None chosen", {"port", "BC"}, {}, false, false, "None", {NoIntervalBox});
    row("BC with a damaged stored interval acts as None", {"port", "damaged interval 7", "BC"}, {}, false,
        false, "None", {NoIntervalBox});
    row("interval items ignored without a port: no query, no mark moves", {"Once", "Timer 5", "None", "BC"},
        {}, false, false, "None", {NoTncBox});
    row("timer query cancelled: nothing changes, BC still beacons once", {"port", "Once", "Timer", "BC"},
        OnceOn, true, true, "Once");
    row("timer text not a number: the box, the Once mark back, never sent",
        {"port", "Once", "Timer 5x", "BC"}, OnceOn, true, true, "Once", {invalidBox("5x")});
    row("empty timer text: the box, nothing changes", {"port", "Once", "Timer ", "BC"}, OnceOn, true, true,
        "Once", {invalidBox("")});
    row("a rejected text after a good one keeps the good one", {"port", "Timer 5", "Timer 2147483648", "BC"},
        Every5, true, false, "Timer", {invalidBox("2147483648")});
    row("port change with a Once pending: off on the old port first",
        {"port", "Once", "BC", "port 2", "beacon tick"}, OnceOn + BeaconOff, false, false, "Once");
    row("port None with a Once pending: off before the port closes", {"port", "Once", "BC", "no port"},
        OnceOn + BeaconOff, false, false, "Once");
    row("close with a Once pending: off before the termination lines",
        {"port", "termination line", "Once", "BC", "close"}, OnceOn + BeaconOff + Termination, false, false,
        "Once");
    row("restart with Once stored: Once checked, BC performs a Once broadcast",
        {"port", "Once", "restart", "BC", "beacon tick"}, OnceOn + BeaconOff, false, false, "Once");
    row("restart with Timer 5 stored: Timer checked, BC sends the stored period",
        {"port", "Timer 5", "restart", "BC"}, Every5, true, false, "Timer");
    row("restart with a beacon text stored: Accept sends it",
        {"port", "text CQ de N0CALL", "restart", "Accept"},
        {"SendString BTEXT CQ de N0CALL", "pause 250", "SendChar 13"}, false, false, "None");
    row("close with a Timer beacon on leaves it running in the TNC",
        {"port", "termination line", "Timer 5", "BC", "close"}, Every5 + Termination, true, false, "Timer");
}

void BeaconTest::bcButton()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, boxes);
    QFETCH(bool, red);
    QFETCH(bool, pending);
    QFETCH(QString, checked);
    WindowFixture f;
    f.show();
    f.transcript.clear();
    for (const QString& step : steps) {
        Ferrow->ReceiveScreenClick();
        runOperatorStep(f, step);
        // "BC" hands the keyboard back to the typing screen, after a box too.
        if (step == "BC")
            QCOMPARE(G.ActiveScreen, 1);
    }
    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(f.query.boxes, boxes);
    QCOMPARE(Ferrow->BroadcastBtn->palette().color(QPalette::ButtonText), QColor(red ? Qt::red : Qt::black));
    QCOMPARE(G.BroadcastActive, red ? 1 : 0);
    QCOMPARE(Ferrow->BroadCastTimer->isActive(), pending);
    QCOMPARE(checkedInterval(), checked);
    // Only with a port is the period asked for; the first time it shows "Default String".
    const bool asked = steps.contains("port") && !steps.filter("Timer").isEmpty();
    QCOMPARE(f.query.queries.value(0),
             QString(asked ? "Broadcast Timer|Set time interval in TNC units|Default String" : ""));
    for (int limit : f.query.queryLimits)
        QCOMPARE(limit, 242);
}

void BeaconTest::messageWindow_data()
{
    QTest::addColumn<bool>("port");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("button"); // Accept, Exit or Cancel
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QStringList>("boxes");
    const auto row = [](const char* name, bool port, const QString& typed, const char* button,
                        const QByteArray& sentText, const QByteArray& stored, const QStringList& boxes = {}) {
        const QStringList sent{"SendString BTEXT " + QString::fromLatin1(sentText), "pause 250",
                               "SendChar 13"};
        QTest::newRow(name) << port << typed << QString(button) << (sentText.isNull() ? QStringList() : sent)
                            << stored << boxes;
    };
    const QString x249(249, 'x');
    row("Accept: BTEXT and the text, 250 ms, CR; the text kept", true, "CQ net", "Accept", "CQ net",
        "CQ net");
    row("Accept with an empty field: BTEXT alone", true, "", "Accept", "", "");
    row("File > Exit accepts the same way", true, "QRV", "Exit", "QRV", "QRV");
    row("the field takes 249 characters: the command fills its slot", true, x249 + "yy", "Accept",
        x249.toLatin1(), x249.toLatin1());
    row("Accept without a port: the box, nothing stored or sent", false, "CQ", "Accept", QByteArray(),
        "old text", {"Comms Error|No TNC has been selected, data not saved"});
    row("Cancel: nothing stored or sent", true, "CQ", "Cancel", QByteArray(), "old text");
}

void BeaconTest::messageWindow()
{
    QFETCH(bool, port);
    QFETCH(QString, typed);
    QFETCH(QString, button);
    QFETCH(QStringList, sent);
    QFETCH(QByteArray, stored);
    QFETCH(QStringList, boxes);
    WindowFixture f;
    f.show();
    if (port)
        openFakePort(1);
    G.BroadcastText.store("old text");
    f.transcript.clear();

    Ferrow->Message1->trigger();
    QVERIFY(BCForm->isVisible());
    QCOMPARE(BCForm->BroadcastEdit->text(), QStringLiteral("old text"));
    BCForm->BroadcastEdit->clear();
    QTest::keyClicks(BCForm->BroadcastEdit, typed);
    if (button == "Exit")
        BCForm->Exit1->trigger();
    else
        (button == "Accept" ? BCForm->BCAcceptBtn : BCForm->CancelBtn)->click();

    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(slotBytes(G.BroadcastText), stored);
    QCOMPARE(f.query.boxes, boxes);
    QVERIFY(!BCForm->isVisible());
}

QTEST_MAIN(BeaconTest)
#include "beacon_test.moc"

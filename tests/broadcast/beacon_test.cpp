// The beacon on a fake device: "BC" with Once, Timer and None, the Interval menu and its timer query, the
// Broadcast Message window, the pending Once beacon that a port change or the close switches off, and a
// restart on the settings file.

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

QStringList btext(const QString& text)
{
    return {"SendString BTEXT " + text, "pause 250", "SendChar 13"};
}

QString invalidBox(const char* text)
{
    return QStringLiteral("Broadcast Timer|'%1' is not a valid integer").arg(QLatin1String(text));
}

// "type <text>|<button>": the Broadcast Message window, the text typed after what it shows, left by
// Accept, Exit or Cancel; other steps as the operator's.
void runStep(WindowFixture& f, const QString& step)
{
    if (!step.startsWith("type "))
        return runOperatorStep(f, step);
    const QString button = step.section('|', 1);
    Ferrow->Message1->trigger();
    QVERIFY(BCForm->isVisible());
    BCForm->BroadcastEdit->end(false);
    QTest::keyClicks(BCForm->BroadcastEdit, step.mid(5).section('|', 0, 0));
    if (button == "Exit")
        BCForm->Exit1->trigger();
    else
        (button == "Accept" ? BCForm->BCAcceptBtn : BCForm->CancelBtn)->click();
    QVERIFY(!BCForm->isVisible());
}

struct Case {
    QStringList steps;
    QStringList sent;
    QString state; // the BC caption's colour, the interval checked, "pending" while the Once tick is to come
    QStringList boxes;
    QByteArray text = ""; // the beacon text kept
};

} // namespace

Q_DECLARE_METATYPE(Case)

class BeaconTest : public QObject {
    Q_OBJECT
private slots:
    void bcButton_data();
    void bcButton();
};

void BeaconTest::bcButton_data()
{
    QTest::addColumn<Case>("c");
    const auto row = [](const char* name, const QString& steps, const QStringList& sent, const char* state,
                        const QStringList& boxes = {}, const QByteArray& text = "") {
        QTest::newRow(name) << Case{steps.split(", "), sent, state, boxes, text};
    };
    row("Once: the tick ends it, pause before CR", "port, Once, BC, beacon tick", OnceOn + BeaconOff,
        "black Once");
    row("Once switched off by hand: the pending tick is cancelled, no new beacon",
        "port, Once, BC, BC, beacon tick", OnceOn + BeaconOff, "black Once");
    row("Timer 5: typed period; second BC off", "port, Timer 5, BC, BC", Every5 + BeaconOff, "black Timer");
    row("None while Timer on: beacon off, caption stays red, BC then refuses", "port, Timer 5, BC, None, BC",
        Every5 + NoneSent, "red None", {NoIntervalBox});
    row("None while a Once is pending ends it: black, no tick left to complain",
        "port, Once, BC, None, beacon tick", OnceOn + NoneSent, "black None");
    row("damaged stored interval acts as None", "port, damaged interval 7, BC", {}, "black None",
        {NoIntervalBox});
    row("no port: interval items do nothing", "Once, Timer 5, None, BC", {}, "black None", {NoTncBox});
    row("timer query cancelled: no change", "port, Once, Timer, BC", OnceOn, "red Once pending");
    row("timer text not a number: the box, the Once mark back, never sent", "port, Once, Timer 5x, BC",
        OnceOn, "red Once pending", {invalidBox("5x")});
    row("a rejected text after a good one keeps the good one", "port, Timer 5, Timer 2147483648, BC", Every5,
        "red Timer", {invalidBox("2147483648")});
    row("a port change, then port None, with a Once pending: off on the old port first",
        "port, Once, BC, port 2, BC, no port", OnceOn + BeaconOff + OnceOn + BeaconOff, "black Once");
    row("close with a Once pending: off before the termination lines",
        "port, termination line, Once, BC, close", OnceOn + BeaconOff + Termination, "black Once");
    row("close with a Timer beacon on leaves it running in the TNC",
        "port, termination line, Timer 5, BC, close", Every5 + Termination, "red Timer");
    row("restart with Once stored: BC performs a Once broadcast", "port, Once, restart, BC, beacon tick",
        OnceOn + BeaconOff, "black Once");

    const QString x249(249, 'x');
    row("message window: Accept sends BTEXT, 250 ms, CR; reopened, Exit accepts too; Cancel does nothing",
        "port, type CQ|Accept, type  net|Exit, type QRV|Cancel", btext("CQ") + btext("CQ net"), "black None",
        {}, "CQ net");
    row("message window: 249 characters fill the command's slot", "port, type " + x249 + "yy|Accept",
        btext(x249), "black None", {}, x249.toLatin1());
    row("message window without a port: the box, nothing stored or sent", "type CQ|Accept", {}, "black None",
        {"Comms Error|No TNC has been selected, data not saved"});
    row("restart with Timer 5 and a beacon text stored: BC sends the period, Accept the text",
        "port, Timer 5, type CQ|Accept, restart, BC, Accept", Every5 + btext("CQ"), "red Timer", {}, "CQ");
}

void BeaconTest::bcButton()
{
    QFETCH(Case, c);
    WindowFixture f;
    f.show();
    f.transcript.clear();
    for (const QString& step : c.steps) {
        Ferrow->ReceiveScreenClick();
        runStep(f, step);
        // "BC" hands the keyboard back to the typing screen, after a box too.
        if (step == "BC")
            QCOMPARE(G.ActiveScreen, 1);
    }
    QCOMPARE(f.transcript.entries, c.sent);
    QCOMPARE(f.query.boxes, c.boxes);
    const QString checked = checkedCaptions({Ferrow->NONE2, Ferrow->Once, Ferrow->Timer1});
    const bool red = Ferrow->BroadcastBtn->palette().color(QPalette::ButtonText) == Qt::red;
    QVERIFY(red || Ferrow->BroadcastBtn->palette().color(QPalette::ButtonText) == Qt::black);
    QCOMPARE(QStringList({red ? "red" : "black", checked}).join(' ') +
                 (Ferrow->BroadCastTimer->isActive() ? " pending" : ""),
             c.state);
    QCOMPARE(G.BroadcastActive, red ? 1 : 0);
    QCOMPARE(slotBytes(G.BroadcastText), c.text);
    // Only with a port is the period asked for, at most 242 characters; first "Default String".
    const bool asked = c.steps.contains("port") && !c.steps.filter("Timer").isEmpty();
    QCOMPARE(f.query.queries.value(0),
             QString(asked ? "Broadcast Timer|Set time interval in TNC units|Default String" : ""));
    QCOMPARE(f.query.queryLimits.count(242), f.query.queryLimits.size());
}

QTEST_MAIN(BeaconTest)
#include "beacon_test.moc"

// The beacon: "BC" switches the TNC's beacon on and off, the Interval menu
// chooses between one beacon (Once) and a periodic one (Timer), and the
// Message item opens the window that sets the beacon text.

#include "app/ferrow.h"

#include "app/caption_color.h"
#include "app/forms.h"
#include "app/seams.h"
#include "app/state.h"
#include "broadcast/bc_form.h"
#include "broadcast/beacon_commands.h"
#include "link/nr_comm.h"
#include "link/setup_window_parts.h"

#include <QAction>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QColor BeaconOnColor(255, 0, 0);
const QColor BeaconOffColor(0, 0, 0);

void sendBeaconOff(TFerrow& w)
{
    w.nrComm1->SendString("BEACON EVERY 0");
    Pause(100);
    w.nrComm1->SendChar(13);
}

// Off as "BC" switches it off. The pending end of a Once beacon is cancelled
// with it: a tick left to run would start a new beacon the operator just
// stopped.
void switchBeaconOff(TFerrow& w)
{
    w.BroadCastTimer->stop();
    G.BroadcastActive = 0;
    setCaptionColor(w.BroadcastBtn, BeaconOffColor);
    sendBeaconOff(w);
}

void switchBeaconOn(TFerrow& w)
{
    G.BroadcastActive = 1;
    setCaptionColor(w.BroadcastBtn, BeaconOnColor);
    if (G.BroadcastInterval == BroadcastOnce) {
        w.nrComm1->SendString("BEACON EVERY 1");
        w.nrComm1->SendChar(13);
        w.BroadCastTimer->start();
    } else {
        w.nrComm1->SendString(beaconEveryCommand(G.BroadcastTimerText));
        Pause(100);
        w.nrComm1->SendChar(13);
    }
}

// The check marks of the Interval menu for an interval; a value outside the
// three acts as None and shows as None.
void checkInterval(TFerrow& w, std::int32_t interval)
{
    const bool once = interval == BroadcastOnce;
    const bool timer = interval == BroadcastOnTimer;
    w.NONE2->setChecked(!once && !timer);
    w.Once->setChecked(once);
    w.Timer1->setChecked(timer);
}

} // namespace

void TFerrow::Message1Click()
{
    showSetupWindow(BCForm);
}

void TFerrow::BroadcastBtnClick()
{
    if (G.CommPortNumber == NoCommPort) {
        Query().messageBox(this, QStringLiteral("No TNC has been selected"), QStringLiteral("Comms Error"));
    } else if (G.BroadcastInterval != BroadcastOnce && G.BroadcastInterval != BroadcastOnTimer) {
        // None, or a value a damaged settings file left behind.
        Query().messageBox(this, QStringLiteral("No time interval has been selected"),
                           QStringLiteral("Broadcast Setup"));
    } else if (G.BroadcastActive == 1) {
        switchBeaconOff(*this);
    } else {
        switchBeaconOn(*this);
    }
    FocusTypingScreen();
}

void TFerrow::BroadCastTimerTimer()
{
    BroadCastTimer->stop();
    BroadcastBtnClick();
}

void TFerrow::SwitchOffPendingOnceBeacon()
{
    // The TNC would otherwise go on beaconing every period, unattended,
    // after the operator asked for one beacon.
    if (BroadCastTimer->isActive() && G.BroadcastActive == 1)
        switchBeaconOff(*this);
}

void TFerrow::NONE2Click()
{
    if (G.CommPortNumber == NoCommPort)
        return;
    checkInterval(*this, BroadcastNone);
    G.BroadcastInterval = BroadcastNone;
    if (BroadCastTimer->isActive()) {
        // This BEACON EVERY 0 ends the pending Once beacon; its tick would
        // only find no interval and complain.
        BroadCastTimer->stop();
        G.BroadcastActive = 0;
        setCaptionColor(BroadcastBtn, BeaconOffColor);
    }
    nrComm1->SendString("BEACON EVERY 0");
    nrComm1->SendChar(13);
}

void TFerrow::OnceClick()
{
    if (G.CommPortNumber == NoCommPort)
        return;
    checkInterval(*this, BroadcastOnce);
    G.BroadcastInterval = BroadcastOnce;
}

void TFerrow::Timer1Click()
{
    if (G.CommPortNumber == NoCommPort)
        return;
    checkInterval(*this, BroadcastOnTimer);
    QByteArray text = G.BroadcastTimerText;
    if (!Query().textQuery(QStringLiteral("Broadcast Timer"),
                           QStringLiteral("Set time interval in TNC units"), text, MaxIntervalText)) {
        // Declined: "BC" keeps doing what it did before.
        checkInterval(*this, G.BroadcastInterval);
        return;
    }
    if (!isIntervalText(text)) {
        Query().messageBox(this, QStringLiteral("'%1' is not a valid integer").arg(QString::fromLatin1(text)),
                           QStringLiteral("Broadcast Timer"));
        // The rejected text is never sent, and the menu shows what "BC" will do.
        checkInterval(*this, G.BroadcastInterval);
        return;
    }
    G.BroadcastTimerText = text;
    G.BroadcastTimerValue = text.toInt();
    G.BroadcastInterval = BroadcastOnTimer;
}

// The settings load: the stored text into the window's field, the stored
// interval's check mark (a value outside the three moves none). Nothing is
// sent: no port is open yet.
void TFerrow::applyStoredBroadcastText()
{
    setEditText(BCForm->BroadcastEdit, slotBytes(G.BroadcastText));
}

void TFerrow::applyStoredBroadcastInterval()
{
    if (G.BroadcastInterval >= BroadcastOnce && G.BroadcastInterval <= BroadcastNone)
        checkInterval(*this, G.BroadcastInterval);
}

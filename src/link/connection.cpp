// The four connection buttons: each writes its fixed sequence to the TNC,
// with the pauses the TNC needs between the parts, and hands the keyboard
// back to the typing screen.

#include "app/ferrow.h"

#include "app/combo_box.h"
#include "app/forms.h"
#include "app/seams.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "link/station_form.h"

namespace {

constexpr quint8 CR = 13;

// The character that takes the TNC out of converse mode, as a one-byte text.
QByteArray commandCharText()
{
    return QByteArray(1, static_cast<char>(G.CommandChar));
}

} // namespace

bool TFerrow::PortChosenOrWarn(const QString& text)
{
    if (G.CommPortNumber != NoCommPort)
        return true;
    Query().messageBox(this, text, QStringLiteral("Communication Setup"));
    return false;
}

void TFerrow::ConnectBtnClick()
{
    if (!PortChosenOrWarn(QStringLiteral("No Comms port has been selected!")))
        return;
    const int station = ConnectList->currentIndex();
    if (station < 0)
        return;
    // The path is the whole connect command as the TNC expects it.
    SendLineAndFocus(StationForm->stationPath(station));
}

void TFerrow::SendLineAndFocus(const QByteArray& text)
{
    nrComm1->SendString(text);
    Pause(100);
    nrComm1->SendChar(CR);
    FocusTypingScreen();
}

void TFerrow::DisconnectBtnClick()
{
    nrComm1->SendString(commandCharText());
    Pause(100);
    nrComm1->SendString("DISCONNECT");
    Pause(100);
    nrComm1->SendChar(CR);
    FocusTypingScreen();
}

void TFerrow::TncResetBtnClick()
{
    nrComm1->SendString(commandCharText());
    nrComm1->SendString("DISCONNE\r");
    FocusTypingScreen();
}

void TFerrow::ConverseBtnClick()
{
    nrComm1->SendString("CONVERS\r");
    Pause(100);
    FocusTypingScreen();
}

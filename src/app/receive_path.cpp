// The route of a received byte crosses four folders; it is bound here, one
// hop a line, so it reads in one place.

#include "app/ferrow.h"

#include "app/state.h"
#include "link/nr_comm.h"
#include "screens/screen_memo.h"
#include "transfer/nr_zmodem.h"

void TFerrow::WireReceivePath()
{
    // 1. Port -> nrComm1: TnrComm reads its own transport (link/nr_comm.cpp).
    // 2. nrComm1 -> nrZModem1: ZModem sees every byte first; it keeps a
    //    transfer's bytes and watches the rest for the start of one.
    nrComm1->SetDataProcessor(nrZModem1);
    // 3. nrComm1 -> receive screen: what ZModem leaves belongs to the terminal.
    nrComm1->SetTerminal([this](const QByteArray& bytes) { ReceiveScreen->receiveBytes(bytes); });
    // 4. Receive screen -> its character stage (screens/receive_keyboard.cpp),
    //    each byte marked as received data.
    ReceiveScreen->OnReceiveChar = [this](char& key) {
        G.ReceiveFlag = 1;
        ReceiveScreenKeyPress(key);
    };
    // 5. nrComm1 -> the receive event (alerts/receive_alarm.cpp), once the
    //    delivery is in the screen.
    connect(nrComm1, &TnrComm::OnAfterReceive, this, &TFerrow::nrComm1AfterReceive);
}

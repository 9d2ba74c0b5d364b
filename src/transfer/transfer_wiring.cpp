// Connects the file-transfer controls and the ZModem component's events to
// their handlers.

#include "app/ferrow.h"
#include "transfer/nr_zmodem.h"

#include <QPushButton>

void TFerrow::WireTransferHandlers()
{
    wire(ZFileOpenBtn, &TFerrow::ZFileOpenBtnClick);
    wire(ZSendBtn, &TFerrow::ZSendBtnClick);
    wire(ZBreakBtn, &TFerrow::ZBreakBtnClick);
    wire(ZEnable, &TFerrow::ZEnableClick);
    wire(ZDisable, &TFerrow::ZDisableClick);
    wire(ConverseOn, &TFerrow::ConverseOnClick);
    wire(ConverseOff, &TFerrow::ConverseOffClick);
    wire(RcvDir, &TFerrow::RcvDirClick);
    wire(ModemConnect, &TFerrow::ModemConnectClick);
    connect(nrZModem1, &TnrZModem::OnBeforeReceived, this, &TFerrow::nrZModem1BeforeReceived);
    connect(nrZModem1, &TnrZModem::OnAfterFileReceived, this, &TFerrow::nrZModem1AfterFileReceived);
    connect(nrZModem1, &TnrZModem::OnAfterFileSent, this, &TFerrow::nrZModem1AfterFileSent);
    connect(nrZModem1, &TnrZModem::OnSuccessfulEnd, this, &TFerrow::nrZModem1SuccessfulEnd);
    connect(nrZModem1, &TnrZModem::OnAbort, this, &TFerrow::nrZModem1Abort);
    connect(nrZModem1, &TnrZModem::OnReceiveStarted, this, &TFerrow::nrZModem1ReceiveStarted);
    connect(nrZModem1, &TnrZModem::OnTransferEnded, this, &TFerrow::nrZModem1TransferEnded);
}

// What the program does each time the serial layer has delivered data.

#include "app/ferrow.h"

#include "app/state.h"
#include "link/nr_semaphore.h"

void TFerrow::nrComm1AfterReceive()
{
    // Data came in: the link is alive, so both lamps light while a port is in use.
    if (G.CommPortSelected != 0) {
        CTS_Status->SetChecked(true);
        DSR_Status->SetChecked(true);
    }
    G.ReceiveFlag = 1;
}

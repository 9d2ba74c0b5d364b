// Connects the screens' events and the typing commands to their handlers.

#include "app/ferrow.h"
#include "screens/screen_memo.h"

void TFerrow::WireScreenHandlers()
{
    TransmitScreen->OnClick = [this] { TransmitScreenClick(); };
    TransmitScreen->OnMouseDown = [this] { TransmitScreenMouseDown(); };
    ReceiveScreen->OnClick = [this] { ReceiveScreenClick(); };
    ReceiveScreen->OnMouseDown = [this] { ReceiveScreenMouseDown(); };
}

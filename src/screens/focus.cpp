// Handing the keyboard back to the typing screen, and tracking which screen
// the operator last worked in.

#include "app/ferrow.h"
#include "app/state.h"
#include "screens/screen_memo.h"

void TFerrow::FocusTypingScreen()
{
    if (G.ScreenMode == ScreenModeDual) {
        TransmitScreen->setFocus();
        TransmitScreen->moveCaretToEnd();
        TransmitScreenClick();
    } else {
        ReceiveScreen->setFocus();
        ReceiveScreen->moveCaretToEnd();
        ReceiveScreenClick();
    }
}

void TFerrow::TransmitScreenClick()
{
    G.ActiveScreen = ActiveTransmitScreen;
    TransmitScreen->setFocus();
}

void TFerrow::TransmitScreenMouseDown()
{
    TransmitScreenClick();
}

void TFerrow::ReceiveScreenClick()
{
    G.ActiveScreen = ActiveReceiveScreen;
    ReceiveScreen->setFocus();
}

void TFerrow::ReceiveScreenMouseDown()
{
    ReceiveScreenClick();
}

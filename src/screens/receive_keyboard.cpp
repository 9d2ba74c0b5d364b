// The receive screen's character stage serves two sources: bytes from the
// TNC, cleaned for display, and the operator's keys, which are sent only in
// single-screen mode, where the receive screen is the typing screen.

#include "app/ferrow.h"

#include "app/state.h"
#include "display_cleaning.h"
#include "screen_memo.h"
#include "transfer/nr_zmodem.h"

void TFerrow::ReceiveScreenKeyDown(quint16& Key, TShiftState Shift)
{
    G.ReceiveFlag = 0;
    if (G.ScreenMode == ScreenModeSingle)
        TypingKeyDown(ReceiveScreen, Key, Shift);
}

void TFerrow::ReceiveScreenKeyPress(char& Key)
{
    if (G.ReceiveFlag == 1) {
        Key = char(cleanForDisplay(quint8(Key)));
        // While the operations log is on, received text always lands at the end.
        if (G.LogFileState == LogFileOpen)
            ReceiveScreen->moveCaretToEnd();
    } else if (G.ScreenMode == ScreenModeSingle) {
        if (Key == 26)
            Key = 0;
        SendTypedCharacter(Key);
    }
    G.ReceiveFlag = 1;
}

void TFerrow::ReceiveScreenKeyUp(quint16&, TShiftState)
{
    // The receive screen gets no prompt.
}

void TFerrow::flushPendingReceive()
{
    // Text held after a start heard on the line is received text as well.
    nrZModem1->ReleaseHeldText();
    ReceiveScreen->flushReceived();
}

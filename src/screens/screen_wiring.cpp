// Connects the screens' events and the typing commands to their handlers.

#include "app/ferrow.h"
#include "app/state.h"
#include "screens/screen_memo.h"

#include <QPushButton>

void TFerrow::WireScreenHandlers()
{
    TransmitScreen->OnClick = [this] { TransmitScreenClick(); };
    TransmitScreen->OnMouseDown = [this] { TransmitScreenMouseDown(); };
    ReceiveScreen->OnClick = [this] { ReceiveScreenClick(); };
    ReceiveScreen->OnMouseDown = [this] { ReceiveScreenMouseDown(); };

    TransmitScreen->OnKeyDown = [this](quint16& key, TShiftState shift) {
        TransmitScreenKeyDown(key, shift);
    };
    TransmitScreen->OnKeyPress = [this](char& key) { TransmitScreenKeyPress(key); };
    TransmitScreen->OnKeyUp = [this](quint16& key, TShiftState shift) { TransmitScreenKeyUp(key, shift); };

    // Both sources reach the one character stage, each with ReceiveFlag
    // telling what it is: a key pressed without a character (an arrow key)
    // can never make a received byte count as typed, and a composed
    // character typed without a key press never counts as received.
    ReceiveScreen->OnKeyDown = [this](quint16& key, TShiftState shift) { ReceiveScreenKeyDown(key, shift); };
    ReceiveScreen->OnKeyPress = [this](char& key) {
        G.ReceiveFlag = 0;
        ReceiveScreenKeyPress(key);
    };
    ReceiveScreen->OnKeyUp = [this](quint16& key, TShiftState shift) { ReceiveScreenKeyUp(key, shift); };
    ReceiveScreen->OnReceiveChar = [this](char& key) {
        G.ReceiveFlag = 1;
        ReceiveScreenKeyPress(key);
    };

    wire(Immediate, &TFerrow::ImmediateClick);
    wire(Buffered, &TFerrow::BufferedClick);
    wire(EditXmitBtn, &TFerrow::EditXmitBtnClick);
}

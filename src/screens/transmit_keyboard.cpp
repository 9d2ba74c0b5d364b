// Typing in the transmit screen, the send-mode menu and the Edit button.

#include "app/caption_color.h"
#include "app/ferrow.h"

#include "app/state.h"
#include "clipboard_insert.h"
#include "screen_memo.h"

#include <QAction>
#include <QPushButton>

namespace {

bool typingIsSent()
{
    return G.ScreenMode == ScreenModeDual && G.EditXmitMode != 1;
}

} // namespace

void TFerrow::TransmitScreenKeyDown(quint16& Key, TShiftState Shift)
{
    if (typingIsSent())
        TypingKeyDown(TransmitScreen, Key, Shift);
}

void TFerrow::TransmitScreenKeyPress(char& Key)
{
    // SUB would make the screen undo; it never reaches the screen, in any mode.
    if (Key == 26) {
        Key = 0;
        return;
    }
    if (typingIsSent())
        SendTypedCharacter(Key);
}

void TFerrow::TransmitScreenKeyUp(quint16& Key, TShiftState)
{
    // Every new line in the transmit screen starts with the prompt, also
    // while editing locally.
    if (Key == 13)
        InsertAtCaret(TransmitScreen, "< ");
}

void TFerrow::InsertAtCaret(TScreenMemo* screen, const QByteArray& text)
{
    if (!text.isEmpty())
        insertThroughClipboard(screen == TransmitScreen ? TmpXmitBuf : TmpRcvBuf, screen, text);
    screen->moveCaretToEnd();
    screen->setFocus();
}

void TFerrow::ImmediateClick()
{
    G.SendMode = SendModeImmediate;
    Immediate->setChecked(true);
    Buffered->setChecked(false);
}

void TFerrow::BufferedClick()
{
    G.SendMode = SendModeBuffered;
    Buffered->setChecked(true);
    Immediate->setChecked(false);
}

void TFerrow::EditXmitBtnClick()
{
    G.EditXmitMode = G.EditXmitMode == 1 ? 0 : 1;
    setCaptionColor(EditXmitBtn, G.EditXmitMode == 1 ? QColor(255, 0, 0) : QColor(0, 128, 0));
    TransmitScreen->setFocus();
}

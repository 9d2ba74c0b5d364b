// The settings load's apply steps for the screens: the stored screen mode
// and colour scheme through their menu commands, and each screen's font from
// the record of the scheme in use.

#include "app/ferrow.h"

#include "app/state.h"
#include "font_record.h"
#include "screen_memo.h"

namespace {

// Name, colour, size, pitch, style, then height, which decides the size.
// The record itself stays as it was read: a damaged height is only held
// within bounds on the screen, and the file gets back what it held.
void applyFontRecord(TFerrow& w, TScreenMemo* screen, const ScreenFontRecord& record)
{
    screen->setFontColor(record.Color);
    screen->setFont(fontFromRecord(record, screen->font(), logicalDpi(screen)));
    w.FitScreensToFonts();
}

} // namespace

void TFerrow::applyStoredScreenMode()
{
    if (G.ScreenMode == ScreenModeDual)
        DualScreenBtnClick();
    else
        SingleScreenBtnClick();
}

void TFerrow::applyStoredColorScheme()
{
    if (G.ColorScheme == ColorSchemeWhite)
        White1Click();
    else
        Black1Click();
}

void TFerrow::applyStoredTransmitFont()
{
    applyFontRecord(*this, TransmitScreen,
                    G.ColorScheme == ColorSchemeWhite ? G.TransmitFontWhite : G.TransmitFontBlack);
}

void TFerrow::applyStoredReceiveFont()
{
    applyFontRecord(*this, ReceiveScreen,
                    G.ColorScheme == ColorSchemeWhite ? G.ReceiveFontWhite : G.ReceiveFontBlack);
}

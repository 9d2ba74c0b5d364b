// Screen modes, colour schemes and the fonts of the two screens.

#include "app/ferrow.h"

#include "app/state.h"
#include "font_dialog.h"
#include "font_record.h"
#include "link/nr_comm.h"
#include "screen_memo.h"

#include <QAction>
#include <QPlainTextEdit>

namespace {

void showScheme(TFerrow& w, qint32 background, const ScreenFontRecord& receive,
                const ScreenFontRecord& transmit)
{
    for (TScreenMemo* screen : {w.ReceiveScreen, w.TransmitScreen})
        screen->setBackColor(background);
    w.ReceiveScreen->setFontColor(receive.Color);
    w.TransmitScreen->setFontColor(transmit.Color);
}

// The record a font command writes: the one of the scheme in use.
ScreenFontRecord& recordOfScheme(ScreenFontRecord& white, ScreenFontRecord& black)
{
    return G.ColorScheme == ColorSchemeWhite ? white : black;
}

void giveDialogFont(TFerrow& w, TScreenMemo* screen, const TFontDialog& dialog)
{
    screen->setFont(withinFontLimits(dialog.Font, logicalDpi(screen)));
    screen->setFontColor(dialog.Color);
    w.FitScreensToFonts();
}

void storeScreenFont(const TScreenMemo* screen, ScreenFontRecord& record)
{
    storeFontFields(record, fontRecordOf(screen->font(), screen->FontColor, logicalDpi(screen)));
}

void makeTypingScreen(TScreenMemo* screen)
{
    screen->setReadOnly(false);
    screen->moveCaretToEnd();
    screen->setFocus();
}

} // namespace

void TFerrow::SingleScreenBtnClick()
{
    // Received text still waiting goes in before the caret moves to the end.
    flushPendingReceive();
    SingleScreenBtn->setChecked(true);
    DualScreenBtn->setChecked(false);
    G.ScreenMode = ScreenModeSingle;
    makeTypingScreen(ReceiveScreen);
    ReceiveScreenClick();
    nrComm1->SetTerminalUsage(tuReceive);
    ModeMemo->setPlainText(QStringLiteral("Single Screen"));
}

void TFerrow::DualScreenBtnClick()
{
    flushPendingReceive();
    ModeMemo->setPlainText(QStringLiteral("Dual Screen"));
    DualScreenBtn->setChecked(true);
    SingleScreenBtn->setChecked(false);
    G.ScreenMode = ScreenModeDual;
    makeTypingScreen(TransmitScreen);
    TransmitScreenClick();
    nrComm1->SetTerminalUsage(tuReceive);
}

void TFerrow::White1Click()
{
    White1->setChecked(true);
    Black1->setChecked(false);
    G.ColorScheme = ColorSchemeWhite;
    showScheme(*this, clWindow, G.ReceiveFontWhite, G.TransmitFontWhite);
}

void TFerrow::Black1Click()
{
    Black1->setChecked(true);
    White1->setChecked(false);
    G.ColorScheme = ColorSchemeBlack;
    showScheme(*this, clBlack, G.ReceiveFontBlack, G.TransmitFontBlack);
}

void TFerrow::ReceiveFont1Click()
{
    G.FontTarget = FontTargetReceive;
    if (FontDialog1->Execute())
        giveDialogFont(*this, ReceiveScreen, *FontDialog1);
    // Stored whether confirmed or not.
    storeScreenFont(ReceiveScreen, recordOfScheme(G.ReceiveFontWhite, G.ReceiveFontBlack));
}

void TFerrow::TransmitFont1Click()
{
    G.FontTarget = FontTargetTransmit;
    if (FontDialog1->Execute())
        giveDialogFont(*this, TransmitScreen, *FontDialog1);
    storeScreenFont(TransmitScreen, recordOfScheme(G.TransmitFontWhite, G.TransmitFontBlack));
}

void TFerrow::FontDialog1Apply()
{
    if (G.FontTarget == FontTargetReceive)
        giveDialogFont(*this, ReceiveScreen, *FontDialog1);
    else if (G.FontTarget == FontTargetTransmit)
        giveDialogFont(*this, TransmitScreen, *FontDialog1);
}

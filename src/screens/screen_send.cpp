// Sending the transmit screen's whole text in converse mode, with the Sending
// Data dialog and the two Cancel buttons.

#include "app/ferrow.h"

#include "app/caption_color.h"
#include "app/forms.h"
#include "app/seams.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "screen_memo.h"
#include "screen_text_reader.h"
#include "send_data_dialog.h"
#include "send_progress.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QWindow>

namespace {

// Line time the send lets queue up behind the port: a Cancel stops the text
// on the air within about this long, instead of after the whole screen
// went into the operating system's buffer.
constexpr qint64 MaxQueuedLineTimeMs = 1000;
// How often a held send looks at the queue again, events handled between.
constexpr int LinePollMs = 20;

// Waits, handling events, while the line is more than its share behind;
// returns at once when the send is cancelled meanwhile.
void waitForTheLine(TnrComm* comm)
{
    while (G.SendPermitted == 1 && comm->PendingLineTimeMs() > MaxQueuedLineTimeMs) {
        QCoreApplication::processEvents();
        if (G.SendPermitted == 1)
            Pause(LinePollMs);
    }
}

// Sends the text character by character while the send is permitted. The
// text is read live: what the operator changes meanwhile is what goes out,
// and a text cut short ends the loop at its new end.
void sendText(TFerrow& w, ScreenTextReader& text, int length)
{
    QProgressBar* bar = SendDataDialog->ProgressBar1;
    const int step = progressStep(length, bar->maximum());
    for (int i = 1; i <= length && G.SendPermitted == 1; ++i) {
        waitForTheLine(w.nrComm1);
        if (G.SendPermitted != 1)
            break;
        const std::optional<char> c = text.at(i - 1);
        if (!c)
            break;
        // Taken back on a Cancel while it still waits in the serial layer;
        // what the operator types meanwhile is not.
        w.nrComm1->SendRevocableChar(quint8(*c));
        bar->setValue(progressPosition(i, step, bar->minimum(), bar->maximum()));
        QCoreApplication::processEvents();
    }
}

// The closing steps of a send, run once whether it ended, was cancelled or
// is being stopped because the program closes.
void finishSend(TFerrow& w)
{
    if (!w.screenSendRunning)
        return;
    w.screenSendRunning = false;
    if (G.SendPermitted != 1)
        w.nrComm1->DropRevocable();
    w.nrComm1->SendString(QByteArray(1, char(G.CommandChar)));
    Pause(1250);
    w.nrComm1->SetTerminalUsage(tuReceive);
    SendDataDialog->hide();
    G.EditXmitMode = 0;
    setCaptionColor(w.EditXmitBtn, QColor(0, 128, 0));
    w.TransmitScreen->moveCaretToEnd();
    w.TransmitScreen->setFocus();
    w.FocusTypingScreen();
}

// Lets the window system show a freshly shown window and paints it, waiting
// a little at most for it to be exposed.
void paintNow(QWidget* window)
{
    QElapsedTimer waited;
    waited.start();
    do
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 10);
    while (window->windowHandle() && !window->windowHandle()->isExposed() && waited.elapsed() < 100);
    window->repaint();
}

} // namespace

void TFerrow::SendScreenBtnClick()
{
    // A second Send from within the first one's event handling is refused.
    if (screenSendRunning)
        return;
    screenSendRunning = true;
    G.SendPermitted = 1;
    SendDataDialog->showCentredOn(this);
    // On screen before the wait below blocks the window for 750 ms.
    paintNow(SendDataDialog);
    // What was received before the send is on the screen before the serial
    // layer starts holding what comes in during it.
    flushPendingReceive();
    nrComm1->SetTerminalUsage(tuNone);
    nrComm1->SendString("CONVERS\r");
    Pause(750);
    ScreenTextReader text(TransmitScreen->document());
    const int length = text.length();
    G.LineIndex = 0;
    sendText(*this, text, length);
    finishSend(*this);
}

void TFerrow::CancelSendingBtnClick()
{
    // In single-screen mode this button does not stop a send.
    if (G.ScreenMode == ScreenModeDual)
        G.SendPermitted = 0;
    FocusTypingScreen();
}

void TFerrow::StopScreenSend()
{
    if (!screenSendRunning)
        return;
    SendDataDialog->CancelBtnClick();
    finishSend(*this);
}

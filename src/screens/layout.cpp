// The screen stack when the window changes size and when the operator drags
// the splitter between the two screens.

#include "app/ferrow.h"

#include "app/state.h"
#include "screen_layout.h"
#include "screen_memo.h"

#include <QtMath>

namespace {

StackGeometry geometryOf(const TFerrow& w)
{
    StackGeometry g;
    // The client area's width: what the window's outer width less its
    // borders comes to.
    g.clientWidth = w.centralWidget()->width();
    g.band1Top = w.ControlPanel->y();
    g.band1Height = w.ControlPanel->height();
    g.band2Top = w.ControlPanel2->y();
    g.band2Height = w.ControlPanel2->height();
    g.splitterHeight = w.SplitterPanel->height();
    g.statusTop = w.StatusPanel->y();
    return g;
}

// One text line of a screen's font, inside its frame and margins: the least
// a screen shows, so that even the largest fonts leave the splitter room.
int oneLine(const TScreenMemo* screen)
{
    const int margins = 2 * screen->frameWidth() + 2 * qCeil(screen->document()->documentMargin());
    return screen->fontMetrics().lineSpacing() + margins;
}

SplitterRange splitterRangeOf(const TFerrow& w, const StackGeometry& g)
{
    return splitterRange(g, SplitterBounds{oneLine(w.ReceiveScreen), oneLine(w.TransmitScreen)});
}

// The least travel the splitter keeps when both screens hold their line.
constexpr int MinSplitterTravel = 16;

void place(QWidget* w, int top, int width, int height)
{
    w->setGeometry(w->x(), top, width, qMax(0, height));
}

} // namespace

void TFerrow::FormResize()
{
    const StackLayout l = layoutStack(geometryOf(*this), G.SplitRatio);
    for (QWidget* w : std::initializer_list<QWidget*>{ControlPanel, ControlPanel2, ReceiveScreen,
                                                      SplitterPanel, TransmitScreen, StatusPanel})
        w->resize(l.width, w->height());
    G.ScreenAreaHeight = l.screenArea;
    SplitterPanel->move(SplitterPanel->x(), l.splitterTop);
    place(ReceiveScreen, l.receiveTop, l.width, l.receiveHeight);
    place(TransmitScreen, l.transmitTop, l.width, l.transmitHeight);
}

void TFerrow::SplitterPanelMouseDown(int Y)
{
    G.SplitDragStartY = Y;
    G.SplitDragging = 1;
}

void TFerrow::SplitterPanelMouseMove(int Y)
{
    if (G.SplitDragging != 1)
        return;
    const StackGeometry g = geometryOf(*this);
    SplitterPanel->move(
        SplitterPanel->x(),
        splitterTopAfterMove(SplitterPanel->y(), Y, G.SplitDragStartY, splitterRangeOf(*this, g)));
}

namespace {

// Lets the splitter go where it is, within the range that leaves both
// screens their line.
void dropSplitterHere(TFerrow& w)
{
    const StackGeometry g = geometryOf(w);
    const SplitterDrop d =
        dropSplitter(w.SplitterPanel->y(), g, G.ScreenAreaHeight, G.SplitRatio, splitterRangeOf(w, g));
    w.SplitterPanel->move(w.SplitterPanel->x(), d.splitterTop);
    // The receive screen keeps its top.
    place(w.ReceiveScreen, w.ReceiveScreen->y(), w.ReceiveScreen->width(), d.receiveHeight);
    place(w.TransmitScreen, d.transmitTop, w.TransmitScreen->width(), d.transmitHeight);
    G.SplitRatio = d.splitRatio;
}

} // namespace

void TFerrow::SplitterPanelMouseUp()
{
    G.SplitDragging = 0;
    dropSplitterHere(*this);
    FocusTypingScreen();
}

void TFerrow::FitScreensToFonts()
{
    const StackGeometry g = geometryOf(*this);
    const SplitterRange r = splitterRangeOf(*this, g);
    // Fonts too tall for the window as it is: it grows until both lines fit
    // with room to move the splitter; the next layout places the stack.
    const int missing = r.lowest + MinSplitterTravel - r.highest;
    if (missing > 0) {
        centralWidget()->setMinimumHeight(centralWidget()->height() + missing);
        resize(width(), height() + missing);
    }
    if (ReceiveScreen->height() < oneLine(ReceiveScreen) ||
        TransmitScreen->height() < oneLine(TransmitScreen))
        dropSplitterHere(*this);
}

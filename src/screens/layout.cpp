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

// Three text lines of a screen's font, inside its frame and margins.
int threeLines(const TScreenMemo* screen)
{
    const int margins = 2 * screen->frameWidth() + 2 * qCeil(screen->document()->documentMargin());
    return 3 * screen->fontMetrics().lineSpacing() + margins;
}

SplitterRange splitterRangeOf(const TFerrow& w, const StackGeometry& g)
{
    return splitterRange(g, SplitterBounds{threeLines(w.ReceiveScreen), threeLines(w.TransmitScreen)});
}

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

void TFerrow::SplitterPanelMouseUp()
{
    G.SplitDragging = 0;
    const StackGeometry g = geometryOf(*this);
    const SplitterDrop d =
        dropSplitter(SplitterPanel->y(), g, G.ScreenAreaHeight, G.SplitRatio, splitterRangeOf(*this, g));
    SplitterPanel->move(SplitterPanel->x(), d.splitterTop);
    // The receive screen keeps its top.
    place(ReceiveScreen, ReceiveScreen->y(), ReceiveScreen->width(), d.receiveHeight);
    place(TransmitScreen, d.transmitTop, TransmitScreen->width(), d.transmitHeight);
    G.SplitRatio = d.splitRatio;
    FocusTypingScreen();
}

#include "screen_layout.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// The receive screen's height for a splitter top when it is let go.
int droppedReceiveHeight(int splitterTop, int band1Height)
{
    return splitterTop - band1Height - 40;
}

} // namespace

float screenAreaHeight(int statusTop, int band1Top, int band1Height, int band2Top, int band2Height,
                       int splitterHeight)
{
    return static_cast<float>(statusTop - band1Top - band1Height - band2Top - band2Height - splitterHeight);
}

int splitterTopFor(float screenArea, float splitRatio, int band2Top, int band2Height)
{
    const double product = static_cast<double>(screenArea) * static_cast<double>(splitRatio);
    // A screen is never taller than a pixel count fits; anything else is a
    // damaged ratio and places the splitter right under the bands.
    constexpr double Limit = std::numeric_limits<int>::max() / 2;
    const int offset = std::isfinite(product) && std::fabs(product) < Limit ? static_cast<int>(product) : 0;
    return offset + band2Top + band2Height;
}

StackLayout layoutStack(const StackGeometry& g, float splitRatio)
{
    StackLayout l;
    l.width = g.clientWidth;
    l.screenArea =
        screenAreaHeight(g.statusTop, g.band1Top, g.band1Height, g.band2Top, g.band2Height, g.splitterHeight);
    l.splitterTop = splitterTopFor(l.screenArea, splitRatio, g.band2Top, g.band2Height);
    l.receiveTop = g.band2Top + g.band2Height;
    l.receiveHeight = l.splitterTop - g.band2Top - g.band2Height;
    l.transmitTop = l.splitterTop + g.splitterHeight;
    l.transmitHeight = g.statusTop - l.splitterTop - g.splitterHeight;
    return l;
}

SplitterRange splitterRange(const StackGeometry& g, const SplitterBounds& bounds)
{
    SplitterRange r;
    // droppedReceiveHeight(lowest) == minReceiveHeight.
    r.lowest = bounds.minReceiveHeight + g.band1Height + 40;
    r.highest = std::max(r.lowest, g.statusTop - g.splitterHeight - bounds.minTransmitHeight);
    return r;
}

int splitterTopAfterMove(int splitterTop, int mouseY, int dragStartY, const SplitterRange& range)
{
    if (mouseY == dragStartY)
        return splitterTop;
    const int next = mouseY < dragStartY ? splitterTop - 1 : splitterTop + 1;
    const bool leavesUpward = next < range.lowest && next < splitterTop;
    const bool leavesDownward = next > range.highest && next > splitterTop;
    return leavesUpward || leavesDownward ? splitterTop : next;
}

SplitterDrop dropSplitter(int splitterTop, const StackGeometry& g, float screenArea, float previousRatio,
                          const SplitterRange& range)
{
    SplitterDrop d;
    d.splitterTop = std::clamp(splitterTop, range.lowest, range.highest);
    d.receiveHeight = droppedReceiveHeight(d.splitterTop, g.band1Height);
    d.transmitTop = d.splitterTop + g.splitterHeight;
    d.transmitHeight = g.statusTop - d.splitterTop - g.splitterHeight;
    d.splitRatio = screenArea > 0 ? static_cast<float>(d.receiveHeight) / screenArea : previousRatio;
    return d;
}

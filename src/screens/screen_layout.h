#pragma once
// Layout arithmetic of the screen stack, free of widgets: the two control
// bands, the receive screen, the splitter, the transmit screen and the status
// band, top to bottom. Everything is in whole pixels except the two float32
// values the stack keeps between layouts (the counted screen area and the
// split ratio).

// Vertical space counted for the two screens: the status band's top less
// both control bands (each with its top and its height) and the splitter.
// With the design bands this is statusTop - 103.
float screenAreaHeight(int statusTop, int band1Top, int band1Height, int band2Top, int band2Height,
                       int splitterHeight);

// The splitter's top for a given area and ratio: the product of the two
// float32 values taken exactly (in double precision, where a float32
// multiplication could round up to the next pixel), truncated toward zero,
// then placed below the second band. A ratio or area that is not a finite
// number counts as 0 rather than producing an undefined conversion.
int splitterTopFor(float screenArea, float splitRatio, int band2Top, int band2Height);

// What a resize reads from the controls.
struct StackGeometry {
    int clientWidth = 0;
    int band1Top = 0;
    int band1Height = 0;
    int band2Top = 0;
    int band2Height = 0;
    int splitterHeight = 0;
    int statusTop = 0;
};

// What a resize gives the controls.
struct StackLayout {
    int width = 0; // of every band and screen
    float screenArea = 0;
    int splitterTop = 0;
    int receiveTop = 0;
    int receiveHeight = 0;
    int transmitTop = 0;
    int transmitHeight = 0;
};

StackLayout layoutStack(const StackGeometry& g, float splitRatio);

// The least height each screen keeps when the splitter is let go.
struct SplitterBounds {
    int minReceiveHeight = 0;
    int minTransmitHeight = 0;
};

// The range of splitter tops that leaves both screens their least height
// after a drop. When the window is too small for both, the receive screen's
// least height wins (the range collapses to its lowest top).
struct SplitterRange {
    int lowest = 0;
    int highest = 0;
};
SplitterRange splitterRange(const StackGeometry& g, const SplitterBounds& bounds);

// One mouse move during a drag: one pixel toward the side the mouse went,
// whatever the distance; no move when the mouse is level with where the
// drag began. A move that would leave the range and take the splitter
// further out of it is not made.
int splitterTopAfterMove(int splitterTop, int mouseY, int dragStartY, const SplitterRange& range);

// What letting the splitter go sets. The receive screen keeps its top; its
// height is the splitter's top less the first band's height and 40 pixels
// (six short of the space above the splitter with the design bands).
struct SplitterDrop {
    int splitterTop = 0;
    int receiveHeight = 0;
    int transmitTop = 0;
    int transmitHeight = 0;
    float splitRatio = 0;
};

// `screenArea` is the counted area of the last layout; when it is not
// positive the ratio stays `previousRatio` instead of dividing by it.
SplitterDrop dropSplitter(int splitterTop, const StackGeometry& g, float screenArea, float previousRatio,
                          const SplitterRange& range);

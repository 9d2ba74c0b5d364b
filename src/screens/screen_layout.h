#pragma once
// Layout arithmetic of the screen stack, free of widgets.

// Vertical space counted for the two screens: the status band's top less
// both control bands (each with its top and its height) and the splitter.
// With the design bands this is statusTop - 103.
float screenAreaHeight(int statusTop, int band1Top, int band1Height, int band2Top, int band2Height,
                       int splitterHeight);

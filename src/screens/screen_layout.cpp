#include "screen_layout.h"

float screenAreaHeight(int statusTop, int band1Top, int band1Height, int band2Top, int band2Height,
                       int splitterHeight)
{
    return static_cast<float>(statusTop - band1Top - band1Height - band2Top - band2Height - splitterHeight);
}

#include "send_progress.h"

#include <algorithm>

int progressStep(int length, int maximum)
{
    if (maximum > length || maximum <= 0)
        return 1;
    return length / maximum;
}

int progressPosition(int sent, int step, int minimum, int maximum)
{
    return std::clamp(sent / std::max(step, 1), minimum, std::max(minimum, maximum));
}

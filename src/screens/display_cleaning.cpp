#include "display_cleaning.h"

quint8 cleanForDisplay(quint8 received)
{
    const bool lineControl = received >= 7 && received <= 13;
    const bool escapeOrPrintable = received >= 27 && received <= 127;
    return lineControl || escapeOrPrintable ? received : quint8(' ');
}

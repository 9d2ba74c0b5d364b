#pragma once
// What a byte received from the TNC is shown as in the receive screen.

#include <QtGlobal>

// Line control (BEL to CR), Escape and printable ASCII stay as they are; every
// other control byte and every byte from 128 up becomes a space, so line
// noise and 8-bit garbage never reach the screen as invisible characters.
quint8 cleanForDisplay(quint8 received);

// Connects the beacon's button, menu items and timer to their handlers.

#include "app/ferrow.h"

#include <QPushButton>

void TFerrow::WireBroadcastHandlers()
{
    wire(BroadcastBtn, &TFerrow::BroadcastBtnClick);
    wire(Message1, &TFerrow::Message1Click);
    wire(NONE2, &TFerrow::NONE2Click);
    wire(Once, &TFerrow::OnceClick);
    wire(Timer1, &TFerrow::Timer1Click);
    connect(BroadCastTimer, &QTimer::timeout, this, &TFerrow::BroadCastTimerTimer);
}

// Connects the alarm menu, the receive timer and the log button to their
// handlers (the receive event is bound with the received-data route).

#include "app/ferrow.h"

#include "app/seams.h"

#include <QPlainTextEdit>
#include <QPushButton>

void TFerrow::WireAlertHandlers()
{
    wire(OFF1, &TFerrow::OFF1Click);
    wire(ON1, &TFerrow::ON1Click);
    wire(Beep2, &TFerrow::Beep2Click);
    wire(Ring1, &TFerrow::Ring1Click);
    wire(Ringout1, &TFerrow::Ringout1Click);
    wire(LogBtn, &TFerrow::LogBtnClick);
    connect(ReceiveTimer, &QTimer::timeout, this, &TFerrow::ReceiveTimerTimer);
    // Said once, where the serial trace goes: the alarms cannot be heard here.
    if (!SoundOut().available())
        LogScreen->appendPlainText(QStringLiteral("Sound is unavailable: no audio output device was found"));
}

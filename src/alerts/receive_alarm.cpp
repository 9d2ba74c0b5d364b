// Telling an operator who is not watching that the TNC has sent something:
// received data arms a one-shot timer whose tick beeps or plays a short ring,
// and lights the two lamps of the status panel.

#include "app/ferrow.h"

#include "app/seams.h"
#include "app/state.h"
#include "link/nr_semaphore.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>

namespace {

// A ring is cut after this long, so an alarm never holds the program up for more.
constexpr int RingMs = 450;

void checkOne(QAction* chosen, std::initializer_list<QAction*> group)
{
    for (QAction* item : group)
        item->setChecked(item == chosen);
}

// Through the audio output, or as the desktop's bell where there is none.
void sound(void (Sound::*throughOutput)())
{
    Sound& out = SoundOut();
    if (out.available())
        (out.*throughOutput)();
    else
        out.bell();
}

} // namespace

void TFerrow::nrComm1AfterReceive()
{
    // A count already running is left alone: a burst gives one alarm, 1000 ms
    // after its first part.
    if (G.NotifyEnabled == NotifyOn && !ReceiveTimer->isActive())
        ReceiveTimer->start();
    // Data came in: the link is alive, so both lamps light while a port is in use.
    if (G.CommPortSelected != NoCommPort) {
        CTS_Status->SetChecked(true);
        DSR_Status->SetChecked(true);
    }
    G.ReceiveFlag = 1;
}

void TFerrow::ReceiveTimerTimer()
{
    ReceiveTimer->stop();
    QByteArray wave;
    switch (G.AlarmSound) {
    case AlarmBeep:
        sound(&Sound::beep);
        QCoreApplication::processEvents();
        break;
    case AlarmRingIn: wave = slotBytes(G.RingInWavePath); break;
    case AlarmRingOut: wave = slotBytes(G.RingOutWavePath); break;
    }
    // After a wave file failed to open the state stays busy: no ring is tried
    // again in this run, while Beep still sounds.
    if (G.SoundState != SoundIdle || wave.isEmpty())
        return;
    G.SoundState = SoundPlaying;
    if (!SoundOut().open(QFile::decodeName(wave))) {
        Query().messageBox(this, QStringLiteral("Error opening Wave File"), QStringLiteral("Media Player"));
        return;
    }
    // With no audio output the file was still opened, so a bad one is still
    // reported; the desktop's bell then stands in for the ring.
    sound(&Sound::play);
    // Let the output start before the wait blocks the thread.
    QCoreApplication::processEvents();
    Pause(RingMs);
    SoundOut().close();
    G.SoundState = SoundIdle;
}

void TFerrow::OFF1Click()
{
    // An alarm already armed still comes.
    checkOne(OFF1, {OFF1, ON1});
    G.NotifyEnabled = NotifyOff;
}

void TFerrow::ON1Click()
{
    checkOne(ON1, {OFF1, ON1});
    G.NotifyEnabled = NotifyOn;
}

// Choosing a sound does not play it; only an alarm does.
void TFerrow::Beep2Click()
{
    checkOne(Beep2, {Beep2, Ring1, Ringout1});
    G.AlarmSound = AlarmBeep;
}

void TFerrow::Ring1Click()
{
    checkOne(Ring1, {Beep2, Ring1, Ringout1});
    G.AlarmSound = AlarmRingIn;
}

void TFerrow::Ringout1Click()
{
    checkOne(Ringout1, {Beep2, Ring1, Ringout1});
    G.AlarmSound = AlarmRingOut;
}

// The settings load runs the handler the operator's choice would: 0 is OFF,
// anything else ON; a sound outside the three runs none.
void TFerrow::applyStoredNotify()
{
    if (G.NotifyEnabled == NotifyOff)
        OFF1Click();
    else
        ON1Click();
}

void TFerrow::applyStoredAlarmSound()
{
    switch (G.AlarmSound) {
    case AlarmBeep: Beep2Click(); break;
    case AlarmRingIn: Ring1Click(); break;
    case AlarmRingOut: Ringout1Click(); break;
    }
}

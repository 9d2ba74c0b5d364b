#pragma once
// Alarm sounds: the desktop's beep, and short PCM wave files played through
// the default audio output.

#include "app/seams.h"

#include <QAudioFormat>
#include <QByteArray>

#include <memory>

class QAudioSink;

// The PCM samples and format of a wave file; `ok` is false for anything that
// is not a readable uncompressed RIFF/WAVE file.
struct WaveData {
    bool ok = false;
    QAudioFormat format;
    QByteArray samples;
};
WaveData readWaveFile(const QString& path);

// A short tone of our own: the desktop's bell is silent on many systems.
WaveData beepTone();

// Plays through the default audio output. Made after the application object
// and destroyed before it: its outputs belong to Qt Multimedia's backend.
class WaveSound final : public Sound {
public:
    WaveSound();
    ~WaveSound() override;

    bool available() override;
    void beep() override;
    void bell() override;
    bool open(const QString& path) override;
    void play() override;
    void close() override;

private:
    // One sound on its own output. The whole of it is written to the output
    // at once, so the sound server plays it on while the UI thread waits:
    // nothing is left to feed from that thread.
    struct Output {
        std::unique_ptr<QAudioSink> sink;
        void start(const WaveData& wave);
        void stop();
    };

    WaveData wave_;
    WaveData tone_;
    Output waveOut_;
    Output beepOut_;
};

#pragma once
// Alarm sounds: the desktop's beep, and short PCM wave files played through
// the default audio output.

#include "app/seams.h"

#include <QAudioFormat>
#include <QBuffer>
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

// Plays through the default audio output when the system has one; without
// one, wave sounds are silent and the beep falls back to the desktop's bell.
class WaveSound final : public Sound {
public:
    WaveSound();
    ~WaveSound() override;

    bool available() override;
    void beep() override;
    bool open(const QString& path) override;
    void play() override;
    void close() override;

private:
    // One sound on its own output; the whole of it is handed over at once, so
    // it plays on while the UI thread waits.
    struct Output {
        QBuffer buffer;
        std::unique_ptr<QAudioSink> sink;
        void start(const WaveData& wave);
        void stop();
    };

    WaveData wave_;
    WaveData tone_;
    Output waveOut_;
    Output beepOut_;
};

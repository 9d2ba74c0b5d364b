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

class WaveSound final : public Sound {
public:
    WaveSound();
    ~WaveSound() override;

    void beep() override;
    bool open(const QString& path) override;
    void play() override;
    void close() override;

private:
    WaveData wave_;
    QBuffer buffer_;
    std::unique_ptr<QAudioSink> sink_;
};

#include "wave_sound.h"

#include <QApplication>
#include <QAudioSink>
#include <QFile>
#include <QMediaDevices>
#include <QtEndian>

#include <algorithm>
#include <cmath>

namespace {

quint32 le32(const char* p)
{
    return qFromLittleEndian<quint32>(p);
}
quint16 le16(const char* p)
{
    return qFromLittleEndian<quint16>(p);
}

bool setSampleFormat(QAudioFormat& format, int bits)
{
    switch (bits) {
    case 8: format.setSampleFormat(QAudioFormat::UInt8); return true;
    case 16: format.setSampleFormat(QAudioFormat::Int16); return true;
    case 32: format.setSampleFormat(QAudioFormat::Int32); return true;
    }
    return false;
}

} // namespace

WaveData readWaveFile(const QString& path)
{
    WaveData wave;
    QFile file(path);
    // Alarm sounds are short; a file past a few MiB is not one of ours.
    if (!file.open(QIODevice::ReadOnly) || file.size() > 16 * 1024 * 1024)
        return wave;
    const QByteArray all = file.readAll();
    if (all.size() < 12 || !all.startsWith("RIFF") || all.mid(8, 4) != "WAVE")
        return wave;
    bool haveFormat = false;
    qsizetype pos = 12;
    while (pos + 8 <= all.size()) {
        const QByteArray id = all.mid(pos, 4);
        const quint32 size = le32(all.constData() + pos + 4);
        const qsizetype body = pos + 8;
        if (size > quint32(all.size() - body))
            return wave;
        if (id == "fmt " && size >= 16) {
            const char* f = all.constData() + body;
            if (le16(f) != 1) // PCM only
                return wave;
            wave.format.setChannelCount(le16(f + 2));
            wave.format.setSampleRate(static_cast<int>(le32(f + 4)));
            if (!setSampleFormat(wave.format, le16(f + 14)))
                return wave;
            haveFormat = true;
        } else if (id == "data" && haveFormat) {
            wave.samples = all.mid(body, size);
            wave.ok = wave.format.isValid();
            return wave;
        }
        pos = body + size + (size & 1);
    }
    return wave;
}

WaveData beepTone()
{
    // 880 Hz for 150 ms, 16-bit mono, faded in and out so it does not click.
    constexpr int rate = 22050;
    constexpr int samples = rate * 150 / 1000;
    constexpr int fade = rate * 10 / 1000;
    WaveData tone;
    tone.format.setSampleRate(rate);
    tone.format.setChannelCount(1);
    tone.format.setSampleFormat(QAudioFormat::Int16);
    tone.samples.resize(samples * 2);
    for (int i = 0; i < samples; ++i) {
        const double envelope = std::min({1.0, double(i) / fade, double(samples - 1 - i) / fade});
        const double value = 0.5 * envelope * std::sin(2 * M_PI * 880.0 * i / rate);
        qToLittleEndian<qint16>(qint16(value * 32767), tone.samples.data() + 2 * i);
    }
    tone.ok = true;
    return tone;
}

void WaveSound::Output::start(const WaveData& wave)
{
    stop();
    sink = std::make_unique<QAudioSink>(wave.format);
    // Room for the whole sound, so one write hands all of it over.
    sink->setBufferSize(qsizetype(wave.samples.size()));
    if (QIODevice* device = sink->start())
        device->write(wave.samples);
}

void WaveSound::Output::stop()
{
    if (sink) {
        sink->stop();
        sink.reset();
    }
}

WaveSound::WaveSound()
    : tone_(beepTone())
{
}

WaveSound::~WaveSound()
{
    close();
    beepOut_.stop();
}

bool WaveSound::available()
{
    return !QMediaDevices::audioOutputs().isEmpty();
}

void WaveSound::beep()
{
    beepOut_.start(tone_);
}

void WaveSound::bell()
{
    QApplication::beep();
}

bool WaveSound::open(const QString& path)
{
    close();
    wave_ = readWaveFile(path);
    return wave_.ok;
}

void WaveSound::play()
{
    if (wave_.ok)
        waveOut_.start(wave_);
}

void WaveSound::close()
{
    waveOut_.stop();
}

#include "wave_sound.h"

#include <QApplication>
#include <QAudioSink>
#include <QFile>
#include <QtEndian>

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

WaveSound::WaveSound() = default;
WaveSound::~WaveSound()
{
    close();
}

void WaveSound::beep()
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
    if (!wave_.ok)
        return;
    buffer_.close();
    buffer_.setData(wave_.samples);
    buffer_.open(QIODevice::ReadOnly);
    sink_ = std::make_unique<QAudioSink>(wave_.format);
    sink_->start(&buffer_);
}

void WaveSound::close()
{
    if (sink_) {
        sink_->stop();
        sink_.reset();
    }
    buffer_.close();
}

// The alarm sounds as files: the ring tones the build generates, the wave
// reader that decides whether a file "opens", and the beep tone.

#include "alerts/wave_sound.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>

namespace {

QByteArray le(quint32 v, int bytes)
{
    const quint32 little = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&little), bytes);
}

QByteArray chunk(const char* id, const QByteArray& body)
{
    QByteArray out = QByteArray(id, 4) + le(quint32(body.size()), 4) + body;
    if (body.size() % 2)
        out += '\0';
    return out;
}

QByteArray fmtChunk(int formatTag, int bits)
{
    return chunk("fmt ",
                 le(formatTag, 2) + le(1, 2) + le(8000, 4) + le(8000 * bits / 8, 4) + le(bits / 8, 2) +
                     le(bits, 2));
}

QByteArray riff(const QByteArray& chunks)
{
    return "RIFF" + le(quint32(chunks.size() + 4), 4) + "WAVE" + chunks;
}

// Milliseconds of sound and the loudest sample of 16-bit mono samples.
int durationMs(const WaveData& w)
{
    return int(w.samples.size() / w.format.bytesPerFrame() * 1000 / w.format.sampleRate());
}

int peak(const QByteArray& samples)
{
    int loudest = 0;
    for (qsizetype i = 0; i + 1 < samples.size(); i += 2)
        loudest = std::max(loudest, std::abs(int(qFromLittleEndian<qint16>(samples.constData() + i))));
    return loudest;
}

} // namespace

class WaveSoundTest : public QObject {
    Q_OBJECT
private slots:
    void ringTones_data();
    void ringTones();
    void readWaveFile_data();
    void readWaveFile();
    void beepToneIsShortAndAudible();
};

void WaveSoundTest::ringTones_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("Ring-in") << "ringin.wav";
    QTest::newRow("Ring-out") << "ringout.wav";
}

void WaveSoundTest::ringTones()
{
    QFETCH(QString, name);
    const QString path = qEnvironmentVariable("QUILLMAR_BUILD_DIR") + "/share/quillmar/" + name;
    QVERIFY2(QFileInfo(path).size() > 1000 && QFileInfo(path).size() < 16 * 1024, qPrintable(path));
    const WaveData wave = ::readWaveFile(path);
    QVERIFY(wave.ok);
    QCOMPARE(wave.format.sampleFormat(), QAudioFormat::Int16);
    QCOMPARE(wave.format.channelCount(), 1);
    // It plays out whole within the 450 ms an alarm lasts.
    QVERIFY(durationMs(wave) >= 250 && durationMs(wave) <= 450);
    QVERIFY(peak(wave.samples) > 10000);
    // Faded in and out: no click at either end.
    QCOMPARE(peak(wave.samples.left(2)), 0);
    QVERIFY(peak(wave.samples.right(2)) < 500);
}

void WaveSoundTest::readWaveFile_data()
{
    QTest::addColumn<QByteArray>("bytes"); // empty: no file at all
    QTest::addColumn<int>("samples");      // -1: the file does not open
    const QByteArray data = chunk("data", QByteArray(200, '\x10'));
    QTest::newRow("16-bit PCM") << riff(fmtChunk(1, 16) + data) << 200;
    QTest::newRow("an odd-sized chunk before the data, with its pad byte")
        << riff(fmtChunk(1, 8) + chunk("LIST", "abc") + data) << 200;
    QTest::newRow("no file") << QByteArray() << -1;
    QTest::newRow("not a RIFF file") << QByteArray("ID3 this is an mp3 file") << -1;
    QTest::newRow("floating-point samples") << riff(fmtChunk(3, 32) + data) << -1;
    QTest::newRow("data before its format") << riff(data + fmtChunk(1, 16)) << -1;
    QTest::newRow("a data chunk running past the end") << riff(fmtChunk(1, 16) + data).chopped(10) << -1;
}

void WaveSoundTest::readWaveFile()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, samples);
    QTemporaryDir dir;
    const QString path = dir.filePath("sound.wav");
    QFile file(path);
    QVERIFY(bytes.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()));
    file.close();
    const WaveData wave = ::readWaveFile(path);
    QCOMPARE(wave.ok ? wave.samples.size() : -1, samples);
}

void WaveSoundTest::beepToneIsShortAndAudible()
{
    const WaveData tone = beepTone();
    QVERIFY(tone.ok && durationMs(tone) >= 100 && durationMs(tone) <= 300 && peak(tone.samples) > 8000);
}

QTEST_GUILESS_MAIN(WaveSoundTest)
#include "wave_sound_test.moc"

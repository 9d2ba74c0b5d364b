// The alarm sounds: the ring tones the build generates, the beep tone, and the wave reader that decides
// whether a file "opens".

#include "alerts/wave_sound.h"
#include "file_bytes.h"

#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

namespace {

QByteArray le(quint32 v, int bytes)
{
    const quint32 little = qToLittleEndian(v);
    return QByteArray(reinterpret_cast<const char*>(&little), bytes);
}

// A chunk with its pad byte when the body is odd-sized.
QByteArray chunk(const char* id, const QByteArray& body)
{
    return QByteArray(id, 4) + le(quint32(body.size()), 4) + body + QByteArray(body.size() % 2, '\0');
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

// The loudest of 16-bit samples.
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
    void tones_data();
    void tones();
    void readWaveFile_data();
    void readWaveFile();
};

void WaveSoundTest::tones_data()
{
    QTest::addColumn<QString>("file"); // built ring tone; empty: the beep
    QTest::addColumn<int>("minMs");
    QTest::addColumn<int>("maxMs");
    QTest::addColumn<int>("minPeak");
    // A ring plays out whole within the 450 ms an alarm lasts.
    QTest::newRow("Ring-in") << "ringin.wav" << 250 << 450 << 10000;
    QTest::newRow("Ring-out") << "ringout.wav" << 250 << 450 << 10000;
    QTest::newRow("beep: short and audible") << "" << 100 << 300 << 8000;
}

void WaveSoundTest::tones()
{
    QFETCH(QString, file);
    QFETCH(int, minMs);
    QFETCH(int, maxMs);
    QFETCH(int, minPeak);
    const WaveData w = file.isEmpty()
        ? beepTone()
        : ::readWaveFile(qEnvironmentVariable("QUILLMAR_BUILD_DIR") + "/share/quillmar/" + file);
    QVERIFY(w.ok);
    QCOMPARE(QList({int(w.format.sampleFormat()), w.format.channelCount()}),
             QList({int(QAudioFormat::Int16), 1}));
    const int ms = int(w.samples.size() / 2 * 1000 / w.format.sampleRate());
    QVERIFY2(ms >= minMs && ms <= maxMs && peak(w.samples) > minPeak, qPrintable(QString::number(ms)));
    // Faded in and out: no click at either end.
    QVERIFY(peak(w.samples.left(2)) == 0 && peak(w.samples.right(2)) < 500);
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
    QVERIFY(bytes.isEmpty() || writeFile(path, bytes));
    const WaveData wave = ::readWaveFile(path);
    QCOMPARE(wave.ok ? wave.samples.size() : -1, samples);
}

QTEST_GUILESS_MAIN(WaveSoundTest)
#include "wave_sound_test.moc"

// The receive alarm heard on a real sound server: the real program, Notify ON, one received line, and the
// server's null sink recorded. Each sound is loud and lasts as long as its tone (a ring at most 450 ms), and
// the program still ends with exit 0 afterwards. Run beside its own PulseAudio (with_sound_server.sh).

#include "alerts/wave_sound.h"
#include "file_bytes.h"
#include "quillmar_process.h"
#include "settings_sample.h"
#include "tnc_sim.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

#include <algorithm>

namespace {

constexpr int Rate = 22050; // the recording: 16-bit mono
constexpr int WindowMs = 5;
constexpr int Window = Rate * WindowMs / 1000;

// The first sound in a raw recording: loud windows (a peak of 0.02 or more) with gaps under 100 ms, such as
// the pause inside a ring. `done` once 300 ms of quiet follow it.
struct Heard {
    double peak = 0;
    int ms = 0;
    bool done = false;
};

Heard firstSound(const QByteArray& raw)
{
    Heard heard;
    const qsizetype windows = raw.size() / 2 / Window;
    qsizetype first = -1, last = -1;
    for (qsizetype w = 0; w < windows; ++w) {
        int peak = 0;
        for (qsizetype i = w * Window; i < (w + 1) * Window; ++i)
            peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(raw.constData() + 2 * i))));
        if (last >= 0 && (w - last) * WindowMs >= 100)
            break;
        if (peak >= 0.02 * 32768) {
            first = first < 0 ? w : first;
            last = w;
            heard.peak = std::max(heard.peak, peak / 32768.0);
        }
    }
    if (first >= 0) {
        heard.ms = int((last + 1 - first) * WindowMs);
        heard.done = (windows - last) * WindowMs >= 300;
    }
    return heard;
}

int toneMs(const WaveData& wave)
{
    return int(wave.samples.size() * 1000 /
               (wave.format.bytesPerFrame() * qsizetype(wave.format.sampleRate())));
}

} // namespace

class AlarmSoundServerTest : public QObject {
    Q_OBJECT
private slots:
    void alarmIsHeard_data();
    void alarmIsHeard();
};

void AlarmSoundServerTest::alarmIsHeard_data()
{
    QTest::addColumn<int>("alarmSound");
    QTest::addColumn<QString>("file"); // its wave file; empty: the beep tone
    QTest::newRow("Beep, then a clean exit") << 1 << QString();
    QTest::newRow("Ring-in sounds during the 450 ms wait") << 2 << "ringin.wav";
    QTest::newRow("Ring-out sounds during the 450 ms wait") << 3 << "ringout.wav";
}

void AlarmSoundServerTest::alarmIsHeard()
{
    QFETCH(int, alarmSound);
    QFETCH(QString, file);
    QVERIFY2(qEnvironmentVariableIsSet("PULSE_SERVER"), "run me through with_sound_server.sh");
    // The built ring tones, in the program folder where an operator puts them.
    QTemporaryDir home;
    const QString built = qEnvironmentVariable("QUILLMAR_BUILD_DIR") + "/share/quillmar/";
    for (const char* ring : {"ringin.wav", "ringout.wav"})
        QVERIFY(QFile::copy(built + ring, home.filePath(ring)));
    const WaveData tone = file.isEmpty() ? beepTone() : readWaveFile(home.filePath(file));
    QVERIFY(tone.ok);

    ProcessState s = settingsOnCom1({"MYCALL N0TEST"});
    s.NotifyEnabled = 1;
    s.AlarmSound = alarmSound;
    for (auto& line : s.TncTermCommands[1])
        line.store("");
    QVERIFY(home.isValid() && writeFile(home.filePath("Quillmar.cfg"), settingsBytes(s)));
    TncSim sim(home.filePath(QStringLiteral("COM1")));
    QVERIFY2(sim.start(), qPrintable(sim.error()));

    // Recording from before the program starts; it is running once the server's silence arrives.
    const QString recording = home.filePath("monitor.raw");
    QProcess parec;
    parec.setStandardOutputFile(recording);
    parec.start("parec",
                {"--device=alarm.monitor", "--raw", "--format=s16le", "--channels=1",
                 "--rate=" + QString::number(Rate), "--latency-msec=20"});
    QVERIFY2(parec.waitForStarted(kSimWaitMs), qPrintable(parec.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(recording).size() > 0, kSimWaitMs);

    // The answer to the one initialization line arms the alarm.
    QProcess quillmar;
    QVERIFY2(startQuillmar(quillmar, home.path(), kSimWaitMs), qPrintable(quillmar.errorString()));
    QTRY_VERIFY_WITH_TIMEOUT(firstSound(readFile(recording)).done, kSimWaitMs);
    const Heard heard = firstSound(readFile(recording));
    const bool clean = terminateQuillmar(quillmar, kSimWaitMs);
    parec.terminate();
    QVERIFY(parec.waitForFinished(kSimWaitMs));
    QVERIFY(sim.stop());

    const int wantMs = std::min(toneMs(tone), 450) - 50;
    qInfo("heard: peak %.3f, %d ms of sound (at least %d ms wanted)", heard.peak, heard.ms, wantMs);
    QVERIFY(heard.peak >= 0.05 && heard.ms >= wantMs);
    // Closing after a sound touches no sound output that is already gone.
    QVERIFY2(clean,
             qPrintable(QString("exit %1, status %2").arg(quillmar.exitCode()).arg(quillmar.exitStatus())));
}

QTEST_GUILESS_MAIN(AlarmSoundServerTest)
#include "alarm_sound_server_test.moc"

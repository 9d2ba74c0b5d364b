// The real program and its settings file: it opens the stored port, sends TNC2's initialization lines, and on
// SIGTERM writes the file anew, byte for byte, with line settings a pty cannot apply (odd parity, 7 bits)
// unchanged.

#include "file_bytes.h"
#include "settings_sample.h"
#include "tnc_sim.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/stat.h>

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The sample settings on COM1, odd parity, 7 bits, with TNC2 chosen: lines 1 and 3 to initialize.
QByteArray storedSettings()
{
    ProcessState s = distinctiveSettings();
    setCommPortName(s, "COM1");
    s.CommPortSelected = 1;
    s.SerialParity = 2;
    s.SerialStopBits = 1;
    s.SerialByteSize = 7;
    s.SerialStreamProtocol = 0;
    s.SelectedTnc = 1;
    for (int k = 0; k < 32; ++k)
        s.TncInitCommands[1][k].store(k == 0 ? "MYCALL N0TEST" : k == 2 ? "BTEXT settings kept" : "");
    return settingsBytes(s);
}

} // namespace

class SettingsRestartTest : public QObject {
    Q_OBJECT
private slots:
    void startAndStopKeepTheFile();
};

void SettingsRestartTest::startAndStopKeepTheFile()
{
    QTemporaryDir home;
    const QString cfg = home.filePath(QStringLiteral("Quillmar.cfg"));
    const QString heard = home.filePath(QStringLiteral("tnc-sim.log"));
    const QByteArray stored = storedSettings();
    QVERIFY(home.isValid() && writeFile(cfg, stored));
    const ino_t written = inodeOf(cfg);
    TncSim sim(home.filePath(QStringLiteral("COM1")), heard);
    QVERIFY2(sim.start(), qPrintable(sim.error()));

    QProcess quillmar;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QUILLMAR_HOME"), home.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    quillmar.setProcessEnvironment(env);
    quillmar.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    quillmar.start(QDir(qEnvironmentVariable("QUILLMAR_BUILD_DIR")).filePath(QStringLiteral("quillmar")), {});
    QVERIFY2(quillmar.waitForStarted(kSimWaitMs), qPrintable(quillmar.errorString()));

    // The stored port opens and TNC2's filled lines go out, in order.
    const QByteArray initLines = "MYCALL N0TEST\rBTEXT settings kept\r";
    QTRY_VERIFY_WITH_TIMEOUT(readFile(heard).contains(initLines), kSimWaitMs);

    ::kill(pid_t(quillmar.processId()), SIGTERM);
    QVERIFY(quillmar.waitForFinished(kSimWaitMs));
    QCOMPARE(quillmar.exitStatus(), QProcess::NormalExit);
    QCOMPARE(quillmar.exitCode(), 0);

    // Close wrote the same bytes to a new file renamed over the old.
    QVERIFY(inodeOf(cfg) != written);
    QCOMPARE(readFile(cfg), stored);
    QVERIFY(sim.stop());
}

QTEST_GUILESS_MAIN(SettingsRestartTest)
#include "settings_restart_test.moc"

// The real program and its settings file: it opens the stored port, sends TNC2's initialization lines, and on
// SIGTERM writes the file anew, byte for byte, with line settings a pty cannot apply (odd parity, 7 bits)
// unchanged; SIGTERM while a box is up; two programs on one program folder.

#include "file_bytes.h"
#include "quillmar_process.h"
#include "settings_sample.h"
#include "tnc_sim.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// The sample settings on COM1, odd parity, 7 bits, with TNC2 chosen: lines 1 and 3 to initialize.
ProcessState storedState()
{
    return settingsOnCom1({"MYCALL N0TEST", "", "BTEXT settings kept"});
}

QByteArray storedSettings()
{
    return settingsBytes(storedState());
}

// The program on the program folder `home`; by default the test reads its standard error.
void startProgram(QProcess& quillmar, const QString& home,
                  QProcess::ProcessChannelMode channels = QProcess::SeparateChannels)
{
    QVERIFY2(startQuillmar(quillmar, home, kSimWaitMs, channels),
             qPrintable(quillmar.errorString()));
}

// SIGTERM, and the program ends by itself with status 0.
void terminate(QProcess& quillmar)
{
    QVERIFY2(terminateQuillmar(quillmar, kSimWaitMs), "did not end with status 0 after SIGTERM");
}

// True once some process holds the program folder.
bool folderHeld(const QString& home)
{
    const int fd =
        ::open(QFile::encodeName(home + QStringLiteral("/Quillmar.lock")).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

} // namespace

class SettingsRestartTest : public QObject {
    Q_OBJECT
private slots:
    void startAndStopKeepTheFile();
    void signalWhileTheStartUpBoxIsUp();
    void secondInstanceOnOneFolder();
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
    startProgram(quillmar, home.path(), QProcess::ForwardedErrorChannel);

    // The stored port opens and TNC2's filled lines go out, in order.
    const QByteArray initLines = "MYCALL N0TEST\rBTEXT settings kept\r";
    QTRY_VERIFY_WITH_TIMEOUT(readFile(heard).contains(initLines), kSimWaitMs);

    terminate(quillmar);

    // Close wrote the same bytes to a new file renamed over the old.
    QVERIFY(inodeOf(cfg) != written);
    QCOMPARE(readFile(cfg), stored);
    QVERIFY(sim.stop());
}

// The stored port is missing: its box comes up during the first showing, and SIGTERM arrives meanwhile. The
// box closes as if OK, the port falls back to none, and the program closes once and saves that.
void SettingsRestartTest::signalWhileTheStartUpBoxIsUp()
{
    QTemporaryDir home;
    const QString cfg = home.filePath(QStringLiteral("Quillmar.cfg"));
    QVERIFY(home.isValid() && writeFile(cfg, storedSettings()));
    QVERIFY(QFile::link(home.filePath(QStringLiteral("gone")), home.filePath(QStringLiteral("COM1"))));
    QProcess quillmar;
    startProgram(quillmar, home.path(), QProcess::ForwardedErrorChannel);
    // The probe's failure is traced just before its box comes up.
    const QString trace = home.filePath(QStringLiteral("nrcommlib.log"));
    QTRY_VERIFY_WITH_TIMEOUT(readFile(trace).contains("cannot open"), kSimWaitMs);

    terminate(quillmar);

    ProcessState expected = storedState();
    setCommPortName(expected, "NONE");
    expected.CommPortSelected = 0;
    QCOMPARE(readFile(cfg), settingsBytes(expected));
}

// A second program on the same folder keeps no settings and says so; the first one's file is what stays. Once
// the first has ended, the next program keeps settings again.
void SettingsRestartTest::secondInstanceOnOneFolder()
{
    QTemporaryDir home;
    const QString cfg = home.filePath(QStringLiteral("Quillmar.cfg"));
    ProcessState state = storedState();
    setCommPortName(state, "NONE");
    state.CommPortSelected = 0;
    const QByteArray stored = settingsBytes(state);
    QVERIFY(home.isValid() && writeFile(cfg, stored));
    QProcess first, second, third;
    startProgram(first, home.path());
    QTRY_VERIFY_WITH_TIMEOUT(folderHeld(home.path()), kSimWaitMs);
    startProgram(second, home.path());
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += second.readAllStandardError()).contains("QUILLMAR_HOME"), kSimWaitMs);
    const ino_t untouched = inodeOf(cfg);
    // Said once in the status area, which the trace file follows.
    QCOMPARE(readFile(home.filePath(QStringLiteral("nrcommlib.log"))).count("keeps no settings"), 1);

    terminate(second);
    QCOMPARE(inodeOf(cfg), untouched);
    terminate(first);
    QVERIFY(inodeOf(cfg) != untouched);
    QCOMPARE(readFile(cfg), stored);

    const ino_t firstWrote = inodeOf(cfg);
    startProgram(third, home.path());
    QTRY_VERIFY_WITH_TIMEOUT(folderHeld(home.path()), kSimWaitMs);
    terminate(third);
    QVERIFY(!third.readAllStandardError().contains("QUILLMAR_HOME"));
    QVERIFY(inodeOf(cfg) != firstWrote);
    QCOMPARE(readFile(cfg), stored);
}

QTEST_GUILESS_MAIN(SettingsRestartTest)
#include "settings_restart_test.moc"

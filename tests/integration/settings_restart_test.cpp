// The real program and its settings file: it opens the stored port, sends TNC2's initialization lines, and on
// SIGTERM writes the file anew, byte for byte, with line settings a pty cannot apply (odd parity, 7 bits)
// unchanged.

#include "file_bytes.h"
#include "quillmar_process.h"
#include "settings_sample.h"
#include "tnc_sim.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

namespace {

ino_t inodeOf(const QString& path)
{
    struct stat st = {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

// TNC2's lines 1 and 3 to initialize.
QByteArray storedSettings()
{
    return settingsBytes(settingsOnCom1({"MYCALL N0TEST", "", "BTEXT settings kept"}));
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
    QVERIFY2(startQuillmar(quillmar, home.path(), kSimWaitMs), qPrintable(quillmar.errorString()));

    // The stored port opens and TNC2's filled lines go out, in order.
    const QByteArray initLines = "MYCALL N0TEST\rBTEXT settings kept\r";
    QTRY_VERIFY_WITH_TIMEOUT(readFile(heard).contains(initLines), kSimWaitMs);

    QVERIFY(terminateQuillmar(quillmar, kSimWaitMs));

    // Close wrote the same bytes to a new file renamed over the old.
    QVERIFY(inodeOf(cfg) != written);
    QCOMPARE(readFile(cfg), stored);
    QVERIFY(sim.stop());
}

QTEST_GUILESS_MAIN(SettingsRestartTest)
#include "settings_restart_test.moc"

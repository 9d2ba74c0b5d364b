// The whole path of a file transfer in the program: the ZModem component and its controls on the real
// serial layer, with lrzsz's sz and rz at the other end of a pseudo-terminal relay, on a clean line and on
// one that falls silent for 45 s in mid-file (lrzsz's sz gives up at about 60 s).

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "pty_relay.h"
#include "transfer/nr_zmodem.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int WaitMs = 60000;

// A file of `size` bytes that differ from position to position.
QByteArray writeFile(const QString& path, int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        seed = seed * 1664525u + 1013904223u;
        bytes[i] = char(seed >> 24);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == size ? bytes : QByteArray();
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

QString statusText()
{
    return Ferrow->LogScreen->toPlainText();
}

} // namespace

class ZModemWindowLrzszTest : public QObject {
    Q_OBJECT
private slots:
    void transfersBothWays_data();
    void transfersBothWays();
};

void ZModemWindowLrzszTest::transfersBothWays_data()
{
    QTest::addColumn<int>("silenceMs"); // once a third of the file is across, both ways
    QTest::newRow("clean line") << 0;
    // Real time: about two minutes. CTest runs this row on its own, labelled "realtime".
    QTest::newRow("45 s silence mid-file") << 45000;
}

// The remote station sends with sz and the program takes the file by itself; then the operator sends one
// with Z-Send to rz, on a fresh line.
void ZModemWindowLrzszTest::transfersBothWays()
{
    QFETCH(int, silenceMs);
    WindowFixture f(true);
    f.show();
    Ferrow->nrComm1->SetBaudRate(115200);
    Ferrow->nrComm1->SetByteSize(8);
    Ferrow->nrComm1->SetParity(0);
    const QString outbox = f.home() + QStringLiteral("outbox/"),
                  remote = f.home() + QStringLiteral("remote/");
    QVERIFY(QDir().mkpath(outbox) && QDir().mkpath(remote));
    Ferrow->nrZModem1->SetDefaultPath(f.home());
    for (bool programSends : {false, true}) {
        const int size = programSends ? 200 * 1024 + 17 : 300 * 1024;
        const QString name = programSends ? QStringLiteral("report.bin") : QStringLiteral("net log.txt");
        const QByteArray bytes = writeFile((programSends ? f.home() : outbox) + name, size, size);
        // A line silent for `silenceMs` once a third of the file came from the sender's end (B for sz);
        // COM1 leads to its end A.
        PtyRelay line(programSends ? PtyRelay::A : PtyRelay::B, size / 3, silenceMs);
        QFile::remove(f.home() + QStringLiteral("COM1"));
        QVERIFY(
            QFile::link(QString::fromStdString(line.path(PtyRelay::A)), f.home() + QStringLiteral("COM1")));
        if (programSends)
            Ferrow->nrComm1->SetActive(true);
        else
            Ferrow->Comm11->trigger();
        QVERIFY2(Ferrow->nrComm1->GetActive(), qPrintable(statusText()));
        Ferrow->LogScreen->clear();
        QProcess peer;
        peer.setWorkingDirectory(programSends ? remote : outbox);
        peer.start(QStringLiteral("sh"),
                   {QStringLiteral("-c"),
                    QStringLiteral("exec %1 <'%2' >'%2'")
                        .arg(programSends ? "rz -q" : "sz -q 'net log.txt'",
                             QString::fromStdString(line.path(PtyRelay::B)))});
        QVERIFY(peer.waitForStarted(WaitMs));
        if (programSends) {
            f.query.fileAnswers << f.home() + name;
            Ferrow->ZFileOpenBtn->click();
            Ferrow->ZSendBtn->click();
        }
        QTRY_VERIFY_WITH_TIMEOUT(statusText().contains(QStringLiteral("End of Transfers")),
                                 WaitMs + silenceMs);
        QTRY_COMPARE_WITH_TIMEOUT(peer.state(), QProcess::NotRunning, WaitMs + silenceMs);
        QCOMPARE(peer.exitCode(), 0);
        QCOMPARE(line.silenceBegan(), silenceMs > 0);
        const QString text = statusText();
        QVERIFY2(programSends ? text.startsWith("Sending...\n" + name + "\nFile Sent\n")
                              : text.contains("Receiving...\n" + name + "\n"),
                 qPrintable(text));
        QCOMPARE(readFile((programSends ? remote : f.home()) + name), bytes);
        QVERIFY(Ferrow->ZSendBtn->isEnabled());
        QVERIFY(!Ferrow->ZBreakBtn->isEnabled());
        Ferrow->nrComm1->SetActive(false); // before its line goes
    }
}

QTEST_MAIN(ZModemWindowLrzszTest)
#include "zmodem_window_lrzsz_test.moc"

// The whole path of a file transfer in the program: the ZModem component and
// its controls on the real serial layer, with lrzsz's sz and rz at the other
// end of a pseudo-terminal relay, on a clean line and on one that falls
// silent for 45 s in mid-file (lrzsz's sz gives up at about 60 s).

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "pty_relay.h"
#include "transfer/nr_zmodem.h"
#include "window_fixture.h"

#include <QAction>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int WaitMs = 60000;

QByteArray randomBytes(int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i) {
        seed = seed * 1664525u + 1013904223u;
        bytes[i] = char(seed >> 24);
    }
    return bytes;
}

// Runs an lrzsz program with the peer device as its standard input and output.
void startPeer(QProcess& process, const QString& peer, const QString& dir, const QString& command)
{
    process.setWorkingDirectory(dir);
    process.start(QStringLiteral("sh"),
                  {QStringLiteral("-c"), QStringLiteral("exec %1 <'%2' >'%2'").arg(command, peer)});
}

QString statusText()
{
    return Ferrow->LogScreen->toPlainText();
}

// A line for one transfer, silent for `holdMs` once a third of `size` came from the sender's end (B for
// sz); the program's COM1 leads to its end A.
std::unique_ptr<PtyRelay> lineFor(PtyRelay::End sender, int size, int holdMs, const QString& com1)
{
    auto line = std::make_unique<PtyRelay>(sender, size / 3, holdMs);
    QFile::remove(com1);
    return QFile::link(QString::fromStdString(line->path(PtyRelay::A)), com1) ? std::move(line) : nullptr;
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

void ZModemWindowLrzszTest::transfersBothWays()
{
    QFETCH(int, silenceMs);
    const int waitMs = WaitMs + silenceMs;
    const int incomingSize = 300 * 1024, outgoingSize = 200 * 1024 + 17;
    WindowFixture f(true);
    const QString com1 = f.home() + QStringLiteral("COM1");
    std::unique_ptr<PtyRelay> line = lineFor(PtyRelay::B, incomingSize, silenceMs, com1);
    QVERIFY(line);
    f.show();
    Ferrow->nrComm1->SetBaudRate(115200);
    Ferrow->nrComm1->SetByteSize(8);
    Ferrow->nrComm1->SetParity(0);
    Ferrow->Comm11->trigger();
    QVERIFY2(Ferrow->nrComm1->GetActive(), qPrintable(statusText()));
    const QString inbox = f.home() + QStringLiteral("inbox");
    const QString outbox = f.home() + QStringLiteral("outbox");
    QVERIFY(QDir().mkpath(inbox) && QDir().mkpath(outbox));
    Ferrow->nrZModem1->SetDefaultPath(inbox);

    // The remote station sends with sz; the program takes the file by itself.
    const QByteArray incoming = randomBytes(incomingSize, 7);
    QFile source(outbox + QStringLiteral("/net log.txt"));
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write(incoming) == incoming.size());
    source.close();
    Ferrow->LogScreen->clear();
    QProcess sz;
    startPeer(sz, QString::fromStdString(line->path(PtyRelay::B)), outbox,
              QStringLiteral("sz -q 'net log.txt'"));
    QTRY_VERIFY_WITH_TIMEOUT(statusText().contains(QStringLiteral("End of Transfers")), waitMs);
    QTRY_COMPARE_WITH_TIMEOUT(sz.state(), QProcess::NotRunning, waitMs);
    QCOMPARE(sz.exitCode(), 0);
    QCOMPARE(line->silenceBegan(), silenceMs > 0);
    QVERIFY(statusText().contains(QStringLiteral("Receiving...\nnet log.txt\n")));
    QFile arrived(inbox + QStringLiteral("/net log.txt"));
    QVERIFY(arrived.open(QIODevice::ReadOnly));
    QCOMPARE(arrived.readAll(), incoming);

    // The operator sends a file with Z-Send; the remote station runs rz on a fresh line.
    Ferrow->nrComm1->SetActive(false);
    line = lineFor(PtyRelay::A, outgoingSize, silenceMs, com1);
    QVERIFY(line);
    Ferrow->nrComm1->SetActive(true);
    QVERIFY2(Ferrow->nrComm1->GetActive(), qPrintable(statusText()));
    const QByteArray outgoing = randomBytes(outgoingSize, 11);
    QFile report(f.home() + QStringLiteral("report.bin"));
    QVERIFY(report.open(QIODevice::WriteOnly) && report.write(outgoing) == outgoing.size());
    report.close();
    const QString rzDir = f.home() + QStringLiteral("remote");
    QVERIFY(QDir().mkpath(rzDir));
    QProcess rz;
    startPeer(rz, QString::fromStdString(line->path(PtyRelay::B)), rzDir, QStringLiteral("rz -q"));
    QVERIFY(rz.waitForStarted(WaitMs));
    f.query.fileAnswers << report.fileName();
    Ferrow->ZFileOpenBtn->click();
    Ferrow->LogScreen->clear();
    Ferrow->ZSendBtn->click();
    QTRY_VERIFY_WITH_TIMEOUT(statusText().contains(QStringLiteral("End of Transfers")), waitMs);
    QTRY_COMPARE_WITH_TIMEOUT(rz.state(), QProcess::NotRunning, waitMs);
    QCOMPARE(rz.exitCode(), 0);
    QCOMPARE(line->silenceBegan(), silenceMs > 0);
    QVERIFY(statusText().startsWith(QStringLiteral("Sending...\nreport.bin\nFile Sent\n")));
    QFile got(rzDir + QStringLiteral("/report.bin"));
    QVERIFY(got.open(QIODevice::ReadOnly));
    QCOMPARE(got.readAll(), outgoing);
    QVERIFY(Ferrow->ZSendBtn->isEnabled());
    QVERIFY(!Ferrow->ZBreakBtn->isEnabled());
}

QTEST_MAIN(ZModemWindowLrzszTest)
#include "zmodem_window_lrzsz_test.moc"

// The whole path of a file transfer in the program: the ZModem component and
// its controls on the real serial layer, with lrzsz's sz and rz at the other
// end of a socat pseudo-terminal pair.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
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

// A socat pair: the program's COM1 at one end, the peer's device at the other.
struct PtyPair {
    QProcess socat;
    QString com1, peer;
    bool start(const QString& home)
    {
        com1 = home + QStringLiteral("COM1");
        peer = home + QStringLiteral("peer");
        socat.start(
            QStringLiteral("socat"),
            {QStringLiteral("pty,raw,echo=0,link=") + com1, QStringLiteral("pty,raw,echo=0,link=") + peer});
        return socat.waitForStarted(WaitMs);
    }
    ~PtyPair()
    {
        socat.terminate();
        socat.waitForFinished(WaitMs);
    }
};

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

} // namespace

class ZModemWindowLrzszTest : public QObject {
    Q_OBJECT
private slots:
    void transfersBothWays();
};

void ZModemWindowLrzszTest::transfersBothWays()
{
    WindowFixture f(true);
    PtyPair pair;
    QVERIFY(pair.start(f.home()));
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo::exists(pair.com1) && QFileInfo::exists(pair.peer), WaitMs);
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
    const QByteArray incoming = randomBytes(300 * 1024, 7);
    QFile source(outbox + QStringLiteral("/net log.txt"));
    QVERIFY(source.open(QIODevice::WriteOnly) && source.write(incoming) == incoming.size());
    source.close();
    Ferrow->LogScreen->clear();
    QProcess sz;
    startPeer(sz, pair.peer, outbox, QStringLiteral("sz -q 'net log.txt'"));
    QTRY_VERIFY_WITH_TIMEOUT(statusText().contains(QStringLiteral("End of Transfers")), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(sz.state(), QProcess::NotRunning, WaitMs);
    QCOMPARE(sz.exitCode(), 0);
    QVERIFY(statusText().contains(QStringLiteral("Receiving...\nnet log.txt\n")));
    QFile arrived(inbox + QStringLiteral("/net log.txt"));
    QVERIFY(arrived.open(QIODevice::ReadOnly));
    QCOMPARE(arrived.readAll(), incoming);

    // The operator sends a file with Z-Send; the remote station runs rz.
    const QByteArray outgoing = randomBytes(200 * 1024 + 17, 11);
    QFile report(f.home() + QStringLiteral("report.bin"));
    QVERIFY(report.open(QIODevice::WriteOnly) && report.write(outgoing) == outgoing.size());
    report.close();
    const QString rzDir = f.home() + QStringLiteral("remote");
    QVERIFY(QDir().mkpath(rzDir));
    QProcess rz;
    startPeer(rz, pair.peer, rzDir, QStringLiteral("rz -q"));
    QVERIFY(rz.waitForStarted(WaitMs));
    f.query.fileAnswers << report.fileName();
    Ferrow->ZFileOpenBtn->click();
    Ferrow->LogScreen->clear();
    Ferrow->ZSendBtn->click();
    QTRY_VERIFY_WITH_TIMEOUT(statusText().contains(QStringLiteral("End of Transfers")), WaitMs);
    QTRY_COMPARE_WITH_TIMEOUT(rz.state(), QProcess::NotRunning, WaitMs);
    QCOMPARE(rz.exitCode(), 0);
    QVERIFY(statusText().startsWith(QStringLiteral("Sending...\nreport.bin\nFile Sent\n")));
    QFile got(rzDir + QStringLiteral("/report.bin"));
    QVERIFY(got.open(QIODevice::ReadOnly));
    QCOMPARE(got.readAll(), outgoing);
    QVERIFY(Ferrow->ZSendBtn->isEnabled());
}

QTEST_MAIN(ZModemWindowLrzszTest)
#include "zmodem_window_lrzsz_test.moc"

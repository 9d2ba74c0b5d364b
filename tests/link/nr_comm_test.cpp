// The serial layer on a fake device: sending in call order, where received
// bytes go, the trace, and how a device that fails while open is handled.

#include "app/seams.h"
#include "fake_seams.h"
#include "fake_transport.h"
#include "link/nr_comm.h"
#include "link/nr_log_file.h"
#include "link/nr_semaphore.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Takes everything between '{' and '}' for itself, as a transfer engine would.
class BracketProcessor final : public TnrDataProcessor {
public:
    QByteArray ProcessReceived(const QByteArray& bytes) override
    {
        QByteArray terminal;
        for (char c : bytes) {
            if (c == '{')
                inside = true;
            else if (c == '}')
                inside = false;
            else if (inside)
                taken += c;
            else
                terminal += c;
        }
        return terminal;
    }
    bool GetActive() const override { return active; }
    bool active = true;
    bool inside = false;
    QByteArray taken;
};

struct Rig {
    Transcript transcript;
    FakeTransport* device = nullptr;
    TnrLogFile log;
    TnrSemaphore cts, dsr;
    std::unique_ptr<TnrComm> comm;
    QByteArray screen;
    QStringList trace;

    Rig()
    {
        auto fake = std::make_unique<FakeTransport>(&transcript);
        device = fake.get();
        comm = std::make_unique<TnrComm>(std::move(fake), &log);
        comm->SetIndicators(&cts, &dsr);
        comm->SetTerminal([this](const QByteArray& b) { screen += b; });
        comm->SetPortResolver([](int ordinal) { return QStringLiteral("/dev/fake%1").arg(ordinal); });
        QObject::connect(&log, &TnrLogFile::lineLogged, [this](const QString& l) { trace << l; });
    }
    void open(int ordinal = 0)
    {
        comm->SetComPort(ordinal);
        comm->SetActive(true);
    }
};

} // namespace

class NrCommTest : public QObject {
    Q_OBJECT
private slots:
    void sendsInCallOrder();
    void sendWhileClosedLeavesOneTraceLine_data();
    void sendWhileClosedLeavesOneTraceLine();
    void receivedBytesAndTerminalUsage_data();
    void receivedBytesAndTerminalUsage();
    void dataProcessorSeesBytesFirst();
    void deviceFailureAndReturn();
    void setActiveFalseStopsReopening();
    void traceFileStaysBounded();
};

void NrCommTest::sendsInCallOrder()
{
    Rig rig;
    rig.open(2);
    QCOMPARE(rig.device->device, QStringLiteral("/dev/fake2"));
    rig.comm->SendString(QByteArray("\x03", 1));
    rig.comm->SendString("DISCONNECT");
    rig.comm->SendChar(13);
    rig.comm->SendString("");
    QCOMPARE(rig.transcript.entries,
             (QStringList{"SendString <3>", "SendString DISCONNECT", "SendChar 13", "SendString "}));
}

void NrCommTest::sendWhileClosedLeavesOneTraceLine_data()
{
    QTest::addColumn<bool>("everOpened");
    QTest::newRow("never opened") << false;
    QTest::newRow("opened and closed") << true;
}

void NrCommTest::sendWhileClosedLeavesOneTraceLine()
{
    QFETCH(bool, everOpened);
    Rig rig;
    if (everOpened) {
        rig.open();
        rig.comm->SetActive(false);
    }
    rig.trace.clear();
    rig.comm->SendString("CONVERS\r");
    QCOMPARE(rig.trace.size(), 1);
    QVERIFY(rig.trace.last().contains(QStringLiteral("not sent")));
    rig.comm->SendChar(13);
    QCOMPARE(rig.trace.size(), 2);
    QVERIFY(rig.transcript.entries.isEmpty());
}

void NrCommTest::receivedBytesAndTerminalUsage_data()
{
    QTest::addColumn<QList<QByteArray>>("chunks");
    QTest::addColumn<int>("usageWhileReceiving");
    QTest::addColumn<QByteArray>("screenBefore"); // before usage returns to 2
    QTest::addColumn<QByteArray>("screenAfter");

    const QList<QByteArray> chunks{"cmd:", "*** CONNECTED", "\r\n"};
    QTest::newRow("terminal in use") << chunks << 2 << QByteArray("cmd:*** CONNECTED\r\n")
                                     << QByteArray("cmd:*** CONNECTED\r\n");
    QTest::newRow("held while a screen is sent, then in order")
        << chunks << 0 << QByteArray() << QByteArray("cmd:*** CONNECTED\r\n");
}

void NrCommTest::receivedBytesAndTerminalUsage()
{
    QFETCH(QList<QByteArray>, chunks);
    QFETCH(int, usageWhileReceiving);
    QFETCH(QByteArray, screenBefore);
    QFETCH(QByteArray, screenAfter);

    Rig rig;
    rig.open();
    QSignalSpy after(rig.comm.get(), &TnrComm::OnAfterReceive);
    rig.comm->SetTerminalUsage(usageWhileReceiving);
    for (const QByteArray& chunk : chunks)
        rig.device->inject(chunk);
    QCOMPARE(after.size(), chunks.size());
    QCOMPARE(rig.screen, screenBefore);
    rig.comm->SetTerminalUsage(2);
    rig.comm->SetTerminalUsage(2); // held bytes are written once
    QCOMPARE(rig.screen, screenAfter);
}

void NrCommTest::dataProcessorSeesBytesFirst()
{
    Rig rig;
    BracketProcessor zm;
    rig.comm->SetDataProcessor(&zm);
    rig.open();
    rig.comm->SetTerminalUsage(0);
    rig.device->inject("ab{xy");
    rig.device->inject("z}cd");
    // The processor saw its bytes at once, though the screen is held.
    QCOMPARE(zm.taken, QByteArray("xyz"));
    QCOMPARE(rig.screen, QByteArray());
    rig.comm->SetTerminalUsage(2);
    QCOMPARE(rig.screen, QByteArray("abcd"));

    zm.active = false;
    rig.device->inject("{raw}");
    QCOMPARE(rig.screen, QByteArray("abcd{raw}"));
}

void NrCommTest::deviceFailureAndReturn()
{
    Rig rig;
    SerialLineSettings line;
    line.baudRate = 19200;
    line.byteSize = 8;
    line.parity = pNone;
    rig.comm->SetBaudRate(line.baudRate);
    rig.comm->SetByteSize(line.byteSize);
    rig.comm->SetParity(line.parity);
    rig.open(0);
    rig.cts.SetChecked(true);
    rig.dsr.SetChecked(true);
    rig.trace.clear();

    rig.device->refuseOpen << QStringLiteral("/dev/fake0");
    rig.device->vanish(QStringLiteral("Input/output error"));

    QVERIFY(!rig.cts.GetChecked());
    QVERIFY(!rig.dsr.GetChecked());
    QCOMPARE(rig.trace.size(), 1);
    QVERIFY(rig.trace[0].contains(QStringLiteral("Input/output error")));
    QVERIFY(rig.comm->IsReopening());
    rig.comm->SendString("MYCALL\r"); // goes nowhere, says so
    QCOMPARE(rig.trace.size(), 2);
    QVERIFY(rig.transcript.entries.isEmpty());

    // The device comes back: the layer reopens it with the settings it had.
    rig.device->refuseOpen.clear();
    QTRY_VERIFY_WITH_TIMEOUT(rig.comm->GetActive(), 10000);
    QCOMPARE(rig.device->opens.size(), 2);
    QCOMPARE(rig.device->opens.last(), QStringLiteral("/dev/fake0"));
    QCOMPARE(rig.device->settings, line);
    QVERIFY(rig.cts.GetChecked());
    QVERIFY(rig.trace.last().contains(QStringLiteral("reopened")));
    QCOMPARE(rig.trace.size(), 3); // the failed tries in between left no lines
    rig.comm->SendString("MYCALL\r");
    QCOMPARE(rig.transcript.entries, QStringList{QStringLiteral("SendString MYCALL<13>")});
}

void NrCommTest::setActiveFalseStopsReopening()
{
    Rig rig;
    rig.open();
    rig.device->vanish(QStringLiteral("gone"));
    QVERIFY(rig.comm->IsReopening());
    rig.comm->SetActive(false);
    QVERIFY(!rig.comm->IsReopening());
    QCOMPARE(rig.device->opens.size(), 1);
}

void NrCommTest::traceFileStaysBounded()
{
    QTemporaryDir dir;
    TnrLogFile log;
    const QString path = dir.filePath(QStringLiteral("nrcommlib.log"));
    log.SetFileName(path);
    log.SetSizeLimit(1); // KiB
    const QString line(100, QLatin1Char('t'));
    for (int i = 0; i < 100; ++i)
        log.Log(line);
    QVERIFY(QFileInfo(path).size() <= 1024 + 200);
    QVERIFY(QFileInfo::exists(path + QStringLiteral(".old")));
    QVERIFY(QFileInfo(path + QStringLiteral(".old")).size() <= 1024 + 200);
}

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    ScriptedQuery query;
    seams::Set set;
    set.query = &query;
    seams::install(set);
    NrCommTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "nr_comm_test.moc"

// The serial layer on a fake device: where received bytes go, the trace, a
// device that fails while open (on a real pseudo-terminal that is tested with
// the TNC simulator). What the transports themselves promise (send order,
// pauses as gaps, closing drains) is in serial_transport_test.

#include "app/production_seams.h"
#include "fake_seams.h"
#include "fake_transport.h"
#include "link/nr_comm.h"
#include "link/nr_log_file.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Takes the capital letters for itself, as a transfer engine takes its frames.
class CapitalsProcessor final : public TnrDataProcessor {
public:
    QByteArray ProcessReceived(const QByteArray& bytes) override
    {
        QByteArray rest;
        for (const char c : bytes)
            (c >= 'A' && c <= 'Z' ? taken : rest) += c;
        return rest;
    }
    bool GetActive() const override { return active; }
    bool active = true;
    QByteArray taken;
};

// The serial layer on a fake device, its trace and screen captured.
struct Rig {
    Transcript transcript;
    FakeTransport* device = nullptr;
    TnrLogFile log;
    std::unique_ptr<TnrComm> comm;
    QByteArray screen;
    QStringList trace;

    Rig()
    {
        auto fake = std::make_unique<FakeTransport>(&transcript);
        device = fake.get();
        comm = std::make_unique<TnrComm>(std::move(fake), &log);
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

class SerialLayerTest : public QObject {
    Q_OBJECT
private slots:
    void receivedBytesHeldAndProcessedFirst();
    void deviceFailureAndReturn_data();
    void deviceFailureAndReturn();
    void traceFileStaysBounded();
};

// A transfer engine sees every byte at once; the screen gets the rest, held
// in order while terminal usage is 0 and written once when it returns to 2.
void SerialLayerTest::receivedBytesHeldAndProcessedFirst()
{
    Rig rig;
    CapitalsProcessor zm;
    rig.comm->SetDataProcessor(&zm);
    rig.open();
    QSignalSpy after(rig.comm.get(), &TnrComm::OnAfterReceive);
    rig.comm->SetTerminalUsage(0);
    rig.device->inject("abXY");
    rig.device->inject("Zcd");
    QCOMPARE(after.size(), 2);
    QCOMPARE(zm.taken, QByteArray("XYZ"));
    QCOMPARE(rig.screen, QByteArray());
    rig.comm->SetTerminalUsage(2);
    rig.comm->SetTerminalUsage(2);
    QCOMPARE(rig.screen, QByteArray("abcd"));

    zm.active = false;
    rig.device->inject("RAW");
    QCOMPARE(rig.screen, QByteArray("abcdRAW"));
}

void SerialLayerTest::deviceFailureAndReturn_data()
{
    QTest::addColumn<bool>("closedMeanwhile");
    QTest::newRow("the device returns: reopened with its settings") << false;
    QTest::newRow("the port closed meanwhile: no more reopening") << true;
}

void SerialLayerTest::deviceFailureAndReturn()
{
    QFETCH(bool, closedMeanwhile);
    Rig rig;
    const SerialLineSettings line{19200, pNone, sbOne, 8, spNone};
    rig.comm->SetBaudRate(line.baudRate);
    rig.comm->SetByteSize(line.byteSize);
    rig.comm->SetParity(line.parity);
    rig.open(0);
    rig.trace.clear();

    rig.device->refuseOpen << QStringLiteral("/dev/fake0");
    rig.device->vanish(QStringLiteral("Input/output error"));
    QCOMPARE(rig.trace.size(), 1);
    QVERIFY(rig.trace[0].contains(QStringLiteral("Input/output error")));
    QVERIFY(rig.comm->IsReopening());
    if (closedMeanwhile) {
        rig.comm->SetActive(false);
        QVERIFY(!rig.comm->IsReopening());
        return;
    }

    rig.device->refuseOpen.clear();
    QTRY_VERIFY_WITH_TIMEOUT(rig.comm->GetActive(), 10000);
    QCOMPARE(rig.device->opens, (QStringList{"/dev/fake0", "/dev/fake0"}));
    QCOMPARE(rig.device->settings, line);
    QCOMPARE(rig.trace.size(), 2); // the failed tries in between left no lines
    QVERIFY(rig.trace.last().contains(QStringLiteral("reopened")));
}

void SerialLayerTest::traceFileStaysBounded()
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
    BlockingPause pause;
    ScriptedQuery query;
    seams::Set set;
    set.pause = &pause;
    set.query = &query;
    seams::install(set);
    SerialLayerTest test;
    return QTest::qExec(&test, argc, argv);
}
#include "serial_layer_test.moc"

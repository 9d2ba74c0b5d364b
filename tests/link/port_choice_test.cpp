// Choosing the TNC's serial port and editing its line settings, on a fake
// device: the check marks, the port variables, the probe, the boxes.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "link/nr_semaphore.h"
#include "link/port_names.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QAction>
#include <QMenu>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// "COM1".."COM6" or "None": the one checked item of the port menu.
QString checkedPort()
{
    QStringList checked;
    for (QAction* a : Ferrow->Port1->actions())
        if (a->isChecked())
            checked << a->text();
    return checked.join(QLatin1Char(','));
}

void choose(const QString& item)
{
    for (QAction* a : Ferrow->Port1->actions())
        if (a->text() == item)
            a->trigger(); // as the operator would, through the menu
}

} // namespace

class PortChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void choices_data();
    void choices();
    void alreadyCheckedPortDoesNothing();
    void failedProbeFallsBackToNone_data();
    void failedProbeFallsBackToNone();
    void commsInterfaceSetup_data();
    void commsInterfaceSetup();
    void portResolution_data();
    void portResolution();
};

void PortChoiceTest::choices_data()
{
    QTest::addColumn<QStringList>("sequence");
    QTest::addColumn<QString>("checked");
    QTest::addColumn<int>("portNumber");
    QTest::addColumn<QByteArray>("portName");
    QTest::addColumn<QStringList>("opens"); // devices opened, by COM number
    QTest::addColumn<bool>("lampsOn");

    QTest::newRow("COM1") << QStringList{"COM1"} << "COM1" << 1 << QByteArray("COM1") << QStringList{"COM1"}
                          << true;
    QTest::newRow("COM5 then COM2") << QStringList{"COM5", "COM2"} << "COM2" << 2 << QByteArray("COM2")
                                    << QStringList{"COM5", "COM2"} << true;
    QTest::newRow("COM5, COM2, COM5 again") << QStringList{"COM5", "COM2", "COM5"} << "COM5" << 5
                                            << QByteArray("COM5") << QStringList{"COM5", "COM2", "COM5"} << true;
    QTest::newRow("None twice after COM3") << QStringList{"COM3", "None", "None"} << "None" << 0
                                           << QByteArray("NONE") << QStringList{"COM3"} << true;
    QTest::newRow("None twice from the start") << QStringList{"None", "None"} << "None" << 0
                                               << QByteArray("NONE") << QStringList{} << false;
}

void PortChoiceTest::choices()
{
    QFETCH(QStringList, sequence);
    QFETCH(QString, checked);
    QFETCH(int, portNumber);
    QFETCH(QByteArray, portName);
    QFETCH(QStringList, opens);
    QFETCH(bool, lampsOn);

    WindowFixture f;
    f.show();
    for (const QString& item : sequence)
        choose(item);

    QCOMPARE(checkedPort(), checked);
    QCOMPARE(G.CommPortNumber, portNumber);
    QCOMPARE(G.CommPortSelected, portNumber);
    QCOMPARE(commPortNameText(G), portName);
    QStringList expectedDevices;
    for (const QString& port : opens)
        expectedDevices << Ferrow->comPortPath(port.mid(3).toInt());
    QCOMPARE(f.device()->opens, expectedDevices);
    QCOMPARE(Ferrow->nrComm1->GetActive(), portNumber != 0);
    // "None" leaves the lamps as they were.
    QCOMPARE(Ferrow->CTS_Status->GetChecked(), lampsOn);
    QCOMPARE(Ferrow->DSR_Status->GetChecked(), lampsOn);
    QVERIFY(f.query.boxes.isEmpty());
}

void PortChoiceTest::alreadyCheckedPortDoesNothing()
{
    WindowFixture f;
    f.show();
    choose(QStringLiteral("COM4"));
    Ferrow->TransmitScreen->setFocus();
    QTextCursor middle = Ferrow->TransmitScreen->textCursor();
    middle.setPosition(3);
    Ferrow->TransmitScreen->setTextCursor(middle);
    const int probes = f.device()->probes.size();

    choose(QStringLiteral("COM4"));

    QCOMPARE(f.device()->probes.size(), probes);
    QCOMPARE(f.device()->opens.size(), 1);
    QCOMPARE(f.device()->closes, 0);
    QCOMPARE(Ferrow->TransmitScreen->textCursor().position(), 3); // the focus step did not run
}

void PortChoiceTest::failedProbeFallsBackToNone_data()
{
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("refuseOpen");
    QTest::addColumn<QStringList>("boxes");

    const QString box = QStringLiteral("Communications I/O Error|Failed to open the comms device");
    QTest::newRow("device cannot be opened") << int(ProbeResult::OpenFailed) << false << QStringList{box};
    QTest::newRow("state cannot be read: no box") << int(ProbeResult::StateFailed) << false << QStringList{};
    QTest::newRow("probe fine, open refused") << int(ProbeResult::Ok) << true << QStringList{box};
}

void PortChoiceTest::failedProbeFallsBackToNone()
{
    QFETCH(int, outcome);
    QFETCH(bool, refuseOpen);
    QFETCH(QStringList, boxes);

    WindowFixture f;
    f.show();
    choose(QStringLiteral("COM1")); // a port that was open before is closed as well
    const QString com2 = Ferrow->comPortPath(2);
    f.device()->probeOutcome[com2] = ProbeResult::Outcome(outcome);
    if (refuseOpen)
        f.device()->refuseOpen << com2;
    Ferrow->CTS_Status->SetChecked(false);
    Ferrow->DSR_Status->SetChecked(false);

    choose(QStringLiteral("COM2"));

    QCOMPARE(f.query.boxes, boxes);
    for (QWidget* owner : f.query.boxOwners)
        QCOMPARE(owner, static_cast<QWidget*>(Ferrow));
    QCOMPARE(checkedPort(), QStringLiteral("None"));
    QCOMPARE(G.CommPortNumber, 0);
    QCOMPARE(G.CommPortSelected, 0);
    QCOMPARE(commPortNameText(G), QByteArray("NONE"));
    QCOMPARE(G.PortProbeResult, 0);
    QVERIFY(!Ferrow->nrComm1->GetActive());
    // The lamps never light on a port that is not open.
    QVERIFY(!Ferrow->CTS_Status->GetChecked());
    QVERIFY(!Ferrow->DSR_Status->GetChecked());
    // Whatever the outcome, the caret ends in the typing screen.
    QCOMPARE(G.ActiveScreen, 1);
    QVERIFY(Ferrow->LogScreen->toPlainText().contains(QStringLiteral("fake")));
}

void PortChoiceTest::commsInterfaceSetup_data()
{
    QTest::addColumn<bool>("confirm");
    QTest::newRow("cancelled") << false;
    QTest::newRow("confirmed") << true;
}

void PortChoiceTest::commsInterfaceSetup()
{
    QFETCH(bool, confirm);
    WindowFixture f;
    f.show();
    choose(QStringLiteral("COM1"));
    SerialLineSettings chosen;
    chosen.baudRate = 1200;
    chosen.parity = pNone;
    chosen.stopBits = sbTwo;
    chosen.byteSize = 8;
    chosen.streamProtocol = spRtsCts;
    f.query.lineAnswers << (confirm ? std::optional(chosen) : std::nullopt);

    Ferrow->CommsInterfaceSetup1->trigger();

    QCOMPARE(f.query.queries, QStringList{QStringLiteral("line settings")});
    if (confirm) {
        QCOMPARE(G.SerialParity, int(pNone));
        QCOMPARE(G.SerialBaudRate, 1200);
        QCOMPARE(G.SerialStopBits, int(sbTwo));
        QCOMPARE(G.SerialStreamProtocol, int(spRtsCts));
        // The byte size stays in the serial layer until the settings are saved.
        QCOMPARE(G.SerialByteSize, 7);
        QCOMPARE(int(Ferrow->nrComm1->GetByteSize()), 8);
        // The open port takes the new line settings at once; it is not reopened.
        QCOMPARE(f.device()->settings, chosen);
        QCOMPARE(f.device()->opens.size(), 1);
    } else {
        QCOMPARE(G.SerialParity, 1);
        QCOMPARE(G.SerialBaudRate, 9600);
        QCOMPARE(G.SerialStopBits, 1);
        QCOMPARE(G.SerialStreamProtocol, 0);
        QCOMPARE(Ferrow->nrComm1->lineSettings(), SerialLineSettings{});
    }
}

void PortChoiceTest::portResolution_data()
{
    QTest::addColumn<QString>("present"); // what <folder>/COM3 is: "", "link", "dangling", "file"
    QTest::addColumn<bool>("ownPath");

    QTest::newRow("nothing there: the system's serial port") << "" << false;
    QTest::newRow("a link to a device") << "link" << true;
    QTest::newRow("a link whose device is gone for now") << "dangling" << true;
    QTest::newRow("a device node or file") << "file" << true;
}

void PortChoiceTest::portResolution()
{
    QFETCH(QString, present);
    QFETCH(bool, ownPath);
    QTemporaryDir folder;
    const QString own = folder.filePath(QStringLiteral("COM3"));
    if (present == "link")
        QVERIFY(QFile::link(QStringLiteral("/dev/null"), own));
    else if (present == "dangling")
        QVERIFY(QFile::link(folder.filePath(QStringLiteral("gone")), own));
    else if (present == "file")
        QVERIFY(QFile(own).open(QIODevice::WriteOnly));

    QCOMPARE(resolveComPort(folder.path() + QLatin1Char('/'), 3), ownPath ? own : QStringLiteral("/dev/ttyS2"));
}

QTEST_MAIN(PortChoiceTest)
#include "port_choice_test.moc"

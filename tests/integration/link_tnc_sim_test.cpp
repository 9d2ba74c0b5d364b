// The TNC link against the TNC simulator on a real pseudo-terminal: the
// selected TNC's initialization lines reach the TNC at start-up, Connect and
// Discon.. get the TNC's answers into the receive screen, and the
// termination lines go out at close before the port is shut.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "link/station_form.h"
#include "screens/screen_memo.h"
#include "tnc_sim.h"
#include "window_fixture.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class LinkTncSimTest : public QObject {
    Q_OBJECT
private slots:
    void startConnectDisconnectClose();
};

void LinkTncSimTest::startConnectDisconnectClose()
{
    WindowFixture f(true);
    TncSim sim(f.home() + QStringLiteral("COM1"), f.home() + QStringLiteral("sim.bin"));
    QVERIFY2(sim.start(), qPrintable(sim.error()));

    // TNC3 is the stored choice; line 2 of each set is empty and skipped.
    G.SelectedTnc = 2;
    G.TncInitCommands[2][0].store("MYCALL K1ABC");
    G.TncInitCommands[2][2].store("BTEXT Net control");
    G.TncTermCommands[2][1].store("BTEXT %");
    G.TncTermCommands[2][3].store("MYCALL N0CALL");
    G.TncInitCommands[1][0].store("MYCALL W0RONG"); // another TNC's lines stay home
    Ferrow->Comm11Click();                          // the stored port, opened while the settings are applied
    QVERIFY2(Ferrow->nrComm1->GetActive(), qPrintable(Ferrow->LogScreen->toPlainText()));
    StationForm->setStation(31, "K1ABC", "C K1ABC VIA W1XYZ-1");

    f.show();
    const QByteArray atStart = "MYCALL K1ABC\rBTEXT Net control\r";
    QTRY_COMPARE_WITH_TIMEOUT(sim.transcript(), atStart, kSimWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(
        Ferrow->ReceiveScreen->toPlainText().contains(QStringLiteral("MYCALL was N0CALL")), kSimWaitMs);

    Ferrow->ConnectBtn->click(); // entry 32, as start-up left the drop-down
    QTRY_VERIFY_WITH_TIMEOUT(
        Ferrow->ReceiveScreen->toPlainText().contains(QStringLiteral("*** CONNECTED to K1ABC VIA W1XYZ-1")),
        kSimWaitMs);
    Ferrow->DisconnectBtn->click();
    QTRY_VERIFY_WITH_TIMEOUT(
        Ferrow->ReceiveScreen->toPlainText().contains(QStringLiteral("*** DISCONNECTED")), kSimWaitMs);

    Ferrow->close();
    QVERIFY(!Ferrow->nrComm1->GetActive());
    QTRY_COMPARE_WITH_TIMEOUT(sim.transcript(),
                              atStart + "C K1ABC VIA W1XYZ-1\r" +
                                  "\x03"
                                  "DISCONNECT\r" +
                                  "BTEXT %\rMYCALL N0CALL\r",
                              kSimWaitMs);
    QVERIFY(sim.stop());
    QVERIFY(f.query.boxes.isEmpty());
}

QTEST_MAIN(LinkTncSimTest)
#include "link_tnc_sim_test.moc"

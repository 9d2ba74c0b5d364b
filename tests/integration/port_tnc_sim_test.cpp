// The serial layer against the TNC simulator on a real pseudo-terminal: traffic flows both ways; the
// simulator going away is reported and survived; when it comes back on the same link the port reopens by
// itself.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_comm.h"
#include "link/nr_semaphore.h"
#include "screens/screen_memo.h"
#include "tnc_sim.h"
#include "window_fixture.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>

class PortTncSimTest : public QObject {
    Q_OBJECT
private slots:
    void trafficFailureAndReturn();
};

void PortTncSimTest::trafficFailureAndReturn()
{
    WindowFixture f(true);
    const QString link = f.home() + QStringLiteral("COM1");
    TncSim sim(link, f.home() + QStringLiteral("sim.bin"));
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    f.show();

    Ferrow->Comm11->trigger();
    QVERIFY2(Ferrow->nrComm1->GetActive(), qPrintable(Ferrow->LogScreen->toPlainText()));
    QVERIFY(Ferrow->CTS_Status->GetChecked() && Ferrow->DSR_Status->GetChecked() && f.query.boxes.isEmpty());

    Ferrow->nrComm1->SendString("MYCALL");
    Ferrow->nrComm1->SendChar(13);
    QTRY_VERIFY_WITH_TIMEOUT(Ferrow->ReceiveScreen->toPlainText().contains(QStringLiteral("MYCALL N0CALL")),
                             kSimWaitMs);
    QTRY_VERIFY_WITH_TIMEOUT(sim.transcript().endsWith("MYCALL\r"), kSimWaitMs);

    // The simulator stops (an adapter pulled in the field looks the same).
    QVERIFY(sim.stop());
    QTRY_VERIFY_WITH_TIMEOUT(Ferrow->nrComm1->IsReopening(), kSimWaitMs);
    QVERIFY(Ferrow->LogScreen->toPlainText().contains(QStringLiteral("lost")));
    QVERIFY(!Ferrow->CTS_Status->GetChecked() && !Ferrow->DSR_Status->GetChecked());
    QVERIFY(G.CommPortNumber == 1 && Ferrow->Comm11->isChecked()); // still chosen, so still stored at exit
    Ferrow->nrComm1->SendString("MYCALL\r");
    QVERIFY(Ferrow->LogScreen->toPlainText().contains(QStringLiteral("not sent")));

    // It comes back on the same link: the port reopens and traffic flows again.
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    QTRY_VERIFY_WITH_TIMEOUT(Ferrow->nrComm1->GetActive(), kSimWaitMs);
    QVERIFY(Ferrow->LogScreen->toPlainText().contains(QStringLiteral("reopened")));
    QVERIFY(Ferrow->CTS_Status->GetChecked());
    Ferrow->ReceiveScreen->clear();
    Ferrow->nrComm1->SendString("MYCALL K1ABC\r");
    QTRY_VERIFY_WITH_TIMEOUT(
        Ferrow->ReceiveScreen->toPlainText().contains(QStringLiteral("MYCALL was N0CALL")), kSimWaitMs);
    QVERIFY(f.query.boxes.isEmpty());
}

QTEST_MAIN(PortTncSimTest)
#include "port_tnc_sim_test.moc"

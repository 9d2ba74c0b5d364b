// Typing to the TNC simulator over a real pseudo-terminal: the keys reach it
// byte for byte in either send mode and from either typing screen, and its
// echo and answers appear in the receive screen.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "key_script.h"
#include "link/nr_comm.h"
#include "screens/screen_memo.h"
#include "tnc_sim.h"
#include "window_fixture.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QTest>

class TypingTncSimTest : public QObject {
    Q_OBJECT
private slots:
    void typedKeysReachTheTnc_data();
    void typedKeysReachTheTnc();
};

void TypingTncSimTest::typedKeysReachTheTnc_data()
{
    QTest::addColumn<int>("screenMode");
    QTest::addColumn<int>("sendMode");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QByteArray>("received"); // what the simulator got
    QTest::addColumn<QString>("shownLast");   // how the receive screen ends

    QTest::newRow("buffered: one command line")
        << 2 << 2 << "M Y C A L L <Enter>" << QByteArray("MYCALL\r") << "cmd:MYCALL\nMYCALL N0CALL\ncmd:";
    QTest::newRow("immediate: key by key, its Backspace echo undone on screen")
        << 2 << 1 << "M Y <BS> Y C A L L <Enter>" << QByteArray("MY\bYCALL\r")
        << "cmd:MYCALL\nMYCALL N0CALL\ncmd:";
    QTest::newRow("immediate: connect, a converse line, Ctrl+C back to command mode")
        << 2 << 1 << "C <Space> K 1 A B C <Enter> H I <Enter> ^C" << QByteArray("C K1ABC\rHI\r\x03")
        << "HI\nK1ABC: copied \"HI\" 73\ncmd:";
    QTest::newRow("single screen, buffered: typed locally, then echoed")
        << 1 << 2 << "M Y C A L L <Enter>" << QByteArray("MYCALL\r")
        << "cmd:MYCALL\nMYCALL\nMYCALL N0CALL\ncmd:";
}

void TypingTncSimTest::typedKeysReachTheTnc()
{
    QFETCH(int, screenMode);
    QFETCH(int, sendMode);
    QFETCH(QString, keys);
    QFETCH(QByteArray, received);
    QFETCH(QString, shownLast);
    WindowFixture f(true);
    TncSim sim(f.home() + QStringLiteral("COM1"), f.home() + QStringLiteral("sim.bin"));
    QVERIFY2(sim.start(), qPrintable(sim.error()));
    f.show();
    Ferrow->Comm11->trigger();
    QVERIFY2(Ferrow->nrComm1->GetActive(), qPrintable(Ferrow->LogScreen->toPlainText()));
    // The simulator's sign-on ends with its prompt; type once it is there.
    QTRY_VERIFY_WITH_TIMEOUT(Ferrow->ReceiveScreen->toPlainText().endsWith(QStringLiteral("cmd:")),
                             kSimWaitMs);
    G.ScreenMode = screenMode;
    (sendMode == 1 ? Ferrow->Immediate : Ferrow->Buffered)->trigger();

    typeKeys(screenMode == 2 ? Ferrow->TransmitScreen : Ferrow->ReceiveScreen, keys);

    QTRY_COMPARE_WITH_TIMEOUT(sim.transcript(), received, kSimWaitMs);
    QTRY_VERIFY2_WITH_TIMEOUT(Ferrow->ReceiveScreen->toPlainText().endsWith(shownLast),
                              qPrintable(Ferrow->ReceiveScreen->toPlainText()), kSimWaitMs);
    QVERIFY(f.query.boxes.isEmpty());
}

QTEST_MAIN(TypingTncSimTest)
#include "typing_tnc_sim_test.moc"

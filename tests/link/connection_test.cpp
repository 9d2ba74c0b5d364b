// The connection buttons and the function Send on a fake device: the bytes
// and pauses of each, the port check, and the keyboard handed back.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/function_form.h"
#include "link/station_form.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int AsAfterStart = -2; // leave the drop-down as start-up left it

QPushButton* buttonNamed(const QString& caption)
{
    for (QPushButton* b : {Ferrow->ConnectBtn, Ferrow->DisconnectBtn, Ferrow->TncResetBtn, Ferrow->ConverseBtn,
                           Ferrow->SendFunctionBtn})
        if (b->text() == caption)
            return b;
    return nullptr;
}

// Puts `text` into the entry the button will use: a station path for
// Connect, a command string for Send.
void storeEntry(bool function, int entry, const QByteArray& text)
{
    if (function)
        FunctionForm->setFunction(entry, "F" + QByteArray::number(entry + 1), text);
    else
        StationForm->setStation(entry, "STATION" + QByteArray::number(entry + 1), text);
}

} // namespace

class ConnectionTest : public QObject {
    Q_OBJECT
private slots:
    void sequences_data();
    void sequences();
};

void ConnectionTest::sequences_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<int>("chosen"); // row chosen in the drop-down
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QStringList>("sent");
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<bool>("dropTraced"); // the serial layer dropped a send: no port
    QTest::addColumn<bool>("focusBack");

    const QStringList none;
    const QString noPort = QStringLiteral("Communication Setup|No Comms port has been selected!");
    const QString noPortOrTnc = QStringLiteral("Communication Setup|No Comms port or TNC has been selected!");

    QTest::newRow("Connect after start: entry 32's path, pause, CR")
        << "Connect" << true << AsAfterStart << QByteArray("C N0CALL VIA WIDE1-1")
        << QStringList{"SendString C N0CALL VIA WIDE1-1", "pause 100", "SendChar 13"} << none << false << true;
    QTest::newRow("Connect to the chosen station, path sent as stored")
        << "Connect" << true << 4 << QByteArray("connect w1aw") << QStringList{"SendString connect w1aw", "pause 100", "SendChar 13"}
        << none << false << true;
    // An empty text is written as it is stored: no byte reaches the line.
    QTest::newRow("Connect with an empty path: only CR after the pause")
        << "Connect" << true << AsAfterStart << QByteArray() << QStringList{"SendString ", "pause 100", "SendChar 13"}
        << none << false << true;
    QTest::newRow("Connect with no station chosen does nothing")
        << "Connect" << true << -1 << QByteArray("C N0CALL") << none << none << false << false;
    QTest::newRow("Connect without a port: the box, nothing sent, focus stays")
        << "Connect" << false << AsAfterStart << QByteArray("C N0CALL") << none << QStringList{noPort} << false << false;
    QTest::newRow("Discon..: ETX, pause, DISCONNECT, pause, CR")
        << "Discon.." << true << AsAfterStart << QByteArray()
        << QStringList{"SendString <3>", "pause 100", "SendString DISCONNECT", "pause 100", "SendChar 13"} << none << false
        << true;
    QTest::newRow("Discon.. without a port tries anyway, with no box")
        << "Discon.." << false << AsAfterStart << QByteArray() << QStringList{"pause 100", "pause 100"} << none << true
        << true;
    QTest::newRow("Return: ETX then DISCONNE and CR in one text, no pause")
        << "Return" << true << AsAfterStart << QByteArray() << QStringList{"SendString <3>", "SendString DISCONNE<13>"}
        << none << false << true;
    QTest::newRow("Conv: CONVERS and CR in one text, then the pause")
        << "Conv" << true << AsAfterStart << QByteArray() << QStringList{"SendString CONVERS<13>", "pause 100"} << none
        << false << true;
    QTest::newRow("Send after start: function 12's command, pause, CR")
        << "Send" << true << AsAfterStart << QByteArray("BEACON EVERY 1")
        << QStringList{"SendString BEACON EVERY 1", "pause 100", "SendChar 13"} << none << false << true;
    QTest::newRow("Send the chosen function")
        << "Send" << true << 0 << QByteArray("MYCALL N0CALL-7") << QStringList{"SendString MYCALL N0CALL-7", "pause 100", "SendChar 13"}
        << none << false << true;
    QTest::newRow("Send an empty command: only CR after the pause")
        << "Send" << true << AsAfterStart << QByteArray() << QStringList{"SendString ", "pause 100", "SendChar 13"}
        << none << false << true;
    QTest::newRow("Send without a port: the box, nothing sent")
        << "Send" << false << AsAfterStart << QByteArray("MYCALL N0CALL") << none << QStringList{noPortOrTnc} << false
        << false;
}

void ConnectionTest::sequences()
{
    QFETCH(QString, button);
    QFETCH(bool, portOpen);
    QFETCH(int, chosen);
    QFETCH(QByteArray, stored);
    QFETCH(QStringList, sent);
    QFETCH(QStringList, boxes);
    QFETCH(bool, dropTraced);
    QFETCH(bool, focusBack);

    WindowFixture f;
    f.show();
    if (portOpen)
        openFakePort(1);
    const bool function = button == "Send";
    TComboBox* dropDown = function ? Ferrow->FunctionList : Ferrow->ConnectList;
    const int last = function ? TFunctionForm::Entries - 1 : TStationForm::Entries - 1;
    storeEntry(function, chosen >= 0 ? chosen : last, stored);
    if (chosen != AsAfterStart)
        dropDown->setCurrentIndex(chosen);
    // The operator was last in the receive screen, caret in mid-text.
    Ferrow->TransmitScreen->setPlainText(QStringLiteral("typed so far"));
    Ferrow->ReceiveScreenClick();
    f.transcript.clear();
    Ferrow->LogScreen->clear();

    buttonNamed(button)->click();

    QCOMPARE(f.transcript.entries, sent);
    QCOMPARE(f.query.boxes, boxes);
    for (QWidget* owner : f.query.boxOwners)
        QCOMPARE(owner, static_cast<QWidget*>(Ferrow));
    QCOMPARE(Ferrow->LogScreen->toPlainText().contains(QStringLiteral("not sent")), dropTraced);
    QCOMPARE(G.ActiveScreen, focusBack ? 1 : 0);
    const QTextCursor caret = Ferrow->TransmitScreen->textCursor();
    QCOMPARE(caret.atEnd(), focusBack);
}

QTEST_MAIN(ConnectionTest)
#include "connection_test.moc"

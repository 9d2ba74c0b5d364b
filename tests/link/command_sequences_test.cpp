// Everything that sends commands to the TNC, on a fake device: the bytes and
// pauses of the connection buttons, the function Send and the four sequences
// of a TNC's command lines; the port check, and the keyboard handed back.

#include "app/combo_box.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/function_form.h"
#include "link/station_form.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QAction>
#include <QPushButton>
#include <QTest>

namespace {

constexpr int AsAfterStart = -2; // the drop-down as start-up left it: its last row

QPushButton* buttonNamed(const QString& caption)
{
    for (QPushButton* b : {Ferrow->ConnectBtn, Ferrow->DisconnectBtn, Ferrow->TncResetBtn,
                           Ferrow->ConverseBtn, Ferrow->SendFunctionBtn})
        if (b->text() == caption)
            return b;
    return nullptr;
}

using Lines = QMap<int, QByteArray>; // slot -> text; every other slot empty

} // namespace

class CommandSequencesTest : public QObject {
    Q_OBJECT
private slots:
    void buttons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<int>("chosen");        // row chosen in the drop-down
        QTest::addColumn<QByteArray>("stored"); // the chosen row's path or command
        QTest::addColumn<QStringList>("sent");
        QTest::addColumn<QString>("box"); // "caption|text"

        const auto row = [](const char* name, const char* button, bool portOpen, int chosen,
                            const QByteArray& stored, const QStringList& sent, const QString& box = {}) {
            QTest::newRow(name) << button << portOpen << chosen << stored << sent << box;
        };
        const QStringList lineOut{"SendString C N0CALL", "pause 100", "SendChar 13"};
        row("Connect after start: entry 32's path, pause, CR", "Connect", true, AsAfterStart, "C N0CALL",
            lineOut);
        row("Connect to the chosen station", "Connect", true, 4, "C N0CALL", lineOut);
        // An empty text is written as it is stored: no byte reaches the line.
        row("Connect with an empty path: only CR after the pause", "Connect", true, AsAfterStart, "",
            {"SendString ", "pause 100", "SendChar 13"});
        row("Connect with no station chosen does nothing", "Connect", true, -1, "C N0CALL", {});
        row("Connect without a port: the box, nothing sent", "Connect", false, AsAfterStart, "C N0CALL", {},
            "Communication Setup|No Comms port has been selected!");
        row("Discon..: ETX, pause, DISCONNECT, pause, CR", "Discon..", true, AsAfterStart, "",
            {"SendString <3>", "pause 100", "SendString DISCONNECT", "pause 100", "SendChar 13"});
        row("Discon.. without a port tries anyway, with no box", "Discon..", false, AsAfterStart, "",
            {"pause 100", "pause 100"});
        row("Return: ETX then DISCONNE and CR in one text, no pause", "Return", true, AsAfterStart, "",
            {"SendString <3>", "SendString DISCONNE<13>"});
        row("Conv: CONVERS and CR in one text, then the pause", "Conv", true, AsAfterStart, "",
            {"SendString CONVERS<13>", "pause 100"});
        row("Send after start: function 12's command, pause, CR", "Send", true, AsAfterStart, "C N0CALL",
            lineOut);
        row("Send the chosen function", "Send", true, 0, "C N0CALL", lineOut);
        row("Send an empty command: only CR after the pause", "Send", true, AsAfterStart, "",
            {"SendString ", "pause 100", "SendChar 13"});
        row("Send without a port: the box, nothing sent", "Send", false, AsAfterStart, "C N0CALL", {},
            "Communication Setup|No Comms port or TNC has been selected!");
    }

    void buttons()
    {
        QFETCH(QString, button);
        QFETCH(bool, portOpen);
        QFETCH(int, chosen);
        QFETCH(QByteArray, stored);
        QFETCH(QStringList, sent);
        QFETCH(QString, box);
        WindowFixture f;
        f.show();
        if (portOpen)
            openFakePort(1);
        // Every entry holds another text; the one the button must use holds `stored`.
        const bool function = button == "Send";
        const int entries = function ? TFunctionForm::Entries : TStationForm::Entries;
        for (int i = 0; i < entries; ++i) {
            const bool used = i == (chosen >= 0 ? chosen : entries - 1);
            const QByteArray text = used ? stored : "WRONG " + QByteArray::number(i);
            if (function)
                FunctionForm->setFunction(i, "F" + QByteArray::number(i + 1), text);
            else
                StationForm->setStation(i, "STATION" + QByteArray::number(i + 1), text);
        }
        if (chosen != AsAfterStart)
            (function ? Ferrow->FunctionList : Ferrow->ConnectList)->setCurrentIndex(chosen);
        // The operator was last in the receive screen, caret in mid-text.
        Ferrow->TransmitScreen->setPlainText(QStringLiteral("typed so far"));
        Ferrow->ReceiveScreenClick();
        f.transcript.clear();
        Ferrow->LogScreen->clear();

        buttonNamed(button)->click();

        QCOMPARE(f.transcript.entries, sent);
        QCOMPARE(f.query.boxes, box.isEmpty() ? QStringList() : QStringList{box});
        for (QWidget* owner : f.query.boxOwners)
            QCOMPARE(owner, static_cast<QWidget*>(Ferrow));
        // The serial layer says so when a send finds no port.
        QCOMPARE(Ferrow->LogScreen->toPlainText().contains(QStringLiteral("not sent")),
                 !portOpen && box.isEmpty());
        // The keyboard goes back to the typing screen unless a box stopped the button.
        const bool focusBack = box.isEmpty() && chosen != -1;
        QCOMPARE(G.ActiveScreen, focusBack ? 1 : 0);
        QCOMPARE(Ferrow->TransmitScreen->textCursor().atEnd(), focusBack);
    }

    void tncSets_data()
    {
        QTest::addColumn<QString>("sequence");
        QTest::addColumn<int>("selectedTnc");
        QTest::addColumn<Lines>("lines");
        QTest::addColumn<QByteArrayList>("sent"); // the lines that go out, each as its sequence writes it

        const Lines oneAndThree{{0, "MYCALL N0CALL"}, {2, "BTEXT Net control"}};
        const Lines lastSlots{{31, "LINE 32"}, {32, "NOT A LINE"}};
        const QByteArrayList bothLines{"MYCALL N0CALL", "BTEXT Net control"};
        // No TNC: None (8), the empty selector row (9), an unmatched typed name (-1).
        for (const int none : {8, 9, -1})
            for (const char* sequence : {"Initialize TNC", "Terminate TNC", "start-up", "close"})
                QTest::addRow("%s: no TNC (%d)", sequence, none)
                    << sequence << none << oneAndThree << QByteArrayList{};
        QTest::newRow("Initialize: lines 1 and 3, the empty line 2 skipped")
            << "Initialize TNC" << 2 << oneAndThree << bothLines;
        QTest::newRow("Initialize: line 32 goes out, slot 32 never")
            << "Initialize TNC" << 0 << lastSlots << QByteArrayList{"LINE 32"};
        QTest::newRow("Initialize: all lines empty") << "Initialize TNC" << 7 << Lines{} << QByteArrayList{};
        QTest::newRow("Terminate: ETX first, then each line")
            << "Terminate TNC" << 2 << oneAndThree << bothLines;
        QTest::newRow("Terminate: 32 empty lines send exactly one ETX")
            << "Terminate TNC" << 5 << Lines{} << QByteArrayList{};
        QTest::newRow("start-up: lines 1, 2 and 5, after the banner")
            << "start-up" << 2 << Lines{{0, "A"}, {1, "B"}, {4, "E"}} << QByteArrayList{"A", "B", "E"};
        QTest::newRow("close: lines 1 and 3, before the port closes")
            << "close" << 2 << oneAndThree << bothLines;
        QTest::newRow("close: line 32 goes out, slot 32 never")
            << "close" << 6 << lastSlots << QByteArrayList{"LINE 32"};
    }

    void tncSets()
    {
        QFETCH(QString, sequence);
        QFETCH(int, selectedTnc);
        QFETCH(Lines, lines);
        QFETCH(QByteArrayList, sent);

        WindowFixture f;
        const bool initialization = sequence == "Initialize TNC" || sequence == "start-up";
        // The set under test holds `lines`; every other set, the None set 8
        // included, holds lines that must never go out here.
        for (int tnc = 0; tnc < 9; ++tnc) {
            const bool underTest = tnc == selectedTnc || !(selectedTnc >= 0 && selectedTnc < 8);
            for (int slot = 0; slot < 33; ++slot) {
                TextSlot& init = G.TncInitCommands[tnc][slot];
                TextSlot& term = G.TncTermCommands[tnc][slot];
                (initialization ? init : term)
                    .store(underTest ? lines.value(slot).toStdString() : "OTHER TNC");
                (initialization ? term : init).store("OTHER SET");
            }
        }
        G.SelectedTnc = selectedTnc;
        openFakePort(1);
        if (sequence == "start-up") {
            f.transcript.clear();
            f.show();
        } else {
            f.show();
            f.transcript.clear();
            if (sequence == "close")
                Ferrow->close();
            else
                (sequence == "Initialize TNC" ? Ferrow->InitializeTNC1 : Ferrow->Terminate1)->trigger();
        }
        // Each sequence's own pauses and line ends; start-up's banner pause comes first and
        // Terminate's ETX goes to a TNC even when all its lines are empty.
        const bool tnc = selectedTnc >= 0 && selectedTnc < 8;
        QStringList expected = sequence == "start-up" ? QStringList{"pause 100"}
            : sequence == "Terminate TNC" && tnc      ? QStringList{"SendString <3>"}
                                                      : QStringList{};
        const QString each = sequence == "Initialize TNC" ? "SendString %1|SendString <13>|pause 250"
            : sequence == "Terminate TNC"                 ? "SendString %1|pause 100|SendString <13>"
            : sequence == "start-up"                      ? "SendString %1|pause 35|SendChar 13|pause 150"
                                                          : "SendString %1|pause 25|SendChar 13|pause 150";
        for (const QByteArray& line : sent)
            expected << each.arg(QString::fromLatin1(line)).split('|');
        QCOMPARE(f.transcript.entries, expected);
    }
};

QTEST_MAIN(CommandSequencesTest)
#include "command_sequences_test.moc"

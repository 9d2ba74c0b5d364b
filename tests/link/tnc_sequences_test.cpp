// The four sequences that send a TNC's command lines, on a fake device: the
// exact bytes and pauses, empty lines skipped, nothing for no TNC.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "window_fixture.h"

#include <QAction>
#include <QTest>

using Lines = QMap<int, QByteArray>; // slot -> text; every other slot empty

class TncSequencesTest : public QObject {
    Q_OBJECT
private slots:
    void sequences_data();
    void sequences();
};

void TncSequencesTest::sequences_data()
{
    QTest::addColumn<QString>("sequence");
    QTest::addColumn<int>("selectedTnc");
    QTest::addColumn<Lines>("lines");
    QTest::addColumn<QStringList>("sent");

    const Lines oneAndThree{{0, "MYCALL N0CALL"}, {2, "BTEXT Net control"}};
    const Lines lastSlots{{31, "LINE 32"}, {32, "NOT A LINE"}};
    const QStringList nothing;

    QTest::newRow("Initialize: lines 1 and 3, the empty line 2 skipped")
        << "Initialize TNC" << 2 << oneAndThree
        << QStringList{"SendString MYCALL N0CALL", "SendString <13>", "pause 250",
                       "SendString BTEXT Net control", "SendString <13>", "pause 250"};
    QTest::newRow("Initialize: line 32 goes out, slot 32 never")
        << "Initialize TNC" << 0 << lastSlots << QStringList{"SendString LINE 32", "SendString <13>", "pause 250"};
    QTest::newRow("Initialize: all lines empty") << "Initialize TNC" << 7 << Lines{} << nothing;
    QTest::newRow("Initialize: None (8)") << "Initialize TNC" << 8 << oneAndThree << nothing;
    QTest::newRow("Initialize: the empty selector row (9)") << "Initialize TNC" << 9 << oneAndThree << nothing;
    QTest::newRow("Initialize: an unmatched typed name (-1)") << "Initialize TNC" << -1 << oneAndThree << nothing;

    QTest::newRow("Terminate: ETX first, then each line, pause, CR")
        << "Terminate TNC" << 2 << oneAndThree
        << QStringList{"SendString <3>", "SendString MYCALL N0CALL", "pause 100", "SendString <13>",
                       "SendString BTEXT Net control", "pause 100", "SendString <13>"};
    QTest::newRow("Terminate: 32 empty lines send exactly one ETX")
        << "Terminate TNC" << 5 << Lines{} << QStringList{"SendString <3>"};
    QTest::newRow("Terminate: None (8), not even ETX") << "Terminate TNC" << 8 << oneAndThree << nothing;
    QTest::newRow("Terminate: 9, not even ETX") << "Terminate TNC" << 9 << oneAndThree << nothing;
    QTest::newRow("Terminate: -1, not even ETX") << "Terminate TNC" << -1 << oneAndThree << nothing;

    // Start-up: the banner's pause comes first.
    QTest::newRow("start-up: lines 1, 2 and 5, after the banner")
        << "start-up" << 2 << Lines{{0, "A"}, {1, "B"}, {4, "E"}}
        << QStringList{"pause 100", "SendString A", "pause 35", "SendChar 13", "pause 150", "SendString B",
                       "pause 35", "SendChar 13", "pause 150", "SendString E", "pause 35", "SendChar 13",
                       "pause 150"};
    QTest::newRow("start-up: None (8)") << "start-up" << 8 << oneAndThree << QStringList{"pause 100"};
    QTest::newRow("start-up: -1") << "start-up" << -1 << oneAndThree << QStringList{"pause 100"};

    QTest::newRow("close: lines 1 and 3, before the port closes")
        << "close" << 2 << oneAndThree
        << QStringList{"SendString MYCALL N0CALL", "pause 25", "SendChar 13", "pause 150",
                       "SendString BTEXT Net control", "pause 25", "SendChar 13", "pause 150"};
    QTest::newRow("close: line 32 goes out, slot 32 never")
        << "close" << 6 << lastSlots << QStringList{"SendString LINE 32", "pause 25", "SendChar 13", "pause 150"};
    QTest::newRow("close: None (8)") << "close" << 8 << oneAndThree << nothing;
    QTest::newRow("close: 9") << "close" << 9 << oneAndThree << nothing;
}

void TncSequencesTest::sequences()
{
    QFETCH(QString, sequence);
    QFETCH(int, selectedTnc);
    QFETCH(Lines, lines);
    QFETCH(QStringList, sent);

    WindowFixture f;
    const bool initialization = sequence == "Initialize TNC" || sequence == "start-up";
    // The set under test holds `lines`; every other set, the None set 8
    // included, holds lines that must never go out here.
    for (int tnc = 0; tnc < 9; ++tnc) {
        const bool underTest = tnc == selectedTnc || !(selectedTnc >= 0 && selectedTnc < 8);
        for (int slot = 0; slot < 33; ++slot) {
            TextSlot& init = G.TncInitCommands[tnc][slot];
            TextSlot& term = G.TncTermCommands[tnc][slot];
            (initialization ? init : term).store(underTest ? lines.value(slot).toStdString() : "OTHER TNC");
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
    QCOMPARE(f.transcript.entries, sent);
}

QTEST_MAIN(TncSequencesTest)
#include "tnc_sequences_test.moc"

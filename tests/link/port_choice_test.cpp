// Choosing the TNC's serial port and editing its line settings, on a fake
// device: the check marks, the port variables, the probe, the boxes.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/comm_config_dialog.h"
#include "link/nr_comm.h"
#include "link/nr_semaphore.h"
#include "link/port_names.h"
#include "screens/screen_memo.h"
#include "window_fixture.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QTest>

namespace {

// The checked port menu items, the port variables and the serial layer, as one line.
QString portState()
{
    QStringList checked;
    for (QAction* a : Ferrow->Port1->actions())
        if (a->isChecked())
            checked << a->text();
    return QStringLiteral("%1: %2 %3 %4 active=%5 lamps=%6%7")
        .arg(checked.join(','))
        .arg(G.CommPortNumber)
        .arg(G.CommPortSelected)
        .arg(QString::fromLatin1(commPortNameText(G)))
        .arg(Ferrow->nrComm1->GetActive())
        .arg(Ferrow->CTS_Status->GetChecked())
        .arg(Ferrow->DSR_Status->GetChecked());
}

} // namespace

class PortChoiceTest : public QObject {
    Q_OBJECT
private slots:
    void choices_data()
    {
        // Menu items by caption; "lamps off"; "probe N" / "refuse": how COM2 answers.
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("state");    // as portState() writes it
        QTest::addColumn<QList<int>>("opens"); // devices opened, by COM number
        QTest::addColumn<int>("closes");
        QTest::addColumn<bool>("focusBack"); // the last choice hands the caret back
        QTest::addColumn<QString>("box");
        const QString ioError = QStringLiteral("Communications I/O Error|Failed to open the comms device");
        const auto row = [](const char* name, const QStringList& steps, const char* state,
                            const QList<int>& opens, int closes, bool focusBack, const QString& box = {}) {
            QTest::newRow(name) << steps << QString::fromLatin1(state) << opens << closes << focusBack << box;
        };
        row("COM5 then COM2", {"COM5", "COM2"}, "COM2: 2 2 COM2 active=1 lamps=11", {5, 2}, 1, true);
        row("an already checked port does nothing", {"COM4", "COM4"}, "COM4: 4 4 COM4 active=1 lamps=11", {4},
            0, false);
        // "None" leaves the lamps as they were.
        row("None twice after COM3", {"COM3", "None", "None"}, "None: 0 0 NONE active=0 lamps=11", {3}, 1,
            false);
        row("None twice from the start", {"None", "None"}, "None: 0 0 NONE active=0 lamps=00", {}, 0, false);
        // A failed choice falls back to None, and no lamp lights on a closed port.
        const char* none = "None: 0 0 NONE active=0 lamps=00";
        row("COM2 cannot be opened", {"COM1", "lamps off", "probe 1", "COM2"}, none, {1}, 1, true, ioError);
        row("COM2's state cannot be read: no box", {"COM1", "lamps off", "probe 2", "COM2"}, none, {1}, 1,
            true);
        row("COM2 probed fine, open refused", {"COM1", "lamps off", "refuse", "COM2"}, none, {1}, 1, true,
            ioError);
    }
    void choices()
    {
        QFETCH(QStringList, steps);
        QFETCH(QString, state);
        QFETCH(QList<int>, opens);
        QFETCH(int, closes);
        QFETCH(bool, focusBack);
        QFETCH(QString, box);
        WindowFixture f;
        f.show();
        const QString com2 = Ferrow->comPortPath(2);
        for (const QString& step : steps) {
            if (step == steps.last()) // the operator left the caret at the start
                Ferrow->TransmitScreen->moveCursor(QTextCursor::Start);
            if (step == "lamps off") {
                Ferrow->CTS_Status->SetChecked(false);
                Ferrow->DSR_Status->SetChecked(false);
            } else if (step.startsWith("probe")) {
                f.device()->probeOutcome[com2] = ProbeResult::Outcome(step.section(' ', 1).toInt());
            } else if (step == "refuse") {
                f.device()->refuseOpen << com2;
            }
            for (QAction* a : Ferrow->Port1->actions())
                if (a->text() == step)
                    a->trigger(); // as the operator would, through the menu
        }

        QCOMPARE(portState(), state);
        QStringList devices;
        for (const int port : opens)
            devices << Ferrow->comPortPath(port);
        QCOMPARE(f.device()->opens, devices);
        const bool failing = state.startsWith("None") && steps.last() == "COM2";
        QCOMPARE(f.device()->probes, failing ? devices << com2 : devices); // every open was probed first
        QCOMPARE(f.device()->closes, closes);
        QCOMPARE(Ferrow->TransmitScreen->textCursor().atEnd(), focusBack);
        QCOMPARE(f.query.boxes, box.isEmpty() ? QStringList() : QStringList{box});
        for (QWidget* owner : f.query.boxOwners)
            QCOMPARE(owner, static_cast<QWidget*>(Ferrow));
        if (failing) {
            QCOMPARE(G.PortProbeResult, 0);
            QCOMPARE(G.ActiveScreen, 1); // whatever the outcome, the caret ends in the typing screen
            QVERIFY(Ferrow->LogScreen->toPlainText().contains(com2));
        }
    }

    void commsInterfaceSetup_data()
    {
        QTest::addColumn<bool>("confirm");
        QTest::newRow("cancelled") << false;
        QTest::newRow("confirmed") << true;
    }
    void commsInterfaceSetup()
    {
        QFETCH(bool, confirm);
        WindowFixture f;
        f.show();
        Ferrow->Comm11->trigger();
        const SerialLineSettings chosen{1200, pNone, sbTwo, 8, spRtsCts};
        f.query.lineAnswers << (confirm ? std::optional(chosen) : std::nullopt);

        Ferrow->CommsInterfaceSetup1->trigger();

        QCOMPARE(f.query.queries, QStringList{QStringLiteral("line settings")});
        // The byte size stays in the serial layer until the settings are saved.
        QCOMPARE((QList<int>{G.SerialBaudRate, G.SerialParity, G.SerialStopBits, G.SerialByteSize,
                             G.SerialStreamProtocol}),
                 confirm ? (QList<int>{1200, pNone, sbTwo, 7, spRtsCts}) : (QList<int>{9600, 1, 1, 7, 0}));
        QCOMPARE(Ferrow->nrComm1->lineSettings(), confirm ? chosen : SerialLineSettings{});
        // The open port takes the new line settings at once; it is not reopened.
        QCOMPARE(f.device()->settings, confirm ? chosen : SerialLineSettings{});
        QCOMPARE(f.device()->opens.size(), 1);
    }

    void lineSettingsDialogBaudRate_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<quint32>("taken");
        QTest::newRow("a rate from the list") << "1200" << 1200u;
        QTest::newRow("a rate of its own") << "14400" << 14400u;
        QTest::newRow("half typed: the old rate stays") << "5" << 9600u;
        QTest::newRow("emptied: the old rate stays") << "" << 9600u;
        QTest::newRow("above the range: the old rate stays") << "4000001" << 9600u;
    }
    void lineSettingsDialogBaudRate()
    {
        QFETCH(QString, typed);
        QFETCH(quint32, taken);
        TCommConfigDialog dialog(SerialLineSettings{});
        auto* baud = dialog.findChild<QComboBox*>(QStringLiteral("baudRate"));
        QVERIFY(baud);
        baud->setEditText(typed);
        QCOMPARE(dialog.settings().baudRate, taken);
    }

    void portResolution_data()
    {
        QTest::addColumn<QString>("present"); // what <folder>/COM3 is
        QTest::addColumn<bool>("ownPath");
        QTest::newRow("nothing there: the system's serial port") << "" << false;
        QTest::newRow("a link to a device") << "link" << true;
        QTest::newRow("a link whose device is gone for now") << "dangling" << true;
        QTest::newRow("a device node or file") << "file" << true;
    }
    void portResolution()
    {
        QFETCH(QString, present);
        QFETCH(bool, ownPath);
        QTemporaryDir folder;
        const QString own = folder.filePath(QStringLiteral("COM3"));
        if (present == "link" || present == "dangling")
            QVERIFY(QFile::link(present == "link" ? "/dev/null" : folder.filePath("gone"), own));
        else if (present == "file")
            QVERIFY(QFile(own).open(QIODevice::WriteOnly));
        QCOMPARE(resolveComPort(folder.path() + '/', 3), ownPath ? own : QStringLiteral("/dev/ttyS2"));
    }
};

QTEST_MAIN(PortChoiceTest)
#include "port_choice_test.moc"

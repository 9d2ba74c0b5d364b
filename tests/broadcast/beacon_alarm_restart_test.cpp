// The beacon and alarm choices across a restart, through the settings file:
// a first run makes them with the operator's own menu items and closes, a
// second run starts on the file that close wrote (and on its stored port).

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "broadcast/bc_form.h"
#include "window_fixture.h"

#include <QAction>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

namespace {

void runStep(WindowFixture& f, const QString& step)
{
    for (QAction* item : {Ferrow->NONE2, Ferrow->Once, Ferrow->ON1, Ferrow->OFF1, Ferrow->Beep2,
                          Ferrow->Ring1, Ferrow->Ringout1})
        if (step == item->text() || step == "Notify " + item->text())
            return item->trigger();
    if (step.startsWith("Timer ")) {
        f.query.textAnswers << step.mid(6).toLatin1();
        Ferrow->Timer1->trigger();
    } else if (step.startsWith("text ")) {
        Ferrow->Message1->trigger();
        BCForm->BroadcastEdit->setText(step.mid(5));
        BCForm->BCAcceptBtn->click();
    } else if (step == "Accept") {
        Ferrow->Message1->trigger();
        BCForm->BCAcceptBtn->click();
    } else if (step == "BC")
        Ferrow->BroadcastBtn->click();
    else if (step == "beacon tick" && Ferrow->BroadCastTimer->isActive())
        QMetaObject::invokeMethod(Ferrow->BroadCastTimer, "timeout");
    else if (step == "data and alarm tick") {
        f.device()->inject("data\r");
        if (Ferrow->ReceiveTimer->isActive())
            QMetaObject::invokeMethod(Ferrow->ReceiveTimer, "timeout");
    } else
        QFAIL(qPrintable("unknown step " + step));
}

// A fresh process on the fixture's program folder.
void restartProgram(WindowFixture& f)
{
    DestroyForms();
    G = ProcessState{};
    CreateForms();
    f.show();
}

QString checked(std::initializer_list<QAction*> items)
{
    for (QAction* item : items)
        if (item->isChecked())
            return item->text();
    return {};
}

} // namespace

class BeaconAlarmRestartTest : public QObject {
    Q_OBJECT
private slots:
    void restart_data();
    void restart();
};

void BeaconAlarmRestartTest::restart_data()
{
    QTest::addColumn<QStringList>("firstRun");
    QTest::addColumn<QString>("shown"); // interval, notify, sound, beacon text after the restart
    QTest::addColumn<QStringList>("secondRun");
    QTest::addColumn<QStringList>("sent");
    const QStringList onceSent{"SendString BEACON EVERY 1", "SendChar 13", "SendString BEACON EVERY 0",
                               "pause 100", "SendChar 13"};
    QTest::newRow("Once: Once checked, BC performs a Once broadcast")
        << QStringList{"Once"} << "Once|OFF|Beep|" << QStringList{"BC", "beacon tick"} << onceSent;
    QTest::newRow("Timer 15: Timer checked, BC sends the stored period")
        << QStringList{"Timer 15"} << "Timer|OFF|Beep|" << QStringList{"BC"}
        << QStringList{"SendString BEACON EVERY 15", "pause 100", "SendChar 13"};
    QTest::newRow("None after Once: None checked")
        << QStringList{"Once", "None"} << "None|OFF|Beep|" << QStringList{} << QStringList{};
    QTest::newRow("beacon text: in the window, Accept sends it")
        << QStringList{"text CQ de N0CALL"} << "None|OFF|Beep|CQ de N0CALL" << QStringList{"Accept"}
        << QStringList{"SendString BTEXT CQ de N0CALL", "pause 250", "SendChar 13"};
    QTest::newRow("Notify ON with Ring-out: received data rings out")
        << QStringList{"Notify ON", "Ring-out"} << "None|ON|Ring-out|" << QStringList{"data and alarm tick"}
        << QStringList{"sound open <home>ringout.wav", "sound play", "pause 450", "sound close"};
    QTest::newRow("Notify OFF and Beep after ON and Ring-in: quiet")
        << QStringList{"Notify ON", "Ring-in", "Notify OFF", "Beep"} << "None|OFF|Beep|"
        << QStringList{"data and alarm tick"} << QStringList{};
}

void BeaconAlarmRestartTest::restart()
{
    QFETCH(QStringList, firstRun);
    QFETCH(QString, shown);
    QFETCH(QStringList, secondRun);
    QFETCH(QStringList, sent);
    WindowFixture f;
    // A settings file in the folder: this run's settings are kept.
    QFile(f.home() + "Quillmar.cfg").open(QIODevice::WriteOnly);
    restartProgram(f);
    openFakePort(1);
    for (const QString& step : firstRun)
        runStep(f, step);
    Ferrow->close();

    restartProgram(f);
    const QString now = checked({Ferrow->NONE2, Ferrow->Once, Ferrow->Timer1}) + '|' +
        checked({Ferrow->OFF1, Ferrow->ON1}) + '|' +
        checked({Ferrow->Beep2, Ferrow->Ring1, Ferrow->Ringout1}) + '|' + BCForm->BroadcastEdit->text();
    QCOMPARE(now, shown);
    f.transcript.clear();
    for (const QString& step : secondRun)
        runStep(f, step);
    sent.replaceInStrings("<home>", f.home());
    QCOMPARE(f.transcript.entries.filter(QRegularExpression("^(Send|sound|pause)")), sent);
    QCOMPARE(f.query.boxes, QStringList());
}

QTEST_MAIN(BeaconAlarmRestartTest)
#include "beacon_alarm_restart_test.moc"

// The receive alarm on a fake device and a fake sound output: arming by received data, one alarm per
// arming, the beep and the rings with their 450 ms, the missing wave file, the lamps, a restart on the
// settings file, and without a sound output the note that says so and the desktop's bell for every sound.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "link/nr_semaphore.h"
#include "operator_steps.h"
#include "window_fixture.h"

#include <QAction>
#include <QPlainTextEdit>
#include <QProperty>
#include <QRegularExpression>
#include <QTest>

#include <memory>

class ReceiveAlarmTest : public QObject {
    Q_OBJECT
private slots:
    void alarm_data();
    void alarm();
};

void ReceiveAlarmTest::alarm_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QStringList>("heard"); // sound calls and pauses; <home> is the program folder
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<int>("armings"); // times the timer was started
    const auto row = [](const char* name, const QString& steps, const QStringList& heard, int armings,
                        const QStringList& boxes = {}) {
        QTest::newRow(name) << steps.split(", ") << heard << boxes << armings;
    };
    const QStringList beep{"sound beep"};
    const auto ring = [](const QString& file) {
        return QStringList{"sound open <home>" + file, "sound play", "pause 450", "sound close"};
    };
    row("Notify OFF: data never arms the timer, the lamps still light", "port, receive, alarm tick", {}, 0);
    row("a burst in four parts: armed once, one alarm 1000 ms after its first part",
        "port, Notify ON, receive, receive, receive, receive, alarm tick, alarm tick", beep, 1);
    row("Notify OFF after arming: the armed alarm still comes",
        "port, Notify ON, receive, Notify OFF, alarm tick, receive, alarm tick", beep, 1);
    row("Ring-in: open, play, 450 ms, close", "port, Notify ON, Ring-in, receive, alarm tick",
        ring("ringin.wav"), 1);
    row("missing wave file: one box, then silent rings even as Ring-out, Beep audible",
        "wave files unplayable, port, Notify ON, Ring-in, receive, alarm tick, receive, alarm tick, "
        "Ring-out, receive, alarm tick, Beep, receive, alarm tick",
        {"sound open <home>ringin.wav", "sound beep"}, 4, {"Media Player|Error opening Wave File"});
    row("restart with Notify ON and Ring-out stored: data rings out",
        "port, Notify ON, Ring-out, restart, receive, alarm tick", ring("ringout.wav"), 1);
    row("restart with Notify OFF and Beep stored after ON and Ring-in: quiet",
        "port, Notify ON, Ring-in, Notify OFF, Beep, restart, receive, alarm tick", {}, 0);
    // No audio output: the desktop's bell stands in for every sound, once per alarm.
    const QStringList bell{"sound bell"};
    const auto bellRing = [](const QString& file) {
        return QStringList{"sound open <home>" + file, "sound bell", "pause 450", "sound close"};
    };
    row("no audio output: said once, Beep, Ring-in and Ring-out each ring the bell once",
        "no audio output, Notify ON, receive, alarm tick, Ring-in, receive, alarm tick, Ring-out, receive, "
        "alarm tick",
        bell + bellRing("ringin.wav") + bellRing("ringout.wav"), 3);
    row("no audio output and a missing wave file: one box and no bell, then silent rings, Beep rings the "
        "bell",
        "no audio output, wave files unplayable, Notify ON, Ring-in, receive, alarm tick, receive, alarm "
        "tick, "
        "Beep, receive, alarm tick",
        QStringList{"sound open <home>ringin.wav"} + bell, 3, {"Media Player|Error opening Wave File"});
}

void ReceiveAlarmTest::alarm()
{
    QFETCH(QStringList, steps);
    QFETCH(QStringList, heard);
    QFETCH(QStringList, boxes);
    WindowFixture f;
    f.show();
    f.transcript.clear();
    // Starts of the running program's timer: a restarted one (stop, start) counts twice.
    int started = 0;
    std::shared_ptr<void> counter;
    const auto watchTimer = [&] {
        counter.reset(new auto(Ferrow->ReceiveTimer->bindableActive().onValueChanged(
            [&] { started += Ferrow->ReceiveTimer->isActive(); })));
    };
    watchTimer();
    for (const QString& step : steps) {
        if (step == "no audio output") { // the program built again on a machine without one
            DestroyForms();
            f.sound.hasOutput = false;
            CreateForms();
            f.show();
            f.transcript.clear(); // the old window closed its sound output
        } else {
            runOperatorStep(f, step);
        }
        if (step == "restart" || step == "no audio output")
            watchTimer();
    }
    heard.replaceInStrings("<home>", f.home());
    QCOMPARE(f.transcript.entries.filter(QRegularExpression("^(sound|pause)")), heard);
    QCOMPARE(f.query.boxes, boxes);
    QTEST(started, "armings");
    QCOMPARE(Ferrow->ReceiveTimer->interval(), 1000);
    QCOMPARE(Ferrow->LogScreen->toPlainText().count("Sound is unavailable"),
             int(steps.contains("no audio output")));
    // Received data lights the lamps when a port is open.
    QCOMPARE(Ferrow->CTS_Status->GetChecked() && Ferrow->DSR_Status->GetChecked(), steps.contains("port"));
    // A failed open leaves the sound state busy for the rest of the run.
    QCOMPARE(G.SoundState, boxes.isEmpty() ? 2 : 1);
    // The last sound chosen is checked alone and in force.
    const QStringList chosen = QStringList{"Beep"} + steps.filter(QRegularExpression("^(Beep|Ring)"));
    QCOMPARE(G.AlarmSound, chosen.last() == "Beep" ? 1 : chosen.last() == "Ring-in" ? 2 : 3);
    QCOMPARE(checkedCaptions({Ferrow->Beep2, Ferrow->Ring1, Ferrow->Ringout1}), chosen.last());
}

QTEST_MAIN(ReceiveAlarmTest)
#include "receive_alarm_test.moc"

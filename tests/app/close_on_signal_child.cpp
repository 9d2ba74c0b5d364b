// Quillmar's run on the test fakes, for the close-on-signal test: COM1 open
// on a fake device, TNC1 selected with one termination line, the steps named
// on the command line made to throw ("write": sending, "close": closing the
// port). It prints "ready" and waits for a signal; when the close sequence
// has run it prints the trace, the bytes sent and whether the port is open.

#include "app/application.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
#include "fake_seams.h"
#include "fake_transport.h"
#include "window_fixture.h"

#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    app.setQuitOnLastWindowClosed(false);

    Transcript transcript;
    RecordingPause pause(&transcript);
    ScriptedQuery query;
    FakeSound sound;
    FakeTransport* device = nullptr;
    seams::Set set;
    set.pause = &pause;
    set.query = &query;
    set.sound = &sound;
    set.makeTransport = [&] {
        auto fake = std::make_unique<FakeTransport>(&transcript);
        device = fake.get();
        return fake;
    };
    seams::install(set);

    const QStringList failing = app.arguments().mid(1);
    QTimer::singleShot(0, [&] {
        openFakePort(1);
        G.SelectedTnc = 0;
        G.TncTermCommands[0][0].store("BYE");
        device->writeThrows = failing.contains(QStringLiteral("write"));
        device->closeThrows = failing.contains(QStringLiteral("close"));
        QObject::connect(Ferrow, &TFerrow::closeSequenceFinished, [&] {
            std::printf("%s\n", qPrintable(Ferrow->LogScreen->toPlainText()));
            for (const QString& entry : transcript.entries)
                std::printf("sent %s\n", qPrintable(entry));
            std::printf("port %s\n", device->isOpen() ? "open" : "closed");
            std::fflush(stdout);
            device->closeThrows = false; // the windows still go away at the end
        });
        std::printf("ready\n");
        std::fflush(stdout);
    });
    return runQuillmar();
}

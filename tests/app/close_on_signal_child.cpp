// Quillmar's run on the test fakes for the close-on-signal test: COM1 open, TNC1 with one termination
// line, the steps named on the command line made to throw ("write": sending, "close": closing the port).
// It prints "ready", waits for a signal and, when the close sequence has run, prints the trace, the
// lines sent and whether the port is open.

#include "app/application.h"
#include "app/ferrow.h"
#include "app/forms.h"
#include "app/state.h"
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
    seams::install({&pause, &query, &sound, [&] {
                        auto fake = std::make_unique<FakeTransport>(&transcript);
                        device = fake.get();
                        return fake;
                    }});
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

#pragma once
// Builds the program's eight windows on fakes of every seam, in a fresh
// process state and an empty temporary program folder.

#include "fake_seams.h"
#include "fake_transport.h"
#include "transcript.h"

#include <QTemporaryDir>

class QAction;

class WindowFixture {
public:
    // `realTransport`: the production serial transport instead of the fake
    // (integration tests on real pseudo-terminals).
    explicit WindowFixture(bool realTransport = false);
    ~WindowFixture();
    WindowFixture(const WindowFixture&) = delete;
    WindowFixture& operator=(const WindowFixture&) = delete;

    // Shows the main window, which runs its first-show sequence.
    void show();
    // Closes the program (its close sequence writes the settings file) and
    // starts a fresh process on the same program folder and that file; the
    // transcript then begins anew.
    void restart();
    // The program folder, with a trailing slash.
    QString home() const { return home_.path() + QLatin1Char('/'); }
    // The fake serial device (null with the real transport).
    FakeTransport* device() const { return device_; }

    Transcript transcript;
    RecordingPause pause{&transcript};
    ScriptedQuery query;
    FakeSound sound{&transcript};

private:
    QTemporaryDir home_;
    FakeTransport* device_ = nullptr;
};

// A menu item's caption as the operator reads it, without its accelerator mark.
QString caption(const QAction* item);
// The captions of the checked ones among `items`, joined by '+'.
QString checkedCaptions(const QList<QAction*>& items);
// Triggers, as the operator does through the menu, the one among `items` captioned `wanted`.
bool triggerCaptioned(const QList<QAction*>& items, const QString& wanted);

// Selects choice n (1..6) on a fake device that answers, so sends are recorded.
void openFakePort(int n = 1);

#pragma once
// The real main window for a benchmark: offscreen unless a display is asked
// for, in a throw-away program folder, on the given seams.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "app/seams.h"

#include <QApplication>
#include <QCoreApplication>
#include <QTemporaryDir>

// Call before the QApplication exists; keep the folder alive for the run.
inline void prepareBenchEnvironment(QTemporaryDir& home)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QUILLMAR_HOME", home.path().toLocal8Bit());
}

// Installs the seams, builds the eight windows and shows the main one.
inline void showBenchWindow(const seams::Set& set)
{
    seams::install(set);
    CreateForms();
    Ferrow->show();
    QCoreApplication::processEvents();
}

// What a benchmark's main starts with: a throw-away program folder, then the
// application, then the production seams.
struct BenchProgram {
    BenchProgram(int& argc, char** argv) : app((prepareBenchEnvironment(home), argc), argv) {}
    QTemporaryDir home;
    QApplication app;
    ProductionSeams production;
};

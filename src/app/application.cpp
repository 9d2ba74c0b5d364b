#include "application.h"

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/termination_signals.h"

#include <QApplication>
#include <QScreen>

namespace {

void quitAfterClose()
{
    // Ending the loop comes first: nothing that fails afterwards keeps the
    // process alive.
    QCoreApplication::quit();
    try {
        HideSecondaryForms();
    } catch (...) {
    }
}

} // namespace

int runQuillmar()
{
    CreateForms();
    QObject::connect(Ferrow, &TFerrow::closeSequenceFinished, qApp, &quitAfterClose);
    closeOnTerminationSignals([] {
        if (Ferrow)
            Ferrow->close();
    });

    Ferrow->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Ferrow->move(screen->availableGeometry().center() - Ferrow->rect().center());
    Ferrow->show();
    const int status = QCoreApplication::exec();
    DestroyForms();
    return status;
}

// Quillmar: a terminal for driving a TNC in emergency communications.

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "app/termination_signals.h"

#include <QApplication>
#include <QMessageBox>
#include <QScreen>

#include <exception>

namespace {

// Shows what reached the top instead of letting the program vanish.
class GuardedApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& e) {
            QMessageBox::critical(nullptr, QStringLiteral("Quillmar"), QString::fromLocal8Bit(e.what()));
        } catch (...) {
            QMessageBox::critical(nullptr, QStringLiteral("Quillmar"), QString());
        }
        return false;
    }
};

} // namespace

int main(int argc, char* argv[])
{
    GuardedApplication app(argc, argv);
    // The main window ends the program itself, after its close sequence.
    app.setQuitOnLastWindowClosed(false);
    installProductionSeams();

    CreateForms();
    QObject::connect(Ferrow, &TFerrow::closeSequenceFinished, &app, [] {
        HideSecondaryForms();
        QCoreApplication::quit();
    });
    closeOnTerminationSignals([] { Ferrow->close(); });

    Ferrow->adjustSize();
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        Ferrow->move(screen->availableGeometry().center() - Ferrow->rect().center());
    Ferrow->show();
    const int status = app.exec();
    DestroyForms();
    return status;
}

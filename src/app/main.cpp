// Quillmar: a terminal for driving a TNC in emergency communications.

#include "app/application.h"
#include "app/command_line.h"
#include "app/production_seams.h"
#include "app/program_folder.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>

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
    // Answered before the application object, which would need a display.
    if (const std::optional<int> status = answerInformationalOption(
            argc, argv, QFile::encodeName(installedDataFolder()).constData(), stdout))
        return *status;
    GuardedApplication app(argc, argv);
    // The main window ends the program itself, after its close sequence.
    app.setQuitOnLastWindowClosed(false);
    // Made after the application object and destroyed before it.
    ProductionSeams seams;
    seams.install();
    return runQuillmar();
}

// The real main window on a real X display, in both colour schemes and both
// screen modes, with the Sending Data and font dialogs, and enlarged, with a
// screenshot of each for a person to look at. The screens' backgrounds are
// checked on the screenshots themselves.
//   appearance_smoke OUTPUT_FOLDER

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "screens/font_apply_dialog.h"
#include "screens/font_record.h"
#include "screens/screen_memo.h"
#include "screens/send_data_dialog.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QScreen>
#include <QTemporaryDir>

#include <cstdio>

namespace {

int failures = 0;

void check(bool ok, const QString& what)
{
    if (!ok) {
        std::fprintf(stderr, "appearance smoke: %s\n", qPrintable(what));
        ++failures;
    }
}

void settle()
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    Ferrow->repaint();
    QCoreApplication::processEvents();
}

// Saves the whole display and returns it.
QImage shoot(const QString& folder, const QString& name)
{
    settle();
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QString path = QDir(folder).filePath(QStringLiteral("smoke-appearance-%1.png").arg(name));
    check(shot.save(path), QStringLiteral("cannot save %1").arg(path));
    std::printf("screenshot: %s\n", qPrintable(path));
    return shot;
}

// The colour the display shows in the middle of a screen's right margin,
// clear of its text.
QColor backgroundShown(const QImage& shot, const TScreenMemo* screen)
{
    const QWidget* viewport = screen->viewport();
    return shot.pixelColor(viewport->mapToGlobal(QPoint(viewport->width() - 4, viewport->height() / 2)));
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    seams::install(productionSeams());
    CreateForms();
    Ferrow->show();
    settle();

    Ferrow->ReceiveScreen->receiveBytes("cmd:CONNECT N0CALL\r\n*** CONNECTED to N0CALL\r\n"
                                        "Good evening, this is the net control station. This line is long "
                                        "enough to wrap at the width of the screen.\r\n");
    Ferrow->TransmitScreen->insertPlainText(QStringLiteral("Roger, checking in with no traffic."));

    const QColor white = QApplication::palette().color(QPalette::Base);
    for (QAction* scheme : {Ferrow->White1, Ferrow->Black1}) {
        for (QAction* mode : {Ferrow->DualScreenBtn, Ferrow->SingleScreenBtn}) {
            scheme->trigger();
            mode->trigger();
            const QString name =
                (scheme->text() + QLatin1Char('-') + mode->text()).toLower().replace(' ', '-');
            const QImage shot = shoot(folder, name);
            for (const TScreenMemo* screen : {Ferrow->ReceiveScreen, Ferrow->TransmitScreen}) {
                const QColor shown = backgroundShown(shot, screen);
                check(shown == (scheme == Ferrow->Black1 ? QColor(Qt::black) : white),
                      name + QStringLiteral(": ") + screen->objectName() + QStringLiteral(" shows ") +
                          shown.name());
            }
            check(Ferrow->ModeMemo->toPlainText() == mode->text(),
                  name + QStringLiteral(": wrong mode field"));
        }
    }

    // The Sending Data dialog as a send shows it, centred on the window.
    SendDataDialog->showCentredOn(Ferrow);
    SendDataDialog->ProgressBar1->setValue(10);
    shoot(folder, QStringLiteral("sending"));
    SendDataDialog->hide();

    // The font dialog an operator gets, with its Apply and Color buttons.
    FontApplyDialog fonts(FontChoice{Ferrow->ReceiveScreen->font(), clWindowText}, {});
    fonts.show();
    shoot(folder, QStringLiteral("font-dialog"));
    const auto* buttons = fonts.findChild<QDialogButtonBox*>();
    check(buttons && buttons->button(QDialogButtonBox::Apply) && buttons->buttons().size() == 4,
          QStringLiteral("the font dialog lacks its Apply or Color button"));
    fonts.hide();

    // Enlarged: the stack fills the window down to the status band.
    Ferrow->setGeometry(QGuiApplication::primaryScreen()->availableGeometry().adjusted(0, 0, -20, -20));
    shoot(folder, QStringLiteral("enlarged"));
    check(Ferrow->TransmitScreen->geometry().bottom() + 1 == Ferrow->StatusPanel->y(),
          QStringLiteral("enlarged: the transmit screen does not reach the status band"));

    Ferrow->close();
    DestroyForms();
    return failures == 0 ? 0 : 1;
}

// The real main window on a real X display in both colour schemes and screen modes, a screenshot of each
// for a person to look at, the backgrounds checked on the screenshots; the real font dialog offers its
// Apply and Color buttons; a beep alarm on the sound server, then a clean close.
//   appearance_smoke OUTPUT_FOLDER

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/menu_accelerators.h"
#include "app/production_seams.h"
#include "screens/font_apply_dialog.h"
#include "screens/font_record.h"
#include "screens/screen_memo.h"

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QPixmap>
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

// Saves the whole display once it has painted, and returns it.
QImage shoot(const QString& folder, const QString& name)
{
    for (int i = 0; i < 5; ++i)
        QCoreApplication::processEvents();
    Ferrow->repaint();
    QCoreApplication::processEvents();
    const QImage shot = QGuiApplication::primaryScreen()->grabWindow(0).toImage();
    const QString path = QDir(folder).filePath(QStringLiteral("smoke-appearance-%1.png").arg(name));
    check(shot.save(path), QStringLiteral("cannot save %1").arg(path));
    std::printf("screenshot: %s\n", qPrintable(path));
    return shot;
}

} // namespace

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("QUILLMAR_HOME", home.path().toLocal8Bit());
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    ProductionSeams seams;
    seams.install();
    CreateForms();
    Ferrow->show();
    Ferrow->ReceiveScreen->receiveBytes("cmd:CONNECT N0CALL\r\n*** CONNECTED to N0CALL\r\n"
                                        "Good evening, this is the net control station. This line is long "
                                        "enough to wrap at the width of the screen.\r\n");
    Ferrow->TransmitScreen->insertPlainText(QStringLiteral("Roger, checking in with no traffic."));

    const QColor white = QApplication::palette().color(QPalette::Base);
    for (QAction* scheme : {Ferrow->White1, Ferrow->Black1}) {
        for (QAction* mode : {Ferrow->DualScreenBtn, Ferrow->SingleScreenBtn}) {
            scheme->trigger();
            mode->trigger();
            const QString name = (visibleCaption(scheme->text()) + '-' + visibleCaption(mode->text()))
                                     .toLower()
                                     .replace(' ', '-');
            const QImage shot = shoot(folder, name);
            // The middle of each screen's right margin, clear of its text.
            for (const TScreenMemo* screen : {Ferrow->ReceiveScreen, Ferrow->TransmitScreen}) {
                const QWidget* v = screen->viewport();
                const QColor shown = shot.pixelColor(v->mapToGlobal(QPoint(v->width() - 4, v->height() / 2)));
                check(shown == (scheme == Ferrow->Black1 ? QColor(Qt::black) : white),
                      name + ": " + screen->objectName() + " shows " + shown.name());
            }
            check(Ferrow->ModeMemo->toPlainText() == visibleCaption(mode->text()), name + ": wrong mode field");
        }
    }

    FontApplyDialog fonts(FontChoice{Ferrow->ReceiveScreen->font(), clWindowText}, {});
    fonts.show();
    shoot(folder, QStringLiteral("font-dialog"));
    const auto* buttons = fonts.findChild<QDialogButtonBox*>();
    check(buttons && buttons->button(QDialogButtonBox::Apply) && buttons->buttons().size() == 4,
          QStringLiteral("the font dialog lacks its Apply or Color button"));
    fonts.hide();

    // A beep alarm before closing, as a desktop with a sound server hears it:
    // the close that follows must not touch an output that is already gone.
    check(SoundOut().available(), QStringLiteral("no audio output: run beside a sound server"));
    Ferrow->ON1->trigger();
    Ferrow->nrComm1AfterReceive();
    Ferrow->ReceiveTimerTimer();

    Ferrow->close();
    DestroyForms();
    return failures == 0 ? 0 : 1;
}

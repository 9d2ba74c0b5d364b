// The real main window on a real X display, in both colour schemes and both
// screen modes, with the Sending Data dialog, and then enlarged, with a
// screenshot of each for a person to look at. The screens' backgrounds are
// checked on the screenshots themselves.
//   appearance_smoke OUTPUT_FOLDER

#include "app/ferrow.h"
#include "app/forms.h"
#include "app/production_seams.h"
#include "screens/screen_memo.h"
#include "screens/send_data_dialog.h"

#include <QAction>
#include <QApplication>
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
    const QPoint p = viewport->mapToGlobal(QPoint(viewport->width() - 4, viewport->height() / 2));
    const qreal scale = shot.width() / qreal(QGuiApplication::primaryScreen()->geometry().width());
    return shot.pixelColor(QPoint(int(p.x() * scale), int(p.y() * scale)));
}

bool near(const QColor& a, const QColor& b)
{
    return qAbs(a.red() - b.red()) + qAbs(a.green() - b.green()) + qAbs(a.blue() - b.blue()) < 30;
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

    struct Look {
        QAction* scheme;
        QAction* mode;
        const char* name;
        QColor background;
    };
    const QColor white = QApplication::palette().color(QPalette::Base);
    const Look looks[] = {{Ferrow->White1, Ferrow->DualScreenBtn, "white-dual", white},
                          {Ferrow->White1, Ferrow->SingleScreenBtn, "white-single", white},
                          {Ferrow->Black1, Ferrow->DualScreenBtn, "black-dual", Qt::black},
                          {Ferrow->Black1, Ferrow->SingleScreenBtn, "black-single", Qt::black}};
    for (const Look& look : looks) {
        look.scheme->trigger();
        look.mode->trigger();
        const QImage shot = shoot(folder, QString::fromLatin1(look.name));
        for (const TScreenMemo* screen : {Ferrow->ReceiveScreen, Ferrow->TransmitScreen})
            check(near(backgroundShown(shot, screen), look.background),
                  QStringLiteral("%1: %2 shows %3")
                      .arg(look.name, screen->objectName(), backgroundShown(shot, screen).name()));
        const bool single = look.mode == Ferrow->SingleScreenBtn;
        check(Ferrow->ModeMemo->toPlainText() == (single ? "Single Screen" : "Dual Screen"),
              QStringLiteral("%1: the mode field reads %2").arg(look.name, Ferrow->ModeMemo->toPlainText()));
    }

    // The Sending Data dialog as a send shows it, centred on the window.
    SendDataDialog->showCentredOn(Ferrow);
    SendDataDialog->ProgressBar1->setValue(10);
    shoot(folder, QStringLiteral("sending"));
    check(Ferrow->frameGeometry().contains(SendDataDialog->frameGeometry().center()),
          QStringLiteral("the Sending Data dialog is not over the main window"));
    SendDataDialog->hide();

    // Enlarged: the stack fills the window down to the status band.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    Ferrow->setGeometry(available.adjusted(0, 0, -20, -20));
    settle();
    shoot(folder, QStringLiteral("enlarged"));
    check(Ferrow->TransmitScreen->geometry().bottom() + 1 == Ferrow->StatusPanel->y(),
          QStringLiteral("enlarged: the transmit screen does not reach the status band"));
    check(Ferrow->ReceiveScreen->width() == Ferrow->centralWidget()->width(),
          QStringLiteral("enlarged: the screens are not as wide as the window"));

    Ferrow->close();
    DestroyForms();
    return failures == 0 ? 0 : 1;
}

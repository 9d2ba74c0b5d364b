#include "termination_signals.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QObject>
#include <QSocketNotifier>
#include <QTimer>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int signalPipe[2] = {-1, -1};
bool terminating = false;
int boxesOpen = 0; // modal boxes whose exec has not returned yet

void onSignal(int)
{
    // Only async-signal-safe work here: wake the UI thread. The code the
    // signal interrupted may be about to read errno; a full pipe must not
    // change it.
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

int answerOf(const QDialog& box)
{
    return qobject_cast<const QMessageBox*>(&box) ? int(QMessageBox::Ok) : int(QDialog::Rejected);
}

void closeOpenBoxes()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QDialog*>(w); box && box->isVisible() && box->isModal())
            box->done(answerOf(*box));
}

// Runs `then` from the event loop once every box's exec has returned, so
// the handlers that opened them have finished.
void whenNoBoxOpen(const std::function<void()>& then)
{
    if (boxesOpen > 0)
        QTimer::singleShot(10, qApp, [then] { whenNoBoxOpen(then); });
    else
        then();
}

} // namespace

int execModalBox(QDialog& box)
{
    if (terminating)
        return answerOf(box);
    ++boxesOpen;
    const int answer = box.exec();
    --boxesOpen;
    return answer;
}

void closeOnTerminationSignals(std::function<void()> handler)
{
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0)
        return;
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [handler] {
        char buffer[16];
        while (::read(signalPipe[0], buffer, sizeof buffer) > 0) {}
        terminating = true;
        closeOpenBoxes();
        // A box may be up before the event loop runs (the stored port's at
        // the first showing): the timer then fires once the loop has begun.
        QTimer::singleShot(0, qApp, [handler] { whenNoBoxOpen(handler); });
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int sig : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(sig, &action, nullptr);
}

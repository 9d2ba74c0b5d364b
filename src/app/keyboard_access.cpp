// Driving the main window without a mouse. Tab is a character for the TNC in
// the typing screens, so the focus leaves them on Ctrl+Tab, which the screens
// neither send nor mark; F10 opens the menu bar. The keys are window
// shortcuts: they act before a screen's key stages and never reach them.

#include "app/ferrow.h"

#include "app/combo_box.h"
#include "screens/screen_memo.h"

#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QShortcut>

#include <functional>

namespace {

void onKey(QWidget* window, QKeySequence key, std::function<void()> handler)
{
    auto* shortcut = new QShortcut(key, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, std::move(handler));
}

} // namespace

void TFerrow::WireKeyboardAccess()
{
    onKey(this, QKeySequence(Qt::CTRL | Qt::Key_Tab), [this] { FocusKeyPressed(false); });
    // Shift+Tab often arrives as Backtab; the shortcut map tries it as Tab too.
    onKey(this, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), [this] { FocusKeyPressed(true); });
    onKey(this, QKeySequence(Qt::Key_F10), [this] { OpenMenuBar(); });
}

void TFerrow::FocusKeyPressed(bool backwards)
{
    QWidget* focus = QApplication::focusWidget();
    const bool inScreen = !focus || focus == ReceiveScreen || focus == TransmitScreen;
    if (!inScreen) {
        FocusTypingScreen();
        return;
    }
    QWidget* entry = backwards ? static_cast<QWidget*>(BroadcastBtn) : static_cast<QWidget*>(ConnectList);
    entry->setFocus(Qt::TabFocusReason);
}

void TFerrow::OpenMenuBar()
{
    menuBar()->setActiveAction(File1->menuAction());
}

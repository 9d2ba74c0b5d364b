#pragma once
// SIGTERM, SIGINT and SIGHUP close the main window the ordinary way, so the
// TNC is taken out of service and the port closed as on File > Exit. A box
// the program has open at that moment closes first as if answered (a
// message box with OK, any other dialog cancelled), the handler that opened
// it finishes, and only then `onSignal` runs: closing from inside the box
// would let that handler go on after the close sequence, and the event loop
// it returns to would never end.

#include <functional>

class QDialog;

// Calls `onSignal` on the UI thread when one of the signals arrives, once no
// box is open any more.
void closeOnTerminationSignals(std::function<void()> onSignal);

// Every modal box of the program runs through this. Once a termination
// signal came, a box is not shown at all and counts as answered that way.
int execModalBox(QDialog& box);

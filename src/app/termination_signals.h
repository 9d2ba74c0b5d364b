#pragma once
// SIGTERM, SIGINT and SIGHUP close the main window the ordinary way, so the
// TNC is taken out of service and the port closed as on File > Exit.

#include <functional>

// Calls `onSignal` on the UI thread when one of the signals arrives.
void closeOnTerminationSignals(std::function<void()> onSignal);

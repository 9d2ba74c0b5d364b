// Apply steps of the settings load whose handlers belong to the alerts
// (notify, alarm sound) and broadcast (message text, interval) subsystems.
// Until those handlers exist the values are only read, kept and written back
// unchanged; each subsystem takes its hook into its own folder when it builds
// the handlers.

#include "app/ferrow.h"

void TFerrow::applyStoredNotify() {}
void TFerrow::applyStoredAlarmSound() {}
void TFerrow::applyStoredBroadcastText() {}
void TFerrow::applyStoredBroadcastInterval() {}

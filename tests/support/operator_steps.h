#pragma once
// The operator's steps as the beacon and alarm tests write them, run on the
// real windows: menu items by caption ("Once", "Notify ON", "Ring-out"),
// "port", "port 2", "no port", "Timer 5" ("Timer" alone cancels the query),
// "BC", "text <beacon text>", "Accept", "receive", "beacon tick" and
// "alarm tick" (each comes only while its timer is armed), "termination
// line", "close", "restart", and the damage "wave files unplayable" and
// "damaged interval 7".

#include <QString>

class WindowFixture;

void runOperatorStep(WindowFixture& f, const QString& step);
